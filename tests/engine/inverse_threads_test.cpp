// The group matrix inversion shared by several threads: the same bits as the
// single-threaded inversion for any thread count, the caller's rounding mode
// and exception flags, the thread count from TREMEX_THREADS, and whole pile
// group runs through the real library (loaded, run and unloaded twice).
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine_harness.h"
#include "kernels/inverse.h"

namespace {

using eng::cfloat;

// A diagonally dominant complex matrix of order n (Gauss-Jordan without
// pivoting), with a recognisable value in the rows beyond n.
std::vector<cfloat> test_matrix(int n, int lda, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  std::vector<cfloat> a(static_cast<size_t>(lda) * n, cfloat(7.0f, -7.0f));
  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n; ++i) a[static_cast<size_t>(j) * lda + i] = cfloat(u(gen), u(gen));
    a[static_cast<size_t>(j) * lda + j] += cfloat(2.0f * n, 0.5f * n);
  }
  return a;
}

// Same bits, or NaN in both (which of two NaN operands an operation passes
// on depends on the order in which the compiler put them).
bool same_float(float x, float y) {
  return std::memcmp(&x, &y, sizeof x) == 0 || (std::isnan(x) && std::isnan(y));
}

bool same_bits(const std::vector<cfloat>& a, const std::vector<cfloat>& b) {
  if (a.size() != b.size()) return false;
  for (size_t k = 0; k < a.size(); ++k) {
    if (!same_float(a[k].real(), b[k].real()) || !same_float(a[k].imag(), b[k].imag())) return false;
  }
  return true;
}

std::vector<cfloat> inverse(std::vector<cfloat> a, int lda, int n, int threads) {
  eng::invert_complex_matrix_threads(a.data(), lda, n, threads);
  return a;
}

// Sets or clears an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_.c_str(), old_->c_str(), 1);
    } else {
      unsetenv(name_.c_str());
    }
  }

 private:
  std::string name_;
  std::optional<std::string> old_;
};

TEST(InverseThreads, SameBitsForEveryThreadCount) {
  // 1000 ends on a half block, 300 and 517 on other partial blocks, 129 and
  // 517 have odd orders (scalar tails in the updates).
  for (const int n : {1, 7, 64, 129, 300, 517, 1000}) {
    const int lda = n + 3;
    const std::vector<cfloat> a = test_matrix(n, lda, 31u + n);
    const std::vector<cfloat> one = inverse(a, lda, n, 1);
    for (int i = n; i < lda; ++i) ASSERT_EQ(one[i], cfloat(7.0f, -7.0f));
    for (const int threads : {2, 3, 8}) {
      EXPECT_TRUE(same_bits(inverse(a, lda, n, threads), one)) << "order " << n << ", " << threads << " threads";
    }
  }
}

// The AVX-512 update kernel and the AVX2 one give the same bits, alone and
// in a team.
TEST(InverseThreads, Avx512AndAvx2KernelsGiveTheSameBits) {
  if (!eng::inversion_avx512_available()) GTEST_SKIP() << "no AVX-512 on this processor";
  for (const int n : {5, 64, 129, 300, 517, 1000}) {
    const int lda = n + 3;
    const std::vector<cfloat> a = test_matrix(n, lda, 31u + static_cast<unsigned>(n));
    for (const int threads : {1, 3}) {
      eng::inversion_use_avx512(false);
      const std::vector<cfloat> avx2 = inverse(a, lda, n, threads);
      eng::inversion_use_avx512(true);
      const std::vector<cfloat> avx512 = inverse(a, lda, n, threads);
      EXPECT_TRUE(same_bits(avx512, avx2)) << "order " << n << ", " << threads << " threads";
    }
  }
}

