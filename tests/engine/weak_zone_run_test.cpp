// Whole runs through the engine library with weak zones where the kernel's
// single-precision series would lose accuracy (a lightly damped wide zone;
// high frequencies in a thin zone), against a reference computed here in
// extended precision from the same mathematics:
// - the soil reactions per unit length from the formulas of the pile-soil
//   kernel, the two-zone vertical, rotational and torsional values from an
//   integration of the zone's equations (pile_soil_reference.h);
// - the pile head as a semi-infinite pile (100 m of pile in ten 10 m
//   elements of one soil: the tip's influence reaches the head reduced by
//   far less than 1e-4), for which the element equations of the pile head
//   give closed forms: axial EA*·k and torsional GJ*·k with
//   k = sqrt((G·S − ω²·m)/stiffness), and, for the Euler-Bernoulli beam
//   (no shear flexibility, no axial load) on lateral springs
//   kv = G·Su − ω²·m and rotational springs kθ = r²·G·Srx − ω²·m·I/A, the
//   roots μ1, μ2 (Re < 0) of EI*·μ⁴ − kθ·μ² + kv = 0 and the head terms
//   KXX = −EI*·μ1·μ2·(μ1 + μ2) (rotation held) and KPPX = −EI*·(μ1 + μ2)
//   (displacement held);
// - the printed tables: stiffness Re K, damping 0.7·Im K/ω (the program's
//   factor 0.7 on the imaginary parts of the diagonal).
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "engine_harness.h"
#include "report_tables.h"
#include "kernels/pile_soil_reference.h"

