// Grid tables without widgets: cell handles and typed access, the column classes' conversion
// and messages, top-depth pairing, row groups, unit switches, sub-tables, identifiers, the
// registry and the editor hook.
#include "table/columntypes.h"
#include "table/table.h"
#include "util/numtext.h"
#include "qt_test.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace {

using TestSupport::MessageOf;

const std::string kEvaluatorPrefix = std::string("Entry could not be evaluated:") + '\r';

// An editor window that only records what the table asks of it.
class FakeEditor : public TTableEditor {
public:
    FakeEditor() : serial(++Serials()) { Live().insert(serial); }
    ~FakeEditor() override { Live().erase(serial); }
    // Editors are told apart by serial number: a new one may reuse a freed one's address.
    static std::set<int>& Live()
    {
        static std::set<int> live;
        return live;
    }
    static int& Serials()
    {
        static int serials = 0;
        return serials;
    }
    const int serial;
    void Show() override { ++shows; }
    void ShowModal() override
    {
        ++modalShows;
        modal = true;
    }
    bool IsShowingModal() const override { return modal; }
    void SetCaption(const QString& text) override { caption = text; }
    void SetCurrentCell(int column, int row) override { current = {column, row}; }
    void ColumnAdded(TColumn* column) override { added.push_back(column); }

    int shows = 0;
    int modalShows = 0;
    bool modal = false;
    QString caption;
    std::pair<int, int> current{-1, -1};
    std::vector<TColumn*> added;
};

// Installs a factory of fake editors for the test and removes it afterwards.
class GridTableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TGridTable::SetEditorFactory([this](TGridTable* table, bool modal) -> TTableEditor* {
            made.push_back({table, modal});
            return new FakeEditor;
        });
    }
    void TearDown() override { TGridTable::SetEditorFactory(nullptr); }

    static FakeEditor* EditorOf(const TGridTable& table) { return static_cast<FakeEditor*>(table.Editor()); }
    static bool IsLive(int serial) { return FakeEditor::Live().count(serial) > 0; }

    // Records every announced cell (column index, row).
    static std::vector<std::pair<int, int>>& Record(TGridTable& table, std::vector<std::pair<int, int>>& log)
    {
        table.EditorCellChanged = [&log](int column, int row) { log.push_back({column, row}); };
        return log;
    }

    std::vector<std::pair<TGridTable*, bool>> made;
};

using Cells = std::vector<std::pair<int, int>>;

}  // namespace

// ---------------------------------------------------------------------------------------------
// Cell handles and typed access

TEST_F(GridTableTest, AskingForAnotherKindOfValueRaisesDataOfWrongType)
{
    TGridTable table;
    table.AddFloatColumn({QStringLiteral("F")});
    table.AddIntColumn({QStringLiteral("I")}, 0, 10);
    table.AddEnumColumn({QStringLiteral("E")}, {QStringLiteral("a"), QStringLiteral("b")});
    table.AddStringColumn({QStringLiteral("S")});
    table.AddTableColumn({QStringLiteral("T")}, -1);
    table.SetRowCount(1);
    table.Cell(0, 0)->SetAsFloat(1.5L);
    table.Cell(1, 0)->SetAsInteger(4);

    const std::vector<std::function<void()>> wrong = {
        [&] { table.Cell(0, 0)->GetAsInteger(); },
        [&] { table.Cell(0, 0)->SetAsInteger(3); },
        [&] { table.Cell(0, 0)->GetAsTable(); },
        [&] { table.Cell(1, 0)->GetAsFloat(); },
        [&] { table.Cell(1, 0)->SetAsFloat(2.0L); },
        [&] { table.Cell(2, 0)->GetAsFloat(); },
        [&] { table.Cell(2, 0)->GetAsTable(); },
        [&] { table.Cell(3, 0)->SetAsFloat(1.0L); },
        [&] { table.Cell(3, 0)->GetAsInteger(); },
        [&] { table.Cell(4, 0)->GetAsFloat(); },
        [&] { table.Cell(4, 0)->SetAsInteger(1); },
        [&] { table.GetColumn(0)->GetObject(0); },
    };
    for (size_t i = 0; i < wrong.size(); ++i) {
        EXPECT_THROW(wrong[i](), EInvalidCast) << i;
        EXPECT_EQ(MessageOf(wrong[i]), "Data of wrong type") << i;
    }
    EXPECT_EQ(table.Cell(0, 0)->GetAsFloat(), 1.5L);
    EXPECT_EQ(table.Cell(1, 0)->GetAsInteger(), 4);
    EXPECT_EQ(table.Cell(3, 0)->GetText(), QString());
    EXPECT_EQ(table.Cell(4, 0)->GetText(), QString());  // sub-table cells have no text
}

TEST_F(GridTableTest, CellHandleFollowsItsRowAndIsRefusedOnceTheRowIsGone)
{
    TGridTable table;
    table.AddFloatColumn({QStringLiteral("F")});
    table.SetRowCount(3);
    TDataPtr cell = table.Cell(0, 1);
    cell->SetAsFloat(7.0L);
    table.InsertRowGroup(0);
    EXPECT_EQ(cell->Row(), 2);
    EXPECT_EQ(cell->GetAsFloat(), 7.0L);
    EXPECT_EQ(table.Cell(0, 2)->GetAsFloat(), 7.0L);

    table.DeleteRowGroup(2);
    EXPECT_FALSE(cell->IsValid());
    EXPECT_EQ(cell->Row(), -1);
    EXPECT_EQ(MessageOf([&] { cell->GetAsFloat(); }), "Cell of a deleted row");
    EXPECT_THROW(cell->SetAsFloat(1.0L), EListError);

    TDataPtr survivor = table.Cell(0, 0);
    {
        TGridTable doomed;
        doomed.AddFloatColumn({});
        doomed.SetRowCount(1);
        survivor = doomed.Cell(0, 0);
    }
    EXPECT_THROW(survivor->GetText(), EListError);
    EXPECT_THROW(table.Cell(0, 3), EListError);
    EXPECT_THROW(table.Cell(1, 0), EListError);
}

