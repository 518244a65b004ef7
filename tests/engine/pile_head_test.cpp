// Head impedance of a single pile or shaft against closed forms: static and
// dynamic bars, the static Timoshenko beam, a beam on a Winkler foundation,
// and the chain assembly (n elements equal one element of the same length).
#include <gtest/gtest.h>

#include <cmath>
#include <complex>

#include "kernels/footing.h"
#include "kernels/pile_head.h"
#include "kernels/pile_soil.h"

namespace {

using eng::cfloat;

void expect_close(cfloat a, cfloat b, float rel, const char* what = "") {
  const float tol = rel * std::abs(b);
  EXPECT_NEAR(a.real(), b.real(), tol) << what;
  EXPECT_NEAR(a.imag(), b.imag(), tol) << what;
}

// The arguments of one call, with a concrete pile of radius 0.5 in soil.
struct Pile {
  int profile = 1;
  float gp = 24.0f, nup = 0.2f, grav = 9.8f, kappa = 0.0f, E = 2.5e7f, N = 0.0f;
  int n = 1, c = 0;
  float rhoG[30], L[30], Vs[30], gam[30], nu[30], D[30], r[30], A[30], I[30], J[30];
  float Vsb = 300.0f, gb = 19.0f, nub = 0.3f, Db = 0.05f;
  float omega = 10.0f;
  float wr[30], wnu[30], wD[30], wt[30];
  float Dp = 0.0f;
  float rhoD[30];
  float omega_s = 0.0f, omega_p = 0.0f;
  // Results: vertical, torsional, lateral (rotation held), rocking,
  // coupling, lateral (rotation free) as stiffness + i omega damping.
  cfloat H[6];

