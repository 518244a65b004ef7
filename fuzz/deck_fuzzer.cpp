// Feeds arbitrary bytes to the engine as its input deck (with a fixed mass
// file) and runs one whole call of the entry on them.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "entry.h"

namespace {

std::string g_dir;

void write(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) std::abort();
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
}

void write(const std::string& path, const std::string& text) {
  write(path, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char tmpl[] = "/tmp/tremex-fuzz-XXXXXX";
  if (!mkdtemp(tmpl)) std::abort();
  g_dir = tmpl;
  if (chdir(g_dir.c_str()) != 0) std::abort();
  std::string names = "3.0.11\r\n";
  for (const char* ext : {".tmx", ".tmo", ".tmq", ".tmr", ".tmt", ".tmm"}) names += g_dir + "/f" + ext + "\r\n";
  write(g_dir + "/names.dat", names);
  write(g_dir + "/f.tmm", "2\r\n1 0 0 0 1 1 1\r\n2 1 1 1 2 2 2\r\n");
  // The console is never asked: names.dat is complete.
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  write(g_dir + "/f.tmx", data, size);
  const int32_t r = ITREMX(13);
  if (r < 0 || r > 3) std::abort();
  return 0;
}
