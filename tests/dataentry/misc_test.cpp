#include "entry/misc.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <numbers>

using Misc::EvaluateExpression;

namespace {

const QString kPrefix = QStringLiteral("Entry could not be evaluated:") + QChar(13);

QString ErrorOf(const QString& text)
{
    try {
        const long double v = EvaluateExpression(text);
        return QStringLiteral("no error, value %1").arg(double(v));
    } catch (const EAssignError& e) {
        return e.message();
    }
}

struct ValueCase {
    const char* text;
    long double value;
};

// Values worked out by hand; every intermediate result passes through 18-digit text.
const ValueCase kValues[] = {
    {"2^3^2", 64},  // left-associative
    {"2+3*4", 14},
    {"-3^2", 9},  // the minus belongs to the operand
    {"10-2-3", 5},
    {"1e-3*2", 0.002L},
    {"2E-1+1", 1.2L},
    {"7%3", 1},
    {"-7%3", -1},
    {"7.9%3", 1},
    {"7%-3", 1},
    {"1&0", 0},
    {"0&1", 0},
    {"2&3", 1},
    {"0|0", 0},
    {"0|2", 1},
    {"3=3", 1},
    {"3=4", 0},
    {"1+2=3", 1},  // "=" binds weakest
    {"1|0*5", 1},  // "*" before "|"
    {"sin(pi/2)", 1},
    {"cosec(pi/2)", 1},
    {"csc(pi/2)", 1},
    {"sec0", 1},
    {"sqrt16", 4},
    {"sqrt(9+7)", 4},
    {"$ff", 255},
    {"$FF+1", 256},
    {"4!", 24},
    {"0!", 1},
    {"-3!", -6},
    {"(1+2)!", 6},
    {"--5", 5},
    {"5--3", 8},
    {"5---3", 2},
    {"2*-3", -6},
    {"2^-1", 0.5L},
    {"(2)-(3)", -1},
    {"((1+2)*(3+4))", 21},
    {" 1 +\t2 ", 3},
    {"cos(-0)", 1},
    {"abs(-2.5)", 2.5L},
    {"int-2.7", -2},
    {"frac2.75", 0.75L},
    {"round2.5", 2},
    {"round3.5", 4},
    {"round-2.5", -2},
    {"ceil2.1", 3},
    {"floor-2.1", -3},
    {"log1000", 3},
    {"ln(e)", 1},
    {"-pi+pi", 0},
    {"-e+e", 0},
    {"PI/PI", 1},
    {"arctan1*4", std::numbers::pi_v<long double>},
    {"tanh0+cosh0+sinh0", 1},
    {"arcsinh0+arccosh1+arctanh0", 0},
    {"arcsin1*2", std::numbers::pi_v<long double>},
    {"arccos-1", std::numbers::pi_v<long double>},
    {"cotan(pi/4)", 1},
    {"1/3*3", 1},
    {"12345678901234567*10", 123456789012345670.0L},
    {"9223372036854775807%10", 7},
    {"1180591620717411303424%3", 1},  // 2^70: beyond 64 bits, still exact
};

TEST(EvaluateExpression, Values)
{
    for (const ValueCase& c : kValues) {
        long double v = 0;
        try {
            v = EvaluateExpression(QString::fromLatin1(c.text));
        } catch (const Exception& e) {
            ADD_FAILURE() << c.text << ": " << e.message().toStdString();
            continue;
        }
        EXPECT_NEAR(double(v), double(c.value), 1e-15 * std::max(1.0, std::fabs(double(c.value)))) << c.text;
    }
}

// Results that the 18-digit write-back makes exact.
TEST(EvaluateExpression, IntermediateResultsAreEighteenDigitText)
{
    // 1/3 is written as 0.333333333333333333, so three of them sum to exactly 0.999999999999999999.
    EXPECT_EQ(EvaluateExpression("1/3+1/3+1/3"), Misc::EvaluateOperand("0.999999999999999999"));
    EXPECT_EQ(EvaluateExpression("0.1+0.2"), 0.3L);
    EXPECT_EQ(EvaluateExpression("(2/3)"), Misc::EvaluateOperand("0.666666666666666667"));
}

struct ErrorCase {
    const char* text;
    const char* reason;
};

const ErrorCase kErrors[] = {
    {"", "entry cannot be blank"},
    {"   ", "invalid expression"},
    {"\t", "invalid expression"},
    {"3+", "invalid expression"},
    {"*", "invalid expression"},
    {"(1+2", "invalid character(s) in expression"},
    {"1+2)", "() (parentheses) do not match"},
    {")(", "() (parentheses) do not match"},
    {"()", "entry cannot be blank"},
    {"+3", "invalid character(s) in expression"},
    {"3++4", "invalid character(s) in expression"},
    {"abc", "invalid character(s) in expression"},
    {"2sin1", "invalid character(s) in expression"},
    {"1,5", "invalid character(s) in expression"},
    {"e-1", "invalid character(s) in expression"},  // the minus after the letter e is unary
    {"$gh", "invalid use of $ (hex function)"},
    {"$", "invalid use of $ (hex function)"},
    {"$100000000", "invalid use of $ (hex function)"},
    {"2.5!", "! (factoral) applicable to integers only"},
    {"1/0", "invalid character(s) in expression"},
    {"0/0+1", "invalid character(s) in expression"},
    {"1e4932*10", "invalid character(s) in expression"},
    {"inf", "invalid character(s) in expression"},
    {"nan", "invalid character(s) in expression"},
    {"0x10", "invalid character(s) in expression"},
    {"ln0", "invalid character(s) in expression"},
    {"sqrt(-1)", "invalid character(s) in expression"},
    {"(-8)^(1/3)", "invalid character(s) in expression"},
    {"2000!", "invalid character(s) in expression"},
};

TEST(EvaluateExpression, Messages)
{
    for (const ErrorCase& c : kErrors)
        EXPECT_EQ(ErrorOf(QString::fromLatin1(c.text)), kPrefix + QString::fromLatin1(c.reason)) << c.text;
}

TEST(EvaluateExpression, RemainderByZeroIsADivisionError)
{
    EXPECT_THROW(EvaluateExpression("7%0"), EDivByZero);
    EXPECT_THROW(EvaluateExpression("7%0.5"), EDivByZero);
    EXPECT_EQ(EvaluateExpression("-9223372036854775808%-1"), 0);  // the one overflowing quotient
}

TEST(EvaluateExpression, LargeFactorialsEndQuickly)
{
    EXPECT_EQ(EvaluateExpression("20!"), 2432902008176640000.0L);
    // Far beyond the range: the product overflows after a few steps and the entry is refused.
    EXPECT_EQ(ErrorOf("1e4000!"), kPrefix + "invalid character(s) in expression");
    EXPECT_THROW(Misc::Factorial(std::nan("")), EAssignError);
}

TEST(EvaluateExpression, IndependentOfTheNumericLocale)
{
    const char* chosen = nullptr;
    for (const char* n : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"})
        if (std::setlocale(LC_NUMERIC, n)) {
            chosen = n;
            break;
        }
    if (!chosen) GTEST_SKIP() << "no locale with a decimal comma is installed";
    EXPECT_EQ(EvaluateExpression("1.5*3"), 4.5L);
    EXPECT_EQ(EvaluateExpression("1/4+1/4"), 0.5L);
    std::setlocale(LC_NUMERIC, "C");
}

TEST(IsFunctionPrefix, NamesBangAndDollar)
{
    for (const char* t : {"sin", "SIN", "Arctanh", "csc", "sqrt", "log", "!", "$"}) EXPECT_TRUE(Misc::IsFunctionPrefix(t)) << t;
    for (const char* t : {"", "si", "sine", "exp", "pi", "e", "sin1"}) EXPECT_FALSE(Misc::IsFunctionPrefix(t)) << t;
}

TEST(Misc, SecantAndCosecant)
{
    EXPECT_NEAR(double(Misc::Secant(1.0L)), 1.0 / std::cos(1.0), 1e-15);
    EXPECT_NEAR(double(Misc::Cosecant(1.0L)), 1.0 / std::sin(1.0), 1e-15);
}

}  // namespace

namespace {

// Long chains of functions and factorials, as a pasted text might hold, evaluate without
// exhausting the stack.
TEST(EvaluateExpression, LongChains)
{
    QString chain;
    for (int i = 0; i < 100000; ++i) chain += QStringLiteral("absint");
    EXPECT_EQ(EvaluateExpression(chain + "2.5"), 2);
    EXPECT_EQ(EvaluateExpression("3!!"), 720);  // (3!)!
    EXPECT_EQ(EvaluateExpression("sqrt4!"), std::sqrt(24.0L));  // the function takes the rest, "4!"
    // (720!)! overflows; the factorial after it meets an infinity, which is no integer.
    EXPECT_EQ(ErrorOf(QStringLiteral("3") + QString(100000, QLatin1Char('!'))),
              kPrefix + "! (factoral) applicable to integers only");
}

}  // namespace

namespace {

TEST(EvaluateExpression, LongSums)
{
    QString sum = QStringLiteral("0");
    for (int i = 0; i < 50000; ++i) sum += QStringLiteral("+2-1*1");
    EXPECT_EQ(EvaluateExpression(sum), 50000);
}

}  // namespace
