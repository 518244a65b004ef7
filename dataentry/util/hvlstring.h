// String routines (unit HvlString). Positions are 1-based; 0 means "not found".
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
#pragma once

#include <QChar>
#include <QString>

namespace HvlString {

// The character at the 1-based index; character 0 when the index is below 1 or beyond the end.
QChar CharAt(const QString& text, qsizetype index);
// The tail of the text from the 1-based index (the whole text for an index below 1).
QString CopyFrom(const QString& text, qsizetype index);
// True when the value lies in [-2147483648, 2147483647] and has no fractional part.
bool IsWholeNumber(long double value);
// Position of the pattern in the tail of the text from the index, counted from that index
// (1 = at the index); 0 when absent or when the pattern is empty.
qsizetype PosFrom(const QString& pattern, const QString& text, qsizetype index);
// Position of the pattern in the text, or the default when absent.
qsizetype PosOrDefault(const QString& pattern, const QString& text, qsizetype defaultPos);
// Position of the pattern in the text, or the text's length + 1 when absent.
qsizetype PosOrEnd(const QString& pattern, const QString& text);
// Every occurrence of the pattern replaced, left to right; the search resumes after the
// inserted text, so inserted text is never searched again. An empty pattern changes nothing.
QString ReplaceAll(const QString& text, const QString& pattern, const QString& replacement);

}  // namespace HvlString
