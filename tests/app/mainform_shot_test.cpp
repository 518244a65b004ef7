// Screenshots of the main window for looking at (run by hand under a virtual X server):
//   TREMEX_SHOT_DIR=/tmp/shots QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24"
//       build/bin/app_tests --gtest_filter='MainFormShot*'  (one command line)
// Without TREMEX_SHOT_DIR the test is skipped.
#include "mainform_fixture.h"

#include "about.h"
#include "registerwindows.h"
#include "projecttables.h"
#include "table/table.h"

#include <QGuiApplication>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QElapsedTimer>

namespace {

using MainFormShot = MainFormTest;

void Wait(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

TEST_F(MainFormShot, MainWindowWithATableEditorAndAMenu)
{
    const QString folder = qEnvironmentVariable("TREMEX_SHOT_DIR");
    if (folder.isEmpty()) GTEST_SKIP() << "TREMEX_SHOT_DIR not set";
    QDir().mkpath(folder);
    const QString project = CopyExample(QStringLiteral("multilayer-harmonic"), QStringLiteral("turbine.tmx"));
    TMainForm& m = Make({project});
    RegisterWindows::RegisterForms(m);
    m.CreateDialogs();
    m.resize(1200, 900);
    m.move(20, 20);
    m.show();
    Wait(500);
    // The run, so that the plots have data, then a table editor in the frame.
    m.CompRunClick();
    m.Action(QStringLiteral("DataFoundationLayer"))->setEnabled(true);
    m.Action(QStringLiteral("DataFoundationLayer"))->trigger();
    m.Action(QStringLiteral("DataFoundations"))->setEnabled(true);
    m.Action(QStringLiteral("DataFoundations"))->trigger();
    Wait(300);
    m.grab().save(folder + QStringLiteral("/mainform-table.png"));

    // The Data menu open over it.
    QMenu* data = m.Menu(QStringLiteral("DataMenu"));
    m.menuBar()->setActiveAction(data->menuAction());
    Wait(500);
    QGuiApplication::primaryScreen()->grabWindow(0).save(folder + QStringLiteral("/mainform-menu.png"));
    data->hide();

    // A plot of the run.
    m.Action(QStringLiteral("GraphKxx"))->setEnabled(true);
    m.Action(QStringLiteral("GraphKxx"))->trigger();
    Wait(300);
    m.grab().save(folder + QStringLiteral("/mainform-plot.png"));

    // The about box and the progress window.
    m.AboutBox()->show();
    m.ProgressWindow()->show();
    Wait(300);
    m.AboutBox()->grab().save(folder + QStringLiteral("/about.png"));
    m.ProgressWindow()->grab().save(folder + QStringLiteral("/progress.png"));
    m.ProgressWindow()->hide();
    m.AboutBox()->hide();
    m.SetModified(false);
}

}  // namespace
