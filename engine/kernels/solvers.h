// Complex linear solvers of the engine.
//
//  LEQT1C               dense Crout factorisation with partial pivoting on
//                       row-equilibrated magnitudes; factor, solve, or both.
//  LEQ2C                LEQT1C plus iterative refinement with residuals
//                       accumulated in extended precision; A is never changed.
//  COMPLEX_ELIMINATION  complex symmetric band solver without pivoting.
//
// Matrices are column-major with an explicit leading dimension (see
// complex_types.h).  The caller provides every work area; nothing is allocated.
#pragma once

#include "kernels/complex_types.h"

namespace eng {

// Error codes of the solvers.
constexpr int kSolverSingular = 129;      // matrix algorithmically singular
constexpr int kSolverNoConvergence = 130; // iterative refinement did not settle

// The report line that goes with an LEQ2C factoring failure (IER 129).  The
// solvers write nothing themselves: the caller that owns the report writes
// this line whenever LEQ2C returns kSolverSingular.
inline constexpr const char* kLeq2cErrorLine = " ERROR ENCOUNTERED IN LEQ2C SUBROUTINE";

// Leading dimension of the band arrays of COMPLEX_ELIMINATION; also the
// largest order it accepts.
constexpr int kBandLd = 60;

// Solves A·X = B for the M right-hand sides in the columns of B.
//   A    IA x N; in: the matrix (IJOB 0, 1) or its factors (IJOB 2); out: factors
//   B    IB x M; in: right-hand sides; out: solutions (IJOB 0, 2); untouched for IJOB 1
//   IJOB 0 factor and solve, 1 factor only, 2 solve only with A and WA from an
//        earlier factoring call
//   WA   N reals: row scale factors while factoring, afterwards the pivot row
//        exchanged with row j at step j, stored as a real (1.0, 2.0, ...)
//   IER  0, or kSolverSingular (A and WA then partly factored, B unchanged)
void LEQT1C(cfloat* A, const int& N, const int& IA, cfloat* B, const int& M, const int& IB,
            const int& IJOB, float* WA, int& IER);

// As LEQT1C, with iterative refinement of every solution.
//   WK   complex N x (N + 2) work matrix (leading dimension N): factors of A,
//        the current solution and the residual / correction
//   IER  0, kSolverSingular (factoring failed; the caller reports kLeq2cErrorLine)
//        or kSolverNoConvergence (some right-hand side did not settle within
//        50 passes; its column of B holds the last iterate)
// A pass settles only when the correction vanishes beside the solution in
// extended precision, which in practice needs an exactly representable
// solution: for general systems the code is 130 while B holds the solution
// refined to working precision.  Every right-hand side is solved either way.
void LEQ2C(const cfloat* A, const int& N, const int& IA, cfloat* B, const int& M, const int& IB,
           const int& IJOB, cfloat* WK, float* WA, int& IER);

// Solves a complex symmetric band system of order N (N <= kBandLd) with W
// stored diagonals, held by rows: A(i, 1) is the diagonal of row i, A(i, j)
// the entry in column i + j - 1.  The M right-hand sides are the columns of B.
// Both arrays have leading dimension kBandLd; A is overwritten by its factors
// and B by the solutions.  No pivoting and no singularity test.
void COMPLEX_ELIMINATION(const int& M, const int& N, const int& W, cfloat* A, cfloat* B);

}  // namespace eng
