#include "common/Myfunc.h"

#include "vcl/IniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace {

// Fixed notation with the given decimals, "." as the point, independent of the locale
// (what "%.Nf" prints in the C locale).
QString Fixed(double v, int decimals)
{
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    if (r.ec != std::errc()) return QStringLiteral("??");
    return QString::fromLatin1(buf, static_cast<qsizetype>(r.ptr - buf));
}

// Decimals printed for a divisor of 1, 10, 100 or 1000; -1 for any other.
int DecimalsOfDivisor(int divisor)
{
    switch (divisor) {
    case 1: return 0;
    case 10: return 1;
    case 100: return 2;
    case 1000: return 3;
    default: return -1;
    }
}

QString ScaledText(long double x, int divisor)
{
    if (divisor == 0) return QStringLiteral("??");
    const int decimals = DecimalsOfDivisor(divisor);
    // The quotient is rounded to single precision before it is printed.
    const float q = static_cast<float>(x / static_cast<long double>(divisor));
    return Fixed(q, decimals < 0 ? 3 : decimals);
}

QString TwoDigits(int v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

struct Civil {
    std::int64_t year;
    int month, day, hour, minute, second;
};

// Unsigned seconds since 1970-01-01 00:00:00 as calendar fields, without any zone conversion.
Civil CivilFromSeconds(std::uint32_t seconds)
{
    std::int64_t days = seconds / 86400;
    const int rest = static_cast<int>(seconds % 86400);
    // Days to civil date (proleptic Gregorian), era-based.
    days += 719468;
    const std::int64_t era = days / 146097;
    const std::int64_t doe = days - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    Civil c{};
    c.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    c.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    c.year = yoe + era * 400 + (c.month <= 2 ? 1 : 0);
    c.hour = rest / 3600;
    c.minute = rest % 3600 / 60;
    c.second = rest % 60;
    return c;
}

QString DateText(const Civil& c)
{
    return QString::number(c.year) + u'/' + TwoDigits(c.month) + u'/' + TwoDigits(c.day);
}

} // namespace

int StrToIntSafe(const QString& text)
{
    int v = 0;
    if (text.isEmpty() || !vcl::TryStrToInt(text, v)) return 0;
    return v;
}

long double StrToFloatSafe(const QString& text)
{
    if (text.isEmpty()) return 0;
    long double v = 0;
    if (!vcl::TryStrToFloat(text, v)) v = 0;
    // The nearest double to 1e-5, moved away from zero (zero and -0 upward).
    const long double offset = static_cast<long double>(0.00001);
    return v >= 0 ? v + offset : v - offset;
}

int TruncToInt(long double value)
{
    // NaN fails both comparisons.
    if (!(value > -2147483649.0L && value < 2147483648.0L)) return -2147483647 - 1;
    return static_cast<int>(value);
}

std::uint16_t TruncToWord(long double value)
{
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(TruncToInt(value)) & 0xFFFFu);
}

int HexToInt(const QString& text, int n)
{
    std::uint32_t sum = 0;
    const qsizetype count = n < 0 ? 0 : std::min<qsizetype>(n, text.size());
    for (qsizetype i = 0; i < count; ++i) {
        const char16_t c = text[i].unicode();
        std::uint32_t d = 0;
        if (c >= u'0' && c <= u'9') d = c - u'0';
        else if (c >= u'A' && c <= u'F') d = c - u'A' + 10;
        else if (c >= u'a' && c <= u'f') d = c - u'a' + 10;
        sum = sum * 16 + d;
    }
    return static_cast<int>(sum);
}

QString FormatDiv1000(float x)
{
    return Fixed(static_cast<float>(static_cast<long double>(x) * static_cast<long double>(0.001)), 3);
}

QString FormatDiv100(float x)
{
    return Fixed(static_cast<float>(static_cast<long double>(x) * static_cast<long double>(0.01)), 2);
}

QString FormatDiv10(float x)
{
    return Fixed(static_cast<float>(static_cast<long double>(x) * static_cast<long double>(0.1)), 1);
}

QString FormatFloatDecimals(float x, int decimals)
{
    return Fixed(x, std::clamp(decimals, 1, 9));
}

QString FormatScaledFloat(float x, int divisor)
{
    return ScaledText(x, divisor);
}

