// The record units: a streamed unit (records written straight to its file)
// and an ordinary one give the same file and the same reads for the same
// calls, also when the streamed unit is read, rewound or backspaced.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "engine_harness.h"
#include "rt/units.h"

namespace {

struct Folder {
  std::string path;
  Folder() {
    char tmpl[] = "/tmp/tremex-units-XXXXXX";
    if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
    path = tmpl;
  }
  ~Folder() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
};

// Runs `calls` on a unit opened both ways; returns the file and what was read.
std::pair<std::string, std::string> run_both(const std::function<std::string(int)>& calls,
                                             bool streamed) {
  const Folder f;
  const std::string file = f.path + "/unit.txt";
  harness::write_file(file, "old contents\n");
  rt::reset_units();
  const int unit = 16;
  if (streamed) {
    EXPECT_TRUE(rt::open_unit_streamed(unit, file));
  } else {
    EXPECT_TRUE(rt::open_unit(unit, file, true));
  }
  const std::string read = calls(unit);
  rt::close_unit(unit);
  return {harness::read_file(file), read};
}

TEST(Units, StreamedUnitBehavesAsAnOrdinaryOne) {
  const std::function<std::string(int)> cases[] = {
      // Written from start to end only.
      [](int u) {
        rt::write_record(u, "first");
        rt::write_record(u, "");
        rt::write_record(u, " third ");
        return std::string();
      },
      // Backspaced and written over, then rewound and read.
      [](int u) {
        rt::write_record(u, "a");
        rt::write_record(u, "b");
        rt::backspace_unit(u);
        rt::write_record(u, "c");
        rt::rewind_unit(u);
        std::string rec, all;
        while (rt::read_record(u, rec)) all += rec + "|";
        rt::write_record(u, "after end");
        return all;
      },
      // Rewound at once and written from the start.
      [](int u) {
        rt::write_record(u, "x");
        rt::rewind_unit(u);
        std::string rec;
        const bool got = rt::read_record(u, rec);
        rt::write_record(u, "y");
        return std::string(got ? rec : "-");
      },
  };
  for (const auto& c : cases) {
    const auto ordinary = run_both(c, false);
    const auto streamed = run_both(c, true);
    EXPECT_EQ(streamed.first, ordinary.first);
    EXPECT_EQ(streamed.second, ordinary.second);
  }
  // The streamed file is complete on disk before the unit is closed.
  const Folder f;
  const std::string file = f.path + "/live.txt";
  rt::reset_units();
  ASSERT_TRUE(rt::open_unit_streamed(16, file));
  rt::write_record(16, "one");
  rt::flush_unit(16);
  EXPECT_EQ(harness::read_file(file), "one\n");
  rt::reset_units();
  EXPECT_EQ(harness::read_file(file), "one\n");
}

}  // namespace
