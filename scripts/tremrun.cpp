// tremrun: runs one analysis with the engine library, the way the main program
// does, for use without the GUI.
//   tremrun project.tmx
// writes "names.dat" in the run folder (the program's folder when it can be
// written and no other copy of the program uses it, else a private folder; see
// app/model/runfolder.h), which is the current folder during the call, with the
// main program's run list (app/model/runlist.h), loads libtremcalc.so from the
// program's folder, calls its entry with 13, frees it, deletes "names.dat" and prints where the report and the plot data went.
#include "projectfile.h"
#include "runfolder.h"
#include "runlist.h"
#include "util/exceptions.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tremrun PROJECT.tmx\n");
    return 2;
  }
  const fs::path project = fs::absolute(argv[1]);
  if (!fs::exists(project)) {
    std::fprintf(stderr, "tremrun: %s does not exist\n", project.c_str());
    return 2;
  }
  const fs::path program_dir = fs::canonical("/proc/self/exe").parent_path();
  TRunFolder run_folder(program_dir);
  try {
    fs::current_path(run_folder.Path());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tremrun: %s\n", e.what());
    return 1;
  }
  try {
    Run::WriteRunList(QStringLiteral("names.dat"), QStringLiteral("3.0.11"), QString::fromStdString(project.string()));
  } catch (const Exception&) {
    std::fprintf(stderr, "tremrun: cannot write %s\n", (run_folder.Path() / "names.dat").c_str());
    return 1;
  }
  void* lib = dlopen((program_dir / "libtremcalc.so").c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!lib) {
    std::fprintf(stderr, "Attempt to initialize DLL failed (%s)\n", dlerror());
    fs::remove("names.dat");
    return 1;
  }
  auto entry = reinterpret_cast<int32_t (*)(int32_t)>(dlsym(lib, "_ITREMX"));
  if (!entry) {
    std::fprintf(stderr, "Attempt to initialize DLL failed\n");
    dlclose(lib);
    fs::remove("names.dat");
    return 1;
  }
  const int32_t result = entry(13);
  dlclose(lib);
  fs::remove("names.dat");
  const QString name = QString::fromStdString(project.string());
  const std::string report = ProjectFile::ChangeFileExt(name, QStringLiteral(".tmo")).toStdString();
  const std::string plot = ProjectFile::ChangeFileExt(name, QStringLiteral(".tmq")).toStdString();
  std::printf("engine result %d\nreport:    %s\nplot data: %s\nrun folder: %s\n", static_cast<int>(result),
              report.c_str(), plot.c_str(), run_folder.Path().c_str());
  return 0;
}
