#include "table/tableform.h"

#include "entry/misc.h"
#include "table/columntypes.h"

#include "widget_fixture.h"

#include <QComboBox>
#include <QHeaderView>
#include <QScreen>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QScrollBar>
#include <QTimer>

#include <memory>

namespace {

class TableFormTest : public WidgetTest {
protected:
    void SetUp() override { TableForm::InstallEditor(); }

    // A soil-layer table: top and bottom depth (paired), unit weight, shear-wave velocity.
    void MakeSoilTable(int rows, int minRows = 1, int maxRows = 30)
    {
        table = std::make_unique<TGridTable>();
        table->SetCaption(QStringLiteral("Soil layers"));
        table->SetTopLeft(QStringLiteral("Layer"));
        table->SetComments(QStringLiteral("Depths are measured from the ground surface."));
        table->SetMinRows(minRows);
        table->SetMaxRows(maxRows);
        table->AddFloatColumn({QStringLiteral("Top"), QStringLiteral("depth")}, QStringLiteral("L2"))
            ->SetTopDepth(true);
        table->AddFloatColumn({QStringLiteral("Bottom"), QStringLiteral("depth")}, QStringLiteral("L2"));
        table->AddFloatColumn({QStringLiteral("Unit"), QStringLiteral("weight")},
                              QStringLiteral("F/L2^3"));
        table->AddFloatColumn({QStringLiteral("Vs")}, QStringLiteral("L2/SEC"));
        table->SetRowCount(rows);
        for (int r = 0; r < rows; ++r) {
            table->Cell(0, r)->SetAsFloat(r);
            table->Cell(1, r)->SetAsFloat(r + 1);
            table->Cell(2, r)->SetAsFloat(18);
            table->Cell(3, r)->SetAsFloat(200 + r);
        }
    }

    TTableForm* Open()
    {
        table->ShowEditor();
        auto* form = dynamic_cast<TTableForm*>(table->Editor());
        if (form) {
            form->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(form));
        }
        return form;
    }

    // Types into the open cell editor, replacing its text.
    static void TypeInCell(const QString& text)
    {
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr) << "no cell editor has the focus";
        editor->selectAll();
        QTest::keyClicks(editor, text);
    }
    static void Key(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }

    std::unique_ptr<TGridTable> table;
};

TEST_F(TableFormTest, OpensWithHeaderRowsUnitsAndAtMostTenRows)
{
    MakeSoilTable(25);
    table->SetUnits(2);
    TTableForm* form = Open();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->windowTitle(), "Soil layers ");
    EXPECT_EQ(form->HeaderRows(), 2);
    EXPECT_EQ(form->Grid->columnCount(), 4);
    EXPECT_EQ(form->Grid->rowCount(), 25);
    EXPECT_EQ(form->ShownRows(), 10);
    EXPECT_EQ(form->Grid->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(form->Grid->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(form->Grid->horizontalHeaderItem(0)->text(), "Top\ndepth (m)  ");
    EXPECT_EQ(form->Grid->horizontalHeaderItem(2)->text(), "Unit\nweight (kN/m^3)  ");
    EXPECT_EQ(form->Grid->horizontalHeaderItem(3)->text(), "Vs (m/SEC)  \n ");
    EXPECT_EQ(form->Grid->item(2, 1)->text(), "0.9144");  // 3 ft
    EXPECT_TRUE(form->lblComments->isVisible());
    EXPECT_TRUE(form->BtnAdd->isVisible());
    // The grid sits m from the left and top; the buttons m below it.
    const int m = form->Margin();
    EXPECT_EQ(form->Grid->pos(), QPoint(m, m));
    EXPECT_EQ(form->BtnAdd->y(), form->Grid->geometry().bottom() + 1 + m);
    EXPECT_EQ(form->BtnIns->x(), form->BtnAdd->geometry().right() + 1 + m);

    // English units after the switch; the open editor is made again.
    table->SetUnits(1);
    table->ReopenEditor();
    form = dynamic_cast<TTableForm*>(table->Editor());
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Grid->horizontalHeaderItem(2)->text(), "Unit\nweight (lbs/ft^3)  ");
    EXPECT_EQ(form->Grid->item(2, 1)->text(), "3");
}

TEST_F(TableFormTest, RowButtonsFollowTheRowLimits)
{
    struct Case {
        int rows, minRows, maxRows;
        bool visible, add, del;
    };
    const Case cases[] = {
        {3, 3, 3, false, false, false},  // fixed row count: no buttons
        {30, 1, 30, true, false, true},  // full
        {1, 1, 30, true, true, false},   // at the minimum
        {5, 1, 0, true, true, true},     // no limit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows);
        MakeSoilTable(c.rows, c.minRows, c.maxRows);
        TTableForm* form = Open();
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->BtnAdd->isVisible(), c.visible);
        EXPECT_EQ(form->BtnAdd->isEnabled(), c.add);
        EXPECT_EQ(form->BtnIns->isEnabled(), c.add);
        EXPECT_EQ(form->BtnDel->isEnabled(), c.del);
        table.reset();  // the table closes its editor
    }
}

TEST_F(TableFormTest, RowHeadersNumberTheRowGroups)
{
    MakeSoilTable(0);
    table->SetRowGroup(2);
    table->SetRowCount(6);
    TTableForm* form = Open();
    ASSERT_NE(form, nullptr);
    QStringList labels;
    for (int r = 0; r < form->Grid->rowCount(); ++r)
        labels << form->Grid->verticalHeaderItem(r)->text();
    EXPECT_EQ(labels, (QStringList{"1", "1", "2", "2", "3", "3"}));

    // Rows come and go in groups.
    form->Grid->setCurrentCell(3, 2);
    QTest::mouseClick(form->BtnDel, Qt::LeftButton);
    EXPECT_EQ(table->RowCount(), 4);
    EXPECT_EQ(form->Grid->rowCount(), 4);
    QTest::mouseClick(form->BtnAdd, Qt::LeftButton);
    EXPECT_EQ(table->RowCount(), 6);
    EXPECT_EQ(form->Grid->verticalHeaderItem(5)->text(), "3");
}

