// The program's constant text tables: event texts, the built-in country lists and the
// Japanese-market event texts. Built before main() runs, never changed.
#pragma once

#include <QString>

// Event texts indexed by event code 0..256: 0 empty, 1..128 faults "F01-".."F128-",
// 129..208 errors "E01-".."E80-", 209..256 warnings "W01-".."W48-", each with its description
// or its code alone.
extern const QString EventCodeTexts[257];
// The entry for a code, or an empty text for a code outside the table.
QString EventCodeText(int code);

// Built-in country list: names indexed by the device's country code (empty = no such country)
// and the country code of each position of the built-in combo list (the named codes in order,
// then zeros).
extern const QString CountryNames1[100];
extern const int CountryCodes1[100];
// The same for the devices with product ID 52000270 (CountryListProductId): two countries.
extern const QString CountryNames2[100];
extern const int CountryCodes2[100];
constexpr int CountryListProductId = 52000270;

// Japanese-market event texts: grid-connected codes 1..113, 129..163, 209..238 and
// stand-alone codes 0xFF01..0xFF71, 0xFF81..0xFFA3, 0xFFD1..0xFFEE.
extern const QString JapanGridFaultTexts[113];
extern const QString JapanGridErrorTexts[35];
extern const QString JapanGridWarningTexts[30];
extern const QString JapanStandAloneFaultTexts[113];
extern const QString JapanStandAloneErrorTexts[35];
extern const QString JapanStandAloneWarningTexts[30];

// The text of a Japanese-market event code (the 16-bit word, unsigned); "0" for a code in no range.
QString JapanEventText(unsigned code);

// The inverter's state texts of the status group, by the mode's state-text table: table 0 for
// most products, table 1 for the products that report their control stages. An unknown code
// gives "Unknown"; a table other than 0 and 1 has no texts (an empty text).
QString InverterStateText(int table, int code);
