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
#include "util/exceptions.h"

#include <dlfcn.h>
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

const char kUsage[] =
    "usage: tremrun PROJECT.tmx\n"
    "       tremrun --help\n"
    "\n"
    "Runs the analysis of a project file through the engine library and prints where the\n"
    "report (.tmo) and the plot data (.tmq) went.\n"
    "\n"
    "Exit status:\n"
    "  0  the analysis ran to its end (engine result 0)\n"
    "  1  tremrun could not start a run: wrong arguments, a deck that is missing, cannot be read\n"
    "     or is not a regular file, a run list that cannot be written, an engine that cannot be\n"
    "     loaded; a message on standard error says which file and why; nothing is written beside\n"
    "     the project\n"
    "  2  the engine stopped: a STOP in the deck, or a deck it could not read (engine result 2)\n"
    "  3  the engine refused the input data (engine result 3; the report's fatal page says why)\n"
    "  4  an output could not be written (engine result 4; standard error names the file and why;\n"
    "     the project's earlier report and plot data are left as they were)\n"
    "  5  another running copy of Tremex3 or tremrun is running an analysis of the same project;\n"
    "     nothing is written\n";

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

    const fs::path program_dir = fs::canonical("/proc/self/exe").parent_path();
    void* lib = dlopen((program_dir / "libtremcalc.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
        std::fprintf(stderr, "Attempt to initialize DLL failed (%s)\n", dlerror());
        return kNotStarted;
    }
    auto entry = reinterpret_cast<int32_t (*)(int32_t)>(dlsym(lib, "_ITREMX"));
    auto message = reinterpret_cast<const char* (*)()>(dlsym(lib, "ITREMX_MESSAGE"));
    if (!entry) {
        std::fprintf(stderr, "Attempt to initialize DLL failed\n");
        dlclose(lib);
        return kNotStarted;
    }

    const QString name = QString::fromStdString(project.string());
    TProjectRun run(name);
    QStringList lines;
    try {
        run.Lock();
        lines = run.RunListLines(QStringLiteral("3.0.11"));
    } catch (const ERunRefused& e) {
        std::fprintf(stderr, "tremrun: %s\n", Local(e.message()).c_str());
        dlclose(lib);
        return kOtherCopy;
    } catch (const Exception& e) {
        std::fprintf(stderr, "tremrun: %s\n", Local(e.message()).c_str());
        dlclose(lib);
        return kOutputFailed;
    }

    TRunFolder run_folder(program_dir);
    try {
        fs::current_path(run_folder.Path());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tremrun: %s\n", e.what());
        dlclose(lib);
        return kNotStarted;
    }
    try {
        Run::WriteRunList(QStringLiteral("names.dat"), lines);
    } catch (const Exception& e) {
        std::fprintf(stderr, "tremrun: %s\n", Local(e.message()).c_str());
        dlclose(lib);
        return kNotStarted;
    }
    int32_t result = entry(Run::kEntryArgument);
    const QString engine_message = message ? QString::fromUtf8(message()) : QString();
    dlclose(lib);
    fs::remove("names.dat");
    result = run.Finish(result, engine_message);

    const std::string report = Local(run.ReportPath());
    const std::string plot = Local(run.PlotPath());
    std::printf("engine result %d\nreport:    %s\nplot data: %s\nrun folder: %s\n", static_cast<int>(result),
                report.c_str(), plot.c_str(), run_folder.Path().c_str());
    for (const QString& line : run.FailureLines()) std::fprintf(stderr, "tremrun: %s\n", Local(line).c_str());
    if (std::fflush(stdout) != 0) {
        std::fprintf(stderr, "tremrun: standard output: %s\n", std::strerror(errno));
        if (result == Run::kResultCompleted) return kOutputFailed;
    }
    switch (result) {
    case Run::kResultCompleted: return kRan;
    case Run::kResultStopped: return kStopped;
    case Run::kResultRefused: return kRefused;
    case Run::kResultOutputFailed: return kOutputFailed;
    default:
        std::fprintf(stderr, "tremrun: the engine did not take the call (result %d)\n", static_cast<int>(result));
        return kNotStarted;
    }
}
