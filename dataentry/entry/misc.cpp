#include "entry/misc.h"

#include "util/numtext.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <vector>

namespace Misc {

namespace {

// Marks a binary minus inside the working text.
const QChar kBinaryMinus(155);

[[noreturn]] void Fail(const char* reason)
{
    throw EAssignError(QStringLiteral("Entry could not be evaluated:") + QChar(13) + QString::fromLatin1(reason));
}

// ASCII lower case, as the class library's LowerCase.
QString Lower(const QString& text)
{
    QString s = text;
    for (QChar& c : s)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) c = QChar(c.unicode() + 32);
    return s;
}

using Function = long double (*)(long double);

struct FunctionName {
    const char* name;
    Function apply;
};

// Tested as prefixes in this order: a longer name before the shorter one it starts with.
const FunctionName kFunctions[] = {
    {"arctanh", [](long double x) { return std::atanh(x); }},
    {"arctan", [](long double x) { return std::atan(x); }},
    {"cotan", [](long double x) { return 1.0L / std::tan(x); }},
    {"tanh", [](long double x) { return std::tanh(x); }},
    {"tan", [](long double x) { return std::tan(x); }},
    {"arccosh", [](long double x) { return std::acosh(x); }},
    {"arccos", [](long double x) { return std::acos(x); }},
    {"cosh", [](long double x) { return std::cosh(x); }},
    {"cosec", [](long double x) { return Cosecant(x); }},
    {"cos", [](long double x) { return std::cos(x); }},
    {"sec", [](long double x) { return Secant(x); }},
    {"arcsinh", [](long double x) { return std::asinh(x); }},
    {"arcsin", [](long double x) { return std::asin(x); }},
    {"sinh", [](long double x) { return std::sinh(x); }},
    {"sin", [](long double x) { return std::sin(x); }},
    {"csc", [](long double x) { return Cosecant(x); }},
    {"abs", [](long double x) { return std::fabs(x); }},
    {"frac", [](long double x) { return x - std::trunc(x); }},
    {"int", [](long double x) { return std::trunc(x); }},
    {"ln", [](long double x) { return std::log(x); }},
    {"round", [](long double x) { return NumText::RoundHalfEven(x); }},
    {"ceil", [](long double x) { return std::ceil(x); }},
    {"floor", [](long double x) { return std::floor(x); }},
    {"log", [](long double x) { return std::log10(x); }},
    {"sqrt", [](long double x) { return std::sqrt(x); }},
};

bool IsOperator(QChar c)
{
    switch (c.unicode()) {
    case '^': case '*': case '/': case '%': case '+': case '=': case '|': case '&': case 155:
        return true;
    default:
        return false;
    }
}

QString Text(long double x) { return NumText::FloatToStrGeneral(x, 18); }
QString Truth(bool b) { return b ? QStringLiteral("1") : QStringLiteral("0"); }

// Remainder of the operands truncated to integers, sign of the left one, as integer text.
QString Remainder(long double left, long double right)
{
    const long double a = std::trunc(left);
    const long double b = std::trunc(right);
    if (b == 0) throw EDivByZero();
    const long double limit = 9223372036854775808.0L;  // 2^63
    if (a >= -limit && a < limit && b >= -limit && b < limit) {
        const int64_t ia = static_cast<int64_t>(a);
        const int64_t ib = static_cast<int64_t>(b);
        if (ib == -1) return QStringLiteral("0");
        return NumText::IntToStr(ia % ib);
    }
    return Text(std::fmod(a, b));  // exact; beyond 64 bits the integer is written in E form
}

// Applies one binary operator.
QString Apply(QChar op, const QString& leftText, const QString& rightText)
{
    const long double l = EvaluateOperand(leftText);
    const long double r = EvaluateOperand(rightText);
    switch (op.unicode()) {
    case '^': return Text(std::pow(l, r));
    case '*': return Text(l * r);
    case '/': return Text(l / r);
    case '%': return Remainder(l, r);
    case '&': return Truth(l != 0 && r != 0);
    case '+': return Text(l + r);
    case 155: return Text(l - r);
    case '|': return Truth(l != 0 || r != 0);
    case '=': return Truth(l == r);
    }
    return QString();
}

}  // namespace

bool IsFunctionPrefix(const QString& text)
{
    const QString s = Lower(text);
    if (s == QLatin1String("!") || s == QLatin1String("$")) return true;
    for (const FunctionName& f : kFunctions)
        if (s == QLatin1String(f.name)) return true;
    return false;
}

long double Factorial(long double x)
{
    if (!std::isfinite(x) || x != std::trunc(x)) Fail("! (factoral) applicable to integers only");
    const long double a = std::fabs(x);
    long double result = 1.0L;
    for (long double k = a; k > 1 && std::isfinite(result); k -= 1) result *= k;
    return x < 0 ? -result : result;
}

