// A slow stand-in of the engine library for the tests of the run: the same entry (ITREMX and
// _ITREMX, argument 13), reading the run list "names.dat" from the current folder. It writes
// its input path to "TAPE7", sleeps a second ($TREMEX_STANDIN_SECONDS when set), and then writes the report (line 3 of the run
// list): whether it ran on the process's main thread, its current folder, and whether "TAPE7"
// still held its own input path (another run sharing the folder would have replaced it). It
// returns 0, or $TREMEX_STANDIN_RESULT when set (a result no run of the real engine gives).
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string Trim(std::string line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' ')) line.pop_back();
    return line;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int32_t ITREMX(int32_t argument)
{
    if (argument != 13) return 1;
    const bool mainThread = ::syscall(SYS_gettid) == ::getpid();
    std::vector<std::string> lines;
    {
        std::ifstream names("names.dat");
        for (std::string line; std::getline(names, line);) lines.push_back(Trim(line));
    }
    if (lines.size() < 7) return 3;
    { std::ofstream("TAPE7") << lines[1] << '\n'; }
    const char* seconds = std::getenv("TREMEX_STANDIN_SECONDS");
    std::this_thread::sleep_for(std::chrono::milliseconds(seconds ? int(std::atof(seconds) * 1000) : 1000));
    std::string held;
    {
        std::ifstream tape("TAPE7");
        std::getline(tape, held);
    }
    std::ofstream report(lines[2]);
    report << "stand-in engine\n"
           << "thread: " << (mainThread ? "main" : "worker") << '\n'
           << "folder: " << std::filesystem::current_path().string() << '\n'
           << "scratch: " << (held == lines[1] ? "own" : "replaced") << '\n';
    const char* result = std::getenv("TREMEX_STANDIN_RESULT");
    return result ? std::atoi(result) : 0;
}

extern "C" __attribute__((visibility("default"))) int32_t _ITREMX(int32_t argument) { return ITREMX(argument); }
