// The life of the main window's child windows: one window of every kind open at once (data
// forms, table editors with a cell being edited, result graphs, the amplitude dialog, top and
// side views and, where a GL context exists, the 3-D view), then New, Open, a drop, a unit switch
// or Exit. Each must end without a crash (the sanitizer build runs these) and with every child
// closed and the main window in the state of the command.
#pragma once

#include "ampplot.h"
#include "registerwindows.h"
#include "mainform.h"
#include "plotform.h"
#include "pltdata.h"
#include "sideview.h"
#include "table/table.h"
#include "table/tableform.h"
#include "util/messages.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPointer>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <memory>

namespace lifecycle {

class Scenario {
public:
    // `register3D` registers the 3-D view's maker (it needs a GL context).
    explicit Scenario(const std::function<void(TMainForm&)>& register3D = {}) : m_with3D(bool(register3D))
    {
        EXPECT_TRUE(work.isValid());
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, work.filePath(QStringLiteral("settings")));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, work.filePath(QStringLiteral("settings")));
        main = std::make_unique<TMainForm>();
        RegisterWindows::RegisterForms(*main);
        RegisterWindows::RegisterViews(*main);
        if (register3D) register3D(*main);
        main->CreateDialogs();
        main->OpenDialog = [this](const QString&) { return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst(); };
        main->SaveDialog = [](const QString&, const QString&) { return QString(); };
        main->resize(1200, 900);
        main->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(main.get()));
        main->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(main.get()));
    }

    ~Scenario()
    {
        main.reset();
        // Deferred deletions of the closed windows run now, while the test still watches.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // A copy of an example project (with its mass file) in the work folder.
    QString Example(const QString& example, const QString& name)
    {
        const QString from = QStringLiteral(TREMEX_SOURCE_DIR "/examples/") + example;
        const QString to = work.filePath(name);
        for (const char* ext : {".tmx", ".tmm"}) {
            QString target = to;
            target.replace(QStringLiteral(".tmx"), QLatin1String(ext));
            QFile::remove(target);
            QFile::copy(from + QLatin1String(ext), target);
            QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
        }
        return to;
    }

    void Trigger(const char* action) { main->Action(QString::fromLatin1(action))->trigger(); }

    // Opens one window of every kind the main window offers and leaves a grid cell being edited
    // in a table editor that has the focus.
    void OpenEveryChild()
    {
        for (int k = 0; k < int(TChildKind::Count); ++k) {
            const auto kind = TChildKind(k);
            if (kind == TChildKind::Block) continue;
            try {
                main->ShowChild(kind);
            } catch (const Exception&) {
                // A form that does not fit the project says so; the others stay open.
            }
        }
        for (TGridTable* table : main->Tables().All())
            if (table->VisibleColumnCount() > 0) table->ShowEditor();
        for (TGraphPlot* plot : main->Plots()) plot->ShowPlot();
        if (QDialog* amp = main->findChild<TDlgAmpPlot*>()) amp->show();
        if (m_with3D) main->Open3DView();
        QTest::qWait(50);
        EditCellOf(main->Tables().Pilecoord);
    }

    // The table editor of `table` active, its grid focused and a cell editor open in it.
    void EditCellOf(TGridTable* table)
    {
        auto* form = dynamic_cast<TTableForm*>(table->Editor());
        ASSERT_NE(form, nullptr);
        // The main window active again (the amplitude dialog and the quadratic loading form are
        // windows of their own; an X server without a window manager may not pass activation).
        main->activateWindow();
        if (!QTest::qWaitForWindowActive(main.get(), 1000)) QApplication::setActiveWindow(main.get());
        form->Show();
        QApplication::processEvents();
        form->Grid->setFocus(Qt::OtherFocusReason);
        form->Grid->setCurrentCell(form->HeaderRows(), 1);
        form->Grid->EditCurrentCell();
        QApplication::processEvents();
        ASSERT_TRUE(form->Grid->OwnsWidget(QApplication::focusWidget()))
            << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className() : "none");
    }

    int OpenKinds() const
    {
        int n = 0;
        for (int k = 0; k < int(TChildKind::Count); ++k) n += main->Child(TChildKind(k)) != nullptr;
        return n;
    }

    int OpenEditors() const
    {
        int n = 0;
        for (TGridTable* table : main->Tables().All()) n += table->Editor() != nullptr;
        return n;
    }

    // The state after a command that closed every child window.
    void ExpectAllClosed()
    {
        for (int i = 0; i < 5; ++i) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QApplication::processEvents();
        }
        EXPECT_EQ(OpenKinds(), 0);
        EXPECT_EQ(OpenEditors(), 0);
        EXPECT_TRUE(main->MdiArea()->subWindowList().isEmpty());
        EXPECT_TRUE(main->BlockToolBar()->isHidden());
        EXPECT_FALSE(main->Action(QStringLiteral("FileSaveBitmap"))->isVisible());
    }

    void Drop(const QString& path)
    {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        // Through the window as the platform delivers a drag: enter, then drop.
        const QPoint at = main->MdiArea()->mapTo(main.get(), QPoint(5, 5));
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(main->windowHandle(), &enter);
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(main->windowHandle(), &drop);
    }

    QTemporaryDir work;
    MessageRecorder recorder;
    ScopedMessageSink sink{&recorder};
    std::unique_ptr<TMainForm> main;
    QStringList openAnswers;
    bool With3D() const { return m_with3D; }