TEST_F(TableFormTest, EnterStoresTheCellAndWrapsThroughTheTable)
{
    MakeSoilTable(3);
    TTableForm* form = Open();
    ASSERT_NE(form, nullptr);
    form->Grid->setCurrentCell(0, 2);
    TypeInCell(QStringLiteral("2*3"));
    Key(Qt::Key_Return);
    EXPECT_EQ(table->Cell(2, 0)->GetAsFloat(), 6.0L);
    EXPECT_EQ(form->Grid->item(0, 2)->text(), "6");
    EXPECT_EQ(form->Grid->currentRow(), 1);
    EXPECT_TRUE(table->IsModified());

    form->Grid->setCurrentCell(2, 2);
    Key(Qt::Key_Return);  // last row: first row of the next column
    EXPECT_EQ(form->Grid->currentRow(), 0);
    EXPECT_EQ(form->Grid->currentColumn(), 3);
    form->Grid->setCurrentCell(2, 3);
    TypeInCell(QStringLiteral("250"));
    Key(Qt::Key_Enter);  // bottom-right: first row of column 1
    EXPECT_EQ(form->Grid->currentRow(), 0);
    EXPECT_EQ(form->Grid->currentColumn(), 0);
    EXPECT_EQ(table->Cell(3, 2)->GetAsFloat(), 250.0L);
    EXPECT_EQ(recorder.Count(), 0);
}

// A row typed as a user does: a value, Tab, the next value... Tab goes to the next cell (the
// next row after the last column) and keeps every value; Shift+Tab goes back; Tab in the last
// cell leaves the grid with the value stored.
TEST_F(TableFormTest, TabMovesThroughTheCellsAndKeepsEveryValue)
{
    MakeSoilTable(2);
    TTableForm* form = Open();
    ASSERT_NE(form, nullptr);
    form->Grid->setCurrentCell(0, 0);
    form->Grid->EditCurrentCell();
    ASSERT_NE(form->Grid->CellEditor(), nullptr);
    form->Grid->CellEditor()->setFocus();
    for (const char* value : {"0.5", "2.5", "17", "180"}) {
        TypeInCell(QString::fromLatin1(value));
        Key(Qt::Key_Tab);
    }
    EXPECT_EQ(table->Cell(0, 0)->GetAsFloat(), 0.5L);
    EXPECT_EQ(table->Cell(1, 0)->GetAsFloat(), 2.5L);
    EXPECT_EQ(table->Cell(2, 0)->GetAsFloat(), 17.0L);
    EXPECT_EQ(table->Cell(3, 0)->GetAsFloat(), 180.0L);
    EXPECT_EQ(form->Grid->currentRow(), 1);
    EXPECT_EQ(form->Grid->currentColumn(), 0);
    EXPECT_TRUE(form->Grid->OwnsWidget(QApplication::focusWidget()));
    // The top of layer 2 shows the bottom of layer 1 typed above.
    EXPECT_EQ(form->Grid->item(1, 0)->text(), "2.5");

    Key(Qt::Key_Backtab);
    EXPECT_EQ(form->Grid->currentRow(), 0);
    EXPECT_EQ(form->Grid->currentColumn(), 3);
    TypeInCell(QStringLiteral("190"));
    Key(Qt::Key_Backtab);
    EXPECT_EQ(table->Cell(3, 0)->GetAsFloat(), 190.0L);
    EXPECT_EQ(form->Grid->currentColumn(), 2);

    form->Grid->setCurrentCell(1, 3);
    form->Grid->EditCurrentCell();
    TypeInCell(QStringLiteral("210"));
    Key(Qt::Key_Tab);
    EXPECT_EQ(table->Cell(3, 1)->GetAsFloat(), 210.0L);
    EXPECT_FALSE(form->Grid->OwnsWidget(QApplication::focusWidget()));
    EXPECT_EQ(recorder.Count(), 0);
}

// Tab goes through the cells in the order of the screen: a column edited through row controls
// gives the focus to the control of the row.
TEST_F(TableFormTest, TabStopsAtTheRowControlsInTheOrderOfTheScreen)
{
    table = std::make_unique<TGridTable>();
    table->SetCaption(QStringLiteral("Piles"));
    table->SetMinRows(1);
    table->SetMaxRows(0);
    table->AddEnumColumn({QStringLiteral("Type")}, {QStringLiteral("Steel"), QStringLiteral("Concrete")});
    table->AddFloatColumn({QStringLiteral("Length")}, QStringLiteral("L2"));
    table->SetRowCount(3);
    TTableForm* form = Open();
    ASSERT_NE(form, nullptr);
    ASSERT_EQ(form->Grid->currentColumn(), 1);
    form->Grid->EditCurrentCell();
    ASSERT_NE(form->Grid->CellEditor(), nullptr);
    form->Grid->CellEditor()->setFocus();
    TypeInCell(QStringLiteral("12"));
    Key(Qt::Key_Tab);
    EXPECT_EQ(table->Cell(1, 0)->GetAsFloat(), 12.0L);
    auto* type = dynamic_cast<TEnumColumn*>(table->GetColumn(0));
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(type->ComboBox(1))) << "the type of row 2";
    Key(Qt::Key_Tab);
    EXPECT_EQ(form->Grid->currentRow(), 1);
    EXPECT_EQ(form->Grid->currentColumn(), 1);
    TypeInCell(QStringLiteral("14"));
    Key(Qt::Key_Backtab);
    EXPECT_EQ(table->Cell(1, 1)->GetAsFloat(), 14.0L);
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(type->ComboBox(1)));
    Key(Qt::Key_Backtab);
    EXPECT_EQ(form->Grid->currentRow(), 0);
    EXPECT_EQ(form->Grid->currentColumn(), 1);
    table.reset();
}

TEST_F(TableFormTest, TheTopDepthPairingShowsAtOnce)
{
    MakeSoilTable(3);
    TTableForm* form = Open();
    ASSERT_NE(form, nullptr);
    form->Grid->setCurrentCell(0, 1);
    TypeInCell(QStringLiteral("1.5"));
    Key(Qt::Key_Down);
    // The bottom of layer 1 is the top of layer 2.
    EXPECT_EQ(table->Cell(0, 1)->GetAsFloat(), 1.5L);
    EXPECT_EQ(form->Grid->item(1, 0)->text(), "1.5");
}

