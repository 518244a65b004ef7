// Row controls of the grid table columns (combo boxes of enumeration columns, buttons of
// sub-table columns) and the minimum column widths, on the offscreen platform.
#include "table/columntypes.h"
#include "table/table.h"
#include "qt_test.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QFont>
#include <QFontMetrics>
#include <QPointer>
#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>

#include <clocale>
#include <functional>
#include <memory>
#include <vector>

namespace {

using TestSupport::MessageOf;

class RecordingEditor : public TTableEditor {
public:
    void Show() override { ++shows; }
    void ShowModal() override { modal = true; }
    bool IsShowingModal() const override { return modal; }
    void SetCaption(const QString&) override {}
    void SetCurrentCell(int column, int row) override { current = {column, row}; }
    int shows = 0;
    bool modal = false;
    std::pair<int, int> current{-1, -1};
};

class RowControlsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!QCoreApplication::instance()) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
            static int argc = 1;
            static char name[] = "table_widgets_test";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);  // lives until the process ends
            std::setlocale(LC_NUMERIC, "C");
        }
    }
    void SetUp() override
    {
        if (!qobject_cast<QApplication*>(QCoreApplication::instance())) GTEST_SKIP() << "no QApplication";
        TGridTable::SetEditorFactory([this](TGridTable* table, bool modal) -> TTableEditor* {
            made.push_back({table, modal});
            return new RecordingEditor;
        });
        Table::SetErrorHandler([this](const QString& message) { errors.push_back(message); });
    }
    void TearDown() override
    {
        TGridTable::SetEditorFactory(nullptr);
        Table::SetErrorHandler(nullptr);
    }
    static void FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    std::vector<std::pair<TGridTable*, bool>> made;
    std::vector<QString> errors;
    QWidget parent;
};

}  // namespace