QString FormatScaledInt(int raw, int divisor, std::uint8_t signedFlag)
{
    if (signedFlag == 1) raw = static_cast<std::int16_t>(static_cast<std::uint16_t>(raw & 0xFFFF));
    return ScaledText(raw, divisor);
}

QString FormatIntWithUnit(int n, const QString& unit)
{
    if (n == 0) return QString();
    return QString::number(n) + unit;
}

QString FormatHhMm(int hhmm)
{
    const int h = hhmm / 100, m = hhmm % 100;
    return QString::number(h / 10) + QString::number(h % 10) + u':' + QString::number(m / 10)
           + QString::number(m % 10);
}

QString FormatSeconds(int seconds)
{
    if (seconds == 0) return QString();
    const int h = seconds / 3600, m = seconds % 3600 / 60, s = seconds % 60;
    return QString::number(h / 10) + QString::number(h % 10) + u':' + QString::number(m / 10)
           + QString::number(m % 10) + u':' + QString::number(s / 10) + QString::number(s % 10);
}

QString FormatDeviceTime(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3, int mode)
{
    if (b0 == 0 && b1 == 0 && b2 == 0 && b3 == 0) return QString();
    const std::uint32_t value = (std::uint32_t(b2) << 24) | (std::uint32_t(b3) << 16)
                                | (std::uint32_t(b0) << 8) | std::uint32_t(b1);
    const Civil c = CivilFromSeconds(value);
    if (c.year > 2100) return QString();
    switch (mode) {
    case 0:
        return DateText(c) + u' ' + TwoDigits(c.hour) + u':' + TwoDigits(c.minute) + u':'
               + TwoDigits(c.second);
    case 1:
        return DateText(c);
    default:
        return QStringLiteral("0");
    }
}

QString FormatEpochDate(int seconds, int offset)
{
    const std::uint32_t sum = static_cast<std::uint32_t>(seconds) + static_cast<std::uint32_t>(offset);
    return DateText(CivilFromSeconds(sum));
}

QString FormatYearMonth(int year, int month, int offset)
{
    const std::int64_t total = std::int64_t(year) * 12 + month + offset;
    std::int64_t m = (total - 1) % 12;
    if (m < 0) m += 12;
    m += 1;
    const std::int64_t y = (total - m) / 12;
    return QString::number(y) + u'/' + TwoDigits(static_cast<int>(m));
}

QString PowerFactorText(unsigned code)
{
    if (code == 0) return QStringLiteral("OFF");
    if (code == 1) return QStringLiteral("Ind 0.8");
    if (code <= 20) return QStringLiteral("Ind 0.") + QString::number(79 + code);
    if (code == 21) return QStringLiteral("1.00");
    if (code <= 41) return QStringLiteral("Cap 0.") + TwoDigits(static_cast<int>(121 - code));
    return QStringLiteral("??");
}

int DecodeScaleDescriptor(int descriptor, const int* mode, int* IdcDivisor, int* PowerMultiplier,
                          int* EnergyMultiplier, int* IacDivisor, int* VoltageDivisor)
{
    const int energyDefault = (mode && *mode == 1) ? 1 : 10;
    const unsigned d = static_cast<unsigned>(descriptor) & 0xFFFFu;
    int idc = 100, power = 1, energy = energyDefault, iac = 100, volt = 10;
    if (d != 0 && (d & 1u) == 0) {
        static const int currentDivisor[4] = {100, 100, 10, 1};
        static const int powerMultiplier[8] = {1, 1, 1, 10, 100, 1000, 1, 1};
        static const int voltageDivisor[4] = {10, 100, 10, 1};
        idc = currentDivisor[(d >> 1) & 3u];
        power = powerMultiplier[(d >> 3) & 7u];
        const unsigned e = (d >> 6) & 15u;
        if (e == 0) energy = energyDefault;
        else if (e <= 4) energy = 1;
        else if (e == 5) energy = 10;
        else if (e == 6) energy = 100;
        else if (e == 7) energy = 1000;
        else energy = 10;
        iac = currentDivisor[(d >> 10) & 3u];
        volt = voltageDivisor[(d >> 12) & 3u];
    }
    if (IdcDivisor) *IdcDivisor = idc;
    if (PowerMultiplier) *PowerMultiplier = power;
    if (EnergyMultiplier) *EnergyMultiplier = energy;
    if (IacDivisor) *IacDivisor = iac;
    if (VoltageDivisor) *VoltageDivisor = volt;
    return 0;
}

