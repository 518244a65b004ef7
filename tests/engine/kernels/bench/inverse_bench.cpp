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

#include "kernels/group_factors.h"
#include "pile_group.h"
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
  for (const int n : {200, 500, 1000}) {
    b->Args({n, 1});
    if (all_threads() > 1) b->Args({n, all_threads()});
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
  eng::reset_engine_state();
  auto& g = eng::g;
  g.run.foundation_type = 1;
  g.run.interaction = 1;
  g.run.head_fixity = 1;
  g.run.gravity = 9.8f;
  g.run.n_piles = N;
  const int row = N >= 500 ? 25 : 10;
  for (int i = 0; i < N; ++i) {
    g.foundation.pile_x[i] = 3.0f * static_cast<float>(i % row);
    g.foundation.pile_y[i] = 3.0f * static_cast<float>(i / row);
  }
  g.run.n_layers = 2;
  g.foundation.pile_length = 20.0f;
  g.foundation.youngs_modulus = 2.5e7f;
  for (int k = 0; k < 2; ++k) {
    g.foundation.layer_depth[k] = 10.0f;
    g.driver.mean_radius[k] = 0.5f;
    g.foundation.section_area[k] = 0.785398f;
    g.foundation.inertia_x[k] = g.foundation.inertia_y[k] = 0.0490874f;
    g.soil.layer.velocity[k] = 150.0f;
    g.soil.layer.unit_weight[k] = 19.0f;
    g.soil.layer.poisson[k] = 0.3f;
  }
  g.soil.reference_velocity = 150.0f;
  g.soil.below = {400.0f, 19.6f, 0.3f, 0.02f};
  eng::SETUP_PILE_GROUP();

  cfloat Kp[36] = {}, Kc[36];
  at(Kp, 6, 1, 1) = at(Kp, 6, 2, 2) = cfloat(2.0e5f, 3.0e4f);
  at(Kp, 6, 3, 3) = cfloat(1.0e6f, 2.0e5f);
  at(Kp, 6, 4, 4) = at(Kp, 6, 5, 5) = cfloat(4.0e5f, 2.0e4f);
  at(Kp, 6, 6, 6) = cfloat(5.0e4f, 1.0e3f);
  at(Kp, 6, 1, 5) = at(Kp, 6, 5, 1) = cfloat(-1.5e5f, -1.0e4f);
  at(Kp, 6, 2, 4) = at(Kp, 6, 4, 2) = cfloat(1.5e5f, 1.0e4f);
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
