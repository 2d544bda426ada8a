#pragma once

#include <cstdint>
#include <optional>

#include <QString>

// The number conversions that every window relies on when numbers travel as control texts and
// settings values. They behave the same whatever the desktop locale: "." is always the decimal
// point, and rounding to a whole number always sends halves to the even neighbour.

// The leading number of a text. Blanks, tabs and line breaks are skipped anywhere ("1 2 0" is 120);
// a sign, digits, one ".", an exponent (E or D) and the prefixes &H (hex) and &O (octal) are read;
// reading stops at the first character that cannot continue the number. 0 when there is none.
// Never fails.
double Val(const QString& text);

// One leading blank before a value that is not negative (" 120", " .5", "-5"); fractions below 1
// have no leading zero.
QString Str(double value);

// The plain number-to-text form: at most 15 significant digits, no leading blank, "0.5" with its
// zero, and E notation only for very large or very small magnitudes ("1E+15").
QString NumText(double value);

// Nearest whole number, halves to even (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
double roundHalfEven(double value);

// Halves-to-even conversions to 16- and 32-bit integers. A value outside the type's range (after
// rounding), or not a finite number, gives nullopt: an overflow the caller must handle, never a
// wrapped number.
std::optional<std::int16_t> CInt(double value);
std::optional<std::int32_t> CLng(double value);

// The same conversions from a text, which must be numeric as a whole (IsNumeric); "abc", "" and
// "1 2" give nullopt, as a type mismatch would.
std::optional<std::int16_t> CInt(const QString& text);
std::optional<std::int32_t> CLng(const QString& text);

// True when the whole text, blanks around it aside, is one number: sign, digits with at most one
// ".", an optional exponent, or an &H / &O literal.
bool IsNumeric(const QString& text);

// Minutes and seconds as two-digit fields joined by ":", with the hours in front from one hour on
// ("00:59", "59:59", "1:00:00"). A field below 1, and so any negative time, shows as "00".
QString TimeText(std::int64_t seconds);
