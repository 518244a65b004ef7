// The inversion's update kernels built for AVX2 (the vector code of
// inverse_kernels_body.h in 256-bit registers).  Only these functions carry
// the instruction set; the inversion calls them where the processor has it.
#include "kernels/inverse_kernels_body.h"

#define TREMEX_AVX2 __attribute__((target("avx2")))

namespace eng::inverse_detail {
namespace {

TREMEX_AVX2 void update_column(float* y, const float* a, const float* b, float cr, float ci, int lo,
                               int hi) {
  body::update_column(y, a, b, cr, ci, lo, hi);
}

TREMEX_AVX2 void trailing(const BlockWork& w, float* const* y, const int* j, int m, int kb, int lo,
                          int hi) {
  int c = 0;
  for (; c + 4 <= m; c += 4) body::trailing4(w, y[c], y[c + 1], y[c + 2], y[c + 3], j + c, kb, lo, hi);
  for (; c + 2 <= m; c += 2) body::trailing2(w, y[c], y[c + 1], j[c], j[c + 1], kb, lo, hi);
  if (c < m) body::trailing2(w, y[c], nullptr, j[c], j[c], kb, lo, hi);
}

TREMEX_AVX2 void block_rows(BlockWork& w, cfloat* const* c, const int* j, int m, int k0, int kb) {
  body::block_rows(w, c, j, m, k0, kb);
}

TREMEX_AVX2 int panel_columns(BlockWork& w, float* const* cols, int k0, int f0, int f1) {
  return body::panel_columns(w, cols, k0, f0, f1);
}

}  // namespace

const InverseKernels kAvx2Kernels{"avx2", update_column, trailing, block_rows, panel_columns};

}  // namespace eng::inverse_detail
