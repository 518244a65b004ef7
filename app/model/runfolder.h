// The run folder of a running program: where the run list "names.dat" and the engine's scratch
// files "TAPE7" and "TAPE8" go, and which is the current folder while the engine runs (the
// engine opens those three by their bare names). Plain C++ (no Qt): the main program and the
// command-line runner tremrun share it.
//
// The rule:
// - the program's folder, when this program can write it (and names.dat, TAPE7 and TAPE8 there,
//   when they exist) and no other running copy of the program uses it. A copy claims the
//   folder by an exclusive lock on "tremex.lock" there, held as long as the claiming object
//   lives (the system drops it when the process ends, also after a crash);
// - else a private folder of its own, made on first use under the user's runtime folder
//   ($XDG_RUNTIME_DIR), else the user's cache folder ($XDG_CACHE_HOME or ~/.cache, in
//   "tremex"), else the temporary folder ($TMPDIR or /tmp), named "tremex-rundir-XXXXXX"; it is
//   removed with its files when the object goes. Its program holds an exclusive lock on the
//   "tremex.lock" inside it as long as it lives, so a private folder whose lock can be taken
//   was left by a program that ended without tidying up (a crash, a kill).
// On claiming a folder, such stale private folders of this user are removed from the parent
// folders above (only real folders of the pattern owned by this user; symbolic links are never
// followed; a folder whose lock is held, or that has no lock file yet, stays).
// The engine library itself is always loaded from the program's folder.
#pragma once

#include <filesystem>
#include <string>

class TRunFolder {
public:
    static constexpr const char* kLockName = "tremex.lock";

    explicit TRunFolder(std::filesystem::path programFolder);
    ~TRunFolder();
    TRunFolder(const TRunFolder&) = delete;
    TRunFolder& operator=(const TRunFolder&) = delete;

    // The run folder, chosen on the first call and kept from then on. Raises
    // std::runtime_error (with the system's text) when no folder can be had.
    const std::filesystem::path& Path();
    // true when the run folder is a private one (known after Path()).
    bool IsPrivate() const { return m_private; }
    const std::filesystem::path& ProgramFolder() const { return m_program; }

    // Removes the stale private run folders in `parent` (see above); gives how many went.
    static int RemoveStaleFolders(const std::filesystem::path& parent);

private:
    bool ClaimProgramFolder();
    void MakePrivateFolder();

    std::filesystem::path m_program;
    std::filesystem::path m_path;
    int m_lock = -1;
    bool m_private = false;
};
