#include "util/hvlstring.h"

#include <cmath>

namespace HvlString {

QChar CharAt(const QString& text, qsizetype index)
{
    if (index < 1 || index > text.size()) return QChar(0);
    return text[index - 1];
}

QString CopyFrom(const QString& text, qsizetype index)
{
    if (index < 1) index = 1;
    if (index > text.size()) return QString();
    return text.mid(index - 1);
}

bool IsWholeNumber(long double value)
{
    return value >= -2147483648.0L && value <= 2147483647.0L && value == std::trunc(value);
}

qsizetype PosFrom(const QString& pattern, const QString& text, qsizetype index)
{
    if (pattern.isEmpty()) return 0;
    if (index < 1) index = 1;
    if (index > text.size()) return 0;
    const qsizetype at = text.indexOf(pattern, index - 1, Qt::CaseSensitive);
    return at < 0 ? 0 : at - (index - 1) + 1;
}

qsizetype PosOrDefault(const QString& pattern, const QString& text, qsizetype defaultPos)
{
    const qsizetype p = PosFrom(pattern, text, 1);
    return p == 0 ? defaultPos : p;
}

qsizetype PosOrEnd(const QString& pattern, const QString& text)
{
    return PosOrDefault(pattern, text, text.size() + 1);
}

QString ReplaceAll(const QString& text, const QString& pattern, const QString& replacement)
{
    if (pattern.isEmpty()) return text;
    QString result;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(pattern, from, Qt::CaseSensitive);
        if (at < 0) break;
        result += QStringView(text).mid(from, at - from);
        result += replacement;
        from = at + pattern.size();
    }
    result += QStringView(text).mid(from);
    return result;
}

}  // namespace HvlString