TEST_F(TableFormTest, AnInvalidCellKeepsTheUserInIt)
{
    MakeSoilTable(3);
    TTableForm* form = Open();
    ASSERT_NE(form, nullptr);
    form->Grid->setCurrentCell(1, 2);
    TypeInCell(QStringLiteral("2+"));
    Key(Qt::Key_Down);
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_EQ(recorder.LastText(), "Entry could not be evaluated:\rinvalid expression");
    // A warning that names the cell: the column's caption lines (with units) and the row.
    EXPECT_EQ(recorder.Messages().at(0).kind, MessageSink::Kind::Warning);
    EXPECT_EQ(recorder.Messages().at(0).place, "Unit weight (lbs/ft^3), row 2");
    EXPECT_EQ(form->Grid->currentRow(), 1);
    EXPECT_EQ(form->Grid->currentColumn(), 2);
    EXPECT_EQ(form->Grid->item(1, 2)->text(), "2+");  // the typed text stays
    EXPECT_EQ(table->Cell(2, 1)->GetAsFloat(), 18.0L);

    // Leaving the grid with Tab or a click on a button: the grid takes the focus back.
    Key(Qt::Key_Tab);
    EXPECT_EQ(recorder.Count(), 2);
    EXPECT_TRUE(form->Grid->OwnsWidget(QApplication::focusWidget()));
    const int rows = table->RowCount();
    QTest::mouseClick(form->BtnAdd, Qt::LeftButton);
    EXPECT_EQ(recorder.Count(), 3);
    EXPECT_EQ(table->RowCount(), rows);  // the click did not add a row
    EXPECT_TRUE(form->Grid->OwnsWidget(QApplication::focusWidget()));

    // The window refuses to close.
    EXPECT_FALSE(form->close());
    EXPECT_EQ(table->Editor(), form);
    EXPECT_EQ(recorder.Count(), 4);

    TypeInCell(QStringLiteral("19"));
    QPointer<TTableForm> guard(form);
    EXPECT_TRUE(form->close());
    EXPECT_EQ(table->Editor(), nullptr);
    EXPECT_EQ(table->Cell(2, 1)->GetAsFloat(), 19.0L);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());  // the window frees itself
}

TEST_F(TableFormTest, RowCommandsWorkOnTheCurrentRow)
{
    MakeSoilTable(3);
    TTableForm* form = Open();
    ASSERT_NE(form, nullptr);
    form->Grid->setCurrentCell(1, 3);
    QTest::mouseClick(form->BtnIns, Qt::LeftButton);
    ASSERT_EQ(table->RowCount(), 4);
    EXPECT_EQ(table->Cell(3, 2)->GetAsFloat(), 201.0L);  // the old row 1 moved down
    EXPECT_EQ(form->Grid->rowCount(), 4);
    EXPECT_EQ(form->ShownRows(), 4);

    form->Grid->setCurrentCell(0, 3);
    QTest::mouseClick(form->BtnDel, Qt::LeftButton);
    ASSERT_EQ(table->RowCount(), 3);
    EXPECT_EQ(form->Grid->item(0, 3)->text(), table->Cell(3, 0)->GetText());

    // Adding rows beyond ten: the window keeps ten rows and scrolls to the new last row.
    MakeSoilTable(10);
    form = Open();
    ASSERT_NE(form, nullptr);
    QTest::mouseClick(form->BtnAdd, Qt::LeftButton);
    EXPECT_EQ(table->RowCount(), 11);
    EXPECT_EQ(form->ShownRows(), 10);
    EXPECT_EQ(form->Grid->verticalScrollBar()->value(), 1);

    // Without a current row the commands refuse.
    form->Grid->setCurrentCell(-1, -1);
    form->BtnInsClick();
    EXPECT_EQ(recorder.LastText(), "Grid.Row not in valid range");
    EXPECT_EQ(recorder.Messages().last().kind, MessageSink::Kind::Error);
    form->BtnDelClick();
    EXPECT_EQ(recorder.Count(), 2);
    EXPECT_EQ(table->RowCount(), 11);
}

TEST_F(TableFormTest, StoredValuesShowAndUnchangedTextKeepsFullPrecision)
{
    MakeSoilTable(2);
    TTableForm* form = Open();
    ASSERT_NE(form, nullptr);
    table->Cell(2, 1)->SetAsFloat(1.0L / 3);
    EXPECT_EQ(form->Grid->item(1, 2)->text(), "0.33333333");
    form->Grid->setCurrentCell(1, 2);
    Key(Qt::Key_Return);  // passing through the cell does not round the value
    EXPECT_EQ(table->Cell(2, 1)->GetAsFloat(), 1.0L / 3);
}

TEST_F(TableFormTest, EnumColumnsGetDropDownListsOverTheirCells)
{
    table = std::make_unique<TGridTable>();
    table->SetCaption(QStringLiteral("Piles"));
    table->SetMinRows(1);
    table->SetMaxRows(0);
    table->AddEnumColumn({QStringLiteral("Type")}, {QStringLiteral("Steel"), QStringLiteral("Concrete")});
    table->AddFloatColumn({QStringLiteral("Length")}, QStringLiteral("L2"));
    table->SetRowCount(3);
    TTableForm* form = Open();
    ASSERT_NE(form, nullptr);
    auto* enumColumn = dynamic_cast<TEnumColumn*>(table->GetColumn(0));
    ASSERT_NE(enumColumn, nullptr);
    ASSERT_EQ(enumColumn->ComboBoxCount(), 3);
    QComboBox* combo = enumColumn->ComboBox(1);
    ASSERT_NE(combo, nullptr);
    EXPECT_TRUE(combo->isVisible());
    const QRect cell = form->Grid->visualRect(form->Grid->model()->index(1, 0));
    EXPECT_TRUE(cell.contains(combo->geometry().center()));
    // The editor starts in the first column without controls, and such columns are never current.
    EXPECT_EQ(form->Grid->currentColumn(), 1);
    form->Grid->setCurrentCell(0, 0);
    EXPECT_EQ(form->Grid->currentColumn(), 1);

    QTest::mouseClick(form->BtnAdd, Qt::LeftButton);
    EXPECT_EQ(enumColumn->ComboBoxCount(), 4);
    table.reset();
}

