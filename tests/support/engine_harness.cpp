#include "engine_harness.h"

#include <dlfcn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace harness {

// The folder is removed only while it is still the one the run made (same
// device and inode): a caller may have removed it already, and its name may
// since have been given to another folder.
class RunFolder {
 public:
  explicit RunFolder(std::string path) : path_(std::move(path)) {
    struct stat st {};
    if (::stat(path_.c_str(), &st) == 0) {
      dev_ = st.st_dev;
      ino_ = st.st_ino;
      known_ = true;
    }
  }
  RunFolder(const RunFolder&) = delete;
  RunFolder& operator=(const RunFolder&) = delete;
  ~RunFolder() {
    if (!known_ || std::getenv("TREMEX_KEEP_RUN_FOLDERS")) return;
    struct stat st {};
    if (::lstat(path_.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_dev != dev_ || st.st_ino != ino_) return;
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }

 private:
  std::string path_;
  dev_t dev_ = 0;
  ino_t ino_ = 0;
  bool known_ = false;
};

std::string engine_library_path() {
  if (const char* p = std::getenv("TREMCALC_LIBRARY")) return p;
  return TREMCALC_PATH;
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void write_file(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string cur;
  for (char c : text) {
    if (c == '\n') {
      if (!cur.empty() && cur.back() == '\r') cur.pop_back();
      lines.push_back(cur);
      cur.clear();
    } else {
      cur.push_back(c);
    }
  }
  if (!cur.empty()) lines.push_back(cur);
  return lines;
}

std::vector<std::string> EngineRun::report_lines() const { return split_lines(report); }
std::vector<std::string> EngineRun::plot_lines() const { return split_lines(plot); }

TempFolder::TempFolder(const std::string& prefix) {
  std::string tmpl = "/tmp/" + prefix + "-XXXXXX";
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
  owner_ = std::make_shared<const RunFolder>(path_);
}

EngineRun run_engine(const std::string& deck, const RunOptions& opt) {
  EngineRun run;
  char tmpl[] = "/tmp/tremex-run-XXXXXX";
  if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
  run.folder = tmpl;
  run.owner = std::make_shared<const RunFolder>(run.folder);  // also removes it if the run throws
  const std::string base = run.folder + "/project";
  if (opt.write_deck) write_file(base + ".tmx", deck);
  if (opt.write_mass) write_file(base + ".tmm", opt.mass_file.empty() ? "0\r\n" : opt.mass_file);
  if (opt.write_names) {
    std::string names = opt.names_override.value_or("");
    if (!opt.names_override) {
      names = "3.0.11\r\n";
      for (const char* ext : {".tmx", ".tmo", ".tmq", ".tmr", ".tmt", ".tmm"})
        names += base + ext + "\r\n";
    }
    write_file(run.folder + "/names.dat", names);
  }

  if (opt.prepare) opt.prepare(run.folder);

  char old_cwd[4096];
  if (!getcwd(old_cwd, sizeof old_cwd)) throw std::runtime_error("getcwd failed");
  if (chdir(run.folder.c_str()) != 0) throw std::runtime_error("chdir failed");
  void* lib = dlopen(engine_library_path().c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    (void)chdir(old_cwd);
    throw std::runtime_error(std::string("dlopen failed: ") + dlerror());
  }
  using Entry = int32_t (*)(int32_t);
  auto entry = reinterpret_cast<Entry>(dlsym(lib, "_ITREMX"));
  if (!entry) {
    dlclose(lib);
    (void)chdir(old_cwd);
    throw std::runtime_error("entry _ITREMX not found");
  }
  {
    std::unique_ptr<FileSizeLimit> limit;
    if (opt.file_size_limit >= 0) limit = std::make_unique<FileSizeLimit>(opt.file_size_limit);
    run.result = entry(opt.code);
  }
  using Message = const char* (*)();
  if (auto message = reinterpret_cast<Message>(dlsym(lib, "ITREMX_MESSAGE"))) run.message = message();
  dlclose(lib);
  if (chdir(old_cwd) != 0) throw std::runtime_error("chdir back failed");

  run.report = read_file(base + ".tmo");
  run.plot_exists = access((base + ".tmq").c_str(), F_OK) == 0;
  run.plot = read_file(base + ".tmq");
  return run;
}

FileSizeLimit::FileSizeLimit(long long bytes) {
  rlimit lim{};
  if (getrlimit(RLIMIT_FSIZE, &lim) != 0) throw std::runtime_error("getrlimit failed");
  old_soft_ = lim.rlim_cur;
  old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
  lim.rlim_cur = static_cast<rlim_t>(bytes);
  if (setrlimit(RLIMIT_FSIZE, &lim) != 0) throw std::runtime_error("setrlimit failed");
}

FileSizeLimit::~FileSizeLimit() {
  rlimit lim{};
  getrlimit(RLIMIT_FSIZE, &lim);
  lim.rlim_cur = static_cast<rlim_t>(old_soft_);
  setrlimit(RLIMIT_FSIZE, &lim);
  std::signal(SIGXFSZ, old_handler_);
}

std::string masked(std::string text, const std::string& folder) {
  for (std::size_t at = text.find(folder); at != std::string::npos; at = text.find(folder, at))
    text.replace(at, folder.size(), "{RUN FOLDER}");
  struct Field {
    const char* label;
    std::size_t width;
  } fields[] = {{"RUN DATE - ", 11}, {"TIME     -  ", 8}};
  for (const Field& f : fields) {
    for (std::size_t at = text.find(f.label); at != std::string::npos; at = text.find(f.label, at + 1)) {
      const std::size_t from = at + std::string(f.label).size();
      for (std::size_t i = from; i < from + f.width && i < text.size() && text[i] != '\n'; ++i) text[i] = '#';
    }
  }
  return text;
}

}  // namespace harness
