// Whole analyses through the real library, checked against closed forms:
// the static stiffness of a rigid circular footing on a half-space, the
// static response F/K, and the report and plot-data layouts of the loop.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "analysis.h"
#include "engine_harness.h"

namespace {

using harness::EngineRun;
using harness::run_engine;

// A circular footing (radius 2) on a half-space: Vs 200, unit weight 20,
// Poisson's ratio 0.25, g = 10, so G = 80000.
constexpr double kG = 80000.0, kR = 2.0, kNu = 0.25;

std::string half_space_deck(const std::string& load, const std::string& below = "200 20 0.25 0",
                            const std::string& gravity = "10", const std::string& zc = "0") {
  return "TITLE=Circular footing\r\nMATRIX\r\nGRAVITY=" + gravity +
         "\r\nFOUNDATION=HALF-SPACE\r\nCIRCULAR=2\r\nMASS \r\n0 0 0 0 0 0 0\r\nCONSTANTS \r\n0 0 " + zc +
         " \r\nSOIL \r\nCONSTANTS=1\r\n1 0 200 20 0.25 0\r\nBELOW=" + below + "\r\nLOAD \r\n" + load +
         "RUN \r\n0\r\n";
}

std::string harmonic(const std::string& range, const std::string& forces = "1 0 0.9 ") {
  return "HARMONIC \r\nCONSTANTS \r\nNONQUADRATIC \r\n" + range + " \r\n" + forces + "\r\n0 0 0 \r\n0 0 0 0 \r\n";
}

// The number after `caption` on the first report line that begins with it.
double value_after(const std::vector<std::string>& lines, const std::string& caption, std::size_t from = 0) {
  for (std::size_t i = from; i < lines.size(); ++i)
    if (lines[i].rfind(caption, 0) == 0) return std::strtod(lines[i].c_str() + caption.size(), nullptr);
  ADD_FAILURE() << "no line " << caption;
  return NAN;
}

std::size_t index_of(const std::vector<std::string>& lines, const std::string& text, std::size_t from = 0) {
  for (std::size_t i = from; i < lines.size(); ++i)
    if (lines[i] == text) return i;
  return lines.size();
}

std::vector<double> numbers(const std::string& line) {
  std::istringstream in(line);
  std::vector<double> v;
  double x;
  while (in >> x) v.push_back(x);
  return v;
}

TEST(Driver, StaticHalfSpaceStiffnessAndResponse) {
  // Minimum frequency 0: the single point is computed at 0.0001 rad/s.
  EngineRun run = run_engine(half_space_deck(harmonic("0 0 1")));
  ASSERT_EQ(run.result, 0) << run.report;
  const auto lines = run.report_lines();
  const double kh = 8 * kG * kR / (2 - kNu), kv = 4 * kG * kR / (1 - kNu);
  const double kr = 8 * kG * kR * kR * kR / (3 * (1 - kNu)), kt = 16 * kG * kR * kR * kR / 3;
  EXPECT_NEAR(value_after(lines, " HORIZONTAL TRANSLATION (KXX) .."), kh, kh * 1e-5);
  EXPECT_NEAR(value_after(lines, " HORIZONTAL TRANSLATION (KYY) .."), kh, kh * 1e-5);
  EXPECT_NEAR(value_after(lines, " VERTICAL TRANSLATION (KWW)  ..."), kv, kv * 1e-5);
  EXPECT_NEAR(value_after(lines, " ROTATION (KPPX) .............. "), kr, kr * 1e-5);
  EXPECT_NEAR(value_after(lines, " ROTATION (KPPY)  .............."), kr, kr * 1e-5);
  EXPECT_NEAR(value_after(lines, " TORSION (KZT)  ................"), kt, kt * 1e-5);
  EXPECT_EQ(value_after(lines, " CROSS-STIFFNESS (KXP)  ........"), 0.0);
  EXPECT_NE(index_of(lines, " FREQUENCY  -        0.0000 Hz (      0.0001 rad./sec.)"), lines.size());

  // Response table: one row at the printed frequency 0.00, amplitudes F/K.
  const std::size_t head = index_of(lines, "                        FOOTING RESPONSE AMPLITUDES");
  ASSERT_LT(head + 9, lines.size());
  EXPECT_EQ(lines[head + 5], " "
                             "                       (UOX)       (UOY)       (UOZ)  "
                             "     (EPOX)      (EPOY)      (EPOZ)");
  const std::string b10(10, ' '), b9(9, ' ');
  EXPECT_EQ(lines[head + 6], std::string(26, ' ') + "m " + b10 + "m " + b10 + "m " + b10 + "rad" + b9 + "rad" + b9 + "rad");
  const std::vector<double> row = numbers(lines[head + 9]);
  ASSERT_EQ(row.size(), 8u) << lines[head + 9];
  EXPECT_EQ(row[0], 0.0);
  EXPECT_EQ(row[1], 0.0);
  EXPECT_NEAR(row[2], 1.0 / kh, 1e-4 / kh);
  EXPECT_EQ(row[3], 0.0);
  EXPECT_NEAR(row[4], 0.9 / kv, 1e-4 / kv);

  // Plot data: N, the two stiffness and damping records, the amplitude record.
  const auto plot = run.plot_lines();
  ASSERT_EQ(plot.size(), 4u);
  EXPECT_EQ(plot[0], "           1");
  EXPECT_EQ(plot[1].size(), 99u);
  EXPECT_EQ(plot[3].substr(0, 10), "    0.00  ");
  EXPECT_EQ(plot[3].substr(10), lines[head + 9].substr(20));
}

TEST(Driver, VerticalResonanceOfAHeavyFootingLiesNearSqrtKOverM) {
  // Mass 500 on the footing: the undamped vertical mode is at sqrt(Kv/m).  The
  // mass ratio b = m (1 - nu) / (4 rho R^3) = 5.86 gives a radiation damping
  // of about 0.425 / sqrt(b) = 0.18, which the engine's 0.7 factor on the
  // imaginary parts lowers to about 0.12; the peak lies a few per cent lower.
  std::string deck = half_space_deck(harmonic("60 20 0.5", "0 0 1 "));
  deck.replace(deck.find("0 0 0 0 0 0 0"), 13, "500 0 0 0 0 0 0");
  EngineRun run = run_engine(deck);
  ASSERT_EQ(run.result, 0);
  const double kv = 4 * kG * kR / (1 - kNu);
  const double wn = std::sqrt(kv / 500.0);
  double best_w = 0, best_u = 0;
  for (const std::string& rec : run.plot_lines()) {
    const std::vector<double> v = numbers(rec);
    if (v.size() != 7) continue;  // amplitude records: omega and six amplitudes
    if (v[3] > best_u) {
      best_u = v[3];
      best_w = v[0];
    }
  }
  EXPECT_GT(best_w, 0.85 * wn);
  EXPECT_LT(best_w, 1.0 * wn);
  // At the peak the amplification over the static value is about 1 / (2 zeta) = 4.
  EXPECT_GT(best_u * kv, 3.0);
  EXPECT_LT(best_u * kv, 5.5);
}

TEST(Driver, CentreOfGravityAboveTheBaseCouplesSwayAndRocking) {
  EngineRun run = run_engine(half_space_deck(harmonic("0 0 1"), "200 20 0.25 0", "10", "1.5"));
  ASSERT_EQ(run.result, 0);
  const auto lines = run.report_lines();
  const double kh = 8 * kG * kR / (2 - kNu), kr = 8 * kG * kR * kR * kR / (3 * (1 - kNu));
  // K = T' K0 T: K(2,4) = zc Kh, K(5,1) = -zc Kh, K(4,4) = Kr + zc^2 Kh.
  EXPECT_NEAR(value_after(lines, " CROSS-STIFFNESS (KXP)  ........"), 1.5 * kh, kh * 1e-5);
  EXPECT_NEAR(value_after(lines, " CROSS-STIFFNESS (KYP) ........ "), -1.5 * kh, kh * 1e-5);
  EXPECT_NEAR(value_after(lines, " ROTATION (KPPX) .............. "), kr + 2.25 * kh, kr * 1e-5);
}

TEST(Driver, FrequencyPointsOfTheLoop) {
  struct C {
    const char* range;  // maximum, minimum, step (rad/s)
    int n;
    double first, last;
  } cases[] = {
      {"10 1 1", 10, 1.0, 10.0},
      {"5 1 0", 5, 1.0, 5.0},     // step 0 becomes 1
      {"1 0 1", 2, 0.0001, 1.0},  // frequency 0 is computed at 0.0001
  };
  for (const C& c : cases) {
    EngineRun run = run_engine(half_space_deck(harmonic(c.range)));
    ASSERT_EQ(run.result, 0) << c.range;
    const auto plot = run.plot_lines();
    ASSERT_EQ(plot.size(), 1u + 3u * static_cast<unsigned>(c.n)) << c.range;
    EXPECT_EQ(std::atoi(plot[0].c_str()), c.n);
    EXPECT_NEAR(std::strtod(plot[1].c_str(), nullptr), c.first, 1e-3 * c.first) << c.range;
    EXPECT_NEAR(std::strtod(plot[2 * c.n - 1].c_str(), nullptr), c.last, 1e-3 * c.last) << c.range;
  }
}

TEST(Driver, WithoutMatrixOptionThePlotDataHoldsAmplitudesOnly) {
  std::string deck = half_space_deck(harmonic("3 1 1"));
  deck.erase(deck.find("MATRIX\r\n"), 8);
  EngineRun run = run_engine(deck);
  ASSERT_EQ(run.result, 0);
  const auto plot = run.plot_lines();
  ASSERT_EQ(plot.size(), 4u);
  EXPECT_EQ(plot[1].substr(0, 8), "    1.00");
  EXPECT_EQ(run.report.find("STIFFNESS CONSTANTS (K)"), std::string::npos);
  EXPECT_NE(run.report.find("************** SPECIAL OUTPUT OPTION **************"), std::string::npos);
}

TEST(Driver, EarlyEndsOfTheAnalysis) {
  // The analysis' own checks write "PROGRAM WILL NOT EXECUTE" and compute nothing: the run ends
  // refused, with the fatal page and result 3 (it once returned 0, and the main program then said
  // the computations were completed).
  const std::vector<std::string> fatal_page = {"1", "", "", "*** FATAL ERROR IN INPUT DATA ***",
                                               "*** EXEC   UTION TERMINATED ***"};
  auto ends_with_fatal_page = [&](const EngineRun& run) {
    const std::vector<std::string> lines = run.report_lines();
    return lines.size() >= fatal_page.size() &&
           std::vector<std::string>(lines.end() - static_cast<std::ptrdiff_t>(fatal_page.size()), lines.end()) ==
               fatal_page;
  };
  // Gravity not above 0: message, nothing in the plot data.
  EngineRun grav = run_engine(half_space_deck(harmonic("3 1 1"), "200 20 0.25 0", "-9.8"));
  EXPECT_EQ(grav.result, 3);
  EXPECT_NE(grav.report.find("\n *** INADMISSABLE VALUE FOR GRAVITATIONAL CONSTANT (-9.800E+00) ***\n"
                             " ***PROGRAM WILL NOT EXECUTE***\n1\n"),
            std::string::npos)
      << grav.report;
  EXPECT_TRUE(ends_with_fatal_page(grav)) << grav.report;
  EXPECT_EQ(grav.plot, "");
  // No shear-wave velocity under the footing: message at the first point, N alone.
  EngineRun vs = run_engine(half_space_deck(harmonic("3 1 1"), "0 20 0.25 0"));
  EXPECT_EQ(vs.result, 3);
  EXPECT_NE(vs.report.find("\n ***INADMISSABLE VALUE FOR SHEAR WAVE VELOCITY OF HALF-SPACE ( 0.00E+00) ***\n"
                           " ***PROGRAM WILL NOT EXECUTE***\n1\n"),
            std::string::npos);
  EXPECT_TRUE(ends_with_fatal_page(vs)) << vs.report;
  EXPECT_EQ(vs.plot_lines(), std::vector<std::string>{"           3"});
}

TEST(Driver, TablesTheResultsCannotHoldAreRefused) {
  EngineRun run = run_engine(half_space_deck(harmonic("2000 0 1")));
  EXPECT_EQ(run.result, 3);
  EXPECT_NE(run.report.find(" *** NUMBER OF FREQUENCY POINTS MUST BE 1 TO 1024 ***\n PROGRAM WILL NOT EXECUTE\n"),
            std::string::npos);
  EXPECT_EQ(run.plot, "");
}

TEST(Driver, ConstantTransientLoadGivesTheStaticResponseAtEveryTime) {
  std::string load = "TRANSIENT \r\nCONSTANTS \r\n8 \r\n0.01 \r\n1 \r\n3 \r\n";
  for (int i = 0; i < 8; ++i) load += "5 \r\n";
  EngineRun run = run_engine(half_space_deck(load));
  ASSERT_EQ(run.result, 0) << run.report;
  const auto lines = run.report_lines();
  const std::size_t head = index_of(lines, "                        FOOTING RESPONSE AMPLITUDES");
  ASSERT_LT(head + 16, lines.size());
  EXPECT_EQ(lines[head + 5], "             (OUX)      (UOY)       (UOZ)       (EPOX)       (EPOY)      (EPOZ)");
  const double kv = 4 * kG * kR / (1 - kNu);
  for (int k = 1; k <= 8; ++k) {
    const std::vector<double> row = numbers(lines[head + 9 + static_cast<std::size_t>(k) - 1]);
    ASSERT_EQ(row.size(), 7u) << lines[head + 9 + static_cast<std::size_t>(k) - 1];
    EXPECT_NEAR(row[0], 0.01 * k, 1e-9);
    EXPECT_NEAR(row[3], 5.0 / kv, 1e-3 * 5.0 / kv) << "time row " << k;
    EXPECT_NEAR(row[1], 0.0, 1e-12);
  }
  EXPECT_EQ(head + 17, lines.size());
  // N = P/2 + 1 = 5 points, only N (and the matrix records) in the plot data.
  const auto plot = run.plot_lines();
  ASSERT_EQ(plot.size(), 11u);
  EXPECT_EQ(std::atoi(plot[0].c_str()), 5);
  EXPECT_NEAR(std::strtod(plot[1].c_str(), nullptr), 0.01, 1e-6);
  EXPECT_NEAR(std::strtod(plot[3].c_str(), nullptr), 2 * 3.1415927 / 0.08, 0.1);
}

TEST(Driver, RandomLoadPeakFactorsFollowFromTheSpectra) {
  // A flat spectrum of force in x over 9 points, 1 to 9 rad/s.
  std::string load = "RANDOM \r\nCONSTANTS \r\n9 \r\n1 \r\n9 \r\n1000 \r\n1 \r\n1 1 \r\n";
  for (int i = 0; i < 9; ++i) load += "2 \r\n";
  EngineRun run = run_engine(half_space_deck(load));
  ASSERT_EQ(run.result, 0) << run.report;
  const auto lines = run.report_lines();
  const std::size_t spec = index_of(lines, "               RESPONSE SPECTRA CURVE OF TRANSLATION");
  ASSERT_LT(spec + 13, lines.size());
  std::vector<double> f, s;
  for (std::size_t i = spec + 4; i < spec + 13; ++i) {
    const std::vector<double> v = numbers(lines[i]);
    ASSERT_EQ(v.size(), 2u) << lines[i];
    f.push_back(v[0]);
    s.push_back(v[1]);
  }
  EXPECT_NEAR(f[0], 1.0, 1e-9);
  EXPECT_NEAR(f[8], 9.0, 1e-9);
  // The flexibility at low frequency is 1/Kh, so S1 is about 2/Kh^2.
  const double kh = 8 * kG * kR / (2 - kNu);
  EXPECT_NEAR(s[0], 2.0 / (kh * kh), 0.02 * 2.0 / (kh * kh));
  // Simpson over the printed values gives m0 and m2, hence the peak factor.
  double m0 = s[0] + s[8], m2 = f[0] * f[0] * s[0] + f[8] * f[8] * s[8];
  for (int i = 1; i < 8; ++i) {
    m0 += (i % 2 ? 4 : 2) * s[i];
    m2 += (i % 2 ? 4 : 2) * f[i] * f[i] * s[i];
  }
  m0 /= 3;
  m2 /= 3;
  const double nu0 = std::sqrt(m2 / m0) / (2 * 3.1415927);
  const double x = std::sqrt(2 * std::log(1000 * nu0));
  const double peak = x + 0.5772 / x;
  const std::size_t table = index_of(lines, "               FREEDOM    PEAK FACTOR (G)   MAXIMUM DISPLACEMENT");
  ASSERT_LT(table + 3, lines.size());
  const std::vector<double> dof1 = numbers(lines[table + 3]);
  ASSERT_EQ(dof1.size(), 3u) << lines[table + 3];
  EXPECT_EQ(dof1[0], 1);
  EXPECT_NEAR(dof1[1], peak, 0.051);
  EXPECT_NEAR(dof1[2], std::sqrt(m0) * peak, 2e-3 * std::sqrt(m0) * peak);
  // Degrees without load have a zero spectrum: peak factor 0.0, maximum 0.
  EXPECT_EQ(lines[table + 4], "                  2             0.0             0.0000E+00");
}

TEST(Driver, RoundNearestAndSimpsonRule) {
  EXPECT_EQ(eng::ROUND_NEAREST(2.5f), 3);
  EXPECT_EQ(eng::ROUND_NEAREST(-2.5f), -3);
  EXPECT_EQ(eng::ROUND_NEAREST(2.49f), 2);
  EXPECT_EQ(eng::ROUND_NEAREST(-0.0f), 0);
  struct C {
    std::vector<float> y;
    float h, expect;
  } cases[] = {
      {{1, 1, 1}, 1, 2},                  // the rule's own example
      {{0, 1, 4, 9, 16}, 1, 64.0f / 3},   // x^2 on 0..4, exact for Simpson
      {{1, 1}, 2, 2},                     // two values: the trapezoid
      {{0, 1, 4, 9}, 1, 8.0f / 3 + 6.5f}, // even count: Simpson on 3, trapezoid on the last
      {{5}, 1, 0},
  };
  for (const C& c : cases) {
    float r = -1;
    const int n = static_cast<int>(c.y.size());
    eng::SIMPSON_INTEGRAL(c.y.data(), n, c.h, r);
    EXPECT_NEAR(r, c.expect, 1e-5) << n;
  }
}

}  // namespace

