// tremrun: runs one analysis with the engine library, the way the main program
// does, for use without the GUI.
//   tremrun project.tmx
// takes the project's run lock and the run's temporary outputs (app/model/projectrun.h), writes
// "names.dat" in the run folder (the program's folder when it can be written and no other copy
// of the program uses it, else a private folder; see app/model/runfolder.h), which is the
// current folder during the call, with the main program's run list (app/model/runlist.h),
// loads libtremcalc.so from the program's folder, calls its entry with 13, frees it, deletes
// "names.dat", puts the report and the plot data in place and prints where they went. The exit
// status tells how the run ended (kUsage below).
#include "projectfile.h"
#include "projectrun.h"
#include "runfolder.h"
#include "runlist.h"
#include "util/dynlib.h"
#include "util/exceptions.h"
#include "util/filenames.h"

#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;

namespace {

// Exit statuses.
constexpr int kRan = 0;
constexpr int kNotStarted = 1;
constexpr int kStopped = 2;
constexpr int kRefused = 3;
constexpr int kOutputFailed = 4;
constexpr int kOtherCopy = 5;
constexpr int kUnsolved = 6;

// The table of the exit statuses is also in README.md and in the user's manual (chapter 5, which
// the first steps of chapter 1 point to); a test holds the three to the same words.
const char kUsage[] =
    "usage: tremrun PROJECT.tmx\n"
    "       tremrun --help\n"
    "\n"
    "Runs the analysis of a project file through the engine library and prints where the\n"
    "report (.tmo) and the plot data (.tmq) went.\n"
    "\n"
    "Exit status:\n"
    "  0  the analysis ran to its end (engine result 0); the report may still hold warnings\n"
    "  1  tremrun could not start a run, and nothing is written beside the project: wrong\n"
    "     arguments; a deck that is missing, cannot be read, is not a regular file or has a name\n"
    "     that is not UTF-8; a path of the run that is too long for the system; a lock file, report\n"
    "     or plot data file that cannot be written (checked before the engine runs); a run list\n"
    "     that cannot be written; an engine that cannot be loaded, is damaged or does not take\n"
    "     the call (a result no analysis gives). A message on standard error says which file and\n"
    "     why\n"
    "  2  the engine stopped: a STOP in the deck, or a deck it could not read (engine result 2)\n"
    "  3  the engine refused the input data (engine result 3); the report's fatal page says why\n"
    "  4  an output could not be written during the run (engine result 4), or could not be put\n"
    "     in place after it; standard error names the file and why, and the project's earlier\n"
    "     report and plot data are left as they were. Also a run that ended with engine result 0\n"
    "     whose lines standard output could not take: its report and plot data are in place\n"
    "  5  another running copy of Tremex3 or tremrun is running an analysis of the same project;\n"
    "     nothing is written\n"
    "  6  the analysis ran, but the response could not be computed at some or all of its\n"
    "     frequencies (engine result 6); the report marks and lists them, and the report and plot\n"
    "     data of the other frequencies are put in place\n";

std::string Local(const QString& text) { return text.toLocal8Bit().toStdString(); }

// Whether the deck can be run at all; else says why on standard error.
bool DeckReadable(const fs::path& deck)
{
    struct stat st {};
    if (::stat(deck.c_str(), &st) != 0) {
        std::fprintf(stderr, "tremrun: %s: %s\n", deck.c_str(), std::strerror(errno));
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        std::fprintf(stderr, "tremrun: %s: not a regular file\n", deck.c_str());
        return false;
    }
    const int fd = ::open(deck.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        std::fprintf(stderr, "tremrun: %s cannot be read: %s\n", deck.c_str(), std::strerror(errno));
        return false;
    }
    char byte;
    const bool read = ::read(fd, &byte, 1) >= 0;
    const int error = errno;
    ::close(fd);
    if (!read) std::fprintf(stderr, "tremrun: %s cannot be read: %s\n", deck.c_str(), std::strerror(error));
    return read;
}

// The line of an output after a run: where it went, or that it was not written and what is
// left in its place.
std::string OutputLine(const char* label, const QString& path, bool placed)
{
    const std::string p = Local(path);
    if (placed) return std::string(label) + p;
    if (QFileInfo::exists(path)) return std::string(label) + "not written; the earlier " + p + " is left as it was";
    return std::string(label) + "not written (there is none at " + p + ")";
}

}  // namespace

