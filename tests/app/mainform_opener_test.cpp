// The text editor items of the Computation menu and Help > User's Manual through the real,
// watched start of the program (ShellOpen::StartWatched), with stand-ins on the PATH and in the
// settings: a desktop opener that fails as xdg-open does on a desktop without a method for the
// file ("no method available", a failure status), an editor that ends with a failure, one that
// is not there, and one that works.
#include "mainform_fixture.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

class OpenerTest : public MainFormTest {
protected:
    void SetUp() override
    {
        MainFormTest::SetUp();
        bin = work.filePath(QStringLiteral("bin"));
        QDir().mkpath(bin);
        oldPath = qgetenv("PATH");
        qputenv("PATH", bin.toLocal8Bit() + ':' + oldPath);
    }
    void TearDown() override
    {
        qputenv("PATH", oldPath);
        MainFormTest::TearDown();
    }

    // A shell script of the given body; returns its path.
    QString Script(const QString& name, const QByteArray& body)
    {
        const QString path = QDir(bin).filePath(name);
        WriteBytes(path, "#!/bin/sh\n" + body);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    }
    // The desktop opener of a desktop that has no program for the file (its own message is the
    // one quoted, not the line of the shell after it).
    void FailingOpener()
    {
        Script(QStringLiteral("xdg-open"),
               "echo \"$1\" >> \"$(dirname \"$0\")/opened\"\n"
               "echo \"xdg-open: no method available for opening '$1'\" >&2\n"
               "echo \"/usr/bin/xdg-open: 811: x-terminal-emulator: not found\" >&2\nexit 4\n");
    }
    QStringList Opened() const
    {
        QFile f(QDir(bin).filePath(QStringLiteral("opened")));
        if (!f.open(QIODevice::ReadOnly)) return {};
        return QString::fromLocal8Bit(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    // The main window with its own start of the programs (none replaced).
    TMainForm& MakeWatched()
    {
        main = std::make_unique<TMainForm>();
        main->SetCommandLine({});
        main->FormShow();
        return *main;
    }
    // Waits for the message a watched program's end brings.
    void WaitForMessages(int count)
    {
        for (int i = 0; i < 500 && recorder.Count() < count; ++i) QTest::qWait(10);
    }

    QString bin;
    QByteArray oldPath;
};

TEST_F(OpenerTest, EveryEditorItemTellsWhichFileTheFailingOpenerCouldNotShowAndWhatToDo)
{
    FailingOpener();
    const QString path = CopyExample(QStringLiteral("halfspace-harmonic"), QStringLiteral("pump.tmx"));
    WriteBytes(work.filePath(QStringLiteral("pump.tmo")), "report\n");
    WriteBytes(work.filePath(QStringLiteral("pump.tmr")), "notes\n");
    TMainForm& m = MakeWatched();
    m.OpenFileName(path);
    ASSERT_EQ(m.WordProcessorPath(), QStringLiteral("xdg-open"));
    struct Case {
        const char* action;
        const char* file;
    };
    for (const Case& c : {Case{"CompInput", "pump.tmx"}, Case{"CompKernel", "pump.tmr"}, Case{"CompOutput", "pump.tmo"}}) {
        SCOPED_TRACE(c.action);
        recorder.Clear();
        m.CompMenuClick();
        ASSERT_TRUE(m.Action(QString::fromLatin1(c.action))->isEnabled());
        m.Action(QString::fromLatin1(c.action))->trigger();
        WaitForMessages(1);
        ASSERT_EQ(recorder.Count(), 1) << "the opener's failure is told";
        const QString file = work.filePath(QString::fromLatin1(c.file));
        EXPECT_EQ(recorder.LastText(),
                  QStringLiteral("An error occurred in running the Word Processor\r"
                                 "The file %1 could not be shown: the program xdg-open ended with the failure "
                                 "status 4 (xdg-open: no method available for opening '%1').\r"
                                 "Name a text editor under Text Editor in Data > Control Options, or open the "
                                 "file by hand.")
                      .arg(file));
        EXPECT_EQ(Opened().last(), file);
    }

    // The opener named as the text editor, as Control Options stores it once it has been open.
    recorder.Clear();
    const QString report = work.filePath(QStringLiteral("pump.tmo"));
    m.SetWordProcessorPath(QStringLiteral("xdg-open"));
    m.OpenInEditor(report);
    WaitForMessages(1);
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_TRUE(recorder.LastText().contains(QStringLiteral("no method available"))) << recorder.LastText().toStdString();

    // A text editor named in the settings that ends with a failure, one that is not there, and
    // one that shows the file.
    recorder.Clear();
    m.SetWordProcessorPath(Script(QStringLiteral("brokeneditor"), "exit 2\n"));
    m.OpenInEditor(report);
    WaitForMessages(1);
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_TRUE(recorder.LastText().contains(
        QStringLiteral("The file %1 could not be shown: the program brokeneditor ended with the failure status 2.")
            .arg(report)))
        << recorder.LastText().toStdString();
    recorder.Clear();
    m.SetWordProcessorPath(QStringLiteral("no-such-editor --wait"));
    m.OpenInEditor(report);
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_TRUE(recorder.LastText().contains(
        QStringLiteral("The file %1 could not be shown: the program no-such-editor could not be started.").arg(report)))
        << recorder.LastText().toStdString();
    recorder.Clear();
    m.SetWordProcessorPath(Script(QStringLiteral("goodeditor"), "echo \"$1\" > \"$(dirname \"$0\")/edited\"\n"));
    m.OpenInEditor(report);
    for (int i = 0; i < 500 && !QFileInfo::exists(QDir(bin).filePath(QStringLiteral("edited"))); ++i) QTest::qWait(10);
    QTest::qWait(100);
    EXPECT_TRUE(QFileInfo::exists(QDir(bin).filePath(QStringLiteral("edited"))));
    EXPECT_EQ(recorder.Count(), 0) << recorder.LastText().toStdString();
}

TEST_F(OpenerTest, TheManualThatTheOpenerCannotShowIsToldWithItsPath)
{
    const QString manual = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Tremx v3 Manual.pdf"));
    if (!QFileInfo::exists(manual)) GTEST_SKIP() << "the build made no manual";
    FailingOpener();
    TMainForm& m = MakeWatched();
    m.Action(QStringLiteral("HelpManual"))->trigger();
    WaitForMessages(1);
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_EQ(recorder.LastText(),
              QStringLiteral("The file %1 could not be shown: the program xdg-open ended with the failure status 4 "
                             "(xdg-open: no method available for opening '%1').\r"
                             "Open the file by hand with a program that shows PDF files; Help > Contents shows the "
                             "same manual.")
                  .arg(manual));
    EXPECT_EQ(Opened(), QStringList{manual});
}

TEST_F(OpenerTest, HelpContentsOpensTheProgramsOwnWindowWithoutTheOpener)
{
    const QString contents = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("help/index.html"));
    if (!QFileInfo::exists(contents)) GTEST_SKIP() << "the build made no help pages";
    FailingOpener();
    TMainForm& m = MakeWatched();
    m.Action(QStringLiteral("HelpContents"))->trigger();
    QTest::qWait(50);
    EXPECT_EQ(recorder.Count(), 0) << recorder.LastText().toStdString();
    EXPECT_TRUE(Opened().isEmpty()) << "the desktop's opener is not asked";
    auto* help = m.findChild<QWidget*>(QStringLiteral("HelpWindow"));
    ASSERT_NE(help, nullptr) << "the program's own help window";
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->isWindow());
}

}  // namespace
