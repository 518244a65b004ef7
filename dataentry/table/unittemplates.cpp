#include "table/unittemplates.h"

#include "util/hvlstring.h"
#include "util/numtext.h"

namespace ColumnTypes {

namespace {

struct Slot {
    long double factor;
    const char* names[3];  // English, SI, no unit names
};

const Slot kSlots[10] = {
    {kLbsPerKN, {"lbs", "kN", "F"}},            // 0 F0, F
    {kKipsPerKN, {"kips", "kN", "F"}},          // 1 F1
    {kTonsPerKN, {"tons", "kN", "F"}},          // 2 F2
    {kInPerM, {"in", "m", "L"}},                // 3 L0, L
    {kInPerMm, {"in", "mm", "L"}},              // 4 L1
    {kFtPerM, {"ft", "m", "L"}},                // 5 L2
    {kLbSec2InPerMg, {"lb-sec2/in", "Mg", "M"}},  // 6 F4
    {kSecPerSec, {"sec", "sec", "T"}},          // 7 F5
    {kRadPerRad, {"rad", "rad", "L"}},          // 8 L3
    {kSlugPerMg, {"slug", "Mg", "F"}},          // 9 F6
};

struct Code {
    const char* code;
    int slot;
};

// Two-character codes before the bare letters.
const Code kExpandOrder[] = {{"F2", 2}, {"F1", 1}, {"F4", 6}, {"F5", 7}, {"F6", 9}, {"F", 0},
                             {"L3", 8}, {"L2", 5}, {"L1", 4}, {"L", 3}};

int SystemIndex(int unitSystem)
{
    if (unitSystem < 1) return 0;
    if (unitSystem > 3) return 2;
    return unitSystem - 1;
}

int ForceSlot(QChar digit)
{
    switch (digit.unicode()) {
    case '0': return 0;
    case '1': return 1;
    case '2': return 2;
    case '4': return 6;
    case '5': return 7;
    case '6': return 9;
    default: return -1;
    }
}

int LengthSlot(QChar digit)
{
    switch (digit.unicode()) {
    case '0': return 3;
    case '1': return 4;
    case '2': return 5;
    case '3': return 8;
    default: return -1;
    }
}

long double IntPower(long double base, int exponent)
{
    long double r = 1.0L;
    for (int i = 0; i < exponent; ++i) r *= base;
    return r;
}

}  // namespace

QString ExpandUnitTemplate(const QString& unitTemplate, int unitSystem)
{
    const int s = SystemIndex(unitSystem);
    QString text = unitTemplate;
    for (const Code& c : kExpandOrder)
        text = HvlString::ReplaceAll(text, QLatin1String(c.code), QLatin1String(kSlots[c.slot].names[s]));
    return text;
}

long double TemplateFactor(const QString& side)
{
    using HvlString::CharAt;
    QString text = side;

    long double forceFactor = 1.0L;
    int forceExponent = 0;
    if (CharAt(text, 1) == QLatin1Char('F')) {
        if (ForceSlot(CharAt(text, 2)) < 0) text.insert(1, QLatin1Char('0'));
        forceFactor = kSlots[ForceSlot(CharAt(text, 2))].factor;
        if (CharAt(text, 3) == QLatin1Char('^')) {
            forceExponent = NumText::StrToInt(text.mid(3, 1));
            text = HvlString::CopyFrom(text, 6);
        } else {
            forceExponent = 1;
            text = HvlString::CopyFrom(text, 4);
        }
    }

    long double lengthFactor = 1.0L;
    int lengthExponent = 0;
    if (CharAt(text, 1) == QLatin1Char('L')) {
        if (LengthSlot(CharAt(text, 2)) < 0) text.insert(1, QLatin1Char('0'));
        lengthFactor = kSlots[LengthSlot(CharAt(text, 2))].factor;
        lengthExponent = text.size() >= 3 ? NumText::StrToInt(text.mid(3, 1)) : 1;
    }

    return IntPower(forceFactor, forceExponent) * IntPower(lengthFactor, lengthExponent);
}

long double UnitConversionFactor(int from, int to, const QString& unitTemplate)
{
    int direction = 0;
    if (from == 1 && to == 2) direction = -1;
    if (from == 2 && to == 1) direction = +1;
    if (direction == 0) return 1.0L;

    const qsizetype slash = unitTemplate.indexOf(QLatin1Char('/'));
    const QString numerator = slash < 0 ? unitTemplate : unitTemplate.left(slash);
    const QString denominator = slash < 0 ? QString() : unitTemplate.mid(slash + 1);
    const long double ratio = TemplateFactor(numerator) / TemplateFactor(denominator);
    return direction > 0 ? ratio : 1.0L / ratio;
}

}  // namespace ColumnTypes