// Every update kernel set the processor can run (plain code, AVX2, AVX-512)
// gives the bits of the plain one, alone and in a team, for whole and
// partial blocks and odd orders.
TEST(InverseThreads, EveryKernelSetGivesTheSameBits) {
  const std::string best = eng::inversion_kernels();
  ASSERT_TRUE(eng::inversion_use_kernels("generic"));
  EXPECT_STREQ(eng::inversion_kernels(), "generic");
  EXPECT_FALSE(eng::inversion_use_kernels("sse9"));
  std::vector<std::vector<cfloat>> plain;
  const int orders[] = {5, 16, 64, 129, 300, 517, 1000};
  for (const int n : orders) {
    const int lda = n + 3;
    plain.push_back(inverse(test_matrix(n, lda, 77u + static_cast<unsigned>(n)), lda, n, 1));
  }
  for (const char* set : {"avx2", "avx512"}) {
    if (!eng::inversion_use_kernels(set)) continue;
    EXPECT_STREQ(eng::inversion_kernels(), set);
    for (size_t c = 0; c < std::size(orders); ++c) {
      const int n = orders[c], lda = n + 3;
      const std::vector<cfloat> a = test_matrix(n, lda, 77u + static_cast<unsigned>(n));
      for (const int threads : {1, 3}) {
        EXPECT_TRUE(same_bits(inverse(a, lda, n, threads), plain[c])) << set << ", order " << n << ", " << threads;
      }
    }
  }
  eng::inversion_use_avx512(true);  // the best again
  EXPECT_EQ(eng::inversion_kernels(), best);
}

TEST(InverseThreads, DefaultCountGivesTheSameBits) {
  const int n = 400, lda = 1000;
  const std::vector<cfloat> a = test_matrix(n, lda, 3u);
  std::vector<cfloat> dflt = a;
  eng::INVERT_COMPLEX_MATRIX(dflt.data(), lda, n);
  EXPECT_TRUE(same_bits(dflt, inverse(a, lda, n, 1)));
  // A second call reuses the threads of the first.
  std::vector<cfloat> again = a;
  eng::INVERT_COMPLEX_MATRIX(again.data(), lda, n);
  EXPECT_TRUE(same_bits(again, dflt));
}

TEST(InverseThreads, HelpersUseTheCallersRoundingMode) {
  const int n = 300, lda = 300;
  const std::vector<cfloat> a = test_matrix(n, lda, 11u);
  // Threads first started under the default mode.
  const std::vector<cfloat> nearest = inverse(a, lda, n, 4);
  const int saved = std::fegetround();
  for (const int mode : {FE_UPWARD, FE_TOWARDZERO}) {
    ASSERT_EQ(std::fesetround(mode), 0);
    const std::vector<cfloat> one = inverse(a, lda, n, 1);
    const std::vector<cfloat> four = inverse(a, lda, n, 4);
    std::fesetround(saved);
    EXPECT_FALSE(same_bits(one, nearest)) << mode;  // the mode matters here
    EXPECT_TRUE(same_bits(four, one)) << mode;
  }
}

TEST(InverseThreads, ExceptionFlagsOfTheHelpersReachTheCaller) {
  // A small first pivot and a huge entry at the top of the last column:
  // dividing the first pivot row overflows in a column of the last thread
  // only; the rest turns into infinities and NaN.  A zero pivot gives
  // infinities at once.
  struct Case {
    const char* what;
    float pivot, entry;
    int flag;
  };
  for (const Case c : {Case{"overflow", 0.5f, 3.0e38f, FE_OVERFLOW}, Case{"zero pivot", 0.0f, 1.0f, FE_INVALID}}) {
    const int n = 300, lda = 300;
    std::vector<cfloat> a = test_matrix(n, lda, 5u);
    a[0] = cfloat(c.pivot, 0.0f);
    a[static_cast<size_t>(n - 1) * lda] = cfloat(c.entry, 0.0f);
    std::feclearexcept(FE_ALL_EXCEPT);
    const std::vector<cfloat> one = inverse(a, lda, n, 1);
    const int flags_one = std::fetestexcept(FE_ALL_EXCEPT);
    std::feclearexcept(FE_ALL_EXCEPT);
    const std::vector<cfloat> eight = inverse(a, lda, n, 8);
    const int flags_eight = std::fetestexcept(FE_ALL_EXCEPT);
    std::feclearexcept(FE_ALL_EXCEPT);
    EXPECT_NE(flags_one & c.flag, 0) << c.what;
    EXPECT_EQ(flags_eight, flags_one) << c.what;
    EXPECT_TRUE(same_bits(eight, one)) << c.what;
  }
}

// When INVERT_COMPLEX_MATRIX calls a team, and how large.
TEST(InverseThreads, TeamOnlyWhereItPays) {
  struct Case {
    int n, threads, expected;
  } cases[] = {{6, 8, 1},   {100, 8, 1},  {499, 64, 1},  {500, 8, 4},   {500, 1, 1},  {749, 8, 5},
               {750, 8, 6}, {1000, 8, 8}, {1000, 16, 8}, {1000, 3, 3}, {2000, 64, 16}};
  for (const Case& c : cases)
    EXPECT_EQ(eng::inversion_team_size(c.n, c.threads), c.expected) << c.n << " " << c.threads;
}

