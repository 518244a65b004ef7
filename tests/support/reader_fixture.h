// Runs single engine readers on a small deck, without the entry: the deck is
// put through the pre-pass into "TAPE7" in a fresh temporary folder, the run
// state is reset, and the report goes to a file whose lines the test reads.
//
//   ReaderFixture f("HALF\nCIRC\n...");
//   eng::READ_FOUNDATION();
//   EXPECT_EQ(f.report_lines()[2], " ...");
#pragma once

#include <string>

#include "engine_harness.h"
#include <vector>

namespace harness {

class ReaderFixture {
 public:
  // `deck`: the input deck text; `mass_file`: contents of the mass file (unit 9).
  explicit ReaderFixture(const std::string& deck, const std::string& mass_file = "0\n");
  ~ReaderFixture();
  ReaderFixture(const ReaderFixture&) = delete;
  ReaderFixture& operator=(const ReaderFixture&) = delete;

  // The report written so far (flushed on each call).
  std::vector<std::string> report_lines();
  std::string report_text();
  // The report from the first line that equals `first` on (empty when absent).
  std::vector<std::string> report_from(const std::string& first);
  const std::string& folder() const { return folder_; }

 private:
  TempFolder temp_;  // removed after the destructor has left it
  std::string folder_;
  std::string old_cwd_;
};

}  // namespace harness