// ---------------------------------------------------------------------------------------------
// Float columns

TEST_F(GridTableTest, FloatCellsEvaluateExpressionsAndShowEightDigits)
{
    TGridTable table;
    table.AddFloatColumn({QStringLiteral("Depth")}, QStringLiteral("L2"));
    table.SetRowCount(1);
    TColumn* column = table.GetColumn(0);
    struct Case {
        const char* text;
        long double value;
        const char* shown;
    };
    const Case cases[] = {
        {"2*3", 6.0L, "6"},
        {"1/3", 1.0L / 3.0L, "0.33333333"},
        {"1.5e-5", 1.5e-5L, "1.5E-5"},
        {"123456789", 123456789.0L, "1.2345679E8"},
        {"-(2+0.5)", -2.5L, "-2.5"},
    };
    for (const Case& c : cases) {
        column->SetText(0, QString::fromLatin1(c.text));
        EXPECT_NEAR(static_cast<double>(column->GetAsFloat(0) - c.value), 0.0, 1e-17 * std::fabs(static_cast<double>(c.value))) << c.text;
        EXPECT_EQ(column->GetText(0).toStdString(), c.shown) << c.text;
    }
    // The evaluator's messages pass unchanged and nothing is stored.
    for (const char* bad : {"", "abc", "3+", "1/0"}) {
        const std::string message = MessageOf([&] { column->SetText(0, QString::fromLatin1(bad)); });
        EXPECT_EQ(message.rfind(kEvaluatorPrefix, 0), 0u) << bad << ": " << message;
        EXPECT_THROW(column->SetText(0, QString::fromLatin1(bad)), EAssignError);
        EXPECT_EQ(column->GetAsFloat(0), -2.5L);
    }
    EXPECT_EQ(MessageOf([&] { column->SetText(0, QString()); }), kEvaluatorPrefix + "entry cannot be blank");
}

TEST_F(GridTableTest, CellEntryConversionErrorsBecomeTheUsersMessage)
{
    // What the evaluator raises itself passes through.
    EXPECT_EQ(MessageOf([] { ColumnTypes::EvaluateEntry(QStringLiteral("x")); }).rfind(kEvaluatorPrefix, 0), 0u);
    EXPECT_EQ(ColumnTypes::EvaluateEntry(QStringLiteral("2^10")), 1024.0L);
}

TEST_F(GridTableTest, FloatCaptionCarriesTheUnitsOfTheTablesSystem)
{
    TGridTable table;
    TFloatColumn* weight = table.AddFloatColumn({QStringLiteral("Unit weight"), QString()}, QStringLiteral("F/L2^3"));
    TFloatColumn* mass = table.AddFloatColumn({QStringLiteral("Mass")}, QStringLiteral("F6"));
    TFloatColumn* ratio = table.AddFloatColumn({QStringLiteral("Poisson's"), QStringLiteral("ratio")});
    EXPECT_EQ(weight->GetCaptionLine(0), QStringLiteral("Unit weight"));
    EXPECT_EQ(weight->GetCaptionLine(1), QStringLiteral(" (lbs/ft^3)  "));
    EXPECT_EQ(mass->GetCaptionLine(0), QStringLiteral("Mass (slug)  "));
    EXPECT_EQ(ratio->GetCaptionLine(1), QStringLiteral("ratio"));
    table.SetUnits(2);
    EXPECT_EQ(mass->GetCaptionLine(0), QStringLiteral("Mass (Mg)  "));
    EXPECT_EQ(weight->GetCaptionLine(1), QStringLiteral(" (kN/m^3)  "));
    EXPECT_EQ(mass->Captions(), QStringList{QStringLiteral("Mass")});  // stored captions unchanged
}

// ---------------------------------------------------------------------------------------------
// Integer and enumeration columns

TEST_F(GridTableTest, IntegerEntriesAreTestedWhileTheEditorIsOpen)
{
    TGridTable table;
    TIntColumn* column = table.AddIntColumn({QStringLiteral("N")}, 0, 2);
    table.SetRowCount(1);

    // Without an editor: rounded (ties to even) and stored, range not tested.
    struct Rounding {
        const char* text;
        int32_t value;
    };
    for (const Rounding& c : {Rounding{"2.5", 2}, Rounding{"3.5", 4}, Rounding{"-2.5", -2}, Rounding{"7", 7}}) {
        column->SetText(0, QString::fromLatin1(c.text));
        EXPECT_EQ(column->GetAsInteger(0), c.value) << c.text;
    }
    // A rounded value beyond 32 bits is refused, not wrapped.
    EXPECT_EQ(MessageOf([&] { column->SetText(0, QStringLiteral("1e12")); }),
              "Entry must be between -2147483648 and 2147483647.");
    EXPECT_EQ(MessageOf([&] { column->SetText(0, QStringLiteral("2147483647.5")); }),
              "Entry must be between -2147483648 and 2147483647.");
    EXPECT_EQ(column->GetAsInteger(0), 7);

    table.ShowEditor();
    ASSERT_NE(table.Editor(), nullptr);
    struct Refusal {
        const char* text;
        const char* message;
    };
    for (const Refusal& c : {Refusal{"2.5", "Entry must be an integer."}, Refusal{"-2.5", "Entry must be an integer."},
                             Refusal{"3", "Entry must be between 0 and 2."},
                             Refusal{"-1", "Entry must be between 0 and 2."}}) {
        EXPECT_EQ(MessageOf([&] { column->SetText(0, QString::fromLatin1(c.text)); }), c.message) << c.text;
        EXPECT_EQ(column->GetAsInteger(0), 7);
    }
    column->SetText(0, QStringLiteral("1.00000000001"));  // within 1e-10 of a whole number
    EXPECT_EQ(column->GetAsInteger(0), 1);
    column->SetAsInteger(0, 99);  // values stored by the program are never tested
    EXPECT_EQ(column->GetText(0), QStringLiteral("99"));
}

