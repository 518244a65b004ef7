// Save As through the real main window: over a name whose project file does not exist but whose
// mass file, report and plot data do (another job's), and where the dialog of a new project
// opens (not the folder the program was started from).
#include "mainform_fixture.h"

#include "dataunit.h"
#include "projectfile.h"
#include "util/docfolder.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

#include <cstdlib>

namespace {

using Answer = MessageSink::Answer;

TEST_F(MainFormTest, SaveAsOverAnotherJobsMassFileAsksAndItsResultsAreNotTakenForThisProjects)
{
    const QString project = CopyExample(QStringLiteral("halfspace-harmonic"), QStringLiteral("pump.tmx"));
    TMainForm& m = MakeShownOn(project);
    m.CompRunClick();
    ASSERT_EQ(recorder.Texts(), QStringList{kCompleted});
    ASSERT_TRUE(m.PlotDataRead());
    // Another job's files under the name "victim": its mass file (5 Mg), its report and its plot
    // data (whole plot data that the reader would take), but no project file.
    const QString victim = work.filePath(QStringLiteral("victim.tmx"));
    const QString mass = work.filePath(QStringLiteral("victim.tmm"));
    const QString report = work.filePath(QStringLiteral("victim.tmo"));
    const QString plot = work.filePath(QStringLiteral("victim.tmq"));
    const QByteArray victimMass = "1\r\n5 0 0 0 1 1 1 \r\n";
    WriteBytes(mass, victimMass);
    WriteBytes(report, "the report of another job\r\n");
    ASSERT_TRUE(QFile::copy(work.filePath(QStringLiteral("pump.tmq")), plot));
    const QByteArray victimPlot = ReadBytes(plot);

    // No: nothing is written.
    recorder.Clear();
    saveAnswers << victim;
    recorder.QueueAnswer(Answer::No);
    m.Action(QStringLiteral("FileSaveAs"))->trigger();
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_EQ(recorder.Messages()[0].kind, MessageSink::Kind::Confirmation);
    const QString question = recorder.LastText();
    EXPECT_EQ(question, QStringLiteral("Saving the project as ") + victim +
                            QStringLiteral(" replaces files that this project did not write: ") + mass +
                            QStringLiteral(".\rThe report and plot data of that name (") + report +
                            QStringLiteral(", ") + plot +
                            QStringLiteral(") are not this project's results: the save deletes them, so that they are "
                                           "not taken for its results.\rDo you want to replace them?"));
    EXPECT_EQ(ReadBytes(mass), victimMass);
    EXPECT_EQ(ReadBytes(report), QByteArray("the report of another job\r\n"));
    EXPECT_EQ(ReadBytes(plot), victimPlot);
    EXPECT_FALSE(QFileInfo::exists(victim));
    EXPECT_EQ(m.Data().FileName, project);

    // Yes: the mass file is replaced, the other job's report and plot data go.
    recorder.Clear();
    saveAnswers << victim;
    recorder.QueueAnswer(Answer::Yes);
    m.Action(QStringLiteral("FileSaveAs"))->trigger();
    ASSERT_EQ(recorder.Count(), 1) << recorder.LastText().toStdString();
    EXPECT_EQ(m.Data().FileName, victim);
    EXPECT_EQ(ReadBytes(mass), ReadBytes(work.filePath(QStringLiteral("pump.tmm"))));
    EXPECT_FALSE(QFileInfo::exists(report));
    EXPECT_FALSE(QFileInfo::exists(plot));
    // No result of the other job shows for this project: no plots, no report.
    m.GraphicsMenuClick();
    EXPECT_FALSE(m.Action(QStringLiteral("GraphKxx"))->isEnabled());
    EXPECT_FALSE(m.Action(QStringLiteral("GraphDisplacement"))->isEnabled());
    m.CompMenuClick();
    EXPECT_FALSE(m.Action(QStringLiteral("CompOutput"))->isEnabled());
    // The project's own results stay under its old name.
    EXPECT_TRUE(QFileInfo::exists(work.filePath(QStringLiteral("pump.tmo"))));

    // A whole other project: its project file is named too (the dialog itself does not ask).
    const QString other = CopyExample(QStringLiteral("halfspace-harmonic"), QStringLiteral("other.tmx"));
    const QByteArray otherBytes = ReadBytes(other);
    recorder.Clear();
    saveAnswers << other;
    m.Action(QStringLiteral("FileSaveAs"))->trigger();  // no answer: No
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_EQ(recorder.LastText(), QStringLiteral("Saving the project as ") + other +
                                       QStringLiteral(" replaces files that this project did not write: ") + other +
                                       QStringLiteral(", ") + work.filePath(QStringLiteral("other.tmm")) +
                                       QStringLiteral(".\rDo you want to replace them?"));
    EXPECT_EQ(ReadBytes(other), otherBytes);

    // A name of nothing: nothing is asked.
    recorder.Clear();
    saveAnswers << work.filePath(QStringLiteral("fresh.tmx"));
    m.Action(QStringLiteral("FileSaveAs"))->trigger();
    EXPECT_EQ(recorder.Count(), 0) << recorder.LastText().toStdString();
    EXPECT_TRUE(QFileInfo::exists(work.filePath(QStringLiteral("fresh.tmx"))));
}

// The real Save As dialog of a new project ("NewData.tmx"), shown and closed: the folder it
// opens in and whether it asks itself before replacing a file.
struct TDialogSeen {
    QString folder;
    bool asksItself = true;
};

TDialogSeen SaveAsDialogOfANewProject(TMainForm& m)
{
    TDialogSeen seen;
    QTimer::singleShot(300, [&seen] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            seen.folder = dialog->directory().absolutePath();
            seen.asksItself = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            dialog->reject();
        }
    });
    EXPECT_FALSE(m.FileSaveAsClick());
    return seen;
}

