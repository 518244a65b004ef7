#include "table/unittemplates.h"

#include "util/exceptions.h"

#include <gtest/gtest.h>

namespace {

using namespace ColumnTypes;

TEST(ExpandUnitTemplate, NamesOfEachSystem)
{
    struct Case {
        const char* unitTemplate;
        const char* english;
        const char* si;
        const char* none;
    };
    const Case cases[] = {
        {"", "", "", ""},
        {"F/L^3", "lbs/in^3", "kN/m^3", "F/L^3"},
        {"F/L2^3", "lbs/ft^3", "kN/m^3", "F/L^3"},
        {"L2^4", "ft^4", "m^4", "L^4"},
        {"L2^2", "ft^2", "m^2", "L^2"},
        {"L2", "ft", "m", "L"},
        {"F6", "slug", "Mg", "F"},
        {"F", "lbs", "kN", "F"},
        {"L2/SEC", "ft/SEC", "m/SEC", "L/SEC"},
        {"DEGREES", "DEGREES", "DEGREES", "DEGREES"},
        {"F4", "lb-sec2/in", "Mg", "M"},
        {"F5", "sec", "sec", "T"},
        {"F1-L1", "kips-in", "kN-mm", "F-L"},
        {"F2-L3", "tons-rad", "kN-rad", "F-L"},
        {"F0-L0", "lbs0-in0", "kN0-m0", "F0-L0"},  // F0 and L0 are no codes of their own
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExpandUnitTemplate(c.unitTemplate, 1), c.english) << c.unitTemplate;
        EXPECT_EQ(ExpandUnitTemplate(c.unitTemplate, 2), c.si) << c.unitTemplate;
        EXPECT_EQ(ExpandUnitTemplate(c.unitTemplate, 3), c.none) << c.unitTemplate;
    }
}

TEST(UnitConversionFactor, FactorsBetweenSystems)
{
    const long double ft = 3.280839895L;
    EXPECT_EQ(UnitConversionFactor(2, 1, "F/L2^3"), 224.8089237L / (ft * ft * ft));
    EXPECT_EQ(UnitConversionFactor(1, 2, "F/L2^3"), 1.0L / (224.8089237L / (ft * ft * ft)));
    EXPECT_EQ(UnitConversionFactor(1, 2, "L2/SEC"), 1.0L / ft);
    EXPECT_EQ(UnitConversionFactor(2, 1, "F/L^3"), 224.8089237L / (39.37007874L * 39.37007874L * 39.37007874L));
    EXPECT_EQ(UnitConversionFactor(2, 1, "F6"), 68.364249L);
    EXPECT_EQ(UnitConversionFactor(2, 1, "L2^4"), ft * ft * ft * ft);
    EXPECT_EQ(UnitConversionFactor(2, 1, "F1-L1"), 0.2248089237L * 0.03937007874L);
    EXPECT_EQ(UnitConversionFactor(2, 1, "F^2"), 224.8089237L * 224.8089237L);
    EXPECT_EQ(UnitConversionFactor(2, 1, "F5/L3"), 1.0L);
    EXPECT_EQ(UnitConversionFactor(2, 1, "F4"), 5.7101483L);
    EXPECT_EQ(UnitConversionFactor(2, 1, "F2"), 0.1124044745L);
    for (int from = 1; from <= 3; ++from)
        for (int to = 1; to <= 3; ++to)
            for (const char* t : {"", "DEGREES", "SEC"}) EXPECT_EQ(UnitConversionFactor(from, to, t), 1.0L);
    for (const char* t : {"F/L2^3", "F6", "L2"}) {
        EXPECT_EQ(UnitConversionFactor(1, 1, t), 1.0L);
        EXPECT_EQ(UnitConversionFactor(2, 2, t), 1.0L);
        EXPECT_EQ(UnitConversionFactor(3, 1, t), 1.0L);
        EXPECT_EQ(UnitConversionFactor(2, 3, t), 1.0L);
    }
}

// A value converted to English units and back keeps its value.
TEST(UnitConversionFactor, RoundTripAndKnownValue)
{
    for (const char* t : {"F/L2^3", "F/L^3", "L2^4", "F6", "L2/SEC", "F1-L1"}) {
        const long double v = 17.5L;
        EXPECT_NEAR(double(v * UnitConversionFactor(2, 1, t) * UnitConversionFactor(1, 2, t)), 17.5, 1e-13) << t;
    }
    // 1 kN/m^3 is 6.3659 lbs/ft^3.
    EXPECT_NEAR(double(UnitConversionFactor(2, 1, "F/L2^3")), 6.365880, 1e-6);
}

TEST(TemplateFactor, Sides)
{
    EXPECT_EQ(TemplateFactor(""), 1.0L);
    EXPECT_EQ(TemplateFactor("SEC"), 1.0L);
    EXPECT_EQ(TemplateFactor("L"), 39.37007874L);
    EXPECT_EQ(TemplateFactor("L2^3"), 3.280839895L * 3.280839895L * 3.280839895L);
    EXPECT_EQ(TemplateFactor("F"), 224.8089237L);
    EXPECT_THROW(TemplateFactor("L2x"), EConvertError);  // no exponent digit
    EXPECT_THROW(TemplateFactor("F^x"), EConvertError);
}

}  // namespace
