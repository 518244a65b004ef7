// Complex linear solvers: LEQT1C, LEQ2C, COMPLEX_ELIMINATION.
#include "kernels/solvers.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace eng {

namespace {

// Products and sums in real single-precision arithmetic:
// (a + ib)(c + id) = (ac - bd) + i(ad + bc).
inline cfloat mul(cfloat x, cfloat y) {
  return cfloat(x.real() * y.real() - x.imag() * y.imag(),
                x.real() * y.imag() + x.imag() * y.real());
}

// Modulus sqrt(re² + im²); the squares are formed in double so that entries
// beyond 1.8e19 do not overflow.
inline float modulus(cfloat z) {
  const double re = z.real();
  const double im = z.imag();
  return static_cast<float>(std::sqrt(re * re + im * im));
}

// Largest of max(|re|, |im|) over n values.
float max_part(const cfloat* x, int n) {
  float big = 0.0f;
  for (int i = 0; i < n; ++i) {
    big = std::max(big, std::max(std::fabs(x[i].real()), std::fabs(x[i].imag())));
  }
  return big;
}

}  // namespace

void LEQT1C(cfloat* A, const int& N, const int& IA, cfloat* B, const int& M, const int& IB,
            const int& IJOB, float* WA, int& IER) {
  IER = 0;
  const int n = N;
  const int ia = IA;

  if (IJOB != 2) {
    // Row scaling: reciprocal of each row's largest modulus.
    for (int i = 1; i <= n; ++i) {
      float big = 0.0f;
      for (int j = 1; j <= n; ++j) big = std::max(big, modulus(at(A, ia, i, j)));
      if (big == 0.0f) {
        IER = kSolverSingular;
        return;
      }
      WA[i - 1] = 1.0f / big;
    }

    // Crout factoring, column by column.
    for (int j = 1; j <= n; ++j) {
      for (int i = 1; i < j; ++i) {
        cfloat s = at(A, ia, i, j);
        for (int k = 1; k < i; ++k) s -= mul(at(A, ia, i, k), at(A, ia, k, j));
        at(A, ia, i, j) = s;
      }
      float big = 0.0f;
      int p = j;
      for (int i = j; i <= n; ++i) {
        cfloat s = at(A, ia, i, j);
        for (int k = 1; k < j; ++k) s -= mul(at(A, ia, i, k), at(A, ia, k, j));
        at(A, ia, i, j) = s;
        const float t = modulus(s) * WA[i - 1];
        if (big < t) {
          big = t;
          p = i;
        }
      }
      // The pivot fails only when its scaled size vanishes beside N; the sum
      // is kept in extended precision.
      const long double ln = static_cast<long double>(n);
      if (static_cast<long double>(big) + ln == ln) {
        IER = kSolverSingular;
        return;
      }
      if (p != j) {
        for (int k = 1; k <= n; ++k) std::swap(at(A, ia, p, k), at(A, ia, j, k));
        WA[p - 1] = WA[j - 1];
      }
      WA[j - 1] = static_cast<float>(p);
      const cfloat d = at(A, ia, j, j);
      for (int i = j + 1; i <= n; ++i) at(A, ia, i, j) = at(A, ia, i, j) / d;
    }
    if (IJOB == 1) return;
  }

  // Forward and back substitution, one right-hand side at a time.
  for (int col = 1; col <= M; ++col) {
    cfloat* b = &at(B, IB, 1, col);
    int first = 0;
    for (int i = 1; i <= n; ++i) {
      const int p = static_cast<int>(WA[i - 1]);
      cfloat s = b[p - 1];
      b[p - 1] = b[i - 1];
      if (first != 0) {
        for (int j = first; j < i; ++j) s -= mul(at(A, ia, i, j), b[j - 1]);
      } else if (s.real() != 0.0f || s.imag() != 0.0f) {
        first = i;
      }
      b[i - 1] = s;
    }
    for (int i = n; i >= 1; --i) {
      cfloat s = b[i - 1];
      for (int j = i + 1; j <= n; ++j) s -= mul(at(A, ia, i, j), b[j - 1]);
      b[i - 1] = s / at(A, ia, i, i);
    }
  }
}

