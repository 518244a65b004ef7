// The entry through the real library: result codes, closing pages, the run
// list and its console prompts, and the reset between two calls.
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>

#include "engine_harness.h"
#include "entry.h"
#include "reader_fixture.h"
#include "rt/format.h"
#include "state.h"

namespace {

using harness::EngineRun;
using harness::run_engine;

std::vector<std::string> tail(const std::vector<std::string>& v, std::size_t n) {
  return std::vector<std::string>(v.end() - static_cast<long>(std::min(n, v.size())), v.end());
}

const std::vector<std::string> kStopPage = {"1", "", "", " *** RUN TERMINATED BY 'STOP' KEYWORD ***"};
const std::vector<std::string> kFatalPage = {"1", "", "", "*** FATAL ERROR IN INPUT DATA ***",
                                             "*** EXEC   UTION TERMINATED ***"};

TEST(Entry, WrongArgumentTouchesNoFile) {
  for (int code : {12, 14, 0, -13}) {
    harness::RunOptions opt;
    opt.code = code;
    EngineRun run = run_engine("STOP\r\n", opt);
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.report, "");
    EXPECT_FALSE(run.plot_exists);
    EXPECT_NE(access((run.folder + "/TAPE7").c_str(), F_OK), 0);
  }
}

TEST(Entry, ResultCodesAndClosingPages) {
  struct C {
    const char* deck;
    int result;
    const std::vector<std::string>* page;
  } cases[] = {
      {"STOP\r\n", 2, &kStopPage},
      {"NOEC\r\n", 2, &kStopPage},                      // end of input before RUN
      {"GRAV\r\nXYZ\r\nSTOP\r\n", 3, &kFatalPage},      // an input error, then STOP
      {"RUN\r\n", 3, &kFatalPage},                      // nothing given
  };
  for (const C& c : cases) {
    EngineRun run = run_engine(c.deck);
    EXPECT_EQ(run.result, c.result) << c.deck;
    EXPECT_EQ(tail(run.report_lines(), c.page->size()), *c.page) << c.deck;
    EXPECT_TRUE(run.plot_exists);
    EXPECT_EQ(run.plot, "") << "nothing goes to the plot data before the analysis";
  }
}

std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(Entry, EndOfInputAndIncompleteInputMessages) {
  EngineRun eof = run_engine("ECHO\r\n");
  const std::vector<std::string> eof_expect = {
      "", "", " *** INPUT ERROR ***    END OF FILE ENCOUNTERED WHILE",
      "                        READING   1 ALPHANUMERIC WORDS", "", "",
      " END OF FILE ENCOUNTERED - PROGRAM STOP EXECUTED"};
  EXPECT_EQ(eof.report_lines(), concat(eof_expect, kStopPage));

  EngineRun incomplete = run_engine("RUN\r\nSTOP\r\n");
  const std::vector<std::string> msg = {"", "", " INSUFFICIENT INPUT DATA TO COMPLETE RUN",
                                        " PROGRAM WILL TERMINATE"};
  EXPECT_EQ(incomplete.report_lines(), concat(msg, kFatalPage));
}

TEST(Entry, CompletenessCheckWantsGravity) {
  harness::ReaderFixture f("");
  eng::g.run.foundation_type = 2;
  eng::g.run.load_type = 3;
  eng::g.run.geometry = 1;
  eng::CHECK_INPUT_COMPLETE();
  EXPECT_EQ(eng::g.run.fatal, 1);
  EXPECT_EQ(f.report_lines(), (std::vector<std::string>{"", "", " GRAVITATIONAL CONSTANT NOT SET",
                                                        " PROGRAM WILL TERMINATE"}));
}

