// The project's files changed outside this copy of the program, through the real main window:
// by a text editor (Computation > Edit Input Text, the file written in place or replaced, as
// editors do either) before Save, Save As to the same name, Run Analysis and Exit, and after
// it when the window is activated again; and by a second running copy of the program, a
// process of its own (tests/app/copy), on the same project: its save, its run without edits,
// and its save while this copy runs the project. Nothing is overwritten without the user's
// word, and what he chooses (Reload, Overwrite, Cancel) is done.
#include "mainform_fixture.h"

#include "dataunit.h"
#include "projectfile.h"
#include "projectrun.h"
#include "run.h"

#include <QAction>
#include <QFileInfo>
#include <QTimer>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

using Answer = MessageSink::Answer;

// The first line of the question about files changed outside, for the project file `path`.
QString ChangeLead(const QString& path)
{
    return QStringLiteral("The project file ") + path +
           QStringLiteral(" was changed outside this copy of the program (by a text editor or another copy of the "
                          "program) since this copy read or saved it.");
}

// The line of the example that the user edits by hand: 6 m by 4 m made 7 m by 4 m.
const QByteArray kShape = "RECTANGULAR=6,4";
const QByteArray kEdited = "RECTANGULAR=7,4";

// A text editor's save of `path` with `from` replaced by `to`: in place (the file keeps its
// inode and, here, its size), or as a new file renamed over it.
enum class EditorSave { InPlace, Replaced };

void EditAsAnEditor(const QString& path, const QByteArray& from, const QByteArray& to, EditorSave how)
{
    QFile in(path);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    QByteArray bytes = in.readAll();
    in.close();
    ASSERT_TRUE(bytes.contains(from));
    bytes.replace(from, to);
    if (how == EditorSave::InPlace) {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::ReadWrite));
        ASSERT_EQ(out.write(bytes), bytes.size());
        ASSERT_TRUE(out.resize(bytes.size()));
    } else {
        const QString temp = path + QStringLiteral("~new");
        QFile out(temp);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        ASSERT_EQ(out.write(bytes), bytes.size());
        out.close();
        ASSERT_EQ(::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()), 0);
    }
}

// A second running copy of the program (tests/app/copy/secondcopy.cpp) on `args`: started at
// once, its printed messages read when it has ended.
class TCopy {
public:
    TCopy(const QString& settings, const QStringList& args) : m_out(settings + QStringLiteral("/copy-out"))
    {
        std::vector<std::string> strings{TREMEX_COPY_PATH};
        for (const QString& a : args) strings.push_back(a.toStdString());
        const std::string out = m_out.toStdString(), env = "TREMEX_COPY_SETTINGS=" + settings.toStdString();
        m_pid = ::fork();
        if (m_pid == 0) {
            const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0 || ::dup2(fd, 1) < 0) ::_exit(120);
            ::putenv(const_cast<char*>(env.c_str()));
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            std::vector<char*> argv;
            for (std::string& s : strings) argv.push_back(s.data());
            argv.push_back(nullptr);
            ::execv(TREMEX_COPY_PATH, argv.data());
            ::_exit(123);
        }
    }
    // Waits for the copy's end: its exit status, and its messages in `messages`.
    int Finish(QStringList& messages)
    {
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        QFile out(m_out);
        messages.clear();
        if (out.open(QIODevice::ReadOnly))
            for (const QByteArray& line : out.readAll().split('\n'))
                if (!line.isEmpty() && line != "end") messages << QString::fromUtf8(line);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 200 + WTERMSIG(status);
    }

private:
    QString m_out;
    pid_t m_pid = -1;
};

class OutsideChangeTest : public MainFormTest {
protected:
    QString Settings() const { return work.filePath(QStringLiteral("settings")); }

    // The second copy on `args`, to its end: its status and its messages.
    int Copy(const QStringList& args, QStringList& messages)
    {
        TCopy copy(Settings(), args);
        return copy.Finish(messages);
    }

    // The message of a copy's question about files changed outside (line ends as it prints them).
    static QString Printed(const QString& text) { return QString(text).replace(QChar(13), QStringLiteral(" | ")); }
};

