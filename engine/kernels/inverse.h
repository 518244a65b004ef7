// In-place inversion of complex matrices (the pile group's flexibility
// matrices).
//
//  INVERT_COMPLEX_MATRIX           Gauss-Jordan without pivoting, in place;
//                                  large orders shared by a team of threads.
//  invert_complex_matrix_threads   the same with a given number of threads.
//  invert_complex_matrix_stepwise  the same, one step at a time (orders above
//                                  2048, and the reference of the tests).
//  complex_divide                  the complex division every pivot step uses.
//
// Matrices are column-major with an explicit leading dimension (see
// complex_types.h).  Every way of inverting gives every element the
// operations of the plain algorithm in the same order, so the result has the
// same bits whatever the way, the number of threads or the instruction set
// of the processor.  No fused multiply-add anywhere (built with
// -ffp-contract=off).  Nothing is allocated, except the helper threads of the
// team, created at the first inversion that asks for them and joined when
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

// Inverts the n x n matrix A (leading dimension lda) in place by Gauss-Jordan
// without pivoting: for k = 1..n: p = A(k,k); A(k,k) = 1; row k /= p; for
// every row i != k: t = A(i,k), A(i,k) = 0, row i -= t * row k.
//   A    lda x n; in: the matrix; out: its inverse
//   lda  leading dimension (>= n)
//   n    order
// A zero pivot is not tested: it gives infinities or NaN under the engine's
// masked floating-point exceptions.  Orders up to 2048 are inverted in
// blocks of steps, larger ones step by step.  A team of
// inversion_team_size(n, inversion_thread_count()) threads shares the work.
// The caller's rounding mode holds for every member, and the exception
// flags any member raises are raised in the caller.  Not reentrant: one
// inversion at a time.
void INVERT_COMPLEX_MATRIX(cfloat* A, const int& lda, const int& n);

// The inversion with at most `threads` threads (1: the calling thread
// alone); the same bits for every count.  Orders above 2048 use one thread.
void invert_complex_matrix_threads(cfloat* A, const int& lda, const int& n, const int& threads);

// The step-by-step way, with the multipliers kept for `slice` rows at a time
// (1 to 2048).
void invert_complex_matrix_stepwise(cfloat* A, const int& lda, const int& n, const int& slice);

// Members INVERT_COMPLEX_MATRIX gives an inversion of order n when `threads`
// may take part: one for small orders, else one per kInversionColumnsPerMember
// columns, at most `threads`.
constexpr int kInversionTeamOrder = 500;
constexpr int kInversionColumnsPerMember = 125;
int inversion_team_size(int n, int threads);

// Threads the engine may use: the environment variable TREMEX_THREADS when
// it holds a whole number from 1 (more than 64 counts as 64), otherwise the
// number of processors.  Read at every call.
int inversion_thread_count();

// Runs body(ctx, m, count) for the members m = 0 .. count-1 of the team of
// at most `threads` threads (member 0 on the calling thread) and returns
// when all have finished; count is `threads` unless the system gave fewer.
// The helpers run with the caller's floating-point environment.  Not
// reentrant, and never during an inversion.
void run_on_team(int threads, void (*body)(void* ctx, int member, int count), void* ctx);

// Instruction set of the update kernels, chosen once, at the first
// inversion, from what the processor has: AVX-512 (F and DQ), else AVX2,
// else plain code; every one gives the same bits.  inversion_use_avx512(false)
// keeps to AVX2 at most (for tests and benchmarks); true goes back to the
// best the processor has.
bool inversion_avx512_available();
void inversion_use_avx512(bool on);

// The kernels in use: "avx512", "avx2" or "generic".
const char* inversion_kernels();

// Uses the kernels `name` ("avx512", "avx2" or "generic") from now on, for
// tests and benchmarks; false (nothing changed) for a name the processor
// cannot run.
bool inversion_use_kernels(const char* name);

}  // namespace eng