long double Secant(long double x) { return 1.0L / std::cos(x); }
long double Cosecant(long double x) { return 1.0L / std::sin(x); }

long double EvaluateOperand(const QString& operand)
{
    // Every "--" goes, then the text is lower-cased. Function names and "!" wrap the rest of the
    // operand: they are peeled off first (taking a name or a "!" away never makes a new "--")
    // and applied from the innermost outwards, so even a very long chain needs no deep recursion.
    QString text = operand;
    while (text.contains(QLatin1String("--"))) text.replace(QLatin1String("--"), QString());
    text = Lower(text);

    std::vector<Function> pending;
    QStringView rest(text);
    long double value = 0;
    const long double pi = std::numbers::pi_v<long double>;
    const long double e = std::numbers::e_v<long double>;
    for (;;) {
        if (rest == QLatin1String("pi")) { value = pi; break; }
        if (rest == QLatin1String("-pi")) { value = -pi; break; }
        if (rest == QLatin1String("e")) { value = e; break; }
        if (rest == QLatin1String("-e")) { value = -e; break; }

        const FunctionName* function = nullptr;
        for (const FunctionName& f : kFunctions)
            if (rest.startsWith(QLatin1String(f.name))) {
                function = &f;
                break;
            }
        if (function) {
            pending.push_back(function->apply);
            rest = rest.mid(qsizetype(std::strlen(function->name)));
            continue;
        }

        if (rest.endsWith(QLatin1Char('!'))) {
            pending.push_back(Factorial);
            rest.chop(1);
            continue;
        }

        if (rest.startsWith(QLatin1Char('$'))) {
            int32_t v = 0;
            if (!NumText::TryStrToInt(rest.toString(), v)) Fail("invalid use of $ (hex function)");
            value = v;
            break;
        }

        if (!NumText::TryStrToFloat(rest.toString(), value)) Fail("invalid character(s) in expression");
        break;
    }
    for (auto it = pending.rbegin(); it != pending.rend(); ++it) value = (*it)(value);
    return value;
}

long double EvaluateExpression(const QString& input)
{
    if (input.isEmpty()) Fail("entry cannot be blank");

    QString text;
    text.reserve(input.size());
    for (QChar c : input)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t')) text += c;

    // Parentheses, innermost first.
    for (;;) {
        const qsizetype close = text.indexOf(QLatin1Char(')'));
        if (close < 0) break;
        const qsizetype open = text.lastIndexOf(QLatin1Char('('), close);
        if (open < 0) Fail("() (parentheses) do not match");
        const long double inner = EvaluateExpression(text.mid(open + 1, close - open - 1));
        text = text.left(open) + Text(inner) + text.mid(close + 1);
    }

    // Minus signs: unary ones stay with their operand, binary ones become the marker.
    QString marked = text;
    std::vector<bool> unary(static_cast<size_t>(text.size()), false);
    for (qsizetype i = 0; i < marked.size(); ++i) {
        if (marked[i] != QLatin1Char('-')) continue;
        bool isUnary = i == 0 || (i <= 7 && IsFunctionPrefix(marked.left(i)));  // names have 7 letters at most
        if (!isUnary) {
            const QChar prev = marked[i - 1];
            isUnary = QStringLiteral("%&*+/=E^e|~").contains(prev) || prev == kBinaryMinus ||
                      (prev == QLatin1Char('-') && unary[size_t(i - 1)]);
        }
        if (isUnary)
            unary[size_t(i)] = true;
        else
            marked[i] = kBinaryMinus;
    }

    // Operands and the operators between them.
    std::vector<QString> operands;
    std::vector<QChar> operators;
    qsizetype pos = 0;
    while (pos < marked.size()) {
        qsizetype end = pos;
        while (end < marked.size() && !IsOperator(marked[end])) ++end;
        operands.push_back(marked.mid(pos, end - pos));
        if (end < marked.size()) operators.push_back(marked[end]);
        pos = end + 1;
    }
    if (operands.size() != operators.size() + 1) Fail("invalid expression");

    // Four precedence levels, each one left-to-right pass: an operator of the level takes the
    // result so far on its left and the next operand on its right.
    static const char* const kLevels[] = {"^", "*/%&", "+\x9b|", "="};
    for (const char* level : kLevels) {
        const QString ops = QString::fromLatin1(level);
        std::vector<QString> nextOperands{operands.front()};
        std::vector<QChar> nextOperators;
        for (size_t i = 0; i < operators.size(); ++i) {
            if (ops.contains(operators[i])) {
                nextOperands.back() = Apply(operators[i], nextOperands.back(), operands[i + 1]);
            } else {
                nextOperators.push_back(operators[i]);
                nextOperands.push_back(operands[i + 1]);
            }
        }
        operands.swap(nextOperands);
        operators.swap(nextOperators);
    }

    const long double result = EvaluateOperand(operands.front());
    if (!std::isfinite(result)) Fail("invalid character(s) in expression");
    return result;
}

}  // namespace Misc
