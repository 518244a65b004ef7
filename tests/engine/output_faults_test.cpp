// Outputs the engine cannot write, through the real library: a report, plot-data or scratch
// file that cannot be created (a folder of its name), that fails in the middle of the run (the
// process's file-size limit, which fails a write as a full disk does) or at its last buffer
// (/dev/full). Each ends the run with result 4 and names the file and the system's reason in
// ITREMX_MESSAGE, and in the report while it still takes records; and line ends of every kind.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "engine_harness.h"

namespace {

using harness::EngineRun;
using harness::run_engine;

std::string example_deck() {
  return harness::read_file(std::string(TREMEX_SOURCE_DIR) + "/examples/halfspace-harmonic.tmx");
}

// The seven lines of a run list for the project files in `dir`, with the report and the plot
// data at the names given.
std::string run_list(const std::string& dir, const std::string& report, const std::string& plot) {
  return "3.0.11\r\n" + dir + "/project.tmx\r\n" + report + "\r\n" + plot + "\r\n" + dir + "/project.tmr\r\n" + dir +
         "/project.tmt\r\n" + dir + "/project.tmm\r\n";
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(OutputFaults, AFileThatCannotBeCreatedEndsTheRunWithResult4) {
  struct Case {
    const char* what;
    const char* in_folder;  // made a folder before the run
    const char* line;       // the engine's line, followed by the path
    bool in_report;
  } cases[] = {
      {"report", "project.tmo", " *** OUTPUT FILE COULD NOT BE OPENED: ", false},
      {"plot data", "project.tmq", " *** PLOT DATA FILE COULD NOT BE OPENED: ", true},
      {"scratch TAPE7", "TAPE7", " *** SCRATCH FILE COULD NOT BE OPENED: ", true},
      {"scratch TAPE8", "TAPE8", " *** SCRATCH FILE COULD NOT BE OPENED: ", true},
  };
  const std::string deck = example_deck();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    harness::RunOptions opt;
    opt.prepare = [&](const std::string& folder) { ASSERT_EQ(mkdir((folder + "/" + c.in_folder).c_str(), 0755), 0); };
    EngineRun run = run_engine(deck, opt);
    EXPECT_EQ(run.result, 4);
    const std::string path = run.folder + "/" + c.in_folder;
    const std::string line = c.line + path + " (Is a directory) ***";
    EXPECT_EQ(run.message, line);
    if (c.in_report) {
      EXPECT_TRUE(contains(run.report, line + "\n PROGRAM WILL NOT EXECUTE\n")) << run.report;
      EXPECT_FALSE(contains(run.report, "FATAL ERROR IN INPUT DATA")) << "the input is not at fault";
    }
    EXPECT_EQ(harness::read_file(run.folder + "/project.tmx"), deck);
  }
}

TEST(OutputFaults, AWriteThatFailsInTheMiddleOfTheRunEndsItWithResult4) {
  // The limit stops the file that outgrows it in the middle of a record; the other outputs go
  // to /dev/null (no regular file, no limit).
  const std::string deck = example_deck();
  struct Case {
    const char* what;
    bool report_real, plot_real;
    long long limit;
    const char* line;
    const char* path;  // in the run folder
  } cases[] = {
      {"report", true, false, 20000, " *** OUTPUT FILE COULD NOT BE WRITTEN: ", "project.tmo"},
      {"plot data", false, true, 3000, " *** PLOT DATA FILE COULD NOT BE WRITTEN: ", "project.tmq"},
      {"scratch file", false, false, 300, " *** SCRATCH FILE COULD NOT BE WRITTEN: ", "TAPE8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    harness::RunOptions opt;
    opt.prepare = [&](const std::string& folder) {
      harness::write_file(folder + "/names.dat",
                          run_list(folder, c.report_real ? folder + "/project.tmo" : "/dev/null",
                                   c.plot_real ? folder + "/project.tmq" : "/dev/null"));
    };
    opt.file_size_limit = c.limit;
    EngineRun run = run_engine(deck, opt);
    EXPECT_EQ(run.result, 4);
    const std::string path = run.folder + "/" + c.path;
    // The first failure first (a scratch file cut short also cuts the one copied from it).
    EXPECT_EQ(run.message.substr(0, run.message.find('\n')), c.line + path + " (File too large) ***");
    struct stat st {};
    ASSERT_EQ(stat((run.folder + "/" + c.path).c_str(), &st), 0);
    EXPECT_EQ(st.st_size, c.limit) << "the file was cut where it met the limit";
    EXPECT_EQ(harness::read_file(run.folder + "/project.tmx"), deck);
  }
  // Without the limit the same run computes.
  EXPECT_EQ(run_engine(deck).result, 0);
}

TEST(OutputFaults, AReportWhoseLastBufferCannotBeWrittenEndsTheRunWithResult4) {
  // /dev/full takes the file open and every write into the buffer; the disk refuses the buffer.
  for (const char* which : {"report", "plot data"}) {
    SCOPED_TRACE(which);
    const bool report = which[0] == 'r';
    harness::RunOptions opt;
    opt.prepare = [&](const std::string& folder) {
      harness::write_file(folder + "/names.dat", run_list(folder, report ? "/dev/full" : folder + "/project.tmo",
                                                          report ? folder + "/project.tmq" : "/dev/full"));
    };
    EngineRun run = run_engine(example_deck(), opt);
    EXPECT_EQ(run.result, 4);
    EXPECT_EQ(run.message, std::string(report ? " *** OUTPUT FILE" : " *** PLOT DATA FILE") +
                               " COULD NOT BE WRITTEN: /dev/full (No space left on device) ***");
  }
}

TEST(OutputFaults, AGoodRunHasNothingToSay) {
  EngineRun run = run_engine(example_deck());
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.message, "");
}

TEST(LineEnds, CrOnlyLineEndsReadAsLfAndCrLf) {
  // The same deck with CR LF, LF and CR line ends: the same run, plot data byte for byte.
  std::string lf, crlf, cr;
  for (char ch : example_deck()) {
    if (ch == '\r') continue;
    lf += ch;
    crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
    cr += ch == '\n' ? '\r' : ch;
  }
  ASSERT_GT(std::count(lf.begin(), lf.end(), '\n'), 10);
  const EngineRun a = run_engine(crlf), b = run_engine(lf), c = run_engine(cr);
  EXPECT_EQ(a.result, 0);
  EXPECT_EQ(b.result, 0);
  EXPECT_EQ(c.result, 0);
  ASSERT_FALSE(a.plot.empty());
  EXPECT_EQ(b.plot, a.plot);
  EXPECT_EQ(c.plot, a.plot);
  // The report apart from the time of the run.
  auto without_time = [](const EngineRun& r) {
    std::string out;
    for (const std::string& line : r.report_lines())
      if (!contains(line, "TIME     -") && !contains(line, "RUN DATE -") && !contains(line, "Path to file")) out += line + "\n";
    return out;
  };
  EXPECT_EQ(without_time(c), without_time(a));
  EXPECT_EQ(without_time(b), without_time(a));
  // The last line of a deck without an end and the run list without CR LF.
  harness::RunOptions cr_list;
  cr_list.prepare = [](const std::string& folder) {
    std::string names = harness::read_file(folder + "/names.dat");
    std::string only_cr;
    for (char ch : names)
      if (ch != '\n') only_cr += ch;
    harness::write_file(folder + "/names.dat", only_cr);
  };
  EXPECT_EQ(run_engine("STOP", cr_list).result, 2);
  EXPECT_TRUE(contains(run_engine("STOP", cr_list).report, "RUN TERMINATED BY 'STOP' KEYWORD"));
}

}  // namespace
