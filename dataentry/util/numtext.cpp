#include "util/numtext.h"

#include "util/exceptions.h"

#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>
#include <string>

namespace NumText {

namespace {

// The "C" numeric locale, made once, for strtold_l.
locale_t CNumericLocale()
{
    static const locale_t loc = newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr));
    return loc;
}

bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

int HexDigit(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

// Whether d.ddd * 10^exp10 lies within the long double range.
bool ReadsBack(const std::string& digits, int exp10)
{
    std::string text = digits.substr(0, 1) + "." + digits.substr(1) + "e" + std::to_string(exp10);
    return std::isfinite(strtold_l(text.c_str(), nullptr, CNumericLocale()));
}

}  // namespace

QString FloatToStrGeneral(long double x, int precision)
{
    if (std::isnan(x)) return QStringLiteral("NAN");
    if (std::isinf(x)) return x < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    if (x == 0) return QStringLiteral("0");
    if (precision < 1) precision = 1;
    if (precision > 18) precision = 18;

    const bool negative = std::signbit(x);
    // 18 significant digits, correctly rounded: d.ddddddddddddddddde[+-]x
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(x), std::chars_format::scientific, 17);
    *res.ptr = '\0';
    std::string digits;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits += *p;
    int exp10 = std::atoi(p + 1);  // value = d.ddd * 10^exp10

    if (precision < 18) {
        const bool up = digits[precision] >= '5';
        digits.resize(precision);
        if (up) {
            int i = precision - 1;
            while (i >= 0 && digits[i] == '9') digits[i--] = '0';
            if (i >= 0) {
                ++digits[i];
            } else {
                digits.insert(digits.begin(), '1');
                digits.pop_back();
                ++exp10;
            }
        }
    }
    // Near the top of the range the rounded digits may name a value above the largest long
    // double, which no reader takes back: then the digits are cut instead (one unit less in the
    // last place), so that every text written reads back.
    if (exp10 >= std::numeric_limits<long double>::max_exponent10) {
        for (int attempt = 0; attempt < 2 && !ReadsBack(digits, exp10); ++attempt) {
            int i = static_cast<int>(digits.size()) - 1;
            while (i > 0 && digits[i] == '0') digits[i--] = '9';
            --digits[i];
        }
    }
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    const int n = static_cast<int>(digits.size());
    const int e = exp10 + 1;  // value = 0.ddd * 10^e
    std::string out;
    if (negative) out += '-';
    if (e > precision || e < -3) {
        out += digits[0];
        if (n > 1) {
            out += '.';
            out.append(digits, 1, std::string::npos);
        }
        out += 'E';
        if (exp10 < 0) out += '-';
        out += std::to_string(exp10 < 0 ? -exp10 : exp10);
    } else if (e <= 0) {
        out += "0.";
        out.append(static_cast<size_t>(-e), '0');
        out += digits;
    } else {
        if (n <= e) {
            out += digits;
            out.append(static_cast<size_t>(e - n), '0');
        } else {
            out.append(digits, 0, static_cast<size_t>(e));
            out += '.';
            out.append(digits, static_cast<size_t>(e), std::string::npos);
        }
    }
    return QString::fromLatin1(out);
}

bool TryStrToFloat(const QString& text, long double& value)
{
    const qsizetype len = text.size();
    qsizetype i = 0;
    while (i < len && text[i] == QLatin1Char(' ')) ++i;
    qsizetype end = len;
    while (end > i && text[end - 1] == QLatin1Char(' ')) --end;

    std::string ascii;
    qsizetype j = i;
    if (j < end && (text[j] == QLatin1Char('+') || text[j] == QLatin1Char('-'))) ascii += char(text[j++].unicode());
    int mantissaDigits = 0;
    while (j < end && IsDigit(text[j])) { ascii += char(text[j++].unicode()); ++mantissaDigits; }
    if (j < end && text[j] == QLatin1Char('.')) {
        ascii += '.';
        ++j;
        while (j < end && IsDigit(text[j])) { ascii += char(text[j++].unicode()); ++mantissaDigits; }
    }
    if (mantissaDigits == 0) return false;
    if (j < end && (text[j] == QLatin1Char('e') || text[j] == QLatin1Char('E'))) {
        ascii += 'e';
        ++j;
        if (j < end && (text[j] == QLatin1Char('+') || text[j] == QLatin1Char('-'))) ascii += char(text[j++].unicode());
        int expDigits = 0;
        while (j < end && IsDigit(text[j])) { ascii += char(text[j++].unicode()); ++expDigits; }
        if (expDigits == 0) return false;
    }
    if (j != end) return false;

    errno = 0;
    char* stop = nullptr;
    const long double v = strtold_l(ascii.c_str(), &stop, CNumericLocale());
    if (stop != ascii.c_str() + ascii.size()) return false;
    if (std::isinf(v)) return false;  // beyond the long double range
    value = v;
    return true;
}

long double StrToFloat(const QString& text)
{
    long double v = 0;
    if (!TryStrToFloat(text, v))
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return v;
}

bool TryStrToInt(const QString& text, int32_t& value)
{
    const qsizetype len = text.size();
    qsizetype i = 0;
    while (i < len && text[i] == QLatin1Char(' ')) ++i;
    bool negative = false;
    if (i < len && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) negative = text[i++] == QLatin1Char('-');
    if (i >= len) return false;
    if (text[i] == QLatin1Char('$')) {
        ++i;
        if (i >= len) return false;
        uint64_t v = 0;
        for (; i < len; ++i) {
            const int d = HexDigit(text[i]);
            if (d < 0) return false;
            v = v * 16 + uint64_t(d);
            if (v > 0xFFFFFFFFull) return false;
        }
        uint32_t bits = uint32_t(v);
        if (negative) bits = 0u - bits;
        value = int32_t(bits);
        return true;
    }
    int64_t v = 0;
    for (; i < len; ++i) {
        if (!IsDigit(text[i])) return false;
        v = v * 10 + (text[i].unicode() - '0');
        if (v > 2147483648LL) return false;
    }
    if (negative) v = -v;
    if (v > 2147483647LL) return false;
    value = int32_t(v);
    return true;
}

int32_t StrToInt(const QString& text)
{
    int32_t v = 0;
    if (!TryStrToInt(text, v))
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return v;
}

QString IntToStr(int64_t value)
{
    return QString::number(static_cast<qlonglong>(value));
}

QString IntToHex(int64_t value, int digits)
{
    QString s = QString::number(static_cast<qulonglong>(value), 16).toUpper();
    if (s.size() < digits) s = QString(digits - s.size(), QLatin1Char('0')) + s;
    return s;
}

long double RoundHalfEven(long double x)
{
    if (!std::isfinite(x)) return x;
    const long double f = std::floor(x);
    const long double diff = x - f;  // exact for long double
    if (diff > 0.5L) return f + 1;
    if (diff < 0.5L) return f;
    return std::fmod(f, 2.0L) == 0 ? f : f + 1;
}

}  // namespace NumText