TEST_F(TableFormTest, TheModalEditorLetsTheFocusGoButRefusesToClose)
{
    MakeSoilTable(2);
    bool refused = false, closed = false;
    QTimer::singleShot(0, [&] {
        auto* form = dynamic_cast<TTableForm*>(table->Editor());
        ASSERT_NE(form, nullptr);
        EXPECT_TRUE(form->IsShowingModal());
        form->Grid->setCurrentCell(0, 2);
        form->Grid->EditCurrentCell();
        auto* editor = qobject_cast<QLineEdit*>(form->Grid->CellEditor());
        ASSERT_NE(editor, nullptr);
        editor->setText(QStringLiteral("abc"));
        form->BtnAdd->setFocus();  // no message: the modal editor lets the focus move
        EXPECT_EQ(recorder.Count(), 0);
        refused = !form->close();
        form->Grid->item(0, 2)->setText(QStringLiteral("20"));
        closed = form->close();
    });
    table->ShowEditorModal();  // returns when the window closes
    EXPECT_TRUE(refused);
    EXPECT_TRUE(closed);
    EXPECT_EQ(recorder.Count(), 1);
    EXPECT_EQ(table->Editor(), nullptr);
    EXPECT_EQ(table->Cell(2, 0)->GetAsFloat(), 20.0L);
}

}  // namespace

namespace {

TEST_F(TableFormTest, EditorsOpenInTheirFormParentOrAsChildWindowsOfTheMdiArea)
{
    MakeSoilTable(3);
    QWidget host;
    host.resize(600, 400);
    table->SetFormParent(&host);
    ShowActive(host);
    table->ShowEditor();
    auto* embedded = dynamic_cast<TTableForm*>(table->Editor());
    ASSERT_NE(embedded, nullptr);
    EXPECT_EQ(embedded->parentWidget(), &host);
    EXPECT_FALSE(embedded->isWindow());
    EXPECT_EQ(embedded->pos(), QPoint(0, 0));
    EXPECT_TRUE(embedded->isVisible());
    table->CloseEditors();
    EXPECT_EQ(table->Editor(), nullptr);

    QMdiArea area;
    area.resize(900, 600);
    TableForm::InstallEditor(&area);
    table->SetFormParent(nullptr);
    ShowActive(area);
    table->ShowEditor();
    auto* child = dynamic_cast<TTableForm*>(table->Editor());
    ASSERT_NE(child, nullptr);
    auto* sub = qobject_cast<QMdiSubWindow*>(child->parentWidget());
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(area.subWindowList().size(), 1);
    EXPECT_EQ(sub->windowTitle(), "Soil layers ");
    table->ShowEditor();  // shown again, not made again
    EXPECT_EQ(table->Editor(), child);
    sub->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(table->Editor(), nullptr);
    EXPECT_TRUE(area.subWindowList().isEmpty());
    TableForm::InstallEditor();
}

}  // namespace

namespace {

TEST_F(TableFormTest, WithRealMessageBoxesAnInvalidCellShowsOneBox)
{
    ScopedMessageSink boxes(nullptr);  // the QMessageBox sink
    QStringList texts;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            texts << box->text();
            box->accept();
        }
    });
    closer.start(10);
    MakeSoilTable(3);
    TTableForm* form = Open();
    ASSERT_NE(form, nullptr);
    form->Grid->setCurrentCell(0, 2);
    TypeInCell(QStringLiteral("x"));
    Key(Qt::Key_Down);
    QTest::qWait(100);
    EXPECT_EQ(texts.size(), 1);
    EXPECT_EQ(form->Grid->currentRow(), 0);
    EXPECT_EQ(form->Grid->item(0, 2)->text(), "x");
    EXPECT_FALSE(form->close());
    QTest::qWait(100);
    EXPECT_EQ(texts.size(), 2);
    EXPECT_EQ(table->Editor(), form);
}