TEST_F(GridTableTest, EnumerationTakesOnlyItemsOfItsList)
{
    TGridTable table;
    TEnumColumn* column = table.AddEnumColumn({QStringLiteral("Plane")}, {QStringLiteral("XZ-Plane"), QStringLiteral("YZ-Plane")});
    table.SetRowCount(2);
    EXPECT_EQ(column->GetAsInteger(0), 1);  // a new row holds the first item
    Cells log;
    Record(table, log);

    column->SetText(1, QStringLiteral("1+1"));
    EXPECT_EQ(column->GetText(1), QStringLiteral("2"));
    struct Refusal {
        const char* text;
        const char* message;
    };
    for (const Refusal& c : {Refusal{"1.5", "Value must be an integer."}, Refusal{"3e9", "Value must be an integer."},
                             Refusal{"0", "Entry must be between 1 and 2."},
                             Refusal{"9", "Entry must be between 1 and 2."}}) {
        EXPECT_EQ(MessageOf([&] { column->SetText(1, QString::fromLatin1(c.text)); }), c.message) << c.text;
    }
    EXPECT_THROW(table.Cell(0, 0)->SetAsInteger(3), EAssignError);
    EXPECT_EQ(column->GetAsInteger(1), 2);
    column->SetAsInteger(1, 2);  // unchanged: neither stored nor announced
    EXPECT_EQ(log, (Cells{{0, 1}}));
}

TEST_F(GridTableTest, StringColumnStoresTextAsTyped)
{
    TGridTable table;
    TStringColumn* column = table.AddStringColumn({QStringLiteral("Note")}, QStringLiteral("-"));
    table.SetRowCount(2);
    EXPECT_EQ(column->GetText(1), QStringLiteral("-"));
    column->SetText(0, QStringLiteral(" 2*3 "));
    EXPECT_EQ(table.Cell(0, 0)->GetText(), QStringLiteral(" 2*3 "));
}

TEST_F(GridTableTest, GroupValueSetsTheWholeRowGroup)
{
    TGridTable table;
    table.SetRowGroup(3);
    TFloatColumn* f = table.AddFloatColumn({QStringLiteral("F")});
    TIntColumn* i = table.AddIntColumn({QStringLiteral("I")}, -100, 100);
    TStringColumn* s = table.AddStringColumn({QStringLiteral("S")});
    TEnumColumn* e = table.AddEnumColumn({QStringLiteral("E")}, {QStringLiteral("a"), QStringLiteral("b")});
    table.SetRowCount(6);
    const std::vector<std::pair<TColumn*, std::function<void()>>> stores = {
        {f, [&] { table.Cell(0, 4)->SetAsFloat(2.5L); }},
        {i, [&] { table.Cell(1, 4)->SetAsInteger(9); }},
        {s, [&] { s->SetText(4, QStringLiteral("x")); }},
        {e, [&] { table.Cell(3, 4)->SetAsInteger(2); }},
    };
    for (const auto& [column, store] : stores) {
        const QString before = column->GetText(0);
        column->SetGroupValue(true);
        Cells log;
        Record(table, log);
        store();
        const int index = table.ColumnIndexOf(column);
        EXPECT_EQ(log, (Cells{{index, 3}, {index, 4}, {index, 5}})) << index;
        for (int row = 0; row < 3; ++row) EXPECT_EQ(column->GetText(row), before) << index;
        for (int row = 3; row < 6; ++row) EXPECT_EQ(column->GetText(row), column->GetText(4)) << index;
        EXPECT_NE(column->GetText(4), before);
    }
}

// ---------------------------------------------------------------------------------------------
// Top-depth pairing

namespace {

// Three layers [0, 2], [2, 5], [5, 9]: column 0 the tops, column 1 the bottoms.
struct Layers {
    Layers()
    {
        top = table.AddFloatColumn({QStringLiteral("Top")}, QStringLiteral("L2"));
        top->SetTopDepth(true);
        bottom = table.AddFloatColumn({QStringLiteral("Bottom")}, QStringLiteral("L2"));
        table.AddFloatColumn({QStringLiteral("Vs")}, QStringLiteral("L2/SEC"));
        table.SetRowCount(3);
        bottom->SetAsFloat(0, 2.0L);
        bottom->SetAsFloat(1, 5.0L);
        bottom->SetAsFloat(2, 9.0L);
    }
    std::vector<std::pair<long double, long double>> Pairs() const
    {
        std::vector<std::pair<long double, long double>> pairs;
        for (int r = 0; r < table.RowCount(); ++r) pairs.push_back({top->GetAsFloat(r), bottom->GetAsFloat(r)});
        return pairs;
    }
    TGridTable table;
    TFloatColumn* top;
    TFloatColumn* bottom;
};

using Pairs = std::vector<std::pair<long double, long double>>;

}  // namespace

TEST_F(GridTableTest, TopDepthStoresKeepLayersContiguous)
{
    Layers layers;
    EXPECT_EQ(layers.Pairs(), (Pairs{{0, 2}, {2, 5}, {5, 9}}));

    Cells log;
    Record(layers.table, log);
    layers.bottom->SetAsFloat(1, 6.0L);  // bottom of layer 1 is the top of layer 2
    EXPECT_EQ(log, (Cells{{0, 2}, {1, 1}}));  // the linked cell first
    log.clear();
    layers.top->SetAsFloat(1, 2.5L);  // top of layer 1 is the bottom of layer 0
    EXPECT_EQ(log, (Cells{{1, 0}, {0, 1}}));
    EXPECT_EQ(layers.Pairs(), (Pairs{{0, 2.5}, {2.5, 6}, {6, 9}}));
    layers.top->SetAsFloat(0, -1.0L);  // nothing above the first layer
    layers.bottom->SetAsFloat(2, 12.0L);  // nothing below the last
    EXPECT_EQ(layers.Pairs(), (Pairs{{-1, 2.5}, {2.5, 6}, {6, 12}}));
}

