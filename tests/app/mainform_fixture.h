// Shared set-up of the main-window tests: one QApplication, settings in a temporary folder,
// a message recorder, file dialogs answered by the test, and copies of the example projects.
#pragma once

#include "mainform.h"
#include "plotform.h"
#include "pltdata.h"
#include "progress.h"
#include "util/messages.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include "qt_test.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

#ifndef TREMEX_TEST_PRINT_QSTRING
#define TREMEX_TEST_PRINT_QSTRING
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
#endif

// What the main window says after a run that computed its results.
inline const QString kCompleted =
    QStringLiteral("Computations are completed. Please, check output file for results or error messages.");

// The points of every graph of the main window: 0 when no plots are shown.
inline int PointsShown(const TMainForm& m)
{
    int points = 0;
    for (const TGraphPlot* p : m.Plots()) points += p->PointCount();
    return points;
}

class MainFormTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { TestSupport::EnsureApplication("app_tests"); }

    // A key pressed by the user: to the active window, as the platform delivers it.
    static void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* active = QApplication::activeWindow();
        ASSERT_NE(active, nullptr);
        QTest::keyClick(active->windowHandle(), key, modifiers);
        QApplication::processEvents();
    }

    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        // Settings of this test only.
        TestSupport::IsolateSettings(work.filePath(QStringLiteral("settings")));
        startFolder = QDir::currentPath();
    }

    void TearDown() override
    {
        main.reset();
        QDir::setCurrent(startFolder);
    }

    // A main window whose file dialogs answer with the queued paths (empty: Cancel).
    TMainForm& Make(const QStringList& arguments = {})
    {
        main = std::make_unique<TMainForm>();
        main->SetCommandLine(arguments);
        main->OpenDialog = [this](const QString&) { return openAnswers.isEmpty() ? QString() : openAnswers.takeFirst(); };
        main->SaveDialog = [this](const QString& title, const QString&) {
            saveTitles << title;
            return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
        };
        main->StartWatched = [this](const QString& program, const QStringList& arguments,
                                    std::function<void(const QString&)> failed) {
            watched << (QStringList{program} + arguments);
            if (!startResult) return false;
            if (openerFails) failed(QStringLiteral("the program %1 ended with the failure status 3").arg(program));
            return true;
        };
        main->OpenUrl = [this](const QUrl& url) {
            urls << url;
            return true;
        };
        return *main;
    }

    // A copy of an example project (with its mass file) in the work folder under `name`.
    QString CopyExample(const QString& example, const QString& name)
    {
        const QString from = QStringLiteral(TREMEX_SOURCE_DIR "/examples/") + example;
        const QString to = work.filePath(name);
        QFile::remove(to);
        EXPECT_TRUE(QFile::copy(from + QStringLiteral(".tmx"), to)) << from.toStdString();
        QString mass = to;
        mass.replace(QStringLiteral(".tmx"), QStringLiteral(".tmm"));
        QFile::remove(mass);
        QFile::copy(from + QStringLiteral(".tmm"), mass);
        QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
        QFile::setPermissions(mass, QFile::ReadOwner | QFile::WriteOwner);
        return to;
    }

    // The main window with its dialogs, shown as at start-up, on the project `project`.
    TMainForm& MakeShownOn(const QString& project)
    {
        TMainForm& m = Make();
        m.CreateDialogs();
        m.FormShow();
        m.OpenFileName(project);
        return m;
    }

    // The main window shown with its dialogs on a copy of the harmonic half-space example
    // (`slow.tmx`), whose runs go to the engine library `engine` (a slow stand-in, so that a test
    // can act while the run lasts).
    TMainForm& MakeShownRunning(const QString& engine)
    {
        const QString project = CopyExample(QStringLiteral("halfspace-harmonic"), QStringLiteral("slow.tmx"));
        TMainForm& m = Make();
        m.CreateDialogs();
        m.show();
        m.OpenFileName(project);
        m.SetEngineLibraryPath(engine);
        return m;
    }

    static QByteArray ReadBytes(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static void WriteBytes(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    QTemporaryDir work;
    QString startFolder;
    MessageRecorder recorder;
    ScopedMessageSink sink{&recorder};
    std::unique_ptr<TMainForm> main;
    QStringList openAnswers, saveAnswers, saveTitles;
    bool startResult = true;
    QList<QStringList> watched;  // the text editor's and the desktop opener's starts
    bool openerFails = false;    // the program ends with an error (no application for the file)
    QList<QUrl> urls;
};
