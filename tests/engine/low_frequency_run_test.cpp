// Whole runs through the engine library of the soil reactions' cut-off and
// low-frequency rules, checked by what no model of a layer may break:
// - split invariance: a homogeneous layer cut into 1, 5 or 10 pile elements
//   (and a pile cap's side soil into 1, 2 or 4 layers of the same soil) is
//   the same soil, so every printed stiffness and damping term is the same,
//   below and above the cut-off frequencies of an end-bearing pile and for
//   a floating one;
// - continuity: the vertical damping of a footing's side layer and of a
//   pile goes on smoothly where the dimensionless frequency of the soil
//   reaction crosses 0.1 (a fine sweep shows no step larger than the steps
//   beside it).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "engine_harness.h"
#include "report_tables.h"

namespace {

using harness::EngineRun;
using harness::run_engine;
using report_tables::Table;
using report_tables::tables;

constexpr double kPi = 3.14159265358979;

// A fixed-head pile of radius 0.5 and length 12.5 (E 2e7, weightless and
// undamped, so that only the soil damps) under a cap of radius 1, its
// centre of gravity 0.5 above the pile heads, in one soil (Vs 100, unit
// weight 19.6, Poisson's ratio 0.4, damping 0.05) cut into `elements`
// elements, with `side` side layers of that soil 1 m deep in all around the
// cap (none for 0), on soil of Vs 1000 (tip "END-BEARING" or "FLOATING");
// frequencies 8 to 20 rad/s by 2.
std::string pile_deck(int elements, int side, const std::string& tip) {
  char line[160];
  std::string d = "TITLE=Split invariance\nMATRIX\nGRAVITY=9.8\nFOUNDATION=PILE\nCIRCULAR=1\nMASS \n"
                  "20 15 15 10 0 0 0\n";
  std::snprintf(line, sizeof line, "LAYERS=%d\nFIXED=1\n1 0 0 \nCONSTANTS \n0 0 0.5 12.5 0 \n0 0.2 0 0 2E7\n"
                "ELEMENT\n", elements);
  d += line;
  for (int j = 1; j <= elements; ++j) {
    std::snprintf(line, sizeof line, "%d %.9g 0.5 0.5 0.785398 0.0490874 0.0490874 0.0981748\n", j,
                  12.5 / elements);
    d += line;
  }
  d += tip + "\nSOIL \nCONSTANTS\n";
  for (int j = 1; j <= elements; ++j) {
    std::snprintf(line, sizeof line, "%d 100 19.6 0.4 0.05\n", j);
    d += line;
  }
  d += "BELOW=1000 19.6 0.4 0.05\n";
  if (side > 0) {
    std::snprintf(line, sizeof line, "EMBEDDED\n%d\n", side);
    d += line;
    for (int j = 1; j <= side; ++j) {
      std::snprintf(line, sizeof line, "%d %.9g 100 19.6 0.4 0.05\n", j, 1.0 / side);
      d += line;
    }
  }
  d += "LOAD \nHARMONIC \nCONSTANTS \nNONQUADRATIC \n20 8 2 \n10 0 20 \n0 0 0 \n0 0 0 0 \nRUN \n0\n";
  return d;
}

// Every printed term of `got` equals that of `want`, table by table, to the
// rounding of a few single-precision operations more or less (1e-4 of the
// term, or 1e-6 of the largest term of its kind over the sweep when it is
// nearly 0).
void expect_same_tables(const std::vector<Table>& got, const std::vector<Table>& want, const std::string& what) {
  ASSERT_EQ(got.size(), want.size()) << what;
  ASSERT_FALSE(want.empty()) << what;
  for (std::size_t k = 0; k < want.size(); ++k) {
    ASSERT_EQ(got[k].omega, want[k].omega) << what;
    ASSERT_EQ(got[k].v.size(), want[k].v.size()) << what << " at omega " << want[k].omega;
    for (const auto& [name, value] : want[k].v) {
      double largest = 0.0;
      for (const Table& t : want) largest = std::max(largest, std::fabs(t.v.at(name)));
      const double g = got[k].v.at(name);
      EXPECT_LE(std::fabs(g - value), std::max(1e-4 * std::fabs(value), 1e-6 * largest))
          << what << ": " << name << " at omega " << want[k].omega << ": " << g << " against " << value;
    }
  }
}

// The shear cut-off of the profile of one soil of Vs 100 and total depth h
// on a much stiffer base: pi·Vs/(2h).
double shear_cutoff(double h) { return kPi * 100.0 / (2.0 * h); }

TEST(SplitInvariance, ALayerCutIntoElementsOrSideLayersIsTheSameSoil) {
  struct Split {
    int elements, side;
  };
  const std::vector<Split> groups[] = {
      {{1, 0}, {5, 0}, {10, 0}},  // the pile's layer
      {{1, 1}, {1, 4}, {5, 2}, {10, 4}},  // the cap's side soil, and with it the pile's layer
  };
  for (const std::string tip : {"END-BEARING", "FLOATING"}) {
    for (const auto& group : groups) {
      const Split& first = group.front();
      const EngineRun ref = run_engine(pile_deck(first.elements, first.side, tip));
      ASSERT_EQ(ref.result, 0) << tip;
      const auto ref1 = tables(ref, 1), ref2 = tables(ref, 2);
      if (tip == "END-BEARING") {
        // The sweep has frequencies on both sides of the shear cut-off.
        const double ws = shear_cutoff(12.5 + (first.side > 0 ? 1.0 : 0.0));
        ASSERT_FALSE(ref1.empty());
        EXPECT_LT(ref1.front().omega, ws);
        EXPECT_GT(ref1.back().omega, ws);
      }
      for (std::size_t i = 1; i < group.size(); ++i) {
        const Split& s = group[i];
        const std::string what = tip + ", " + std::to_string(s.elements) + " elements and " +
                                 std::to_string(s.side) + " side layers against " +
                                 std::to_string(first.elements) + " and " + std::to_string(first.side);
        const EngineRun run = run_engine(pile_deck(s.elements, s.side, tip));
        ASSERT_EQ(run.result, 0) << what;
        expect_same_tables(tables(run, 1), ref1, what + " (pass 1)");
        expect_same_tables(tables(run, 2), ref2, what + " (pass 2)");
      }
    }
  }
}

// A half-space footing of radius 1, its centre of gravity 1 above the base,
// with one side layer 1 deep, all of one undamped soil (Vs 100, unit weight
// 19.6, Poisson's ratio 0.3333): the side layer's a0 = omega/100 crosses 0.1
// at 10 rad/s.
std::string footing_deck() {
  return "TITLE=Side layer across a0 0.1\nMATRIX\nGRAVITY=9.8\nFOUNDATION=HALF-SPACE\nCIRCULAR=1\nMASS \n"
         "100 100 100 100 0 0 0\nCONSTANTS \n0 0 1 \nSOIL \nCONSTANTS=1\n1 1 100 19.6 0.3333 0\n"
         "BELOW=100 19.6 0.3333 0\nLOAD \nHARMONIC \nCONSTANTS \nNONQUADRATIC \n10.5 9.5 0.05 \n"
         "10 0 20 \n0 0 0 \n0 0 0 0 \nRUN \n0\n";
}

// A floating pile of radius 0.3 and length 10 in one soil of Vs 150 (unit
// weight 18, Poisson's ratio 0.4, damping 0.05) on Vs 300: a0 = 0.3·omega/150
// crosses 0.1 at 50 rad/s.
std::string thin_pile_deck() {
  return "TITLE=Pile across a0 0.1\nMATRIX\nGRAVITY=9.8\nFOUNDATION=PILE\nCIRCULAR=0.6\nMASS \n"
         "20 15 15 10 0 0 0\nLAYERS=2\nFIXED=1\n1 0 0 \nCONSTANTS \n0 0 0.5 10 24 \n0 0.2 0.02 0 3E7\n"
         "ELEMENT\n1 5 0.3 0.3 0.2827 0.006362 0.006362 0.012723\n"
         "2 5 0.3 0.3 0.2827 0.006362 0.006362 0.012723\nFLOATING\nSOIL \nCONSTANTS\n"
         "1 150 18 0.4 0.05\n2 150 18 0.4 0.05\nBELOW=300 20 0.35 0.04\nLOAD \nHARMONIC \nCONSTANTS \n"
         "NONQUADRATIC \n55 45 0.5 \n10 0 20 \n0 0 0 \n0 0 0 0 \nRUN \n0\n";
}

TEST(VerticalDampingContinuity, CwwGoesOnSmoothlyWhereTheReactionsA0Crosses0Point1) {
  struct Case {
    const char* what;
    std::string deck;
    double crossing;  // rad/s
  };
  const Case cases[] = {
      {"footing with a side layer", footing_deck(), 10.0},
      {"floating pile", thin_pile_deck(), 50.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const EngineRun run = run_engine(c.deck);
    ASSERT_EQ(run.result, 0);
    const auto t = tables(run, 1);
    ASSERT_GE(t.size(), 20u);
    ASSERT_LT(t.front().omega, c.crossing);
    ASSERT_GT(t.back().omega, c.crossing);
    std::vector<double> d;
    for (std::size_t k = 0; k + 1 < t.size(); ++k) d.push_back(t[k + 1].v.at("CWW") - t[k].v.at("CWW"));
    for (std::size_t k = 0; k < d.size(); ++k) {
      const double next = std::max(k > 0 ? std::fabs(d[k - 1]) : 0.0, k + 1 < d.size() ? std::fabs(d[k + 1]) : 0.0);
      // Twice the larger neighbouring step, and the printed digits (6).
      EXPECT_LE(std::fabs(d[k]), 2.0 * next + 2e-5 * std::fabs(t[k].v.at("CWW")))
          << "CWW from " << t[k].v.at("CWW") << " at " << t[k].omega << " to " << t[k + 1].v.at("CWW") << " at "
          << t[k + 1].omega << " rad/s";
    }
  }
}

}  // namespace