TEST_F(GridTableTest, TopDepthInsertAndDeleteKeepLayersContiguous)
{
    Layers inserted;
    inserted.table.InsertRowGroup(1);  // an empty layer at the bottom of layer 0
    EXPECT_EQ(inserted.Pairs(), (Pairs{{0, 2}, {2, 2}, {2, 5}, {5, 9}}));

    Layers deleted;
    deleted.table.DeleteRowGroup(1);  // the layer below starts where the layer above ends
    EXPECT_EQ(deleted.Pairs(), (Pairs{{0, 2}, {2, 9}}));

    Layers appended;
    appended.table.AddRowGroup();  // a row at the end takes the defaults
    EXPECT_EQ(appended.Pairs().back(), (std::pair<long double, long double>{0, 0}));
}

TEST_F(GridTableTest, TopDepthNeedsAFloatColumnAfterIt)
{
    TGridTable table;
    TFloatColumn* top = table.AddFloatColumn({QStringLiteral("Top")});
    top->SetTopDepth(true);
    table.SetRowCount(1);  // the last column needs no partner
    table.AddEnumColumn({QStringLiteral("Kind")}, {QStringLiteral("a")});
    const char* message = "If column if a topdepth then the next column must be a float column";
    EXPECT_EQ(MessageOf([&] { table.AddRowGroup(); }), message);
    EXPECT_EQ(MessageOf([&] { table.InsertRowGroup(0); }), message);
    EXPECT_EQ(MessageOf([&] { table.SetRowCount(4); }), message);
    EXPECT_EQ(MessageOf([&] { top->InsertRows(&table, 0, 1); }), message);
    // Refused before any column changed.
    EXPECT_EQ(table.RowCount(), 1);
    EXPECT_EQ(table.GetColumn(0)->RowCount(), 1);
    EXPECT_EQ(table.GetColumn(1)->RowCount(), 1);
    table.DeleteRowGroup(0);
    EXPECT_EQ(table.RowCount(), 0);
}

// ---------------------------------------------------------------------------------------------
// Unit switches

TEST_F(GridTableTest, UnitSwitchEnglishSiEnglishConvertsByTemplate)
{
    TGridTable table;
    ASSERT_EQ(table.UnitSystem(), 1);
    struct Column {
        const char* unitTemplate;
        long double english;
        long double si;  // worked out by hand
    };
    const Column columns[] = {
        {"L2", 10.0L, 3.048L},                    // ft -> m
        {"F/L2^3", 120.0L, 18.8504973L},          // lbs/ft^3 -> kN/m^3
        {"L2/SEC", 500.0L, 152.4L},               // ft/s -> m/s
        {"F6", 68.364249L, 1.0L},                 // slug -> Mg
        {"L2^4", 2.0L, 0.01726194968L},           // ft^4 -> m^4
        {"F", 224.8089237L, 1.0L},                // lbs -> kN
        {"", 0.35L, 0.35L},                       // Poisson's ratio
        {"DEGREES", 12.5L, 12.5L},                // batter angle
    };
    for (const Column& c : columns) table.AddFloatColumn({QStringLiteral("x")}, QString::fromLatin1(c.unitTemplate));
    table.SetRowCount(2);
    for (int c = 0; c < 8; ++c) {
        table.Cell(c, 0)->SetAsFloat(columns[c].english);
        table.Cell(c, 1)->SetAsFloat(-3.0L * columns[c].english);
    }
    int refreshed = 0;
    table.EditorRowsChanged = [&] { ++refreshed; };

    table.SetUnits(2);
    EXPECT_EQ(table.UnitSystem(), 2);
    EXPECT_EQ(refreshed, 1);
    for (int c = 0; c < 8; ++c) {
        const long double si = table.Cell(c, 0)->GetAsFloat();
        EXPECT_NEAR(static_cast<double>(si / columns[c].si), 1.0, 1e-9) << columns[c].unitTemplate;
        EXPECT_NEAR(static_cast<double>(table.Cell(c, 1)->GetAsFloat() / si), -3.0, 1e-15);
    }

    table.SetUnits(2);  // the same system: nothing at all
    EXPECT_EQ(refreshed, 1);

    table.SetUnits(1);
    for (int c = 0; c < 8; ++c) {
        for (int row = 0; row < 2; ++row) {
            const long double expected = (row == 0 ? 1.0L : -3.0L) * columns[c].english;
            EXPECT_NEAR(static_cast<double>(table.Cell(c, row)->GetAsFloat() / expected), 1.0, 1e-8) << columns[c].unitTemplate;
        }
        // Shown with 8 significant digits, the value is back as typed.
        EXPECT_EQ(table.Cell(c, 0)->GetText(), NumText::FloatToStrGeneral(columns[c].english, 8)) << columns[c].unitTemplate;
    }
}

TEST_F(GridTableTest, UnitWeightFromSiToEnglishUsesBothFactors)
{
    TGridTable table;
    table.SetUnits(2);
    table.AddFloatColumn({QStringLiteral("Unit weight")}, QStringLiteral("F/L2^3"));
    table.SetRowCount(1);
    table.Cell(0, 0)->SetAsFloat(18.0L);
    table.SetUnits(1);
    const long double expected = 18.0L * 224.8089237L / (3.280839895L * 3.280839895L * 3.280839895L);
    EXPECT_NEAR(static_cast<double>(table.Cell(0, 0)->GetAsFloat() / expected), 1.0, 1e-15);
}

