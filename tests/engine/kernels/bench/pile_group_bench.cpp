// Speed of the pile-group routines that run at every frequency.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

#include "kernels/group_factors.h"
#include "pile_group.h"
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
  eng::reset_engine_state();
  auto& g = eng::g;
  g.run.foundation_type = 1;
  g.run.interaction = 1;
  g.run.head_fixity = static_cast<int>(state.range(0));
  g.run.gravity = 9.8f;
  g.run.n_piles = 100;
  for (int i = 0; i < 100; ++i) {
    g.foundation.pile_x[i] = 3.0f * static_cast<float>(i % 10);
    g.foundation.pile_y[i] = 3.0f * static_cast<float>(i / 10);
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
}
BENCHMARK(BM_PileGroupImpedance)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
