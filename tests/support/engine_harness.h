// Runs the real engine library the way the main program does: a fresh
// temporary folder made current, "names.dat" (seven lines, CR LF) and the
// deck written there, libtremcalc.so loaded, its entry called with 13 and the
// library freed.  The result code, report and plot data come back as text.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace harness {

// Owns the temporary folder of one run and removes it, with everything in it,
// when the last copy of the run is gone (not when TREMEX_KEEP_RUN_FOLDERS is
// set in the environment: then every folder stays for inspection).
class RunFolder;

struct EngineRun {
  int result = -1;
  std::string folder;   // where the run took place; exists as long as a copy of this run does
  std::string report;   // the tmo file, "" when missing
  std::string plot;     // the tmq file, "" when missing
  bool plot_exists = false;
  std::string message;  // the engine's ITREMX_MESSAGE after the call
  std::vector<std::string> report_lines() const;
  std::vector<std::string> plot_lines() const;
  std::shared_ptr<const RunFolder> owner;  // removes `folder` with the last copy
};

struct RunOptions {
  std::string mass_file;          // contents of the tmm file; not written when empty and !write_mass
  bool write_mass = true;
  bool write_names = true;        // write "names.dat" at all
  std::optional<std::string> names_override;  // when set, written as "names.dat" instead of the seven lines
  bool write_deck = true;
  int code = 13;
  // Called with the run's folder once its files are written, before the call.
  std::function<void(const std::string& folder)> prepare;
  // When >= 0: the size no file may grow beyond during the call (the soft RLIMIT_FSIZE, with
  // SIGXFSZ ignored, so that a write beyond it fails with EFBIG as on a full disk).
  long long file_size_limit = -1;
};

// Lowers the soft file-size limit of this process to `bytes` while it lives (SIGXFSZ ignored
// meanwhile): every write that would make a regular file larger fails with EFBIG.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(long long bytes);
  ~FileSizeLimit();
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  unsigned long long old_soft_;
  void (*old_handler_)(int);
};

// The path of the engine library under test.
std::string engine_library_path();

EngineRun run_engine(const std::string& deck, const RunOptions& opt = {});

// A fresh folder "/tmp/<prefix>-XXXXXX" for a test's own files, removed with
// everything in it when the object goes (as a run's folder is).
class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix);
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::shared_ptr<const RunFolder> owner_;
};

std::string read_file(const std::string& path);
// A report or plot data with what changes from run to run masked: the run folder `folder` (as
// "{RUN FOLDER}"), the value after "RUN DATE - " (a blank and 10 characters) and after
// "TIME     -  " (8), so that the outputs of runs compare with the stored copies byte for byte.
std::string masked(std::string text, const std::string& folder);
void write_file(const std::string& path, const std::string& text);
std::vector<std::string> split_lines(const std::string& text);

}  // namespace harness