TEST(Entry, KeywordLoopMessages) {
  EngineRun run = run_engine(
      "WIDE\r\nNOEC\r\nMATR\r\nDIME\r\nWIDE\r\nECHO\r\nDIME\r\nHARM\r\n5 7\r\nPLOT\r\nWEAK\r\n"
      "MASS\r\nKINE\r\nSTAT\r\nLONG\r\nSHOR\r\nfoun\r\nHARMONIC\r\nSTOP\r\n");
  EXPECT_EQ(run.result, 2);
  const std::string stars41 = " " + std::string(41, '*');
  const std::vector<std::string> expect = {
      "", "", " WIDE PRINTOUT FOR HARMONIC RESPONSE CURVE", stars41,
      "", "", " WIDE PRINTOUT FOR HARMONIC RESPONSE CURVE", stars41,
      "", "", " DIMENSIONLESS RESPONSE", " " + std::string(22, '*'),
      "", "", " HARM SUBKEYWORD MUST BE PRECEEDED BY LOAD KEYWORD",
      "", "", " UNRECOGNIZED KEYWORD - 5.  ",
      "", "", " UNRECOGNIZED KEYWORD - 7.  ",
      "", "", " PLOT SUBKEYWORD MUST BE PRECEEDED BY FOUNDATION KEYWORD",
      "", "", " WEAK SUBKEYWORD MUST BE PRECEEDED BY SOIL KEYWORD",
      "", "", " MASS SUBKEYWORD MUST BE PRECEEDED BY ONE OFFOU   NDATION, SOIL OR LOAD KEYWORDS",
      "", "", " UNRECOGNIZED KEYWORD - foun",
      "", "", " HARM SUBKEYWORD MUST BE PRECEEDED BY LOAD KEYWORD",
      "1", "", "", " *** RUN TERMINATED BY 'STOP' KEYWORD ***"};
  EXPECT_EQ(run.report_lines(), expect);
}

TEST(Entry, MatrixMessageFollowsTheEchoOption) {
  EngineRun run = run_engine("MATR\r\nSTOP\r\n");
  EXPECT_EQ(run.report_lines()[2], " STIFFNESS AND DAMPING CONSTANTS TO BE PRINTED");
  EXPECT_EQ(run.report_lines()[3], " " + std::string(45, '*'));
}

// The report with the run date and time blanked out.
std::string without_clock(const std::string& report) {
  return std::regex_replace(
      std::regex_replace(report, std::regex("RUN DATE -  .{10}"), "RUN DATE -  <date>"),
      std::regex("TIME     -  .{8}"), "TIME     -  <time>");
}

// ... and the run's folder too.
std::string without_clock_and_folder(const std::string& report) {
  return std::regex_replace(without_clock(report), std::regex("/tmp/tremex-run-[A-Za-z0-9]+/"), "<folder>/");
}

TEST(Entry, TitlePageAndBanner) {
  EngineRun run = run_engine("TITL\r\nPump on piles, second try\r\nGRAV = 32.2\r\nSTOP\r\n");
  const auto lines = harness::split_lines(without_clock(run.report));
  const std::string edge = " *" + std::string(47, ' ') + "*";
  const std::string stars = " " + std::string(49, '*');
  const std::vector<std::string> head = {
      "", "", "", stars, edge,
      " *        S O I L - F O U N D A T I O N          *", edge,
      " *     D Y N A M I C   S I M U L A T I O N       *",
      " *              TREMX 3.0.11                     *", edge,
      " *             RUN DATE -  <date>            *",
      " *             TIME     -  <time>              *", edge, stars, "",
      " " + rt::pad("Pump on piles", 80), "", "",
      "     Path to file locations      : " + run.folder + "/",
      "     Name of input data file     : project.tmx",
      "     Name of output file         : project.tmo",
      "     Name of plot output file    : project.tmq", "", "",
      "                      DATA ECHO", "                      *********", "", "",
      " UNRECOGNIZED KEYWORD -  sec", "", "",
      " GRAVITATIONAL CONSTANT SET TO  32.20 ft/s**2", " " + std::string(44, '*')};
  ASSERT_GE(lines.size(), head.size());
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + static_cast<long>(head.size())), head);
}

