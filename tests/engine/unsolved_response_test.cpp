// Frequencies whose equations of motion cannot be solved, through the real library: a mass so
// large that the dynamic stiffness leaves the range of a real at every frequency (3E38) or above
// one (1E35 in the harmonic example: K - w^2 m overflows from 62.8 rad/s on). Such a frequency
// has no response: its amplitudes are marked NOT SOLVED (the load vector once stood there as if
// it were the response), it has no plot record, and the run ends with result 6. What the other
// frequencies show is what a run of them alone shows, byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine_harness.h"

namespace {

using harness::EngineRun;
using harness::run_engine;

std::string example(const std::string& name) {
  return harness::read_file(std::string(TREMEX_SOURCE_DIR) + "/examples/" + name + ".tmx");
}

// `deck` with `from` replaced by `to` (which must be there once).
std::string with(std::string deck, const std::string& from, const std::string& to) {
  const std::size_t at = deck.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) deck.replace(at, from.size(), to);
  return deck;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The rows of the harmonic response table (after its line of dashes and the empty line).
std::vector<std::string> response_rows(const EngineRun& run) {
  const std::vector<std::string> lines = run.report_lines();
  std::vector<std::string> rows;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] != "   ------  -------    ---------   ---------   ---------   ---------   ---------   ---------")
      continue;
    for (std::size_t k = i + 2; k < lines.size() && !lines[k].empty(); ++k) rows.push_back(lines[k]);
  }
  return rows;
}

// The lines of the report from the summary of the frequencies without a response on.
std::vector<std::string> summary(const EngineRun& run) {
  const std::vector<std::string> lines = run.report_lines();
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i].rfind(" *** RESPONSE NOT COMPUTED AT ", 0) == 0) return {lines.begin() + long(i), lines.end()};
  return {};
}

const std::string kUnsolvedRow = "    NOT SOLVED  NOT SOLVED  NOT SOLVED  NOT SOLVED  NOT SOLVED  NOT SOLVED";

TEST(UnsolvedResponse, NoFrequencySolvedGivesNoResponseAndResult6) {
  const std::string deck = with(example("halfspace-harmonic"), "200 600 1100 1500 0 0 0", "3E38 600 1100 1500 0 0 0");
  const EngineRun run = run_engine(deck);
  EXPECT_EQ(run.result, 6);
  EXPECT_EQ(run.message,
            "*** RESPONSE NOT COMPUTED AT 50 OF 50 FREQUENCIES: THE EQUATIONS OF MOTION COULD NOT BE SOLVED ***");
  const std::vector<std::string> rows = response_rows(run);
  ASSERT_EQ(rows.size(), 50u);
  for (const std::string& row : rows) {
    // The frequencies stand; the columns of the six amplitudes say NOT SOLVED, not the loads
    // (10, 0, 20, 0, 5, 0).
    EXPECT_EQ(row.substr(18), kUnsolvedRow) << row;
    EXPECT_EQ(row.size(), 92u) << "the columns of a row of amplitudes";
    EXPECT_FALSE(contains(row, "E+01")) << row;
  }
  EXPECT_EQ(rows.front().substr(0, 18), "     1.00     6.28");
  // No plot record of any point: the count of the points written, 0.
  EXPECT_EQ(run.plot, "           0\n");
  // The summary names every frequency, as the table does.
  const std::vector<std::string> listed = summary(run);
  ASSERT_EQ(listed.size(), 3u + 50u);
  EXPECT_EQ(listed[1], " *** FREQUENCIES WITHOUT A RESPONSE (MARKED NOT SOLVED ABOVE): ***");
  EXPECT_EQ(listed[3], "     1.00     6.28");
  EXPECT_EQ(listed.back(), "    50.00   314.00");
}

