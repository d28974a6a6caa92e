// The constant text tables: shape of every entry and the entries the program relies on.
#include "common/Tables.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace {

QString Prefix(int code)
{
    if (code <= 128) return QStringLiteral("F%1-").arg(code, 2, 10, QLatin1Char('0'));
    if (code <= 208) return QStringLiteral("E%1-").arg(code - 128, 2, 10, QLatin1Char('0'));
    return QStringLiteral("W%1-").arg(code - 208, 2, 10, QLatin1Char('0'));
}

TEST(EventCodeTexts, EveryEntryStartsWithItsCode)
{
    EXPECT_EQ(EventCodeTexts[0], QString());
    for (int c = 1; c <= 256; ++c) EXPECT_TRUE(EventCodeTexts[c].startsWith(Prefix(c))) << c;
}

TEST(EventCodeTexts, Entries)
{
    struct Case { int code; const char* text; };
    const Case cases[] = {
        {1, "F01- HW DC Inject (R Phase)"},
        {42, "F42- CT sensor Fail (R\u76f8)"},
        {43, "F43- CT sensor Fail (S\u76f8)"},
        {44, "F44- CT sensor Fail (T\u76f8)"},
        {49, "F49- "},
        {66, "F66- "},
        {69, "F69- "},
        {75, "F75-"},
        {79, "F79- "},
        {95, "F95- ATS Bais Fail"},
        {96, "F96- Internal Communiction Fault(ATS)"},
        {100, "F100- Battery Under Temperature"},
        {105, "F105-"},
        {113, "F113- BT EOL"},
        {128, "F128-"},
        {129, "E01- Over Frequency Range"},
        {142, "E14- "},
        {152, "E24- "},
        {164, "E36- Slow Under Voltage Range (R Phase)"},
        {165, "E37-"},
        {208, "E80-"},
        {209, "W01-"},
        {212, "W04- PID Relay Fail"},
        {215, "W07-De-rating"},
        {217, "W09-Reserved (HW FAN INT)"},
        {223, "W15-SPD Fail"},
        {235, "W27-BT Derating"},
        {236, "W28-"},
        {256, "W48-"},
    };
    for (const Case& c : cases) EXPECT_EQ(EventCodeTexts[c.code], QString::fromUtf8(c.text)) << c.code;
    EXPECT_EQ(EventCodeText(129), EventCodeTexts[129]);
    EXPECT_EQ(EventCodeText(257), QString());
    EXPECT_EQ(EventCodeText(-1), QString());

    // Code-only entries: a blank after the hyphen only for these codes.
    int withDescription = 0;
    for (int c = 1; c <= 256; ++c) {
        const QString rest = EventCodeTexts[c].mid(Prefix(c).size());
        if (rest.trimmed().isEmpty()) {
            const bool blank = c == 49 || c == 53 || c == 54 || (c >= 66 && c <= 69) || c == 78 || c == 79
                               || c == 142 || c == 152;
            EXPECT_EQ(rest, blank ? " " : "") << c;
        } else {
            ++withDescription;
        }
    }
    EXPECT_EQ(withDescription, 148);
}

TEST(CountryTables, BuiltInLists)
{
    // The combo list: every name longer than one character, in code order; position k is
    // CountryCodes1[k].
    QStringList combo;
    for (const QString& n : CountryNames1)
        if (n.size() > 1) combo << n;
    ASSERT_EQ(combo.size(), 32);
    for (int k = 0; k < 32; ++k) EXPECT_EQ(CountryNames1[CountryCodes1[k]], combo[k]) << k;
    for (int k = 32; k < 100; ++k) EXPECT_EQ(CountryCodes1[k], 0) << k;
    for (int code : {6, 9, 10, 12, 13, 15, 17, 18, 19, 23, 25, 43, 99}) EXPECT_EQ(CountryNames1[code], QString()) << code;
    EXPECT_EQ(CountryNames1[0], "Default");
    EXPECT_EQ(CountryCodes1[6], 7);
    EXPECT_EQ(CountryNames1[CountryCodes1[6]], "Greece");
    EXPECT_EQ(CountryNames1[14], "AU/NZ");
    EXPECT_EQ(CountryNames1[32], "Thailand MEA2013");
    EXPECT_EQ(CountryNames1[42], "Namibia");

    QStringList combo2;
    for (const QString& n : CountryNames2)
        if (n.size() > 1) combo2 << n;
    EXPECT_EQ(combo2, QStringList({"Custom", "Germany LV"}));
    EXPECT_EQ(CountryNames2[1], "Custom");
    EXPECT_EQ(CountryNames2[28], "Germany LV");
    EXPECT_EQ(CountryCodes2[0], 1);
    EXPECT_EQ(CountryCodes2[1], 28);
    for (int k = 2; k < 100; ++k) EXPECT_EQ(CountryCodes2[k], 0) << k;
}

