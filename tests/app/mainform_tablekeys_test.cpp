// The table editors of the main window driven from the keyboard as a user drives them: keys
// go to the main window (the platform's way), never straight to a control.
#include "mainform_fixture.h"

#include "registerwindows.h"
#include "forms/transientform.h"
#include "projecttables.h"
#include "table/columntypes.h"
#include "table/table.h"
#include "table/tableform.h"

#include <QComboBox>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QTest>

namespace {

class MainFormTableKeys : public MainFormTest {
protected:
    // The main window shown and active with a new project of transient loading.
    TMainForm& Start()
    {
        TMainForm& m = Make();
        RegisterWindows::RegisterForms(m);
        m.resize(1400, 900);
        m.show();
        m.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&m));
        m.DataMenuClick();
        m.Action(QStringLiteral("DataTransient"))->trigger();
        return m;
    }

    // The load-type table's editor, opened from the transient loading form's "Data Button".
    TTableForm* OpenLoadTypes(TMainForm& m)
    {
        m.DataMenuClick();
        QAction* data = m.Action(QStringLiteral("DataTransientData"));
        EXPECT_TRUE(data->isEnabled());
        data->trigger();
        QApplication::processEvents();
        auto* form = m.findChild<Tfrmtransient*>();
        if (!form) return nullptr;
        // The button by the keyboard: the focus on it, then Space.
        form->Button1->setFocus(Qt::TabFocusReason);
        Press(Qt::Key_Space);
        return dynamic_cast<TTableForm*>(m.Tables().TLoadtype->Editor());
    }
};

