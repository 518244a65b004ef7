// A save killed part-way (SIGKILL at each step of its commit: after each temporary file is on
// the disk, once the commit record is written, after each rename, when the record is gone),
// then the next open through the real main window, the next save of another copy that had the
// project open, or the next run (tremrun): the project's files are then those of one save, the
// old one (killed before its record) or the new one (after), byte for byte, and no temporary
// file or record is left.
#include "mainform_fixture.h"
#include "projectbuild.h"

#include "project.h"
#include "projectfile.h"
#include "tremrun_child.h"
#include "util/safewrite.h"

#include <QDir>

#include <csignal>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The steps of a save, as a save in this process reaches them.
QStringList g_steps;
void RecordStep(const QString& step) { g_steps << step; }

// The step at which the child process of a save ends itself.
QString g_killAt;
void KillAtStep(const QString& step)
{
    if (step == g_killAt) ::raise(SIGKILL);
}

// The mass of one generation of the project: the mass component (what the engine reads from the
// mass file) and the deck's mass (what it reads from the project file), 150 or 175 Mg.
void Generation(TProject& project, long double mass)
{
    project.Data().Mass = mass;
    build::Row(project.Tables().MassCal, 0, {mass, 0, 0, 0.5L, 6, 4, 1});
}

// The files of the folder, but for the report and the plot data of a run.
std::map<QString, QByteArray> Files(const QString& folder)
{
    std::map<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (!name.endsWith(QLatin1String(".tmo")) && !name.endsWith(QLatin1String(".tmq")))
            files[name] = build::ReadBytes(folder + QLatin1Char('/') + name);
    return files;
}

std::string Names(const std::map<QString, QByteArray>& files)
{
    std::string names;
    for (const auto& [name, bytes] : files) names += name.toStdString() + " ";
    return names;
}

// The same files with the same bytes; else which differ.
::testing::AssertionResult Same(const std::map<QString, QByteArray>& files, const std::map<QString, QByteArray>& expected)
{
    if (files == expected) return ::testing::AssertionSuccess();
    std::string differ;
    for (const auto& [name, bytes] : expected)
        if (files.count(name) && files.at(name) != bytes) differ += name.toStdString() + " ";
    return ::testing::AssertionFailure() << "files: " << Names(files) << "; expected: " << Names(expected)
                                         << "; with other bytes: " << differ;
}

class KilledSaveTest : public MainFormTest {
protected:
    void SetUp() override
    {
        MainFormTest::SetUp();
        folder = work.filePath(QStringLiteral("jobs"));
        ASSERT_TRUE(QDir().mkpath(folder));
        path = folder + QStringLiteral("/pump.tmx");
        build::Fill(project, build::Foundation::HalfSpace, build::Load::Harmonic);
        project.Tables().MassCal->SetRowCount(1);
        // The new generation, and the steps of its save.
        Generation(project, 175);
        project.SaveAs(path);
        newFiles = Files(folder);
        g_steps.clear();
        SafeWrite::SetStepHook(RecordStep);
        project.Save();
        SafeWrite::SetStepHook(nullptr);
        ASSERT_TRUE(Same(Files(folder), newFiles));
        // The old generation.
        Generation(project, 150);
        project.Save();
        oldFiles = Files(folder);
        ASSERT_EQ(oldFiles.size(), 3u) << Names(oldFiles);
        ASSERT_FALSE(Same(oldFiles, newFiles));
        ASSERT_TRUE(g_steps.contains(QStringLiteral("recorded")));
        ASSERT_TRUE(g_steps.contains(QStringLiteral("renamed ") + ProjectFile::ChangeFileExt(path, QStringLiteral(".tmm"))));
        ASSERT_TRUE(g_steps.contains(QStringLiteral("renamed ") + path));
    }