TEST_F(RowControlsTest, EnumerationComboBoxesShowAndStoreItems)
{
    TGridTable table;
    table.AddFloatColumn({QStringLiteral("x")});
    TEnumColumn* column = table.AddEnumColumn({QStringLiteral("Plane"), QStringLiteral("(Z-vertical axis)")},
                                              {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    table.SetRowCount(5);
    column->SetAsInteger(1, 2);
    column->SetAsInteger(2, 3);
    EXPECT_TRUE(column->HasControls());
    EXPECT_FALSE(column->ControlsAllocated());

    column->CreateControls(&parent, 1, 3);
    ASSERT_EQ(column->ComboBoxCount(), 3);
    EXPECT_TRUE(column->ControlsAllocated());
    const int shown[] = {1, 2, 0};  // item - 1 of rows 1 to 3
    for (int i = 0; i < 3; ++i) {
        QComboBox* combo = column->ComboBox(i);
        EXPECT_EQ(column->GetControl(i), combo);
        EXPECT_EQ(combo->parentWidget(), &parent);
        EXPECT_FALSE(combo->isEditable());
        EXPECT_EQ(combo->count(), 3);
        EXPECT_EQ(combo->maxVisibleItems(), 11);
        EXPECT_TRUE(combo->isHidden());
        EXPECT_EQ(combo->currentIndex(), shown[i]);
    }

    std::vector<std::pair<int, int>> changed;
    table.EditorCellChanged = [&](int c, int r) { changed.push_back({c, r}); };
    emit column->ComboBox(0)->activated(2);  // the user picks "c" for row 1
    EXPECT_EQ(column->GetAsInteger(1), 3);
    EXPECT_EQ(changed, (std::vector<std::pair<int, int>>{{1, 1}}));
    column->SetAsInteger(3, 2);  // a stored value shows in the row's combo box
    EXPECT_EQ(column->ComboBox(2)->currentIndex(), 1);

    EXPECT_EQ(MessageOf([&] { column->CreateControls(new QWidget(&parent), 0, 1); }),
              "Error attempt to change parent with controls already allocated");
    EXPECT_EQ(MessageOf([&] { column->ComboBoxChosen(-1, 0); }), "Unexpected row for combobox");
    column->ComboBox(1)->setProperty("row", -1);
    emit column->ComboBox(1)->activated(0);  // a handler never lets the error escape
    EXPECT_EQ(errors, (std::vector<QString>{QStringLiteral("Unexpected row for combobox")}));

    // Fewer rows on view: the extra boxes go.
    QPointer<QComboBox> extra = column->ComboBox(2);
    column->CreateControls(&parent, 0, 2);
    EXPECT_EQ(column->ComboBoxCount(), 2);
    EXPECT_EQ(column->ComboBox(0)->currentIndex(), 0);
    FlushDeletes();
    EXPECT_TRUE(extra.isNull());

    QPointer<QComboBox> kept = column->ComboBox(0);
    column->FreeControls();
    EXPECT_FALSE(column->ControlsAllocated());
    EXPECT_EQ(column->ComboBoxCount(), 0);
    FlushDeletes();
    EXPECT_TRUE(kept.isNull());
    EXPECT_EQ(MessageOf([&] { column->CreateControls(nullptr, 0, 1); }), "null parent");
}

TEST_F(RowControlsTest, EnteringAComboBoxMovesTheEditorsCell)
{
    TGridTable table;
    TEnumColumn* column = table.AddEnumColumn({QStringLiteral("Kind")}, {QStringLiteral("a")});
    table.AddFloatColumn({QStringLiteral("two"), QStringLiteral("lines")});
    table.SetRowCount(4);
    table.ShowEditor();
    auto* editor = static_cast<RecordingEditor*>(table.Editor());
    column->CreateControls(&parent, 2, 2);
    QFocusEvent focus(QEvent::FocusIn);
    QCoreApplication::sendEvent(column->ComboBox(1), &focus);
    EXPECT_EQ(editor->current, (std::pair<int, int>{1, 5}));  // grid column 1, row 3 below 2 header lines

    // Closing the editor frees the row controls.
    QPointer<QComboBox> combo = column->ComboBox(0);
    table.CloseEditors();
    EXPECT_FALSE(column->ControlsAllocated());
    FlushDeletes();
    EXPECT_TRUE(combo.isNull());
}

namespace {

struct AmplitudeTables {
    AmplitudeTables()
    {
        amplitude.SetIdentifier(708);
        amplitude.SetCaption(QStringLiteral("Load Amplitude"));
        amplitude.AddFloatColumn({QStringLiteral("Load Amplitude")}, QStringLiteral("F"));
        spectrum.SetIdentifier(713);
        spectrum.SetCaption(QStringLiteral("Random Spectrum Data"));
        spectrum.AddFloatColumn({QStringLiteral("Spectrum Data")}, QStringLiteral("F"));
        kinds = loads.AddEnumColumn({QStringLiteral("Load type")}, {QStringLiteral("Force"), QStringLiteral("Spectrum")});
        column = loads.AddTableColumn({QStringLiteral("Load amplitude")}, 708);
        column->Templates().Delete(1);
        column->Templates().AddIdentifier(713);
        loads.SetRowCount(5);
    }
    TGridTable amplitude;
    TGridTable spectrum;
    TGridTable loads;
    TEnumColumn* kinds;
    TTableColumn* column;
};

}  // namespace

TEST_F(RowControlsTest, SubTableButtonsCheckTheRowsOnView)
{
    AmplitudeTables t;
    struct Case {
        int first;
        int count;
        const char* message;
    };
    const Case refused[] = {{5, 1, "ATopRow 5"}, {-1, 1, "ATopRow -1"}, {2, 0, "ACount 0"}, {2, 4, "ACount 4"}};
    for (const Case& c : refused)
        EXPECT_EQ(MessageOf([&] { t.column->CreateControls(&parent, c.first, c.count); }), c.message);
    EXPECT_FALSE(t.column->ControlsAllocated());

    t.column->CreateControls(&parent, 1, 3);
    ASSERT_EQ(t.column->ButtonCount(), 3);
    for (int i = 0; i < 3; ++i) {
        QPushButton* button = t.column->Button(i);
        EXPECT_EQ(button->parentWidget(), &parent);
        EXPECT_TRUE(button->isHidden());
        EXPECT_EQ(button->text(), QStringLiteral("%1: Load Amplitude").arg(i + 2));
    }
    EXPECT_EQ(MessageOf([&] { t.column->CreateControls(new QWidget(&parent), 1, 1); }),
              "Attempt to change parent with controls already allocated");

    // The chosen item decides the sub-table, and the button shows it at once.
    t.kinds->SetAsInteger(2, 2);
    EXPECT_EQ(t.column->Button(1)->text(), QStringLiteral("3: Random Spectrum Data"));

    QPointer<QPushButton> button = t.column->Button(0);
    t.column->FreeControls();
    FlushDeletes();
    EXPECT_TRUE(button.isNull());
    EXPECT_EQ(MessageOf([&] { t.column->CreateControls(nullptr, 0, 1); }), "null parent");
}

TEST_F(RowControlsTest, ButtonOpensTheRowsSubTableModallyFromAModalEditor)
{
    AmplitudeTables t;
    t.column->CreateControls(&parent, 0, 5);
    t.column->Button(3)->click();
    ASSERT_EQ(made.size(), 1u);
    EXPECT_EQ(made[0].first, t.loads.Cell(1, 3)->GetAsTable());
    EXPECT_FALSE(made[0].second);
    EXPECT_EQ(static_cast<RecordingEditor*>(made[0].first->Editor())->shows, 1);

    t.loads.ShowEditorModal();
    ASSERT_EQ(made.size(), 2u);
    t.column->Button(4)->click();
    ASSERT_EQ(made.size(), 3u);
    EXPECT_EQ(made[2].first, t.loads.Cell(1, 4)->GetAsTable());
    EXPECT_TRUE(made[2].second);
    EXPECT_TRUE(errors.empty());
}

TEST_F(RowControlsTest, ControlsOfAFreedParentAreMadeAgainOnTheNext)
{
    AmplitudeTables t;
    auto* window = new QWidget;
    t.kinds->CreateControls(window, 0, 3);
    t.column->CreateControls(window, 0, 3);
    delete window;  // the window goes without freeing the row controls first
    EXPECT_FALSE(t.kinds->ControlsAllocated());
    EXPECT_FALSE(t.column->ControlsAllocated());
    t.kinds->CreateControls(&parent, 1, 2);
    t.column->CreateControls(&parent, 1, 2);
    ASSERT_EQ(t.kinds->ComboBoxCount(), 2);
    ASSERT_EQ(t.column->ButtonCount(), 2);
    EXPECT_EQ(t.kinds->ComboBox(1)->parentWidget(), &parent);
    EXPECT_EQ(t.column->Button(1)->text(), QStringLiteral("3: Load Amplitude"));
}

TEST_F(RowControlsTest, MinimumWidthsInPixels)
{
    const QFontMetrics canvas{QFont()};
    const int ppi = Table::ScreenPixelsPerInch();
    auto caption = [&](const QString& text) { return canvas.horizontalAdvance(text + QStringLiteral("  ")); };
    const QString longLine = QStringLiteral("Torsional polar moment of inertia about the vertical axis");
    ASSERT_GT(caption(longLine), 2 * ppi);

    TGridTable table;
    TStringColumn* bare = table.AddStringColumn({});
    bare->SetWidth(0.0L);
    EXPECT_EQ(bare->MinWidth(canvas), 0);  // no captions, no width
    TStringColumn* text = table.AddStringColumn({QStringLiteral("a")});
    text->SetWidth(1.25L);
    EXPECT_EQ(text->MinWidth(canvas), qRound(ppi * 1.25));
    EXPECT_EQ(table.AddFloatColumn({})->MinWidth(canvas), ppi / 2);
    EXPECT_EQ(table.AddIntColumn({QStringLiteral("n")}, 0, 9)->MinWidth(canvas), std::max(ppi / 2, caption("n")));
    EXPECT_EQ(table.AddEnumColumn({QStringLiteral("k")}, {QStringLiteral("a")})->MinWidth(canvas), ppi * 3 / 2);
    EXPECT_EQ(table.AddTableColumn({QStringLiteral("t")}, -1)->MinWidth(canvas), 2 * ppi);
    EXPECT_EQ(table.AddFloatColumn({QStringLiteral("x"), longLine})->MinWidth(canvas), caption(longLine));
    // The units belong to the caption that is measured.
    TFloatColumn* mass = table.AddFloatColumn({longLine}, QStringLiteral("F6"));
    EXPECT_EQ(mass->MinWidth(canvas), caption(longLine + QStringLiteral(" (slug)  ")));
}