void LEQ2C(const cfloat* A, const int& N, const int& IA, cfloat* B, const int& M, const int& IB,
           const int& IJOB, cfloat* WK, float* WA, int& IER) {
  constexpr int kMaxPasses = 50;
  IER = 0;
  const int n = N;
  const int one = 1;
  const int solve_only = 2;

  if (IJOB != 2) {
    for (int j = 1; j <= n; ++j) {
      for (int i = 1; i <= n; ++i) at(WK, n, i, j) = at(A, IA, i, j);
    }
    const int factor_only = 1;
    LEQT1C(WK, n, n, B, M, IB, factor_only, WA, IER);
    if (IER != 0) {
      IER = kSolverSingular;
      return;
    }
    if (IJOB == 1) return;
  }

  cfloat* x = &at(WK, n, 1, n + 1);
  cfloat* r = &at(WK, n, 1, n + 2);
  int result = 0;
  for (int col = 1; col <= M; ++col) {
    cfloat* b = &at(B, IB, 1, col);
    std::copy(b, b + n, x);
    int ier = 0;
    LEQT1C(WK, n, n, x, one, n, solve_only, WA, ier);
    const float xbig = max_part(x, n);
    if (xbig == 0.0f) continue;

    bool settled = false;
    for (int pass = 1; pass <= kMaxPasses && !settled; ++pass) {
      // Residual b - A·x, accumulated in extended precision.
      for (int i = 1; i <= n; ++i) {
        long double re = b[i - 1].real();
        long double im = b[i - 1].imag();
        for (int j = 1; j <= n; ++j) {
          const cfloat a = at(A, IA, i, j);
          const long double ar = a.real(), ai = a.imag();
          const long double xr = x[j - 1].real(), xi = x[j - 1].imag();
          re -= ar * xr - ai * xi;
          im -= ar * xi + ai * xr;
        }
        r[i - 1] = cfloat(static_cast<float>(re), static_cast<float>(im));
      }
      LEQT1C(WK, n, n, r, one, n, solve_only, WA, ier);
      bool moved = false;
      for (int i = 0; i < n; ++i) {
        const cfloat next = x[i] + r[i];
        moved = moved || std::memcmp(&next, &x[i], sizeof next) != 0;
        x[i] = next;
      }
      const float cbig = max_part(r, n);
      const long double lx = xbig;
      settled = (lx + static_cast<long double>(cbig) == lx);
      // A pass is a function of x alone: when it left x as it was, every
      // further pass would repeat it bit for bit, so the outcome is known.
      if (!moved) break;
    }
    std::copy(x, x + n, b);
    // A right-hand side that did not settle keeps its last iterate, which is
    // the refined solution to working precision; the remaining right-hand
    // sides are still solved, and the code tells the caller afterwards.
    if (!settled) result = kSolverNoConvergence;
  }
  IER = result;
}

void COMPLEX_ELIMINATION(const int& M, const int& N, const int& W, cfloat* A, cfloat* B) {
  const int n = N;
  const int w = W;
  const int m = M;
  constexpr int ld = kBandLd;

  for (int i = 1; i <= n - 1; ++i) {
    const cfloat d = at(A, ld, i, 1);
    const int last = std::min(i + w - 1, n);
    for (int k = 1; k <= m; ++k) at(B, ld, i, k) = at(B, ld, i, k) / d;
    for (int j = 2; j <= last - i + 1; ++j) at(A, ld, i, j) = at(A, ld, i, j) / d;
    for (int l = i + 1; l <= last; ++l) {
      const int s = l - i;
      const cfloat ail = at(A, ld, i, s + 1);  // A(i, l) divided by d
      for (int j = 1; j <= last - l + 1; ++j) {
        at(A, ld, l, j) -= mul(mul(ail, at(A, ld, i, s + j)), d);
      }
      const cfloat f = mul(ail, d);  // the original entry A(i, l)
      for (int k = 1; k <= m; ++k) at(B, ld, l, k) -= mul(f, at(B, ld, i, k));
    }
  }
  if (n >= 1) {
    for (int k = 1; k <= m; ++k) at(B, ld, n, k) = at(B, ld, n, k) / at(A, ld, n, 1);
  }
  for (int i = n - 1; i >= 1; --i) {
    const int reach = std::min(n - i, w - 1);
    for (int k = 1; k <= m; ++k) {
      cfloat s(0.0f, 0.0f);
      for (int j = 1; j <= reach; ++j) s += mul(at(A, ld, i, j + 1), at(B, ld, i + j, k));
      at(B, ld, i, k) -= s;
    }
  }
}

}  // namespace eng
