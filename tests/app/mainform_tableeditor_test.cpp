// The table editors in the main window as a user meets them: looking at a table changes
// nothing, and a unit switch leaves the open editors where they were.
#include "mainform_fixture.h"

#include "projecttables.h"
#include "table/table.h"
#include "table/tableform.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMdiSubWindow>
#include <QTest>

namespace {

class MainFormTables : public MainFormTest {
protected:
    // The main window shown and active with the example project read.
    TMainForm& Start(const QString& example)
    {
        TMainForm& m = Make({CopyExample(example, QStringLiteral("project.tmx"))});
        m.resize(1400, 900);
        m.show();
        m.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&m));
        EXPECT_FALSE(m.IsModified());
        return m;
    }

    // The editor opened through its Data menu command.
    static TTableForm* OpenEditor(TMainForm& m, const char* action, TGridTable* table)
    {
        m.DataMenuClick();  // the Data menu, as it opens, follows the project
        QAction* command = m.Action(QString::fromLatin1(action));
        EXPECT_TRUE(command->isEnabled()) << action;
        command->trigger();
        QApplication::processEvents();
        return dynamic_cast<TTableForm*>(table->Editor());
    }

    static QMdiSubWindow* Frame(TTableForm* form)
    {
        return form ? qobject_cast<QMdiSubWindow*>(form->parentWidget()) : nullptr;
    }
};

// A cell editor opened and left without typing, in every way a cell can be left, then New: the
// project is unchanged and New asks nothing. Typing a value still marks it.
TEST_F(MainFormTables, LookingAtATableLeavesTheProjectUnchanged)
{
    TMainForm& m = Start(QStringLiteral("pile-group-random"));
    TTableForm* form = OpenEditor(m, "DataPileCoord", m.Tables().Pilecoord);
    ASSERT_NE(form, nullptr);
    form->Grid->setFocus(Qt::OtherFocusReason);
    form->Grid->setCurrentCell(0, 1);
    form->Grid->EditCurrentCell();
    ASSERT_NE(form->Grid->CellEditor(), nullptr);
    form->Grid->CellEditor()->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // the next row
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);     // the next cell
    form->Grid->setCurrentCell(1, 0);                              // a click on another cell
    // Another window of the frame becomes active (the editor is deactivated), then it closes.
    TTableForm* other = OpenEditor(m, "DataPileElements", m.Tables().PileData);
    ASSERT_NE(other, nullptr);
    other->Grid->EditCurrentCell();
    Frame(form)->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(m.IsModified());

    m.FileNewClick();
    EXPECT_EQ(recorder.Count(), 0) << "no save prompt for an unchanged project";
    EXPECT_EQ(m.Data().FileName, DataUnit::kNewFileName);

    // A typed value is a change.
    const QString path = work.filePath(QStringLiteral("project.tmx"));
    m.OpenFileName(path);
    ASSERT_FALSE(m.IsModified());
    form = OpenEditor(m, "DataPileCoord", m.Tables().Pilecoord);
    ASSERT_NE(form, nullptr);
    form->Grid->setFocus(Qt::OtherFocusReason);
    form->Grid->setCurrentCell(0, 1);
    form->Grid->EditCurrentCell();
    auto* editor = qobject_cast<QLineEdit*>(form->Grid->CellEditor());
    ASSERT_NE(editor, nullptr);
    editor->setFocus();
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("1.25"));
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(m.Tables().Pilecoord->Cell(1, 0)->GetAsFloat(), 1.25L);
    EXPECT_TRUE(m.IsModified());
    recorder.QueueAnswer(MessageSink::Answer::No);
    m.FileNewClick();
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_EQ(recorder.LastText(), QStringLiteral("Do you want to save any changes?"));
}

