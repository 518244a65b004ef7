// Decks at the edge of the analysis' numerical range, through the real
// library: a pile in a wide weak zone with strong damping, where the
// single-precision K0 and K1 of the layer reaction underflow (once gave NaN in
// every stiffness of the report with result 0), and a layer so soft that the
// stiffnesses overflow, which no arithmetic can save: that run must say so.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine_harness.h"

namespace {

using harness::EngineRun;
using harness::run_engine;

std::string pile_deck(const std::string& first_layer) {
  std::string deck = harness::read_file(std::string(TREMEX_SOURCE_DIR) + "/examples/single-pile-harmonic.tmx");
  const std::string from = "1 120 17 0.4 0.05 1 0.4 0.1 0";
  const std::size_t at = deck.find(from);
  EXPECT_NE(at, std::string::npos);
  if (at != std::string::npos) deck.replace(at, from.size(), first_layer);
  return deck;
}

std::string mass() {
  return harness::read_file(std::string(TREMEX_SOURCE_DIR) + "/examples/single-pile-harmonic.tmm");
}

bool has_nan_or_inf(const std::string& text) {
  for (const char* bad : {"NaN", "nan", "Inf", "inf", "NAN", "INF"})
    if (text.find(bad) != std::string::npos) return true;
  return false;
}

// The value printed on every report line beginning with `caption`.
std::vector<double> printed(const EngineRun& run, const std::string& caption) {
  std::vector<double> v;
  for (const std::string& line : run.report_lines()) {
    if (line.rfind(caption, 0) != 0) continue;
    const std::size_t dots = line.find(" ..", caption.size());
    v.push_back(std::strtod(line.c_str() + line.find_first_not_of(". ", dots), nullptr));
  }
  return v;
}

// Weak zone of 725 pile radii (shear ratio 0.5) in a layer of damping 0.2:
// a' = a0·726 reaches 1140 at 100 Hz, K0 and K1 of the reaction at R fall
// below single precision from about 40 Hz.  Against the same deck with a
// zone of 430 radii (a' at most 677, inside the range): a wider zone of the
// same soft soil changes the pile's stiffness smoothly and little (the outer
// reaction at R is far stiffer than the annulus): every term of every
// frequency stays within 1 % of the largest of its column.
TEST(NumericRange, WideWeakZoneWithStrongDampingGivesFiniteStiffness) {
  harness::RunOptions opt;
  opt.mass_file = mass();
  const EngineRun wide = run_engine(pile_deck("1 120 17 0.4 0.2 0.5 0.4 0.2 725"), opt);
  const EngineRun inside = run_engine(pile_deck("1 120 17 0.4 0.2 0.5 0.4 0.2 430"), opt);
  EXPECT_EQ(wide.result, 0);
  EXPECT_EQ(inside.result, 0);
  EXPECT_FALSE(has_nan_or_inf(wide.report));
  EXPECT_FALSE(has_nan_or_inf(wide.plot));
  EXPECT_FALSE(has_nan_or_inf(inside.report));
  for (const char* caption : {" HORIZONTAL TRANSLATION (KXX)", " VERTICAL TRANSLATION (KWW)", " ROTATION (KPPX)",
                              " TORSION (KZT)", " HORIZONTAL TRANSLATION (CXX)", " VERTICAL TRANSLATION (CWW)",
                              " ROTATION (CPPX)", " TORSION (CZT)"}) {
    const std::vector<double> a = printed(wide, caption), b = printed(inside, caption);
    ASSERT_EQ(a.size(), 40u) << caption;  // 20 frequencies, two passes
    ASSERT_EQ(b.size(), a.size()) << caption;
    double largest = 0.0;  // (the dynamic stiffness passes through 0 near 95 Hz)
    for (double x : b) largest = std::max(largest, std::abs(x));
    for (std::size_t i = 0; i < a.size(); ++i) EXPECT_NEAR(a[i], b[i], 0.01 * largest) << caption << " " << i;
  }
}

// A layer of shear-wave velocity 1E-18 m/s: a0 = r·omega/Vs near 1E20, whose
// reactions overflow single precision.  The run stops at the first frequency
// without a finite impedance, says so, and ends with the fatal page and
// result 3; no NaN reaches the report or the plot data.
TEST(NumericRange, StiffnessBeyondTheRangeStopsTheRunWithAMessage) {
  harness::RunOptions opt;
  opt.mass_file = mass();
  const EngineRun run = run_engine(pile_deck("1 1E-18 17 0.4 0.05 1 0.4 0.1 0"), opt);
  EXPECT_EQ(run.result, 3);
  EXPECT_FALSE(has_nan_or_inf(run.report));
  EXPECT_FALSE(has_nan_or_inf(run.plot));
  const std::vector<std::string> lines = run.report_lines();
  const std::vector<std::string> tail(lines.end() - 7, lines.end());
  const std::vector<std::string> want = {
      " *** FOUNDATION IMPEDANCE NOT FINITE AT  1.000E+01 Hz - INPUT BEYOND THE NUMERICAL RANGE OF THE ANALYSIS ***",
      " ANALYSIS TERMINATED",
      "1",
      "",
      "",
      "*** FATAL ERROR IN INPUT DATA ***",
      "*** EXEC   UTION TERMINATED ***"};
  EXPECT_EQ(tail, want);
  EXPECT_EQ(run.report.find("RESPONSE AMPLITUDES"), std::string::npos);
}

}  // namespace
