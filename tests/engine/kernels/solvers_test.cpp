// Complex linear solvers against systems with known solutions and against an
// independent dense solve in extended precision.
#include "kernels/solvers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <random>
#include <vector>

namespace eng {
namespace {

using cld = std::complex<long double>;

// Reference: Gaussian elimination with partial pivoting in long double on the
// float-stored matrix (column-major, leading dimension n).
std::vector<cld> dense_solve(const std::vector<cfloat>& a, int n, const std::vector<cfloat>& b) {
  std::vector<cld> m(a.begin(), a.end());
  std::vector<cld> x(b.begin(), b.end());
  auto el = [&](int i, int j) -> cld& { return m[j * n + i]; };
  for (int c = 0; c < n; ++c) {
    int p = c;
    for (int i = c + 1; i < n; ++i) {
      if (std::abs(el(i, c)) > std::abs(el(p, c))) p = i;
    }
    for (int j = 0; j < n; ++j) std::swap(el(p, j), el(c, j));
    std::swap(x[p], x[c]);
    for (int i = c + 1; i < n; ++i) {
      const cld f = el(i, c) / el(c, c);
      for (int j = c; j < n; ++j) el(i, j) -= f * el(c, j);
      x[i] -= f * x[c];
    }
  }
  for (int i = n - 1; i >= 0; --i) {
    cld s = x[i];
    for (int j = i + 1; j < n; ++j) s -= el(i, j) * x[j];
    x[i] = s / el(i, i);
  }
  return x;
}

// Largest |x - ref| relative to the largest |ref|.
double rel_error(const cfloat* x, const std::vector<cld>& ref) {
  double err = 0.0, big = 0.0;
  for (size_t i = 0; i < ref.size(); ++i) {
    err = std::max(err, static_cast<double>(std::abs(cld(x[i]) - ref[i])));
    big = std::max(big, static_cast<double>(std::abs(ref[i])));
  }
  return err / big;
}

std::vector<cfloat> random_matrix(int n, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  std::vector<cfloat> a(n * n);
  for (auto& z : a) z = cfloat(u(gen), u(gen));
  return a;
}

TEST(Leqt1c, OneByOne) {
  cfloat a[1] = {cfloat(2.0f, 1.0f)};
  cfloat b[1] = {cfloat(3.0f, -4.0f)};
  float wa[1] = {-1.0f};
  int ier = -1;
  LEQT1C(a, 1, 1, b, 1, 1, 0, wa, ier);
  EXPECT_EQ(ier, 0);
  EXPECT_EQ(wa[0], 1.0f);
  // (3 - 4i)/(2 + i) = 0.4 - 2.2i
  EXPECT_NEAR(b[0].real(), 0.4f, 1e-6f);
  EXPECT_NEAR(b[0].imag(), -2.2f, 1e-6f);
}

// A 4x4 complex system with integer entries and a known integer solution,
// two right-hand sides, held in arrays with leading dimensions larger than N.
TEST(Leqt1c, KnownSolutionWithLeadingDimensions) {
  const int n = 4, ia = 6, ib = 5, m = 2;
  const cfloat amat[4][4] = {{{4, 1}, {-2, 0}, {1, 3}, {0, 1}},
                             {{1, -1}, {5, 2}, {0, 0}, {2, -2}},
                             {{0, 2}, {1, 1}, {-6, 1}, {1, 0}},
                             {{3, 0}, {0, -1}, {2, 2}, {7, -3}}};
  const cfloat xsol[2][4] = {{{1, 0}, {-2, 1}, {0, 3}, {4, -1}}, {{0, 1}, {1, 1}, {-1, 0}, {2, 2}}};
  std::vector<cfloat> a(ia * n, cfloat(99, 99)), b(ib * m, cfloat(77, 77));
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j) at(a.data(), ia, i, j) = amat[i - 1][j - 1];
  for (int k = 1; k <= m; ++k)
    for (int i = 1; i <= n; ++i) {
      cfloat s = 0;
      for (int j = 1; j <= n; ++j) s += amat[i - 1][j - 1] * xsol[k - 1][j - 1];
      at(b.data(), ib, i, k) = s;
    }
  float wa[4];
  int ier = -1;
  LEQT1C(a.data(), n, ia, b.data(), m, ib, 0, wa, ier);
  ASSERT_EQ(ier, 0);
  for (int k = 1; k <= m; ++k)
    for (int i = 1; i <= n; ++i) {
      EXPECT_NEAR(at(b.data(), ib, i, k).real(), xsol[k - 1][i - 1].real(), 2e-6) << i << "," << k;
      EXPECT_NEAR(at(b.data(), ib, i, k).imag(), xsol[k - 1][i - 1].imag(), 2e-6) << i << "," << k;
    }
  // Padding rows beyond N are not touched.
  EXPECT_EQ(at(a.data(), ia, 5, 1), cfloat(99, 99));
  EXPECT_EQ(at(b.data(), ib, 5, 2), cfloat(77, 77));
  // The pivot record holds row numbers as reals.
  for (int j = 0; j < n; ++j) {
    EXPECT_EQ(wa[j], std::floor(wa[j]));
    EXPECT_GE(wa[j], j + 1.0f);
    EXPECT_LE(wa[j], 4.0f);
  }
}

TEST(Leqt1c, FactorThenSolveEqualsFactorAndSolve) {
  const int n = 7;
  const auto a0 = random_matrix(n, 11);
  std::vector<cfloat> b0(n * 3);
  std::mt19937 gen(5);
  std::uniform_real_distribution<float> u(-3, 3);
  for (auto& z : b0) z = cfloat(u(gen), u(gen));

  auto a1 = a0, b1 = b0;
  float wa1[n];
  int ier = -1;
  LEQT1C(a1.data(), n, n, b1.data(), 3, n, 0, wa1, ier);
  ASSERT_EQ(ier, 0);

  auto a2 = a0, b2 = b0;
  float wa2[n];
  LEQT1C(a2.data(), n, n, b2.data(), 3, n, 1, wa2, ier);
  ASSERT_EQ(ier, 0);
  EXPECT_EQ(b2, b0);  // factor only leaves B alone
  LEQT1C(a2.data(), n, n, b2.data(), 3, n, 2, wa2, ier);
  ASSERT_EQ(ier, 0);
  EXPECT_EQ(b1, b2);
  EXPECT_EQ(a1, a2);

  for (int k = 0; k < 3; ++k) {
    std::vector<cfloat> col(b0.begin() + k * n, b0.begin() + (k + 1) * n);
    EXPECT_LT(rel_error(&b1[k * n], dense_solve(a0, n, col)), 1e-5);
  }
}

TEST(Leqt1c, EqualScaledPivotsTakeTheUpperRow) {
  // Column 1 scaled: row 1 |1|/1 = 1, row 2 |2|/2 = 1: a tie, row 1 stays.
  {
    cfloat a[4] = {{1, 0}, {2, 0}, {1, 0}, {1, 0}};  // [[1 1], [2 1]]
    cfloat b[2] = {{3, 0}, {5, 0}};                  // x = (2, 1)
    float wa[2];
    int ier = -1;
    LEQT1C(a, 2, 2, b, 1, 2, 0, wa, ier);
    ASSERT_EQ(ier, 0);
    EXPECT_EQ(wa[0], 1.0f);
    EXPECT_NEAR(b[0].real(), 2.0f, 1e-6f);
    EXPECT_NEAR(b[1].real(), 1.0f, 1e-6f);
  }
  // Row 1 scaled 1/2 against row 2 scaled 1: row 2 is the pivot.
  {
    cfloat a[4] = {{1, 0}, {1, 0}, {2, 0}, {1, 0}};  // [[1 2], [1 1]]
    cfloat b[2] = {{4, 0}, {3, 0}};                  // x = (2, 1)
    float wa[2];
    int ier = -1;
    LEQT1C(a, 2, 2, b, 1, 2, 0, wa, ier);
    ASSERT_EQ(ier, 0);
    EXPECT_EQ(wa[0], 2.0f);
    EXPECT_NEAR(b[0].real(), 2.0f, 1e-6f);
    EXPECT_NEAR(b[1].real(), 1.0f, 1e-6f);
  }
}

// Singular matrices: a zero row (found by the scaling, before elimination) and
// a row that is an exact multiple of another (a zero pivot).
TEST(Leqt1c, SingularMatricesGive129AndLeaveBUnchanged) {
  const int n = 4;
  auto base = random_matrix(n, 3);
  std::vector<std::vector<cfloat>> cases;
  {
    auto a = base;
    for (int j = 1; j <= n; ++j) at(a.data(), n, 3, j) = 0;
    cases.push_back(a);
  }
  {
    auto a = base;
    for (int j = 1; j <= n; ++j) at(a.data(), n, 4, j) = 2.0f * at(a.data(), n, 2, j);
    cases.push_back(a);
  }
  {
    auto a = base;
    for (int i = 1; i <= n; ++i) at(a.data(), n, i, 2) = 0;  // zero column
    cases.push_back(a);
  }
  for (size_t c = 0; c < cases.size(); ++c) {
    auto a = cases[c];
    std::vector<cfloat> b(n, cfloat(1, 2));
    const auto b0 = b;
    float wa[n];
    int ier = 0;
    LEQT1C(a.data(), n, n, b.data(), 1, n, 0, wa, ier);
    EXPECT_EQ(ier, kSolverSingular) << "case " << c;
    EXPECT_EQ(b, b0) << "case " << c;

    a = cases[c];
    std::vector<cfloat> wk(n * (n + 2));
    ier = 0;
    LEQ2C(a.data(), n, n, b.data(), 1, n, 0, wk.data(), wa, ier);
    EXPECT_EQ(ier, kSolverSingular) << "case " << c;
    EXPECT_EQ(b, b0) << "case " << c;
    EXPECT_EQ(a, cases[c]);
  }
  // A zero row is found before any elimination: A is untouched.
  auto a = cases[0];
  cfloat b[n] = {};
  float wa[n];
  int ier = 0;
  LEQT1C(a.data(), n, n, b, 1, n, 0, wa, ier);
  EXPECT_EQ(ier, kSolverSingular);
  EXPECT_EQ(a, cases[0]);
}

// Complex Hilbert-like matrix (condition number near 1e6): the plain solve
// loses several digits in single precision, the refined one recovers them.
TEST(Leq2c, RefinementRecoversIllConditionedSystem) {
  const int n = 5;
  std::vector<cfloat> a(n * n);
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j)
      at(a.data(), n, i, j) = cfloat(1.0f / (i + j - 1), 0.5f / (i + j));
  std::vector<cfloat> b(n);
  for (int i = 0; i < n; ++i) b[i] = cfloat(1.0f + i, -0.5f * i);
  const auto ref = dense_solve(a, n, b);