int main(int argc, char** argv)
{
    // A file-size limit (ulimit -f) fails the write that crosses it, which is then reported,
    // instead of ending the process unannounced.
    std::signal(SIGXFSZ, SIG_IGN);
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return std::fflush(stdout) == 0 ? kRan : kNotStarted;
    }
    if (argc != 2 || argv[1][0] == '\0' || (argv[1][0] == '-' && argv[1][1] == '-')) {
        std::fputs(kUsage, stderr);
        return kNotStarted;
    }
    const fs::path project = fs::absolute(argv[1]);
    if (!DeckReadable(project)) return kNotStarted;
    // The run's files are named as UTF-8 text (as in the main program): a path whose bytes are
    // no UTF-8 text cannot be named whole.
    const QByteArray bytes = QByteArray::fromStdString(project.string());
    const QString name = QString::fromUtf8(bytes);
    if (name.toUtf8() != bytes) {
        QString text = FileNames::NotUtf8RunMessage(name);
        if (text.isEmpty())
            text = QStringLiteral("The project %1 cannot be run: its path is not UTF-8 text. The program reads and "
                                  "writes file names as UTF-8 only; give the file and its folders UTF-8 names to run "
                                  "it.")
                       .arg(name);
        std::fprintf(stderr, "tremrun: %s\n", Local(text).c_str());
        return kNotStarted;
    }

    // The engine, from the program's folder, checked before it is mapped (util/dynlib.h).
    const fs::path program_dir = fs::canonical("/proc/self/exe").parent_path();
    TDynamicLibrary engine;
    using TEntry = int32_t (*)(int32_t);
    using TMessage = const char* (*)();
    TEntry entry = nullptr;
    TMessage message = nullptr;
    try {
        engine.SetLibraryName(QString::fromStdString((program_dir / "libtremcalc.so").string()));
        engine.Open();
        entry = reinterpret_cast<TEntry>(engine.GetProc(Run::kEntryName));
        message = reinterpret_cast<TMessage>(engine.GetProc(Run::kMessageEntryName));
    } catch (const EDLLError&) {
        entry = nullptr;
    }
    if (!entry) {
        const QString why = engine.LastLoadError();
        if (why.isEmpty()) std::fprintf(stderr, "Attempt to initialize DLL failed\n");
        else std::fprintf(stderr, "Attempt to initialize DLL failed (%s)\n", Local(why).c_str());
        return kNotStarted;
    }

    // The project's lock and the run's outputs at temporary names, all checked before the
    // engine runs: a refusal here writes nothing beside the project.
    TProjectRun run(name);
    QStringList lines;
    try {
        run.Lock();
        lines = run.RunListLines(QStringLiteral("3.0.11"));
    } catch (const ERunRefused& e) {
        std::fprintf(stderr, "tremrun: %s\n", Local(e.message()).c_str());
        return kOtherCopy;
    } catch (const Exception& e) {
        std::fprintf(stderr, "tremrun: %s\n", Local(e.message()).c_str());
        std::fprintf(stderr, "tremrun: the run was not started; nothing was written beside the project\n");
        return kNotStarted;
    }

    TRunFolder run_folder(program_dir);
    try {
        fs::current_path(run_folder.Path());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tremrun: %s\n", e.what());
        return kNotStarted;
    }
    try {
        Run::WriteRunList(Run::kRunListName, lines);
    } catch (const Exception& e) {
        std::fprintf(stderr, "tremrun: %s\n", Local(e.message()).c_str());
        return kNotStarted;
    }
    const int32_t engine_result = entry(Run::kEntryArgument);
    const QString engine_message = message ? QString::fromUtf8(message()) : QString();
    engine.Close();
    fs::remove(Run::kRunListName.toStdString());
    const int32_t result = run.Finish(engine_result, engine_message);

    if (result != Run::kResultOutputFailed && !Run::ResultKeepsOutputs(result)) {
        std::fprintf(stderr, "tremrun: the engine did not take the call (result %d); nothing was written beside "
                             "the project\n",
                     static_cast<int>(engine_result));
        return kNotStarted;
    }
    std::printf("engine result %d\n%s\n%s\nrun folder: %s\n", static_cast<int>(engine_result),
                OutputLine("report:    ", run.ReportPath(), run.ReportPlaced()).c_str(),
                OutputLine("plot data: ", run.PlotPath(), run.PlotPlaced()).c_str(), run_folder.Path().c_str());
    if (std::fflush(stdout) != 0) {
        std::fprintf(stderr, "tremrun: standard output: %s\n", std::strerror(errno));
        if (result == Run::kResultCompleted) return kOutputFailed;
    }
    for (const QString& line : run.FailureLines()) std::fprintf(stderr, "tremrun: %s\n", Local(line).c_str());
    switch (result) {
    case Run::kResultCompleted: return kRan;
    case Run::kResultStopped: return kStopped;
    case Run::kResultRefused: return kRefused;
    case Run::kResultUnsolved: return kUnsolved;
    default:
        std::fprintf(stderr, "tremrun: the run gave no results\n");
        return kOutputFailed;
    }
}