TEST(Entry, ATitleAfterTheKeywordOnItsLineIsReadAsWritten) {
  struct Case {
    const char* line;
    const char* title;  // as the title page shows it, trailing blanks dropped
  } cases[] = {
      {"TITLE=Fan, line 2", "Fan, line 2"},
      {"TITLE=Plant,STOP", "Plant,STOP"},
      {"TITLE=A=B*C $ no comment", "A=B*C $ no comment"},
      {"TITLE=T", "T"},
      {"TITLE=2(ab) 12 13 H", "2(ab) 12 13 H"},
      {"TITLE=  indented", "  indented"},
      {"  TITLE = spaced keyword", " spaced keyword"},
      {"TITL,comma form", "comma form"},
  };
  for (const Case& c : cases) {
    EngineRun run = run_engine(std::string(c.line) + "\r\nGRAV = 32.2\r\nSTOP\r\n");
    EXPECT_EQ(run.result, 2) << c.line << "\n" << run.report;
    const auto lines = harness::split_lines(run.report);
    const auto title = std::find(lines.begin(), lines.end(), " " + rt::pad(c.title, 80));
    EXPECT_NE(title, lines.end()) << c.line << "\n" << run.report;
    EXPECT_EQ(run.report.find("UNRECOGNIZED"), std::string::npos) << c.line;
    EXPECT_NE(run.report.find("GRAVITATIONAL CONSTANT SET TO  32.20 ft/s**2"), std::string::npos) << c.line;
  }
  // An empty title is a title: the next line stays a keyword.
  EngineRun empty = run_engine("TITLE=\r\nMATRIX\r\nGRAV = 9.8\r\nSTOP\r\n");
  EXPECT_NE(empty.report.find("STIFFNESS AND DAMPING CONSTANTS TO BE PRINTED"), std::string::npos) << empty.report;
  EXPECT_NE(empty.report.find("GRAVITATIONAL CONSTANT SET TO   9.80 m/s**2"), std::string::npos);
  // The line is read to column 80: 74 characters of title after "TITLE=".
  const std::string long_title(90, 'x');
  EngineRun cut = run_engine("TITLE=" + long_title + "\r\nGRAV = 9.8\r\nSTOP\r\n");
  const auto lines = harness::split_lines(cut.report);
  EXPECT_NE(std::find(lines.begin(), lines.end(), " " + rt::pad(std::string(74, 'x'), 80)), lines.end());
}

TEST(Entry, SecondCallInOneLoadEqualsAFreshLoad) {
  const std::string deck = "TITL\r\nFirst\r\nGRAV = 9.8\r\nMATR\r\nNOEC\r\nSTOP\r\n";
  void* lib = dlopen(harness::engine_library_path().c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(lib, nullptr);
  auto entry = reinterpret_cast<int32_t (*)(int32_t)>(dlsym(lib, "ITREMX"));
  auto alias = reinterpret_cast<int32_t (*)(int32_t)>(dlsym(lib, "_ITREMX"));
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry, alias);
  // First call in this load, on a deck that sets options and fails fatally.
  EngineRun first = run_engine("GRAV\r\nXX\r\nNOEC\r\nSTOP\r\n");
  EXPECT_EQ(first.result, 3);
  EngineRun a = run_engine(deck);
  EngineRun b = run_engine(deck);
  dlclose(lib);
  EXPECT_EQ(a.result, 2);
  EXPECT_EQ(b.result, 2);
  EXPECT_EQ(without_clock_and_folder(a.report), without_clock_and_folder(b.report));
  EXPECT_NE(a.report.find(" GRAVITATIONAL CONSTANT SET TO   9.80 m/s**2 "), std::string::npos);
}

