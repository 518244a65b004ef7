// Speed of the kernels called for every layer and frequency: the pile-soil
// reactions without and with a weak zone (series path and guarded path), and
// the refined complex solver LEQ2C on the 6 x 6 systems of a foundation.
#include <benchmark/benchmark.h>

#include <array>
#include <random>

#include "kernels/pile_soil.h"
#include "kernels/solvers.h"

namespace {

using eng::at;
using eng::cfloat;

struct Layer {
  float a0, nu, D, sw, nuw, Dw, t;
};

void run_pile_soil(benchmark::State& state, const Layer& in) {
  Layer l = in;
  const float r = 1.0f;
  cfloat su, sw, srx, sry, st;
  for (auto _ : state) {
    benchmark::DoNotOptimize(l);
    int hflag = 0;
    const int vflag = 0;
    eng::PILE_SOIL_IMPEDANCE(l.a0, l.nu, l.D, l.sw, l.nuw, l.Dw, l.t, r, r, r, r, su, sw, srx, sry, st, hflag,
                             vflag);
    benchmark::DoNotOptimize(su);
    benchmark::DoNotOptimize(sw);
    benchmark::DoNotOptimize(srx);
    benchmark::DoNotOptimize(st);
  }
}

// a0 = range(0)/10.
void BM_PileSoilHomogeneous(benchmark::State& state) {
  const float a0 = static_cast<float>(state.range(0)) / 10.0f;
  run_pile_soil(state, {a0, 0.3f, 0.05f, 1.0f, 0.3f, 0.05f, 0.0f});
}
BENCHMARK(BM_PileSoilHomogeneous)->Arg(5)->Arg(20)->Arg(100);

// Weak zone t = r/2, shear ratio 0.6: every value from its single-precision series.
void BM_PileSoilWeakZone(benchmark::State& state) {
  const float a0 = static_cast<float>(state.range(0)) / 10.0f;
  run_pile_soil(state, {a0, 0.3f, 0.05f, 0.6f, 0.3f, 0.1f, 0.5f});
}
BENCHMARK(BM_PileSoilWeakZone)->Arg(5)->Arg(20)->Arg(50);

// Shear ratio 0.99, t = r: the series overflow and the vertical, rotational
// and torsional values are integrated in double precision.
void BM_PileSoilWeakZoneNearLayer(benchmark::State& state) {
  const float a0 = static_cast<float>(state.range(0)) / 10.0f;
  run_pile_soil(state, {a0, 0.3f, 0.05f, 0.99f, 0.3f, 0.05f, 1.0f});
}
BENCHMARK(BM_PileSoilWeakZoneNearLayer)->Arg(5)->Arg(20)->Arg(100);

// Shear ratio 0.5, t = 2r, a0 = 8: I0/I1 arguments beyond their series range
// (double-precision horizontal value) and unconverged rotational sums.
void BM_PileSoilWeakZoneThickHighFrequency(benchmark::State& state) {
  run_pile_soil(state, {8.0f, 0.3f, 0.05f, 0.5f, 0.3f, 0.1f, 2.0f});
}
BENCHMARK(BM_PileSoilWeakZoneThickHighFrequency);

// One pile in 30 layers with a weak zone around it, over 1024 frequencies:
// every reaction the driver asks of the kernel for such a pile (the layers'
// velocities 100 to 390, pile radius 0.3, omega 1 to 1024 rad/s).  The zone
// is range(0)/10 pile radii thick: 2 is a usual zone (series path), 20 and
// 725 wide ones (guarded path).
void BM_PileSoilWeakPile30Layers1024Frequencies(benchmark::State& state) {
  const float tr = static_cast<float>(state.range(0)) / 10.0f;
  const float r = 0.3f, t = tr * r;
  const float nu = 0.35f, D = 0.05f, sw_ratio = 0.5f, Dw = 0.1f;
  cfloat su, sw, srx, sry, st;
  for (auto _ : state) {
    for (int k = 1; k <= 1024; ++k) {
      const float omega = static_cast<float>(k);
      for (int layer = 0; layer < 30; ++layer) {
        const float vs = 100.0f + 10.0f * static_cast<float>(layer);
        const float a0 = omega * r / vs;
        int hflag = 0;
        const int vflag = 0;
        eng::PILE_SOIL_IMPEDANCE(a0, nu, D, sw_ratio, nu, Dw, t, r, r, r, r, su, sw, srx, sry, st, hflag, vflag);
        benchmark::DoNotOptimize(su);
        benchmark::DoNotOptimize(sw);
        benchmark::DoNotOptimize(srx);
        benchmark::DoNotOptimize(st);
      }
    }
  }
}
BENCHMARK(BM_PileSoilWeakPile30Layers1024Frequencies)->Arg(20)->Arg(200)->Arg(7250)->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// LEQ2C on a diagonally dominant complex 6 x 6 system with range(0)
// right-hand sides.  A general system ends with code 130 after the full 50
// refinement passes (its solution is not exactly representable).
void BM_Leq2cGeneral6x6(benchmark::State& state) {
  constexpr int n = 6;
  const int m = static_cast<int>(state.range(0));
  std::mt19937 gen(11u);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  std::array<cfloat, n * n> a;
  std::array<cfloat, n * n> b0, b;
  for (int j = 1; j <= n; ++j) {
    for (int i = 1; i <= n; ++i) at(a.data(), n, i, j) = cfloat(u(gen), u(gen));
    at(a.data(), n, j, j) += cfloat(4.0f, 1.0f);
  }
  for (auto& z : b0) z = cfloat(u(gen), u(gen));
  std::array<cfloat, n * (n + 2)> wk;
  float wa[n];
  int ier = 0;
  for (auto _ : state) {
    b = b0;
    eng::LEQ2C(a.data(), n, n, b.data(), m, n, 0, wk.data(), wa, ier);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
  state.counters["IER"] = ier;
}
BENCHMARK(BM_Leq2cGeneral6x6)->Arg(1)->Arg(6);

// LEQ2C on a 6 x 6 system with small integer entries and an integer solution:
// the refinement settles after a pass or two.
void BM_Leq2cExact6x6(benchmark::State& state) {
  constexpr int n = 6;
  std::array<cfloat, n * n> a;
  std::array<cfloat, n> x, b0, b;
  for (int j = 1; j <= n; ++j)
    for (int i = 1; i <= n; ++i)
      at(a.data(), n, i, j) = cfloat(i == j ? 8.0f : static_cast<float>((i + 2 * j) % 3 - 1),
                                     static_cast<float>((i * j) % 2));
  for (int i = 0; i < n; ++i) x[i] = cfloat(static_cast<float>(i - 2), 1.0f);
  for (int i = 1; i <= n; ++i) {
    cfloat s(0.0f, 0.0f);
    for (int j = 1; j <= n; ++j) s += at(a.data(), n, i, j) * x[j - 1];
    b0[i - 1] = s;
  }
  std::array<cfloat, n * (n + 2)> wk;
  float wa[n];
  int ier = 0;
  for (auto _ : state) {
    b = b0;
    eng::LEQ2C(a.data(), n, n, b.data(), 1, n, 0, wk.data(), wa, ier);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
  state.counters["IER"] = ier;
}
BENCHMARK(BM_Leq2cExact6x6);

}  // namespace

BENCHMARK_MAIN();
