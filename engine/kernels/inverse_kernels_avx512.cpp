// The inversion's update kernels built for AVX-512 (F and DQ): the four-
// column update of the trailing part in 512-bit registers, the rest as the
// AVX2 kernels (the vector code of inverse_kernels_body.h).  Only these
// functions carry the instruction set; the inversion calls them where the
// processor has it.
#include <immintrin.h>

#include "kernels/inverse_kernels_body.h"

#define TREMEX_AVX512 __attribute__((target("avx2,avx512f,avx512dq")))

namespace eng::inverse_detail {
namespace {

TREMEX_AVX512 void update_column(float* y, const float* a, const float* b, float cr, float ci, int lo,
                                 int hi) {
  body::update_column(y, a, b, cr, ci, lo, hi);
}

// y -= a cr + b ci on 16 floats: multiply, multiply, add, subtract, as
// separate instructions (no fused multiply-add).
TREMEX_AVX512 inline __m512 step16(__m512 y, __m512 a, __m512 b, float cr, float ci) {
  return _mm512_sub_ps(y, _mm512_add_ps(_mm512_mul_ps(a, _mm512_set1_ps(cr)), _mm512_mul_ps(b, _mm512_set1_ps(ci))));
}

// Two 8-float halves in one register.
TREMEX_AVX512 inline __m512 halves(const float* lo8, const float* hi8) {
  return _mm512_insertf32x8(_mm512_castps256_ps512(_mm256_loadu_ps(lo8)), _mm256_loadu_ps(hi8), 1);
}

// body::trailing4 with 16-float vectors: each register holds rows f .. f+15
// of a column, the two 8-float halves trailing4 keeps apart, and every float
// receives the same operations in the same order.
TREMEX_AVX512 void trailing4(const BlockWork& w, float* __restrict y0, float* __restrict y1,
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
  // Rows starting on a 16-float chunk (the usual case) read the multipliers
  // as whole 16-float chunks.
  for (; f + 16 <= hi && (f & 15) == 0; f += 16) {
    __m512 u0 = _mm512_loadu_ps(y0 + f);
    __m512 u1 = _mm512_loadu_ps(y1 + f);
    __m512 u2 = _mm512_loadu_ps(y2 + f);
    __m512 u3 = _mm512_loadu_ps(y3 + f);
    const float(*ac)[16] = w.tac16[f >> 4];
    const float(*bc)[16] = w.tbc16[f >> 4];
    for (int k = 0; k < kb; ++k) {
      const __m512 a = _mm512_loadu_ps(ac[k]);
      const __m512 b = _mm512_loadu_ps(bc[k]);
      u0 = step16(u0, a, b, rr0[k], ri0[k]);
      u1 = step16(u1, a, b, rr1[k], ri1[k]);
      u2 = step16(u2, a, b, rr2[k], ri2[k]);
      u3 = step16(u3, a, b, rr3[k], ri3[k]);
    }
    _mm512_storeu_ps(y0 + f, u0);
    _mm512_storeu_ps(y1 + f, u1);
    _mm512_storeu_ps(y2 + f, u2);
    _mm512_storeu_ps(y3 + f, u3);
  }
  for (; f + 16 <= hi; f += 16) {
    __m512 u0 = _mm512_loadu_ps(y0 + f);
    __m512 u1 = _mm512_loadu_ps(y1 + f);
    __m512 u2 = _mm512_loadu_ps(y2 + f);
    __m512 u3 = _mm512_loadu_ps(y3 + f);
    const float(*ac)[8] = w.tac[f >> 3];
    const float(*bc)[8] = w.tbc[f >> 3];
    const float(*ac2)[8] = w.tac[(f >> 3) + 1];
    const float(*bc2)[8] = w.tbc[(f >> 3) + 1];
    for (int k = 0; k < kb; ++k) {
      const __m512 a = halves(ac[k], ac2[k]);
      const __m512 b = halves(bc[k], bc2[k]);
      u0 = step16(u0, a, b, rr0[k], ri0[k]);
      u1 = step16(u1, a, b, rr1[k], ri1[k]);
      u2 = step16(u2, a, b, rr2[k], ri2[k]);
      u3 = step16(u3, a, b, rr3[k], ri3[k]);
    }
    _mm512_storeu_ps(y0 + f, u0);
    _mm512_storeu_ps(y1 + f, u1);
    _mm512_storeu_ps(y2 + f, u2);
    _mm512_storeu_ps(y3 + f, u3);
  }
  if (f < hi) {
    body::trailing2(w, y0, y1, j[0], j[1], kb, f, hi);
    body::trailing2(w, y2, y3, j[2], j[3], kb, f, hi);
  }
}

TREMEX_AVX512 void trailing(const BlockWork& w, float* const* y, const int* j, int m, int kb, int lo,
                            int hi) {
  int c = 0;
  for (; c + 4 <= m; c += 4) trailing4(w, y[c], y[c + 1], y[c + 2], y[c + 3], j + c, kb, lo, hi);
  for (; c + 2 <= m; c += 2) body::trailing2(w, y[c], y[c + 1], j[c], j[c + 1], kb, lo, hi);
  if (c < m) body::trailing2(w, y[c], nullptr, j[c], j[c], kb, lo, hi);
}

TREMEX_AVX512 void block_rows(BlockWork& w, cfloat* const* c, const int* j, int m, int k0, int kb) {
  body::block_rows(w, c, j, m, k0, kb);
}

TREMEX_AVX512 int panel_columns(BlockWork& w, float* const* cols, int k0, int f0, int f1) {
  return body::panel_columns(w, cols, k0, f0, f1);
}

}  // namespace

const InverseKernels kAvx512Kernels{"avx512", update_column, trailing, block_rows, panel_columns};

}  // namespace eng::inverse_detail
