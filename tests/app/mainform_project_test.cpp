// The main window's project commands: start-up with a command-line project, New, Open, Save,
// Save As, the save prompt, a dropped file, closing the window, and the recent-file list with
// its settings.
#include "mainform_fixture.h"

#include "util/docfolder.h"

#include "dataunit.h"
#include "projecttables.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Answer = MessageSink::Answer;

TEST_F(MainFormTest, CaptionNames)
{
    const struct {
        const char* path;
        const char* name;
    } cases[] = {
        {"/jobs/pump.tmx", "Pump"}, {"a.tmx", "a"},          {"/x/pump.TMX", "Pump"},
        {"/x/pump.dat", "Pump.dat"}, {"/x/my.job.tmx", "My"}, {"NewData.tmx", "NewData"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TMainForm::CaptionName(QString::fromLatin1(c.path)), QString::fromLatin1(c.name)) << c.path;
}

TEST_F(MainFormTest, StartsWithTheCommandLineProjectAndItsPlotData)
{
    const QString pump = CopyExample(QStringLiteral("halfspace-harmonic"), QStringLiteral("pump.tmx"));
    // A plot-data file beside it is read at start.
    WriteBytes(work.filePath(QStringLiteral("pump.tmq")),
               "2\n 6.2832 1 2 3 4 5 6 7 8\n 6.2832 1 2 3 4 5 6 7 8\n"
               " 12.5664 1 2 3 4 5 6 7 8\n 12.5664 1 2 3 4 5 6 7 8\n"
               " 6.2832 1 2 3 4 5 6\n 12.5664 1 2 3 4 5 6\n");

    TMainForm& m = Make({work.filePath(QStringLiteral("pump"))});  // ".tmx" appended
    m.FormShow();
    EXPECT_EQ(m.windowTitle(), QStringLiteral("TREMEX 3.0.11 - Pump"));
    EXPECT_EQ(m.Data().FileName, pump);
    EXPECT_EQ(m.Data().ProjectTitle, QStringLiteral("Compressor block on dense sand"));
    EXPECT_FALSE(m.IsModified());
    EXPECT_TRUE(m.PlotDataRead());
    EXPECT_EQ(m.Plot(QStringLiteral("pltDxyzR"))->PointCount(), 2);
    EXPECT_EQ(m.PrevFileCount(), 0) << "the command line leaves the recent files alone";
    EXPECT_EQ(recorder.Count(), 0);

    // "pump.dat" is looked for as it is: there is none, so a new project starts silently.
    TMainForm& other = Make({work.filePath(QStringLiteral("pump.dat"))});
    other.FormShow();
    EXPECT_EQ(other.Data().FileName, DataUnit::kNewFileName);
    EXPECT_EQ(other.windowTitle(), QStringLiteral("TREMEX 3.0.11 - NewData"));
    EXPECT_FALSE(other.PlotDataRead());
    EXPECT_EQ(recorder.Count(), 0);
}

TEST_F(MainFormTest, ABadCommandLineProjectIsReportedAndANewProjectStays)
{
    WriteBytes(work.filePath(QStringLiteral("bad.tmx")), "TITLE=x\nFOUNDATION=HALF-SPACE\nRECTANGULAR=six,4\n");
    TMainForm& m = Make({work.filePath(QStringLiteral("bad.tmx"))});
    m.FormShow();
    EXPECT_EQ(m.Data().FileName, DataUnit::kNewFileName);
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_EQ(recorder.Messages().first().kind, MessageSink::Kind::Error);
}

TEST_F(MainFormTest, NewOpenSaveRoundTripThroughTheFiles)
{
    const QString path = CopyExample(QStringLiteral("single-pile-harmonic"), QStringLiteral("pile.tmx"));
    TMainForm& m = Make();
    m.FormShow();

    openAnswers << path;
    m.FileOpenClick();
    EXPECT_EQ(m.Data().FileName, path);
    EXPECT_EQ(m.Data().FoundationWord, QStringLiteral("PILE"));
    EXPECT_EQ(m.windowTitle(), QStringLiteral("TREMEX 3.0.11 - Pile"));
    EXPECT_EQ(QDir::currentPath(), work.path()) << "the project's folder becomes current";
    EXPECT_EQ(m.PrevFiles().first(), path);

    // An edit, saved through Save, comes back through Open.
    m.Data().ProjectTitle = QStringLiteral("Pump foundation on piles");
    m.Tables().PileData->Cell(1, 0)->SetAsFloat(0.75L);
    m.SetModified(true);
    EXPECT_TRUE(m.IsModified());
    EXPECT_TRUE(m.FileSaveClick());
    EXPECT_FALSE(m.IsModified());
    EXPECT_TRUE(saveTitles.isEmpty()) << "a named project saves without the dialog";

    m.FileNewClick();
    EXPECT_EQ(recorder.Count(), 0) << "nothing to save: no prompt";
    EXPECT_EQ(m.Data().FileName, DataUnit::kNewFileName);
    EXPECT_EQ(m.Data().FoundationWord, QStringLiteral("HALF-SPACE"));
    EXPECT_EQ(m.windowTitle(), QStringLiteral("TREMEX 3.0.11 - NewData"));

    openAnswers << path;
    m.FileOpenClick();
    EXPECT_EQ(m.Data().ProjectTitle, QStringLiteral("Pump foundation on piles"));
    EXPECT_EQ(m.Tables().PileData->Cell(1, 0)->GetAsFloat(), 0.75L);

    // Save As under a new name: caption, recent list, the three files.
    const QString copy = work.filePath(QStringLiteral("copy.tmx"));
    saveAnswers << copy;
    EXPECT_TRUE(m.FileSaveAsClick());
    EXPECT_EQ(saveTitles.last(), QStringLiteral("Save Pile As"));
    EXPECT_EQ(m.windowTitle(), QStringLiteral("TREMEX 3.0.11 - Copy"));
    EXPECT_EQ(m.PrevFiles().mid(0, 2), (QStringList{copy, path}));
    for (const char* ext : {".tmx", ".tmm", ".tmt"})
        EXPECT_TRUE(QFileInfo::exists(work.filePath(QStringLiteral("copy") + QLatin1String(ext)))) << ext;
    EXPECT_EQ(ReadBytes(copy), ReadBytes(path)) << "the same project writes the same deck";
}

TEST_F(MainFormTest, SavePromptAnswers)
{
    TMainForm& m = Make();
    m.FormShow();
    const QString named = work.filePath(QStringLiteral("named.tmx"));

    // Yes on a project never saved, then Cancel in Save As: the command stops, nothing is lost.
    m.Data().ProjectTitle = QStringLiteral("Edited");
    m.SetModified(true);
    recorder.QueueAnswer(Answer::Yes);
    m.FileNewClick();
    EXPECT_EQ(recorder.LastText(), QStringLiteral("Do you want to save any changes?"));
    EXPECT_EQ(recorder.Messages().last().kind, MessageSink::Kind::Question);
    EXPECT_EQ(m.Data().ProjectTitle, QStringLiteral("Edited"));
    EXPECT_TRUE(m.IsModified());
    EXPECT_EQ(saveTitles, QStringList{QStringLiteral("Save NewData As")});

    // Cancel: nothing happens, no dialog.
    recorder.QueueAnswer(Answer::Cancel);
    openAnswers << named;
    m.FileOpenClick();
    EXPECT_EQ(m.Data().ProjectTitle, QStringLiteral("Edited"));
    EXPECT_EQ(openAnswers.size(), 1) << "no open dialog after Cancel";
    openAnswers.clear();

    // Closing the window: Yes, Save As cancelled: the window stays open.
    recorder.QueueAnswer(Answer::Yes);
    QCloseEvent close;
    QApplication::sendEvent(&m, &close);
    EXPECT_FALSE(close.isAccepted());

    // Yes with a name: the project is written, then the new project comes.
    recorder.QueueAnswer(Answer::Yes);
    saveAnswers << named;
    m.FileNewClick();
    EXPECT_TRUE(QFileInfo::exists(named));
    EXPECT_EQ(m.Data().ProjectTitle, QStringLiteral("New Pile"));
    EXPECT_FALSE(m.IsModified());

    // No: the edits go, the new project comes.
    m.Data().ProjectTitle = QStringLiteral("Dropped");
    m.SetModified(true);
    recorder.QueueAnswer(Answer::No);
    m.FileNewClick();
    EXPECT_EQ(m.Data().ProjectTitle, QStringLiteral("New Pile"));

    // A table edit alone counts as a change.
    m.Tables().D1->SetModified(true);
    EXPECT_TRUE(m.IsModified());
    const int before = recorder.Count();
    recorder.QueueAnswer(Answer::No);
    m.FileNewClick();
    EXPECT_EQ(recorder.Count(), before + 1);
    EXPECT_FALSE(m.IsModified());
}

TEST_F(MainFormTest, AFailedSaveInThePromptKeepsTheProject)
{
    const QString path = CopyExample(QStringLiteral("halfspace-harmonic"), QStringLiteral("locked.tmx"));
    TMainForm& m = Make();
    m.FormShow();
    m.OpenFileName(path);
    m.Data().ProjectTitle = QStringLiteral("Edited");
    m.SetModified(true);
    // Its folder has gone: the save fails.
    m.Data().FileName = work.filePath(QStringLiteral("gone/locked.tmx"));
    recorder.QueueAnswer(Answer::Yes);
    m.FileNewClick();
    ASSERT_EQ(recorder.Count(), 2);
    EXPECT_EQ(recorder.Messages().last().kind, MessageSink::Kind::Error);
    EXPECT_EQ(m.Data().ProjectTitle, QStringLiteral("Edited"));
    EXPECT_TRUE(m.IsModified());
}

TEST_F(MainFormTest, ADroppedFileOpensWithoutTouchingTheRecentList)
{
    const QString path = CopyExample(QStringLiteral("stratum-transient"), QStringLiteral("dropped.tmx"));
    TMainForm& m = Make();
    m.FormShow();
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path), QUrl::fromLocalFile(work.filePath(QStringLiteral("other.tmx")))});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    static_cast<QObject&>(m).event(&drop);  // as the window gets it at the end of a drag
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(m.Data().FileName, path);
    EXPECT_EQ(m.windowTitle(), QStringLiteral("TREMEX 3.0.11 - Dropped"));
    EXPECT_EQ(m.PrevFileCount(), 0);
}

