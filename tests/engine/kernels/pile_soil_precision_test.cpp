// Precision of the single-precision pile-soil kernel and its Bessel
// functions, swept over the arguments an engineer's input can give: damping
// from heavy (0.3) to none, weak-zone shear ratios, zone widths from a fifth
// of the radius to 500 radii, and dimensionless frequencies up to 10.  The
// references are extended-precision evaluations of the same formulas
// (pile_soil_reference.h), independent of the kernel's code.
//
// The error measure is |got - want|/|want| of the complex reaction.  The
// bound is 1e-4; it is 5e-4 (1e-3 for damping above 0.1) where an argument
// of K0 or K1 lies beyond 9 in modulus, where the kernel uses the two-term
// asymptotic form of K0 and K1 with its real correction (an approximation
// of the functions, not a rounding loss: about 1e-4 relative in K near
// |z| = 9 close to the imaginary axis, more further from it).  The rotational and torsional two-zone values sum 20
// terms of the derivative series where those are right to 1e-3 of the sum
// of all 100, and all 100 elsewhere; the reference does the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "kernels/bessel.h"
#include "kernels/pile_soil.h"
#include "pile_soil_reference.h"

namespace {

using eng::cfloat;
using pile_ref::cld;
using pile_ref::real;

cld to_l(const cfloat& z) { return {z.real(), z.imag()}; }
double rel(const cfloat& got, const cld& want) {
  return static_cast<double>(std::abs(to_l(got) - want) / std::abs(want));
}

// ---------------------------------------------------------------------------
// The Bessel functions.  I0 and I1 are measured against the same 20-term
// series in extended precision, relative to |I0| + |I1| (the pair enters the
// kernel together; a zero of one alone says nothing).  Close to the
// imaginary axis the terms of the series reach e^(|z| - |Re z|) times the
// sum: single precision keeps 1e-4 only while that stays below about 1e3,
// which is why the kernel does not use them beyond (kernel sweep below).

void i01_series20(cld z, cld& i0, cld& i1) {
  const cld w = z / 2.0L;
  i0 = 1.0L;
  i1 = 0.0L;
  real q = 1.0L;
  for (int k = 1; k <= 20; ++k) {
    q *= k;
    i0 += std::pow(w, 2 * k) / (q * q);
    i1 += static_cast<real>(k) * std::pow(w, 2 * k - 1) / (q * q);
  }
}

// The pair I0, I1 against the same 20-term series in extended precision,
// relative to |I0| + |I1|.
double i01_loss(const cfloat& z) {
  cld i0, i1;
  i01_series20(to_l(z), i0, i1);
  return static_cast<double>((std::abs(to_l(eng::BESSEL_I0(z)) - i0) + std::abs(to_l(eng::BESSEL_I1(z)) - i1)) /
                             (std::abs(i0) + std::abs(i1)));
}
// The pair K0, K1 (|z| <= 9: the 50-term series) against the functions in
// extended precision, relative to |K0| + |K1|.
double k01_loss(const cfloat& z) {
  cfloat k0, k1;
  eng::BESSEL_K0_K1(z, k0, k1);
  cld r0, r1;
  pile_ref::bessel_k01(to_l(z), r0, r1);
  return static_cast<double>((std::abs(to_l(k0) - r0) + std::abs(to_l(k1) - r1)) / (std::abs(r0) + std::abs(r1)));
}
cfloat at_phase(float modulus, float degrees) {
  const float ph = static_cast<float>(degrees * std::numbers::pi / 180.0);
  // (cos of the float pi/2 is slightly negative: the kernel's arguments
  // never are, and the second kind takes another phase there.)
  return {std::max(0.0f, modulus * std::cos(ph)), modulus * std::sin(ph)};
}

TEST(BesselPrecision, SeriesLoseToRoundingAsTheirTermsOutgrowTheSum) {
  // Worst cases of a sweep of |z| (0.3 .. 14, steps of 0.01) and phase
  // (0 .. 90 degrees, steps of 0.25); loss of the float code measured there:
  //   I0, I1 at |z| 14, 89.75 deg (|z| - |Re z| = 14):  ~8e-2
  //   I0, I1 at |z| 9.6, 89.75 deg (9.6):              ~1.4e-4
  //   I0, I1 at |z| 7,   89.75 deg (7):                ~9e-5
  //   K0, K1 at |z| 9,   0 deg (|z| + Re z = 18):      ~8e-1
  //   K0, K1 at |z| 9,   85 deg (9.8):                 ~2e-4
  // The loss is the rounding of terms e^x times the sum (x = |z| - |Re z|
  // for I, |z| + Re z for K), about 1e-7·e^x, and nothing beyond.
  struct Case {
    bool first_kind;
    float modulus, degrees;
    double at_least;  // the loss is real: at least this
  };
  const Case table[] = {
      {true, 14.0f, 89.75f, 1e-2}, {true, 9.6f, 89.75f, 5e-5}, {true, 7.0f, 89.75f, 1e-5},
      {false, 9.0f, 0.0f, 1e-2},   {false, 9.0f, 85.0f, 2e-5},
  };
  for (const Case& c : table) {
    const cfloat z = at_phase(c.modulus, c.degrees);
    const double x = c.first_kind ? std::abs(z) - std::fabs(z.real()) : std::abs(z) + z.real();
    const double loss = c.first_kind ? i01_loss(z) : k01_loss(z);
    std::printf("%s at |z| = %5.2f, %5.2f deg: loss %.2e, exponent %.2f\n", c.first_kind ? "I0, I1" : "K0, K1",
                c.modulus, c.degrees, loss, x);
    EXPECT_GE(loss, c.at_least) << c.modulus << " " << c.degrees;
    EXPECT_LE(loss, 3e-7 * std::exp(x)) << c.modulus << " " << c.degrees;
    EXPECT_FALSE(c.first_kind ? eng::first_kind_series_holds(z) : eng::second_kind_series_holds(z));
  }
}

TEST(BesselPrecision, SeriesHoldWhereTheKernelUsesThem) {
  // Wherever first_kind_series_holds / second_kind_series_holds admit the
  // float series, they keep 5e-5 (the kernel's reactions then 1e-4).
  double worst_i = 0.0, worst_k = 0.0;
  int admitted_i = 0, admitted_k = 0;
  for (float m = 0.3f; m <= 14.0f; m += 0.05f) {
    for (float deg = 0.0f; deg <= 90.0f; deg += 0.5f) {
      const cfloat z = at_phase(m, deg);
      if (eng::first_kind_series_holds(z)) {
        worst_i = std::max(worst_i, i01_loss(z));
        ++admitted_i;
      }
      if (m <= 9.0f && eng::second_kind_series_holds(z)) {
        worst_k = std::max(worst_k, k01_loss(z));
        ++admitted_k;
      }
    }
  }
  std::printf("float series admitted: I %d points, worst %.2e; K %d points, worst %.2e\n", admitted_i, worst_i,
              admitted_k, worst_k);
  EXPECT_GT(admitted_i, 1000);
  EXPECT_GT(admitted_k, 1000);
  EXPECT_LE(worst_i, 5e-5);
  EXPECT_LE(worst_k, 5e-5);
  // The switches: K's asymptotic form (|z| > 9) always holds; the I series
  // end at |z| = 14 whatever the phase.
  EXPECT_TRUE(eng::second_kind_series_holds(cfloat(0.0f, 9.5f)));
  EXPECT_FALSE(eng::first_kind_series_holds(cfloat(14.5f, 0.0f)));
  EXPECT_TRUE(eng::first_kind_series_holds(cfloat(13.0f, 0.5f)));
}

// ---------------------------------------------------------------------------
// The reactions.

struct Input {
  float a0, nu, D, sw, Dw, t;  // r = rx = ry = rt = 1
};
struct Result {
  cfloat su, sw, srx, st;
};
Result run(const Input& in) {
  Result o;
  cfloat sry;
  const float one = 1.0f;
  int hflag = 0;
  const int vflag = 0;
  eng::PILE_SOIL_IMPEDANCE(in.a0, in.nu, in.D, in.sw, in.nu, in.Dw, in.t, one, one, one, one, o.su, o.sw, o.srx, sry,
                           o.st, hflag, vflag);
  return o;
}

// Errors of the four reactions of one input against the reference, and
// their bounds (1e-4, or, where a start argument of K0, K1 lies beyond 9,
// that of the asymptotic form: 5e-4 for damping up to 0.1, 1e-3 above,
// where the form's neglected terms grow with the distance of the argument
// from the imaginary axis, 8e-4 for D = 0.3 just above 9).  A two-zone series that extended precision cannot settle gives no
// reference for that reaction (error -1).  Inputs: a' >= 0.3 (no
// horizontal low-frequency rule), flags 0.
struct Errors {
  double e[4] = {-1.0, -1.0, -1.0, -1.0};
  double bound[4] = {1e-4, 1e-4, 1e-4, 1e-4};
};
constexpr const char* kNames[4] = {"Su", "Sw", "Srx", "St"};
double asymptotic_bound(float D) { return D <= 0.1f ? 5e-4 : 1e-3; }

Errors errors(const Input& in) {
  const Result o = run(in);
  Errors e;
  const float ap = in.a0 * ((1.0f + in.t) / 1.0f);  // a', as the kernel forms it
  if (in.t == 0.0f) {
    e.e[0] = rel(o.su, pile_ref::su_homogeneous(ap, in.nu, in.D));
    e.e[1] = rel(o.sw, pile_ref::sw_homogeneous(ap, in.D));
    e.e[2] = rel(o.srx, pile_ref::srot_homogeneous(in.a0, in.D));
    e.e[3] = rel(o.st, pile_ref::st_homogeneous(in.a0, in.D));
    for (double& b : e.bound)
      if (in.a0 > 9.0f) b = asymptotic_bound(in.D);
    return e;
  }
  const real tr = static_cast<real>(in.t);
  cld q;
  const cld outer = pile_ref::su_homogeneous(ap, in.nu, in.D, &q);
  e.e[0] = rel(o.su, pile_ref::su_two_zone(outer, q, in.nu, in.sw, in.D, in.Dw, 1.0L / (1.0L + tr)));
  if (ap > 9.0f) e.bound[0] = e.bound[1] = asymptotic_bound(in.D);
  const pile_ref::Zone z = pile_ref::zone(1.0L, tr, in.sw, in.D, in.Dw);
  pile_ref::SeriesInfo info;
  cld sw = pile_ref::sw_two_zone(z, ap, in.D, in.sw, in.Dw, info);
  if (in.a0 < 0.3f) sw.imag(sw.imag() * static_cast<real>(in.a0) / 0.3L);  // the kernel's low-frequency rule
  if (info.converged) e.e[1] = rel(o.sw, sw);
  // Rotation and torsion: the 20-term derivative sum where it is right to
  // 1e-3 of the full one (the sums themselves compared, without the 1 that
  // the torsional value adds), else the full one.
  if (static_cast<real>(in.a0) * z.lambda > 9.0L) e.bound[2] = e.bound[3] = asymptotic_bound(in.D);
  for (int k = 2; k < 4; ++k) {
    const bool torsion = k == 3;
    const cld v = pile_ref::rotation_two_zone(z, in.a0, in.D, in.sw, in.Dw, torsion, info);
    const cld one = torsion ? 2.0L * pile_ref::kPiL * static_cast<real>(in.sw) * cld(1.0L, in.Dw) : cld(0.0L);
    const cld want = std::abs(v - info.full) <= 1e-3L * std::abs(info.full - one) ? v : info.full;
    if (info.converged) e.e[k] = rel(torsion ? o.st : o.srx, want);
  }
  return e;
}

void print(const Input& in, const Errors& e) {
  std::printf("  a0 %7.4g nu %.2f D %.3f sw %.2f Dw %.3f t/r %6.1f:", in.a0, in.nu, in.D, in.sw, in.Dw, in.t);
  for (int k = 0; k < 4; ++k) {
    if (e.e[k] < 0.0)
      std::printf("  %s    -    ", kNames[k]);
    else
      std::printf("  %s %.2e", kNames[k], e.e[k]);
  }
  std::printf("\n");
}

// Worst cases of the sweeps below on the kernel before the reactions moved
// to double where single precision loses them (the figures in the comments
// are the errors then; they are now about 1e-7, 1e-5 for the 20-radius
// zone).
const Input kWorstCases[] = {
    // Horizontal two-zone value, lightly damped zone: the I0/I1 series at
    // nearly imaginary arguments up to |z| = 14.
    {2.0f, 0.25f, 0.001f, 0.9f, 0.001f, 5.0f},   // Su 3.2e-2
    {2.0f, 0.25f, 0.001f, 0.9f, 0.0f, 5.0f},     // Su 1.3e1 (undamped zone)
    {1.0f, 0.25f, 0.001f, 0.2f, 0.0f, 5.0f},     // Su 3.8e0
    {0.45f, 0.3f, 0.002f, 0.5f, 0.002f, 20.0f},  // Su 8.1e-3 (20 radii)
    {5.0f, 0.3f, 0.05f, 0.5f, 0.1f, 0.5f},       // Su 5.4e-4
    // Vertical, rotational, torsional two-zone values: terms up to 6e3 times
    // their sum.
    {7.0f, 0.4f, 0.3f, 0.9f, 0.3f, 2.0f},        // Sw 2.5e-3
    {5.0f, 0.4f, 0.001f, 0.9f, 0.0f, 2.0f},      // Sw 7.0e-4
    {10.0f, 0.4f, 0.005f, 0.9f, 0.002f, 1.0f},   // Sw 6.8e-4
    {3.0f, 0.4f, 0.001f, 0.5f, 0.001f, 2.0f},    // Srx 2.3e-4, St 1.8e-4, Su 3.0e-3
    // Horizontal two-zone value of a wide zone at low frequency: a small
    // argument at the face, the float system and T, U, V cancel.
    {0.005f, 0.4f, 0.005f, 0.5f, 0.005f, 100.0f},   // Su 5.8e-3
    {0.0006f, 0.49f, 0.005f, 0.5f, 0.005f, 500.0f}, // Su 5.4e-1
    {0.0143f, 0.49f, 0.05f, 0.9f, 0.05f, 20.0f},    // Su 9.2e-3
    // ... and near a resonance of the annulus (|Su| 100 times below the
    // outer reaction).
    {1.0339375f, 0.49f, 0.005f, 0.5f, 0.005f, 3.0f},  // Su 7.6e-4
    // Homogeneous reactions: the K0, K1 series near |z| = 9.
    {8.69f, 0.25f, 0.3f, 1.0f, 0.3f, 0.0f},      // Sw 2.5e-4, St 2.4e-4
    // Rotational and torsional values of soft zones as the project file
    // writes them (a pile's zone one radius thick, a side layer's a tenth):
    // the 20-term derivative sums short of the converged ones.
    {0.5f, 0.4f, 0.05f, 0.4f, 0.1f, 0.1f},       // Srx 6.0e-3, St 6.0e-3
    {0.2f, 0.4f, 0.004f, 0.4f, 0.008f, 1.0f},    // Srx 8.5e-3, St 9.8e-3
};

TEST(PileSoilPrecision, WorstCasesOfTheSweep) {
  std::printf("errors relative to the extended-precision reference:\n");
  for (const Input& in : kWorstCases) {
    const Errors e = errors(in);
    print(in, e);
    for (int k = 0; k < 4; ++k) {
      EXPECT_LE(e.e[k], e.bound[k]) << kNames[k] << " a0 " << in.a0 << " D " << in.D << " sw " << in.sw << " Dw "
                                    << in.Dw << " t " << in.t;
    }
  }
}

// One sweep; prints its five worst cases per reaction and checks the bounds.
void sweep(const std::vector<Input>& inputs) {
  struct Worst {
    double e;
    Input in;
  };
  std::vector<Worst> worst[4];
  int checked[4] = {0, 0, 0, 0};
  for (const Input& in : inputs) {
    const Errors e = errors(in);
    for (int k = 0; k < 4; ++k) {
      if (e.e[k] < 0.0) continue;
      ++checked[k];
      worst[k].push_back({e.e[k] / e.bound[k], in});
      EXPECT_LE(e.e[k], e.bound[k]) << kNames[k] << " a0 " << in.a0 << " nu " << in.nu << " D " << in.D << " sw "
                                    << in.sw << " Dw " << in.Dw << " t " << in.t;
    }
  }
  for (int k = 0; k < 4; ++k) {
    std::sort(worst[k].begin(), worst[k].end(), [](const Worst& a, const Worst& b) { return a.e > b.e; });
    std::printf("%s: %d cases; worst (error / bound):\n", kNames[k], checked[k]);
    for (size_t i = 0; i < worst[k].size() && i < 5; ++i) {
      const Input& in = worst[k][i].in;
      std::printf("  %.2f  a0 %7.4g nu %.2f D %.3f sw %.2f Dw %.3f t/r %6.1f\n", worst[k][i].e, in.a0, in.nu, in.D,
                  in.sw, in.Dw, in.t);
    }
  }
}

TEST(PileSoilPrecision, HomogeneousReactionsOverTheSweep) {
  std::vector<Input> inputs;
  for (float D : {0.0f, 0.001f, 0.01f, 0.05f, 0.1f, 0.3f})
    for (float a0 = 0.3f; a0 <= 30.0f; a0 *= 1.05f)
      for (float nu : {0.25f, 0.4f, 0.5f}) inputs.push_back({a0, nu, D, 1.0f, D, 0.0f});
  sweep(inputs);
}

TEST(PileSoilPrecision, HorizontalValueOfWideZonesAtLowFrequency) {
  // a' from the floor 0.3 up, zones 2 to 500 radii: the argument at the face
  // down to 1e-4.  (The vertical, rotational and torsional values of these
  // zones are integrated; their series give no reference here.)
  std::vector<Input> inputs;
  for (float t : {2.0f, 5.0f, 20.0f, 100.0f, 500.0f})
    for (float ap = 0.3f; ap < 9.0f; ap *= 1.4f)
      for (float sw : {0.9f, 0.5f, 0.05f})
        for (float D : {0.3f, 0.05f, 0.005f})
          for (float nu : {0.25f, 0.49f}) {
            const float a0 = ap / (1.0f + t) * 1.0001f;  // a' just above ap
            inputs.push_back({a0, nu, D, sw, D, t});
          }
  sweep(inputs);
}

TEST(PileSoilPrecision, TwoZoneReactionsOverTheSweep) {
  // Damping of layer and zone from heavy to none, shear ratios 0.05 .. 0.9,
  // zones from 0.2 to 500 radii, a0 0.3 .. 10.
  const float damping[][2] = {{0.3f, 0.3f},   {0.05f, 0.05f}, {0.01f, 0.01f}, {0.001f, 0.001f},
                              {0.01f, 0.1f},  {0.1f, 0.01f},  {0.001f, 0.0f}, {0.0f, 0.0f}};
  std::vector<Input> inputs;
  for (const auto& d : damping)
    for (float sw : {0.9f, 0.5f, 0.2f, 0.05f})
      for (float t : {0.2f, 0.5f, 1.0f, 2.0f, 5.0f, 20.0f, 100.0f, 500.0f})
        for (float a0 : {0.3f, 0.5f, 1.0f, 2.0f, 3.0f, 5.0f, 7.0f, 10.0f})
          for (float nu : {0.25f, 0.4f}) inputs.push_back({a0, nu, d[0], sw, d[1], t});
  sweep(inputs);
}

// Soft zones as the project file writes them (one radius thick around a
// pile, a tenth of the radius beside a footing or cap), with the damping
// the file gives them (twice the layer's) and shear ratios from the 0.25 to
// 0.5 suggested for machine foundations down to 0.1: the rotational and
// torsional values against the zone integrated by the reference, which
// shares nothing with the series.  The 20-term derivative sums fell short
// of these by 4e-3 to 1e-2 at a ratio of 0.4 and 4e-2 to 7e-2 at 0.25.
TEST(PileSoilPrecision, RotationAndTorsionOfSoftZonesAgainstTheIntegratedZone) {
  double worst = 0.0;
  for (float t : {0.1f, 1.0f})
    for (float sw : {0.5f, 0.4f, 0.25f, 0.1f})
      for (float D : {0.004f, 0.05f})
        for (float a0 : {0.05f, 0.3f, 1.0f, 3.0f}) {
          const Input in{a0, 0.4f, D, sw, 2.0f * D, t};
          const Result o = run(in);
          const real tr = t;
          const cld srx = pile_ref::integrated_two_zone(1, a0, D, sw, 2.0f * D, tr, 4000);
          const cld st = pile_ref::integrated_two_zone(2, a0, D, sw, 2.0f * D, tr, 4000);
          const double e = std::max(rel(o.srx, srx), rel(o.st, st));
          worst = std::max(worst, e);
          // At 0.5 the 20-term sums are right to 1e-3 (to 9.998e-4 here, the
          // kernel's own measure of it, plus rounding) and stay; at 0.4 and
          // below they are replaced.
          EXPECT_LT(e, sw > 0.45f ? 1.01e-3 : 1e-4) << "a0 " << a0 << " D " << D << " sw " << sw << " t/r " << t << ": Srx " << o.srx
                             << " vs " << srx << ", St " << o.st << " vs " << st;
        }
  std::printf("worst relative difference %.1e\n", worst);
}

}  // namespace
