#include "util/numtext.h"

#include "util/exceptions.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cmath>
#include <limits>

using namespace NumText;

namespace {

struct FormatCase {
    long double value;
    int precision;
    const char* text;
};

// Expected texts of the general float format, worked out by hand from its rules.
const FormatCase kFormatCases[] = {
    {0.0L, 18, "0"},
    {-0.0L, 18, "0"},
    {1.0L, 18, "1"},
    {-2.5L, 18, "-2.5"},
    {0.1L, 18, "0.1"},
    {1.0L / 3.0L, 18, "0.333333333333333333"},
    {2.0L / 3.0L, 18, "0.666666666666666667"},
    {2.0L / 3.0L, 8, "0.66666667"},
    {0.0001L, 18, "0.0001"},
    {0.00012345L, 8, "0.00012345"},
    {1.5e-5L, 18, "1.5E-5"},
    {1e-5L, 18, "1E-5"},  // below 0.0001 the scientific form is taken
    {0.00099999L, 18, "0.00099999"},
    {1e-7L, 8, "1E-7"},
    {-1e-7L, 8, "-1E-7"},
    {1e20L, 18, "1E20"},
    {1e18L, 18, "1E18"},
    {123456789012345678.0L, 18, "123456789012345678"},
    {12345678.0L, 8, "12345678"},
    {123456789.0L, 8, "1.2345679E8"},
    {100000000.0L, 8, "1E8"},
    {99999999.5L, 8, "1E8"},       // the carry moves the exponent
    {123456785.0L, 8, "1.2345679E8"},  // a dropped 5 rounds away from zero
    {1.25L, 2, "1.3"},
    {2.5e-300L, 18, "2.5E-300"},
    {1e4000L, 18, "1E4000"},
    {123.456L, 18, "123.456"},
    {-1000.0L, 8, "-1000"},
    {0.002L, 18, "0.002"},
};

TEST(NumText, GeneralFormat)
{
    for (const FormatCase& c : kFormatCases)
        EXPECT_EQ(FloatToStrGeneral(c.value, c.precision).toStdString(), c.text)
            << "value " << double(c.value) << " precision " << c.precision;
}

TEST(NumText, GeneralFormatOfNonFiniteValuesDoesNotReadBack)
{
    const long double inf = std::numeric_limits<long double>::infinity();
    EXPECT_EQ(FloatToStrGeneral(inf, 18), "INF");
    EXPECT_EQ(FloatToStrGeneral(-inf, 18), "-INF");
    EXPECT_EQ(FloatToStrGeneral(std::numeric_limits<long double>::quiet_NaN(), 18), "NAN");
    long double v = 0;
    for (const char* t : {"INF", "-INF", "NAN", "inf", "nan", "infinity"}) EXPECT_FALSE(TryStrToFloat(t, v)) << t;
}

TEST(NumText, EighteenDigitsRoundTripWithinTheirPrecision)
{
    // 18 significant digits hold every double exactly and a long double to 1 part in 1e17.
    for (long double x : {std::acos(-1.0L), std::exp(1.0L), 1.0L / 7.0L, 6.02214076e23L, -1.6e-19L}) {
        const long double back = StrToFloat(FloatToStrGeneral(x, 18));
        EXPECT_LE(std::fabs(back - x), std::fabs(x) * 1e-17L) << double(x);
    }
    for (double d : {0.1, 1.0 / 3.0, 123.456, 9.80665, 1e-300}) {
        EXPECT_EQ(double(StrToFloat(FloatToStrGeneral(d, 18))), d);
    }
}

// Every finite value's text reads back, at every precision the program writes, also at the top
// of the long double range, where rounding up would pass the largest value: there the digits are
// cut. The largest long double is 1.18973149535723176502...E4932 (worked out from 2^16384 (1 - 2^-64)).
TEST(NumText, TextsNearTheTopOfTheRangeReadBack)
{
    const long double top = std::numeric_limits<long double>::max();
    EXPECT_EQ(FloatToStrGeneral(top, 8), "1.1897314E4932");
    EXPECT_EQ(FloatToStrGeneral(-top, 8), "-1.1897314E4932");
    EXPECT_EQ(FloatToStrGeneral(top, 18), "1.18973149535723176E4932");
    EXPECT_EQ(FloatToStrGeneral(top, 2), "1.1E4932");
    EXPECT_EQ(FloatToStrGeneral(top, 1), "1E4932");
    // Values that round up within the range keep their usual text.
    EXPECT_EQ(FloatToStrGeneral(1.189731351e4932L, 8), "1.1897314E4932");
    EXPECT_EQ(FloatToStrGeneral(1.9e4931L, 1), "2E4931");

    const long double below = std::nextafter(top, 0.0L);
    const long double tiny = std::numeric_limits<long double>::denorm_min();
    for (long double x : {top, -top, below, 1.189731495357231765e4932L, tiny, -tiny,
                          std::numeric_limits<long double>::min()}) {
        for (int precision : {1, 2, 8, 15, 17, 18}) {
            const QString text = FloatToStrGeneral(x, precision);
            long double back = 0;
            ASSERT_TRUE(TryStrToFloat(text, back)) << text.toStdString();
            EXPECT_LE(std::fabs(back), top);
            // Within one unit of the last digit written.
            EXPECT_LE(std::fabs(back - x), std::fabs(x) * 1.000001L * std::pow(10.0L, 1 - precision))
                << text.toStdString();
        }
    }
}

TEST(NumText, StrictFloatReading)
{
    struct Case {
        const char* text;
        bool ok;
        long double value;
    };
    const Case cases[] = {
        {"1.5", true, 1.5L},   {"  -2.25  ", true, -2.25L}, {"+3", true, 3.0L},    {".5", true, 0.5L},
        {"5.", true, 5.0L},    {"1e3", true, 1000.0L},      {"1E-3", true, 0.001L}, {"2.5e+2", true, 250.0L},
        {"1e-5000", true, 0.0L},
        {"", false, 0},        {" ", false, 0},             {"1,5", false, 0},      {"1.5.2", false, 0},
        {"1e", false, 0},      {"e5", false, 0},            {".", false, 0},        {"0x1p3", false, 0},
        {"1e5000", false, 0},  {"- 1", false, 0},           {"1 2", false, 0},      {"\t1", false, 0},
        {"1d3", false, 0},     {"--1", false, 0},           {"١", false, 0},
    };
    for (const Case& c : cases) {
        long double v = -99;
        EXPECT_EQ(TryStrToFloat(QString::fromUtf8(c.text), v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
    EXPECT_EQ(StrToFloat("0.1"), 0.1L);  // nearest long double, not the nearest double
    try {
        StrToFloat("1,5");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.message(), "'1,5' is not a valid floating point value");
    }
}

TEST(NumText, StrictIntegerReading)
{
    struct Case {
        const char* text;
        bool ok;
        int32_t value;
    };
    const Case cases[] = {
        {"0", true, 0},
        {"  42", true, 42},
        {"-2147483648", true, INT32_MIN},
        {"2147483647", true, INT32_MAX},
        {"$ff", true, 255},
        {"$FF", true, 255},
        {"-$10", true, -16},
        {"$7FFFFFFF", true, INT32_MAX},
        {"$FFFFFFFF", true, -1},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"$100000000", false, 0},
        {"$", false, 0},
        {"$fg", false, 0},
        {"12 ", false, 0},
        {"1.0", false, 0},
        {"", false, 0},
        {"-", false, 0},
    };
    for (const Case& c : cases) {
        int32_t v = -99;
        EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
    EXPECT_THROW(StrToInt("x"), EConvertError);
}

TEST(NumText, HexTextAndRounding)
{
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(0x12345, 4), "12345");
    EXPECT_EQ(IntToHex(-1, 4), "FFFFFFFFFFFFFFFF");
    struct Case {
        long double x, r;
    };
    for (Case c : {Case{0.5L, 0}, {1.5L, 2}, {2.5L, 2}, {-0.5L, 0}, {-1.5L, -2}, {-2.5L, -2}, {2.4999L, 2},
                   {2.5000001L, 3}, {-7.6L, -8}, {1e30L, 1e30L}})
        EXPECT_EQ(RoundHalfEven(c.x), c.r) << double(c.x);
}

// Formats and reads again under a locale whose decimal separator is a comma, when this machine
// has one: nothing may change.
TEST(NumText, IndependentOfTheNumericLocale)
{
    const char* names[] = {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "nl_NL.UTF-8"};
    const char* chosen = nullptr;
    for (const char* n : names)
        if (std::setlocale(LC_NUMERIC, n)) {
            chosen = n;
            break;
        }
    if (!chosen) GTEST_SKIP() << "no locale with a decimal comma is installed";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    ASSERT_STREQ(probe, "1,5");  // the C library now writes a comma
    EXPECT_EQ(FloatToStrGeneral(1.5L, 18), "1.5");
    EXPECT_EQ(FloatToStrGeneral(1.5e-5L, 8), "1.5E-5");
    long double v = 0;
    EXPECT_TRUE(TryStrToFloat("2.25", v));
    EXPECT_EQ(v, 2.25L);
    EXPECT_FALSE(TryStrToFloat("2,25", v));
    std::setlocale(LC_NUMERIC, "C");
}

}  // namespace
