// Shared helpers of the fuzz targets of the main program: a private scratch folder, whole-file
// writes and reads, and a check that stops the run with a message when an expectation fails.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace fuzz {

// A fresh folder, made once per run, in memory when the system offers it (saves write whole
// files many times a second); numbers in the C locale as in the program.
inline const QString& Folder()
{
    static const QString folder = [] {
        std::setlocale(LC_NUMERIC, "C");
        std::string tmpl = access("/dev/shm", W_OK) == 0 ? "/dev/shm/tremex-fuzz-XXXXXX" : "/tmp/tremex-fuzz-XXXXXX";
        if (!mkdtemp(tmpl.data())) std::abort();
        // Gone when the run ends normally (a run that stops on a finding leaves it to look at).
        std::atexit([] { QDir(Folder()).removeRecursively(); });
        return QString::fromLocal8Bit(tmpl.c_str());
    }();
    return folder;
}

inline QString Path(const char* name) { return Folder() + QLatin1Char('/') + QLatin1String(name); }

inline void Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) std::abort();
}

inline void Write(const QString& path, const uint8_t* data, size_t size)
{
    Write(path, QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
}

inline QByteArray Read(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QByteArray("(missing)");
    return f.readAll();
}

// Stops the run (libFuzzer saves the input) when the expectation fails.
inline void Check(bool ok, const std::string& what)
{
    if (ok) return;
    std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
    std::abort();
}

}  // namespace fuzz