TEST_F(GridTableTest, TemplateWithoutFactorStopsTheSwitchBeforeAnyChange)
{
    TGridTable table;
    table.AddFloatColumn({QStringLiteral("Depth")}, QStringLiteral("L2"));
    table.AddFloatColumn({QStringLiteral("Odd")}, QStringLiteral("F^x"));
    table.SetRowCount(1);
    table.Cell(0, 0)->SetAsFloat(10.0L);
    table.Cell(1, 0)->SetAsFloat(3.0L);
    EXPECT_THROW(table.SetUnits(2), EConvertError);
    EXPECT_EQ(table.UnitSystem(), 1);
    EXPECT_EQ(table.Cell(0, 0)->GetAsFloat(), 10.0L);
    EXPECT_EQ(table.Cell(1, 0)->GetAsFloat(), 3.0L);
}

// ---------------------------------------------------------------------------------------------
// Row groups, limits, visible columns

TEST_F(GridTableTest, RowGroupsAreInsertedAndDeletedWhole)
{
    TGridTable table;
    table.SetRowGroup(0);
    EXPECT_EQ(table.RowGroup(), 1);
    table.SetRowGroup(2);
    TFloatColumn* column = table.AddFloatColumn({QStringLiteral("F")});
    column->SetDefaultValue(-1.0L);
    int refreshed = 0;
    table.EditorRowsChanged = [&] { ++refreshed; };
    table.SetRowCount(6);
    EXPECT_EQ(refreshed, 0);  // SetRowCount notifies nobody
    for (int r = 0; r < 6; ++r) column->SetAsFloat(r, r);

    auto values = [&] {
        std::vector<long double> v;
        for (int r = 0; r < table.RowCount(); ++r) v.push_back(column->GetAsFloat(r));
        return v;
    };
    table.DeleteRowGroup(3);  // rows 2 and 3
    EXPECT_EQ(values(), (std::vector<long double>{0, 1, 4, 5}));
    table.InsertRowGroup(3);  // two rows at 2
    EXPECT_EQ(values(), (std::vector<long double>{0, 1, -1, -1, 4, 5}));
    table.AddRowGroup();
    EXPECT_EQ(table.RowCount(), 8);
    EXPECT_EQ(column->RowCount(), 8);
    EXPECT_EQ(refreshed, 3);
    table.SetRowCount(-4);
    EXPECT_EQ(table.RowCount(), 0);
    EXPECT_EQ(column->RowCount(), 0);
    EXPECT_THROW(table.DeleteRowGroup(0), EListError);
    EXPECT_THROW(table.InsertRowGroup(2), EListError);
}

TEST_F(GridTableTest, MinRowsMustBePositiveExceptWhileLoading)
{
    TGridTable table;
    table.SetMinRows(3);
    EXPECT_EQ(MessageOf([&] { table.SetMinRows(0); }), "Value must be greater than 0");
    EXPECT_EQ(table.MinRows(), 3);
    table.SetLoading(true);
    table.SetMinRows(-2);
    EXPECT_EQ(table.MinRows(), 1);
}

TEST_F(GridTableTest, VisibleColumnsAndHeaderLines)
{
    TGridTable table;
    TColumn* a = table.AddFloatColumn({QStringLiteral("a")});
    TColumn* hidden = table.AddFloatColumn({QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}, QString(), false);
    TColumn* c = table.AddFloatColumn({QStringLiteral("e"), QStringLiteral("f")});
    EXPECT_EQ(table.VisibleColumnCount(), 2);
    EXPECT_EQ(table.VisibleColumn(0), a);
    EXPECT_EQ(table.VisibleColumn(1), c);
    EXPECT_EQ(table.VisibleIndexOf(c), 1);
    EXPECT_EQ(table.VisibleIndexOf(hidden), -1);
    EXPECT_EQ(table.HeaderLineCount(), 2);
    EXPECT_EQ(MessageOf([&] { table.VisibleColumn(2); }), "Index out of bounds");
    EXPECT_EQ(MessageOf([&] { table.VisibleColumn(-1); }), "Index out of bounds");
    EXPECT_EQ(TGridTable().HeaderLineCount(), 0);
    table.SetRowCount(2);
    EXPECT_TRUE(table.IsValidCell(2, 1));
    EXPECT_FALSE(table.IsValidCell(3, 0));
    EXPECT_FALSE(table.IsValidCell(0, 2));
}

// ---------------------------------------------------------------------------------------------
// Identifiers, the table list and the registry

TEST_F(GridTableTest, IdentifiersStayUnique)
{
    auto a = std::make_unique<TGridTable>();
    auto b = std::make_unique<TGridTable>();
    EXPECT_NE(a->Identifier(), b->Identifier());
    const int32_t oldA = a->Identifier();
    const int32_t oldB = b->Identifier();
    a->SetIdentifier(oldB);  // B takes A's old identifier
    EXPECT_EQ(b->Identifier(), oldA);
    EXPECT_EQ(Table::TableByIdentifier(oldA), b.get());  // the look-up follows the swap
    EXPECT_EQ(Table::TableByIdentifier(oldB), a.get());
    a->SetIdentifier(-3);
    EXPECT_NE(a->Identifier(), -3);

    // A value set ahead of the counter is never handed out again.
    b->SetIdentifier(b->Identifier() + 1000);
    for (int i = 0; i < 3; ++i) {
        TGridTable next;
        EXPECT_NE(next.Identifier(), b->Identifier());
    }
    const qsizetype index = Table::TableIndexOf(b.get());
    ASSERT_GE(index, 0);
    EXPECT_EQ(Table::TableByIndex(index), b.get());
    EXPECT_EQ(Table::TableIndexOfIdentifier(b->Identifier()), index);
    EXPECT_EQ(Table::TableIndexOfIdentifier(-1), -1);
    EXPECT_EQ(Table::TableByIndex(-1), nullptr);
    EXPECT_EQ(Table::TableByIndex(Table::TableCount()), nullptr);
    const int32_t goneIdentifier = b->Identifier();
    TGridTable* raw = b.release();
    delete raw;
    EXPECT_EQ(Table::TableIndexOf(raw), -1);
    EXPECT_EQ(Table::TableByIdentifier(goneIdentifier), nullptr);
    EXPECT_EQ(Table::TableIndexOfIdentifier(goneIdentifier), -1);
}