TEST_F(TableFormTest, ResizingTheWindowChangesTheRowsAndColumnsShown)
{
    MakeSoilTable(25);
    TTableForm* form = Open();
    ASSERT_NE(form, nullptr);
    const QSize start = form->size();
    const int rowHeight = form->Grid->rowHeight(0);
    form->resize(start.width(), start.height() + 3 * rowHeight + rowHeight / 2);
    EXPECT_EQ(form->ShownRows(), 13);
    EXPECT_EQ(form->size().height(), start.height() + 3 * rowHeight);  // whole rows only

    form->resize(form->Grid->geometry().right() + 1 + form->Margin() - form->Grid->columnWidth(3) + 2,
                 form->height());
    EXPECT_EQ(form->ShownColumns(), 3);
    EXPECT_EQ(form->Grid->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

TEST_F(TableFormTest, CommentLinesBreakAtTheirSeparators)
{
    MakeSoilTable(3);
    table->SetComments(QStringLiteral("Weak Zone Shear Moduli Ratio is suggested to be:\r- 0.25 to 0.50 for "
                                      "machine foundations,\r- less than 0.25 for seismic response."));
    TTableForm* form = Open();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->lblComments->text(), QStringLiteral("Weak Zone Shear Moduli Ratio is suggested to be:\n- 0.25 "
                                                        "to 0.50 for machine foundations,\n- less than 0.25 for "
                                                        "seismic response."));
    // Three lines, each no wider than its own text; the window is as wide as the longest.
    const QFontMetrics metrics = form->lblComments->fontMetrics();
    EXPECT_GE(form->lblComments->height(), 3 * metrics.height());
    EXPECT_LT(form->lblComments->width(),
              metrics.horizontalAdvance(QStringLiteral("Weak Zone Shear Moduli Ratio is suggested to be:")) + 20);
    EXPECT_LE(form->lblComments->geometry().right() + 1 + form->Margin(), form->width());
}

TEST_F(TableFormTest, DraggingAnEdgeTakesTheLeastOvershootingLayout)
{
    MakeSoilTable(25);
    TTableForm* form = Open();
    ASSERT_NE(form, nullptr);
    const QSize start = form->size();
    // Much wider and a little taller: every column shows (no horizontal bar), and the rows that
    // fit the new height with the vertical bar; the window keeps whole rows and its own width.
    const int rowHeight = form->Grid->rowHeight(0);
    form->resize(start.width() + 400, start.height() + rowHeight + rowHeight / 3);
    EXPECT_EQ(form->ShownColumns(), 4);
    EXPECT_EQ(form->ShownRows(), 11);
    EXPECT_EQ(form->Grid->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(form->Grid->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(form->size(), QSize(start.width(), start.height() + rowHeight));
    // Taller than all rows need: no bar at all, the window as high as the 25 rows.
    form->resize(form->width(), form->height() + 30 * rowHeight);
    EXPECT_EQ(form->ShownRows(), 25);
    EXPECT_EQ(form->Grid->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(form->height(), start.height() + 15 * rowHeight);
}

TEST_F(TableFormTest, ASideDragKeepsTheRowsWhenTheHorizontalBarComes)
{
    // While the right edge is dragged the window system asks for the height of the drag's start,
    // which the horizontal bar has made lower than the window: the rows stay all shown.
    MakeSoilTable(4);
    table->SetComments(QString());
    TTableForm* form = Open();
    ASSERT_NE(form, nullptr);
    const QSize start = form->size();
    ASSERT_EQ(form->ShownRows(), 4);
    const int w3 = form->Grid->columnWidth(3), w2 = form->Grid->columnWidth(2);
    form->resize(start.width() - w3 / 2, start.height());
    EXPECT_EQ(form->ShownColumns(), 3);
    EXPECT_EQ(form->Grid->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_GT(form->height(), start.height());
    form->resize(start.width() - w3 - w2 / 2, start.height());
    EXPECT_EQ(form->ShownColumns(), 2);
    EXPECT_EQ(form->ShownRows(), 4);
    EXPECT_EQ(form->Grid->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST_F(TableFormTest, AGridWithoutTableColumnsCannotBeSized)
{
    // The editor of a table whose only column is hidden while it is open.
    table = std::make_unique<TGridTable>();
    table->SetCaption(QStringLiteral("Loads"));
    table->SetMinRows(1);
    table->SetMaxRows(5);
    TColumn* column = table->AddFloatColumn({QStringLiteral("Load")}, QStringLiteral("F"));
    table->SetRowCount(1);
    TTableForm* form = Open();
    ASSERT_NE(form, nullptr);
    column->SetVisible(false);
    form->Refresh();
    ASSERT_EQ(form->Grid->columnCount(), 0);
    const int before = recorder.Count();
    form->resize(form->width() + 50, form->height());
    ASSERT_EQ(recorder.Count(), before + 1);
    EXPECT_EQ(recorder.LastText(), QStringLiteral("There must be at least 2 columns in grid"));
}

TEST_F(TableFormTest, EveryHeaderIsPaintedInTheMdiArea)
{
    // Seven columns in an editor in the MDI area: what reaches the screen (the backing store,
    // not a fresh rendering) shows the caption of every column.
    MakeSoilTable(4);
    for (int k = 0; k < 3; ++k)
        table->AddFloatColumn({QStringLiteral("Extra"), QStringLiteral("column")}, QStringLiteral("L2"));
    QMdiArea area;
    area.resize(900, 600);
    TableForm::InstallEditor(&area);
    ShowActive(area);
    table->ShowEditor();
    auto* form = dynamic_cast<TTableForm*>(table->Editor());
    ASSERT_NE(form, nullptr);
    QTest::qWait(100);
    const QImage screen = area.screen()->grabWindow(area.winId()).toImage();
    QHeaderView* header = form->Grid->horizontalHeader();
    for (int j = 0; j < form->Grid->columnCount(); ++j) {
        const QRect section(header->mapTo(&area, QPoint(header->sectionViewportPosition(j) + 3, 3)),
                            QSize(header->sectionSize(j) - 6, header->height() - 6));
        int ink = 0;
        for (int y = section.top(); y <= section.bottom(); ++y)
            for (int x = section.left(); x <= section.right(); ++x)
                if (QColor(screen.pixel(x, y)).lightness() < 100) ++ink;
        EXPECT_GT(ink, 10) << "column " << j;
    }
    TableForm::InstallEditor();
}

}  // namespace

namespace {

// Passing through cells, opening a cell editor and leaving it, or typing what evaluates to the
// value already stored, leaves the table unmodified, whichever way the cell is left (Enter, Tab,
// another cell, another control, closing); a value that differs marks it, as does another item
// in a drop-down list.
TEST_F(TableFormTest, OnlyAChangedValueMarksTheTableModified)
{
    MakeSoilTable(3);
    TTableForm* form = Open();
    ASSERT_NE(form, nullptr);
    ASSERT_FALSE(table->IsModified());

    form->Grid->setCurrentCell(0, 2);
    form->Grid->EditCurrentCell();
    ASSERT_NE(form->Grid->CellEditor(), nullptr);
    form->Grid->CellEditor()->setFocus();
    Key(Qt::Key_Return);
    Key(Qt::Key_Tab);
    form->Grid->setCurrentCell(2, 3);
    form->Grid->EditCurrentCell();
    form->BtnAdd->setFocus();  // leaves the grid: the cell is committed
    EXPECT_TRUE(form->CommitCell());
    EXPECT_FALSE(table->IsModified()) << "no value changed";

    struct Case {
        const char* typed;
        bool modifies;
    };
    const Case cases[] = {
        {"18", false},       // the text shown
        {"18.000", false},   // another text of the same value
        {"2*9", false},      // an expression of it
        {"18.5", true},      // another value
        {"18", true},        // and back: the stored value changed again
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        table->SetModified(false);
        form->Grid->setCurrentCell(1, 2);
        form->Grid->EditCurrentCell();
        form->Grid->CellEditor()->setFocus();
        TypeInCell(QString::fromLatin1(c.typed));
        Key(Qt::Key_Return);
        EXPECT_EQ(table->IsModified(), c.modifies);
    }
    EXPECT_EQ(table->Cell(2, 1)->GetAsFloat(), 18.0L);

    // The bottom depth of a layer is the top of the next one: storing the value it already has
    // changes neither.
    table->SetModified(false);
    form->Grid->setCurrentCell(0, 1);
    form->Grid->EditCurrentCell();
    form->Grid->CellEditor()->setFocus();
    TypeInCell(QStringLiteral("1"));
    Key(Qt::Key_Return);
    EXPECT_FALSE(table->IsModified());
    form->Grid->setCurrentCell(0, 1);
    form->Grid->EditCurrentCell();
    form->Grid->CellEditor()->setFocus();
    TypeInCell(QStringLiteral("1.5"));
    Key(Qt::Key_Return);
    EXPECT_TRUE(table->IsModified());
    EXPECT_EQ(table->Cell(0, 1)->GetAsFloat(), 1.5L);

    // Closing with an untouched open cell editor.
    table->SetModified(false);
    form->Grid->setCurrentCell(2, 0);
    form->Grid->EditCurrentCell();
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(table->IsModified());
    EXPECT_EQ(recorder.Count(), 0);
}

TEST_F(TableFormTest, ADropDownListMarksTheTableOnlyWhenAnotherItemIsChosen)
{
    table = std::make_unique<TGridTable>();
    table->SetCaption(QStringLiteral("Piles"));
    table->SetMinRows(1);
    table->SetMaxRows(0);
    table->AddEnumColumn({QStringLiteral("Type")}, {QStringLiteral("Steel"), QStringLiteral("Concrete")});
    table->AddFloatColumn({QStringLiteral("Length")}, QStringLiteral("L2"));
    table->SetRowCount(2);
    TTableForm* form = Open();
    ASSERT_NE(form, nullptr);
    auto* enumColumn = dynamic_cast<TEnumColumn*>(table->GetColumn(0));
    ASSERT_NE(enumColumn, nullptr);
    QComboBox* combo = enumColumn->ComboBox(1);
    ASSERT_NE(combo, nullptr);
    form->Grid->EditCurrentCell();

    // The list takes the focus and the item shown is chosen again: nothing changes.
    combo->setFocus(Qt::MouseFocusReason);
    emit combo->activated(combo->currentIndex());
    EXPECT_FALSE(table->IsModified());
    // Another item by the keyboard.
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(table->Cell(0, 1)->GetAsInteger(), 2);
    EXPECT_TRUE(table->IsModified());
    table.reset();
}

// After a unit switch the open editor is made again (its units change) where the user had it:
// the same place and size in the MDI area, and the rows and columns shown with it.
TEST_F(TableFormTest, AReopenedEditorKeepsItsPlaceAndSize)
{
    MakeSoilTable(25);
    for (int k = 0; k < 3; ++k)
        table->AddFloatColumn({QStringLiteral("Extra"), QStringLiteral("column")}, QStringLiteral("L2"));
    QMdiArea area;
    area.resize(1400, 800);
    TableForm::InstallEditor(&area);
    ShowActive(area);
    // Another window in the area first, so that the editor has no place of its own to go to.
    QWidget* other = new QWidget;
    other->resize(300, 200);
    area.addSubWindow(other)->show();
    table->ShowEditor();
    auto* form = dynamic_cast<TTableForm*>(table->Editor());
    ASSERT_NE(form, nullptr);
    auto* sub = qobject_cast<QMdiSubWindow*>(form->parentWidget());
    ASSERT_NE(sub, nullptr);
    QApplication::processEvents();
    // The user moves it and makes it smaller (fewer rows and columns on view).
    sub->move(40, 120);
    sub->resize(sub->width() - 200, sub->height() - 100);
    QApplication::processEvents();
    const QRect placed = sub->geometry();
    const int rows = form->ShownRows(), columns = form->ShownColumns();
    ASSERT_LT(rows, 10);
    ASSERT_LT(columns, 7);

    table->SetUnits(1);
    table->ReopenEditor();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    form = dynamic_cast<TTableForm*>(table->Editor());
    ASSERT_NE(form, nullptr);
    sub = qobject_cast<QMdiSubWindow*>(form->parentWidget());
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(area.subWindowList().size(), 2);
    EXPECT_EQ(form->Grid->horizontalHeaderItem(0)->text(), "Top\ndepth (ft)  ");
    EXPECT_EQ(sub->pos(), placed.topLeft());
    EXPECT_EQ(form->ShownRows(), rows);
    EXPECT_EQ(form->ShownColumns(), columns);
    EXPECT_EQ(sub->size(), placed.size());
    EXPECT_EQ(area.activeSubWindow(), sub);
    TableForm::InstallEditor();
}

}  // namespace

// Undoing a row command gives back the rows as they were: float values with all their digits,
// texts, integers and the sub-table of each row; the rows after it keep their own sub-tables.
TEST_F(TableFormTest, UndoingARowCommandGivesTheRowsAndTheirSubTablesBack)
{
    TGridTable amplitudes;
    amplitudes.SetCaption(QStringLiteral("Amplitudes"));
    amplitudes.SetMinRows(1);
    amplitudes.AddFloatColumn({QStringLiteral("Amplitude")});
    table = std::make_unique<TGridTable>();
    table->SetCaption(QStringLiteral("Loads"));
    table->SetMinRows(1);
    table->SetMaxRows(0);
    table->AddFloatColumn({QStringLiteral("Time")});
    table->AddStringColumn({QStringLiteral("Name")});
    table->AddIntColumn({QStringLiteral("Count")}, 0, 100);
    table->AddTableColumn({QStringLiteral("Data")}, amplitudes.Identifier());
    table->SetRowCount(3);
    for (int r = 0; r < 3; ++r) {
        table->Cell(0, r)->SetAsFloat(1.0L / (r + 3));
        table->GetColumn(1)->SetText(r, QStringLiteral("load %1").arg(r));
        table->Cell(2, r)->SetAsInteger(10 + r);
        TGridTable* sub = table->Cell(3, r)->GetAsTable();
        ASSERT_NE(sub, nullptr);
        sub->SetRowCount(r + 1);
        for (int k = 0; k <= r; ++k) sub->Cell(0, k)->SetAsFloat(r + k / 7.0L);
    }
    auto contents = [&] {
        QStringList all;
        for (int r = 0; r < table->RowCount(); ++r) {
            const TGridTable* sub = table->Cell(3, r)->GetAsTable();
            QStringList values;
            for (int k = 0; sub && k < sub->RowCount(); ++k) values << QString::number(double(sub->Cell(0, k)->GetAsFloat()), 'g', 17);
            all << QStringLiteral("%1|%2|%3|%4")
                       .arg(QString::number(double(table->Cell(0, r)->GetAsFloat()), 'g', 17), table->Cell(1, r)->GetText(),
                            table->Cell(2, r)->GetText(), values.join(QLatin1Char(' ')));
        }
        return all;
    };
    const QStringList start = contents();
    const TGridTable* last = table->Cell(3, 2)->GetAsTable();
    TTableForm* form = Open();
    ASSERT_NE(form, nullptr);
    EXPECT_FALSE(form->CanUndoRowCommand()) << "nothing to undo yet";
    form->Grid->setCurrentCell(1, 0);
    form->BtnDelClick();
    ASSERT_EQ(table->RowCount(), 2);
    ASSERT_TRUE(form->CanUndoRowCommand());
    EXPECT_TRUE(form->UndoRowCommand());
    EXPECT_EQ(contents(), start);
    EXPECT_EQ(table->Cell(0, 1)->GetAsFloat(), 1.0L / 4) << "every digit back";
    EXPECT_EQ(table->Cell(3, 2)->GetAsTable(), last) << "the row after it keeps its own sub-table";
    EXPECT_FALSE(form->CanUndoRowCommand()) << "one undo";
    // A change after the command: the command is not undone over it.
    form->Grid->setCurrentCell(0, 0);
    form->BtnInsClick();
    ASSERT_EQ(table->RowCount(), 4);
    table->Cell(2, 3)->SetAsInteger(99);
    EXPECT_FALSE(form->CanUndoRowCommand());
    EXPECT_FALSE(form->UndoRowCommand());
    EXPECT_EQ(table->RowCount(), 4);
    EXPECT_EQ(table->Cell(2, 3)->GetAsInteger(), 99);
    EXPECT_EQ(recorder.Count(), 0);
    table.reset();
}

// A value typed into a cell, as a user types it: every mouse event goes to the widget under the
// pointer (the cell editor when one lies over the cell), every key to the widget that has the
// focus at that moment. Each way into a cell, with and without its editor open, keeps exactly
// the value typed, in float, integer and text columns.
namespace {

class TableTypingTest : public TableFormTest {
protected:
    // Float, integer and text columns; row 1 holds values that a lost key would leave.
    void MakeTypingTable()
    {
        table = std::make_unique<TGridTable>();
        table->SetCaption(QStringLiteral("Soil Properties"));
        table->SetMinRows(1);
        table->SetMaxRows(20);
        table->AddFloatColumn({QStringLiteral("Shear wave"), QStringLiteral("velocity, ")}, QStringLiteral("L2/SEC"));
        table->AddIntColumn({QStringLiteral("Count")}, 0, 100000);
        table->AddStringColumn({QStringLiteral("Name")});
        table->SetRowCount(3);
        for (int r = 0; r < 3; ++r) {
            table->Cell(0, r)->SetAsFloat(990 + r);
            table->Cell(1, r)->SetAsInteger(7 + r);
            table->GetColumn(2)->SetText(r, QStringLiteral("sand"));
        }
    }

    QPoint CellCentre(TTableForm* form, int row, int column) const
    {
        return form->Grid->visualRect(form->Grid->model()->index(row, column)).center();
    }
    // The widget under the pointer at the cell's centre (the cell editor or the grid).
    QWidget* UnderPointer(TTableForm* form, int row, int column, QPoint& local) const
    {
        QWidget* viewport = form->Grid->viewport();
        const QPoint at = CellCentre(form, row, column);
        QWidget* target = viewport->childAt(at);
        if (!target) target = viewport;
        local = target->mapFrom(viewport, at);
        return target;
    }
    void Click(TTableForm* form, int row, int column)
    {
        QPoint at;
        QWidget* target = UnderPointer(form, row, column, at);
        QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier, at);
    }
    void DoubleClick(TTableForm* form, int row, int column)
    {
        // A press and release, then the second press that makes the double-click.
        Click(form, row, column);
        QPoint at;
        QWidget* target = UnderPointer(form, row, column, at);
        QTest::mouseDClick(target, Qt::LeftButton, Qt::NoModifier, at);
    }
    // Each key to the widget that has the focus when it is pressed, `pause` ms after the last.
    static void TypeKeys(const QString& text, int pause = 0)
    {
        for (QChar c : text) {
            if (pause > 0 && c != text.front()) QTest::qWait(pause);
            QWidget* focus = QApplication::focusWidget();
            ASSERT_NE(focus, nullptr);
            QTest::keyClick(focus, c.toLatin1());
        }
    }
};

}  // namespace

TEST_F(TableTypingTest, EveryWayIntoACellKeepsTheValueTyped)
{
    enum class Path {
        TypedOnOpening,         // the window opens on the cell; keys at once
        ClickedThenTyped,       // a click on another cell, then the keys
        DoubleClickedThenTyped,
        EscapedThenTyped,       // the editor closed with Escape, then the keys
        EscapedClickedThenTyped, // ...then a click on the same cell and the keys at once
        EscapedClickedSlowKeys   // ...the keys slower, over the double-click interval
    };
    struct Case {
        const char* name;
        Path path;
        int column;
        const char* typed;
        bool enter;  // Enter, else Tab, stores the cell
        const char* stored;
    };
    const Case cases[] = {
        {"float, on opening, Tab", Path::TypedOnOpening, 0, "500", false, "500"},
        {"float, on opening, Enter", Path::TypedOnOpening, 0, "2*250", true, "500"},
        {"float, click, Tab", Path::ClickedThenTyped, 0, "800", false, "800"},
        {"float, click, Enter", Path::ClickedThenTyped, 0, "800", true, "800"},
        {"float, double-click, Tab", Path::DoubleClickedThenTyped, 0, "800", false, "800"},
        {"float, Escape, Enter", Path::EscapedThenTyped, 0, "800", true, "800"},
        {"float, Escape, click, Tab", Path::EscapedClickedThenTyped, 0, "800", false, "800"},
        {"float, Escape, click, Enter", Path::EscapedClickedThenTyped, 0, "800", true, "800"},
        {"float, Escape, click, slow keys, Tab", Path::EscapedClickedSlowKeys, 0, "800", false, "800"},
        {"integer, click, Tab", Path::ClickedThenTyped, 1, "42", false, "42"},
        {"integer, double-click, Enter", Path::DoubleClickedThenTyped, 1, "42", true, "42"},
        {"integer, Escape, click, Tab", Path::EscapedClickedThenTyped, 1, "42", false, "42"},
        {"text, click, Tab", Path::ClickedThenTyped, 2, "clay", false, "clay"},
        {"text, Escape, Enter", Path::EscapedThenTyped, 2, "clay", true, "clay"},
        {"text, Escape, click, Tab", Path::EscapedClickedThenTyped, 2, "clay", false, "clay"},
    };
    // Keys typed well within the double-click interval after a click.
    const int soon = std::max(1, QApplication::doubleClickInterval() / 8);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MakeTypingTable();
        TTableForm* form = Open();
        ASSERT_NE(form, nullptr);
        const int row = c.path == Path::TypedOnOpening ? 0 : 2;
        switch (c.path) {
        case Path::TypedOnOpening:
            ASSERT_EQ(form->Grid->currentRow(), 0);
            ASSERT_EQ(form->Grid->currentColumn(), c.column);
            break;
        case Path::ClickedThenTyped:
            Click(form, row, c.column);
            break;
        case Path::DoubleClickedThenTyped:
            DoubleClick(form, row, c.column);
            break;
        case Path::EscapedThenTyped:
            Click(form, row, c.column);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            break;
        case Path::EscapedClickedThenTyped:
        case Path::EscapedClickedSlowKeys:
            DoubleClick(form, row, c.column);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            QTest::qWait(soon);  // the user moves on to the click
            Click(form, row, c.column);
            QTest::qWait(soon);
            break;
        }
        TypeKeys(QString::fromLatin1(c.typed),
                 c.path == Path::EscapedClickedSlowKeys ? QApplication::doubleClickInterval() * 3 / 5 : 0);
        QTest::keyClick(QApplication::focusWidget(), c.enter ? Qt::Key_Return : Qt::Key_Tab);
        EXPECT_EQ(table->Cell(c.column, row)->GetText().toStdString(), c.stored);
        EXPECT_EQ(form->Grid->item(row, c.column)->text().toStdString(), c.stored);
        EXPECT_EQ(recorder.Count(), 0);
        // The other rows keep their values.
        EXPECT_EQ(table->Cell(c.column, 1)->GetText().toStdString(), c.column == 0 ? "991" : c.column == 1 ? "8" : "sand");
        table.reset();
    }
}

// The row controls: an item chosen in a drop-down list by the keys or the mouse, and values typed
// into the sub-table that a row's button opens (the same ways in as in a table's own cells).
TEST_F(TableTypingTest, ItemsAndSubTableValuesKeepWhatTheUserGave)
{
    TGridTable amplitudes;
    amplitudes.SetCaption(QStringLiteral("Load Amplitude"));
    amplitudes.SetMinRows(1);
    amplitudes.SetMaxRows(0);
    amplitudes.AddFloatColumn({QStringLiteral("Load Amplitude")}, QStringLiteral("F"));
    table = std::make_unique<TGridTable>();
    table->SetCaption(QStringLiteral("Transient Loading Data"));
    table->SetMinRows(1);
    table->SetMaxRows(0);
    table->AddFloatColumn({QStringLiteral("Time")});
    auto* kinds = table->AddEnumColumn({QStringLiteral("Load type")},
                                       {QStringLiteral("Force in X-direction"), QStringLiteral("Force in Y-direction"),
                                        QStringLiteral("Force in Z-direction")});
    auto* data = table->AddTableColumn({QStringLiteral("Load amplitude")}, amplitudes.Identifier());
    table->SetRowCount(2);
    TTableForm* form = Open();
    ASSERT_NE(form, nullptr);

    // Tab from the cell before it to the drop-down list, a key down: the next item.
    TypeKeys(QStringLiteral("0.5"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(table->Cell(0, 0)->GetText(), QStringLiteral("0.5"));
    ASSERT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(kinds->ComboBox(0)));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(table->Cell(1, 0)->GetAsInteger(), 2);
    // The list of row 2 opened with the mouse, the third item chosen with the keys.
    QComboBox* second = kinds->ComboBox(1);
    QTest::mouseClick(second, Qt::LeftButton);
    QTRY_VERIFY(second->view()->isVisible());
    QTest::keyClick(second->view(), Qt::Key_Down);
    QTest::keyClick(second->view(), Qt::Key_Down);
    QTest::keyClick(second->view(), Qt::Key_Return);
    EXPECT_EQ(table->Cell(1, 1)->GetAsInteger(), 3);

    // The sub-table of row 1: typed at once into the window its button opens, then through
    // Escape and a click on the cell.
    ASSERT_GE(data->ButtonCount(), 1);
    QTest::mouseClick(data->Button(0), Qt::LeftButton);
    TGridTable* sub = table->Cell(2, 0)->GetAsTable();
    ASSERT_NE(sub, nullptr);
    auto* subForm = dynamic_cast<TTableForm*>(sub->Editor());
    ASSERT_NE(subForm, nullptr);
    subForm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(subForm));
    TypeKeys(QStringLiteral("12.5"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(sub->Cell(0, 0)->GetText(), QStringLiteral("12.5"));
    QTest::mouseClick(subForm->BtnAdd, Qt::LeftButton);
    ASSERT_EQ(sub->RowCount(), 2);
    const int soon = std::max(1, QApplication::doubleClickInterval() / 8);
    DoubleClick(subForm, 1, 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTest::qWait(soon);
    Click(subForm, 1, 0);
    QTest::qWait(soon);
    TypeKeys(QStringLiteral("-3"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(sub->Cell(0, 1)->GetText(), QStringLiteral("-3"));
    EXPECT_EQ(sub->Cell(0, 0)->GetText(), QStringLiteral("12.5"));
    EXPECT_EQ(recorder.Count(), 0);
    table.reset();
}

// Ctrl+Z after Delete Row brings the row back into view: the window grows back to the height it
// had, as after Add Row, and shows every row without a scroll bar.
TEST_F(TableFormTest, UndoingADeleteGrowsTheWindowBackToItsRows)
{
    for (int rows : {2, 3}) {
        SCOPED_TRACE(rows);
        MakeSoilTable(rows);
        TTableForm* form = Open();
        ASSERT_NE(form, nullptr);
        const int height = form->height();
        ASSERT_EQ(form->ShownRows(), rows);
        form->Grid->setCurrentCell(rows - 1, 2);
        QTest::mouseClick(form->BtnDel, Qt::LeftButton);
        ASSERT_EQ(table->RowCount(), rows - 1);
        const int rowHeight = form->Grid->rowHeight(0);
        EXPECT_EQ(form->height(), height - rowHeight);
        form->Grid->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        ASSERT_EQ(table->RowCount(), rows);
        EXPECT_EQ(form->ShownRows(), rows);
        EXPECT_EQ(form->height(), height);
        EXPECT_EQ(form->Grid->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        // As after Add Row.
        QTest::mouseClick(form->BtnAdd, Qt::LeftButton);
        EXPECT_EQ(form->height(), height + rowHeight);
        table.reset();
    }
}