TEST_F(MainFormTableKeys, AccessKeysOfTheRowButtonsWorkWithTheFocusInTheGrid)
{
    TMainForm& m = Start();
    TTableForm* editor = OpenLoadTypes(m);
    ASSERT_NE(editor, nullptr);
    TGridTable* table = m.Tables().TLoadtype;
    const int rows = table->RowCount();
    ASSERT_TRUE(editor->BtnAdd->isVisible());
    editor->Grid->setFocus(Qt::TabFocusReason);
    Press(Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(table->RowCount(), rows + 1) << "Alt+A adds a row";
    EXPECT_TRUE(editor->Grid->hasFocus()) << "the focus stays in the grid";
    Press(Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(table->RowCount(), rows + 2);
    EXPECT_EQ(recorder.Count(), 0);
}

TEST_F(MainFormTableKeys, AccessKeysStoreTheCellFirstAndWaitForARefusedOne)
{
    // A table with a text cell: an invalid entry keeps Alt+A from adding a row.
    TMainForm& m = Start();
    TGridTable* table = m.Tables().D;
    m.Data().FoundationCode = 1;
    table->ShowEditor();
    QApplication::processEvents();
    auto* editor = dynamic_cast<TTableForm*>(table->Editor());
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->BtnAdd->isVisible());
    const int rows = table->RowCount();
    editor->Grid->setFocus(Qt::TabFocusReason);
    editor->Grid->setCurrentCell(0, 1);
    editor->Grid->EditCurrentCell();
    ASSERT_NE(editor->Grid->CellEditor(), nullptr);
    QTest::keyClicks(editor->Grid->CellEditor(), QStringLiteral("abc"));
    Press(Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(table->RowCount(), rows) << "no row while the cell is refused";
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_EQ(recorder.Messages().at(0).kind, MessageSink::Kind::Warning);
    EXPECT_TRUE(editor->Grid->OwnsWidget(QApplication::focusWidget())) << "the user stays in the cell";
    // Corrected, the same key adds the row.
    QWidget* cell = editor->Grid->CellEditor();
    ASSERT_NE(cell, nullptr);
    QTest::keyClick(cell, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(cell, QStringLiteral("2"));
    Press(Qt::Key_A, Qt::AltModifier);
    EXPECT_EQ(table->RowCount(), rows + 1);
    EXPECT_EQ(table->Cell(1, 0)->GetText(), QStringLiteral("2")) << "the cell was stored first";
    EXPECT_EQ(recorder.Count(), 1);
    // Insert and Delete act on the current row.
    editor->Grid->setCurrentCell(0, 1);
    Press(Qt::Key_I, Qt::AltModifier);
    EXPECT_EQ(table->RowCount(), rows + 2) << "Alt+I inserts a row";
    EXPECT_EQ(table->Cell(1, 1)->GetText(), QStringLiteral("2")) << "the first row moved down";
    // Alt+D opens the Data menu from the grid; from a row button it deletes the row.
    editor->BtnAdd->setFocus(Qt::TabFocusReason);
    Press(Qt::Key_D, Qt::AltModifier);
    EXPECT_EQ(table->RowCount(), rows + 1) << "Alt+D deletes a row";
    EXPECT_EQ(table->Cell(1, 0)->GetText(), QStringLiteral("2"));
    EXPECT_EQ(recorder.Count(), 1);
}

// Space pressed again and again on a focused Add Row button fills the table; the button then
// is disabled, and the focus goes to the grid, never to Delete Row, so further presses delete
// nothing.
TEST_F(MainFormTableKeys, SpaceOnAFullTablesAddButtonNeverDeletesRows)
{
    TMainForm& m = Start();
    TTableForm* editor = OpenLoadTypes(m);
    ASSERT_NE(editor, nullptr);
    TGridTable* table = m.Tables().TLoadtype;
    const int most = table->MaxRows();
    ASSERT_GT(most, table->RowCount());
    QTest::mouseClick(editor->BtnAdd, Qt::LeftButton);
    ASSERT_TRUE(editor->BtnAdd->hasFocus());
    for (int i = 0; i < most + 10; ++i) Press(Qt::Key_Space);
    EXPECT_EQ(table->RowCount(), most);
    EXPECT_FALSE(editor->BtnAdd->isEnabled());
    EXPECT_FALSE(editor->BtnDel->hasFocus());
    EXPECT_TRUE(editor->Grid->hasFocus());
    EXPECT_EQ(recorder.Count(), 0);
}

// The values of a table, row by row, as the cells show them.
QList<QStringList> Rows(const TGridTable& table)
{
    QList<QStringList> rows;
    for (int r = 0; r < table.RowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < table.ColumnCount(); ++c) row << table.Cell(c, r)->GetText();
        rows << row;
    }
    return rows;
}

// The soil layers of a pile project: the user types a row of values, adds two rows, clicks the
// first row and presses Alt+D for the Data menu. The menu opens; no row goes.
TEST_F(MainFormTableKeys, AltDInTheGridOpensTheDataMenuAndDeletesNoRow)
{
    TMainForm& m = Make();
    RegisterWindows::RegisterForms(m);
    m.resize(1400, 900);
    m.show();
    m.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m));
    m.OpenFileName(CopyExample(QStringLiteral("pile-group-random"), QStringLiteral("pile.tmx")));
    m.DataMenuClick();
    m.Action(QStringLiteral("DataSoilLayer"))->trigger();
    QApplication::processEvents();
    TGridTable* table = m.Tables().D;
    auto* editor = dynamic_cast<TTableForm*>(table->Editor());
    ASSERT_NE(editor, nullptr);
    const int rows = table->RowCount();
    ASSERT_GE(rows, 1);
    // A row of values typed into the last row.
    editor->Grid->setCurrentCell(rows - 1, 0);
    editor->Grid->EditCurrentCell();
    for (const char* value : {"310", "19.5", "0.3", "0.04", "0.5"}) {
        ASSERT_NE(editor->Grid->CellEditor(), nullptr);
        QTest::keyClick(editor->Grid->CellEditor(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor->Grid->CellEditor(), QString::fromLatin1(value));
        Press(Qt::Key_Tab);
    }
    Press(Qt::Key_A, Qt::AltModifier);
    Press(Qt::Key_A, Qt::AltModifier);
    ASSERT_EQ(table->RowCount(), rows + 2);
    QTest::mouseClick(editor->Grid->viewport(), Qt::LeftButton, {}, editor->Grid->visualItemRect(editor->Grid->item(0, 1)).center());
    QApplication::processEvents();
    ASSERT_EQ(editor->Grid->currentRow(), 0);
    const QList<QStringList> before = Rows(*table);
    EXPECT_EQ(before.at(rows - 1), (QStringList{"310", "19.5", "0.3", "0.04", "0.5"}));

    Press(Qt::Key_D, Qt::AltModifier);
    EXPECT_EQ(Rows(*table), before) << "no row deleted";
    EXPECT_EQ(QApplication::activePopupWidget(), m.Menu(QStringLiteral("DataMenu"))) << "the Data menu is open";
    Press(Qt::Key_Escape);
    Press(Qt::Key_Escape);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_EQ(Rows(*table), before);
    EXPECT_EQ(recorder.Count(), 0);
}

// Ctrl+Z undoes the last row command, Delete Row included, with every value of the rows; once
// the table has changed since, it undoes nothing (the later values stay).
TEST_F(MainFormTableKeys, CtrlZUndoesTheLastRowCommand)
{
    TMainForm& m = Start();
    m.Data().FoundationCode = 1;
    TGridTable* table = m.Tables().D;
    table->SetRowCount(3);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < table->ColumnCount(); ++c) table->Cell(c, r)->SetAsFloat(10 * (r + 1) + c + 0.125L);
    table->ShowEditor();
    QApplication::processEvents();
    auto* editor = dynamic_cast<TTableForm*>(table->Editor());
    ASSERT_NE(editor, nullptr);
    const QList<QStringList> start = Rows(*table);
    struct Case {
        const char* what;
        Qt::Key key;  // the row button's access key, pressed with the focus on a button
        int row;      // the current row
    } cases[] = {{"Delete Row", Qt::Key_D, 1}, {"Delete Row of the last row", Qt::Key_D, 2},
                 {"Insert Row", Qt::Key_I, 0}, {"Add Row", Qt::Key_A, 1}};
    for (const Case& c : cases) {
        editor->Grid->setCurrentCell(c.row, 0);
        editor->BtnIns->setFocus(Qt::TabFocusReason);
        Press(c.key, Qt::AltModifier);
        EXPECT_NE(Rows(*table), start) << c.what;
        Press(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(Rows(*table), start) << c.what << " undone";
        EXPECT_EQ(editor->Grid->rowCount(), 3) << c.what;
        Press(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(Rows(*table), start) << c.what << ": one undo only";
    }
    // Ctrl+Z from the grid, with the cell editor open and nothing typed.
    editor->Grid->setCurrentCell(0, 0);
    editor->BtnAdd->setFocus(Qt::TabFocusReason);
    Press(Qt::Key_D, Qt::AltModifier);
    ASSERT_EQ(table->RowCount(), 2);
    editor->Grid->setFocus(Qt::TabFocusReason);
    editor->Grid->EditCurrentCell();
    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Rows(*table), start) << "undone from the grid";
    // A value typed after the command: Ctrl+Z first undoes the typing in the cell, then nothing
    // more, so the value stored is never lost to it.
    editor->Grid->setCurrentCell(0, 0);
    editor->BtnAdd->setFocus(Qt::TabFocusReason);
    Press(Qt::Key_D, Qt::AltModifier);
    editor->Grid->setFocus(Qt::TabFocusReason);
    editor->Grid->setCurrentCell(0, 1);
    editor->Grid->EditCurrentCell();
    ASSERT_NE(editor->Grid->CellEditor(), nullptr);
    QTest::keyClick(editor->Grid->CellEditor(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor->Grid->CellEditor(), QStringLiteral("77"));
    Press(Qt::Key_Tab);
    const QList<QStringList> edited = Rows(*table);
    EXPECT_EQ(edited.at(0).at(1), QStringLiteral("77"));
    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Rows(*table), edited) << "the row command is not undone over a later value";
    EXPECT_EQ(recorder.Count(), 0);
}

// Tab in the pile coordinates goes as the screen reads: X, Y, Battered Angle, the Battered
// Plane box of the row, then the next row; after the last row the row buttons, then the grid
// again. Shift+Tab goes back the same way.
TEST_F(MainFormTableKeys, TabInPileCoordinatesFollowsTheScreen)
{
    TMainForm& m = Start();
    TGridTable* table = m.Tables().Pilecoord;
    table->SetRowCount(2);
    table->ShowEditor();
    QApplication::processEvents();
    auto* editor = dynamic_cast<TTableForm*>(table->Editor());
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(editor->Grid->columnCount(), 4);
    auto* plane = dynamic_cast<TEnumColumn*>(table->VisibleColumn(3));
    ASSERT_NE(plane, nullptr);
    editor->Grid->setFocus(Qt::TabFocusReason);
    editor->Grid->setCurrentCell(0, 0);
    editor->Grid->EditCurrentCell();
    // Where the focus is: a grid cell "r,c", a plane box "box r", or a button's name.
    auto where = [&]() -> QString {
        QWidget* focus = QApplication::focusWidget();
        if (editor->Grid->OwnsWidget(focus))
            return QStringLiteral("%1,%2").arg(editor->Grid->currentRow()).arg(editor->Grid->currentColumn());
        for (int k = 0; k < plane->ComboBoxCount(); ++k)
            if (static_cast<QWidget*>(plane->ComboBox(k)) == focus) return QStringLiteral("box %1").arg(k);
        return focus ? focus->objectName() : QStringLiteral("none");
    };
    QStringList forward{where()};
    for (int i = 0; i < 11; ++i) {
        Press(Qt::Key_Tab);
        forward << where();
    }
    EXPECT_EQ(forward, (QStringList{"0,0", "0,1", "0,2", "box 0", "1,0", "1,1", "1,2", "box 1", "BtnAdd",
                                    "BtnIns", "BtnDel", "1,2"}));
    editor->Grid->setCurrentCell(1, 0);
    editor->Grid->EditCurrentCell();
    QStringList back{where()};
    for (int i = 0; i < 3; ++i) {
        Press(Qt::Key_Backtab, Qt::ShiftModifier);
        back << where();
    }
    EXPECT_EQ(back, (QStringList{"1,0", "box 0", "0,2", "0,1"}));
    EXPECT_EQ(recorder.Count(), 0);
}

}  // namespace
