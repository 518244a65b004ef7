// Whole runs of embedded foundations: where the side soil acts.
// - Order: the side-soil rows run from the ground surface down, the last one
//   against the base.  A side layer's contribution to the matrix at the
//   centre of gravity depends only on the layer and on where it lies below
//   the centre of gravity, so a stack of two layers is the sum of each layer
//   alone, the upper one taken with the centre of gravity lowered by the
//   thickness of the layer under it (then it lies against the base, as a
//   single layer does).
// - Sign: the side soil of an embedded footing pushes on it between the base
//   and the ground surface, so the lateral resultant of the footing's
//   reactions lies above the base (at the height zc - KXP/KXX = zc + KYP/KYY
//   with the program's transfer to the centre of gravity, T(1,5) = -zc,
//   T(2,4) = zc), whichever model of the embedment is used: the stratum's
//   formulas or the half-space's side layers.
#include <gtest/gtest.h>

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

// Thickness, shear-wave velocity and material damping of a side layer (unit
// weight 19.6, Poisson's ratio 0.3333).
struct Layer {
  double h, vs, damping = 0.02;
};

std::string layer_rows(const std::vector<Layer>& side) {
  std::string d;
  char s[96];
  for (std::size_t i = 0; i < side.size(); ++i) {
    std::snprintf(s, sizeof s, "%zu %.10g %.10g 19.6 0.3333 %.10g\n", i + 1, side[i].h, side[i].vs, side[i].damping);
    d += s;
  }
  return d;
}

const char kLoad[] = "LOAD \nHARMONIC \nCONSTANTS \nNONQUADRATIC \n30 10 10 \n10 0 0 \n0 0 0 \n0 0 0 0 \nRUN \n0\n";

std::string centre(double zc) {
  char s[64];
  std::snprintf(s, sizeof s, "0 0 %.10g", zc);
  return s;
}

// A circular footing (radius 1) on a half-space of Vs 100 with the side
// layers `side`, listed from the ground surface down.
std::string half_space(const std::vector<Layer>& side, double zc) {
  return "TITLE=Embedded footing\nMATRIX\nGRAVITY=9.8\nFOUNDATION=HALF-SPACE\nCIRCULAR=1\nMASS \n10 5 5 5 0 0 0\n"
         "CONSTANTS \n" + centre(zc) + " \nSOIL \nCONSTANTS=" + std::to_string(side.size()) + "\n" +
         layer_rows(side) + "BELOW=100 19.6 0.3333 0\n" + kLoad;
}

// A cap (radius 1) on two fixed floating piles, embedded in `side`.
std::string pile_cap(const std::vector<Layer>& side, double zc) {
  std::string d = "TITLE=Embedded pile cap\nMATRIX\nGRAVITY=9.8\nFOUNDATION=PILE\nCIRCULAR=1\nMASS \n10 5 5 5 0 0 0\n"
                  "LAYERS=2\nFIXED=2\n1 -1 0 \n2 1 0 \nCONSTANTS \n" + centre(zc) +
                  " 12 24 \n100 0.2 0.02 1.1 3E7\nELEMENT\n"
                  "1 6 0.3 0.3 0.2827 0.006362 0.006362 0.012723\n2 6 0.3 0.3 0.2827 0.006362 0.006362 0.012723\n"
                  "FLOATING\nSOIL \nWEAK\nCONSTANTS\n1 120 17 0.4 0.05 1 0.4 0.1 0\n2 150 18 0.4 0.05 1 0.4 0.1 0\n"
                  "BELOW=300 20 0.35 0.04\n";
  if (!side.empty()) d += "EMBEDDED\n" + std::to_string(side.size()) + "\n" + layer_rows(side);
  return d + kLoad;
}

std::vector<Table> pass1(const std::string& deck) {
  const EngineRun run = run_engine(deck);
  EXPECT_EQ(run.result, 0) << run.report;
  return tables(run, 1);
}

const char* const kTerms[] = {"KXX", "KYY", "KWW", "KPPX", "KPPY", "KZT", "KXP", "KYP",
                              "CXX", "CYY", "CWW", "CPPX", "CPPY", "CZT", "CXP", "CYP"};

// Two side layers (upper `top`, lower `bottom`) against the sum of each alone.
void expect_sum_of_layers(std::string (*deck)(const std::vector<Layer>&, double), const Layer& top,
                          const Layer& bottom, double zc) {
  const auto both = pass1(deck({top, bottom}, zc));
  const auto lower = pass1(deck({bottom}, zc));
  const auto upper = pass1(deck({top}, zc - bottom.h));
  const auto none = pass1(deck({}, zc - bottom.h));
  ASSERT_EQ(both.size(), 3u);
  for (const auto* t : {&lower, &upper, &none}) ASSERT_EQ(t->size(), both.size());
  for (std::size_t k = 0; k < both.size(); ++k) {
    SCOPED_TRACE("omega " + std::to_string(both[k].omega));
    for (const char* term : kTerms) {
      const double a = lower[k].v.at(term), b = upper[k].v.at(term), c = none[k].v.at(term);
      const double sum = a + b - c, got = both[k].v.at(term);
      // Each printed value carries six digits.
      const double tol = 1e-5 * (std::fabs(a) + std::fabs(b) + std::fabs(c) + std::fabs(got));
      EXPECT_NEAR(got, sum, tol) << term;
    }
  }
}

