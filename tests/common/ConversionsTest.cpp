// Text-to-number conversions and display formatters, as tables of cases. Every table also runs
// under a German locale: the printed decimal point never changes and "0,95" reads as "0.95".
#include "common/Myfunc.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

namespace {

struct IntCase { const char* text; int expected; };

const IntCase kIntCases[] = {
    {"", 0},
    {"12", 12},
    {" -7", -7},
    {"  +8", 8},
    {"12 ", 0},             // trailing blank
    {"1.5", 0},
    {"2147483647", 2147483647},
    {"-2147483648", -2147483647 - 1},
    {"2147483648", 0},      // beyond 32 bits
    {"-2147483649", 0},
    {"99999999999999999999", 0},
    {"$10", 16},
    {"0x1F", 31},
    {"0X1f", 31},
    {"x10", 16},
    {"X10", 16},
    {"-$10", -16},
    {"$FFFFFFFF", -1},      // eight hex digits wrap
    {"$80000000", -2147483647 - 1},
    {"$100000000", 0},      // nine significant digits
    {"$000000010", 16},     // leading zeros do not count
    {"$", 0},
    {"0x", 0},
    {"-", 0},
    {"+", 0},
    {"abc", 0},
    {"1e3", 0},
    {"12a", 0},
    {"\xd9\xa3", 0},        // an Arabic-Indic digit is no digit here
    {"007", 7},
};

struct FloatCase { const char* text; long double parsed; bool isNumber; };

const FloatCase kFloatCases[] = {
    {"12.3", 12.3L, true},
    {"-0.5", -0.5L, true},
    {"0", 0.0L, true},
    {"-0", 0.0L, true},
    {"0.29", 0.29L, true},
    {"-1.2", -1.2L, true},
    {"0,95", 0.95L, true},
    {"0.95", 0.95L, true},
    {" 1.5 ", 1.5L, true},
    {"1.", 1.0L, true},
    {",5", 0.5L, true},
    {"+2", 2.0L, true},
    {"1e2", 100.0L, true},
    {"2.5E-1", 0.25L, true},
    {"a", 0, false},
    {"1,000.5", 0, false},  // no thousands separators
    {"1.2.3", 0, false},
    {"inf", 0, false},
    {"nan", 0, false},
    {"0x10", 0, false},
    {"1e", 0, false},
    {".", 0, false},
    {"-", 0, false},
    {"1e99999", 0, false},  // out of range
};

void CheckConversions()
{
    for (const IntCase& c : kIntCases)
        EXPECT_EQ(StrToIntSafe(QString::fromUtf8(c.text)), c.expected) << "StrToIntSafe(\"" << c.text << "\")";

    EXPECT_EQ(StrToFloatSafe(QString()), 0.0L);
    const long double offset = static_cast<long double>(0.00001);
    for (const FloatCase& c : kFloatCases) {
        const long double v = StrToFloatSafe(QString::fromUtf8(c.text));
        long double expected = c.isNumber ? c.parsed : 0.0L;
        expected = expected >= 0 ? expected + offset : expected - offset;
        EXPECT_EQ(v, expected) << "StrToFloatSafe(\"" << c.text << "\")";
    }
    // What the settings handlers do with the result: times the scale, truncated toward zero.
    EXPECT_EQ(static_cast<int>(StrToFloatSafe("0.29") * 100), 29);
    EXPECT_EQ(static_cast<int>(StrToFloatSafe("0,95") * 100), 95);
    EXPECT_EQ(static_cast<int>(StrToFloatSafe("-1.2") * 10), -12);
    EXPECT_EQ(static_cast<int>(StrToFloatSafe("49.99") * 100), 4999);

    struct Fmt { QString got; const char* expected; };
    const Fmt formats[] = {
        {FormatDiv1000(1234), "1.234"},
        {FormatDiv1000(0), "0.000"},
        {FormatDiv1000(-1), "-0.001"},
        {FormatDiv100(1005), "10.05"},
        {FormatDiv100(0), "0.00"},
        {FormatDiv100(65535), "655.35"},
        {FormatDiv10(-15), "-1.5"},
        {FormatDiv10(0), "0.0"},
        {FormatDiv10(2305), "230.5"},
        {FormatFloatDecimals(0.95f, 2), "0.95"},
        {FormatFloatDecimals(1.25f, 1), "1.2"},      // 1.25 is exact: ties go to even
        {FormatFloatDecimals(0.1f, 9), "0.100000001"},
        {FormatScaledFloat(12345, 1), "12345"},
        {FormatScaledFloat(12345, 10), "1234.5"},
        {FormatScaledFloat(12345, 100), "123.45"},
        {FormatScaledFloat(12345, 1000), "12.345"},
        {FormatScaledInt(65535, 10, 0), "6553.5"},
        {FormatScaledInt(65535, 10, 1), "-0.1"},
        {FormatScaledInt(-2, 100, 0), "-0.02"},
        {FormatScaledInt(65534, 100, 1), "-0.02"},
        {FormatScaledInt(65534, 100, 0), "655.34"},
        {FormatScaledInt(65534, 100, 2), "655.34"},  // only a flag of exactly 1 signs the word
        {FormatScaledInt(0x18000, 1, 1), "-32768"},  // the low 16 bits alone
        // Single precision: 2^24 + 1 has no float, it prints as its even neighbour.
        {FormatScaledInt(16777217, 1, 0), "16777216"},
        {FormatScaledInt(16777219, 1, 0), "16777220"},
        {FormatScaledInt(123456789, 1000, 0), "123456.789"},  // 123456.7890625 as a float
        {FormatIntWithUnit(0, " sec"), ""},
        {FormatIntWithUnit(30, " sec"), "30 sec"},
        {FormatIntWithUnit(-5, " %"), "-5 %"},
        {FormatHhMm(930), "09:30"},
        {FormatHhMm(0), "00:00"},
        {FormatHhMm(2359), "23:59"},
        {FormatHhMm(5), "00:05"},
        {FormatHhMm(1200), "12:00"},
        {FormatHhMm(21930), "219:30"},
        {FormatSeconds(3725), "01:02:05"},
        {FormatSeconds(360000), "100:00:00"},
        {FormatSeconds(59), "00:00:59"},
        {FormatSeconds(0), ""},
        {FormatEpochDate(0, 0), "1970/01/01"},
        {FormatEpochDate(1584605100, 0), "2020/03/19"},
        {FormatEpochDate(1584605100, -86400), "2020/03/18"},
        {FormatEpochDate(1582934400, 0), "2020/02/29"},
        {FormatEpochDate(-1, 0), "2106/02/07"},      // read as unsigned
        {FormatYearMonth(2020, 3, -4), "2019/11"},
        {FormatYearMonth(2020, 12, 0), "2020/12"},
        {FormatYearMonth(2020, 1, -1), "2019/12"},
        {FormatYearMonth(2021, 1, -13), "2019/12"},
        {FormatYearMonth(2020, 11, 1), "2020/12"},
        {FormatYearMonth(2020, 12, 1), "2021/01"},
        {FormatYearMonth(2020, 6, -23), "2018/07"},
        {PowerFactorText(0), "OFF"},
        {PowerFactorText(1), "Ind 0.8"},
        {PowerFactorText(2), "Ind 0.81"},
        {PowerFactorText(20), "Ind 0.99"},
        {PowerFactorText(21), "1.00"},
        {PowerFactorText(22), "Cap 0.99"},
        {PowerFactorText(41), "Cap 0.80"},
        {PowerFactorText(42), "??"},
        {PowerFactorText(static_cast<unsigned>(-1)), "??"},
    };
    for (const Fmt& f : formats) EXPECT_EQ(f.got.toStdString(), f.expected);
}

// 2020/03/19 08:05:00 as seconds since 1970 without a zone: 1584605100 = 0x5E7327AC.
TEST(DeviceTime, BytesModesAndLimits)
{
    // First register (low word) 0x27AC, second register (high word) 0x5E73.
    EXPECT_EQ(FormatDeviceTime(0x27, 0xAC, 0x5E, 0x73, 0).toStdString(), "2020/03/19 08:05:00");
    EXPECT_EQ(FormatDeviceTime(0x27, 0xAC, 0x5E, 0x73, 1).toStdString(), "2020/03/19");
    EXPECT_EQ(FormatDeviceTime(0x27, 0xAC, 0x5E, 0x73, 2).toStdString(), "0");
    EXPECT_EQ(FormatDeviceTime(0x27, 0xAC, 0x5E, 0x73, -1).toStdString(), "0");
    for (int mode : {0, 1, 2}) EXPECT_EQ(FormatDeviceTime(0, 0, 0, 0, mode), QString()) << mode;
    EXPECT_EQ(FormatDeviceTime(0xFF, 0xFF, 0xFF, 0xFF, 0), QString());   // year 2106
    EXPECT_EQ(FormatDeviceTime(0, 1, 0, 0, 0).toStdString(), "1970/01/01 00:00:01");
    // 4133980799 = 2100/12/31 23:59:59 is the last time shown; one second later is 2101.
    EXPECT_EQ(FormatDeviceTime(0x8A, 0x7F, 0xF6, 0x67, 0).toStdString(), "2100/12/31 23:59:59");
    EXPECT_EQ(FormatDeviceTime(0x8A, 0x80, 0xF6, 0x67, 0), QString());
}

TEST(TruncToWord, TypedValuesIntoRegisterWords)
{
    EXPECT_EQ(TruncToInt(StrToFloatSafe("0.29") * 100), 29);
    EXPECT_EQ(TruncToInt(-12.9L), -12);
    EXPECT_EQ(TruncToInt(2147483647.9L), 2147483647);
    EXPECT_EQ(TruncToInt(-2147483648.9L), -2147483647 - 1);
    EXPECT_EQ(TruncToInt(2147483648.0L), -2147483647 - 1);
    EXPECT_EQ(TruncToInt(StrToFloatSafe("1e300")), -2147483647 - 1);
    EXPECT_EQ(TruncToInt(std::nanl("")), -2147483647 - 1);
    EXPECT_EQ(TruncToWord(StrToFloatSafe("-1") * 10), 0xFFF6);     // -10.0001 -> -10
    EXPECT_EQ(TruncToWord(StrToFloatSafe("70000")), 70000 & 0xFFFF);  // the general 16-bit wrap
    EXPECT_EQ(TruncToWord(StrToFloatSafe("1e12")), 0);
}

TEST(HexToInt, ReadsTheFirstDigits)
{
    EXPECT_EQ(HexToInt("1F", 2), 31);
    EXPECT_EQ(HexToInt("ff", 2), 255);
    EXPECT_EQ(HexToInt("A0B", 2), 160);
    EXPECT_EQ(HexToInt("12", 0), 0);
    EXPECT_EQ(HexToInt("7", 5), 7);            // never reads past the text
    EXPECT_EQ(HexToInt("FFFFFFFF", 8), -1);
}

TEST(Conversions, CLocale)
{
    CheckConversions();
}

TEST(Conversions, GermanLocaleChangesNothing)
{
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
        << "locale de_DE.UTF-8 is missing (scripts/deps installs the package locales and generates it)";
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    EXPECT_STREQ(probe, "1,5") << "the locale is active";
    CheckConversions();
    std::setlocale(LC_ALL, saved.c_str());
}

struct ScaleCase {
    int descriptor, mode;
    int idc, power, energy, iac, volt;
};

TEST(DecodeScaleDescriptor, Fields)
{
    const ScaleCase cases[] = {
        {0x0000, 3, 100, 1, 10, 100, 10},
        {0x0000, 1, 100, 1, 1, 100, 10},
        {0x0001, 3, 100, 1, 10, 100, 10},
        {0xFFFF, 1, 100, 1, 1, 100, 10},
        {0x0002, 3, 100, 1, 10, 100, 10},
        {0x0002, 1, 100, 1, 1, 100, 10},
        {0x3FFE, 3, 1, 1, 10, 1, 1},
        {0x2D5C, 3, 10, 10, 10, 1, 10},
        {0x2D5C, 1, 10, 10, 10, 1, 10},
        {0x0004 | (4 << 3), 3, 10, 100, 10, 100, 10},
        {0x0004 | (5 << 3) | (7 << 6), 3, 10, 1000, 1000, 100, 10},
        {0x0006 | (6 << 6) | (2 << 10) | (1 << 12), 1, 1, 1, 100, 10, 100},
        {0x0002 | (1 << 6), 3, 100, 1, 1, 100, 10},      // energy field 1..4 gives 1
        {0x0002 | (2 << 6), 3, 100, 1, 1, 100, 10},
        {0x0002 | (3 << 6), 3, 100, 1, 1, 100, 10},
        {0x0002 | (4 << 6), 3, 100, 1, 1, 100, 10},
        {0x0002 | (4 << 6), 1, 100, 1, 1, 100, 10},
        {0x0002 | (5 << 6), 1, 100, 1, 10, 100, 10},     // 5 gives 10 even for one phase
        {0x0002 | (8 << 6), 1, 100, 1, 10, 100, 10},     // 8..15 gives 10 even for one phase
        {0x0002 | (3 << 12), 3, 100, 1, 10, 100, 1},
        {0xC002, 3, 100, 1, 10, 100, 10},                // bits 14-15 are unused
    };
    for (const ScaleCase& c : cases) {
        int idc = -1, power = -1, energy = -1, iac = -1, volt = -1;
        EXPECT_EQ(DecodeScaleDescriptor(c.descriptor, &c.mode, &idc, &power, &energy, &iac, &volt), 0);
        EXPECT_EQ(idc, c.idc) << std::hex << c.descriptor;
        EXPECT_EQ(power, c.power) << std::hex << c.descriptor;
        EXPECT_EQ(energy, c.energy) << std::hex << c.descriptor;
        EXPECT_EQ(iac, c.iac) << std::hex << c.descriptor;
        EXPECT_EQ(volt, c.volt) << std::hex << c.descriptor;
    }
}

} // namespace
