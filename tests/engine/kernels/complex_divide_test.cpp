// complex_divide against the compiler's complex float division: the same
// bits (any NaN for a NaN) for every pair of special values and for random
// bit patterns and ordinary values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "kernels/inverse.h"

namespace {

using eng::cfloat;

bool same(float u, float v) { return std::memcmp(&u, &v, sizeof u) == 0 || (std::isnan(u) && std::isnan(v)); }

TEST(ComplexDivide, SameBitsAsTheRunTimeDivision) {
  const float inf = std::numeric_limits<float>::infinity();
  const std::vector<float> specials = {0.0f,  -0.0f,  1.0f,    -1.0f,  inf,     -inf,   std::nanf(""), 1e-45f,
                                       -1e-45f, 1e-38f, 3e38f, -3e38f, 1.5e-20f, 7e19f, 1e30f,        1e-30f};
  long differ = 0;
  auto check = [&](cfloat x, cfloat p) {
    const cfloat a = eng::complex_divide(x, p), b = x / p;
    if (!same(a.real(), b.real()) || !same(a.imag(), b.imag())) {
      if (++differ <= 5) ADD_FAILURE() << x << " / " << p << ": " << a << " against " << b;
    }
  };
  for (float a : specials)
    for (float b : specials)
      for (float c : specials)
        for (float d : specials) check({a, b}, {c, d});
  std::mt19937 gen(19u);
  std::uniform_int_distribution<std::uint32_t> bits;
  std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
  for (int i = 0; i < 1000000; ++i) {
    std::uint32_t w[4];
    for (auto& x : w) x = bits(gen);
    float f[4];
    std::memcpy(f, w, sizeof f);
    check({f[0], f[1]}, {f[2], f[3]});
    check({unit(gen), unit(gen)}, {unit(gen), unit(gen)});
  }
  EXPECT_EQ(differ, 0);
}

}  // namespace