const Layer kSoft{1, 20}, kStiff{1, 200};

// The case of the soft layer at the ground surface and the stiff one against
// the base once gave KPPY 1.00411E+06 kN-m/rad and KXP -4.33517E+05 at the
// base, the values of the opposite order.
TEST(SideLayers, TwoLayersOfAFootingGiveTheResultOfTheirOrderFromTheSurfaceDown) {
  const struct {
    Layer top, bottom;
    double zc;
  } cases[] = {
      {kSoft, kStiff, 0.0},      {kStiff, kSoft, 0.0},      {kSoft, kStiff, 1.5},
      {{0.8, 20}, {1.2, 200}, 0.5}, {{1.2, 200}, {0.8, 20}, 2.5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("Vs " + std::to_string(c.top.vs) + " over " + std::to_string(c.bottom.vs) + ", zc " +
                 std::to_string(c.zc));
    expect_sum_of_layers(half_space, c.top, c.bottom, c.zc);
  }
  // The stiff soil close to the centre of gravity at the base resists rocking
  // less than the same soil a whole layer higher.
  const auto soft_on_top = pass1(half_space({kSoft, kStiff}, 0.0));
  const auto stiff_on_top = pass1(half_space({kStiff, kSoft}, 0.0));
  EXPECT_LT(soft_on_top[0].v.at("KPPY"), stiff_on_top[0].v.at("KPPY"));
  EXPECT_LT(std::fabs(soft_on_top[0].v.at("KXP")), std::fabs(stiff_on_top[0].v.at("KXP")));
}

TEST(SideLayers, TwoLayersOfAPileCapGiveTheResultOfTheirOrderFromTheSurfaceDown) {
  for (double zc : {0.0, 1.0}) {
    SCOPED_TRACE("zc " + std::to_string(zc));
    expect_sum_of_layers(pile_cap, {0.6, 60}, {0.9, 180}, zc);
    expect_sum_of_layers(pile_cap, {0.9, 180}, {0.6, 60}, zc);
  }
}

// A circle of radius 1 embedded 1 m: on a 10 m stratum (Vs 100), and on a
// half-space of the same soil with one side layer of 1 m of it.  The
// stratum once printed KXP +6.99286E+04 against the half-space's
// -3.59966E+04 with the centre of gravity at the base.
TEST(Embedment, StratumAndSideLayerPutTheLateralResultantAboveTheBase) {
  for (double zc : {0.0, 0.1, 1.0}) {
    SCOPED_TRACE("zc " + std::to_string(zc));
    const EngineRun stratum = run_engine(
        "TITLE=Embedded stratum\nMATRIX\nGRAVITY=9.8\nFOUNDATION=STRATUM\nCIRCULAR=1\nMASS \n10 5 5 5 0 0 0\n"
        "CONSTANTS \n" + centre(zc) + " 1 10 \nSOIL \nCONSTANTS \n100 19.6 0.3333 0\n" + kLoad);
    ASSERT_EQ(stratum.result, 0) << stratum.report;
    const std::vector<Table> s = tables(stratum, 1);
    const std::vector<Table> h = pass1(half_space({{1, 100, 0}}, zc));
    ASSERT_EQ(s.size(), 3u);
    ASSERT_EQ(h.size(), s.size());
    for (std::size_t k = 0; k < s.size(); ++k) {
      SCOPED_TRACE("omega " + std::to_string(s[k].omega));
      for (const char* term : {"KXP", "KYP"})
        EXPECT_EQ(std::signbit(s[k].v.at(term)), std::signbit(h[k].v.at(term)))
            << term << ": stratum " << s[k].v.at(term) << ", half-space " << h[k].v.at(term);
      for (const Table* t : {&s[k], &h[k]}) {
        const double from_x = zc - t->v.at("KXP") / t->v.at("KXX");
        const double from_y = zc + t->v.at("KYP") / t->v.at("KYY");
        const char* model = t == &s[k] ? "stratum" : "half-space";
        EXPECT_GT(from_x, 0.0) << model;
        EXPECT_LT(from_x, 1.0) << model;
        EXPECT_NEAR(from_y, from_x, 1e-5) << model;
      }
    }
  }
}

}  // namespace
