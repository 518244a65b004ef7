// Pile-group kernels: static and frequency-dependent interaction factors of a
// pile pair, and the in-place inversion of the group flexibility matrices.
//
// All reals are 32-bit, complex values std::complex<float>; matrices are
// column-major with an explicit leading dimension (complex_types.h).  The
// routines read no run state and allocate nothing, except the helper threads
// of the inversion, created once at the first large inversion and joined when
// the program ends or the library is unloaded.
#pragma once

#include "kernels/complex_types.h"

namespace eng {

// x / p, exactly as the compiler's run-time routine for complex float
// division (__divsc3) forms it, without the call: the parts in double,
// ((xr pr + xi pi) / (pr^2 + pi^2), (xi pr - xr pi) / (pr^2 + pi^2)) rounded
// to float; only when both parts come out NaN (infinite or zero operands) is
// the run-time routine itself asked for its recovered value.
inline cfloat complex_divide(const cfloat& x, const cfloat& p) {
  const double a = x.real(), b = x.imag(), c = p.real(), d = p.imag();
  const double denom = c * c + d * d;
  const float re = static_cast<float>((a * c + b * d) / denom);
  const float im = static_cast<float>((b * c - a * d) / denom);
  if (re == re || im == im) return cfloat(re, im);
  return x / p;
}

// Static vertical interaction factor of two piles from curve fits.
//   s      spacing over diameter (s <= 0 gives 1.0)
//   LD     slenderness L/d
//   K      pile-soil stiffness ratio Ep*A / (E_soil*pi*d^2/4)
//   EbEs   modulus of the soil below the tips over the mean soil modulus
//   nu     mean Poisson's ratio of the soil
//   taper  radius of the last element over that of the first
void STATIC_INTERACTION_FACTORS(float& alpha, const float& s, const float& LD, const float& K,
                                const float& EbEs, const float& nu, const float& taper);

// The three static lateral interaction factors of a pair (horizontal,
// coupling, rotation) for loading at `angle` (radians) to the pair line.
//   s   spacing over diameter (s == 0 gives 1.0, 1.0, 1.0)
//   K   flexural stiffness ratio Ep*I / (E_soil*pi*d^4/64)
//   hd  free length over diameter (0 without a free length)
void LATERAL_INTERACTION_FACTORS(const float& s, const float& K, const float& angle,
                                 const float& hd, float& a1, float& a2, float& a3);

// Piecewise linear through (2, y1), (5, y2), (10, y3); the end segments
// extend beyond 2 and 10.
void INTERPOLATE_3POINT(const float& y1, const float& y2, const float& y3, const float& x,
                        float& y);

// Vertical interaction factor at the dimensionless frequency a0 = omega*d/Vs
// from its static value.
void VERTICAL_FACTOR_AT_FREQUENCY(const float& a0, const float& s, const float& alpha_static,
                                  cfloat& alpha);

// Lateral interaction factors at a0: A1..A3 are the static factors for
// loading along the pair line, B1..B3 across it; `angle` is the angle of the
// loading direction to the pair line (radians).
void LATERAL_FACTOR_AT_FREQUENCY(const float& a0, const float& s, const float& angle,
                                 const float& A1, const float& A2, const float& A3,
                                 const float& B1, const float& B2, const float& B3,
                                 cfloat& horizontal, cfloat& coupling, cfloat& rotation);

// The frequency-dependent factors of many pairs at one frequency, in parts:
// what depends on a0 alone once per frequency (PAIR_FACTOR_FREQUENCY), the
// six lateral terms of a pair once for both loading planes
// (LATERAL_PAIR_TERMS), and each plane's factors from them
// (LATERAL_PLANE_FACTORS).  The single-call routines above are these parts
// called in a row.

// Anchors, decay and phase offset of one frequency-dependent lateral factor.
struct LateralAnchors {
  float y1, y2, y3;  // amplitude at s = 2, 5, 10
  float p1, p2, p3;  // phase at s = 2, 5, 10
  float d;           // decay rate
  float c0;          // phase offset
  float g;           // phase growth beyond a0 = 1
};

struct PairFactorFrequency {
  float a0, a;             // a0 and min(a0, 1)
  LateralAnchors anchors[6];  // horizontal 0 and 90 degrees, coupling 0, 90, rotation 0, 90
  float va;                // the vertical factor's min(a0, 1)
  float e1, e2, e3;        // its amplitude anchors at s = 2, 5, 10
  float p1, p2, p3;        // its phase anchors
};

void PAIR_FACTOR_FREQUENCY(const float& a0, PairFactorFrequency& f);

// VERTICAL_FACTOR_AT_FREQUENCY(f.a0, s, alpha_static, alpha).
void VERTICAL_PAIR_FACTOR(const PairFactorFrequency& f, const float& s, const float& alpha_static,
                          cfloat& alpha);

// The six terms static * W * exp(-i Phi) of a pair: horizontal along and
// across the pair line (A1, B1), coupling (A2, B2), rotation (A3, B3).
void LATERAL_PAIR_TERMS(const PairFactorFrequency& f, const float& s, const float& A1,
                        const float& A2, const float& A3, const float& B1, const float& B2,
                        const float& B3, cfloat terms[6]);

// The factors of LATERAL_FACTOR_AT_FREQUENCY for loading at `angle` to the
// pair line, from the pair's six terms.
void LATERAL_PLANE_FACTORS(const cfloat terms[6], const float& angle, cfloat& horizontal,
                           cfloat& coupling, cfloat& rotation);

// In-place Gauss-Jordan inversion of the n x n matrix A (leading dimension
// lda) without pivoting.  A zero pivot is not tested: it gives infinities or
// NaN under the engine's masked floating-point exceptions.
// Orders up to 2048 are inverted in blocks of 16 steps, larger ones step by
// step; both give every element the operations of the plain algorithm in
// the same order, so the result does not depend on the way.  Orders from
// 500 to 2048 are shared by inversion_team_size(n, inversion_thread_count())
// threads, with the same result for every count.  Not reentrant: one
// inversion at a time.
void INVERT_COMPLEX_MATRIX(cfloat* A, const int& lda, const int& n);

// Threads INVERT_COMPLEX_MATRIX gives an inversion of order n when `threads`
// may take part: one below order 500, else one per 250 columns, at most
// `threads` (below that a team costs more than it gains on a busy machine).
int inversion_team_size(int n, int threads);

// The inversion's main update kernel: AVX-512 where the processor has it
// (the default), else AVX2 or plain code, chosen at run time; every way gives
// the same bits.  inversion_use_avx512(false) keeps to AVX2 (for tests and
// benchmarks); true goes back to AVX-512 where available.
bool inversion_avx512_available();
void inversion_use_avx512(bool on);

// Runs body(ctx, m, count) for the members m = 0 .. count-1 of the
// inversion's team of at most `threads` threads (member 0 on the calling
// thread) and returns when all have finished; count is `threads` unless the
// system gave fewer.  Not reentrant, and never during an inversion.
void run_on_team(int threads, void (*body)(void* ctx, int member, int count), void* ctx);

// The inversion with at most `threads` threads (1: the calling thread
// alone).  Orders below 64 or above 2048 use one thread; small orders use
// fewer threads than asked.
void invert_complex_matrix_threads(cfloat* A, const int& lda, const int& n, const int& threads);

// Threads of INVERT_COMPLEX_MATRIX: the environment variable TREMEX_THREADS
// when it holds a whole number from 1 (more than 64 counts as 64), otherwise
// the number of processors.  Read at every call.
int inversion_thread_count();

// The step-by-step way, with the multipliers kept for `slice` rows at a time
// (1 to 2048).
void invert_complex_matrix_stepwise(cfloat* A, const int& lda, const int& n, const int& slice);

}  // namespace eng
