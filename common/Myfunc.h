// Conversions, display formatters and small utilities shared by every part of the program.
// None of them keeps state or touches a window; a bad input gives a defined fallback.
// Numbers are always printed with "." as the decimal point, whatever the process locale.
#pragma once

#include <QString>
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

// ---------------------------------------------------------------------------------------------
// Text to number

// The integer a text holds: leading blanks, an optional sign, then decimal digits or hex digits
// after "$", "0x", "0X", "x" or "X" (eight hex digits wrap into the negative range). Empty text,
// any other character (trailing blanks too) or a value outside 32 bits gives 0.
int StrToIntSafe(const QString& text);

// The number a text holds, moved 0.00001 away from zero (zero moves upward), so that a typed
// 0.29 times 100 truncates to 29. "." and "," both count as the decimal separator; there are
// no thousands separators. Empty text gives exactly 0; a text that is no number gives 0.00001.
long double StrToFloatSafe(const QString& text);

// A typed value times its scale, truncated toward zero into an int. A value outside the 32-bit
// range, or not a number, gives -2147483648 (the processor's "integer indefinite"), so a cast
// never has undefined behaviour; TruncToWord keeps the low 16 bits of that, the register word.
int TruncToInt(long double value);
std::uint16_t TruncToWord(long double value);

// The first n characters of text read as hexadecimal digits (n = 0 gives 0). A character that
// is not a hex digit counts as 0; n beyond the text's length reads the whole text.
int HexToInt(const QString& text, int n);

// ---------------------------------------------------------------------------------------------
// Number to text (single-precision results, printed in fixed notation)

QString FormatDiv1000(float x);                 // x * 0.001, "%.3f"
QString FormatDiv100(float x);                  // x * 0.01,  "%.2f"
QString FormatDiv10(float x);                   // x * 0.1,   "%.1f"
QString FormatFloatDecimals(float x, int decimals);   // "%.1f" .. "%.9f"
// x / divisor printed with 0, 1, 2 or 3 decimals for divisor 1, 10, 100 or 1000.
QString FormatScaledFloat(float x, int divisor);
// As FormatScaledFloat; the raw value is first read as a signed 16-bit word when signedFlag is 1.
QString FormatScaledInt(int raw, int divisor, std::uint8_t signedFlag);
// "%i" of n followed directly by unit; empty when n is 0.
QString FormatIntWithUnit(int n, const QString& unit);
// hhmm as hh:mm (930 gives 09:30, 21930 gives 219:30).
QString FormatHhMm(int hhmm);
// Seconds as hh:mm:ss; empty when 0.
QString FormatSeconds(int seconds);
// Device clock from the bytes of two registers, low word first: b0 b1 (first word, high byte
// first) and b2 b3 (second word). Mode 0 "YYYY/MM/DD hh:mm:ss", mode 1 "YYYY/MM/DD", other "0".
// Empty when all bytes are 0 or the year is after 2100. No time-zone conversion.
QString FormatDeviceTime(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3, int mode);
// (seconds + offset) as unsigned seconds since 1970, printed YYYY/MM/DD; no time-zone conversion.
QString FormatEpochDate(int seconds, int offset);
// The month `offset` months from year/month, printed YYYY/MM.
QString FormatYearMonth(int year, int month, int offset);
// Power-factor setting code: "OFF", "Ind 0.8", "Ind 0.81".."Ind 0.99", "1.00", "Cap 0.99".."Cap 0.80", else "??".
QString PowerFactorText(unsigned code);

// ---------------------------------------------------------------------------------------------
// Scale factors of the current inverter

// Decodes the scale descriptor word (input register 40995) into the five scale factors.
// mode is the phase count (1 = single-phase: energy default 1, otherwise 10). Always writes
// all five outputs that are given and returns 0.
int DecodeScaleDescriptor(int descriptor, const int* mode, int* IdcDivisor, int* PowerMultiplier,
                          int* EnergyMultiplier, int* IacDivisor, int* VoltageDivisor);

// ---------------------------------------------------------------------------------------------
// Small utilities