TEST(JapanEventText, RangesAndEntries)
{
    struct Case { unsigned code; const char* text; };
    const Case cases[] = {
        {1, "G_F01- 直流分検出"},
        {2, "G_F02- "},
        {0xFF01, "S_F01- "},
        {75, "G_F75- "},
        {74, "G_F74- 外部通信異"},
        {98, "G_F98- 蓄電池不足電圧"},
        {113, "G_F113- 蓄電池寿命"},
        {0xFF48, "S_F72- "},
        {0xFF61, "S_F97- 蓄電池過電圧"},
        {0xFF71, "S_F113- 蓄電池寿命"},
        {0xFF30, "S_F48- 過負荷"},
        {129, "G_E01- 系統過周波数"},
        {158, "G_E30- 太陽電池過電圧〈連係〉"},
        {0xFF9E, "S_E30- 太陽電池過電圧〈自立〉"},
        {163, "G_E35- "},
        {0xFF81, "S_E01- "},
        {0xFFA3, "S_E35- "},
        {209, "G_W01- "},
        {232, "G_W24- 主幹負荷計測異常"},
        {238, "G_W30- "},
        {0xFFD1, "S_W01- "},
        {0xFFE4, "S_W20- 自立運転操作警告"},
        {0xFFEE, "S_W30- "},
        // Outside every range: the text 0.
        {0, "0"}, {114, "0"}, {128, "0"}, {164, "0"}, {208, "0"}, {239, "0"}, {0xFF00, "0"},
        {0xFF72, "0"}, {0xFF80, "0"}, {0xFFA4, "0"}, {0xFFD0, "0"}, {0xFFEF, "0"}, {0xFFFF, "0"},
        {0x10001, "0"},
    };
    for (const Case& c : cases) EXPECT_EQ(JapanEventText(c.code), QString::fromUtf8(c.text)) << std::hex << c.code;

    // Every entry of a table carries its prefix, number, hyphen and blank.
    struct Table { const QString* texts; int count; const char* prefix; unsigned first; };
    const Table tables[] = {
        {JapanGridFaultTexts, 113, "G_F", 1},         {JapanGridErrorTexts, 35, "G_E", 129},
        {JapanGridWarningTexts, 30, "G_W", 209},      {JapanStandAloneFaultTexts, 113, "S_F", 0xFF01},
        {JapanStandAloneErrorTexts, 35, "S_E", 0xFF81}, {JapanStandAloneWarningTexts, 30, "S_W", 0xFFD1},
    };
    for (const Table& t : tables)
        for (int i = 0; i < t.count; ++i) {
            const QString head = QString::fromLatin1(t.prefix) + QStringLiteral("%1- ").arg(i + 1, 2, 10, QLatin1Char('0'));
            EXPECT_TRUE(t.texts[i].startsWith(head)) << t.prefix << i;
            EXPECT_EQ(JapanEventText(t.first + static_cast<unsigned>(i)), t.texts[i]);
        }
}

} // namespace

namespace {

TEST(InverterStateText, BothTablesAndTheirEnds)
{
    struct Case { int table; int code; const char* text; };
    const Case cases[] = {
        {0, 0, "Stand by"}, {0, 2, "On Grid"}, {0, 3, "No Dc"}, {0, 5, "Unknown"}, {0, 6, "Stand alone"},
        {0, 8, "Check PV Power"}, {0, 9, "Unknown"}, {0, 65535, "Unknown"}, {0, -1, "Unknown"},
        {1, 2, "Unknown"}, {1, 4, "Stand by"}, {1, 15, "Solar2 MPPT "}, {1, 25, "Solar1 MPPT"},
        {1, 45, "Parallel MPPT"}, {1, 41, "Separate MPPT"}, {1, 43, "Pseudo Para. MPPT"},
        {1, 47, "Fixed Inv. Curr."}, {1, 50, "Stop"}, {1, 51, "Unknown"}, {1, 129, "Count Down"},
        {1, 131, "Voltage mode"}, {1, 132, "Unknown"},
        {2, 2, ""}, {-1, 0, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(InverterStateText(c.table, c.code), QString::fromLatin1(c.text)) << c.table << ":" << c.code;
}

} // namespace