  auto a1 = a, b1 = b;
  float wa[n];
  int ier = -1;
  LEQT1C(a1.data(), n, n, b1.data(), 1, n, 0, wa, ier);
  ASSERT_EQ(ier, 0);
  const double plain = rel_error(b1.data(), ref);

  const auto a0 = a;
  auto b2 = b;
  std::vector<cfloat> wk(n * (n + 2));
  LEQ2C(a.data(), n, n, b2.data(), 1, n, 0, wk.data(), wa, ier);
  EXPECT_TRUE(ier == 0 || ier == kSolverNoConvergence) << ier;
  EXPECT_EQ(a, a0);  // A is never changed
  const double refined = rel_error(b2.data(), ref);
  EXPECT_GT(plain, 1e-4);
  EXPECT_LT(refined, 1e-6);
}

TEST(Leq2c, ZeroRightHandSideStaysZero) {
  const int n = 3;
  auto a = random_matrix(n, 9);
  cfloat b[n] = {};
  float wa[n];
  std::vector<cfloat> wk(n * (n + 2));
  int ier = -1;
  LEQ2C(a.data(), n, n, b, 1, n, 0, wk.data(), wa, ier);
  EXPECT_EQ(ier, 0);
  for (auto z : b) EXPECT_EQ(z, cfloat(0, 0));
}

