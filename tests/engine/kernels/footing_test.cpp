// Footing, stratum and cut-off kernels against closed-form static stiffnesses
// of a rigid circular footing, hand-computed correction factors and the limits
// of the frequency-dependent terms.
#include "kernels/footing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace eng {
namespace {

// ---- rigid footing on a half-space -----------------------------------------

struct FootingResult {
  cfloat kh, kv, krx, kry, kt;
};

FootingResult footing(float a0, float nu, float D, float r0 = 1.0f, float rx = 1.0f,
                      float ry = 1.0f, float rt = 1.0f) {
  FootingResult r;
  FOOTING_IMPEDANCE(a0, nu, D, r0, rx, ry, rt, r.kh, r.kv, r.krx, r.kry, r.kt);
  return r;
}

// Static stiffness of a rigid disc of radius R on an elastic half-space:
// Kx = 8GR/(2-nu), Kz = 4GR/(1-nu), Krock = 8GR^3/(3(1-nu)), Ktors = 16GR^3/3.
TEST(FootingImpedance, StaticLimitIsRigidDiscOnHalfSpace) {
  const float G = 2.5e4f, R = 1.5f;
  for (float nu : {0.0f, 0.25f, 0.33f, 0.3999f, 0.4f, 0.45f, 0.49f}) {
    // Rocking and torsion radii differ from r0: each mode uses its own radius.
    const auto k = footing(1e-5f, nu, 0.0f, R, 2.0f * R, 0.5f * R, 1.2f * R);
    const float rx = 2.0f * R, ry = 0.5f * R, rt = 1.2f * R;
    EXPECT_NEAR(G * R * k.kh.real(), 8 * G * R / (2 - nu), 1e-4 * 8 * G * R) << nu;
    EXPECT_NEAR(G * R * k.kv.real(), 4 * G * R / (1 - nu), 1e-4 * 4 * G * R) << nu;
    EXPECT_NEAR(G * rx * rx * rx * k.krx.real(), 8 * G * rx * rx * rx / (3 * (1 - nu)),
                1e-4 * G * rx * rx * rx) << nu;
    EXPECT_NEAR(G * ry * ry * ry * k.kry.real(), 8 * G * ry * ry * ry / (3 * (1 - nu)),
                1e-4 * G * ry * ry * ry) << nu;
    EXPECT_NEAR(G * rt * rt * rt * k.kt.real(), 16 * G * rt * rt * rt / 3, 1e-4 * G * rt * rt * rt)
        << nu;
    for (cfloat z : {k.kh, k.kv, k.krx, k.kry, k.kt}) EXPECT_NEAR(z.imag(), 0.0f, 1e-4f) << nu;
  }
}

// Correspondence principle: at zero frequency the complex modulus G(1 + iD)
// multiplies every static stiffness by (1 + iD).
TEST(FootingImpedance, StaticLimitWithMaterialDampingIsStaticTimesOnePlusID) {
  const float D = 0.1f;
  for (float nu : {0.25f, 0.45f}) {
    const auto k = footing(1e-6f, nu, D);
    const float expect[5] = {8 / (2 - nu), 4 / (1 - nu), 8 / (3 * (1 - nu)), 8 / (3 * (1 - nu)),
                             16.0f / 3};
    const cfloat got[5] = {k.kh, k.kv, k.krx, k.kry, k.kt};
    for (int m = 0; m < 5; ++m) {
      EXPECT_NEAR(got[m].real(), expect[m], 1e-4 * expect[m]) << "nu " << nu << " mode " << m;
      EXPECT_NEAR(got[m].imag(), D * expect[m], 1e-4 * expect[m]) << "nu " << nu << " mode " << m;
    }
  }
}

// Without material damping the imaginary parts are a0 times the radiation
// coefficients; their high-frequency limits (b^2/(1 + b^2) -> 1) are the
// coefficient sums.  nu = 0.4 exactly takes the second set.
TEST(FootingImpedance, UndampedRadiationCoefficientsAndTheirHighFrequencyLimits) {
  struct Case {
    float nu;
    float h1, z4_plus_z1z2, r1r2, z1;
  };
  const Case cases[] = {{0.3f, 0.65f, 0.75f + 0.35f * 0.8f, 0.5f * 0.8f, 0.35f},
                        {0.3999f, 0.65f, 0.75f + 0.35f * 0.8f, 0.5f * 0.8f, 0.35f},
                        {0.4f, 0.6f, 0.85f, 0.4f * 0.8f, 0.0f},
                        {0.48f, 0.6f, 0.85f, 0.4f * 0.8f, 0.0f}};
  for (const auto& c : cases) {
    const float a0 = 1.5f;
    const auto k = footing(a0, c.nu, 0.0f);
    // Horizontal: real part stays static, imaginary part 8/(2-nu)*h1*a0.
    EXPECT_NEAR(k.kh.real(), 8 / (2 - c.nu), 1e-5) << c.nu;
    EXPECT_NEAR(k.kh.imag(), 8 / (2 - c.nu) * c.h1 * a0, 1e-5) << c.nu;

    const float big = 2000.0f;  // b^2/(1 + b^2) = 1 to single precision
    const auto h = footing(big, c.nu, 0.0f);
    EXPECT_NEAR(h.kv.imag() / big, 4 / (1 - c.nu) * c.z4_plus_z1z2, 1e-4) << c.nu;
    EXPECT_NEAR(h.krx.imag() / big, 8 / (3 * (1 - c.nu)) * c.r1r2, 1e-4) << c.nu;
    EXPECT_NEAR(h.kt.imag() / big, 16.0f / 3 * 0.425f * 0.687f, 1e-4) << c.nu;
    EXPECT_NEAR(h.kt.real(), 16.0f / 3 * (1 - 0.425f), 1e-4) << c.nu;
    if (c.nu < 0.4f) {
      EXPECT_NEAR(h.kv.real(), 4 / (1 - c.nu) * (1 - c.z1), 1e-3) << c.nu;
    }
  }
}

// For nu >= 0.4 the vertical coefficient reduces to
// 4/(1-nu)*[(1 - 0.85 p a0 - 0.17 a0^2) + i(0.85 q a0 + D)], q + ip = sqrt(1 + iD).
TEST(FootingImpedance, VerticalCoefficientForHighPoissonRatio) {
  const float nu = 0.45f, D = 0.2f;
  for (float a0 : {0.5f, 1.0f, 2.0f}) {
    const auto k = footing(a0, nu, D);
    const std::complex<double> root = std::sqrt(std::complex<double>(1.0, D));
    const double p = root.imag(), q = root.real();
    const double f = 4 / (1 - nu);
    EXPECT_NEAR(k.kv.real(), f * (1 - 0.85 * p * a0 - 0.17 * a0 * a0), 1e-5) << a0;
    EXPECT_NEAR(k.kv.imag(), f * (0.85 * q * a0 + D), 1e-5) << a0;
  }
}

// ---- embedded footing on a stratum ------------------------------------------

struct StratumResult {
  cfloat hh, vv, hx, hy, xx, yy, tt;
};

struct Stratum {
  float E = 0, H = 100, nu = 0.3f, D = 0, gamma = 16, Vs = 200, R = 2, g = 8;
  StratumResult at(float omega) const {
    StratumResult r;
    STRATUM_IMPEDANCE(omega, E, H, nu, D, gamma, Vs, R, R, R, R, R, r.hh, r.vv, r.hx, r.hy, r.xx,
                      r.yy, r.tt, g);
    return r;
  }
  float G() const { return Vs * Vs * gamma / g; }
};

// A surface footing on a very deep stratum at low frequency is the rigid disc
// on a half-space.
TEST(StratumImpedance, DeepStratumSurfaceFootingIsRigidDisc) {
  Stratum s;
  s.H = 1e5f;
  const float G = s.G(), R = s.R, nu = s.nu;
  const auto k = s.at(1e-4f);
  EXPECT_NEAR(k.hh.real(), 8 * G * R / (2 - nu), 1e-4 * 8 * G * R / (2 - nu));
  EXPECT_NEAR(k.vv.real(), 4 * G * R / (1 - nu), 1e-4 * 4 * G * R / (1 - nu));
  EXPECT_NEAR(k.xx.real(), 8 * G * R * R * R / (3 * (1 - nu)), 1e-4 * 8 * G * R * R * R);
  EXPECT_NEAR(k.tt.real(), 16 * G * R * R * R / 3, 1e-4 * 16 * G * R * R * R / 3);
  EXPECT_EQ(k.xx, k.yy);
  // Surface footing: the lateral resultant e = -0.03*R below the base, so the
  // (2,4) term -e*Kh = +0.03*R*Kh and the (1,5) term +e*Kh = -0.03*R*Kh.
  EXPECT_NEAR(k.hx.real(), 0.03f * R * k.hh.real(), 1e-3 * R * k.hh.real() * 0.03f);
  EXPECT_EQ(k.hy, -k.hx);
  for (cfloat z : {k.hh, k.vv, k.xx, k.tt}) EXPECT_NEAR(z.imag() / z.real(), 0.0f, 1e-6f);
}

// Embedment and depth factors at E/R = 0.5, R/H = 0.25 (E/H = 0.125), by hand:
//   horizontal (1 + 1.25*0.125)(1 + 0.5*0.25)(1 + 0.5*2/3)       = 1.734375
//   vertical   (1 + 1.28*0.25)(1 + 0.47*0.5)(1 + 0.71*0.125/0.875) = 1.7955489
//   rocking    (1 + 0.25/6)(1 + 2*0.5)(1 + 0.7*0.125)             = 2.265625
//   torsion    1 + 2.67*0.5                                        = 2.335
//   coupling   (0.4*0.5 - 0.03)*R*Kh                               = 0.17*R*Kh
//              (the resultant 0.17*R above the base: -0.17*R*Kh at (2,4), +0.17*R*Kh at (1,5))
TEST(StratumImpedance, EmbedmentAndDepthFactors) {
  Stratum s;
  s.R = 4;
  s.E = 2;
  s.H = 16;
  const float G = s.G(), R = s.R, nu = s.nu;
  const auto k = s.at(1e-5f);
  const float kh0 = 8 * G * R / (2 - nu), kv0 = 4 * G * R / (1 - nu);
  const float kx0 = 8 * G * R * R * R / (3 * (1 - nu)), kt0 = 16 * G * R * R * R / 3;
  EXPECT_NEAR(k.hh.real() / kh0, 1.734375, 1e-5);
  EXPECT_NEAR(k.vv.real() / kv0, 1.7955489, 1e-5);
  EXPECT_NEAR(k.xx.real() / kx0, 2.265625, 1e-5);
  EXPECT_NEAR(k.tt.real() / kt0, 2.335, 1e-5);
  EXPECT_NEAR(k.hx.real() / (R * k.hh.real()), -0.17, 1e-5);
  EXPECT_NEAR(k.hy.real() / (R * k.hh.real()), 0.17, 1e-5);
}

// Damping coefficient c of a term K*(k + i*c*a)*(1 + 2i*beta), from Im/Re.
float damping_of(cfloat K, float k, float a, float beta) {
  const float rho = K.imag() / K.real();
  return (rho - 2 * beta) / (1 + 2 * beta * rho) * k / a;
}

// omega = 2*3.14159 gives exactly 1 Hz in the kernel; Vs/(4H) = 200/(4*50) = 1 Hz,
// so the shear ratio rs is exactly 1.  Below the cut-off the horizontal damping
// is the resonance term 0.65*beta*rs/(1 - (1 - 2beta)rs^2), 0.325 at rs = 1 for
// every beta > 0; without material damping the formula is 0/0 there and the
// kernel takes the same 0.325, so that D = 0 and a tiny D agree.  Just above
// the cut-off the radiation value 0.6 holds.
TEST(StratumImpedance, ShearCutoffDampingAndTheUndampedLimit) {
  const float omega_c = 2.0f * 3.14159f;
  struct Case {
    float D, omega, ch;
  };
  const float above = std::nextafter(omega_c, 100.0f);
  const Case cases[] = {
      {0.1f, omega_c, 0.325f},      {0.01f, omega_c, 0.325f},
      {1e-9f, omega_c, 0.325f},     {0.0f, omega_c, 0.325f},
      {0.0f, 0.9f * omega_c, 0.0f},  // no material damping, below the cut-off: none
      {0.1f, 0.5f * omega_c, 0.65f * 0.05f * 0.5f / (1 - 0.9f * 0.25f)},
      {0.0f, above, 0.6f},          {0.1f, above, 0.6f},
  };
  for (const auto& c : cases) {
    Stratum s;
    s.H = 50;
    s.D = c.D;
    const auto k = s.at(c.omega);
    const float beta = 0.5f * c.D;
    const float ah = c.omega * s.R / s.Vs;
    for (cfloat z : {k.hh, k.hx, k.hy, k.tt}) {
      ASSERT_TRUE(std::isfinite(z.real()) && std::isfinite(z.imag())) << c.D << " " << c.omega;
    }
    EXPECT_NEAR(damping_of(k.hh, 1, ah, beta), c.ch, 2e-4) << "D " << c.D << " omega " << c.omega;
    EXPECT_NEAR(damping_of(k.hx, 1, ah, beta), c.ch, 2e-4) << "D " << c.D << " omega " << c.omega;
    if (c.omega <= omega_c) {  // torsion follows at 0.23076925*ch = 0.075 at rs = 1
      const float at = ah, kt = 1 - 0.133f * at;
      EXPECT_NEAR(damping_of(k.tt, kt, at, beta), 0.23076925f * c.ch, 1e-4) << c.D;
    }
  }
}

// nu = 0.4375 gives Vp = 3*Vs exactly (2(1-nu)/(1-2nu) = 9): with Vs = 200 and
// H = 150, Vp/(4H) = 1 Hz and rp is exactly 1 at omega = 2*3.14159.  The
// rocking damping at the cut-off is 0.5*beta/(2beta) = 0.25 and the vertical
// 1.34 times that, with or without material damping; above it 0.85 and
// 0.3*ax^2/(1 + ax^2).
TEST(StratumImpedance, CompressionCutoffDampingAndTheUndampedLimit) {
  const float omega_c = 2.0f * 3.14159f;
  const float above = std::nextafter(omega_c, 100.0f);
  for (float D : {0.0f, 0.05f}) {
    for (float omega : {omega_c, above}) {
      Stratum s;
      s.nu = 0.4375f;
      s.H = 150;
      s.D = D;
      const auto k = s.at(omega);
      const float beta = 0.5f * D, a = omega * s.R / s.Vs;
      const float kx = 1 - 0.2f * a;
      const float cx = omega == omega_c ? 0.25f : 0.3f * a * a / (1 + a * a);
      const float cv = omega == omega_c ? 0.335f : 0.85f;
      EXPECT_NEAR(damping_of(k.xx, kx, a, beta), cx, 1e-4) << D << " " << omega;
      EXPECT_NEAR(damping_of(k.yy, kx, a, beta), cx, 1e-4) << D << " " << omega;
      EXPECT_NEAR(damping_of(k.vv, 1, a, beta), cv, 1e-4) << D << " " << omega;
    }
  }
}

// Frequency factors of the stiffness (D = 0, so Re K = static * factor):
// rocking 1 - 0.2*ax down to the floor 0.5 at ax = 2.5 (no floor for nu >= 0.45),
// torsion 1 - 0.133*at down to 0.6 at at = 3.
TEST(StratumImpedance, StiffnessFrequencyFactors) {
  struct Case {
    float nu, a, rocking, torsion;
  };
  const float below25 = std::nextafter(2.5f, 0.0f), below3 = std::nextafter(3.0f, 0.0f);
  const Case cases[] = {
      {0.3f, 1.0f, 0.8f, 0.867f},     {0.3f, below25, 0.5f, 1 - 0.133f * 2.5f},
      {0.3f, 2.5f, 0.5f, 1 - 0.133f * 2.5f}, {0.3f, below3, 0.5f, 0.601f},
      {0.3f, 3.0f, 0.5f, 0.6f},       {0.3f, 6.0f, 0.5f, 0.6f},
      {0.45f, 6.0f, -0.2f, 0.6f},     // floor dropped: negative rocking factor
      {0.45f, 2.5f, 0.5f, 1 - 0.133f * 2.5f},
  };
  for (const auto& c : cases) {
    Stratum s;
    s.nu = c.nu;
    s.Vs = 100;
    s.R = 1;
    s.H = 1;  // shallow: the working frequencies lie above both cut-offs
    const float omega = c.a * s.Vs / s.R;
    const auto k = s.at(omega);
    const auto k0 = s.at(1e-6f);  // static values
    EXPECT_NEAR(k.xx.real() / k0.xx.real(), c.rocking, 2e-5) << c.nu << " a " << c.a;
    EXPECT_NEAR(k.tt.real() / k0.tt.real(), c.torsion, 2e-5) << c.nu << " a " << c.a;
    EXPECT_NEAR(k.hh.real() / k0.hh.real(), 1.0f, 1e-6) << c.nu << " a " << c.a;
  }
}

// ---- cut-off frequencies of a layered profile --------------------------------

struct Profile {
  std::vector<float> h, vs, nu;  // pile layers
  std::vector<float> sh, svs, snu;  // side layers
  float n_layers() const { return static_cast<float>(h.size()); }
  float n_side() const { return static_cast<float>(sh.size()); }
};

void cutoff(const Profile& p, int flag, float vs_base, float& ws, float& wp,
            float n_layers = -1, float n_side = -1) {
  static const float none = 0;
  const float nl = n_layers < 0 ? p.n_layers() : n_layers;
  const float ns = n_side < 0 ? p.n_side() : n_side;
  LAYER_CUTOFF_FREQUENCIES(flag, nl, p.h.empty() ? &none : p.h.data(),
                           p.vs.empty() ? &none : p.vs.data(), p.nu.empty() ? &none : p.nu.data(),
                           1, ns, p.sh.empty() ? &none : p.sh.data(),
                           p.svs.empty() ? &none : p.svs.data(),
                           p.snu.empty() ? &none : p.snu.data(), 1, vs_base, ws, wp);
}

// One layer on a rigid base: fs = Vs/(4H), fp = Vp/(4H), Vp = Vs*sqrt(2(1-nu)/(1-2nu)).
TEST(LayerCutoffFrequencies, OneLayerOnRigidBase) {
  const double two_pi = 6.283185307179586;
  for (float nu : {0.0f, 0.25f, 0.3f, 0.45f}) {
    Profile p;
    p.h = {10};
    p.vs = {200};
    p.nu = {nu};
    float ws = -1, wp = -1;
    cutoff(p, 1, 1000, ws, wp);
    const double vp = 200 * std::sqrt(2 * (1 - nu) / (1 - 2.0 * nu));
    EXPECT_NEAR(ws, two_pi * 200 / 40, 1e-5 * ws) << nu;
    EXPECT_NEAR(wp, two_pi * vp / 40, 1e-5 * wp) << nu;
  }
}

// Pile layers and side layers are averaged together by thickness; the pile
// layer table here is a table of rows (stride 4: thickness, Vs, unit weight, nu).
TEST(LayerCutoffFrequencies, ThicknessWeightedMeanOverPileAndSideLayers) {
  const float rows[] = {4, 100, 18, 0.2f, 6, 300, 19, 0.4f};
  const float sh[] = {10}, svs[] = {200}, snu[] = {0.3f};
  float ws = -1, wp = -1;
  LAYER_CUTOFF_FREQUENCIES(1, 2.0f, &rows[0], &rows[1], &rows[3], 4, 1.0f, sh, svs, snu, 1, 500.0f,
                           ws, wp);
  // Ht = 20, Vm = (400 + 1800 + 2000)/20 = 210, mean nu = (0.8 + 2.4 + 3)/20 = 0.31
  const double pi = 3.141592653589793;
  const double expect_s = pi * 210 / 40;
  EXPECT_NEAR(ws, expect_s, 1e-5 * expect_s);
  EXPECT_NEAR(wp, expect_s * std::sqrt(2 * 0.69 / 0.38), 1e-5 * wp);
}

TEST(LayerCutoffFrequencies, CasesWithoutCutoffGiveZero) {
  Profile one;
  one.h = {10};
  one.vs = {200};
  one.nu = {0.3f};
  Profile zero_thick = one;
  zero_thick.h = {0};
  Profile empty;
  struct Case {
    const char* what;
    const Profile* p;
    int flag;
    float vs_base;
  };
  const Case cases[] = {
      {"floating tips", &one, 0, 1000},     {"negative flag", &one, -1, 1000},
      {"mean equals base", &one, 1, 200},   {"mean above base", &one, 1, 150},
      {"empty profile", &empty, 1, 1000},   {"zero thickness", &zero_thick, 1, 1000},
  };
  for (const auto& c : cases) {
    float ws = -1, wp = -1;
    cutoff(*c.p, c.flag, c.vs_base, ws, wp);
    EXPECT_EQ(ws, 0.0f) << c.what;
    EXPECT_EQ(wp, 0.0f) << c.what;
  }
}

// A mean Poisson's ratio of 0.5 or more is replaced by 0.499; 0.4995 is kept.
TEST(LayerCutoffFrequencies, PoissonRatioCapForCompression) {
  struct Case {
    float nu;
    double factor;  // sqrt(2(1-nu)/(1-2nu)) with the ratio actually used
  };
  const Case cases[] = {{0.5f, std::sqrt(2 * 0.501 / 0.002)},
                        {0.6f, std::sqrt(2 * 0.501 / 0.002)},
                        {0.4995f, std::sqrt(2 * (1 - 0.4995f) / (1 - 2 * 0.4995f))}};
  for (const auto& c : cases) {
    Profile p;
    p.h = {5};
    p.vs = {100};
    p.nu = {c.nu};
    float ws, wp;
    cutoff(p, 1, 1000, ws, wp);
    EXPECT_NEAR(wp / ws, c.factor, 1e-3 * c.factor) << c.nu;
  }
}

// Counts held as reals are rounded to the nearest integer and never read
// beyond the 30-layer tables.
TEST(LayerCutoffFrequencies, CountsRoundToNearestAndStayInTheTables) {
  Profile p;
  p.h = {10, 30};
  p.vs = {100, 300};
  p.nu = {0.3f, 0.3f};
  float ws1, wp1, ws2, wp2, ws;
  cutoff(p, 1, 1000, ws1, wp1, 1.4f, 0);
  cutoff(p, 1, 1000, ws2, wp2, 1.5f, 0);
  const double pi = 3.141592653589793;
  EXPECT_NEAR(ws1, pi * 100 / 20, 1e-4);          // one layer
  EXPECT_NEAR(ws2, pi * 250 / 80, 1e-4);          // two layers: Vm = 10000/40
  Profile many;
  many.sh.assign(kCutoffMaxLayers, 2.0f);
  many.svs.assign(kCutoffMaxLayers, 150.0f);
  many.snu.assign(kCutoffMaxLayers, 0.25f);
  cutoff(many, 1, 1000, ws, wp1, 0, 1e6f);
  EXPECT_NEAR(ws, pi * 150 / (2 * 60), 1e-4);     // 30 side layers of 2
}

}  // namespace
}  // namespace eng