// The path of the current data-log file; empty until the data log names one.
extern QString DataLogPath;

// The program folder: the folder named by the environment variable SUNVANE_HOME when it is set
// and not empty, else the folder of the program file. Absolute, without a trailing "/".
// Every file of the program ("profile", mode folders, "DataLog", ...) is found below it.
QString ProgramFolder();

// The text as 8-bit (UTF-8) text in the buffer; an empty text gives an empty buffer. Returns 0.
int UnicodeToAnsiBuf(std::string& buffer, const QString& text);
int UnicodeToAnsiBuf2(const QString& text, std::string& buffer);

// The first word of text (up to the first NUL, carriage return or blank, at most 200 bytes of
// UTF-8, never a split character) into dest. Returns the number of bytes copied.
int CopyFirstWord(std::string& dest, const QString& text);

// 1 when pattern occurs in text, else 0; an empty pattern or text never matches.
int ContainsText(const std::string& text, const std::string& pattern);

// One token of a split text and its length.
struct WebReqStr {
    std::string Text;
    int Length = 0;
};
// Clears tokens and fills it with the pieces of text between separators: two separators in a
// row give an empty token, a leading one an empty first token, a trailing one no token, an
// empty text none. Tokens have no length limit. Returns 0.
int SplitText(const std::string& text, char separator, std::vector<WebReqStr>& tokens);

// Register-type list index ("Coil", "IR", "HR") to the reading function code: 1, 4, 3, else -1.
int FunctionCodeOfIndex(int index);

// Tests the highest set bit among bits 0..14 of descriptor in value: bit 15 of the descriptor
// set asks for the bit set, clear asks for it clear. 0 when no bit 0..14 is set.
int TestFlagBit(std::uint16_t descriptor, int value);

// First row from 1 whose cell in column 0 equals text exactly; 0 when none (row 0, the
// heading, never matches). Works with the kit's TStringGrid (Cells(col, row), RowCount()).
// The grid may be given as a reference or a pointer (a null pointer finds nothing).
template <class Grid>
int FindGridRow(const QString& text, const Grid& grid)
{
    if constexpr (std::is_pointer_v<Grid>) {
        return grid ? FindGridRow(text, *grid) : 0;
    } else {
        for (int row = 1; row < grid.RowCount(); ++row)
            if (grid.Cells(0, row) == text) return row;
        return 0;
    }
}

// Size of the slave-ID tables of the link object: every 8-bit ID indexes them safely.
constexpr int SlaveIdTableSize = 256;
// Size of the found-ID list: [0] count n, [1..n] the IDs found in ascending order,
// [256..255+n] their bit-rate codes, [511] 0.
constexpr int FoundIdListSize = 512;
// Fills list from the scan tables (IdFound[i] == i when ID i answered; IdBaudCode[i] its
// bit-rate code) for the IDs 1..254. Entries beyond the count keep their values. Returns 0.
int BuildFoundIdList(int (&list)[FoundIdListSize], const int (&IdFound)[SlaveIdTableSize],
                     const int (&IdBaudCode)[SlaveIdTableSize]);

// Creates the folder (one level) when it does not exist; a failure is not reported. Returns 0.
int EnsureDirectory(const QString& path);
int EnsureDirectory(const std::string& path);
int EnsureDirectory(const char* path);

// The file that marks a folder of the program folder as an operating mode.
inline const QString ModeSettingsFileName = QStringLiteral("MonitorSet.RQX");
// Fills names with the mode folders of the program folder (sub-folders holding
// "MonitorSet.RQX"), at most 20; the rest stay empty. The listing is in name order without
// regard to case (as the file systems the mode folders come from list them). Only plain
// folders count: hidden ones (names starting with "."), "." and ".." and symbolic links are
// skipped. A missing or unreadable program folder gives 20 empty names.
void ListModeFolders(QString (&names)[20]);
// The same for a given folder (ListModeFolders uses the program folder).
void ListModeFoldersIn(const QString& folder, QString (&names)[20]);