  Pile() {
    for (int j = 0; j < 30; ++j) {
      rhoG[j] = rhoD[j] = 1.0f;
      L[j] = 1.0f;
      Vs[j] = 150.0f;
      gam[j] = 18.0f;
      nu[j] = 0.35f;
      D[j] = 0.05f;
      r[j] = 0.5f;
      A[j] = 0.785398f;
      I[j] = 0.0490874f;
      J[j] = 0.0981748f;
      wr[j] = 1.0f;
      wnu[j] = 0.35f;
      wD[j] = 0.05f;
      wt[j] = 0.0f;
    }
  }
  // n elements of equal length summing to `total`.
  void split(int count, float total) {
    n = count;
    for (int j = 0; j < 30; ++j) L[j] = total / count;
  }
  void run() {
    float k[6], d[6];
    eng::PILE_HEAD_IMPEDANCE(profile, gp, nup, grav, kappa, E, N, n, c, rhoG, L, Vs, gam, nu, D,
                             r, A, I, J, Vsb, gb, nub, Db, omega, k[0], k[1], k[2], k[3], k[4],
                             k[5], d[0], d[1], d[2], d[3], d[4], d[5], wr, wnu, wD, wt, Dp, rhoD,
                             omega_s, omega_p);
    for (int t = 0; t < 6; ++t) H[t] = cfloat(k[t], omega * d[t]);
  }
  // No soil along the body; a practically rigid base below it.
  void bare_on_rigid_base() {
    for (int j = 0; j < 30; ++j) Vs[j] = 0.0f;
    Vsb = 3.0e5f;
    gb = 1.0e3f;
  }
};

// ---------------------------------------------------------------------------
// Element terms

TEST(BarElement, StaticAndDynamicTerms) {
  const cfloat EA(2.0e6f, 1.0e4f);
  cfloat d, o;
  eng::bar_element(cfloat(0.0f, 0.0f), EA, 4.0f, d, o);  // no mass, no springs
  EXPECT_EQ(d, EA / 4.0f);
  EXPECT_EQ(o, -EA / 4.0f);
  // k cot(kL) and -k / sin(kL), also for a large imaginary kL (stiff springs)
  // where sin and cos overflow in single precision.
  for (const cfloat k : {cfloat(0.3f, 0.02f), cfloat(0.02f, 1.5f), cfloat(0.05f, -40.0f)}) {
    const float L = 4.0f;
    eng::bar_element(k, EA, L, d, o);
    const std::complex<double> kd(k), z = kd * double(L), ead(EA);
    const std::complex<double> dref = ead * kd * std::cos(z) / std::sin(z);
    const std::complex<double> oref = -ead * kd / std::sin(z);
    EXPECT_TRUE(std::isfinite(d.real()) && std::isfinite(o.real()));
    expect_close(d, cfloat(dref), 1e-5f, "d");
    if (std::abs(oref) > 1e-30) {
      expect_close(o, cfloat(oref), 1e-5f, "o");
    } else {
      EXPECT_LT(std::abs(o), 1e-20f * std::abs(d));
    }
  }
}

// The closed form tends to the textbook static beam terms: at P L^4/EI =
// -0.015 (lambda 0.35) the dynamic part is below 1e-3; with shear flexibility
// Phi; with a small compression, to first order.
TEST(BendingElement, StaticLimits) {
  const float EI = 1.0e5f, L = 2.0f, EIL = EI / L;
  const cfloat P(-0.015f * EI / (L * L * L * L), 0.0f);
  const cfloat R0(0.0f, 0.0f);
  const float tol = 1e-3f * 12 * EIL;
  cfloat e[6];
  eng::bending_element(P, R0, 0.0f, 0.0f, EI, 0.0f, L, e);
  const float want[6] = {12, -6, -12, 6, 4, 2};
  for (int t = 0; t < 6; ++t) EXPECT_NEAR(e[t].real(), want[t] * EIL, tol) << t;

  const float s = 2.0e-6f;  // Phi = 12 EI s / L^2 = 0.6
  const float Phi = 12.0f * EI * s / (L * L);
  eng::bending_element(P, R0, 0.0f, s, EI, 0.0f, L, e);
  const float wantPhi[6] = {12, -6, -12, 6, 4 + Phi, 2 - Phi};
  for (int t = 0; t < 6; ++t) {
    EXPECT_NEAR(e[t].real(), wantPhi[t] * EIL / (1 + Phi), tol) << "Phi " << t;
  }

  const float N = 0.1f * EI / (L * L);  // N L^2 / EI = 0.1
  eng::bending_element(P, R0, N, 0.0f, EI, 0.0f, L, e);
  EXPECT_NEAR(e[0].real(), 12 * EIL - 6 * N * L / 5, tol);
  EXPECT_NEAR(e[1].real(), -(6 * EIL - N * L / 10), tol);
  EXPECT_NEAR(e[4].real(), 4 * EIL - 2 * N * L / 15, tol);
  EXPECT_NEAR(e[5].real(), 2 * EIL + N * L / 30, tol);
}

// Near the switch to the static terms (larger wave number 0.03) both forms
// agree, the imaginary parts of the spring damping included.
TEST(BendingElement, StaticTermsJoinTheClosedForm) {
  const float EI = 1.0e5f, L = 1.0f;
  for (const float lam : {0.035f, 0.05f}) {
    const float k = std::pow(lam, 4.0f) * EI / (L * L * L * L);  // C = lam^4
    const cfloat P(-k, -0.3f * k);
    const cfloat R(-0.2f * k * L * L, -0.05f * k * L * L);
    for (const float s : {0.0f, 1.0e-6f}) {
      cfloat e[6], es[6];
      eng::bending_element(P, R, 0.5f * k * L * L, s, EI, 0.02f, L, e);
      eng::bending_element(P, R, 0.5f * k * L * L, s, EI, 0.02f, L, es, true);
      for (int t = 0; t < 6; ++t) {
        EXPECT_NEAR(e[t].real(), es[t].real(), 1e-6f * 12 * EI / L) << lam << " " << t;
        EXPECT_NEAR(e[t].imag(), es[t].imag(), 1e-3f * std::abs(es[t].imag()) + 1e-6f * EI / L)
            << lam << " " << t;
      }
    }
  }
}

// A long element on a Winkler foundation k (complex): the top terms are those
// of a semi-infinite beam, 4 EI b^3, 2 EI b^2, 2 EI b with b = (k/4EI)^(1/4),
// and the coupling to the far end vanishes.  lambda = 200 overflows sin and
// cosh in single precision without scaling.
TEST(BendingElement, LongElementOnWinklerSprings) {
  const float EI = 2.0e4f;
  const cfloat k(3.0e5f, 4.5e4f);
  const std::complex<double> b = std::pow(std::complex<double>(k) / (4.0 * EI), 0.25);
  for (const float L : {30.0f, 100.0f}) {
    cfloat e[6];
    eng::bending_element(-k, cfloat(0.0f, 0.0f), 0.0f, 0.0f, EI, 0.0f, L, e);
    expect_close(e[0] / (L * L), cfloat(4.0 * EI * b * b * b), 1e-4f, "lateral");
    expect_close(-e[1] / L, cfloat(2.0 * EI * b * b), 1e-4f, "coupling");
    expect_close(e[4], cfloat(2.0 * EI * b), 1e-4f, "rocking");
    EXPECT_LT(std::abs(e[2] / (L * L)), 1e-6f * std::abs(e[0] / (L * L)));
    EXPECT_LT(std::abs(e[5]), 1e-6f * std::abs(e[4]));
  }
}

// ---------------------------------------------------------------------------
// Whole pile

TEST(PileHeadImpedance, BareBarOnRigidBaseStaticAndDynamic) {
  Pile p;
  p.bare_on_rigid_base();
  p.split(3, 12.0f);
  // Massless: every axial and torsion element has kL = 0 and no NaN appears.
  p.gp = 0.0f;
  p.omega = 1.0f;
  p.run();
  const float EA = p.E * p.A[0], GJ = p.E / 2.4f * p.J[0];
  EXPECT_NEAR(p.H[0].real(), EA / 12.0f, 1e-4f * EA / 12.0f);
  EXPECT_NEAR(p.H[1].real(), GJ / 12.0f, 1e-4f * GJ / 12.0f);
  EXPECT_NEAR(p.H[0].imag(), 0.0f, 1e-4f * EA / 12.0f);

  // With mass and damping: a bar clamped at its foot, K = EA* k cot(k L).
  p.gp = 24.0f;
  p.Dp = 0.04f;
  p.omega = 800.0f;
  p.run();
  const std::complex<double> EAc = std::complex<double>(EA, EA * 0.04);
  const std::complex<double> ka = double(p.omega) * std::sqrt(24.0 * p.A[0] / 9.8 / EAc);
  const std::complex<double> Kv = EAc * ka / std::tan(ka * 12.0);
  expect_close(p.H[0], cfloat(Kv), 1e-3f, "axial");
  const std::complex<double> GJc = std::complex<double>(GJ, GJ * 0.04);
  const std::complex<double> kt = double(p.omega) * std::sqrt(24.0 * p.J[0] / 9.8 / GJc);
  expect_close(p.H[1], cfloat(GJc * kt / std::tan(kt * 12.0)), 1e-3f, "torsion");
}

// A massless column without soil, clamped at its foot: the chain of static
// elements (Delta = 0 in the closed form) reproduces the Timoshenko
// cantilever: 12EI/(L^3(1+Phi)), 4..., 6EI/(L^2(1+Phi)) and, with a free
// head, 1/(L^3/3EI + L s).
TEST(PileHeadImpedance, BareColumnOnRigidBaseIsTheCantilever) {
  for (const float kappa : {0.0f, 10.0f / 9.0f}) {
    Pile p;
    p.bare_on_rigid_base();
    p.gp = 0.0f;
    p.kappa = kappa;
    p.split(3, 6.0f);
    p.omega = 2.0f;
    p.run();
    const float L = 6.0f, EI = p.E * p.I[0];
    const float s = kappa / (p.E / 2.4f * p.A[0]);
    const float Phi = 12.0f * EI * s / (L * L);
    EXPECT_NEAR(p.H[2].real(), 12 * EI / (L * L * L * (1 + Phi)), 1e-4f * 12 * EI / (L * L * L));
    EXPECT_NEAR(p.H[3].real(), (4 + Phi) * EI / (L * (1 + Phi)), 1e-4f * 4 * EI / L);
    EXPECT_NEAR(p.H[4].real(), -6 * EI / (L * L * (1 + Phi)), 1e-4f * 6 * EI / (L * L));
    const float free = 1.0f / (L * L * L / (3 * EI) + L * s);
    EXPECT_NEAR(p.H[5].real(), free, 1e-4f * free);
    for (int t = 0; t < 6; ++t) EXPECT_TRUE(std::isfinite(p.H[t].imag()));
  }
}

// Exact elements: eight elements give the head terms of one element of the
// same length, in soil, with mass, damping and either shear flexibility or a
// compression.  (With both at once the terms compose only to about 1e-4.)
// So they do below the cut-off frequencies of an end-bearing pile, where no
// element's soil radiates.
TEST(PileHeadImpedance, EightElementsEqualOne) {
  for (const float cutoff : {0.0f, 100.0f})
    for (const bool shear : {true, false}) {
      SCOPED_TRACE(::testing::Message() << "cut-offs " << cutoff << (shear ? ", shear" : ", compression"));
      Pile one, eight;
      for (Pile* p : {&one, &eight}) {
        p->kappa = shear ? 10.0f / 9.0f : 0.0f;
        p->N = shear ? 0.0f : 500.0f;
        p->Dp = 0.03f;
        p->omega = 60.0f;
        p->omega_s = p->omega_p = cutoff;
      }
      one.split(1, 8.0f);
      eight.split(8, 8.0f);
      one.run();
      eight.run();
      const char* names[6] = {"vertical", "torsion", "lateral", "rocking", "coupling", "free"};
      for (int t = 0; t < 6; ++t) expect_close(eight.H[t], one.H[t], 3e-5f, names[t]);
    }
}

// Short elements (wave numbers below 0.5, evaluated in double precision, and
// below 0.03, the static terms): thirty elements still give the one-element
// head terms to the accuracy of the single-precision chain.
TEST(PileHeadImpedance, ShortElementsKeepTheHeadTerms) {
  for (const float omega : {0.0001f, 1.0f}) {
    Pile one, many;
    for (Pile* p : {&one, &many}) p->omega = omega;
    one.split(1, 8.0f);
    many.split(30, 8.0f);
    one.run();
    many.run();
    for (int t = 0; t < 6; ++t) expect_close(many.H[t], one.H[t], 2e-3f);
  }
  // A free-standing column (no soil) at the lowest frequency the driver
  // uses: wave numbers about 1e-3 take the static terms.
  Pile one, many;
  for (Pile* p : {&one, &many}) {
    p->bare_on_rigid_base();
    p->omega = 0.0001f;
  }
  one.split(1, 6.0f);
  many.split(5, 6.0f);
  one.run();
  many.run();
  for (int t = 0; t < 6; ++t) expect_close(many.H[t], one.H[t], 1e-4f);
  const float EI = one.E * one.I[0];
  EXPECT_NEAR(one.H[5].real(), 3.0f * EI / 216.0f, 1e-4f * 3.0f * EI / 216.0f);
}

// Elements short against the soil's reach are nearly rigid: their e0 and em
// almost cancel, and the soil's share of the chain lies in their sum.  A pile
// in a soft, lightly damped soil with a wide weak zone, as sixteen elements
// of 0.5 m, keeps the bending terms of one element of 8 m to 1e-4 (single
// precision apart, the elements lost up to 1e-2 of the lateral terms); the
// bars of the axial and torsion chains, whose d and o cancel alike but which
// stay in single precision, to 5e-4.
TEST(PileHeadImpedance, ShortElementsStiffAgainstTheSoilKeepTheHeadTerms) {
  for (const float omega : {30.0f, 120.0f}) {
    Pile one, many;
    for (Pile* p : {&one, &many}) {
      p->E = 3e7f;
      p->omega = omega;
      for (int j = 0; j < 30; ++j) {
        p->D[j] = 0.004f;
        p->wr[j] = 0.4f;
        p->wD[j] = 0.006f;
        p->wt[j] = 10.0f;
      }
    }
    one.split(1, 8.0f);
    many.split(16, 8.0f);
    one.run();
    many.run();
    const char* names[6] = {"vertical", "torsion", "lateral", "rocking", "coupling", "free"};
    for (int t = 0; t < 6; ++t) expect_close(many.H[t], one.H[t], t < 2 ? 5e-4f : 1e-4f, names[t]);
  }
}

// A long pile in one soil: the head does not feel the tip; the head terms
// follow the element terms with the soil's own springs.
TEST(PileHeadImpedance, LongPileHeadIsTheWinklerBeam) {
  Pile p;
  p.gp = 0.0f;
  p.split(1, 60.0f);
  p.omega = 30.0f;
  p.run();
  // The same element from its springs.
  const float G = 150.0f * 150.0f * 18.0f / 9.8f;
  cfloat Su, Sw, Srx, Sry, St;
  int hf = 0;
  const int vf = 0;
  const float a0 = 30.0f * 0.5f / 150.0f;
  const float nu = 0.35f, D = 0.05f, one = 1.0f, zero = 0.0f, r = 0.5f;
  eng::PILE_SOIL_IMPEDANCE(a0, nu, D, one, nu, D, zero, r, r, r, r, Su, Sw, Srx, Sry, St, hf,
                           vf);
  cfloat e[6];
  eng::bending_element(-G * Su, -0.25f * G * Srx, 0.0f, 0.0f, p.E * p.I[0], 0.0f, 60.0f, e);
  expect_close(p.H[2], e[0] / 3600.0f, 1e-4f, "lateral");
  expect_close(p.H[3], e[4], 1e-4f, "rocking");
  // With R = 0 the element is the Winkler beam; the rotational springs of the
  // soil change the head terms by a few per cent only.
  const std::complex<double> b =
      std::pow(std::complex<double>(G * Su) / (4.0 * p.E * p.I[0]), 0.25);
  const std::complex<double> winkler = 4.0 * double(p.E * p.I[0]) * b * b * b;
  EXPECT_NEAR(p.H[2].real(), winkler.real(), 0.05 * winkler.real());
}

TEST(PileHeadImpedance, MultilayerShaftBodyAndSoilColumns) {
  // c = n: no soil columns, the shaft is the pile.
  Pile pile, shaft;
  pile.split(4, 6.0f);
  shaft.split(4, 6.0f);
  shaft.profile = -1;
  shaft.c = 4;
  pile.run();
  shaft.run();
  for (int t = 0; t < 6; ++t) EXPECT_EQ(shaft.H[t], pile.H[t]) << t;
  // c = 0: every element a soil column; with a body made of the same
  // material (E = 2 G rhoG (1 + nu), gamma, damping) the results agree.
  Pile body, column;
  for (Pile* p : {&body, &column}) {
    p->split(3, 6.0f);
    for (int j = 0; j < 30; ++j) {
      p->rhoG[j] = 3.0f;
      p->rhoD[j] = 0.5f;
    }
  }
  column.profile = -1;
  column.c = 0;
  const float G = 150.0f * 150.0f * 18.0f / 9.8f;
  body.E = 2.0f * G * 3.0f * 1.35f;
  body.nup = 0.35f;
  body.gp = 18.0f;
  body.Dp = 0.05f * 0.5f;
  body.run();
  column.run();
  for (int t = 0; t < 6; ++t) expect_close(column.H[t], body.H[t], 1e-5f);
}

TEST(PileHeadImpedance, TipBelowTheCompressionCutOff) {
  // A massless bar without side soil on the tip springs: the vertical head
  // term is the bar EA/L in series with the tip G_b r kv.
  Pile p;
  p.E = 2.5e9f;
  p.gp = 0.0f;
  for (int j = 0; j < 30; ++j) p.Vs[j] = 0.0f;
  p.split(1, 1.0f);
  p.omega = 40.0f;
  const float Gb = p.Vsb * p.Vsb * p.gb / p.grav;
  const float r = 0.5f, a0 = 40.0f * r / p.Vsb, aref = 0.0001f;
  cfloat kh, kv, krx, kry, kt, kh0, kv0, krx0, kry0, kt0;
  eng::FOOTING_IMPEDANCE(a0, p.nub, p.Db, r, r, r, r, kh, kv, krx, kry, kt);
  eng::FOOTING_IMPEDANCE(aref, p.nub, p.Db, r, r, r, r, kh0, kv0, krx0, kry0, kt0);
  const cfloat bar(p.E * p.A[0], 0.0f);
  auto series = [&](cfloat tip) { return 1.0f / (1.0f / bar + 1.0f / tip); };
  p.run();  // floating tips: the tip keeps its radiation damping
  expect_close(p.H[0], series(Gb * r * kv), 1e-3f, "floating");
  p.omega_p = 40.0f;  // omega equal to the cut-off sets the flag
  p.run();
  expect_close(p.H[0], series(cfloat(Gb * r * kv.real(), Gb * r * p.Db * kv0.real())), 1e-3f,
               "cut-off");
}

TEST(PileHeadImpedance, GuardedInput) {
  Pile p;
  p.split(2, 6.0f);
  // No layers: nothing to compute, all terms 0.
  p.n = 0;
  p.run();
  for (int t = 0; t < 6; ++t) EXPECT_EQ(p.H[t], cfloat(0.0f, 0.0f));
  // No soil below (Vs_b = 0): a free tip, the limit of an ever softer soil.
  p.n = 2;
  p.Vsb = 0.0f;
  p.run();
  cfloat free_tip[6];
  for (int t = 0; t < 6; ++t) {
    free_tip[t] = p.H[t];
    EXPECT_TRUE(std::isfinite(p.H[t].real()) && std::isfinite(p.H[t].imag())) << t;
  }
  p.Vsb = 1.0e-3f;
  p.run();
  for (int t = 0; t < 6; ++t) expect_close(free_tip[t], p.H[t], 1e-4f);
}

}  // namespace