TEST_F(MainFormTest, RecentFileListAndItsSettings)
{
    TMainForm& m = Make();
    m.FormShow();
    auto name = [this](int i) { return work.filePath(QStringLiteral("p%1.tmx").arg(i)); };
    for (int i = 1; i <= 11; ++i) m.UpdatePrevFile(name(i));
    // The eleventh pushed the first out; the newest is first.
    ASSERT_EQ(m.PrevFileCount(), 10);
    EXPECT_EQ(m.PrevFiles().first(), name(11));
    EXPECT_EQ(m.PrevFiles().last(), name(2));

    // Again the first: nothing changes.
    const QStringList before = m.PrevFiles();
    m.UpdatePrevFile(name(11));
    EXPECT_EQ(m.PrevFiles(), before);

    // The fifth moves to the front, the others keep their order.
    m.UpdatePrevFile(name(7));
    EXPECT_EQ(m.PrevFiles().mid(0, 6), (QStringList{name(7), name(11), name(10), name(9), name(8), name(6)}));
    EXPECT_EQ(m.PrevFileCount(), 10);

    // Letter case makes a different entry.
    const QString upper = work.filePath(QStringLiteral("P7.tmx"));
    m.UpdatePrevFile(upper);
    EXPECT_EQ(m.PrevFiles().mid(0, 2), (QStringList{upper, name(7)}));

    // The settings hold the list under "3.0.11", File1 to File10.
    {
        QSettings s(QStringLiteral("Halvane"), QStringLiteral("TREMEX"));
        s.beginGroup(QStringLiteral("3.0.11"));
        for (int i = 0; i < 10; ++i) EXPECT_EQ(s.value(QStringLiteral("File%1").arg(i + 1)).toString(), m.PrevFiles()[i]);
        EXPECT_TRUE(s.contains(QStringLiteral("Word Processor")));
    }

    // The File menu lists them, the current folder cut off.
    QDir::setCurrent(work.path());
    m.FileMenuClick();
    EXPECT_EQ(m.Action(QStringLiteral("FileRecent1"))->text(), QStringLiteral("1 P7.tmx"));
    EXPECT_EQ(m.Action(QStringLiteral("FileRecent2"))->text(), QStringLiteral("2 p7.tmx"));
    EXPECT_TRUE(m.Action(QStringLiteral("FileRecent10"))->isVisible());

    // A second main window reads them back at start, and the editor path too.
    {
        QSettings s(QStringLiteral("Halvane"), QStringLiteral("TREMEX"));
        s.beginGroup(QStringLiteral("3.0.11"));
        s.setValue(QStringLiteral("Word Processor"), QStringLiteral("/opt/My Editor/edit"));
    }
    const QStringList list = m.PrevFiles();
    TMainForm& second = Make();
    second.FormShow();
    EXPECT_EQ(second.PrevFiles(), list);
    EXPECT_EQ(second.PrevFileCount(), 10);
    EXPECT_EQ(second.WordProcessorPath(), QStringLiteral("/opt/My Editor/edit"));
}