namespace {

std::string file_text(const std::string& path) { return harness::read_file(path); }

// The example decks run to the end: result 0, no input error, no value that
// is not a number, and the plot data the load type promises.
TEST(Driver, EveryExampleDeckRunsToTheEnd) {
  const std::string dir = std::string(TREMEX_SOURCE_DIR) + "/examples/";
  struct C {
    const char* deck;
    bool harmonic;
  } cases[] = {
      {"halfspace-harmonic.tmx", true},         {"halfspace-embedded-harmonic.tmx", true},
      {"halfspace-random.tmx", false},          {"stratum-transient.tmx", false},
      {"single-pile-harmonic.tmx", true},       {"pile-group-random.tmx", false},
      {"multilayer-harmonic.tmx", true},
  };
  for (const C& c : cases) {
    harness::RunOptions opt;
    opt.mass_file = file_text(dir + std::string(c.deck).replace(std::string(c.deck).size() - 3, 3, "tmm"));
    EngineRun run = run_engine(file_text(dir + c.deck), opt);
    EXPECT_EQ(run.result, 0) << c.deck;
    EXPECT_EQ(run.report.find("ERROR"), std::string::npos) << c.deck;
    EXPECT_EQ(run.report.find("NaN"), std::string::npos) << c.deck;
    EXPECT_EQ(run.report.find("Inf"), std::string::npos) << c.deck;
    const auto plot = run.plot_lines();
    ASSERT_FALSE(plot.empty()) << c.deck;
    const int n = std::atoi(plot[0].c_str());
    const bool matrix = run.report.find("STIFFNESS CONSTANTS (K)") != std::string::npos;
    EXPECT_EQ(plot.size(), 1u + (matrix ? 2u * n : 0u) + (c.harmonic ? n : 0u)) << c.deck;
  }
}

TEST(Driver, OnePileWithInteractionIsTheSinglePile) {
  const std::string dir = std::string(TREMEX_SOURCE_DIR) + "/examples/";
  const std::string deck = file_text(dir + "single-pile-harmonic.tmx");
  std::string with_inte = deck;
  with_inte.insert(with_inte.find("FLOATING\r\n") + 10, "INTERACTION \r\n");
  EngineRun a = run_engine(deck), b = run_engine(with_inte);
  ASSERT_EQ(a.result, 0);
  ASSERT_EQ(b.result, 0);
  EXPECT_EQ(a.plot, b.plot);
}

}  // namespace

