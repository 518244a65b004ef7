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

// Reads `n` bytes at `offset`; false when the file holds fewer.
bool ReadAt(int fd, void* to, size_t n, off_t offset)
{
    return ::pread(fd, to, n, offset) == ssize_t(n);
}

// Empty when the file's size holds everything its ELF headers place in it (the program headers
// with the file extent of every segment, the section header table); else what is missing. The
// loader maps segments without looking at the file's size, and a page mapped past the end of
// the file ends the process (SIGBUS) when it is touched: a library cut short is refused here,
// before it is mapped. A file that is no ELF file of this word size is left to the loader.
template <class Ehdr, class Phdr>
QString CutShort(int fd, off_t size)
{
    Ehdr eh {};
    if (!ReadAt(fd, &eh, sizeof eh, 0))
        return QStringLiteral("the file is %1 bytes long, shorter than its ELF header").arg(qint64(size));
    const auto tooShort = [size](unsigned long long end, const char* what) {
        return QStringLiteral("the file is %1 bytes long, but its %2 reach to byte %3: it is cut short or damaged")
            .arg(qint64(size))
            .arg(QLatin1String(what))
            .arg(end);
    };
    const unsigned long long fileSize = (unsigned long long)size;
    const unsigned long long phEnd = (unsigned long long)eh.e_phoff + (unsigned long long)eh.e_phnum * eh.e_phentsize;
    if (eh.e_phnum > 0 && phEnd > fileSize) return tooShort(phEnd, "program headers");
    const unsigned long long shEnd = (unsigned long long)eh.e_shoff + (unsigned long long)eh.e_shnum * eh.e_shentsize;
    if (eh.e_shoff != 0 && shEnd > fileSize) return tooShort(shEnd, "section headers");
    if (eh.e_phentsize < sizeof(Phdr) && eh.e_phnum > 0) return QStringLiteral("its program headers are damaged");
    for (unsigned i = 0; i < eh.e_phnum; ++i) {
        Phdr ph {};
        if (!ReadAt(fd, &ph, sizeof ph, off_t(eh.e_phoff + (unsigned long long)i * eh.e_phentsize)))
            return tooShort(phEnd, "program headers");
        const unsigned long long end = (unsigned long long)ph.p_offset + ph.p_filesz;
        if (ph.p_filesz > 0 && end > fileSize) return tooShort(end, "segments");
    }
    return {};
}

// Empty when the file may be handed to the loader; else why it is refused (see CutShort). A
// file that does not begin as an ELF file is left to the loader, which refuses it unmapped.
QString DamagedLibrary(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};  // the loader says why
    QString problem;
    struct stat st {};
    unsigned char ident[EI_NIDENT] = {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ReadAt(fd, ident, SELFMAG, 0) &&
        std::memcmp(ident, ELFMAG, SELFMAG) == 0) {
        if (!ReadAt(fd, ident, sizeof ident, 0))
            problem = QStringLiteral("the file is %1 bytes long, shorter than its ELF header").arg(qint64(st.st_size));
        else if (ident[EI_CLASS] == ELFCLASS64 && sizeof(void*) == 8)
            problem = CutShort<Elf64_Ehdr, Elf64_Phdr>(fd, st.st_size);
        else if (ident[EI_CLASS] == ELFCLASS32 && sizeof(void*) == 4)
            problem = CutShort<Elf32_Ehdr, Elf32_Phdr>(fd, st.st_size);
    }
    ::close(fd);
    return problem;
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
    // A library cut short would be mapped as it is and crash the program when it is used: it
    // is refused as a file that is no library.
    if (const QString damaged = path.isEmpty() ? QString() : DamagedLibrary(path); !damaged.isEmpty()) {
        m_lastError = m_name + QStringLiteral(": ") + damaged;
        return;
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