TEST(UnsolvedResponse, TheSolvedFrequenciesAreThoseOfARunOfThemAlone) {
  // Below 62.8 rad/s 1E35 * w^2 is still a real: the first nine frequencies are solved.
  for (const bool matrix : {true, false}) {
    SCOPED_TRACE(matrix ? "with the stiffness matrix" : "without");
    std::string deck = with(example("halfspace-harmonic"), "200 600 1100 1500 0 0 0", "1E35 600 1100 1500 0 0 0");
    if (!matrix) deck = with(deck, "MATRIX\n", "");
    const EngineRun some = run_engine(deck);
    const EngineRun nine = run_engine(with(deck, "314 6.28 6.28", "56.52 6.28 6.28"));
    ASSERT_EQ(nine.result, 0) << "nine frequencies alone are all solved";
    EXPECT_EQ(some.result, 6);
    EXPECT_EQ(some.message,
              "*** RESPONSE NOT COMPUTED AT 41 OF 50 FREQUENCIES: THE EQUATIONS OF MOTION COULD NOT BE SOLVED ***");
    // The plot data hold the nine points as their own run writes them: count, records, bytes.
    EXPECT_EQ(some.plot, nine.plot);
    EXPECT_EQ(some.plot.substr(0, 13), "           9\n");
    const std::vector<std::string> rows = response_rows(some), own = response_rows(nine);
    ASSERT_EQ(rows.size(), 50u);
    ASSERT_EQ(own.size(), 9u);
    for (std::size_t k = 0; k < rows.size(); ++k) {
      if (k < 9) EXPECT_EQ(rows[k], own[k]);
      else EXPECT_EQ(rows[k].substr(18), kUnsolvedRow) << rows[k];
    }
    const std::vector<std::string> listed = summary(some);
    ASSERT_EQ(listed.size(), 3u + 41u);
    EXPECT_EQ(listed[3], "    10.00    62.80");
    EXPECT_TRUE(summary(nine).empty());
  }
}

TEST(UnsolvedResponse, TransientAndRandomLoadsHaveNoResponseWhereAFrequencyIsNotSolved) {
  struct Case {
    const char* example;
    const char* mass;   // as in the example
    int unsolved, points;
  } cases[] = {
      {"stratum-transient", "150 400 400 700 0 0 0", 8, 9},
      {"halfspace-random", "900 8000 8000 15000 0 0 0", 21, 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.example);
    const std::string deck = with(example(c.example), "TITLE=", "MATRIX\nTITLE=");
    const std::string heavy = std::string("1E36") + std::string(c.mass).substr(std::string(c.mass).find(' '));
    const EngineRun good = run_engine(deck);
    const EngineRun run = run_engine(with(deck, c.mass, heavy));
    ASSERT_EQ(good.result, 0);
    EXPECT_EQ(run.result, 6);
    EXPECT_EQ(run.message, "*** RESPONSE NOT COMPUTED AT " + std::to_string(c.unsolved) + " OF " +
                               std::to_string(c.points) + " FREQUENCIES: THE EQUATIONS OF MOTION COULD NOT BE SOLVED ***");
    // The stiffness and damping of the foundation do not depend on its mass, and these loads
    // write no response to the plot data: the plot data are those of the lighter foundation.
    EXPECT_EQ(run.plot, good.plot);
    EXPECT_EQ(summary(run).size(), 3u + unsigned(c.unsolved));
  }
  // Every time history is made of every frequency: none is left.
  const EngineRun transient = run_engine(with(example("stratum-transient"), "150 400", "1E36 400"));
  std::size_t rows = 0;
  for (const std::string& line : transient.report_lines()) {
    if (line.size() > 12 && line.substr(10) == "  NOT SOLVED  NOT SOLVED  NOT SOLVED  NOT SOLVED  NOT SOLVED  NOT SOLVED")
      ++rows;
  }
  EXPECT_EQ(rows, 16u) << "every one of the 16 time points";
  // A random load: no spectrum where a frequency is not solved, no peak factor at all.
  const EngineRun random = run_engine(with(example("halfspace-random"), "900 8000", "1E36 8000"));
  const std::vector<std::string> lines = random.report_lines();
  int peaks = 0, unsolved = 0, solved = 0;
  for (const std::string& line : lines) {
    if (line.size() == 58 && contains(line, "              --             NOT SOLVED")) ++peaks;
    if (line.size() == 49 && line.substr(37) == "  NOT SOLVED") ++unsolved;
    if (line.size() == 49 && contains(line, "E-")) ++solved;
  }
  EXPECT_EQ(peaks, 6);
  EXPECT_EQ(unsolved, 2 * 21) << "translation in x and rotation about y, 21 frequencies each";
  EXPECT_EQ(solved, 9) << "the rotation spectrum at the 9 frequencies solved (the translation is below a real)";
}

}  // namespace
