#include "vcl/IniFile.h"

#include "vcl/FileWrite.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QStringDecoder>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <unistd.h>
#include <cstdint>
#include <string>

namespace vcl {

namespace {

bool IsBlank(QChar c) { return c == u' ' || c == u'\t'; }
bool IsDigit(QChar c) { return c >= u'0' && c <= u'9'; }

int HexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    return -1;
}

} // namespace

bool TryStrToInt(const QString& text, int& value)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i >= n) return false;

    bool hex = false;
    if (text[i] == u'$' || text[i] == u'x' || text[i] == u'X') {
        hex = true;
        ++i;
    } else if (text[i] == u'0' && i + 1 < n && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        hex = true;
        i += 2;
    }
    if (i >= n) return false;

    if (hex) {
        std::uint32_t v = 0;
        int digits = 0;
        for (; i < n; ++i) {
            const int d = HexDigit(text[i]);
            if (d < 0) return false;
            if (v == 0 && d == 0) continue;          // leading zeros do not count
            if (++digits > 8) return false;
            v = (v << 4) | static_cast<std::uint32_t>(d);
        }
        // Eight digits wrap into the negative range, as the class library does.
        value = static_cast<int>(negative ? 0u - v : v);
        return true;
    }

    std::int64_t v = 0;
    for (; i < n; ++i) {
        if (!IsDigit(text[i])) return false;
        v = v * 10 + (text[i].unicode() - u'0');
        if (v > 2147483648LL) return false;
    }
    if (negative) v = -v;
    if (v > 2147483647LL || v < -2147483648LL) return false;
    value = static_cast<int>(v);
    return true;
}

bool TryStrToFloat(const QString& text, long double& value)
{
    qsizetype b = 0, e = text.size();
    while (b < e && IsBlank(text[b])) ++b;
    while (e > b && IsBlank(text[e - 1])) --e;

    std::string ascii;
    ascii.reserve(static_cast<std::size_t>(e - b) + 2);
    qsizetype i = b;
    if (i < e && (text[i] == u'+' || text[i] == u'-')) {
        if (text[i] == u'-') ascii += '-';
        ++i;
    }
    int mantissaDigits = 0;
    for (; i < e && IsDigit(text[i]); ++i, ++mantissaDigits) ascii += static_cast<char>(text[i].unicode());
    if (i < e && (text[i] == u'.' || text[i] == u',')) {
        ascii += '.';
        for (++i; i < e && IsDigit(text[i]); ++i, ++mantissaDigits)
            ascii += static_cast<char>(text[i].unicode());
    }
    if (mantissaDigits == 0) return false;
    if (i < e && (text[i] == u'e' || text[i] == u'E')) {
        ascii += 'e';
        ++i;
        if (i < e && (text[i] == u'+' || text[i] == u'-')) ascii += static_cast<char>(text[i++].unicode());
        int expDigits = 0;
        for (; i < e && IsDigit(text[i]); ++i, ++expDigits) ascii += static_cast<char>(text[i].unicode());
        if (expDigits == 0) return false;
    }
    if (i != e) return false;

    long double v = 0;
    const char* first = ascii.data();
    const char* last = first + ascii.size();
    const auto [ptr, ec] = std::from_chars(first, last, v, std::chars_format::general);
    if (ec != std::errc() || ptr != last) return false;
    value = v;
    return true;
}

// ---------------------------------------------------------------------------------------------

namespace {

enum class Kind { Other, Section, Key };

struct Parsed {
    Kind kind = Kind::Other;
    QString name;   // section or key name, trimmed
    QString value;  // key value, trimmed
};

Parsed ParseLine(const QString& text)
{
    Parsed p;
    const QString t = text.trimmed();
    if (t.isEmpty() || t.startsWith(u';') || t.startsWith(u'#')) return p;
    if (t.startsWith(u'[')) {
        const qsizetype close = t.indexOf(u']');
        p.kind = Kind::Section;
        p.name = (close < 0 ? t.mid(1) : t.mid(1, close - 1)).trimmed();
        return p;
    }
    const qsizetype eq = t.indexOf(u'=');
    if (eq <= 0) return p;
    p.name = t.left(eq).trimmed();
    if (p.name.isEmpty()) return p;
    p.kind = Kind::Key;
    p.value = t.mid(eq + 1).trimmed();
    return p;
}

bool SameName(const QString& a, const QString& b)
{
    return QString::compare(a, b.trimmed(), Qt::CaseInsensitive) == 0;
}

QString Decode(const QByteArray& raw)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = utf8(raw);
    if (utf8.hasError()) return QString::fromLatin1(raw);
    return s;
}

