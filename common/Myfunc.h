// Conversions, display formatters and small utilities shared by every part of the program.
// None of them keeps state or touches a window; a bad input gives a defined fallback.
// Numbers are always printed with "." as the decimal point, whatever the process locale.
#pragma once

#include <QString>
#include <cstdint>
#include <string>
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
