// Mixed-radix complex FFT (Singleton's method), single precision.
//
// The length is factored with its square factors first and last and its
// square-free part in the middle: s1 .. sp, q1 .. qr, sp .. s1.  The passes
// transform the data one factor at a time by decimation in frequency, the span
// shrinking by the factor each pass; adjacent factors 2 are done as one
// radix-4 pass whose outputs keep the order of the two radix-2 passes it
// replaces.  After the passes the value of index k = d1 + f1*d2 + f1*f2*d3 + ...
// (digits d_i of radix f_i) stands at the digit-reversed position.  The
// permutation exchanges the square-factor digits in pairs and then reverses
// the square-free digits by following cycles of blocks.
#include "kernels/fft.h"

#include <cmath>

namespace eng {

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr float kSin60 = 0.8660254f;
constexpr int kMaxFactors = 32;  // a 31-bit length has at most 31 prime factors

// The routine's work areas.  Bookkeeping and the largest factor's tables are
// bounded by the length, so kFftMaxPoints entries cover every length up to it.
struct FftWork {
  int factor[kMaxFactors];
  int pass_radix[kMaxFactors];  // 2, 3, 4 or an odd factor of 5 or more
  int perm[kFftMaxPoints];      // digit-reversal tables of the permutation
  int perm_inv[kFftMaxPoints];
  float ck[kFftMaxPoints];  // cos and sin of 2*pi*t/f, t = 0 .. f-1
  float sk[kFftMaxPoints];
  cfloat x[kFftMaxPoints];  // one butterfly's inputs, then the sums / differences
  cfloat v[kFftMaxPoints];
  cfloat block[kFftMaxPoints];  // block moved along a permutation cycle
};
FftWork w;

// One rotation step z := z * exp(i*theta) with cd = 1 - cos(theta) and
// sd = sin(theta), renormalised so that |z| stays 1.
inline void rotate(float& c, float& s, float cd, float sd) {
  const float c2 = c - (cd * c + sd * s);
  s = s + (sd * c - cd * s);
  const float g = 0.5f / (c2 * c2 + s * s) + 0.5f;
  s *= g;
  c = c2 * g;
}

inline cfloat cmul(cfloat a, float c, float s) {
  return cfloat(a.real() * c - a.imag() * s, a.real() * s + a.imag() * c);
}

// Table of cos and sin of 2*pi*t/f, t = 0 .. f-1, by recurrence from 2*pi/f;
// the second half mirrors the first with the sine's sign changed.
void build_rotation_table(int f) {
  const float theta = kTwoPi / static_cast<float>(f);
  const float half = std::sin(0.5f * theta);
  const float cd = 2.0f * half * half;
  const float sd = std::sin(theta);
  float c = 1.0f, s = 0.0f;
  w.ck[0] = 1.0f;
  w.sk[0] = 0.0f;
  for (int t = 1; t <= (f - 1) / 2; ++t) {
    rotate(c, s, cd, sd);
    w.ck[t] = c;
    w.sk[t] = s;
    w.ck[f - t] = c;
    w.sk[f - t] = -s;
  }
}

// One decimation-in-frequency pass of radix r over spans of length span.
void pass(cfloat* a, int n, int span, int r) {
  const int sub = span / r;
  const float theta = kTwoPi / static_cast<float>(span);
  const float half = std::sin(0.5f * theta);
  const float cd = 2.0f * half * half;
  const float sd = std::sin(theta);
  if (r > 4) build_rotation_table(r);
  const int h = (r - 1) / 2;

  float c1 = 1.0f, s1 = 0.0f;  // rotation exp(i*theta*j)
  for (int j = 0; j < sub; ++j) {
    const bool rotated = j > 0;
    for (int b = j; b < n; b += span) {
      if (r == 2) {
        const cfloat x0 = a[b], x1 = a[b + sub];
        a[b] = x0 + x1;
        const cfloat y1 = x0 - x1;
        a[b + sub] = rotated ? cmul(y1, c1, s1) : y1;
      } else if (r == 4) {
        const cfloat x0 = a[b], x1 = a[b + sub], x2 = a[b + 2 * sub], x3 = a[b + 3 * sub];
        const cfloat p02 = x0 + x2, m02 = x0 - x2, p13 = x1 + x3, m13 = x1 - x3;
        const cfloat im13(-m13.imag(), m13.real());  // i*(x1 - x3)
        cfloat y1 = m02 + im13, y2 = p02 - p13, y3 = m02 - im13;
        if (rotated) {
          const float c2 = c1 * c1 - s1 * s1, s2 = 2.0f * c1 * s1;
          const float c3 = c2 * c1 - s2 * s1, s3 = c2 * s1 + s2 * c1;
          y1 = cmul(y1, c1, s1);
          y2 = cmul(y2, c2, s2);
          y3 = cmul(y3, c3, s3);
        }
        // Outputs 0, 2, 1, 3 in the order of two radix-2 passes.
        a[b] = p02 + p13;
        a[b + sub] = y2;
        a[b + 2 * sub] = y1;
        a[b + 3 * sub] = y3;
      } else if (r == 3) {
        const cfloat x0 = a[b], x1 = a[b + sub], x2 = a[b + 2 * sub];
        const cfloat sum = x1 + x2;
        const cfloat av = x0 - 0.5f * sum;
        const cfloat d = kSin60 * (x1 - x2);
        const cfloat id(-d.imag(), d.real());
        cfloat y1 = av + id, y2 = av - id;
        if (rotated) {
          const float c2 = c1 * c1 - s1 * s1, s2 = 2.0f * c1 * s1;
          y1 = cmul(y1, c1, s1);
          y2 = cmul(y2, c2, s2);
        }
        a[b] = x0 + sum;
        a[b + sub] = y1;
        a[b + 2 * sub] = y2;
      } else {
        // General odd factor: pair t with r - t.
        const cfloat x0 = a[b];
        cfloat y0 = x0;
        for (int t = 1; t <= h; ++t) {
          const cfloat xt = a[b + t * sub], xr = a[b + (r - t) * sub];
          w.x[t] = xt + xr;
          w.v[t] = xt - xr;
          y0 += w.x[t];
        }
        a[b] = y0;
        float cj = 1.0f, sj = 0.0f;  // rotation exp(i*theta*j*d)
        for (int d = 1; d <= h; ++d) {
          cfloat sa = x0, sb(0.0f, 0.0f);
          int idx = 0;
          for (int t = 1; t <= h; ++t) {
            idx += d;
            if (idx >= r) idx -= r;
            sa += w.ck[idx] * w.x[t];
            sb += w.sk[idx] * w.v[t];
          }
          const cfloat isb(-sb.imag(), sb.real());
          cfloat yd = sa + isb, ye = sa - isb;
          if (rotated) {
            // exp(i*theta*j*d) and exp(i*theta*j*(r - d)) = exp(i*theta*j*r) / exp(...*d)
            const float cjn = cj * c1 - sj * s1;
            sj = cj * s1 + sj * c1;
            cj = cjn;
            yd = cmul(yd, cj, sj);
          }
          a[b + d * sub] = yd;
          a[b + (r - d) * sub] = ye;
        }
        if (rotated) {
          // Second half: exp(i*theta*j*e) for e = h+1 .. r-1, continuing the powers.
          for (int e = h + 1; e < r; ++e) {
            const float cjn = cj * c1 - sj * s1;
            sj = cj * s1 + sj * c1;
            cj = cjn;
            a[b + e * sub] = cmul(a[b + e * sub], cj, sj);
          }
        }
      }
    }
    rotate(c1, s1, cd, sd);
  }
}

}  // namespace

