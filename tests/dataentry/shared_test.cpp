#include "util/hvlconst.h"
#include "util/hvlstring.h"
#include "util/miscmath.h"
#include "util/units.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace {

using namespace HvlString;

TEST(HvlString, PositionsAndTails)
{
    EXPECT_EQ(CharAt("abc", 0), QChar(0));
    EXPECT_EQ(CharAt("abc", 4), QChar(0));
    EXPECT_EQ(CharAt("abc", 3), QLatin1Char('c'));
    EXPECT_EQ(CopyFrom("abcd", 3), "cd");
    EXPECT_EQ(CopyFrom("abcd", 5), "");
    EXPECT_EQ(CopyFrom("abcd", 0), "abcd");
    EXPECT_EQ(PosFrom("b", "abcb", 3), 2);
    EXPECT_EQ(PosFrom("b", "abcb", 2), 1);
    EXPECT_EQ(PosFrom("x", "abcb", 1), 0);
    EXPECT_EQ(PosFrom("b", "abcb", 9), 0);
    EXPECT_EQ(PosOrDefault("c", "abc", 7), 3);
    EXPECT_EQ(PosOrDefault("z", "abc", 7), 7);
    EXPECT_EQ(PosOrEnd("z", "abc"), 4);
    EXPECT_EQ(PosOrEnd("/", "F/L"), 2);
}

TEST(HvlString, ReplaceAllNeverSearchesInsertedText)
{
    EXPECT_EQ(ReplaceAll("L/L", "L", "LL"), "LL/LL");
    EXPECT_EQ(ReplaceAll("aaa", "aa", "a"), "aa");
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceAll("f/F", "F", "lbs"), "f/lbs");  // case-sensitive
}

TEST(HvlString, IsWholeNumber)
{
    EXPECT_FALSE(IsWholeNumber(2147483648.0L));
    EXPECT_TRUE(IsWholeNumber(-2147483648.0L));
    EXPECT_TRUE(IsWholeNumber(2147483647.0L));
    EXPECT_FALSE(IsWholeNumber(1.5L));
    EXPECT_FALSE(IsWholeNumber(std::nanl("")));
}

TEST(HvlConst, ChecksRaiseTheGivenClass)
{
    EXPECT_NO_THROW(HvlConst::RaiseIf(false, "x"));
    EXPECT_THROW(HvlConst::RaiseIf(true, "x"), EAssertionFailed);
    try {
        HvlConst::RaiseIfFmt<EConvertError>(true, "Entry must be between %d and %d.", 0, 2);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.message(), "Entry must be between 0 and 2.");
    }
    try {
        HvlConst::CheckConditionFmt<EInOutError>(false, "%s: %d", QStringLiteral("Item"), 5);
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.message(), "Item: 5");
    }
    EXPECT_NO_THROW(HvlConst::CheckCondition(true, "x"));
}

TEST(HvlConst, IntegerRoutines)
{
    using namespace HvlConst;
    const std::vector<int32_t> v{4, -2, 9, -2, 3};
    EXPECT_EQ(MinOfInts(v), -2);
    EXPECT_EQ(FoldInts(IntMax, v), 9);
    EXPECT_EQ(FoldInts([](int32_t a, int32_t b) { return a - b; }, v), 4 + 2 - 9 + 2 - 3);  // from the left
    EXPECT_THROW(MinOfInts({}), EAssertionFailed);
    EXPECT_EQ(IntIfThen(true, 1, 2), 1);
    EXPECT_EQ(MiscMath::MathIfThen(false, 1, 2), 2);
    EXPECT_EQ(MiscMath::MathMin(3, -3), -3);
    EXPECT_EQ(MiscMath::MathMax(3, -3), 3);
    EXPECT_TRUE(InRangeInt(2, 2, 2));
    EXPECT_FALSE(InRangeInt(3, 0, 2));
    EXPECT_EQ(FracPart(-2.75L), -0.75L);
    EXPECT_EQ(RoundToInt64(2.5L), 2);
    EXPECT_EQ(RoundToInt64(3.5L), 4);
    EXPECT_EQ(RoundToInt64(-2.5L), -2);
    EXPECT_EQ(RoundToInt64(1e30L), INT64_MAX);
    EXPECT_EQ(RoundToInt64(-1e30L), INT64_MIN);
}

