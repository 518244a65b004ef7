#include "util/dynlib.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

#if defined(__x86_64__)
constexpr int kMachine = EM_X86_64;
#elif defined(__aarch64__)
constexpr int kMachine = EM_AARCH64;
#elif defined(__i386__)
constexpr int kMachine = EM_386;
#else
constexpr int kMachine = -1;  // not checked
#endif

// True when the file is an ELF shared object that this process could load.
bool IsLoadableSharedObject(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    unsigned char header[64] = {};
    const ssize_t n = ::read(fd, header, sizeof header);
    ::close(fd);
    if (n < 20) return false;
    if (std::memcmp(header, ELFMAG, SELFMAG) != 0) return false;
    const int wantClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;
    if (header[EI_CLASS] != wantClass || header[EI_DATA] != ELFDATA2LSB) return false;
    const int type = header[16] | (header[17] << 8);
    const int machine = header[18] | (header[19] << 8);
    if (type != ET_DYN) return false;
    return kMachine < 0 || machine == kMachine;
}

}  // namespace

TDynamicLibrary::~TDynamicLibrary()
{
    Close();
}

void TDynamicLibrary::SetLibraryName(const QString& name)
{
    if (IsOpen()) Close();
    m_name = name;
}

void TDynamicLibrary::Open()
{
    if (IsOpen()) return;
    const QByteArray path = QFile::encodeName(m_name);
    const bool hasFolder = path.contains('/');
    if (hasFolder) {
        struct stat st;
        if (::stat(path.constData(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR)) {
            m_lastError = QString::fromLocal8Bit(std::strerror(errno));
            throw EFileNotFoundError();
        }
    }
    dlerror();
    void* handle = path.isEmpty() ? nullptr : dlopen(path.constData(), RTLD_NOW | RTLD_LOCAL);
    if (handle) {
        m_handle = handle;
        m_lastError.clear();
        return;
    }
    const char* err = dlerror();
    m_lastError = err ? QString::fromLocal8Bit(err) : QString();
    if (hasFolder && IsLoadableSharedObject(path)) throw EInitError();
    // Any other failure: stay closed without an exception.
}

void* TDynamicLibrary::GetProc(const QString& entryName)
{
    if (!IsOpen()) throw EDLLNotOpenError();
    dlerror();
    return dlsym(m_handle, entryName.toLatin1().constData());
}

bool TDynamicLibrary::Close()
{
    if (m_handle) {
        dlclose(m_handle);
        m_handle = nullptr;
    }
    return false;
}