TEST(Entry, ShortRunListPromptsForAllThreeNames) {
  // Four lines: input, output and plot names were read, yet the engine asks.
  const harness::TempFolder tmp("tremex-prompt");
  const std::string dir = tmp.path();
  harness::write_file(dir + "/answers", dir + "/a.tmx\n" + dir + "/a.tmo\n" + dir + "/a.tmq\n");
  harness::write_file(dir + "/a.tmx", "STOP\r\n");
  harness::RunOptions opt;
  opt.names_override = "3.0.11\r\n" + dir + "/x.tmx\r\n" + dir + "/x.tmo\r\n" + dir + "/x.tmq\r\n";
  // Console: answers from a file, prompts to a file.
  fflush(stdout);
  const int saved_in = dup(0), saved_out = dup(1);
  const int in = open((dir + "/answers").c_str(), O_RDONLY);
  const int outf = open((dir + "/console").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(in, 0);
  dup2(outf, 1);
  std::cin.clear();
  EngineRun run = run_engine("", opt);
  fflush(stdout);
  std::cout.flush();
  dup2(saved_in, 0);
  dup2(saved_out, 1);
  close(in);
  close(outf);
  std::cin.clear();
  EXPECT_EQ(run.result, 2);
  const std::string prompts = harness::read_file(dir + "/console");
  EXPECT_EQ(prompts,
            "\n\n       ENTER A FILE NAME FOR YOUR INPUT FILE.\n ENTER >\n"
            "\n\n       ENTER A FILE NAME FOR YOUR OUTPUT FILE.\n ENTER >\n"
            "\n\n       ENTER A FILE NAME FOR YOUR GRAPHIC DATA FILE.\n ENTER >\n");
  EXPECT_NE(harness::read_file(dir + "/a.tmo").find("RUN TERMINATED BY 'STOP'"), std::string::npos);
}

TEST(Entry, BrokenRunFilesEndTheRunWithoutACrash) {
  // No names.dat at all, and one without its first line.
  harness::RunOptions none;
  none.write_names = false;
  EXPECT_EQ(run_engine("STOP\r\n", none).result, 3);
  harness::RunOptions empty;
  empty.names_override = "";
  EXPECT_EQ(run_engine("STOP\r\n", empty).result, 3);
  // A missing input file: message and fatal page in the report.
  harness::RunOptions no_deck;
  no_deck.write_deck = false;
  EngineRun run = run_engine("", no_deck);
  EXPECT_EQ(run.result, 3);
  const auto lines = run.report_lines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[2].rfind(" *** INPUT FILE COULD NOT BE OPENED: ", 0), 0u);
  EXPECT_EQ(tail(lines, kFatalPage.size()), kFatalPage);
}

TEST(Entry, RunListThatWouldOverwriteTheDeckIsRefused) {
  // A report or plot-data name equal to the deck's or the mass file's (also
  // spelt another way) ends the run with result 3 before anything is opened:
  // the deck and the mass file stay as they were.
  const harness::TempFolder tmp("tremex-same");
  const std::string dir = tmp.path();
  const std::string folder = dir.substr(dir.rfind('/') + 1);
  const std::string deck = "GRAVITY=9.8\r\nSTOP\r\n", mass = "0\r\n";
  const std::string x = dir + "/d.tmx", m = dir + "/d.tmm";
  struct Case {
    const char* what;
    std::string out, plot;
  } cases[] = {
      {"report = deck", x, dir + "/d.tmq"},
      {"plot data = deck", dir + "/d.tmo", x},
      {"report = mass file", m, dir + "/d.tmq"},
      {"plot data = mass file", dir + "/d.tmo", m},
      {"report = deck, spelt another way", dir + "/../" + folder + "/./d.tmx", dir + "/d.tmq"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    harness::write_file(x, deck);
    harness::write_file(m, mass);
    std::remove((dir + "/d.tmo").c_str());
    std::remove((dir + "/d.tmq").c_str());
    harness::RunOptions opt;
    opt.names_override = "3.0.11\r\n" + x + "\r\n" + c.out + "\r\n" + c.plot + "\r\n" + dir + "/d.tmr\r\n" +
                         dir + "/d.tmt\r\n" + m + "\r\n";
    EngineRun run = run_engine("", opt);
    EXPECT_EQ(run.result, 3);
    EXPECT_EQ(harness::read_file(x), deck);
    EXPECT_EQ(harness::read_file(m), mass);
    EXPECT_FALSE(std::ifstream(dir + "/d.tmo").good());
    EXPECT_FALSE(std::ifstream(dir + "/d.tmq").good());
  }
  // The same run list with distinct names runs.
  harness::RunOptions opt;
  opt.names_override = "3.0.11\r\n" + x + "\r\n" + dir + "/d.tmo\r\n" + dir + "/d.tmq\r\n" + dir +
                       "/d.tmr\r\n" + dir + "/d.tmt\r\n" + m + "\r\n";
  EXPECT_EQ(run_engine("", opt).result, 2);
  EXPECT_EQ(harness::read_file(x), deck);
}

// A name of the run list is its whole line: paths of 300 and 1000 characters (the system takes
// 4095) reach the engine whole, and the run writes under them. (Names were once cut at 256
// characters: the report then went to another file, or the run was refused for names that
// the cut made alike.) A short line reads as it always did, trailing blanks dropped.
TEST(Entry, NamesAreReadWhole) {
  const harness::TempFolder tmp("tremex-long");
  for (const std::size_t length : {300u, 1000u}) {
    SCOPED_TRACE(length);
    // Folders of at most 200 characters each (a name may have 255) down to the length asked.
    std::string dir = tmp.path() + "/" + std::to_string(length);
    while (dir.size() + 210 < length) dir += "/" + std::string(200, 'd');
    dir += "/" + std::string(length - dir.size() - 7, 'n');
    ASSERT_EQ((dir + "/d.tmo").size(), length);
    std::filesystem::create_directories(dir);
    harness::write_file(dir + "/d.tmx", "STOP\r\n");
    harness::RunOptions opt;
    opt.names_override = "3.0.11\r\n" + dir + "/d.tmx   \r\n" + dir + "/d.tmo\r\n" + dir + "/d.tmq\r\n" + dir +
                         "/d.tmr\r\n" + dir + "/d.tmt\r\n" + dir + "/d.tmm\r\n";
    EngineRun run = run_engine("", opt);
    EXPECT_EQ(run.result, 2) << run.message;
    EXPECT_NE(harness::read_file(dir + "/d.tmo").find("RUN TERMINATED BY 'STOP'"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir + "/d.tmq"));
    // Nothing under a name cut at 256.
    EXPECT_FALSE(std::filesystem::exists((dir + "/d.tmo").substr(0, 256)));
  }
}

}  // namespace

