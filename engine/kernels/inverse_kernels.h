// The update kernels of the inversion (inverse.cpp), one set per instruction
// set: plain code (inverse_kernels_generic.cpp), AVX2
// (inverse_kernels_avx2.cpp) and AVX-512 (inverse_kernels_avx512.cpp).  Each
// set gives the same bits: every float receives the same multiplies, adds
// and subtracts in the same order (no fused multiply-add), only more of them
// at a time.  The algorithm picks one set once, by what the processor has,
// and calls it through the function pointers below (no run-time resolver
// of the loader is involved, so the kernels also run under the thread
// sanitizer).  Internal to the inversion.
#pragma once

#include "kernels/complex_types.h"

namespace eng::inverse_detail {

constexpr int kBlock = 16;               // steps per block
constexpr int kBlockedMaxOrder = 2048;   // largest order inverted in blocks

// The work area of a block of steps k0 .. k0+kb-1 (kb <= kBlock).
struct alignas(64) BlockWork {
  // Multipliers t(i) of the current step (column k before it is cleared) as
  // the interleaved pairs (tr, ti) in ta and (-ti, tr) in tb, per row.
  float ta[2 * kBlockedMaxOrder];
  float tb[2 * kBlockedMaxOrder];
  // The same for all steps of the block, in chunks of 8 floats with the
  // steps of a chunk side by side: float f of step kk at [f/8][kk][f%8].
  float tac[2 * kBlockedMaxOrder / 8][kBlock][8];
  float tbc[2 * kBlockedMaxOrder / 8][kBlock][8];
  // The same in chunks of 16 floats, for the AVX-512 kernels.
  float tac16[2 * kBlockedMaxOrder / 16][kBlock][16];
  float tbc16[2 * kBlockedMaxOrder / 16][kBlock][16];
  // Divided pivot rows r(j) of the steps, per column j.
  float rr[kBlockedMaxOrder][kBlock];
  float ri[kBlockedMaxOrder][kBlock];
  // The block's own rows: pivots and the multipliers of each step.
  cfloat pivot[kBlock];
  float pta[kBlock][2 * kBlock];
  float ptb[kBlock][2 * kBlock];
};

struct InverseKernels {
  const char* name;
  // y(f) -= a(f) cr + b(f) ci for the floats f = lo .. hi-1: with a = (tr, ti)
  // and b = (-ti, tr) interleaved, y -= t c in complex arithmetic.
  void (*update_column)(float* y, const float* a, const float* b, float cr, float ci, int lo,
                        int hi);
  // The kb steps of the block on rows lo .. hi-1 (floats; lo a multiple of
  // 8) of the m columns y[c] (column numbers j[c]): y -= t(i) r(j), in step
  // order, from the chunks and pivot rows of w.
  void (*trailing)(const BlockWork& w, float* const* y, const int* j, int m, int kb, int lo,
                   int hi);
  // The kb steps of the block k0 .. k0+kb-1 on its own rows in the m columns
  // c[q] (column numbers j[q], outside the block): row k divided by its
  // pivot (kept in w.rr, w.ri), the block's other rows updated.
  void (*block_rows)(BlockWork& w, cfloat* const* c, const int* j, int m, int k0, int kb);
  // The kBlock steps of a whole block k0 .. in its columns cols[] on the
  // rows of floats f0 .. f1-1 outside the block (f0 a multiple of 8), eight
  // floats at a time: the chunks of the multipliers filled, column k
  // cleared and every column of the block updated at each step.  Returns
  // where it stopped (the rest, under 8 floats, is left to the caller).
  int (*panel_columns)(BlockWork& w, float* const* cols, int k0, int f0, int f1);
};

extern const InverseKernels kGenericKernels;
extern const InverseKernels kAvx2Kernels;
extern const InverseKernels kAvx512Kernels;

}  // namespace eng::inverse_detail