// Many sub-tables of one owner (as a project file may declare): every identifier is handed out
// once, each table is found by it, and setting identifiers ahead of the counter is respected.
TEST_F(GridTableTest, ManyTablesKeepUniqueIdentifiers)
{
    TGridTable owner;
    std::vector<TGridTable*> tables;
    std::set<int32_t> seen;
    for (int i = 0; i < 20000; ++i) {
        auto* table = new TGridTable(&owner);
        if (i % 1000 == 0) table->SetIdentifier(table->Identifier() + 3);  // ahead of the counter
        tables.push_back(table);
    }
    for (TGridTable* table : tables) {
        EXPECT_TRUE(seen.insert(table->Identifier()).second);
        ASSERT_EQ(Table::TableByIdentifier(table->Identifier()), table);
    }
    const int32_t middle = tables[10000]->Identifier();
    delete tables[10000];
    EXPECT_EQ(Table::TableByIdentifier(middle), nullptr);
    EXPECT_EQ(Table::TableIndexOf(tables[10001]) + 1, Table::TableIndexOf(tables[10002]));
}

TEST_F(GridTableTest, TemplateReferencesResolveEachTime)
{
    auto earlier = std::make_unique<TGridTable>();
    TGridTable target;
    TGridTableList list;
    list.AddTable(&target);                     // by position
    list.AddIdentifier(target.Identifier());    // by identifier
    list.InsertIndex(0, -1);                    // unresolved
    EXPECT_THROW(list.InsertIdentifier(7, 1), EListError);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.GetTable(0), nullptr);
    EXPECT_EQ(list.GetTable(1), &target);
    EXPECT_EQ(list.GetTable(2), &target);
    earlier.reset();  // the target moves one place up the list of live tables
    EXPECT_NE(list.GetTable(1), &target);
    EXPECT_EQ(list.GetTable(2), &target);
    list.Delete(0);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_THROW(list.GetIndex(2), EListError);
}

namespace {

const TColumnClass kUnregistered{"TOther", nullptr, nullptr};

}  // namespace

TEST_F(GridTableTest, RegistryMapsTheFiveClassesToTheirIds)
{
    EXPECT_EQ(Table::ColumnTypeId(TEnumColumn::Class()), 0);
    EXPECT_EQ(Table::ColumnTypeId(TIntColumn::Class()), 1);
    EXPECT_EQ(Table::ColumnTypeId(TFloatColumn::Class()), 2);
    EXPECT_EQ(Table::ColumnTypeId(TTableColumn::Class()), 3);
    EXPECT_EQ(Table::ColumnTypeId(TStringColumn::Class()), 4);
    EXPECT_EQ(Table::ColumnTypeId(&kUnregistered), -1);
    EXPECT_EQ(Table::ColumnClassOf(5), nullptr);
    EXPECT_EQ(Table::ColumnClassOf(-1), nullptr);
    EXPECT_EQ(Table::ColumnClassOf(3), TTableColumn::Class());

    Table::RegisterColumnType(&kUnregistered, 9);
    Table::RegisterColumnType(&kUnregistered, 10);
    EXPECT_EQ(Table::ColumnClassOf(10), &kUnregistered);
    Table::UnregisterColumnType(&kUnregistered);
    EXPECT_EQ(Table::ColumnTypeId(&kUnregistered), -1);

    Table::RegisterColumnType(&kUnregistered, 9);
    EXPECT_EQ(MessageOf([] { Table::FinalizeColumnTypes(); }), "Column Type list not empty");
    // Made again, with the five classes only, on the next use.
    EXPECT_EQ(Table::ColumnClassOf(9), nullptr);
    EXPECT_EQ(Table::ColumnClassOf(2), TFloatColumn::Class());
    EXPECT_NO_THROW(Table::FinalizeColumnTypes());
    EXPECT_EQ(Table::ColumnTypeId(TStringColumn::Class()), 4);
}

// ---------------------------------------------------------------------------------------------
// Templates and sub-tables

TEST_F(GridTableTest, CreateFromTemplateCopiesTheDefinition)
{
    TGridTable owner;
    owner.SetUnits(2);
    TGridTable tmpl;
    tmpl.SetCaption(QStringLiteral("Load Amplitude"));
    tmpl.SetComments(QStringLiteral("one value per time step"));
    tmpl.SetTopLeft(QStringLiteral("Number"));
    tmpl.SetMinRows(2);
    tmpl.SetMaxRows(9);
    TFloatColumn* column = tmpl.AddFloatColumn({QStringLiteral("Load Amplitude")}, QStringLiteral("F"), false);
    column->SetGroupValue(true);
    column->SetDefaultValue(4.5L);
    column->SetTopDepth(true);

    std::unique_ptr<TGridTable> sub(TGridTable::CreateFromTemplate(&owner, 4, &tmpl));
    EXPECT_EQ(sub->Caption(), tmpl.Caption());
    EXPECT_EQ(sub->Comments(), tmpl.Comments());
    EXPECT_EQ(sub->TopLeft(), tmpl.TopLeft());
    EXPECT_EQ(sub->MinRows(), 2);
    EXPECT_EQ(sub->MaxRows(), 9);
    EXPECT_EQ(sub->Number(), 4);
    EXPECT_EQ(sub->RowCount(), 2);
    EXPECT_EQ(sub->UnitSystem(), 2);
    EXPECT_NE(sub->Identifier(), tmpl.Identifier());
    ASSERT_EQ(sub->ColumnCount(), 1);
    auto* clone = dynamic_cast<TFloatColumn*>(sub->GetColumn(0));
    ASSERT_NE(clone, nullptr);
    EXPECT_FALSE(clone->Visible());
    EXPECT_FALSE(clone->GroupValue());  // not copied
    EXPECT_TRUE(clone->TopDepth());
    EXPECT_EQ(clone->UnitTemplate(), QStringLiteral("F"));
    EXPECT_EQ(clone->GetAsFloat(1), 4.5L);
    EXPECT_EQ(clone->Captions(), column->Captions());
    EXPECT_EQ(sub->NumberPrefix(), QStringLiteral(" 4"));
}