private:
    bool m_with3D;
};

// The test bodies, shared by the offscreen suite and the 3-D suite.

inline void NewClosesEveryChild(Scenario& s)
{
    s.main->OpenFileName(s.Example(QStringLiteral("pile-group-random"), QStringLiteral("first.tmx")));
    s.OpenEveryChild();
    ASSERT_GE(s.OpenKinds(), 10);
    ASSERT_GE(s.OpenEditors(), 3);
    s.recorder.QueueAnswer(MessageSink::Answer::No);
    s.Trigger("FileNew");
    s.ExpectAllClosed();
    EXPECT_EQ(s.main->windowTitle().toStdString(), std::string("TREMEX 3.0.11 - NewData"));
    EXPECT_FALSE(s.main->IsModified());
}

inline void OpenClosesEveryChild(Scenario& s)
{
    s.main->OpenFileName(s.Example(QStringLiteral("pile-group-random"), QStringLiteral("first.tmx")));
    s.OpenEveryChild();
    s.openAnswers << s.Example(QStringLiteral("single-pile-harmonic"), QStringLiteral("second.tmx"));
    s.recorder.QueueAnswer(MessageSink::Answer::No);
    s.Trigger("FileOpen");
    s.ExpectAllClosed();
    EXPECT_EQ(s.main->windowTitle().toStdString(), std::string("TREMEX 3.0.11 - Second"));
    EXPECT_EQ(s.main->PrevFiles().first().toStdString(), s.work.filePath(QStringLiteral("second.tmx")).toStdString());
    // The new project's windows open again.
    s.OpenEveryChild();
    EXPECT_GE(s.OpenKinds(), 10);
}

inline void DropClosesEveryChild(Scenario& s)
{
    s.main->OpenFileName(s.Example(QStringLiteral("pile-group-random"), QStringLiteral("first.tmx")));
    s.OpenEveryChild();
    s.recorder.QueueAnswer(MessageSink::Answer::No);
    s.Drop(s.Example(QStringLiteral("halfspace-harmonic"), QStringLiteral("dropped.tmx")));
    s.ExpectAllClosed();
    EXPECT_EQ(s.main->windowTitle().toStdString(), std::string("TREMEX 3.0.11 - Dropped"));
}

// A unit switch reopens the table editors (one of them holding the focus in a cell editor) and
// reloads the open forms.
inline void UnitSwitchReopensTheEditors(Scenario& s)
{
    s.main->OpenFileName(s.Example(QStringLiteral("pile-group-random"), QStringLiteral("first.tmx")));
    s.OpenEveryChild();
    const int editors = s.OpenEditors();
    // The editor reopened first holds the focus when it is freed (the later ones lose it to
    // the editors reopened before them).
    TGridTable* first = nullptr;
    for (TGridTable* table : s.main->Tables().All())
        if (!first && table->Editor()) first = table;
    ASSERT_NE(first, nullptr);
    s.EditCellOf(first);
    s.Trigger("DataEnglish");
    QApplication::processEvents();
    EXPECT_EQ(s.OpenEditors(), editors);
    s.EditCellOf(first);
    s.Trigger("DataSI");
    QApplication::processEvents();
    EXPECT_EQ(s.OpenEditors(), editors);
    s.recorder.QueueAnswer(MessageSink::Answer::No);
    s.Trigger("FileNew");
    s.ExpectAllClosed();
}

// What the user sees of the child windows: each one in stacking order (the front one last) with
// its caption, state, place and the place of its contents; which one is active; the main caption.
inline std::string Layout(TMainForm& main)
{
    QStringList lines;
    auto rect = [](const QRect& r) {
        return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    };
    for (QMdiSubWindow* sub : main.MdiArea()->subWindowList(QMdiArea::StackingOrder)) {
        QString state = sub->isMaximized() ? QStringLiteral("maximized")
                        : sub->isMinimized() ? QStringLiteral("minimized")
                                             : QStringLiteral("normal");
        if (!sub->isVisible()) state += QStringLiteral(" hidden");
        QString line = QStringLiteral("%1 | %2 | %3").arg(sub->widget()->windowTitle(), state, rect(sub->geometry()));
        if (sub->isMaximized()) line += QStringLiteral(" | contents ") + rect(sub->widget()->geometry());
        if (sub == main.MdiArea()->activeSubWindow()) line += QStringLiteral(" | active");
        lines << line;
    }
    lines << QStringLiteral("caption ") + main.windowTitle();
    return lines.join(QLatin1Char('\n')).toStdString();
}