namespace {

using harness::EngineRun;
using harness::run_engine;
using pile_ref::cld;
using pile_ref::real;

// Pile: radius 0.25, area 0.19635, I 0.003068, J 0.006136, unit weight 24,
// Poisson's ratio 0.2, damping 0.02, no shear flexibility, E 3e7; soil: Vs
// 100, unit weight 18, Poisson's ratio 0.4; g = 9.8.
constexpr real kR = 0.25L, kA = 0.19635L, kI = 0.003068L, kJ = 0.006136L;
constexpr real kGammaP = 24.0L, kNuP = 0.2L, kDp = 0.02L, kE = 3e7L;
constexpr real kVs = 100.0L, kGamma = 18.0L, kNu = 0.4L, kGrav = 9.8L;

struct Soil {
  float D, sw, Dw, t_ratio;  // damping, weak shear ratio, weak damping, weak thickness / radius
};

// A deck of `piles` piles at x = ±spacing/2 (one pile: at the origin),
// fixed heads, no interaction, ten 10 m layers of the soil, frequencies
// from w0 to wmax in steps dw (rad/s).
std::string deck(int piles, double spacing, const Soil& s, double w0, double dw, double wmax) {
  char line[256];
  std::string d = "TITLE=Weak zone reference\nMATRIX\nGRAVITY=9.8\nFOUNDATION=PILE\nCIRCULAR=1\nMASS \n"
                  "20 15 15 10 0 0 0\nLAYERS=10\n";
  std::snprintf(line, sizeof line, "FIXED=%d\n", piles);
  d += line;
  if (piles == 1) {
    d += "1 0 0 \n";
  } else {
    std::snprintf(line, sizeof line, "1 %g 0 \n2 %g 0 \n", -spacing / 2, spacing / 2);
    d += line;
  }
  d += "CONSTANTS \n0 0 0 100 24 \n0 0.2 0.02 0 3E7\nELEMENT\n";
  for (int j = 1; j <= 10; ++j) {
    std::snprintf(line, sizeof line, "%d 10 0.25 0.25 0.19635 0.003068 0.003068 0.006136\n", j);
    d += line;
  }
  d += "FLOATING\nSOIL \nWEAK\nCONSTANTS\n";
  for (int j = 1; j <= 10; ++j) {
    std::snprintf(line, sizeof line, "%d 100 18 0.4 %g %g 0.4 %g %g\n", j, s.D, s.sw, s.Dw, s.t_ratio);
    d += line;
  }
  std::snprintf(line, sizeof line, "BELOW=100 18 0.4 %g\n", s.D);
  d += line;
  std::snprintf(line, sizeof line, "LOAD \nHARMONIC \nCONSTANTS \nNONQUADRATIC \n%g %g %g \n", wmax, dw, w0);
  d += line;
  d += "10 0 20 \n0 0 0 \n0 0 0 0 \nRUN \n0\n";
  return d;
}

using report_tables::Table;
using report_tables::tables;

// Head impedance of the semi-infinite pile at omega: K11 (lateral, rotation
// held), K44 (rocking, displacement held), K33 (axial), K66 (torsion).
// `reach_*`: how much of a wave from the head comes back from the tip, 100 m
// down and up again, for the slowest-decaying wave of each motion; where it
// exceeds 1e-5 the semi-infinite pile is no reference for that motion (a
// weak zone near its resonance makes Su negative, and the lateral waves then
// travel along the pile almost undamped; at very low frequency the axial
// waves reach far).
struct Head {
  cld k11, k44, k33, k66;
  double reach_lateral = 0.0, reach_axial = 0.0, reach_torsion = 0.0;
};
cld root_re_positive(const cld& z) {
  const cld r = std::sqrt(z);
  return r.real() < 0 ? -r : r;
}
Head head(real omega, const Soil& s) {
  const real G = kVs * kVs * kGamma / kGrav;
  const real a0 = omega * kR / kVs;
  const real t = s.t_ratio;  // weak thickness over the radius
  const float apf = static_cast<float>(a0) * ((1.0f + s.t_ratio) / 1.0f);
  const real ap = apf;
  // The horizontal frequency floor 0.3: the outer reaction at 0.3, its
  // imaginary part interpolated down to material damping.
  cld q;
  cld su_outer = pile_ref::su_homogeneous(std::max(ap, 0.3L), kNu, s.D, &q);
  if (ap < 0.3L) {
    const real f = static_cast<real>(apf / 0.3f);
    su_outer.imag(su_outer.real() * s.D * (1.0L - f) + f * su_outer.imag());
  }
  const cld su = pile_ref::su_two_zone(su_outer, q, kNu, s.sw, s.D, s.Dw, 1.0L / (1.0L + t));
  const int n = 40000;
  cld sw = pile_ref::integrated_two_zone(0, ap, s.D, s.sw, s.Dw, t, n);
  if (a0 < 0.3L) sw.imag(sw.imag() * static_cast<real>(static_cast<float>(a0)) / 0.3L);
  const cld srx = pile_ref::integrated_two_zone(1, a0, s.D, s.sw, s.Dw, t, n);
  const cld st = pile_ref::integrated_two_zone(2, a0, s.D, s.sw, s.Dw, t, n);

  const real m = kGammaP * kA / kGrav, muj = kGammaP * kJ / kGrav;
  const cld c(1.0L, kDp);
  const cld ea = kE * kA * c, gj = kE / (2.0L * (1.0L + kNuP)) * kJ * c, ei = kE * kI * c;
  Head h;
  h.k33 = ea * root_re_positive((G * sw - omega * omega * m) / ea);
  h.k66 = gj * root_re_positive((kR * kR * G * st - omega * omega * muj) / gj);
  const cld kv = G * su - omega * omega * m;
  const cld kt = kR * kR * G * srx - omega * omega * m * kI / kA;
  const cld disc = std::sqrt(kt * kt - 4.0L * ei * kv);
  const cld mu1 = -root_re_positive((kt + disc) / (2.0L * ei));
  const cld mu2 = -root_re_positive((kt - disc) / (2.0L * ei));
  h.k11 = -ei * mu1 * mu2 * (mu1 + mu2);
  h.k44 = -ei * (mu1 + mu2);
  auto reach = [](real decay) { return static_cast<double>(std::exp(-2.0L * 100.0L * decay)); };
  h.reach_lateral = reach(std::min(-mu1.real(), -mu2.real()));
  h.reach_axial = reach(root_re_positive((G * sw - omega * omega * m) / ea).real());
  h.reach_torsion = reach(root_re_positive((kR * kR * G * st - omega * omega * muj) / gj).real());
  return h;
}

double rel(double got, double want) { return std::fabs(got - want) / std::fabs(want); }

// Every printed diagonal term of every frequency (where the tip is not felt;
// at least min_checked of them) against the reference
// group of `piles` identical piles at x = ±spacing/2: K11, K22 = 2·k11;
// K33 = 2·k33; K44 = 2·k44; K55 = 2·k44 + 2·(s/2)²·k33; K66 = 2·k66 +
// 2·(s/2)²·k11 (one pile: the pile's own terms).
void compare(const EngineRun& run, int piles, double spacing, const Soil& s, double tolerance, int min_checked) {
  ASSERT_EQ(run.result, 0);
  const auto t = tables(run);
  ASSERT_FALSE(t.empty());
  const real n = piles, x2 = piles == 1 ? 0.0L : 2.0L * (spacing / 2) * (spacing / 2);
  int checked = 0;
  for (const Table& tb : t) {
    const Head h = head(tb.omega, s);
    constexpr double kFelt = 1e-5;
    const double lateral = h.reach_lateral, axial = h.reach_axial, torsion = h.reach_torsion;
    const struct {
      const char* name;
      cld k;
      double reach;
    } want[] = {
        {"XX", n * h.k11, lateral},
        {"YY", n * h.k11, lateral},
        {"WW", n * h.k33, axial},
        {"PPX", n * h.k44, lateral},
        {"PPY", n * h.k44 + x2 * h.k33, std::max(lateral, piles == 1 ? 0.0 : axial)},
        {"ZT", n * h.k66 + x2 * h.k11, std::max(torsion, piles == 1 ? 0.0 : lateral)},
    };
    std::printf("omega %8.2f:", tb.omega);
    for (const auto& [name_c, k, felt] : want) {
      const std::string name = name_c;
      if (felt > kFelt) {
        std::printf("  %s: tip felt", name_c);
        continue;
      }
      ++checked;
      const double stiffness = static_cast<double>(k.real());
      const double damping = std::fabs(static_cast<double>(0.7L * k.imag() / tb.omega));
      const double ek = rel(tb.v.at("K" + name), stiffness), ec = rel(std::fabs(tb.v.at("C" + name)), damping);
      std::printf("  K%s %.1e C%s %.1e", name_c, ek, name_c, ec);
      EXPECT_LT(ek, tolerance) << "K" << name << " at omega " << tb.omega << ": " << tb.v.at("K" + name) << " vs "
                               << stiffness;
      EXPECT_LT(ec, tolerance) << "C" << name << " at omega " << tb.omega << ": " << tb.v.at("C" + name) << " vs "
                               << damping;
    }
    std::printf("\n");
  }
  EXPECT_GE(checked, min_checked);
}

// One pile in a lightly damped weak zone 20 radii thick: the horizontal
// two-zone value at nearly imaginary arguments of the I and K series (and,
// at the lowest frequency, a small argument at the face), the vertical,
// rotational and torsional values integrated.
TEST(WeakZoneRun, SinglePileInALightlyDampedWideZone) {
  const Soil s{0.005f, 0.5f, 0.005f, 20.0f};
  const EngineRun run = run_engine(deck(1, 0.0, s, 10, 10, 190));
  compare(run, 1, 0.0, s, 1e-3, 60);
}

// A pile pair (2 m apart, no interaction) at high frequency in a weak zone
// 2 radii thick: a' up to 3·a0 = 30, the vertical, rotational and
// torsional series with terms far above their sum.
TEST(WeakZoneRun, PilePairAtHighFrequency) {
  const Soil s{0.01f, 0.9f, 0.01f, 2.0f};
  const EngineRun run = run_engine(deck(2, 2.0, s, 400, 400, 4000));
  compare(run, 2, 2.0, s, 1e-3, 40);
}

// One pile in a lightly damped weak zone 100 radii thick at the lowest
// frequencies (a0 = 0.0025 .. 0.025): the argument of the horizontal
// two-zone value at the face falls to 1e-3, where the single-precision
// 4 x 4 system and its combinations lose the value (the torsion of a pile
// group gathers these lateral terms times the squared distances of the
// piles).
TEST(WeakZoneRun, SinglePileInAZoneOf100RadiiAtLowFrequency) {
  for (float sw : {0.5f, 0.9f}) {
    const Soil s{0.005f, sw, 0.005f, 100.0f};
    const EngineRun run = run_engine(deck(1, 0.0, s, 1, 1, 10));
    compare(run, 1, 0.0, s, 1e-3, 30);
  }
}

}  // namespace