    // The save of the new generation in a child process, killed at `step`.
    void SaveKilledAt(const QString& step)
    {
        Generation(project, 175);
        const pid_t pid = ::fork();
        if (pid == 0) {
            g_killAt = step;
            SafeWrite::SetStepHook(KillAtStep);
            try {
                project.Save();
            } catch (...) {
            }
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the save was killed at " << step.toStdString();
        Generation(project, 150);
    }

    // Whether a save killed at `step` had made its change: at or after its record.
    bool Committed(const QString& step) const
    {
        return g_steps.indexOf(step) >= g_steps.indexOf(QStringLiteral("recorded"));
    }

    // The files after a kill and what put it right: the old or the new generation, whole.
    void ExpectOneWholeSave(const QString& step)
    {
        const auto files = Files(folder);
        const auto& expected = Committed(step) ? newFiles : oldFiles;
        EXPECT_TRUE(Same(files, expected)) << (Committed(step) ? "the new save" : "the old save") << ", whole";
    }

    QString folder, path;
    TProject project;
    std::map<QString, QByteArray> oldFiles, newFiles;
};

TEST_F(KilledSaveTest, AfterASaveKilledAtAnyStepTheNextOpenFindsOneWholeSave)
{
    for (const QString& step : g_steps) {
        SCOPED_TRACE("killed at " + step.toStdString());
        project.Save();  // the old generation
        ASSERT_TRUE(Same(Files(folder), oldFiles));
        SaveKilledAt(step);
        if (step != QLatin1String("done")) EXPECT_NE(Files(folder).size(), 3u) << "the kill left something: " << Names(Files(folder));

        TMainForm& m = Make();
        m.OpenFileName(path);
        ExpectOneWholeSave(step);
        EXPECT_EQ(recorder.Texts(), QStringList());
        EXPECT_EQ(m.Data().Mass, Committed(step) ? 175.0L : 150.0L);
        EXPECT_EQ(m.Tables().MassCal->Cell(0, 0)->GetAsFloat(), Committed(step) ? 175.0L : 150.0L);
        main.reset();
    }
}

// The same put right by the next save of a copy that had the project open before the kill,
// and by the next run (tremrun, which saves nothing).
TEST_F(KilledSaveTest, TheNextSaveOrRunPutsRightWhatAKilledSaveLeft)
{
    const QString between = QStringLiteral("renamed ") + ProjectFile::ChangeFileExt(path, QStringLiteral(".tmm"));
    const QString before = QStringLiteral("written ") + path;
    for (const QString& step : {before, between}) {
        for (bool run : {false, true}) {
            SCOPED_TRACE("killed at " + step.toStdString() + (run ? ", then a run" : ", then a save"));
            if (run) {
                project.Save();
                SaveKilledAt(step);
                const Outcome outcome = Tremrun({path.toStdString()});
                EXPECT_EQ(outcome.status, 0) << outcome.err;
                ExpectOneWholeSave(step);
                // The run's report lists the mass components of the mass file it read with the
                // deck of the same save.
                const QByteArray report = build::ReadBytes(ProjectFile::ChangeFileExt(path, QStringLiteral(".tmo")));
                EXPECT_TRUE(report.contains(Committed(step) ? "1.75000E+02" : "1.50000E+02")) << report.left(3000).toStdString();
                EXPECT_FALSE(report.contains(Committed(step) ? "1.50000E+02" : "1.75000E+02"));
            } else {
                TProject other;
                other.Open(path);  // the other copy, opened before the kill
                other.Data().ProjectTitle = QStringLiteral("Saved by the other copy");
                project.Save();
                SaveKilledAt(step);
                other.Save();
                const auto files = Files(folder);
                EXPECT_EQ(files.size(), 3u) << "no temporary file or record left: " << Names(files);
                EXPECT_TRUE(files.at(QStringLiteral("pump.tmx")).startsWith("TITLE=Saved by the other copy\r\n"));
                EXPECT_TRUE(files.at(QStringLiteral("pump.tmm")) == oldFiles.at(QStringLiteral("pump.tmm")))
                    << "the mass file of the other copy's save";
            }
        }
    }
}

}  // namespace
