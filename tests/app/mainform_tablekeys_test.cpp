// The table editors of the main window driven from the keyboard as a user drives them: keys
// go to the main window (the platform's way), never straight to a control.
#include "mainform_fixture.h"

#include "registerwindows.h"
#include "forms/transientform.h"
#include "projecttables.h"
#include "table/table.h"
#include "table/tableform.h"

#include <QMdiSubWindow>
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

    // A key pressed by the user: to the active window, as the platform delivers it.
    static void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* active = QApplication::activeWindow();
        ASSERT_NE(active, nullptr);
        QTest::keyClick(active->windowHandle(), key, modifiers);
        QApplication::processEvents();
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

}  // namespace