TEST_F(MainFormTest, RecentItemOpensItsFileAndAShortListHidesTheRest)
{
    const QString a = CopyExample(QStringLiteral("halfspace-harmonic"), QStringLiteral("a1.tmx"));
    const QString b = CopyExample(QStringLiteral("stratum-transient"), QStringLiteral("b1.tmx"));
    TMainForm& m = Make();
    m.FormShow();
    m.OpenFileName(a);
    m.OpenFileName(b);
    EXPECT_EQ(m.PrevFileCount(), 2);
    QDir::setCurrent(QDir::rootPath());
    m.FileMenuClick();
    EXPECT_EQ(m.Action(QStringLiteral("FileRecent2"))->text(), QStringLiteral("2 ") + a.mid(1));
    EXPECT_FALSE(m.Action(QStringLiteral("FileRecent3"))->isVisible());
    m.Action(QStringLiteral("FileRecent2"))->trigger();
    EXPECT_EQ(m.Data().FileName, a);
    EXPECT_EQ(m.PrevFiles().mid(0, 2), (QStringList{a, b}));
}

}  // namespace

// A file whose folder's name is no UTF-8 text ("lat\xE9in", made on a system with another
// character set): given on the command line it is not opened silently as a new project; the
// message says which name cannot be held and why. The open dialog, which cannot list it, says
// the same of the folder.
TEST_F(MainFormTest, ANameThatIsNotUtf8IsToldWhyItCannotBeOpened)
{
    const QByteArray folder = QFile::encodeName(work.path()) + "/lat\xe9in";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    const QByteArray file = folder + "/caf\xe9.tmx";
    ASSERT_TRUE(QFile::copy(QStringLiteral(TREMEX_SOURCE_DIR "/examples/halfspace-harmonic.tmx"),
                            work.filePath(QStringLiteral("plain.tmx"))));
    ASSERT_EQ(::rename(QFile::encodeName(work.filePath(QStringLiteral("plain.tmx"))).constData(), file.constData()), 0);
    // Names the temporary folder cannot see to remove.
    struct TRemove {
        QByteArray file, folder;
        ~TRemove()
        {
            ::unlink(file.constData());
            ::rmdir(folder.constData());
        }
    } remove{file, folder};
    // The argument as the program receives it: its bytes taken as UTF-8.
    const QString argument = QString::fromLocal8Bit(file);
    ASSERT_TRUE(argument.contains(QChar::ReplacementCharacter));

    TMainForm& m = Make({argument});
    m.FormShow();
    EXPECT_EQ(m.Data().FileName, DataUnit::kNewFileName);
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_EQ(recorder.LastText(),
              QStringLiteral("The project ") + argument + QStringLiteral(" cannot be opened: the name \"lat\uFFFDin\" in the folder ") +
                  work.path() +
                  QStringLiteral(" is not UTF-8 text (the file names there that are not: lat\\xE9in). The program reads "
                                 "and writes file names as UTF-8 only; give the file and its folders UTF-8 names to "
                                 "open it."));

    // A missing file of a UTF-8 name still starts a new project without a word.
    recorder.Clear();
    TMainForm& other = Make({work.filePath(QStringLiteral("missing\uFFFD.tmx"))});
    other.FormShow();
    EXPECT_EQ(recorder.Count(), 0) << recorder.LastText().toStdString();

    // The open dialog in that folder's parent tells of the name it cannot list.
    recorder.Clear();
    TMainForm real;  // with its own file dialogs
    DocFolder::SetProjectFile(work.filePath(QStringLiteral("last.tmx")));  // they open in the last project's folder
    QTimer::singleShot(500, [] {
        if (QWidget* dialog = QApplication::activeModalWidget()) dialog->close();
    });
    EXPECT_TRUE(real.OpenDialog(QStringLiteral("Open")).isEmpty());
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_TRUE(recorder.LastText().startsWith(QStringLiteral("The folder ") + work.path() +
                                               QStringLiteral(" holds a file or folder whose name is not UTF-8 "
                                                              "text: lat\\xE9in. It is not listed here")))
        << recorder.LastText().toStdString();
}

// A project of the command line that cannot be read is reported once the main window is on the
// screen, not before it.
TEST_F(MainFormTest, AStartUpMessageComesAfterTheMainWindowIsShown)
{
    WriteBytes(work.filePath(QStringLiteral("empty.tmx")), QByteArray());
    TMainForm& m = Make({work.filePath(QStringLiteral("empty.tmx"))});
    m.show();
    EXPECT_EQ(recorder.Count(), 0) << "no message while the window is being shown";
    EXPECT_TRUE(m.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return recorder.Count() == 1; }, 2000)) << recorder.Count();
    EXPECT_EQ(recorder.LastText(), QStringLiteral("The file ") + work.filePath(QStringLiteral("empty.tmx")) +
                                       QStringLiteral(" cannot be read:\rThe file is not a TREMEX project file: its "
                                                      "first line does not begin with \"TITLE=\"."));
}