// Counts the objects alive, to see what the owning list frees.
struct Counted {
    explicit Counted(int id, std::vector<int>* freed) : id(id), freed(freed) {}
    virtual ~Counted() { freed->push_back(id); }
    int id;
    std::vector<int>* freed;
};

TEST(TObjectList, OwningListFreesLastToFirst)
{
    std::vector<int> freed;
    {
        TObjectList<Counted> list;
        EXPECT_TRUE(list.OwnsObjects());
        for (int i = 0; i < 3; ++i) EXPECT_EQ(list.Add(new Counted(i, &freed)), i);
        Counted* same = list[1];
        list.SetItem(1, same);  // the same object is kept
        EXPECT_TRUE(freed.empty());
        list.SetItem(1, new Counted(10, &freed));  // another one frees the old
        EXPECT_EQ(freed, std::vector<int>{1});
        list.Insert(0, new Counted(20, &freed));
        EXPECT_EQ(list.IndexOf(list[3]), 3);
        EXPECT_EQ(list.IndexOf(nullptr), -1);
        list.Delete(0);
        EXPECT_EQ(freed, (std::vector<int>{1, 20}));
        EXPECT_EQ(list.Count(), 3);
        EXPECT_THROW(list.GetItem(3), EListError);
        EXPECT_THROW(list.Insert(5, nullptr), EListError);
    }
    EXPECT_EQ(freed, (std::vector<int>{1, 20, 2, 10, 0}));
}

TEST(TObjectList, NonOwningListFreesNothing)
{
    std::vector<int> freed;
    Counted a(1, &freed), b(2, &freed);
    {
        TObjectList<Counted> list(false);
        list.Add(&a);
        list.Add(&b);
        list.Delete(0);
        list.Clear();
        EXPECT_EQ(list.Count(), 0);
    }
    EXPECT_TRUE(freed.empty());
}

TEST(HvlConst, FreeListAndItems)
{
    std::vector<int> freed;
    auto* list = new QList<Counted*>{new Counted(1, &freed), new Counted(2, &freed)};
    HvlConst::FreeListAndItems(list);
    EXPECT_EQ(list, nullptr);
    EXPECT_EQ(freed, (std::vector<int>{2, 1}));
    HvlConst::FreeListAndItems(list);  // no list: nothing
}

TEST(Units, CategoriesAsBuilt)
{
    TCategories& all = Units::Categories();
    ASSERT_EQ(all.Count(), 6);
    const char* names[] = {"Length", "Time", "Force", "Temperature", "Angle", "Computer Bits"};
    const char* bases[] = {"m", "s", "N", "C", "deg", "B"};
    const int counts[] = {12, 13, 11, 4, 7, 10};
    for (int i = 0; i < 6; ++i) {
        TCategory* c = all.GetCategory(i);
        EXPECT_EQ(c->Name(), names[i]);
        ASSERT_EQ(c->UnitCount(), counts[i]) << names[i];
        ASSERT_GE(c->BaseIndex(), 0);
        EXPECT_EQ(c->Unit(c->BaseIndex())->Symbol, bases[i]);
        EXPECT_EQ(c->Unit(c->BaseIndex())->Factor, 1.0L);
        EXPECT_EQ(c->FromIndex(), c->BaseIndex());
        EXPECT_EQ(c->ToIndex(), c->BaseIndex());
        EXPECT_TRUE(c->Unit(0)->Active);
        EXPECT_FALSE(c->Unit(0)->Marked);
        EXPECT_EQ(c->IndexOfSymbol("PH s"), -1);
        EXPECT_EQ(c->IndexOfSymbol("PH rev"), -1);
    }
    TCategory* time = all.GetCategory(1);
    EXPECT_EQ(time->Unit(0)->Symbol, "ns");
    EXPECT_EQ(time->Unit(time->IndexOfSymbol("yr"))->Factor, 31557600.0L);
    TCategory* angle = all.GetCategory(4);
    EXPECT_NEAR(double(angle->Unit(angle->IndexOfSymbol("rad"))->Factor), 180.0 / std::numbers::pi, 1e-13);
    EXPECT_EQ(angle->Unit(angle->IndexOfSymbol("rev"))->Factor, 360.0L);
    TCategory* bits = all.GetCategory(5);
    EXPECT_EQ(bits->Unit(bits->IndexOfSymbol("Tb"))->Factor, 137438953472.0L);
    TCategory* length = all.GetCategory(0);
    EXPECT_EQ(length->Unit(length->IndexOfSymbol("league"))->Factor, 4828.032L);
    EXPECT_EQ(length->Unit(length->IndexOfSymbol("ft"))->Name, "feet");

    try {
        length->AddUnit("m", "metres again", 1);
        FAIL();
    } catch (const eNameError& e) {
        EXPECT_EQ(e.message(), "m already exists. A unit's symbol must be unique.");
    }
    try {
        all.GetCategory(6);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), "6 Out of Range 0-6");
    }
    try {
        all.AddCategory("Force");
        FAIL();
    } catch (const eNameError& e) {
        EXPECT_EQ(e.message(), "Force already exists.");
    }
}