QString DataLogPath;

QString ProgramFolder()
{
    const QString home = qEnvironmentVariable("SUNVANE_HOME");
    QString folder;
    if (!home.isEmpty()) folder = home;
    else if (QCoreApplication::instance()) folder = QCoreApplication::applicationDirPath();
    else folder = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', 0, -2);
    folder = QDir::cleanPath(QDir(folder).absolutePath());
    return folder;
}

int UnicodeToAnsiBuf(std::string& buffer, const QString& text)
{
    buffer = text.toStdString();
    return 0;
}

int UnicodeToAnsiBuf2(const QString& text, std::string& buffer)
{
    return UnicodeToAnsiBuf(buffer, text);
}

int CopyFirstWord(std::string& dest, const QString& text)
{
    constexpr std::size_t kMax = 200;
    const std::string all = text.toStdString();
    std::size_t n = 0;
    while (n < all.size() && n < kMax && all[n] != '\0' && all[n] != '\r' && all[n] != ' ') ++n;
    // Never end inside a multi-byte character.
    if (n == kMax && n < all.size())
        while (n > 0 && (static_cast<unsigned char>(all[n]) & 0xC0) == 0x80) --n;
    dest.assign(all, 0, n);
    return static_cast<int>(n);
}

int ContainsText(const std::string& text, const std::string& pattern)
{
    if (pattern.empty() || text.empty()) return 0;
    return text.find(pattern) != std::string::npos ? 1 : 0;
}

int SplitText(const std::string& text, char separator, std::vector<WebReqStr>& tokens)
{
    tokens.clear();
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != separator) continue;
        tokens.push_back({text.substr(start, i - start), static_cast<int>(i - start)});
        start = i + 1;
    }
    if (start < text.size())
        tokens.push_back({text.substr(start), static_cast<int>(text.size() - start)});
    return 0;
}

int FunctionCodeOfIndex(int index)
{
    switch (index) {
    case 0: return 1;
    case 1: return 4;
    case 2: return 3;
    default: return -1;
    }
}

int TestFlagBit(std::uint16_t descriptor, int value)
{
    int bit = -1;
    for (int b = 14; b >= 0; --b)
        if (descriptor & (1u << b)) {
            bit = b;
            break;
        }
    if (bit < 0) return 0;
    const bool isSet = (static_cast<unsigned>(value) >> bit) & 1u;
    const bool wantSet = (descriptor & 0x8000u) != 0;
    return isSet == wantSet ? 1 : 0;
}

int BuildFoundIdList(int (&list)[FoundIdListSize], const int (&IdFound)[SlaveIdTableSize],
                     const int (&IdBaudCode)[SlaveIdTableSize])
{
    int count = 0;
    for (int id = 1; id <= 254; ++id) {
        if (IdFound[id] != id) continue;
        list[1 + count] = id;
        list[256 + count] = IdBaudCode[id];
        ++count;
    }
    list[0] = count;
    list[511] = 0;
    return 0;
}

int EnsureDirectory(const QString& path)
{
    if (!path.isEmpty() && !QFileInfo(path).isDir()) QDir().mkdir(path);
    return 0;
}

int EnsureDirectory(const std::string& path)
{
    return EnsureDirectory(QString::fromStdString(path));
}

int EnsureDirectory(const char* path)
{
    return EnsureDirectory(QString::fromUtf8(path ? path : ""));
}

void ListModeFoldersIn(const QString& folder, QString (&names)[20])
{
    for (QString& n : names) n.clear();
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists()) return;
    const QFileInfoList entries = dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks,
                                                    QDir::Name | QDir::IgnoreCase);
    int stored = 0;
    for (const QFileInfo& e : entries) {
        if (stored == 20) break;
        if (e.fileName().startsWith(u'.')) continue;
        if (!QFileInfo(QDir(e.filePath()).filePath(ModeSettingsFileName)).isFile()) continue;
        names[stored++] = e.fileName();
    }
}

void ListModeFolders(QString (&names)[20])
{
    ListModeFoldersIn(ProgramFolder(), names);
}