// Save, Save As to the same name, Run Analysis and Exit after the project file was edited in a
// text editor (in place or replaced): each asks first; Cancel writes and runs nothing, Overwrite
// saves this copy's project over the edit, Reload takes the edit (and the run then runs it).
TEST_F(OutsideChangeTest, EverySaveAsksWhenTheProjectFileWasEditedOutsideAndDoesWhatTheUserChose)
{
    enum class Command { Save, SaveAsSameName, Run, Exit };
    const struct {
        Command command;
        const char* name;
    } commands[] = {{Command::Save, "Save"},
                    {Command::SaveAsSameName, "Save As to the same name"},
                    {Command::Run, "Run Analysis"},
                    {Command::Exit, "Exit"}};
    const struct {
        Answer answer;
        const char* name;
    } answers[] = {{Answer::Cancel, "Cancel"}, {Answer::No, "Overwrite"}, {Answer::Yes, "Reload"}};

    for (const auto& c : commands) {
        for (const auto& a : answers) {
            for (EditorSave how : {EditorSave::InPlace, EditorSave::Replaced}) {
                SCOPED_TRACE(std::string(c.name) + ", " + a.name + (how == EditorSave::InPlace ? ", in place" : ", replaced"));
                const QString project = CopyExample(QStringLiteral("halfspace-harmonic"), QStringLiteral("block.tmx"));
                const QString report = ProjectFile::ChangeFileExt(project, QStringLiteral(".tmo"));
                QFile::remove(report);
                TMainForm& m = MakeShownOn(project);
                m.show();
                // This copy's own change, not saved yet.
                m.Data().ProjectTitle = QStringLiteral("Changed in this copy");
                m.SetModified(true);
                // Computation > Edit Input Text, and the edit saved in the editor.
                m.Action(QStringLiteral("CompInput"))->trigger();
                ASSERT_EQ(watched.size(), 1);
                EXPECT_EQ(watched.last().last(), project);
                watched.clear();
                EditAsAnEditor(project, kShape, kEdited, how);
                const QByteArray edited = ReadBytes(project);
                recorder.Clear();

                if (c.command == Command::Exit) recorder.QueueAnswer(Answer::Yes);  // save the changes
                recorder.QueueAnswer(a.answer);
                switch (c.command) {
                case Command::Save: m.Action(QStringLiteral("FileSave"))->trigger(); break;
                case Command::SaveAsSameName:
                    saveAnswers << project;
                    m.Action(QStringLiteral("FileSaveAs"))->trigger();
                    break;
                case Command::Run: m.Action(QStringLiteral("CompRun"))->trigger(); break;
                case Command::Exit: m.close(); break;
                }

                const QStringList texts = recorder.Texts();
                const int question = c.command == Command::Exit ? 1 : 0;
                ASSERT_GT(texts.size(), question) << texts.join(QStringLiteral(" | ")).toStdString();
                if (c.command == Command::Exit) EXPECT_EQ(texts[0], QStringLiteral("Do you want to save any changes?"));
                EXPECT_TRUE(texts[question].startsWith(ChangeLead(project))) << texts[question].toStdString();
                EXPECT_EQ(recorder.Messages()[question].kind, MessageSink::Kind::Question);
                const bool ran = QFileInfo::exists(report);
                switch (a.answer) {
                case Answer::Cancel:
                    EXPECT_EQ(ReadBytes(project), edited) << "nothing written";
                    EXPECT_TRUE(m.IsModified());
                    EXPECT_EQ(m.Data().ProjectTitle, QStringLiteral("Changed in this copy"));
                    EXPECT_FALSE(ran) << "no run";
                    if (c.command == Command::Exit) EXPECT_TRUE(m.isVisible()) << "the window stays open";
                    break;
                case Answer::No:
                    EXPECT_TRUE(ReadBytes(project).startsWith("TITLE=Changed in this copy\r\n"));
                    EXPECT_TRUE(ReadBytes(project).contains(kShape)) << "this copy's project over the edit";
                    EXPECT_FALSE(m.IsModified());
                    EXPECT_EQ(ran, c.command == Command::Run);
                    if (ran) EXPECT_TRUE(ReadBytes(report).contains("6.000 m   BY    4.000 m"));
                    break;
                default:
                    EXPECT_EQ(ReadBytes(project), edited) << "the edit stays as it was written";
                    EXPECT_EQ(m.Data().LengthX, 7.0L);
                    EXPECT_EQ(m.Data().ProjectTitle, QStringLiteral("Compressor block on dense sand"));
                    EXPECT_FALSE(m.IsModified());
                    EXPECT_EQ(ran, c.command == Command::Run);
                    if (ran) {
                        EXPECT_TRUE(ReadBytes(report).contains("7.000 m   BY    4.000 m")) << "the run ran the edit";
                        EXPECT_EQ(texts.last(), kCompleted);
                    }
                    break;
                }
                if (c.command == Command::Exit) EXPECT_EQ(m.isVisible(), a.answer == Answer::Cancel);
                main.reset();
            }
        }
    }
}