// An exactly representable solution lets the refinement settle (the residual
// becomes exactly zero): IER 0.
TEST(Leq2c, ExactSolutionSettles) {
  const int n = 3;
  std::vector<cfloat> a = {{2, 0}, {1, 0}, {0, 0}, {1, 0}, {3, 1}, {1, 0}, {0, 0}, {1, 0}, {4, 0}};
  const cfloat x[n] = {{1, 0}, {0, 2}, {-1, 1}};
  cfloat b[n];
  for (int i = 1; i <= n; ++i) {
    b[i - 1] = 0;
    for (int j = 1; j <= n; ++j) b[i - 1] += at(a.data(), n, i, j) * x[j - 1];
  }
  float wa[n];
  std::vector<cfloat> wk(n * (n + 2));
  int ier = -1;
  LEQ2C(a.data(), n, n, b, 1, n, 0, wk.data(), wa, ier);
  EXPECT_EQ(ier, 0);
  for (int i = 0; i < n; ++i) EXPECT_EQ(b[i], x[i]);
}

// Several right-hand sides (the random-load flexibility: B = identity).  The
// solution of a general system is not exactly representable, so the
// correction never vanishes in extended precision and every column ends after
// 50 passes with 130; each column must still hold its refined solution.
TEST(Leq2c, EveryRightHandSideIsSolved) {
  const int n = 6;
  const auto a = random_matrix(n, 21);
  std::vector<cfloat> b(n * n, cfloat(0, 0));
  for (int i = 1; i <= n; ++i) at(b.data(), n, i, i) = 1;
  const auto b0 = b;
  float wa[n];
  std::vector<cfloat> wk(n * (n + 2));
  int ier = -1;
  LEQ2C(a.data(), n, n, b.data(), n, n, 0, wk.data(), wa, ier);
  EXPECT_EQ(ier, kSolverNoConvergence);
  for (int k = 0; k < n; ++k) {
    std::vector<cfloat> col(b0.begin() + k * n, b0.begin() + (k + 1) * n);
    EXPECT_LT(rel_error(&b[k * n], dense_solve(a, n, col)), 1e-6) << "column " << k + 1;
  }
}