// Data > Units with two editors open: each comes back at its place and size, with the new units.
TEST_F(MainFormTables, AUnitSwitchLeavesTheEditorsWhereTheyWere)
{
    TMainForm& m = Start(QStringLiteral("pile-group-random"));
    TTableForm* coords = OpenEditor(m, "DataPileCoord", m.Tables().Pilecoord);
    TTableForm* elements = OpenEditor(m, "DataPileElements", m.Tables().PileData);
    ASSERT_NE(Frame(coords), nullptr);
    ASSERT_NE(Frame(elements), nullptr);
    // The user arranges them.
    Frame(coords)->move(10, 20);
    Frame(elements)->move(30, 260);
    Frame(elements)->resize(Frame(elements)->width() - 60, Frame(elements)->height() - 60);
    QApplication::processEvents();
    const QRect coordsPlace = Frame(coords)->geometry();
    const QRect elementsPlace = Frame(elements)->geometry();
    const QString header = coords->Grid->horizontalHeaderItem(1)->text();
    const QSize elementsShown(elements->ShownColumns(), elements->ShownRows());
    ASSERT_LT(elementsShown.height(), m.Tables().PileData->RowCount()) << "some rows scrolled out";

    m.Action(QStringLiteral("DataEnglish"))->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    ASSERT_EQ(m.Data().UnitSystem, 1);
    coords = dynamic_cast<TTableForm*>(m.Tables().Pilecoord->Editor());
    elements = dynamic_cast<TTableForm*>(m.Tables().PileData->Editor());
    ASSERT_NE(Frame(coords), nullptr);
    ASSERT_NE(Frame(elements), nullptr);
    EXPECT_NE(coords->Grid->horizontalHeaderItem(1)->text(), header) << "the units changed";
    // The same place, rows and columns; the columns are as wide as their new unit captions.
    EXPECT_EQ(Frame(coords)->pos(), coordsPlace.topLeft());
    EXPECT_EQ(Frame(elements)->pos(), elementsPlace.topLeft());
    EXPECT_EQ(QSize(elements->ShownColumns(), elements->ShownRows()), elementsShown);
    for (auto [now, before] : {std::pair{Frame(coords)->size(), coordsPlace.size()},
                               std::pair{Frame(elements)->size(), elementsPlace.size()}}) {
        EXPECT_EQ(now.height(), before.height());
        EXPECT_NEAR(now.width(), before.width(), 20);
    }
    EXPECT_EQ(m.MdiArea()->subWindowList().size(), 2);
    for (QMdiSubWindow* sub : m.MdiArea()->subWindowList())
        EXPECT_TRUE(m.MdiArea()->viewport()->rect().contains(sub->geometry())) << "fully on view";
}

}  // namespace

namespace {

// The saved deck's row of the soil table: the lines after "CONSTANTS=2" (the adjacent layers).
QString SavedSoilRow(const QString& path, int row)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    const QStringList lines = QString::fromLatin1(f.readAll()).split(QStringLiteral("\r\n"));
    const qsizetype at = lines.indexOf(QStringLiteral("CONSTANTS=2"));
    return at >= 0 && at + 1 + row < lines.size() ? lines.at(at + 1 + row) : QString();
}

}  // namespace

// A value typed into a cell and left there, then a command of the main window: the File menu
// opened with the mouse and Save chosen, or Ctrl+S. The cell is stored first, so the deck holds
// what was typed; a text the column refuses keeps the user in the cell and nothing is saved.
TEST_F(MainFormTables, AValueLeftInItsCellIsStoredBeforeAMenuOrShortcutCommand)
{
    TMainForm& m = Start(QStringLiteral("multilayer-harmonic"));
    const QString path = m.Data().FileName;
    ASSERT_EQ(SavedSoilRow(path, 0), QStringLiteral("1 500 110 0.35 0.05 1 0.35 0.1 0"));
    TTableForm* form = OpenEditor(m, "DataSideSoil", m.Tables().D);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m));
    auto typeInto = [&](int row, const QString& text) {
        form->Grid->setFocus(Qt::OtherFocusReason);
        form->Grid->setCurrentCell(row, 0);
        form->Grid->EditCurrentCell();
        auto* editor = qobject_cast<QLineEdit*>(form->Grid->CellEditor());
        ASSERT_NE(editor, nullptr);
        editor->setFocus(Qt::MouseFocusReason);
        editor->selectAll();
        for (QChar c : text) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
        ASSERT_TRUE(form->Grid->OwnsWidget(QApplication::focusWidget()));
    };

    // The File menu shown (as a click on the menu bar shows it), then Save.
    typeInto(0, QStringLiteral("555"));
    QMenu* file = m.Menu(QStringLiteral("FileMenu"));
    ASSERT_NE(file, nullptr);
    file->popup(m.mapToGlobal(QPoint(10, 10)));
    QApplication::processEvents();
    file->close();
    m.Action(QStringLiteral("FileSave"))->trigger();
    EXPECT_EQ(SavedSoilRow(path, 0), QStringLiteral("1 555 110 0.35 0.05 1 0.35 0.1 0"));

    // Ctrl+S, the key typed in the cell editor.
    typeInto(1, QStringLiteral("620"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_EQ(SavedSoilRow(path, 1), QStringLiteral("2 620 115 0.35 0.05 1 0.35 0.1 0"));
    EXPECT_EQ(recorder.Count(), 0) << recorder.LastText().toStdString();

    // A text that is no number: the message, the user stays in the cell, nothing is saved.
    typeInto(0, QStringLiteral("6x"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_EQ(recorder.Count(), 1);
    EXPECT_TRUE(form->Grid->OwnsWidget(QApplication::focusWidget()));
    EXPECT_EQ(SavedSoilRow(path, 0), QStringLiteral("1 555 110 0.35 0.05 1 0.35 0.1 0"));
    EXPECT_EQ(form->Grid->item(0, 0)->text(), QStringLiteral("6x"));
}
