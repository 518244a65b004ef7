// Speed of the group matrix inversion with one thread and with all of them,
// beside LU factorisation and inversion by an optimised LAPACK (OpenBLAS
// cgetrf + cgetri, for comparison only, when it is found), and one frequency
// step of a fixed-head group of 100 and 500 piles.
//   inverse_bench --benchmark_filter=Invert     our inversion only
#include <benchmark/benchmark.h>

#include <algorithm>
#include <complex>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "kernels/inverse.h"
#include "pile_group.h"
#include "group_setup.h"
#include "state.h"

#ifdef TREMEX_BENCH_LAPACKE
#define lapack_complex_float std::complex<float>
#define lapack_complex_double std::complex<double>
#include <lapacke.h>
extern "C" void openblas_set_num_threads(int);
#endif

namespace {

using eng::at;
using eng::cfloat;

int all_threads() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

// A diagonally dominant complex matrix of order n, leading dimension 1000
// as the group matrix (lapack: leading dimension n).
std::vector<cfloat> bench_matrix(int n, int lda) {
  std::mt19937 gen(7u);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  std::vector<cfloat> a(static_cast<size_t>(lda) * n);
  for (int j = 1; j <= n; ++j) {
    for (int i = 1; i <= n; ++i) at(a.data(), lda, i, j) = cfloat(u(gen), u(gen));
    at(a.data(), lda, j, j) += cfloat(2.0f * n, 0.0f);
  }
  return a;
}

// About 8 n^3 real operations per inversion, either way.
void set_rate(benchmark::State& state, int n) {
  state.counters["GFLOPS"] = benchmark::Counter(8e-9 * n * static_cast<double>(n) * n,
                                                benchmark::Counter::kIsIterationInvariantRate);
}

void args(benchmark::internal::Benchmark* b) {
  for (const int n : {100, 200, 300, 500, 700, 1000}) {
    for (const int t : {1, 2, 4, 8})
      if (t == 1 || t <= all_threads()) b->Args({n, t});
  }
  b->ArgNames({"n", "threads"})->Unit(benchmark::kMillisecond)->UseRealTime();
}

void BM_InvertComplexMatrix(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int threads = static_cast<int>(state.range(1));
  const int lda = eng::kMaxGroupOrder;
  const std::vector<cfloat> a = bench_matrix(n, lda);
  std::vector<cfloat> w(a.size());
  for (auto _ : state) {
    state.PauseTiming();
    std::copy(a.begin(), a.end(), w.begin());
    state.ResumeTiming();
    eng::invert_complex_matrix_threads(w.data(), lda, n, threads);
    benchmark::DoNotOptimize(w.data());
    benchmark::ClobberMemory();
  }
  set_rate(state, n);
}
BENCHMARK(BM_InvertComplexMatrix)->Apply(args);

// The same with the AVX2 update kernel where the AVX-512 one would be used.
void BM_InvertComplexMatrixAvx2(benchmark::State& state) {
  eng::inversion_use_avx512(false);
  BM_InvertComplexMatrix(state);
  eng::inversion_use_avx512(true);
}
BENCHMARK(BM_InvertComplexMatrixAvx2)->Apply(args);

#ifdef TREMEX_BENCH_LAPACKE
void BM_LapackeGetrfGetri(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  openblas_set_num_threads(static_cast<int>(state.range(1)));
  const std::vector<cfloat> a = bench_matrix(n, n);
  std::vector<cfloat> w(a.size());
  std::vector<lapack_int> ipiv(n);
  for (auto _ : state) {
    state.PauseTiming();
    std::copy(a.begin(), a.end(), w.begin());
    state.ResumeTiming();
    lapack_int info = LAPACKE_cgetrf(LAPACK_COL_MAJOR, n, n, w.data(), n, ipiv.data());
    if (info == 0) info = LAPACKE_cgetri(LAPACK_COL_MAJOR, n, w.data(), n, ipiv.data());
    if (info != 0) {
      state.SkipWithError("singular");
      break;
    }
    benchmark::DoNotOptimize(w.data());
    benchmark::ClobberMemory();
  }
  set_rate(state, n);
}
BENCHMARK(BM_LapackeGetrfGetri)->Apply(args);
#endif

// A fixed-head group with interaction at a frequency with
// frequency-dependent factors: one inversion of order N (vertical) and two
// of order 2N (lateral), with the assembly of the three matrices.  Piles of
// diameter 1 on a grid at 3 m, 20 m long in two layers.
void BM_GroupStepFixedHeads(benchmark::State& state) {
  const int N = static_cast<int>(state.range(0));
  const std::string threads = std::to_string(state.range(1));
  setenv("TREMEX_THREADS", threads.c_str(), 1);
  bench::set_up_group(N, N >= 500 ? 25 : 10, 1);

  cfloat Kp[36], Kc[36];
  bench::pile_head_matrix(Kp);
  const float omega = 30.0f;
  for (auto _ : state) {
    eng::PILE_GROUP_IMPEDANCE(Kp, Kc, omega);
    benchmark::DoNotOptimize(Kc);
  }
  unsetenv("TREMEX_THREADS");
}
BENCHMARK(BM_GroupStepFixedHeads)
    ->Args({100, 1})
    ->Args({100, all_threads()})
    ->Args({500, 1})
    ->Args({500, all_threads()})
    ->ArgNames({"piles", "threads"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