// After Edit Input Text, the window activated again offers to read the edited file; Keep is not
// asked again for the same file, the next edit is; a save after Keep asks before it overwrites.
TEST_F(OutsideChangeTest, TheWindowActivatedAfterAnOutsideEditOffersToReadTheFileAgain)
{
    const QString project = CopyExample(QStringLiteral("halfspace-harmonic"), QStringLiteral("block.tmx"));
    TMainForm& m = MakeShownOn(project);
    m.show();
    m.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m));
    QWidget other;  // the text editor's window
    other.resize(200, 100);
    other.show();
    const auto away = [&] {
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    };
    const auto back = [&] {
        m.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m));
        QTest::qWait(50);  // the offer comes after the activation
    };

    // Away and back without a change: nothing is asked.
    away();
    recorder.Clear();
    back();
    EXPECT_EQ(recorder.Count(), 0) << recorder.LastText().toStdString();

    // The edit, then back: Keep.
    m.Action(QStringLiteral("CompInput"))->trigger();
    away();
    EditAsAnEditor(project, kShape, kEdited, EditorSave::InPlace);
    recorder.Clear();
    recorder.QueueAnswer(Answer::No);
    back();
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_EQ(recorder.Messages()[0].kind, MessageSink::Kind::Confirmation);
    EXPECT_TRUE(recorder.LastText().startsWith(ChangeLead(project))) << recorder.LastText().toStdString();
    EXPECT_TRUE(recorder.LastText().contains(QStringLiteral("Keep leaves the project here as it is")));
    EXPECT_EQ(m.Data().LengthX, 6.0L) << "kept";
    // Not asked again for the same file.
    away();
    recorder.Clear();
    back();
    EXPECT_EQ(recorder.Count(), 0) << recorder.LastText().toStdString();
    // A save asks before it overwrites the edit (Cancel).
    m.Action(QStringLiteral("FileSave"))->trigger();
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_EQ(recorder.Messages()[0].kind, MessageSink::Kind::Question);
    EXPECT_TRUE(ReadBytes(project).contains(kEdited));

    // Another edit, then back: Reload.
    away();
    EditAsAnEditor(project, QByteArray("TITLE=Compressor block on dense sand"), QByteArray("TITLE=Edited by hand"),
                   EditorSave::Replaced);
    recorder.Clear();
    recorder.QueueAnswer(Answer::Yes);
    back();
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_EQ(m.Data().LengthX, 7.0L);
    EXPECT_EQ(m.Data().ProjectTitle, QStringLiteral("Edited by hand"));
    EXPECT_FALSE(m.IsModified());
    // The file read is the file as it is: a save writes without asking.
    recorder.Clear();
    m.Action(QStringLiteral("FileSave"))->trigger();
    EXPECT_EQ(recorder.Count(), 0) << recorder.LastText().toStdString();
}

// Two running copies on one project: copy B (a process of its own) saves a change; this copy's
// save then asks first. Cancel leaves B's save, Overwrite replaces it, Reload takes it.
TEST_F(OutsideChangeTest, TheSecondCopysSaveAsksBeforeItOverwritesTheFirstCopysSave)
{
    const QString project = CopyExample(QStringLiteral("halfspace-harmonic"), QStringLiteral("pump.tmx"));
    TMainForm& m = MakeShownOn(project);

    QStringList messages;
    ASSERT_EQ(Copy({project, QStringLiteral("title=Saved by copy B"), QStringLiteral("save")}, messages), 0);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(ReadBytes(project).startsWith("TITLE=Saved by copy B\r\n"));

    m.Data().ProjectTitle = QStringLiteral("Saved by copy A");
    m.SetModified(true);
    // Cancel.
    recorder.Clear();
    m.Action(QStringLiteral("FileSave"))->trigger();
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_TRUE(recorder.LastText().startsWith(ChangeLead(project))) << recorder.LastText().toStdString();
    EXPECT_TRUE(ReadBytes(project).startsWith("TITLE=Saved by copy B\r\n")) << "B's save stays";
    EXPECT_TRUE(m.IsModified());
    // Overwrite.
    recorder.Clear();
    recorder.QueueAnswer(Answer::No);
    m.Action(QStringLiteral("FileSave"))->trigger();
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_TRUE(ReadBytes(project).startsWith("TITLE=Saved by copy A\r\n"));
    EXPECT_FALSE(m.IsModified());
    // A save of its own file asks nothing.
    recorder.Clear();
    m.Action(QStringLiteral("FileSave"))->trigger();
    EXPECT_EQ(recorder.Count(), 0) << recorder.LastText().toStdString();

    // B again, then Reload.
    ASSERT_EQ(Copy({project, QStringLiteral("title=Saved by copy B again"), QStringLiteral("save")}, messages), 0);
    EXPECT_TRUE(messages.isEmpty()) << "B read A's save, and saves over its own: " << messages.join(QLatin1Char('\n')).toStdString();
    const QByteArray bs = ReadBytes(project);
    m.Data().ProjectTitle = QStringLiteral("Changed by copy A");
    m.SetModified(true);
    recorder.Clear();
    recorder.QueueAnswer(Answer::Yes);
    m.Action(QStringLiteral("FileSave"))->trigger();
    ASSERT_EQ(recorder.Count(), 1);
    EXPECT_EQ(ReadBytes(project), bs);
    EXPECT_EQ(m.Data().ProjectTitle, QStringLiteral("Saved by copy B again"));
    EXPECT_FALSE(m.IsModified());
}