TEST(Leq2c, FactorOnceSolveLater) {
  const int n = 5;
  const auto a = random_matrix(n, 33);
  std::vector<cfloat> b(n);
  for (int i = 0; i < n; ++i) b[i] = cfloat(i - 2.0f, 1.0f);
  auto b1 = b, b2 = b;
  float wa[n];
  std::vector<cfloat> wk(n * (n + 2));
  int ier1 = -1, ier2 = -1;
  LEQ2C(a.data(), n, n, b1.data(), 1, n, 0, wk.data(), wa, ier1);
  LEQ2C(a.data(), n, n, b2.data(), 1, n, 1, wk.data(), wa, ier2);
  EXPECT_EQ(ier2, 0);
  EXPECT_EQ(b2, b);
  LEQ2C(a.data(), n, n, b2.data(), 1, n, 2, wk.data(), wa, ier2);
  EXPECT_EQ(ier1, ier2);
  EXPECT_EQ(b1, b2);
}

// ---- band solver -------------------------------------------------------

// Dense symmetric matrix from band storage (rows, leading dimension kBandLd).
std::vector<cfloat> dense_from_band(const std::vector<cfloat>& band, int n, int w) {
  std::vector<cfloat> a(n * n, cfloat(0, 0));
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= w && i + j - 1 <= n; ++j) {
      const cfloat v = at(band.data(), kBandLd, i, j);
      at(a.data(), n, i, i + j - 1) = v;
      at(a.data(), n, i + j - 1, i) = v;
    }
  return a;
}

