#include "runfolder.h"

#include <dirent.h>
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

// Where private run folders are made, in the order they are tried.
std::vector<fs::path> PrivateBases()
{
    std::vector<fs::path> bases;
    if (const std::string runtime = Env("XDG_RUNTIME_DIR"); !runtime.empty()) bases.emplace_back(runtime);
    if (const std::string cache = Env("XDG_CACHE_HOME"); !cache.empty()) bases.push_back(fs::path(cache) / "tremex");
    else if (const std::string home = Env("HOME"); !home.empty()) bases.push_back(fs::path(home) / ".cache" / "tremex");
    const std::string tmp = Env("TMPDIR");
    bases.emplace_back(tmp.empty() ? std::string("/tmp") : tmp);
    return bases;
}

constexpr char kPrivatePrefix[] = "tremex-rundir-";

// A name mkdtemp() gives for "tremex-rundir-XXXXXX".
bool PrivateFolderName(const char* name)
{
    const size_t prefix = sizeof(kPrivatePrefix) - 1;
    if (std::strncmp(name, kPrivatePrefix, prefix) != 0 || std::strlen(name) != prefix + 6) return false;
    for (const char* c = name + prefix; *c; ++c)
        if (!((*c >= 'A' && *c <= 'Z') || (*c >= 'a' && *c <= 'z') || (*c >= '0' && *c <= '9'))) return false;
    return true;
}

// Removes everything in the open folder `dir`; sub-folders are opened without following
// symbolic links (a link is removed, never what it points to).
void RemoveContents(int dir)
{
    const int listFd = ::dup(dir);
    if (listFd < 0) return;
    DIR* list = ::fdopendir(listFd);
    if (!list) {
        ::close(listFd);
        return;
    }
    std::vector<std::string> names;
    while (const dirent* e = ::readdir(list))
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names.emplace_back(e->d_name);
    ::closedir(list);
    for (const std::string& name : names) {
        struct stat st {};
        if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
            const int sub = ::openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub >= 0) {
                RemoveContents(sub);
                ::close(sub);
            }
            ::unlinkat(dir, name.c_str(), AT_REMOVEDIR);
        } else {
            ::unlinkat(dir, name.c_str(), 0);
        }
    }
}

}  // namespace

int TRunFolder::RemoveStaleFolders(const fs::path& parent)
{
    const int top = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (top < 0) return 0;
    const int listFd = ::dup(top);
    DIR* list = listFd >= 0 ? ::fdopendir(listFd) : nullptr;
    if (!list) {
        if (listFd >= 0) ::close(listFd);
        ::close(top);
        return 0;
    }
    std::vector<std::string> candidates;
    while (const dirent* e = ::readdir(list))
        if (PrivateFolderName(e->d_name)) candidates.emplace_back(e->d_name);
    ::closedir(list);

    int removed = 0;
    const uid_t me = ::geteuid();
    for (const std::string& name : candidates) {
        struct stat st {};
        if (::fstatat(top, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != me)
            continue;
        const int dir = ::openat(top, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (dir < 0) continue;
        struct stat opened {};
        // (Not blocking: a fifo of that name must not hold the program up.)
        const int lock = ::openat(dir, kLockName, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        struct stat lockStat {};
        // The folder opened is the one looked at, the lock is a plain file, and no program holds it.
        const bool stale = ::fstat(dir, &opened) == 0 && opened.st_dev == st.st_dev && opened.st_ino == st.st_ino &&
                           lock >= 0 && ::fstat(lock, &lockStat) == 0 && S_ISREG(lockStat.st_mode) &&
                           ::flock(lock, LOCK_EX | LOCK_NB) == 0;
        if (stale) {
            RemoveContents(dir);
            if (::unlinkat(top, name.c_str(), AT_REMOVEDIR) == 0) ++removed;
        }
        if (lock >= 0) ::close(lock);
        ::close(dir);
    }
    ::close(top);
    return removed;
}

TRunFolder::TRunFolder(fs::path programFolder) : m_program(std::move(programFolder)) {}

TRunFolder::~TRunFolder()
{
    if (m_private && !m_path.empty()) {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    if (m_lock >= 0) ::close(m_lock);  // drops the claim on the folder
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
        for (const fs::path& base : PrivateBases())
            if (base.is_absolute()) RemoveStaleFolders(base);
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
    int lastError = 0;
    for (const fs::path& base : PrivateBases()) {
        if (!base.is_absolute()) continue;
        std::error_code ec;
        fs::create_directories(base, ec);
        std::string name = (base / (std::string(kPrivatePrefix) + "XXXXXX")).string();
        if (!::mkdtemp(name.data())) {
            lastError = errno;
            continue;
        }
        // The lock is taken on a file of another name and then renamed into place, so that a
        // copy that looks for stale folders meanwhile never finds the lock file free.
        const int dir = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        const std::string pending = std::string(kLockName) + ".new";
        const int lock =
            dir >= 0 ? ::openat(dir, pending.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600) : -1;
        const bool locked = lock >= 0 && ::flock(lock, LOCK_EX | LOCK_NB) == 0 &&
                            ::renameat(dir, pending.c_str(), dir, kLockName) == 0;
        if (!locked) lastError = errno;
        if (dir >= 0) ::close(dir);
        if (locked) {
            m_path = name;
            m_lock = lock;
            m_private = true;
            return;
        }
        if (lock >= 0) ::close(lock);
        fs::remove_all(name, ec);
    }
    throw std::runtime_error("Cannot make a run folder: " + std::string(std::strerror(lastError ? lastError : EACCES)));
}