namespace {

// A load table as the program has them: column 0 chooses one of three templates, column 1
// holds a sub-table per row.
struct LoadTables {
    LoadTables()
    {
        const char* captions[] = {"Force", "Moment", "Spectrum"};
        for (int i = 0; i < 3; ++i) {
            templates[i] = std::make_unique<TGridTable>();
            templates[i]->SetIdentifier(601 + i);
            templates[i]->SetCaption(QString::fromLatin1(captions[i]));
            templates[i]->AddFloatColumn({QString::fromLatin1(captions[i])}, QStringLiteral("F"));
        }
        loads.SetCaption(QStringLiteral("Loads"));
        kinds = loads.AddEnumColumn({QStringLiteral("Kind")}, {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        subs = loads.AddTableColumn({QStringLiteral("Data")}, 601);
        subs->Templates().Clear();
        for (int i = 0; i < 3; ++i) subs->Templates().AddIdentifier(601 + i);
        loads.SetRowCount(3);
    }
    std::unique_ptr<TGridTable> templates[3];
    TGridTable loads;
    TEnumColumn* kinds;
    TTableColumn* subs;
};

}  // namespace

TEST_F(GridTableTest, SubTableFollowsTheChosenItem)
{
    LoadTables t;
    ASSERT_EQ(t.subs->Templates().Count(), 3);
    for (int row = 0; row < 3; ++row) {
        ASSERT_NE(t.loads.Cell(1, row)->GetAsTable(), nullptr);
        EXPECT_EQ(t.loads.Cell(1, row)->GetAsTable()->TemplateTable(), t.templates[0].get());
    }
    TGridTable* before = t.loads.Cell(1, 1)->GetAsTable();
    before->ShowEditor();
    const int openEditor = EditorOf(*before)->serial;
    ASSERT_TRUE(IsLive(openEditor));

    t.loads.Cell(0, 1)->SetAsInteger(3);
    TGridTable* after = t.loads.Cell(1, 1)->GetAsTable();
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->TemplateTable(), t.templates[2].get());
    EXPECT_EQ(after->Caption(), QStringLiteral("Spectrum"));
    EXPECT_EQ(after->Number(), 2);
    EXPECT_FALSE(IsLive(openEditor));  // the replaced sub-table's editor went with it
    EXPECT_EQ(t.subs->ButtonCaption(1), QStringLiteral("2: Spectrum"));