void MIXED_RADIX_FFT(cfloat* data, const int& n) {
  if (n <= 1) return;

  // Factors: square factors ascending, square-free part, square factors descending.
  int sq[kMaxFactors];
  int nsq = 0;
  int k = n;
  for (int f = 2; f * f <= k; f = (f == 2) ? 3 : f + 2) {
    while (k % (f * f) == 0) {
      sq[nsq++] = f;
      k /= f * f;
    }
  }
  int m = 0;
  for (int i = 0; i < nsq; ++i) w.factor[m++] = sq[i];
  int largest = 1;
  for (int f = 2; f <= k; f = (f == 2) ? 3 : f + 2) {
    while (k % f == 0) {
      w.factor[m++] = f;
      k /= f;
    }
  }
  for (int i = nsq - 1; i >= 0; --i) w.factor[m++] = sq[i];
  int S = 1, Q = 1;
  for (int i = 0; i < nsq; ++i) S *= sq[i];
  for (int i = nsq; i < m - nsq; ++i) Q *= w.factor[i];
  for (int i = 0; i < m; ++i) largest = w.factor[i] > largest ? w.factor[i] : largest;
  if (largest > kFftMaxPoints || Q > kFftMaxPoints || S > kFftMaxPoints) return;

  // Passes: adjacent factors 2 paired into radix-4 passes, scanning from the end.
  int npass = 0;
  int tmp[kMaxFactors];
  for (int i = m - 1; i >= 0;) {
    if (w.factor[i] == 2 && i > 0 && w.factor[i - 1] == 2) {
      tmp[npass++] = 4;
      i -= 2;
    } else {
      tmp[npass++] = w.factor[i];
      i -= 1;
    }
  }
  for (int i = 0; i < npass; ++i) w.pass_radix[i] = tmp[npass - 1 - i];

  int span = n;
  for (int i = 0; i < npass; ++i) {
    pass(data, n, span, w.pass_radix[i]);
    span /= w.pass_radix[i];
  }

  // Square factors: positions L + S*(mid + Q*H) exchange with
  // rinv(H) + S*(mid + Q*rev(L)), rev the digit reversal over s1 .. sp.
  if (nsq > 0) {
    for (int L = 0; L < S; ++L) {
      int rest = L, rev = 0;
      for (int j = 0; j < nsq; ++j) {
        const int digit = rest % sq[j];
        rest /= sq[j];
        // the weight of digit j in the reversed form is s_{j+1} .. s_p
        int hw = 1;
        for (int t = j + 1; t < nsq; ++t) hw *= sq[t];
        rev += digit * hw;
      }
      w.perm[L] = rev;
      w.perm_inv[rev] = L;
    }
    for (int H = 0; H < S; ++H) {
      for (int mid = 0; mid < Q; ++mid) {
        for (int L = 0; L < S; ++L) {
          const int i1 = L + S * (mid + Q * H);
          const int i2 = w.perm_inv[H] + S * (mid + Q * w.perm[L]);
          if (i2 > i1) {
            const cfloat t = data[i1];
            data[i1] = data[i2];
            data[i2] = t;
          }
        }
      }
    }
  }

  // Square-free factors: block at middle index src(t) belongs at t, with
  // t = sum d_j * q1..q_{j-1} and src(t) = sum d_j * q_{j+1}..q_r.  The table
  // holds src + 1; visited entries are negated.
  const int r = m - 2 * nsq;
  if (r >= 2) {
    const int* q = &w.factor[nsq];
    for (int t = 0; t < Q; ++t) {
      int rest = t, src = 0;
      for (int j = 0; j < r; ++j) {
        const int digit = rest % q[j];
        rest /= q[j];
        int wgt = 1;
        for (int u = j + 1; u < r; ++u) wgt *= q[u];
        src += digit * wgt;
      }
      w.perm[t] = src + 1;
    }
    for (int H = 0; H < S; ++H) {
      cfloat* base = data + S * Q * H;
      for (int t0 = 0; t0 < Q; ++t0) {
        if (w.perm[t0] < 0 || w.perm[t0] - 1 == t0) continue;
        for (int e = 0; e < S; ++e) w.block[e] = base[S * t0 + e];
        int t = t0;
        for (;;) {
          const int src = w.perm[t] - 1;
          w.perm[t] = -w.perm[t];
          if (src == t0) {
            for (int e = 0; e < S; ++e) base[S * t + e] = w.block[e];
            break;
          }
          for (int e = 0; e < S; ++e) base[S * t + e] = base[S * src + e];
          t = src;
        }
      }
      for (int t = 0; t < Q; ++t) w.perm[t] = w.perm[t] < 0 ? -w.perm[t] : w.perm[t];
    }
  }
}

}  // namespace eng
