// Whole engine runs through the real libtremcalc.so, loaded, called and freed
// for every run the way the main program does, beside OpenBLAS's complex64
// inversions (cgetrf + cgetri, for comparison only, when it is found) of the
// orders a pile group needs.  TREMEX_ENGINE=path times another build of the
// library (the same decks, for before-and-after figures).
//   Run/<deck>/threads:T   one run of the deck with TREMEX_THREADS=T (0: unset,
//                          the default count, every processor)
//     footing          examples/halfspace-harmonic.tmx
//     pile30           one pile, 30 layers, 1024 harmonic frequencies (1 .. 1024 rad/s)
//     group100         100 fixed-head piles with interaction, 20 frequencies
//                      (1 .. 20 rad/s: half with static pair factors), MATRIX
//     group500_fixed   500 fixed-head piles with interaction, 5 frequencies
//                      (12 .. 60 rad/s: frequency-dependent pair factors), MATRIX
//     group500_pinned  the same with pinned heads
//   OpenBlasGroupInversions/piles:500/fixed:F/threads:T
//     the inversions of that group run at every frequency of both passes:
//     orders N, 2N, 2N (fixed heads) or N, N, N (pinned), 5 frequencies x 2
//     passes, with openblas_set_num_threads(T) (0: every processor).  The
//     engine runs the inversions of pass 1 only (pass 2 takes them back).
// Every benchmark line is followed by the load of the machine (uptime) at
// its end, as a counter: a figure is only worth its load.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#ifdef TREMEX_BENCH_LAPACKE
#define lapack_complex_float std::complex<float>
#define lapack_complex_double std::complex<double>
#include <lapacke.h>
extern "C" void openblas_set_num_threads(int);
#endif