namespace {

// The two examples with their weak shear ratios left at 0, as the main
// program once wrote a row whose ratio was never filled in (a pile's zone one
// radius thick, a side layer's 0.1 of the footing's radius): the run is
// refused, every layer named, with the fatal page and result 3.  It used to
// run to result 0 with an annulus of zero stiffness: the pile's KXX negative,
// the footing without its embedment.
TEST(Driver, ExamplesWithWeakRatiosOf0AreRefused) {
  const std::string dir = std::string(TREMEX_SOURCE_DIR) + "/examples/";
  // The deck with every `from` replaced by `to` (at least one).
  auto replace_all = [](std::string s, const std::string& from, const std::string& to) {
    std::size_t n = 0;
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()), ++n)
      s.replace(at, from.size(), to);
    EXPECT_GT(n, 0u) << from;
    return s;
  };
  struct Case {
    const char* deck;
    std::vector<std::pair<std::string, std::string>> edits;
    std::vector<std::string> who;
  } cases[] = {
      {"single-pile-harmonic.tmx", {{" 0.05 1 0.4 0.1 0\n", " 0.05 0 0.4 0.1 1\n"}}, {"LAYER 1", "LAYER 2", "LAYER 3"}},
      {"halfspace-embedded-harmonic.tmx",
       {{" 0.05 0.6 0.3 0.1 0.1\n", " 0.05 0 0.3 0.1 0.1\n"}, {" 0.05 0.7 0.3 0.1 0.1\n", " 0.05 0 0.3 0.1 0.1\n"}},
       {"SIDE LAYER 1", "SIDE LAYER 2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.deck);
    std::string deck = file_text(dir + c.deck);
    for (const auto& [from, to] : c.edits) deck = replace_all(deck, from, to);
    const EngineRun run = run_engine(deck);
    EXPECT_EQ(run.result, 3);
    for (const std::string& who : c.who)
      EXPECT_NE(run.report.find("\n *** WEAK SHEAR RATIO OF " + who +
                                " MUST BE ABOVE 0, NOT 0.00000 (1 MEANS NO WEAK ZONE) ***\n PROGRAM WILL NOT EXECUTE\n"),
                std::string::npos)
          << who;
    EXPECT_NE(run.report.find("\n*** FATAL ERROR IN INPUT DATA ***\n"), std::string::npos);
    EXPECT_EQ(run.report.find("STIFFNESS CONSTANTS (K)"), std::string::npos);
    EXPECT_TRUE(run.plot.empty());
  }
}

}  // namespace