// The example's analysis run, a result graph (it opens maximized), a data form, a table editor and
// a view (the 3-D view where a GL context exists), opened one after another as from the menus; then
// Data > Units > English and back to SI. Every child stays where and as it was: the same stacking
// order and active window, each maximized or normal as before at its place, a maximized one's
// contents filling it, and the main caption unchanged.
inline void UnitSwitchKeepsTheWindowLayout(Scenario& s)
{
    s.main->OpenFileName(s.Example(QStringLiteral("halfspace-harmonic"), QStringLiteral("first.tmx")));
    s.Trigger("CompRun");
    ASSERT_TRUE(s.main->PlotDataRead()) << s.recorder.LastText().toStdString();
    s.main->GraphicsMenuClick();
    s.Trigger("GraphKxx");
    s.main->DataMenuClick();
    s.Trigger("DataTipSoil");
    s.Trigger("DataSideSoil");
    QTest::qWait(50);
    const auto sideSoilFrame = [&s] {
        auto* editor = dynamic_cast<QWidget*>(s.main->Tables().D1->Editor());
        return editor ? qobject_cast<QMdiSubWindow*>(editor->parentWidget()) : nullptr;
    };
    ASSERT_NE(sideSoilFrame(), nullptr);
    // Opened while a maximized window was active, the editor is maximized: it fills the area and
    // its contents fill it.
    ASSERT_TRUE(sideSoilFrame()->isMaximized()) << Layout(*s.main);
    EXPECT_EQ(sideSoilFrame()->geometry(), s.main->MdiArea()->viewport()->rect());
    EXPECT_EQ(sideSoilFrame()->widget()->geometry(), sideSoilFrame()->contentsRect());
    // A view in front of the editor: the 3-D view where it can be drawn, else the top view.
    s.Trigger(s.With3D() ? "View3D" : "ViewTop");
    QTest::qWait(50);
    const std::string before = Layout(*s.main);
    ASSERT_EQ(s.main->MdiArea()->subWindowList().size(), 4) << before;
    const QString header = dynamic_cast<TTableForm*>(s.main->Tables().D1->Editor())->Grid->horizontalHeaderItem(1)->text();

    s.Trigger("DataEnglish");
    QTest::qWait(50);
    EXPECT_EQ(Layout(*s.main), before);
    ASSERT_NE(sideSoilFrame(), nullptr);
    EXPECT_NE(dynamic_cast<TTableForm*>(s.main->Tables().D1->Editor())->Grid->horizontalHeaderItem(1)->text(), header)
        << "the editor shows the new units";

    s.Trigger("DataSI");
    QTest::qWait(50);
    EXPECT_EQ(Layout(*s.main), before);

    // The same from a layout of normal windows with the editor in front of the others.
    s.main->MdiArea()->activeSubWindow()->showNormal();
    for (QMdiSubWindow* sub : s.main->MdiArea()->subWindowList()) sub->showNormal();
    s.main->MdiArea()->cascadeSubWindows();
    s.main->MdiArea()->setActiveSubWindow(sideSoilFrame());
    QTest::qWait(50);
    const std::string cascaded = Layout(*s.main);
    ASSERT_EQ(s.main->MdiArea()->activeSubWindow(), sideSoilFrame());
    ASSERT_EQ(s.main->MdiArea()->subWindowList(QMdiArea::StackingOrder).last(), sideSoilFrame()) << cascaded;
    s.Trigger("DataEnglish");
    QTest::qWait(50);
    EXPECT_EQ(Layout(*s.main), cascaded);
}

// Exit with a changed project: Yes saves and closes, No closes without saving, Cancel keeps the
// window and every child open.
inline void ExitWithTheSavePrompt(Scenario& s, MessageSink::Answer answer)
{
    const QString path = s.Example(QStringLiteral("pile-group-random"), QStringLiteral("first.tmx"));
    s.main->OpenFileName(path);
    s.OpenEveryChild();
    const int kinds = s.OpenKinds();
    s.main->Data().ProjectTitle = QStringLiteral("Changed before exit");
    s.main->SetModified(true);
    QFile::remove(path);
    s.recorder.QueueAnswer(answer);
    s.Trigger("FileExit");
    QApplication::processEvents();
    ASSERT_FALSE(s.recorder.Messages().isEmpty());
    EXPECT_EQ(s.recorder.Messages().last().text.toStdString(), "Do you want to save any changes?");
    if (answer == MessageSink::Answer::Cancel) {
        EXPECT_TRUE(s.main->isVisible());
        EXPECT_EQ(s.OpenKinds(), kinds);
        EXPECT_FALSE(QFile::exists(path));
        return;
    }
    EXPECT_FALSE(s.main->isVisible());
    s.ExpectAllClosed();
    EXPECT_EQ(QFile::exists(path), answer == MessageSink::Answer::Yes);
}

}  // namespace lifecycle