// Diagonally dominant complex symmetric band matrices of several widths,
// against the dense reference solve of the same matrix.
// LEQ2C's refinement written out with all 50 passes, from LEQT1C: the
// routine (which stops once a pass leaves the iterate unchanged) gives the
// same bits and the same code.
TEST(Leq2c, SameBitsAsFiftyFullPasses) {
  for (unsigned seed = 1; seed <= 40; ++seed) {
    const int n = 1 + static_cast<int>(seed % 6), m = 1 + static_cast<int>(seed % 3);
    std::vector<cfloat> a = random_matrix(n, seed);
    // Some systems badly scaled or close to singular, some benign.
    if (seed % 4 == 0) a[0] *= 1e-6f;
    if (seed % 5 == 0 && n > 1) a[n] = a[0] * 1.0001f;
    const std::vector<cfloat> b0 = random_matrix(std::max(n, m), seed + 100);
    std::vector<cfloat> b(b0.begin(), b0.begin() + n * m);
    std::vector<cfloat> wk(n * (n + 2));
    std::vector<float> wa(n);
    int ier = -1;
    std::vector<cfloat> got = b;
    LEQ2C(a.data(), n, n, got.data(), m, n, 0, wk.data(), wa.data(), ier);

    // Reference.
    std::vector<cfloat> f = a, want = b;
    std::vector<float> wa2(n);
    int e = 0;
    LEQT1C(f.data(), n, n, want.data(), m, n, 1, wa2.data(), e);
    ASSERT_EQ(e, 0) << seed;
    int want_ier = 0;
    for (int col = 0; col < m; ++col) {
      cfloat* bc = &want[col * n];
      std::vector<cfloat> x(bc, bc + n), r(n);
      LEQT1C(f.data(), n, n, x.data(), 1, n, 2, wa2.data(), e);
      float xbig = 0.0f;
      for (const cfloat& z : x) xbig = std::max({xbig, std::fabs(z.real()), std::fabs(z.imag())});
      if (xbig == 0.0f) continue;
      bool settled = false;
      for (int pass = 1; pass <= 50 && !settled; ++pass) {
        for (int i = 0; i < n; ++i) {
          long double re = bc[i].real(), im = bc[i].imag();
          for (int j = 0; j < n; ++j) {
            const long double ar = a[j * n + i].real(), ai = a[j * n + i].imag();
            const long double xr = x[j].real(), xi = x[j].imag();
            re -= ar * xr - ai * xi;
            im -= ar * xi + ai * xr;
          }
          r[i] = cfloat(static_cast<float>(re), static_cast<float>(im));
        }
        LEQT1C(f.data(), n, n, r.data(), 1, n, 2, wa2.data(), e);
        float cbig = 0.0f;
        for (int i = 0; i < n; ++i) {
          x[i] += r[i];
          cbig = std::max({cbig, std::fabs(r[i].real()), std::fabs(r[i].imag())});
        }
        const long double lx = xbig;
        settled = lx + static_cast<long double>(cbig) == lx;
      }
      std::copy(x.begin(), x.end(), bc);
      if (!settled) want_ier = kSolverNoConvergence;
    }
    EXPECT_EQ(ier, want_ier) << seed;
    for (int i = 0; i < n * m; ++i) {
      EXPECT_EQ(std::memcmp(&got[i], &want[i], sizeof(cfloat)), 0) << seed << " " << i;
    }
  }
}