namespace {

TEST(Entry, HostileDecksEndCleanly) {
  // A line of 600 characters, a deck of pseudo-random bytes (NUL, CR, high
  // bytes), and MASS with no mass file: each ends with a code and its page.
  std::string random_bytes;
  unsigned x = 12345;
  for (int i = 0; i < 20000; ++i) {
    x = x * 1103515245u + 12345u;
    random_bytes.push_back(static_cast<char>((x >> 16) & 0xff));
  }
  const std::string long_line = "TITL\r\n" + std::string(600, 'A') + "\r\nSTOP\r\n";
  for (const std::string& deck : {long_line, random_bytes, random_bytes + "\r\nRUN\r\n"}) {
    EngineRun run = run_engine(deck);
    EXPECT_TRUE(run.result == 2 || run.result == 3) << run.result;
    const auto lines = run.report_lines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[lines.size() - (run.result == 2 ? 4 : 5)], "1");
  }
  harness::RunOptions no_mass;
  no_mass.write_mass = false;
  EngineRun run = run_engine("GRAV = 9.8\r\nFOUN\r\nHALF\r\nCIRC = 2\r\nMASS\r\n1 2 3 4 5 6 7\r\nCONS\r\n0 0 0\r\nSTOP\r\n", no_mass);
  EXPECT_EQ(run.result, 2);
  EXPECT_NE(run.report.find("\n *** MASS FILE COULD NOT BE READ - MASS COMPONENTS NOT LISTED ***\n"),
            std::string::npos);
}

TEST(Entry, MassComponentsFromTheMassFile) {
  harness::RunOptions opt;
  opt.mass_file = "2\r\n1.5 0 0 0 1 2 3 \r\n2.25 -1 0.5 4 1 1 1 \r\n 0 0 0\r\n 0 0 0\r\n 0 0 0\r\n";
  EngineRun run = run_engine("GRAV = 9.8\r\nFOUN\r\nHALF\r\nCIRC = 2\r\nMASS\r\n3.75 1 1 1 0 0 0\r\nCONS\r\n0 0 0\r\nSTOP\r\n", opt);
  EXPECT_EQ(run.result, 2) << run.report;
  const std::vector<std::string> expect = {
      " MASS COMPONENTS  NUMBER OF DEFINED MASSES -  2",
      " ***************",
      "",
      "   NO.     MASS     x-local   y-local   z-local  LENGTH-X  LENGTH-Y  LENGTH-Z ",
      "           Mg         m         m         m         m         m         m ",
      "   1       1.500     0.000     0.000     0.000     1.000     2.000     3.000",
      "   2       2.250    -1.000     0.500     4.000     1.000     1.000     1.000",
  };
  const auto lines = run.report_lines();
  std::size_t at = 0;
  while (at < lines.size() && lines[at] != expect[0]) ++at;
  ASSERT_LT(at + expect.size(), lines.size() + 1) << run.report;
  EXPECT_EQ(std::vector<std::string>(lines.begin() + static_cast<long>(at),
                                     lines.begin() + static_cast<long>(at + expect.size())),
            expect);
}

}  // namespace
