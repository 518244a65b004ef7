// Screenshots of the main window, for looking at (run under a virtual X server):
//     QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" build/bin/mainform_shots <output folder>
// The multilayer example is run through the real engine; then a table editor and a data form
// in the frame, the Data menu open over them, a plot of the run, the about box and the
// progress window. Each picture's path is printed.
#include "about.h"
#include "registerwindows.h"
#include "mainform.h"
#include "progress.h"
#include "util/messages.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <clocale>
#include <cstdio>

namespace {

void Save(const QPixmap& picture, const QString& path)
{
    picture.save(path);
    std::printf("%s\n", qPrintable(path));
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    if (argc < 2) {
        std::fprintf(stderr, "usage: mainform_shots <output folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder);
    // The project and its run files in a folder of their own; the settings of this run only.
    QTemporaryDir work;
    if (!work.isValid()) return 1;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, work.filePath(QStringLiteral("settings")));
    const QString project = work.filePath(QStringLiteral("turbine.tmx"));
    QFile::copy(QStringLiteral(TREMEX_SOURCE_DIR "/examples/multilayer-harmonic.tmx"), project);
    QFile::copy(QStringLiteral(TREMEX_SOURCE_DIR "/examples/multilayer-harmonic.tmm"),
                work.filePath(QStringLiteral("turbine.tmm")));

    MessageRecorder recorder;
    ScopedMessageSink sink(&recorder);
    TMainForm m;
    m.SetEngineLibraryPath(QStringLiteral(TREMCALC_PATH));
    m.SetCommandLine({project});
    RegisterWindows::RegisterForms(m);
    m.CreateDialogs();
    m.resize(1200, 900);
    m.move(20, 20);
    m.show();
    QTest::qWait(500);
    // The run, so that the plots have data, then a table editor in the frame.
    m.CompRunClick();
    for (const QString& t : recorder.Texts()) std::printf("message: %s\n", qPrintable(t));
    m.Action(QStringLiteral("DataFoundationLayer"))->setEnabled(true);
    m.Action(QStringLiteral("DataFoundationLayer"))->trigger();
    m.Action(QStringLiteral("DataFoundations"))->setEnabled(true);
    m.Action(QStringLiteral("DataFoundations"))->trigger();
    QTest::qWait(300);
    Save(m.grab(), folder + QStringLiteral("/mainform-table.png"));

    // The Data menu open over it.
    QMenu* data = m.Menu(QStringLiteral("DataMenu"));
    m.menuBar()->setActiveAction(data->menuAction());
    QTest::qWait(500);
    Save(QGuiApplication::primaryScreen()->grabWindow(0), folder + QStringLiteral("/mainform-menu.png"));
    data->hide();

    // A plot of the run.
    m.Action(QStringLiteral("GraphKxx"))->setEnabled(true);
    m.Action(QStringLiteral("GraphKxx"))->trigger();
    QTest::qWait(300);
    Save(m.grab(), folder + QStringLiteral("/mainform-plot.png"));

    // The about box and the progress window.
    m.AboutBox()->show();
    m.ProgressWindow()->show();
    QTest::qWait(300);
    Save(m.AboutBox()->grab(), folder + QStringLiteral("/about.png"));
    Save(m.ProgressWindow()->grab(), folder + QStringLiteral("/progress.png"));
    m.ProgressWindow()->hide();
    m.AboutBox()->hide();
    m.SetModified(false);
    return 0;
}
