#include "engine_harness.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace harness {

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

EngineRun run_engine(const std::string& deck, const RunOptions& opt) {
  EngineRun run;
  char tmpl[] = "/tmp/tremex-run-XXXXXX";
  if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
  run.folder = tmpl;
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
  run.result = entry(opt.code);
  dlclose(lib);
  if (chdir(old_cwd) != 0) throw std::runtime_error("chdir back failed");

  run.report = read_file(base + ".tmo");
  run.plot_exists = access((base + ".tmq").c_str(), F_OK) == 0;
  run.plot = read_file(base + ".tmq");
  return run;
}

}  // namespace harness