// Copy B opened the project, copy A (this one) saves a change; B's Run Analysis without edits
// then asks before its save would put B's old state back over A's save (Cancel: nothing is run
// or written), and with Reload runs A's project.
TEST_F(OutsideChangeTest, ARunWithoutEditsAsksBeforeItPutsTheOldProjectBackOverAnotherCopysSave)
{
    const QString project = CopyExample(QStringLiteral("halfspace-harmonic"), QStringLiteral("pump.tmx"));
    const QString report = ProjectFile::ChangeFileExt(project, QStringLiteral(".tmo"));
    TMainForm& m = MakeShownOn(project);
    for (Answer answer : {Answer::Cancel, Answer::Yes}) {
        SCOPED_TRACE(answer == Answer::Cancel ? "Cancel" : "Reload");
        QFile::remove(report);
        const QString opened = work.filePath(QStringLiteral("opened")), go = work.filePath(QStringLiteral("go"));
        QFile::remove(opened);
        QFile::remove(go);
        TCopy b(Settings(), {project, QStringLiteral("mark=") + opened, QStringLiteral("wait=") + go,
                             QStringLiteral("answer=") + (answer == Answer::Cancel ? QStringLiteral("cancel") : QStringLiteral("yes")),
                             QStringLiteral("run")});
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(opened); }, 30000));
        const QString title = answer == Answer::Cancel ? QStringLiteral("Saved by copy A") : QStringLiteral("Saved again by copy A");
        m.Data().ProjectTitle = title;
        m.SetModified(true);
        recorder.Clear();
        m.Action(QStringLiteral("FileSave"))->trigger();
        EXPECT_EQ(recorder.Count(), 0) << recorder.LastText().toStdString();
        const QByteArray saved = ReadBytes(project);
        WriteBytes(go, QByteArray());
        QStringList messages;
        ASSERT_EQ(b.Finish(messages), 0);
        ASSERT_FALSE(messages.isEmpty());
        EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Question: ") + Printed(ChangeLead(project))))
            << messages[0].toStdString();
        EXPECT_EQ(ReadBytes(project), saved) << "A's save stays";
        if (answer == Answer::Cancel) {
            EXPECT_EQ(messages.size(), 1) << messages.join(QLatin1Char('\n')).toStdString();
            EXPECT_FALSE(QFileInfo::exists(report)) << "nothing ran";
        } else {
            EXPECT_EQ(messages.last(), QStringLiteral("Information: ") + kCompleted);
            EXPECT_TRUE(ReadBytes(report).contains(title.toUtf8())) << "the run ran A's project";
        }
        // A's own next save asks nothing: B wrote nothing.
        recorder.Clear();
        m.Action(QStringLiteral("FileSave"))->trigger();
        EXPECT_EQ(recorder.Count(), 0) << recorder.LastText().toStdString();
    }
}

// While this copy runs the project (the slow stand-in engine), copy B's save of it is refused
// with a message that names this run, and writes nothing; after the run B saves.
TEST_F(OutsideChangeTest, WhileOneCopyRunsTheProjectTheOthersSaveIsRefusedNamingTheRun)
{
    TMainForm& m = MakeShownRunning(QStringLiteral(SLOW_ENGINE_PATH));
    const QString project = m.Data().FileName;
    QByteArray before, during;
    QStringList messages;
    int status = -1;
    QObject::connect(&m.AnalysisRun(), &TAnalysisRun::Started, [&] {
        QTimer::singleShot(100, [&] {
            before = ReadBytes(project);
            status = Copy({project, QStringLiteral("title=Saved by copy B during the run"), QStringLiteral("save")}, messages);
            during = ReadBytes(project);
        });
    });
    m.CompRunClick();
    ASSERT_EQ(status, 0);
    ASSERT_EQ(messages.size(), 1) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Information: Another running copy of Tremex3 or tremrun is "
                                                      "running an analysis of ") +
                                       project + QStringLiteral(" (process %1 on ").arg(::getpid())))
        << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains(QStringLiteral("The project was not saved")));
    EXPECT_EQ(during, before) << "B wrote nothing";
    EXPECT_EQ(recorder.Texts(), QStringList{kCompleted});

    // The run has ended: B saves.
    ASSERT_EQ(Copy({project, QStringLiteral("title=Saved by copy B after the run"), QStringLiteral("save")}, messages), 0);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(ReadBytes(project).startsWith("TITLE=Saved by copy B after the run\r\n"));
}

}  // namespace
