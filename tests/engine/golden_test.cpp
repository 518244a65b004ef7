// Byte identity of whole runs: the report and the plot data of every example
// deck and of the decks in tests/engine/golden/ are compared, byte for
// byte, with the copies stored in tests/engine/golden/expected/ (run date and
// time masked).  scripts/make-golden.sh writes the stored copies (it runs this
// test with TREMEX_GOLDEN_WRITE=1).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "engine_harness.h"
#include "entry.h"

namespace {

namespace fs = std::filesystem;

const std::string kSource = TREMEX_SOURCE_DIR;

using harness::masked;

std::vector<fs::path> decks() {
  std::vector<fs::path> out;
  for (const char* d : {"/examples", "/tests/engine/golden"}) {
    for (const auto& e : fs::directory_iterator(kSource + d))
      if (e.path().extension() == ".tmx") out.push_back(e.path());
  }
  std::sort(out.begin(), out.end());
  return out;
}

TEST(Golden, ReportsAndPlotDataAreByteIdenticalToTheStoredCopies) {
  const bool write = std::getenv("TREMEX_GOLDEN_WRITE") != nullptr;
  const fs::path expected = kSource + "/tests/engine/golden/expected";
  if (write) fs::create_directories(expected);
  const auto all = decks();
  ASSERT_GE(all.size(), 9u);
  for (const fs::path& deck : all) {
    harness::RunOptions opt;
    fs::path mass = deck;
    mass.replace_extension(".tmm");
    opt.mass_file = fs::exists(mass) ? harness::read_file(mass.string()) : "0\r\n";
    const harness::EngineRun run = harness::run_engine(harness::read_file(deck.string()), opt);
    std::error_code ec;
    fs::remove_all(run.folder, ec);
    ASSERT_EQ(run.result, 0) << deck;
    const std::string name = deck.stem().string();
    const std::string report = masked(run.report, run.folder), plot = masked(run.plot, run.folder);
    if (write) {
      harness::write_file((expected / (name + ".tmo")).string(), report);
      harness::write_file((expected / (name + ".tmq")).string(), plot);
      continue;
    }
    const std::string want_report = harness::read_file((expected / (name + ".tmo")).string());
    const std::string want_plot = harness::read_file((expected / (name + ".tmq")).string());
    ASSERT_FALSE(want_report.empty()) << "no stored report for " << name;
    EXPECT_TRUE(report == want_report) << name << ": the report differs from the stored copy";
    EXPECT_TRUE(plot == want_plot) << name << ": the plot data differ from the stored copy";
    if (report != want_report) {
      // The first differing line, to see what moved.
      const auto a = harness::split_lines(report), b = harness::split_lines(want_report);
      for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        if (a[i] != b[i]) {
          ADD_FAILURE() << name << " line " << i + 1 << ":\n  now:    " << a[i] << "\n  stored: " << b[i];
          break;
        }
      }
    }
  }
}

// One load, many runs: the statically linked engine runs a 100-pile group
// and then the other decks, largest first, in one process; each report and
// plot data are still those of a fresh load (nothing of an earlier run shows
// through in a later one).
TEST(Golden, RunsInOneLoadGiveWhatFreshLoadsGive) {
  if (std::getenv("TREMEX_GOLDEN_WRITE")) GTEST_SKIP();
  const fs::path expected = kSource + "/tests/engine/golden/expected";
  auto all = decks();
  std::stable_partition(all.begin(), all.end(),
                        [](const fs::path& p) { return p.stem().string().rfind("group100", 0) == 0; });
  char tmpl[] = "/tmp/tremex-golden-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const std::string folder = tmpl;
  const fs::path old = fs::current_path();
  fs::current_path(folder);
  for (const fs::path& deck : all) {
    const std::string base = folder + "/project";
    harness::write_file(base + ".tmx", harness::read_file(deck.string()));
    fs::path mass = deck;
    mass.replace_extension(".tmm");
    harness::write_file(base + ".tmm", fs::exists(mass) ? harness::read_file(mass.string()) : "0\r\n");
    std::string names = "3.0.11\r\n";
    for (const char* ext : {".tmx", ".tmo", ".tmq", ".tmr", ".tmt", ".tmm"}) names += base + ext + "\r\n";
    harness::write_file(folder + "/names.dat", names);
    EXPECT_EQ(eng::run_engine(13), 0) << deck;
    const std::string name = deck.stem().string();
    EXPECT_TRUE(masked(harness::read_file(base + ".tmo"), folder) ==
                harness::read_file((expected / (name + ".tmo")).string()))
        << name << ": the report differs from the stored copy";
    EXPECT_TRUE(masked(harness::read_file(base + ".tmq"), folder) ==
                harness::read_file((expected / (name + ".tmq")).string()))
        << name << ": the plot data differ from the stored copy";
  }
  fs::current_path(old);
  fs::remove_all(folder);
}

}  // namespace