// The first unit of a category is no exception: its factor too is its size in base units
// ("mm" is 0.001 m, "b" is 0.125 B), like every other unit of the two categories whose first
// unit is not the base.
TEST(Units, FirstUnitsKeepTheirSizeInBaseUnits)
{
    struct Case {
        int category;
        const char* symbol;
        long double factor;
    };
    const Case cases[] = {
        {0, "mm", 0.001L},   {0, "cm", 0.01L},     {0, "m", 1},          {0, "km", 1000},
        {0, "in", 0.0254L},  {0, "ft", 0.3048L},   {0, "yd", 0.9144L},   {0, "f", 1.8288L},
        {0, "mi", 1609.344L}, {0, "nmi", 1852},    {0, "league", 4828.032L}, {0, "au", 1.4959789e11L},
        {5, "b", 0.125L},    {5, "Kb", 128},       {5, "Mb", 131072},    {5, "Gb", 134217728.0L},
        {5, "Tb", 137438953472.0L}, {5, "B", 1},   {5, "KB", 1024},      {5, "MB", 1048576},
        {5, "GB", 1073741824.0L},   {5, "TB", 1099511627776.0L},
        {1, "ns", 1e-9L},    {2, "N", 1},          {4, "sec", 1.0L / 3600},
    };
    TCategories& all = Units::Categories();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.symbol);
        TCategory* category = all.GetCategory(c.category);
        const qsizetype i = category->IndexOfSymbol(QString::fromLatin1(c.symbol));
        ASSERT_GE(i, 0);
        const long double factor = category->Unit(i)->Factor;
        EXPECT_LE(std::fabs(factor - c.factor), c.factor * 4 * std::numeric_limits<long double>::epsilon())
            << double(factor);
    }
}

TEST(Units, SetBaseAndDeleteKeepIndicesInStep)
{
    TCategories cats;
    TCategory* c = cats.AddCategory("Mass");
    c->AddUnit("g", "grams", 1);
    EXPECT_EQ(c->BaseIndex(), 0);
    c->AddUnit("kg", "kilograms", 1000);
    c->AddUnit("t", "tonnes", 1e6L);
    c->SetBase(1);
    EXPECT_EQ(c->Unit(0)->Factor, 0.001L);
    EXPECT_EQ(c->Unit(2)->Factor, 1000.0L);
    c->SetFromIndex(2);
    c->SetToIndex(2);
    c->DeleteUnit(2);  // the last unit: both indices step down
    EXPECT_EQ(c->FromIndex(), 1);
    EXPECT_EQ(c->ToIndex(), 1);
    EXPECT_EQ(c->BaseIndex(), 1);
    c->DeleteUnit(0);  // indices above move down
    EXPECT_EQ(c->BaseIndex(), 0);
    EXPECT_EQ(c->FromIndex(), 0);
    c->DeleteUnit(0);  // the base itself
    EXPECT_EQ(c->BaseIndex(), -1);
    EXPECT_EQ(c->UnitCount(), 0);
    c->SetBase(-1);
    EXPECT_EQ(c->BaseIndex(), -1);
}

}  // namespace
