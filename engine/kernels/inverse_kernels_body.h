// Bodies of the inversion's update kernels in GCC vector code of 8 floats
// (two SSE registers in plain code, one AVX register with AVX2).  Included
// only by the kernel files, which build them for their instruction set:
// each body is forced in line into a function of that set.  The operations
// are written out in full (no fused multiply-add: the engine is built with
// -ffp-contract=off).
#pragma once

#include <cstring>

#include "kernels/inverse.h"
#include "kernels/inverse_kernels.h"

#define TREMEX_INLINE inline __attribute__((always_inline))

namespace eng::inverse_detail {
namespace body {

typedef float Float8 __attribute__((vector_size(32)));
typedef float Float4 __attribute__((vector_size(16)));
typedef float Float2 __attribute__((vector_size(8)));
typedef double Double4 __attribute__((vector_size(32)));

// All eight lanes x (an expression without side effects).
#define TREMEX_SPLAT(x) (Float8{x, x, x, x, x, x, x, x})

TREMEX_INLINE void update_column(float* __restrict y, const float* __restrict a,
                                 const float* __restrict b, float cr, float ci, int lo, int hi) {
  const Float8 vr = TREMEX_SPLAT(cr);
  const Float8 vi = TREMEX_SPLAT(ci);
  int f = lo;
  for (; f + 16 <= hi; f += 16) {
    Float8 y0, y1, a0, a1, b0, b1;
    std::memcpy(&y0, y + f, 32);
    std::memcpy(&y1, y + f + 8, 32);
    std::memcpy(&a0, a + f, 32);
    std::memcpy(&a1, a + f + 8, 32);
    std::memcpy(&b0, b + f, 32);
    std::memcpy(&b1, b + f + 8, 32);
    y0 -= a0 * vr + b0 * vi;
    y1 -= a1 * vr + b1 * vi;
    std::memcpy(y + f, &y0, 32);
    std::memcpy(y + f + 8, &y1, 32);
  }
  for (; f + 8 <= hi; f += 8) {
    Float8 y0, a0, b0;
    std::memcpy(&y0, y + f, 32);
    std::memcpy(&a0, a + f, 32);
    std::memcpy(&b0, b + f, 32);
    y0 -= a0 * vr + b0 * vi;
    std::memcpy(y + f, &y0, 32);
  }
  // The last complex rows four and two floats at a time (a range of whole
  // rows has an even length).
  if (f + 4 <= hi) {
    Float4 y0, a0, b0;
    const Float4 wr = {cr, cr, cr, cr}, wi = {ci, ci, ci, ci};
    std::memcpy(&y0, y + f, 16);
    std::memcpy(&a0, a + f, 16);
    std::memcpy(&b0, b + f, 16);
    y0 -= a0 * wr + b0 * wi;
    std::memcpy(y + f, &y0, 16);
    f += 4;
  }
  if (f + 2 <= hi) {
    Float2 y0, a0, b0;
    const Float2 wr = {cr, cr}, wi = {ci, ci};
    std::memcpy(&y0, y + f, 8);
    std::memcpy(&a0, a + f, 8);
    std::memcpy(&b0, b + f, 8);
    y0 -= a0 * wr + b0 * wi;
    std::memcpy(y + f, &y0, 8);
    f += 2;
  }
  for (; f < hi; ++f) y[f] -= a[f] * cr + b[f] * ci;
}

TREMEX_INLINE float chunk_a(const BlockWork& w, int k, int f) { return w.tac[f >> 3][k][f & 7]; }
TREMEX_INLINE float chunk_b(const BlockWork& w, int k, int f) { return w.tbc[f >> 3][k][f & 7]; }

// The kb updates of rows f = lo .. hi-1 of the two columns y0, y1 (columns
// j0, j1) or, with y1 null, of y0 alone.
TREMEX_INLINE void trailing2(const BlockWork& w, float* __restrict y0, float* __restrict y1, int j0,
                             int j1, int kb, int lo, int hi) {
  int f = lo;
  if (y1 != nullptr) {
    for (; f + 16 <= hi; f += 16) {
      Float8 u0, u1, w0, w1;
      std::memcpy(&u0, y0 + f, 32);
      std::memcpy(&w0, y0 + f + 8, 32);
      std::memcpy(&u1, y1 + f, 32);
      std::memcpy(&w1, y1 + f + 8, 32);
      const float(*ac)[8] = w.tac[f >> 3];
      const float(*bc)[8] = w.tbc[f >> 3];
      const float(*ac2)[8] = w.tac[(f >> 3) + 1];
      const float(*bc2)[8] = w.tbc[(f >> 3) + 1];
      for (int k = 0; k < kb; ++k) {
        Float8 a, b, a2, b2;
        std::memcpy(&a, ac[k], 32);
        std::memcpy(&b, bc[k], 32);
        std::memcpy(&a2, ac2[k], 32);
        std::memcpy(&b2, bc2[k], 32);
        const Float8 vr0 = TREMEX_SPLAT(w.rr[j0][k]), vi0 = TREMEX_SPLAT(w.ri[j0][k]);
        const Float8 vr1 = TREMEX_SPLAT(w.rr[j1][k]), vi1 = TREMEX_SPLAT(w.ri[j1][k]);
        u0 -= a * vr0 + b * vi0;
        w0 -= a2 * vr0 + b2 * vi0;
        u1 -= a * vr1 + b * vi1;
        w1 -= a2 * vr1 + b2 * vi1;
      }
      std::memcpy(y0 + f, &u0, 32);
      std::memcpy(y0 + f + 8, &w0, 32);
      std::memcpy(y1 + f, &u1, 32);
      std::memcpy(y1 + f + 8, &w1, 32);
    }
    for (; f + 8 <= hi; f += 8) {
      Float8 u0, u1;
      std::memcpy(&u0, y0 + f, 32);
      std::memcpy(&u1, y1 + f, 32);
      const float(*ac)[8] = w.tac[f >> 3];
      const float(*bc)[8] = w.tbc[f >> 3];
      for (int k = 0; k < kb; ++k) {
        Float8 a, b;
        std::memcpy(&a, ac[k], 32);
        std::memcpy(&b, bc[k], 32);
        const Float8 vr0 = TREMEX_SPLAT(w.rr[j0][k]), vi0 = TREMEX_SPLAT(w.ri[j0][k]);
        const Float8 vr1 = TREMEX_SPLAT(w.rr[j1][k]), vi1 = TREMEX_SPLAT(w.ri[j1][k]);
        u0 -= a * vr0 + b * vi0;
        u1 -= a * vr1 + b * vi1;
      }
      std::memcpy(y0 + f, &u0, 32);
      std::memcpy(y1 + f, &u1, 32);
    }
    for (; f < hi; ++f) {
      for (int k = 0; k < kb; ++k) {
        y0[f] -= chunk_a(w, k, f) * w.rr[j0][k] + chunk_b(w, k, f) * w.ri[j0][k];
        y1[f] -= chunk_a(w, k, f) * w.rr[j1][k] + chunk_b(w, k, f) * w.ri[j1][k];
      }
    }
    return;
  }
  for (; f + 8 <= hi; f += 8) {
    Float8 u;
    std::memcpy(&u, y0 + f, 32);
    const float(*ac)[8] = w.tac[f >> 3];
    const float(*bc)[8] = w.tbc[f >> 3];
    for (int k = 0; k < kb; ++k) {
      Float8 a, b;
      std::memcpy(&a, ac[k], 32);
      std::memcpy(&b, bc[k], 32);
      u -= a * TREMEX_SPLAT(w.rr[j0][k]) + b * TREMEX_SPLAT(w.ri[j0][k]);
    }
    std::memcpy(y0 + f, &u, 32);
  }
  for (; f < hi; ++f) {
    for (int k = 0; k < kb; ++k) {
      y0[f] -= chunk_a(w, k, f) * w.rr[j0][k] + chunk_b(w, k, f) * w.ri[j0][k];
    }
  }
}

// The kb updates of rows f = lo .. hi-1 of the four columns y0 .. y3
// (columns j[0..3]), the multipliers of each step loaded once for the four;
// rows left over from the 16-float tiles go to trailing2.
TREMEX_INLINE void trailing4(const BlockWork& w, float* __restrict y0, float* __restrict y1,
                             float* __restrict y2, float* __restrict y3, const int* j, int kb,
                             int lo, int hi) {
  const float* rr0 = w.rr[j[0]];
  const float* ri0 = w.ri[j[0]];
  const float* rr1 = w.rr[j[1]];
  const float* ri1 = w.ri[j[1]];
  const float* rr2 = w.rr[j[2]];
  const float* ri2 = w.ri[j[2]];
  const float* rr3 = w.rr[j[3]];
  const float* ri3 = w.ri[j[3]];
  int f = lo;
  for (; f + 16 <= hi; f += 16) {
    Float8 u0, u1, u2, u3, w0, w1, w2, w3;
    std::memcpy(&u0, y0 + f, 32);
    std::memcpy(&w0, y0 + f + 8, 32);
    std::memcpy(&u1, y1 + f, 32);
    std::memcpy(&w1, y1 + f + 8, 32);
    std::memcpy(&u2, y2 + f, 32);
    std::memcpy(&w2, y2 + f + 8, 32);
    std::memcpy(&u3, y3 + f, 32);
    std::memcpy(&w3, y3 + f + 8, 32);
    const float(*ac)[8] = w.tac[f >> 3];
    const float(*bc)[8] = w.tbc[f >> 3];
    const float(*ac2)[8] = w.tac[(f >> 3) + 1];
    const float(*bc2)[8] = w.tbc[(f >> 3) + 1];
    for (int k = 0; k < kb; ++k) {
      Float8 a, b, a2, b2;
      std::memcpy(&a, ac[k], 32);
      std::memcpy(&b, bc[k], 32);
      std::memcpy(&a2, ac2[k], 32);
      std::memcpy(&b2, bc2[k], 32);
      {
        const Float8 vr = TREMEX_SPLAT(rr0[k]), vi = TREMEX_SPLAT(ri0[k]);
        u0 -= a * vr + b * vi;
        w0 -= a2 * vr + b2 * vi;
      }
      {
        const Float8 vr = TREMEX_SPLAT(rr1[k]), vi = TREMEX_SPLAT(ri1[k]);
        u1 -= a * vr + b * vi;
        w1 -= a2 * vr + b2 * vi;
      }
      {
        const Float8 vr = TREMEX_SPLAT(rr2[k]), vi = TREMEX_SPLAT(ri2[k]);
        u2 -= a * vr + b * vi;
        w2 -= a2 * vr + b2 * vi;
      }
      {
        const Float8 vr = TREMEX_SPLAT(rr3[k]), vi = TREMEX_SPLAT(ri3[k]);
        u3 -= a * vr + b * vi;
        w3 -= a2 * vr + b2 * vi;
      }
    }
    std::memcpy(y0 + f, &u0, 32);
    std::memcpy(y0 + f + 8, &w0, 32);
    std::memcpy(y1 + f, &u1, 32);
    std::memcpy(y1 + f + 8, &w1, 32);
    std::memcpy(y2 + f, &u2, 32);
    std::memcpy(y2 + f + 8, &w2, 32);
    std::memcpy(y3 + f, &u3, 32);
    std::memcpy(y3 + f + 8, &w3, 32);
  }
  if (f < hi) {
    trailing2(w, y0, y1, j[0], j[1], kb, f, hi);
    trailing2(w, y2, y3, j[2], j[3], kb, f, hi);
  }
}

// Part 2 of a whole block (kBlock steps k0 ..) on the rows of floats
// f0 .. f1-1 outside the block (f0 a multiple of 8), eight floats of the
// kBlock columns cols[] at a time, kept in registers over the steps: at step
// kk the multipliers are the floats of column k0+kk, kept in the chunks of w
// as (tr, ti) and (-ti, tr); that column is cleared there, and every column
// of the block receives y -= t r(j).  The same operations in the same order
// as step by step.  Returns where the whole tiles end.
TREMEX_INLINE int panel_columns(BlockWork& w, float* const* cols, int k0, int f0, int f1) {
  typedef int Int8 __attribute__((vector_size(32)));
  const int sign = static_cast<int>(0x80000000u);
  const Int8 neg_even = {sign, 0, sign, 0, sign, 0, sign, 0};  // -ti in the even floats
  int f = f0;
  for (; f + 8 <= f1; f += 8) {
    Float8 y[kBlock];
    for (int j = 0; j < kBlock; ++j) std::memcpy(&y[j], cols[j] + f, 32);
    for (int kk = 0; kk < kBlock; ++kk) {
      const Float8 a = y[kk];
      const Float8 swapped = __builtin_shufflevector(a, a, 1, 0, 3, 2, 5, 4, 7, 6);
      const Float8 b = (Float8)((Int8)swapped ^ neg_even);  // the bits, as -ti does
      std::memcpy(w.tac[f >> 3][kk], &a, 32);
      std::memcpy(w.tbc[f >> 3][kk], &b, 32);
      std::memcpy(&w.tac16[f >> 4][kk][f & 15], &a, 32);
      std::memcpy(&w.tbc16[f >> 4][kk][f & 15], &b, 32);
      y[kk] = Float8{0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
      for (int j = 0; j < kBlock; ++j) {
        y[j] -= a * TREMEX_SPLAT(w.rr[k0 + j][kk]) + b * TREMEX_SPLAT(w.ri[k0 + j][kk]);
      }
    }
    for (int j = 0; j < kBlock; ++j) std::memcpy(cols[j] + f, &y[j], 32);
  }
  return f;
}

// x(l) / p for the four values x(l), with the operations of complex_divide
// on each (the double parts side by side; the rare case of both parts NaN
// goes to complex_divide itself).
TREMEX_INLINE void divide4(cfloat* x0, cfloat* x1, cfloat* x2, cfloat* x3, const cfloat& p) {
  const double c = p.real(), d = p.imag();
  const double denom = c * c + d * d;
  const Double4 a = {x0->real(), x1->real(), x2->real(), x3->real()};
  const Double4 b = {x0->imag(), x1->imag(), x2->imag(), x3->imag()};
  const Double4 vc = {c, c, c, c}, vd = {d, d, d, d}, vden = {denom, denom, denom, denom};
  const Float4 re = __builtin_convertvector((a * vc + b * vd) / vden, Float4);
  const Float4 im = __builtin_convertvector((b * vc - a * vd) / vden, Float4);
  cfloat* const x[4] = {x0, x1, x2, x3};
  for (int l = 0; l < 4; ++l) {
    *x[l] = re[l] == re[l] || im[l] == im[l] ? cfloat(re[l], im[l]) : complex_divide(*x[l], p);
  }
}

// The block's own rows k0 .. k0+kb-1 in the m columns c[q], step by step
// across the columns: the divisions of four columns at a time, and no
// column waits for another.  Each column receives its operations in step
// order.
TREMEX_INLINE void block_rows(BlockWork& w, cfloat* const* c, const int* j, int m, int k0, int kb) {
  for (int kk = 0; kk < kb; ++kk) {
    const int k = k0 + kk;
    const cfloat p = w.pivot[kk];
    const float* pa = w.pta[kk];
    const float* pb = w.ptb[kk];
    int q = 0;
    for (; q + 4 <= m; q += 4) divide4(c[q] + k, c[q + 1] + k, c[q + 2] + k, c[q + 3] + k, p);
    for (; q < m; ++q) c[q][k] = complex_divide(c[q][k], p);
    for (q = 0; q < m; ++q) {
      float* col = reinterpret_cast<float*>(c[q]) + 2 * k0;
      const float cr = c[q][k].real(), ci = c[q][k].imag();
      w.rr[j[q]][kk] = cr;
      w.ri[j[q]][kk] = ci;
      update_column(col, pa, pb, cr, ci, 0, 2 * kk);
      update_column(col, pa, pb, cr, ci, 2 * kk + 2, 2 * kb);
    }
  }
}

}  // namespace body
}  // namespace eng::inverse_detail