TEST(ComplexElimination, MatchesDenseSolve) {
  struct Case {
    int n, w, m;
  };
  const Case cases[] = {{1, 2, 1}, {2, 2, 1}, {30, 2, 1}, {60, 4, 2}, {8, 4, 2}, {6, 6, 1}, {5, 3, 3}};
  std::mt19937 gen(17);
  std::uniform_real_distribution<float> u(-1, 1);
  for (const auto& c : cases) {
    std::vector<cfloat> band(kBandLd * c.w, cfloat(0, 0)), b(kBandLd * c.m, cfloat(0, 0));
    for (int i = 1; i <= c.n; ++i) {
      at(band.data(), kBandLd, i, 1) = cfloat(2.0f * c.w + u(gen), u(gen));
      for (int j = 2; j <= c.w && i + j - 1 <= c.n; ++j)
        at(band.data(), kBandLd, i, j) = cfloat(u(gen), u(gen));
      for (int k = 1; k <= c.m; ++k) at(b.data(), kBandLd, i, k) = cfloat(u(gen), u(gen));
    }
    const auto dense = dense_from_band(band, c.n, c.w);
    const auto b0 = b;
    COMPLEX_ELIMINATION(c.m, c.n, c.w, band.data(), b.data());
    for (int k = 1; k <= c.m; ++k) {
      std::vector<cfloat> col(c.n);
      for (int i = 1; i <= c.n; ++i) col[i - 1] = at(b0.data(), kBandLd, i, k);
      const auto ref = dense_solve(dense, c.n, col);
      EXPECT_LT(rel_error(&at(b.data(), kBandLd, 1, k), ref), 1e-5)
          << "n " << c.n << " w " << c.w << " rhs " << k;
    }
    // Rows beyond N are not touched.
    if (c.n < kBandLd) {
      EXPECT_EQ(at(b.data(), kBandLd, c.n + 1, 1), cfloat(0, 0));
    }
  }
}

TEST(ComplexElimination, DiagonalOnlyDividesByTheDiagonal) {
  const int n = 4, w = 1, m = 2;
  std::vector<cfloat> band(kBandLd * w), b(kBandLd * m);
  for (int i = 1; i <= n; ++i) {
    at(band.data(), kBandLd, i, 1) = cfloat(i, 1);
    at(b.data(), kBandLd, i, 1) = cfloat(1, 0);
    at(b.data(), kBandLd, i, 2) = cfloat(0, i);
  }
  COMPLEX_ELIMINATION(m, n, w, band.data(), b.data());
  for (int i = 1; i <= n; ++i) {
    const std::complex<double> d(i, 1);
    const auto x1 = 1.0 / d, x2 = std::complex<double>(0, i) / d;
    EXPECT_NEAR(at(b.data(), kBandLd, i, 1).real(), x1.real(), 1e-7);
    EXPECT_NEAR(at(b.data(), kBandLd, i, 1).imag(), x1.imag(), 1e-7);
    EXPECT_NEAR(at(b.data(), kBandLd, i, 2).real(), x2.real(), 1e-6);
    EXPECT_NEAR(at(b.data(), kBandLd, i, 2).imag(), x2.imag(), 1e-6);
  }
}

// A symmetric tridiagonal system gives the same result as the general solver.
TEST(ComplexElimination, TridiagonalAgreesWithLeqt1c) {
  const int n = 10;
  std::vector<cfloat> band(kBandLd * 2, cfloat(0, 0)), b(kBandLd, cfloat(0, 0));
  for (int i = 1; i <= n; ++i) {
    at(band.data(), kBandLd, i, 1) = cfloat(4.0f, 0.3f * i);
    if (i < n) at(band.data(), kBandLd, i, 2) = cfloat(-1.0f, 0.1f);
    b[i - 1] = cfloat(1.0f, -0.2f * i);
  }
  auto dense = dense_from_band(band, n, 2);
  std::vector<cfloat> bd(b.begin(), b.begin() + n);
  float wa[n];
  int ier = -1;
  LEQT1C(dense.data(), n, n, bd.data(), 1, n, 0, wa, ier);
  ASSERT_EQ(ier, 0);
  COMPLEX_ELIMINATION(1, n, 2, band.data(), b.data());
  for (int i = 0; i < n; ++i) {
    EXPECT_NEAR(b[i].real(), bd[i].real(), 1e-6);
    EXPECT_NEAR(b[i].imag(), bd[i].imag(), 1e-6);
  }
}

}  // namespace
}  // namespace eng
