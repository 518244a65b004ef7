// Library binder (unit dynlib): `TDynamicLibrary` and the `EDLLError` family.
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// Loading is dlopen(name, RTLD_NOW | RTLD_LOCAL); look-up is dlsym. A failed load is judged by
// what it means, as the system error codes of the library's first platform did:
// - the named file does not exist (stat gives ENOENT or ENOTDIR; for a name with a folder),
//   the "library file not found" code: raises EFileNotFoundError "Library could not be located";
// - the file is a shared object of this machine (ELF, same word size and machine, type
//   ET_DYN) and yet did not load: a library it needs is missing, one of its symbols cannot be
//   resolved, or its start-up failed; the "initialisation routine failed" code: raises
//   EInitError "Library failed to properly initialize";
// - anything else (no shared object, wrong machine, no read permission, a bare name not found
//   on the search path): the object stays closed and nothing is raised; GetProc then raises
//   EDLLNotOpenError. So is an ELF file shorter than its own headers say (a library cut short
//   by a copy that stopped or a full disk): it is not handed to the loader at all, since the
//   loader would map it as it is and the first touch of a page past the file's end would end
//   the process.
// Callers treat every failure alike: the main program and tremrun say "Attempt to initialize
// DLL failed" (tremrun adds LastLoadError()) and run nothing.
// The loader's own text of the last failure is kept in LastLoadError().
#pragma once

#include "util/exceptions.h"

#include <QString>

// Base of the family: callers catch this one.
class EDLLError : public Exception {
public:
    using Exception::Exception;
};
class EInitError : public EDLLError {
public:
    EInitError() : EDLLError(QStringLiteral("Library failed to properly initialize")) {}
};
class EFileNotFoundError : public EDLLError {
public:
    EFileNotFoundError() : EDLLError(QStringLiteral("Library could not be located")) {}
};
class EDLLNotOpenError : public EDLLError {
public:
    EDLLNotOpenError() : EDLLError(QStringLiteral("Library is not open")) {}
};

class TDynamicLibrary {
public:
    TDynamicLibrary() = default;
    TDynamicLibrary(const TDynamicLibrary&) = delete;
    TDynamicLibrary& operator=(const TDynamicLibrary&) = delete;
    virtual ~TDynamicLibrary();

    QString LibraryName() const { return m_name; }
    // Releases a loaded library first, then stores the name; does not load.
    void SetLibraryName(const QString& name);
    // Loads the library of the stored name; nothing when already loaded (see above for failures).
    void Open();
    bool IsOpen() const { return m_handle != nullptr; }
    // The entry's address, or nullptr when the library has no such entry; EDLLNotOpenError when
    // no library is loaded.
    void* GetProc(const QString& entryName);
    // Releases a loaded library and forgets it; returns false in every case.
    bool Close();

    QString LastLoadError() const { return m_lastError; }

private:
    QString m_name;
    void* m_handle = nullptr;
    QString m_lastError;
};