bool HasLineBreak(const QString& s)
{
    return s.contains(u'\n') || s.contains(u'\r');
}

} // namespace

TIniFile::TIniFile(const QString& path) : path_(path)
{
    Reload();
}

void TIniFile::Reload()
{
    lines_.clear();
    found_ = false;
    QFileInfo info(path_);
    if (!info.isFile()) return;
    QFile f(path_);
    if (!f.open(QIODevice::ReadOnly)) return;
    found_ = true;
    const QByteArray data = f.readAll();
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype nl = data.indexOf('\n', start);
        Line line;
        if (nl < 0) {
            line.raw = data.mid(start);
            start = data.size();
        } else {
            line.raw = data.mid(start, nl - start);
            line.ending = "\n";
            if (line.raw.endsWith('\r')) {
                line.raw.chop(1);
                line.ending = "\r\n";
            }
            start = nl + 1;
        }
        QByteArray body = line.raw;
        if (lines_.empty() && body.startsWith("\xEF\xBB\xBF")) body.remove(0, 3);
        line.text = Decode(body);
        Classify(line);
        lines_.push_back(std::move(line));
    }
}

int TIniFile::FindSection(const QString& section) const
{
    const QString wanted = section.trimmed();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line& l = lines_[i];
        if (l.kind == 1 && QString::compare(l.name, wanted, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
    }
    return -1;
}

int TIniFile::SectionEnd(int header) const
{
    std::size_t i = static_cast<std::size_t>(header) + 1;
    for (; i < lines_.size(); ++i)
        if (lines_[i].kind == 1) break;
    return static_cast<int>(i);
}

int TIniFile::FindKey(int header, const QString& key) const
{
    if (header < 0) return -1;
    const QString wanted = key.trimmed();
    const int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        const Line& l = lines_[static_cast<std::size_t>(i)];
        if (l.kind == 2 && QString::compare(l.name, wanted, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& def) const
{
    const int line = FindKey(FindSection(section), key);
    if (line < 0) return def;
    return lines_[static_cast<std::size_t>(line)].value;
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int def) const
{
    int v = 0;
    return TryStrToInt(ReadString(section, key, QString()), v) ? v : def;
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(const QString& section, const QString& key, double def) const
{
    long double v = 0;
    return TryStrToFloat(ReadString(section, key, QString()), v) ? static_cast<double>(v) : def;
}

bool TIniFile::SectionExists(const QString& section) const
{
    return FindSection(section) >= 0;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const
{
    return FindKey(FindSection(section), key) >= 0;
}

QStringList TIniFile::ReadSection(const QString& section) const
{
    QStringList keys;
    const int header = FindSection(section);
    if (header < 0) return keys;
    const int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        const Line& l = lines_[static_cast<std::size_t>(i)];
        if (l.kind != 2) continue;
        bool seen = false;
        for (const QString& k : keys) seen = seen || SameName(k, l.name);
        if (!seen) keys << l.name;
    }
    return keys;
}

QHash<QString, QString> TIniFile::ReadSectionValues(const QString& section) const
{
    QHash<QString, QString> values;
    const int header = FindSection(section);
    if (header < 0) return values;
    const int end = SectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        const Line& l = lines_[static_cast<std::size_t>(i)];
        if (l.kind != 2) continue;
        const QString key = l.name.toCaseFolded();
        if (!values.contains(key)) values.insert(key, l.value); // the first line of a key counts
    }
    return values;
}

QStringList TIniFile::ReadSections() const
{
    QStringList names;
    for (const Line& l : lines_) {
        if (l.kind == 1) names << l.name;
    }
    return names;
}

TIniFile::Line TIniFile::MakeLine(const QString& text, const QByteArray& ending)
{
    Line l;
    l.raw = text.toUtf8();
    l.ending = ending;
    l.text = text;
    Classify(l);
    return l;
}

void TIniFile::Classify(Line& line)
{
    const Parsed p = ParseLine(line.text);
    line.kind = p.kind == Kind::Section ? 1 : p.kind == Kind::Key ? 2 : 0;
    line.name = p.name;
    line.value = p.value;
}

QByteArray TIniFile::NewLineEnding() const
{
    for (const Line& l : lines_)
        if (!l.ending.isEmpty()) return l.ending;
    return "\n";
}

bool TIniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    const QString sec = section.trimmed();
    const QString k = key.trimmed();
    if (sec.isEmpty() || k.isEmpty() || HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)
        || k.contains(u'=') || sec.contains(u']') || k.startsWith(u'[') || k.startsWith(u';')
        || k.startsWith(u'#')) {
        error_ = QStringLiteral("Unable to write to %1: invalid section, key or value").arg(path_);
        groupFailed_ = groupFailed_ || updating_;
        return false;
    }
    if (!Prepare())
        return false;
    // Inside a group the text in memory is changed in place; outside, a copy is changed and
    // becomes the text only when the file took it.
    std::vector<Line> copy;
    if (!updating_)
        copy = lines_;
    std::vector<Line>& lines = updating_ ? lines_ : copy;
    const QByteArray nl = NewLineEnding();
    const QString v = value.trimmed();
    const int header = FindSection(sec);
    const int at = FindKey(header, k);
    if (at >= 0) {
        // Keep the key's spelling and the blanks around "=" as they stand.
        Line& line = lines[static_cast<std::size_t>(at)];
        const qsizetype eq = line.text.indexOf(u'=');
        qsizetype valueStart = eq + 1;
        while (valueStart < line.text.size() && IsBlank(line.text[valueStart])) ++valueStart;
        line = MakeLine(line.text.left(valueStart) + v, line.ending);
    } else if (header >= 0) {
        int last = header;
        const int end = SectionEnd(header);
        for (int i = header + 1; i < end; ++i)
            if (!lines[static_cast<std::size_t>(i)].text.trimmed().isEmpty()) last = i;
        Line& prev = lines[static_cast<std::size_t>(last)];
        if (prev.ending.isEmpty()) prev.ending = nl;
        lines.insert(lines.begin() + last + 1, MakeLine(k + u'=' + v, nl));
    } else {
        if (!lines.empty() && lines.back().ending.isEmpty()) lines.back().ending = nl;
        lines.push_back(MakeLine(u'[' + sec + u']', nl));
        lines.push_back(MakeLine(k + u'=' + v, nl));
    }
    return Store(lines);
}

bool TIniFile::WriteInteger(const QString& section, const QString& key, int value)
{
    return WriteString(section, key, QString::number(value));
}

bool TIniFile::WriteBool(const QString& section, const QString& key, bool value)
{
    return WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool TIniFile::WriteFloat(const QString& section, const QString& key, double value)
{
    return WriteString(section, key, QString::number(value, 'g', 15));
}

bool TIniFile::EraseSection(const QString& section)
{
    if (!Prepare())
        return false;
    const int header = FindSection(section);
    if (header < 0) return true;
    std::vector<Line> lines = lines_;
    lines.erase(lines.begin() + header, lines.begin() + SectionEnd(header));
    return Store(lines);
}

bool TIniFile::DeleteKey(const QString& section, const QString& key)
{
    if (!Prepare())
        return false;
    const int at = FindKey(FindSection(section), key);
    if (at < 0) return true;
    std::vector<Line> lines = lines_;
    lines.erase(lines.begin() + at);
    return Store(lines);
}

bool TIniFile::Prepare()
{
    // Outside a group every write works on the file as it stands now, as the profile functions
    // do; inside one the file was read when the group began.
    if (!updating_)
        Reload();
    if (!found_) {
        error_ = QStringLiteral("Unable to write to %1").arg(path_);
        groupFailed_ = groupFailed_ || updating_;
        return false;
    }
    return true;
}

void TIniFile::BeginUpdate()
{
    Reload();
    updating_ = true;
    dirty_ = false;
    groupFailed_ = false;
}

bool TIniFile::EndUpdate()
{
    if (!updating_)
        return error_.isEmpty();
    updating_ = false;
    const bool failed = groupFailed_;
    const bool dirty = dirty_;
    groupFailed_ = dirty_ = false;
    if (failed) {
        Reload();   // the text in memory goes back to the file's
        return false;
    }
    if (!dirty) {
        error_.clear();
        return true;
    }
    const std::vector<Line> lines = lines_;
    if (!Store(lines)) {
        Reload();
        return false;
    }
    return true;
}

bool TIniFile::Store(const std::vector<Line>& lines)
{
    if (updating_) {
        if (&lines != &lines_)
            lines_ = lines;
        dirty_ = true;
        return true;
    }
    QByteArray data;
    for (const Line& l : lines) {
        data += l.raw;
        data += l.ending;
    }
    // The one writer of the program: the file whole or not at all, a read-only file or folder
    // refused for every user, a symbolic link followed. An INI file is never created.
    if (!QFileInfo(path_).isFile()) {
        error_ = FileWriteError(path_, QStringLiteral("no such file"));
        return false;
    }
    if (!WriteFileWhole(path_, data, &error_))
        return false;
    lines_ = lines;
    error_.clear();
    return true;
}

} // namespace vcl
