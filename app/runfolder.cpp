#include "runfolder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The files a run writes in its run folder.
constexpr const char* kRunFiles[] = {"names.dat", "TAPE7", "TAPE8"};

bool WritableFolder(const fs::path& folder)
{
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && ::access(folder.c_str(), W_OK | X_OK) == 0;
}

std::string Env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

}  // namespace

TRunFolder::TRunFolder(fs::path programFolder) : m_program(std::move(programFolder)) {}

TRunFolder::~TRunFolder()
{
    if (m_private && !m_path.empty()) {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    if (m_lock >= 0) ::close(m_lock);  // drops the claim on the program's folder
}

const fs::path& TRunFolder::Path()
{
    if (m_path.empty()) {
        if (ClaimProgramFolder()) {
            m_path = m_program;
            m_private = false;
        } else {
            MakePrivateFolder();
        }
    }
    return m_path;
}

bool TRunFolder::ClaimProgramFolder()
{
    if (!WritableFolder(m_program)) return false;
    for (const char* name : kRunFiles) {
        const fs::path file = m_program / name;
        if (::access(file.c_str(), F_OK) == 0 && ::access(file.c_str(), W_OK) != 0) return false;
    }
    const fs::path lock = m_program / kLockName;
    const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {  // another copy runs from this folder
        ::close(fd);
        return false;
    }
    m_lock = fd;
    return true;
}

void TRunFolder::MakePrivateFolder()
{
    std::vector<fs::path> bases;
    if (const std::string runtime = Env("XDG_RUNTIME_DIR"); !runtime.empty()) bases.emplace_back(runtime);
    if (const std::string cache = Env("XDG_CACHE_HOME"); !cache.empty()) bases.push_back(fs::path(cache) / "tremex");
    else if (const std::string home = Env("HOME"); !home.empty()) bases.push_back(fs::path(home) / ".cache" / "tremex");
    const std::string tmp = Env("TMPDIR");
    bases.emplace_back(tmp.empty() ? std::string("/tmp") : tmp);

    int lastError = 0;
    for (const fs::path& base : bases) {
        if (!base.is_absolute()) continue;
        std::error_code ec;
        fs::create_directories(base, ec);
        std::string name = (base / "tremex-rundir-XXXXXX").string();
        if (::mkdtemp(name.data())) {
            m_path = name;
            m_private = true;
            return;
        }
        lastError = errno;
    }
    throw std::runtime_error("Cannot make a run folder: " + std::string(std::strerror(lastError ? lastError : EACCES)));
}