namespace {

namespace fs = std::filesystem;

// The engine library: TREMEX_ENGINE when set (to time another build of it),
// else the one built beside this benchmark.
const char* engine_path() {
  const char* e = std::getenv("TREMEX_ENGINE");
  return e && *e ? e : TREMCALC_PATH;
}

std::string e_lines() {
  std::string s;
  for (int i = 0; i < 3; ++i)
    s += " 0.00000000000000E+0000  0.00000000000000E+0000  0.00000000000000E+0000 \r\n";
  return s;
}

// Piles on a 2 m grid, ten a row, with interaction; `layers` elements;
// harmonic frequencies step, 2 step, ... nfreq step (rad/s).
std::string pile_deck(int piles, bool fixed, int layers, int nfreq, int step, bool matrix) {
  std::ostringstream d;
  const int side = 2 * (1 + piles / 10);
  d << "TITLE=Benchmark: " << piles << " piles, " << layers << " layers, " << nfreq << " frequencies\r\n";
  if (matrix) d << "MATRIX\r\n";
  d << "GRAVITY=9.8\r\nFOUNDATION=PILE\r\nRECTANGULAR=" << side << "," << side << "\r\n";
  d << "MASS \r\n500 5000 5000 8000 0 0 0\r\n";
  d << "LAYERS=" << layers << "\r\n" << (fixed ? "FIXED=" : "PINNED=") << piles << "\r\n";
  for (int i = 0; i < piles; ++i) d << i + 1 << " " << (i % 10) * 2 << " " << (i / 10) * 2 << " \r\n";
  d << "CONSTANTS \r\n0 0 1 " << layers << " 24 \r\n100 0.2 0.02 1.1 3E7\r\nELEMENT\r\n";
  for (int j = 1; j <= layers; ++j) d << j << " 1 0.25 0.25 0.19635 0.003068 0.003068 0.006136\r\n";
  d << "FLOATING\r\n";
  if (piles > 1) d << "INTERACTION \r\n";
  d << "SOIL \r\nWEAK\r\nCONSTANTS\r\n";
  for (int j = 1; j <= layers; ++j) d << j << " " << 120 + 3 * j << " 18 0.4 0.05 1 0.4 0.1 0\r\n";
  d << "BELOW=400 20 0.35 0.04\r\nLOAD \r\nHARMONIC \r\nCONSTANTS \r\nNONQUADRATIC \r\n";
  d << nfreq * step << " " << step << " " << step << " \r\n10 0 20 \r\n0 0 0 \r\n0 0 0 0 \r\nRUN \r\n0\r\n" << e_lines();
  return d.str();
}

std::string file_text(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

std::string deck_text(const std::string& name) {
  if (name == "footing") return file_text(std::string(TREMEX_SOURCE_DIR) + "/examples/halfspace-harmonic.tmx");
  if (name == "pile30") return pile_deck(1, true, 30, 1024, 1, false);
  if (name == "group100") return pile_deck(100, true, 10, 20, 1, true);
  if (name == "group500_fixed") return pile_deck(500, true, 10, 5, 12, true);
  if (name == "group500_pinned") return pile_deck(500, false, 10, 5, 12, true);
  throw std::runtime_error("unknown deck " + name);
}

// A run folder with the deck, its mass file and names.dat.
struct RunFolder {
  fs::path dir;
  explicit RunFolder(const std::string& deck) {
    char tmpl[] = "/tmp/tremex-bench-XXXXXX";
    if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
    dir = tmpl;
    const std::string base = (dir / "project").string();
    std::ofstream(base + ".tmx", std::ios::binary) << deck;
    std::ofstream(base + ".tmm", std::ios::binary) << "0\r\n";
    std::ofstream names(dir / "names.dat", std::ios::binary);
    names << "3.0.11\r\n";
    for (const char* ext : {".tmx", ".tmo", ".tmq", ".tmr", ".tmt", ".tmm"}) names << base << ext << "\r\n";
  }
  ~RunFolder() { fs::remove_all(dir); }
};

// Loads the engine, runs it once and frees it: what one run of the program costs.
int run_once() {
  void* lib = dlopen(engine_path(), RTLD_NOW | RTLD_LOCAL);
  if (!lib) throw std::runtime_error(dlerror());
  auto entry = reinterpret_cast<int32_t (*)(int32_t)>(dlsym(lib, "_ITREMX"));
  const int r = entry ? entry(13) : -1;
  dlclose(lib);
  return r;
}

// One-minute load average, for the counters.
double load_average() {
  double load[1] = {0.0};
  return getloadavg(load, 1) == 1 ? load[0] : -1.0;
}

void BM_Run(benchmark::State& state, const std::string& name) {
  const std::string threads = std::to_string(state.range(0));
  if (state.range(0) > 0) {
    setenv("TREMEX_THREADS", threads.c_str(), 1);
  } else {
    unsetenv("TREMEX_THREADS");
  }
  RunFolder folder(deck_text(name));
  const fs::path old = fs::current_path();
  fs::current_path(folder.dir);
  for (auto _ : state) {
    if (run_once() != 0) {
      state.SkipWithError("the run did not end normally");
      break;
    }
  }
  fs::current_path(old);
  unsetenv("TREMEX_THREADS");
  state.counters["load"] = load_average();
}

void thread_args(benchmark::internal::Benchmark* b) {
  b->ArgName("threads")->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK_CAPTURE(BM_Run, footing, std::string("footing"))->Arg(1)->Apply(thread_args);
BENCHMARK_CAPTURE(BM_Run, pile30, std::string("pile30"))->Arg(1)->Apply(thread_args);
BENCHMARK_CAPTURE(BM_Run, group100, std::string("group100"))->Arg(1)->Arg(4)->Arg(8)->Apply(thread_args);
BENCHMARK_CAPTURE(BM_Run, group500_fixed, std::string("group500_fixed"))
    ->Arg(1)->Arg(2)->Arg(4)->Arg(8)->Arg(0)->Apply(thread_args)->Iterations(2);
BENCHMARK_CAPTURE(BM_Run, group500_pinned, std::string("group500_pinned"))
    ->Arg(1)->Arg(4)->Arg(8)->Apply(thread_args)->Iterations(2);

#ifdef TREMEX_BENCH_LAPACKE
// A diagonally dominant complex matrix of order n.
std::vector<std::complex<float>> bench_matrix(int n) {
  std::mt19937 gen(7u);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  std::vector<std::complex<float>> a(static_cast<size_t>(n) * n);
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n; ++i) a[static_cast<size_t>(j) * n + i] = {u(gen), u(gen)};
    a[static_cast<size_t>(j) * n + j] += std::complex<float>(2.0f * n, 0.0f);
  }
  return a;
}

void BM_OpenBlasGroupInversions(benchmark::State& state) {
  const int N = static_cast<int>(state.range(0));
  const bool fixed = state.range(1) != 0;
  const int threads = static_cast<int>(state.range(2));
  openblas_set_num_threads(threads > 0 ? threads : static_cast<int>(std::max(1u, std::thread::hardware_concurrency())));
  const int orders[3] = {N, fixed ? 2 * N : N, fixed ? 2 * N : N};
  const auto small = bench_matrix(N), large = bench_matrix(2 * N);
  std::vector<std::complex<float>> w(large.size());
  std::vector<lapack_int> ipiv(2 * N);
  constexpr int kFrequencies = 5, kPasses = 2;
  for (auto _ : state) {
    for (int step = 0; step < kFrequencies * kPasses; ++step) {
      for (const int n : orders) {
        state.PauseTiming();
        const auto& a = n == N ? small : large;
        std::copy(a.begin(), a.end(), w.begin());
        state.ResumeTiming();
        lapack_int info = LAPACKE_cgetrf(LAPACK_COL_MAJOR, n, n, w.data(), n, ipiv.data());
        if (info == 0) info = LAPACKE_cgetri(LAPACK_COL_MAJOR, n, w.data(), n, ipiv.data());
        benchmark::DoNotOptimize(w.data());
      }
    }
  }
  openblas_set_num_threads(1);
  state.counters["load"] = load_average();
}
BENCHMARK(BM_OpenBlasGroupInversions)
    ->ArgsProduct({{500}, {1, 0}, {1, 2, 4, 8, 0}})
    ->ArgNames({"piles", "fixed", "threads"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
#endif

}  // namespace

BENCHMARK_MAIN();
