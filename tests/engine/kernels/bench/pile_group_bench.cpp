// Speed of the pile-group routines that run at every frequency.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "kernels/group_factors.h"
#include "pile_group.h"
#include "group_setup.h"
#include "state.h"

namespace {

using eng::at;
using eng::cfloat;

// Inversion of a diagonally dominant complex matrix of order n (leading
// dimension 1000, as the group matrix).
void BM_InvertComplexMatrix(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const int lda = eng::kMaxGroupOrder;
  std::mt19937 gen(7u);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  std::vector<cfloat> a(static_cast<size_t>(lda) * n);
  for (int j = 1; j <= n; ++j) {
    for (int i = 1; i <= n; ++i) at(a.data(), lda, i, j) = cfloat(u(gen), u(gen));
    at(a.data(), lda, j, j) += cfloat(2.0f * n, 0.0f);
  }
  std::vector<cfloat> w(a.size());
  for (auto _ : state) {
    state.PauseTiming();
    std::copy(a.begin(), a.end(), w.begin());
    state.ResumeTiming();
    eng::INVERT_COMPLEX_MATRIX(w.data(), lda, n);
    benchmark::DoNotOptimize(w.data());
    benchmark::ClobberMemory();
  }
  // About 8 n^3 real operations per inversion.
  state.counters["GFLOPS"] = benchmark::Counter(8e-9 * n * static_cast<double>(n) * n,
                                                benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_InvertComplexMatrix)->Arg(200)->Arg(1000)->Unit(benchmark::kMillisecond);

// A 10 x 10 grid of piles at 3 diameters, interaction on, at a frequency
// with frequency-dependent factors; pinned heads (three inversions of order
// 100) and fixed heads (one of 100, two of 200).
void BM_PileGroupImpedance(benchmark::State& state) {
  bench::set_up_group(100, 10, static_cast<int>(state.range(0)));

  cfloat Kp[36], Kc[36];
  bench::pile_head_matrix(Kp);
  const float omega = 30.0f;
  for (auto _ : state) {
    eng::PILE_GROUP_IMPEDANCE(Kp, Kc, omega);
    benchmark::DoNotOptimize(Kc);
  }
}
BENCHMARK(BM_PileGroupImpedance)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