TEST(InverseThreads, CountFromTheEnvironment) {
  const int processors = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  struct Case {
    const char* value;  // null: unset
    int expected;       // 0: the processor count
  };
  for (const Case c : {Case{"3", 3}, Case{"1", 1}, Case{"64", 64}, Case{"500", 64}, Case{nullptr, 0}, Case{"", 0},
                       Case{"0", 0}, Case{"-2", 0}, Case{"four", 0}, Case{"4x", 0}}) {
    ScopedEnv env("TREMEX_THREADS", c.value);
    EXPECT_EQ(eng::inversion_thread_count(), c.expected ? c.expected : std::min(processors, 64))
        << (c.value ? c.value : "(unset)");
  }
}

TEST(InverseThreads, SequentialEnvironmentGivesTheSameBits) {
  const int n = 600, lda = 600;  // large enough for a team
  const std::vector<cfloat> a = test_matrix(n, lda, 23u);
  std::vector<cfloat> seq = a, par = a;
  {
    ScopedEnv env("TREMEX_THREADS", "1");
    eng::INVERT_COMPLEX_MATRIX(seq.data(), lda, n);
  }
  {
    ScopedEnv env("TREMEX_THREADS", "5");
    eng::INVERT_COMPLEX_MATRIX(par.data(), lda, n);
  }
  EXPECT_TRUE(same_bits(seq, par));
}

// ---------------------------------------------------------------------------
// Whole runs through the library

std::string file_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The report without the lines that change from run to run (time, folder).
std::string steady_report(const std::string& report) {
  std::string out;
  for (const std::string& line : harness::split_lines(report)) {
    if (line.find("TIME     -") != std::string::npos || line.find("RUN DATE -") != std::string::npos ||
        line.find("Path to file locations") != std::string::npos) {
      continue;
    }
    out += line + '\n';
  }
  return out;
}

// The six-pile example with 260 fixed-head piles on a 20 x 13 grid at 1.5 m:
// lateral group matrices of order 520, inverted by a team of threads.
std::string large_group_deck() {
  std::string deck = file_text(std::string(TREMEX_SOURCE_DIR) + "/examples/pile-group-random.tmx");
  const size_t from = deck.find("FIXED=6\r\n");
  const size_t to = deck.find("CONSTANTS", from);
  if (from == std::string::npos || to == std::string::npos) return "";
  std::ostringstream piles;
  piles << "FIXED=260\r\n";
  for (int i = 0; i < 260; ++i) piles << i + 1 << ' ' << 1.5 * (i % 20) - 14.25 << ' ' << 1.5 * (i / 20) - 9.0 << " \r\n";
  deck.replace(from, to - from, piles.str());
  const size_t cap = deck.find("RECTANGULAR=5,5");
  if (cap != std::string::npos) deck.replace(cap, 15, "RECTANGULAR=31,20");
  return deck;
}

TEST(InverseThreads, LibraryRunsAgainAfterUnloadWithTheSameResults) {
  const std::string deck = large_group_deck();
  ASSERT_FALSE(deck.empty());
  harness::RunOptions opt;
  opt.mass_file = file_text(std::string(TREMEX_SOURCE_DIR) + "/examples/pile-group-random.tmm");
  harness::EngineRun one, first, second;
  {
    ScopedEnv env("TREMEX_THREADS", "1");
    one = harness::run_engine(deck, opt);
  }
  {
    ScopedEnv env("TREMEX_THREADS", "4");
    first = harness::run_engine(deck, opt);   // threads started in the library...
    second = harness::run_engine(deck, opt);  // ...and again after it was unloaded
  }
  ASSERT_EQ(one.result, 0) << one.report;
  EXPECT_EQ(one.report.find("ERROR"), std::string::npos);
  EXPECT_EQ(one.report.find("NaN"), std::string::npos);
  ASSERT_FALSE(one.plot.empty());
  for (const harness::EngineRun* r : {&first, &second}) {
    EXPECT_EQ(r->result, 0);
    EXPECT_EQ(steady_report(r->report), steady_report(one.report));
    EXPECT_EQ(r->plot, one.plot);
  }
}

}  // namespace
