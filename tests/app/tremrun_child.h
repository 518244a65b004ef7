// tremrun run in a child process for the tests: its exit status, standard output and error.
#pragma once

#include "engine_harness.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

namespace {

struct Outcome {
    int status = -1;
    std::string out, err;
};

// Runs the tremrun program at `program` with `args` in a child process, with the file-size limit
// `limit` (bytes, < 0 for none) and as the user `uid` (< 0: this one).
// `stdoutPath`, when given, is the file standard output goes to (/dev/full, say); r.out is then empty.
Outcome TremrunAt(const std::string& program, const std::vector<std::string>& args, long long limit = -1, int uid = -1,
                  const std::string& stdoutPath = std::string())
{
    const harness::TempFolder capture("tremrun-out");
    const std::string out = stdoutPath.empty() ? capture.path() + "/out" : stdoutPath, err = capture.path() + "/err";
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (o < 0 || e < 0 || ::dup2(o, 1) < 0 || ::dup2(e, 2) < 0) ::_exit(120);
        if (limit >= 0) {
            // SIGXFSZ as the shell leaves it: tremrun itself makes the write fail instead.
            std::signal(SIGXFSZ, SIG_DFL);
            rlimit lim{};
            ::getrlimit(RLIMIT_FSIZE, &lim);
            lim.rlim_cur = rlim_t(limit);
            if (::setrlimit(RLIMIT_FSIZE, &lim) != 0) ::_exit(121);
        }
        if (uid >= 0 && (::setgid(gid_t(uid)) != 0 || ::setuid(uid_t(uid)) != 0)) ::_exit(122);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(123);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    Outcome r;
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 200 + WTERMSIG(status);
    if (stdoutPath.empty()) r.out = harness::read_file(out);
    r.err = harness::read_file(err);
    return r;
}

// The same with the tremrun of the build.
Outcome Tremrun(const std::vector<std::string>& args, long long limit = -1, int uid = -1)
{
    return TremrunAt(TREMRUN_PATH, args, limit, uid);
}

}  // namespace