    // Rows after an insertion are renumbered.
    TGridTable* last = t.loads.Cell(1, 2)->GetAsTable();
    t.loads.InsertRowGroup(0);
    EXPECT_EQ(t.loads.Cell(1, 3)->GetAsTable(), last);
    EXPECT_EQ(last->Number(), 4);
    EXPECT_EQ(t.loads.Cell(1, 0)->GetAsTable()->Number(), 1);
    t.loads.DeleteRowGroup(0);
    EXPECT_EQ(last->Number(), 3);
}

TEST_F(GridTableTest, ShrinkingTheItemListLeavesOutOfListRowsWithoutTemplate)
{
    LoadTables t;
    t.kinds->SetAsInteger(2, 3);
    t.kinds->SetItems({QStringLiteral("a"), QStringLiteral("b")});
    EXPECT_EQ(t.subs->Templates().Count(), 2);
    EXPECT_NO_THROW(t.subs->InitRow(2));
    EXPECT_EQ(t.loads.Cell(1, 2)->GetAsTable(), nullptr);
    EXPECT_EQ(t.subs->ButtonCaption(2), QStringLiteral("3: "));
}

TEST_F(GridTableTest, SubTablesCountForModifiedAndFollowUnitSwitches)
{
    LoadTables t;
    TGridTable* sub = t.loads.Cell(1, 0)->GetAsTable();
    sub->Cell(0, 0)->SetAsFloat(224.8089237L);
    EXPECT_FALSE(t.loads.IsModified());  // values stored through TData leave the flag alone
    sub->SetModified(true);
    EXPECT_TRUE(t.loads.IsModified());
    t.loads.SetModified(false);
    EXPECT_FALSE(sub->IsModified());
    t.loads.SetModified(true);
    EXPECT_TRUE(t.loads.IsModified());
    t.loads.ResetModified();
    EXPECT_FALSE(t.loads.IsModified());

    t.loads.SetUnits(2);
    EXPECT_EQ(sub->UnitSystem(), 2);
    EXPECT_NEAR(static_cast<double>(sub->Cell(0, 0)->GetAsFloat()), 1.0, 1e-15);
    // A row made after the switch is in the table's system.
    t.loads.AddRowGroup();
    EXPECT_EQ(t.loads.Cell(1, 3)->GetAsTable()->UnitSystem(), 2);
}

TEST_F(GridTableTest, TemplateThatRefersToItsOwnTableMakesNoEndlessCopies)
{
    TGridTable table;
    table.SetIdentifier(650);
    table.AddFloatColumn({QStringLiteral("x")});
    table.AddTableColumn({QStringLiteral("self")}, 650);
    table.SetRowCount(2);
    EXPECT_EQ(table.Cell(1, 0)->GetAsTable(), nullptr);

    // Two tables that refer to each other: a copy of B inside A gets no copy of A again.
    TGridTable a;
    TGridTable b;
    a.SetIdentifier(651);
    b.SetIdentifier(652);
    a.AddTableColumn({QStringLiteral("b")}, 652);
    b.AddTableColumn({QStringLiteral("a")}, 651);
    a.SetRowCount(1);
    TGridTable* copyOfB = a.Cell(0, 0)->GetAsTable();
    ASSERT_NE(copyOfB, nullptr);
    EXPECT_EQ(copyOfB->Cell(0, 0)->GetAsTable(), nullptr);
    b.SetRowCount(1);
    ASSERT_NE(b.Cell(0, 0)->GetAsTable(), nullptr);
    EXPECT_EQ(b.Cell(0, 0)->GetAsTable()->Cell(0, 0)->GetAsTable(), nullptr);
}

// ---------------------------------------------------------------------------------------------
// The editor hook

TEST_F(GridTableTest, EditorIsMadeOnceAndFreedByTheTable)
{
    TGridTable table;
    table.ShowEditor();  // no visible column: nothing
    EXPECT_TRUE(made.empty());
    table.AddFloatColumn({QStringLiteral("x")}, QString(), false);
    table.ShowEditor();
    EXPECT_TRUE(made.empty());

    table.AddFloatColumn({QStringLiteral("y")});
    table.ShowEditor();
    table.ShowEditor();
    ASSERT_EQ(made.size(), 1u);
    EXPECT_FALSE(made[0].second);
    FakeEditor* editor = EditorOf(table);
    const int first = editor->serial;
    EXPECT_EQ(editor->shows, 2);

    TColumn* added = table.AddEnumColumn({QStringLiteral("k")}, {QStringLiteral("a")});
    EXPECT_EQ(editor->added, (std::vector<TColumn*>{added}));

    table.ReopenEditor();
    EXPECT_FALSE(IsLive(first));
    ASSERT_EQ(made.size(), 2u);
    const int second = EditorOf(table)->serial;
    table.EditorRowsChanged = [] {};
    table.CloseEditors();
    EXPECT_FALSE(IsLive(second));
    EXPECT_EQ(table.Editor(), nullptr);
    EXPECT_FALSE(table.EditorRowsChanged);
    table.ReopenEditor();  // no editor: nothing
    EXPECT_EQ(made.size(), 2u);

    table.ShowEditorModal();
    ASSERT_EQ(made.size(), 3u);
    EXPECT_TRUE(made[2].second);
    EXPECT_EQ(EditorOf(table)->modalShows, 1);

    TGridTable::SetEditorFactory(nullptr);
    TGridTable other;
    other.AddFloatColumn({QStringLiteral("z")});
    EXPECT_EQ(MessageOf([&] { other.ShowEditor(); }), "No table editor is available");
}

TEST_F(GridTableTest, EditorsNeverOutliveTheirTables)
{
    auto loads = std::make_unique<LoadTables>();
    TGridTable* sub = loads->loads.Cell(1, 2)->GetAsTable();
    sub->ShowEditor();
    const int subEditor = EditorOf(*sub)->serial;
    loads->loads.ShowEditor();
    int mainEditor = EditorOf(loads->loads)->serial;
    loads->loads.DeleteRowGroup(2);
    EXPECT_FALSE(IsLive(subEditor));  // the row's sub-table and its editor are gone
    EXPECT_TRUE(IsLive(mainEditor));

    TGridTable* other = loads->loads.Cell(1, 0)->GetAsTable();
    other->ShowEditor();
    const int otherEditor = EditorOf(*other)->serial;
    loads->loads.CloseEditors();  // closes the sub-tables' editors too
    EXPECT_FALSE(IsLive(mainEditor));
    EXPECT_FALSE(IsLive(otherEditor));

    loads->loads.ShowEditor();
    mainEditor = EditorOf(loads->loads)->serial;
    loads.reset();
    EXPECT_FALSE(IsLive(mainEditor));
}

TEST_F(GridTableTest, EditorCaptionsCarryTheRowNumbersOfTheParents)
{
    LoadTables t;
    TGridTable* sub = t.loads.Cell(1, 2)->GetAsTable();
    t.loads.ShowEditor();
    sub->ShowEditor();
    t.loads.SetNumber(0);
    EXPECT_EQ(EditorOf(t.loads)->caption, QStringLiteral("Loads "));
    sub->SetNumber(3);
    EXPECT_EQ(EditorOf(*sub)->caption, QStringLiteral("Force  3"));
    t.loads.InsertRowGroup(0);  // renumbering shows the new number at once
    EXPECT_EQ(EditorOf(*sub)->caption, QStringLiteral("Force  4"));

    std::unique_ptr<TGridTable> nested(TGridTable::CreateFromTemplate(sub, 2, t.templates[1].get()));
    EXPECT_EQ(nested->NumberPrefix(), QStringLiteral(" 4 2"));
}

TEST_F(GridTableTest, FocusMovesTheEditorsCurrentCell)
{
    TGridTable table;
    table.AddFloatColumn({QStringLiteral("hidden")}, QString(), false);
    table.AddFloatColumn({QStringLiteral("a"), QStringLiteral("b")});
    TEnumColumn* kind = table.AddEnumColumn({QStringLiteral("k")}, {QStringLiteral("x")});
    table.SetRowCount(4);
    kind->OnFocusCell(kind, 3);  // no editor: nothing
    table.ShowEditor();
    kind->OnFocusCell(kind, 3);
    EXPECT_EQ(EditorOf(table)->current, (std::pair<int, int>{2, 5}));  // grid column, row below 2 header lines
}
