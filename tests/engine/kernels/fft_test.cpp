// Mixed-radix FFT against a direct O(N^2) DFT in double precision.
#include "kernels/fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <string>
#include <vector>

namespace eng {
namespace {

using cd = std::complex<double>;

std::vector<cd> direct_dft(const std::vector<cfloat>& x) {
  const int n = static_cast<int>(x.size());
  const double two_pi = 6.283185307179586;
  std::vector<cd> roots(n), y(n);
  for (int m = 0; m < n; ++m) roots[m] = std::polar(1.0, two_pi * m / n);
  for (int k = 0; k < n; ++k) {
    cd s = 0;
    for (int j = 0, m = 0; j < n; ++j, m = (m + k) % n) s += cd(x[j]) * roots[m];
    y[k] = s;
  }
  return y;
}

// Largest error relative to the root-mean-square output (the output's scale).
double rel_error(const std::vector<cfloat>& got, const std::vector<cd>& ref) {
  double err = 0, ss = 0;
  for (size_t k = 0; k < ref.size(); ++k) {
    err = std::max(err, std::abs(cd(got[k]) - ref[k]));
    ss += std::norm(ref[k]);
  }
  return err / std::sqrt(ss / ref.size());
}

int largest_factor(int n) {
  int largest = 1;
  for (int f = 2; f <= n; ++f) {
    while (n % f == 0) {
      largest = f;
      n /= f;
    }
  }
  return largest;
}

// Every length from 1 to 1024, whatever its factors (primes such as 1021, 2*509,
// odd squares, long radix-2/4 chains), against the direct sum.  The rotation
// powers of a large odd factor are built by recurrence, so lengths with such a
// factor get a wider (still single-precision) bound.
TEST(MixedRadixFft, EveryLengthUpTo1024MatchesDirectSum) {
  std::mt19937 gen(1234);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  double worst = 0;
  int worst_n = 0;
  for (int n = 1; n <= kFftMaxPoints; ++n) {
    std::vector<cfloat> x(n);
    for (auto& z : x) z = cfloat(u(gen), u(gen));
    const auto ref = direct_dft(x);
    MIXED_RADIX_FFT(x.data(), n);
    const double e = rel_error(x, ref);
    if (e > worst) {
      worst = e;
      worst_n = n;
    }
    const double tol = largest_factor(n) <= 7 ? 6e-6 : 3e-5;
    ASSERT_LT(e, tol) << "n = " << n;
  }
  RecordProperty("worst_n", worst_n);
  RecordProperty("worst_error", std::to_string(worst));
}

TEST(MixedRadixFft, HandValues) {
  const cfloat i1(0, 1);
  struct Case {
    std::vector<cfloat> in, out;
  };
  const Case cases[] = {
      {{cfloat(3, -2)}, {cfloat(3, -2)}},  // n = 1: unchanged
      {{1, 0, 0, 0, 0, 0, 0, 0}, {1, 1, 1, 1, 1, 1, 1, 1}},
      {{1, 1, 1, 1, 1, 1, 1, 1}, {8, 0, 0, 0, 0, 0, 0, 0}},
      {{0, 1, 0, 0}, {1, i1, -1, -i1}},  // positive exponent
      {{0, 1, 0}, {1, cfloat(-0.5f, 0.8660254f), cfloat(-0.5f, -0.8660254f)}},
      {{0, 1, 0, 0, 0}, {1, std::polar(1.0f, 1.2566371f), std::polar(1.0f, 2.5132741f),
                         std::polar(1.0f, 3.7699112f), std::polar(1.0f, 5.0265482f)}},
  };
  for (const auto& c : cases) {
    auto x = c.in;
    MIXED_RADIX_FFT(x.data(), static_cast<int>(x.size()));
    for (size_t k = 0; k < x.size(); ++k) {
      EXPECT_NEAR(x[k].real(), c.out[k].real(), 2e-6) << "n " << x.size() << " k " << k;
      EXPECT_NEAR(x[k].imag(), c.out[k].imag(), 2e-6) << "n " << x.size() << " k " << k;
    }
  }
}

// The transform of the conjugated transform gives n times the conjugated input
// (the engine's way back to the time domain).
TEST(MixedRadixFft, TransformOfConjugateRestoresInput) {
  std::mt19937 gen(7);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  for (int n : {12, 512, 1000, 1021}) {
    std::vector<cfloat> x(n);
    for (auto& z : x) z = cfloat(u(gen), u(gen));
    auto y = x;
    MIXED_RADIX_FFT(y.data(), n);
    for (auto& z : y) z = std::conj(z);
    MIXED_RADIX_FFT(y.data(), n);
    for (int k = 0; k < n; ++k) {
      const cfloat back = std::conj(y[k]) / static_cast<float>(n);
      EXPECT_NEAR(back.real(), x[k].real(), 2e-5) << n;
      EXPECT_NEAR(back.imag(), x[k].imag(), 2e-5) << n;
    }
  }
}

// Lengths below 1, and longer lengths whose largest factor does not fit the
// work area (2*1031), leave the data alone; longer lengths with small factors
// are transformed.
TEST(MixedRadixFft, LengthsOutsideTheWorkArea) {
  cfloat x[2] = {cfloat(1, 2), cfloat(3, 4)};
  MIXED_RADIX_FFT(x, 0);
  MIXED_RADIX_FFT(x, -5);
  EXPECT_EQ(x[0], cfloat(1, 2));
  EXPECT_EQ(x[1], cfloat(3, 4));

  std::mt19937 gen(99);
  std::uniform_real_distribution<float> u(-1.0f, 1.0f);
  std::vector<cfloat> big(2 * 1031);
  for (auto& z : big) z = cfloat(u(gen), u(gen));
  const auto before = big;
  MIXED_RADIX_FFT(big.data(), static_cast<int>(big.size()));
  EXPECT_EQ(big, before);

  for (int n : {2048, 3000}) {
    std::vector<cfloat> y(n);
    for (auto& z : y) z = cfloat(u(gen), u(gen));
    const auto ref = direct_dft(y);
    MIXED_RADIX_FFT(y.data(), n);
    EXPECT_LT(rel_error(y, ref), 6e-6) << n;
  }
}

}  // namespace
}  // namespace eng
