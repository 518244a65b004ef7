// Number text of the main program: conversions between text and numbers that never depend on
// the C locale or the user's locale. "." is the only decimal separator.
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// FloatToStrGeneral(x, p) produces the general float format with p significant digits
// (1 <= p <= 18; 18 for number fields and the evaluator, 8 for cells and project values):
// - x is first rounded to 18 significant digits (exact decimal expansion, ties to even), then,
//   when p < 18, to p digits with a 5 in the first dropped digit rounding away from zero.
//   Trailing zeros are dropped; the decimal point appears only when digits follow it.
// - With x = 0.d1d2... * 10^e after rounding: fixed notation when -3 <= e <= p, so 0.0001 and
//   123456789012345678 (p = 18) stay fixed; else scientific notation with one digit before the
//   point, "E", a "-" only for a negative exponent and no leading zeros in the exponent:
//   "1.5E-5", "1E-7", "1E20", "1.2345679E8" (p = 8).
// - Zero (also negative zero) gives "0"; a negative value gets a leading "-".
// - Infinities give "INF" and "-INF", NaN gives "NAN"; none of these reads back as a number.
//
// TryStrToFloat accepts exactly: optional blanks (character 32), an optional sign "+" or "-",
// digits with at most one "." (at least one digit in all), optionally "E" or "e" followed by an
// optional sign and at least one digit, optional blanks. Nothing else: no "inf", "nan",
// hexadecimal floats, commas or thousands separators. The value is the nearest long double;
// a value beyond the long double range is refused, one below it underflows towards 0.
//
// TryStrToInt accepts optional leading blanks, an optional sign, and either decimal digits in the
// 32-bit range or "$" followed by hexadecimal digits (either case) of a value up to $FFFFFFFF,
// taken as the 32-bit two's complement pattern ($FFFFFFFF is -1). No trailing characters.
#pragma once

#include <QString>
#include <cstdint>

namespace NumText {

// General float format with the given count of significant digits (see above).
QString FloatToStrGeneral(long double x, int precision);

// Strict text to float; false when the text is no number (see above).
bool TryStrToFloat(const QString& text, long double& value);
// As TryStrToFloat; raises EConvertError "'text' is not a valid floating point value".
long double StrToFloat(const QString& text);

// Strict text to 32-bit integer, decimal or "$" hexadecimal (see above).
bool TryStrToInt(const QString& text, int32_t& value);
// As TryStrToInt; raises EConvertError "'text' is not a valid integer value".
int32_t StrToInt(const QString& text);

// Decimal text of an integer.
QString IntToStr(int64_t value);
// Upper-case hexadecimal digits of the value, at least `digits` of them (zero-padded); negative
// values give their 64-bit two's complement pattern (-1 gives "FFFFFFFFFFFFFFFF").
QString IntToHex(int64_t value, int digits);

// Nearest integer of x, ties to even, as a long double (x itself when not finite).
long double RoundHalfEven(long double x);

}  // namespace NumText