TEST_F(MainFormTest, SaveAsOfANewProjectOpensInTheDocumentsFolderOrTheLastFolderUsed)
{
    // The program started from a folder of its own (a shell's, the program's), with a home
    // folder that has a documents folder.
    const QByteArray home = qgetenv("HOME");
    struct TRestore {
        QByteArray home;
        ~TRestore() { qputenv("HOME", home); }
    } restore{home};
    qputenv("HOME", QFile::encodeName(work.filePath(QStringLiteral("home"))));
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    ASSERT_TRUE(documents.startsWith(work.path())) << documents.toStdString();
    ASSERT_TRUE(QDir().mkpath(documents));
    const QString started = work.filePath(QStringLiteral("started-here"));
    ASSERT_TRUE(QDir().mkpath(started));
    QDir::setCurrent(started);
    // No project was used before in this program (the last one's folder has gone).
    DocFolder::SetProjectFile(work.filePath(QStringLiteral("gone/old.tmx")));

    {
        TMainForm real;  // with its own dialogs
        real.FormShow();
        ASSERT_EQ(real.Data().FileName, DataUnit::kNewFileName);
        const TDialogSeen seen = SaveAsDialogOfANewProject(real);
        EXPECT_EQ(seen.folder, documents);
        EXPECT_FALSE(seen.asksItself) << "the main window asks about every file it replaces";
    }

    // The last project used, from the recent files of an earlier start.
    const QString jobs = work.filePath(QStringLiteral("jobs"));
    ASSERT_TRUE(QDir().mkpath(jobs));
    {
        TMainForm earlier;
        earlier.UpdatePrevFile(jobs + QStringLiteral("/pump.tmx"));
    }
    DocFolder::SetProjectFile(work.filePath(QStringLiteral("gone/old.tmx")));
    TMainForm real;
    real.FormShow();
    ASSERT_EQ(real.Data().FileName, DataUnit::kNewFileName);
    EXPECT_EQ(SaveAsDialogOfANewProject(real).folder, jobs);
}

}  // namespace
