// Pile groups: SETUP_PILE_GROUP and PILE_GROUP_IMPEDANCE.
#include "pile_group.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "batter.h"
#include "state.h"

namespace eng {

namespace {

// Young's modulus 2(1 + nu)(gamma/g)Vs^2 of a soil.
inline float soil_modulus(float vs, float gamma, float nu, float grav) {
  return 2.0f * (1.0f + nu) * (gamma / grav) * vs * vs;
}

inline int pile_count() { return std::clamp(g.run.n_piles, 0, kMaxPiles); }

// A pile enters with its rotated impedance when the batter option is on and
// its axis has a non-zero angle with the vertical.  A pile that BATT left
// without angles (all nine zero) counts as vertical.
inline bool is_battered(int i) {
  return g.run.battered == 1 && g.foundation.direction_angles[i - 1][8] != 0.0f;
}

// Order-6 inverse of a 6 x 6 impedance.
void invert6(const cfloat* K, cfloat* F) {
  std::copy(K, K + 36, F);
  const int ld = 6;
  INVERT_COMPLEX_MATRIX(F, ld, ld);
}

// Sums of the lateral problem in one plane, the names those of the x problem.
struct LateralSums {
  cfloat S{};     // sum K(tt)                 (Sx  / Sy)
  cfloat Sw{};    // sum w(i) K(tt)            (Syx / Sxy2)
  cfloat Sww{};   // sum w(j) w(i) K(tt)       (Syyx / Sxxy)
  cfloat Sr{};    // sum K(tr)                 (Sxr / Syr)
  cfloat Swr{};   // sum w(i) K(tr)            (Syxr / Sxyr)
  cfloat Srr{};   // sum K(rr)                 (Sr5 / Sr4)
};

// Which terms one lateral problem reads.
struct LateralPlane {
  int ft, ftr, frr;        // record entries: translation, coupling, rotation
  int Ft_r, Ft_c;          // single-pile flexibility entries (1-based)
  int Ftr_r, Ftr_c;
  int Frt_r, Frt_c;
  int Frr_r, Frr_c;
  bool upper_angle;        // pair angle from row i, column j (true) or row j, column i
  const float* weight;     // coordinate that weights the sums
};

// Frequency-dependent or static lateral pair factors.
void lateral_pair(int i, int j, bool upper_angle, float omega, float a0, cfloat& cH,
                  cfloat& cM, cfloat& cR) {
  const PileGroupData& p = g.piles;
  const float beta = upper_angle ? p.angle(i, j) : p.angle(j, i);
  const float A1 = p.lateral1(i, j), A2 = p.lateral2(i, j), A3 = p.lateral3(i, j);
  const float B1 = p.lateral1(j, i), B2 = p.lateral2(j, i), B3 = p.lateral3(j, i);
  if (omega <= 10.0f) {
    const float c2 = std::cos(beta) * std::cos(beta);
    const float s2 = std::sin(beta) * std::sin(beta);
    cH = c2 * A1 + s2 * B1;
    cM = c2 * A2 + s2 * B2;
    cR = c2 * A3 + s2 * B3;
  } else {
    // The factors of the frequency, filled by pair_factors_at_frequency.
    (void)a0;
    const PileGroupData::PairFactors& e = p.pair_factors[pair_index(i, j, pile_count())];
    cH = upper_angle ? e.xh : e.yh;
    cM = upper_angle ? e.xm : e.ym;
    cR = upper_angle ? e.xr : e.yr;
  }
}

// Rows of pairs (i, i+1 .. n) for the members of a team, each row whole to
// one member, taken in turn as members come free.
struct PairRows {
  const PairFactorFrequency* f;
  int n;
  std::atomic<int> next{1};
};

void pair_rows(void* ctx, int /*member*/, int /*count*/) {
  PairRows& w = *static_cast<PairRows*>(ctx);
  PileGroupData& p = g.piles;
  for (;;) {
    const int i = w.next.fetch_add(1, std::memory_order_relaxed);
    if (i >= w.n) break;
    for (int j = i + 1; j <= w.n; ++j) {
      PileGroupData::PairFactors& e = p.pair_factors[pair_index(i, j, w.n)];
      const float s = p.spacing(j, i);
      VERTICAL_PAIR_FACTOR(*w.f, s, p.spacing(i, j), e.vertical);
      cfloat terms[6];
      LATERAL_PAIR_TERMS(*w.f, s, p.lateral1(i, j), p.lateral2(i, j), p.lateral3(i, j), p.lateral1(j, i),
                         p.lateral2(j, i), p.lateral3(j, i), terms);
      LATERAL_PLANE_FACTORS(terms, p.angle(i, j), e.xh, e.xm, e.xr);
      LATERAL_PLANE_FACTORS(terms, p.angle(j, i), e.yh, e.ym, e.yr);
    }
  }
}

// Pairs a member of the team should have at least.
constexpr int kPairsPerMember = 5000;

// The frequency-dependent factors of every pair at a0 (omega above
// 10 rad/s): what depends on a0 alone once, the lateral terms of a pair once
// for both problems; shared by threads for large groups (every pair's values
// are the same whoever computes them).
void pair_factors_at_frequency(float a0, int n) {
  PairFactorFrequency f;
  PAIR_FACTOR_FREQUENCY(a0, f);
  PairRows rows;
  rows.f = &f;
  rows.n = n;
  const int pairs = n * (n - 1) / 2;
  const int threads = pairs < 2 * kPairsPerMember ? 1 : std::min(inversion_thread_count(), pairs / kPairsPerMember);
  run_on_team(threads, pair_rows, &rows);
}

LateralSums lateral_problem(const LateralPlane& pl, const cfloat* F, int N, bool fixed,
                            float omega, float a0) {
  PileGroupData& p = g.piles;
  cfloat* G = p.group;
  constexpr int ld = kMaxGroupOrder;
  const cfloat Ft = at(F, 6, pl.Ft_r, pl.Ft_c);
  const cfloat Ftr = at(F, 6, pl.Ftr_r, pl.Ftr_c);
  const cfloat Frt = at(F, 6, pl.Frt_r, pl.Frt_c);
  const cfloat Frr = at(F, 6, pl.Frr_r, pl.Frr_c);
  const float* w = pl.weight;
  LateralSums S;

  if (!fixed) {
    for (int i = 1; i <= N; ++i) at(G, ld, i, i) = p.flexibility[i - 1][pl.ft];
    for (int i = 1; i <= N; ++i) {
      for (int j = i + 1; j <= N; ++j) {
        cfloat cH, cM, cR;
        lateral_pair(i, j, pl.upper_angle, omega, a0, cH, cM, cR);
        at(G, ld, i, j) = cH * Ft;
        at(G, ld, j, i) = at(G, ld, i, j);
      }
    }
    INVERT_COMPLEX_MATRIX(G, ld, N);
    for (int j = 1; j <= N; ++j) {
      for (int i = 1; i <= N; ++i) {
        const cfloat K = at(G, ld, i, j);
        S.S += K;
        S.Sw += w[i - 1] * K;
        S.Sww += (w[j - 1] * w[i - 1]) * K;
      }
    }
    return S;
  }

  // Fixed heads: translation 2i-1 and rotation 2i of pile i.
  const int n2 = 2 * N;
  for (int i = 1; i <= N; ++i) {
    const cfloat* rec = p.flexibility[i - 1];
    at(G, ld, 2 * i - 1, 2 * i - 1) = rec[pl.ft];
    at(G, ld, 2 * i - 1, 2 * i) = rec[pl.ftr];
    at(G, ld, 2 * i, 2 * i) = rec[pl.frr];
    for (int j = i + 1; j <= N; ++j) {
      cfloat cH, cM, cR;
      lateral_pair(i, j, pl.upper_angle, omega, a0, cH, cM, cR);
      at(G, ld, 2 * i - 1, 2 * j - 1) = cH * Ft;
      at(G, ld, 2 * i - 1, 2 * j) = cM * Ftr;
      at(G, ld, 2 * i, 2 * j - 1) = cM * Frt;
      at(G, ld, 2 * i, 2 * j) = cR * Frr;
    }
  }
  for (int c = 1; c <= n2; ++c) {
    for (int r = 1; r < c; ++r) at(G, ld, c, r) = at(G, ld, r, c);
  }
  INVERT_COMPLEX_MATRIX(G, ld, n2);
  for (int j = 1; j <= N; ++j) {
    for (int i = 1; i <= N; ++i) {
      const cfloat Ktt = at(G, ld, 2 * i - 1, 2 * j - 1);
      const cfloat Ktr = at(G, ld, 2 * i - 1, 2 * j);
      S.S += Ktt;
      S.Sw += w[i - 1] * Ktt;
      S.Sww += (w[j - 1] * w[i - 1]) * Ktt;
      S.Sr += Ktr;
      S.Swr += w[i - 1] * Ktr;
      S.Srr += at(G, ld, 2 * i, 2 * j);
    }
  }
  return S;
}

}  // namespace

void SETUP_PILE_GROUP() {
  const float pi = std::acos(-1.0f);
  const FoundationData& f = g.foundation;
  const SoilData& soil = g.soil;
  PileGroupData& p = g.piles;
  const int N = pile_count();
  const int n = std::clamp(g.run.n_layers, 0, kMaxLayers);
  const float grav = g.run.gravity;
  const float L = f.pile_length;

  for (int i = 0; i < N; ++i) {
    p.work_x[i] = f.pile_x[i];
    p.work_y[i] = f.pile_y[i];
  }
  // A battered pile enters the pair geometry one third of its length down.
  if (g.run.battered != 0) {
    for (int i = 0; i < N; ++i) {
      const float* a = f.direction_angles[i];
      if (a[8] != 0.0f) {
        p.work_x[i] += std::tan(pi * a[0] / 180.0f) * L / 3.0f;
        p.work_y[i] += std::tan(pi * a[4] / 180.0f) * L / 3.0f;
      }
    }
  }

  const float* rm = g.driver.mean_radius;
  const float d = 2.0f * rm[0];
  const float LD = L / d;
  const float hd = soil.layer.velocity[0] == 0.0f ? f.layer_depth[0] / d : 0.0f;

  const float Eb = soil_modulus(soil.below.velocity, soil.below.unit_weight,
                                soil.below.poisson, grav);
  float sum_z = 0.0f, sum_zE = 0.0f, sum_znu = 0.0f;
  for (int k = 0; k < n; ++k) {
    const float z = f.layer_depth[k];
    sum_z += z;
    sum_zE += z * soil_modulus(soil.layer.velocity[k], soil.layer.unit_weight[k],
                               soil.layer.poisson[k], grav);
    sum_znu += z * soil.layer.poisson[k];
  }
  const float Ebar = sum_zE / sum_z;
  const float nubar = sum_znu / sum_z;
  const int last = std::max(n, 1) - 1;
  const float En = soil_modulus(soil.reference_velocity, soil.layer.unit_weight[last],
                                soil.layer.poisson[last], grav);

  float Kv = 1.0e8f, EbEs = 1.0e8f, Kh = 1.0e8f;
  if (Ebar != 0.0f) {
    Kv = f.youngs_modulus * f.section_area[0] / (Ebar * pi * d * d / 4.0f);
    EbEs = Eb / Ebar;
  }
  if (En != 0.0f) {
    Kh = f.youngs_modulus * (f.inertia_x[0] + f.inertia_y[0]) / 2.0f /
         (En * pi * d * d * d * d / 64.0f);
  }
  const float taper = rm[last] / rm[0];

  const float angle0 = 0.0f;
  const float angle90 = pi / 2.0f;
  for (int i = 1; i <= N; ++i) {
    for (int j = i + 1; j <= N; ++j) {
      const float dx = std::fabs(p.work_x[j - 1] - p.work_x[i - 1]);
      const float dy = std::fabs(p.work_y[j - 1] - p.work_y[i - 1]);
      const float s = std::sqrt(dx * dx + dy * dy) / d;
      p.angle(i, j) = dx == 0.0f ? pi / 2.0f : std::atan(dy / dx);
      p.angle(j, i) = dy == 0.0f ? pi / 2.0f : std::atan(dx / dy);
      float alpha;
      STATIC_INTERACTION_FACTORS(alpha, s, LD, Kv, EbEs, nubar, taper);
      p.spacing(i, j) = alpha;
      p.spacing(j, i) = s;
      LATERAL_INTERACTION_FACTORS(s, Kh, angle0, hd, p.lateral1(i, j), p.lateral2(i, j),
                                  p.lateral3(i, j));
      LATERAL_INTERACTION_FACTORS(s, Kh, angle90, hd, p.lateral1(j, i), p.lateral2(j, i),
                                  p.lateral3(j, i));
    }
  }
}

void PILE_GROUP_IMPEDANCE(const cfloat* Kp, cfloat* Kc, const float& omega) {
  const int N = pile_count();
  const bool fixed = g.run.head_fixity != 0;
  const float* x = g.foundation.pile_x;
  const float* y = g.foundation.pile_y;
  const float h = g.foundation.zc;
  const float Vsn = g.soil.reference_velocity;

  cfloat Szz{}, Sxz{}, Syz{}, Sxy{}, Sxx{}, Syy{}, St{};
  LateralSums X, Y;  // lateral sums of the x and the y problem

  const bool interaction = g.run.interaction != 0 && N != 1 && Vsn != 0.0f;
  if (interaction) {
    PileGroupData& p = g.piles;
    cfloat F[36];
    invert6(Kp, F);
    for (int i = 1; i <= N; ++i) {
      const cfloat* Fi = F;
      cfloat Kb[36], Fb[36];
      if (is_battered(i)) {
        ROTATE_BATTER_STIFFNESS(Kp, i, Kb);
        invert6(Kb, Fb);
        Fi = Fb;
        St += at(Kb, 6, 6, 6);
      } else {
        St += at(Kp, 6, 6, 6);
      }
      cfloat* rec = p.flexibility[i - 1];
      for (int k = 1; k <= 6; ++k) rec[k - 1] = at(Fi, 6, k, k);
      rec[6] = at(Fi, 6, 1, 5);
      rec[7] = at(Fi, 6, 2, 4);
    }

    const float a0 = omega * 2.0f * g.driver.mean_radius[0] / Vsn;

    if (omega > 10.0f) pair_factors_at_frequency(a0, N);

    // Vertical problem.
    cfloat* G = p.group;
    constexpr int ld = kMaxGroupOrder;
    const cfloat F33 = at(F, 6, 3, 3);
    for (int i = 1; i <= N; ++i) at(G, ld, i, i) = p.flexibility[i - 1][2];
    for (int i = 1; i <= N; ++i) {
      for (int j = i + 1; j <= N; ++j) {
        const float alpha = p.spacing(i, j);
        cfloat c(alpha, 0.0f);
        if (omega > 10.0f) c = p.pair_factors[pair_index(i, j, N)].vertical;
        at(G, ld, i, j) = c * F33;
        at(G, ld, j, i) = at(G, ld, i, j);
      }
    }
    INVERT_COMPLEX_MATRIX(G, ld, N);
    for (int j = 1; j <= N; ++j) {
      for (int i = 1; i <= N; ++i) {
        const cfloat K = at(G, ld, i, j);
        Szz += K;
        Sxz += x[i - 1] * K;
        Syz += y[i - 1] * K;
        Sxy += (x[j - 1] * y[i - 1]) * K;
        Sxx += (x[j - 1] * x[i - 1]) * K;
        Syy += (y[j - 1] * y[i - 1]) * K;
      }
    }

    // Lateral problems in x (rotation about y) and in y (rotation about x).
    const LateralPlane px{0, 6, 4, 1, 1, 1, 5, 5, 1, 5, 5, true, y};
    const LateralPlane py{1, 7, 3, 2, 2, 2, 4, 4, 2, 4, 4, false, x};
    X = lateral_problem(px, F, N, fixed, omega, a0);
    Y = lateral_problem(py, F, N, fixed, omega, a0);
  } else {
    for (int i = 1; i <= N; ++i) {
      cfloat Kb[36];
      const cfloat* k = Kp;
      if (is_battered(i)) {
        ROTATE_BATTER_STIFFNESS(Kp, i, Kb);
        k = Kb;
      }
      const float X0 = x[i - 1];
      const float Y0 = y[i - 1];
      const cfloat k11 = at(k, 6, 1, 1), k15 = at(k, 6, 1, 5), k55 = at(k, 6, 5, 5);
      const cfloat k22 = at(k, 6, 2, 2), k24 = at(k, 6, 2, 4), k44 = at(k, 6, 4, 4);
      const cfloat k33 = at(k, 6, 3, 3);
      X.S += k11;
      X.Sw += Y0 * k11;
      X.Sww += (Y0 * Y0) * k11;
      X.Sr += k15;
      X.Swr += Y0 * k15;
      X.Srr += k55;
      Y.S += k22;
      Y.Sw += X0 * k22;
      Y.Sww += (X0 * X0) * k22;
      Y.Sr += k24;
      Y.Swr += X0 * k24;
      Y.Srr += k44;
      Szz += k33;
      Sxz += X0 * k33;
      Syz += Y0 * k33;
      Sxy += (X0 * Y0) * k33;
      Sxx += (X0 * X0) * k33;
      Syy += (Y0 * Y0) * k33;
      St += at(k, 6, 6, 6);
    }
  }

  // Cap impedance at the centre of gravity.
  for (int k = 0; k < 36; ++k) Kc[k] = cfloat(0.0f, 0.0f);
  const cfloat& Sx = X.S;
  const cfloat& Syx = X.Sw;
  const cfloat& Syyx = X.Sww;
  const cfloat& Sxr = X.Sr;
  const cfloat& Syxr = X.Swr;
  const cfloat& Sr5 = X.Srr;
  const cfloat& Sy = Y.S;
  const cfloat& Sxy2 = Y.Sw;
  const cfloat& Sxxy = Y.Sww;
  const cfloat& Syr = Y.Sr;
  const cfloat& Sxyr = Y.Swr;
  const cfloat& Sr4 = Y.Srr;
  at(Kc, 6, 1, 1) = Sx;
  at(Kc, 6, 1, 5) = Sxr - h * Sx;
  at(Kc, 6, 1, 6) = Syx;
  at(Kc, 6, 2, 2) = Sy;
  at(Kc, 6, 2, 4) = Syr + h * Sy;
  at(Kc, 6, 2, 6) = -Sxy2;
  at(Kc, 6, 3, 3) = Szz;
  at(Kc, 6, 3, 4) = -Syz;
  at(Kc, 6, 3, 5) = Sxz;
  at(Kc, 6, 4, 4) = 2.0f * h * Syr + h * h * Sy + Sr4 + Syy;
  at(Kc, 6, 4, 5) = -Sxy;
  at(Kc, 6, 4, 6) = -h * Sxy2 - Sxyr;
  at(Kc, 6, 5, 5) = h * h * Sx + Sr5 + Sxx - 2.0f * h * Sxr;
  at(Kc, 6, 5, 6) = -h * Syx + Syxr;
  at(Kc, 6, 6, 6) = Sxxy + Syyx + St;
  for (int c = 1; c <= 6; ++c) {
    for (int r = 1; r < c; ++r) at(Kc, 6, c, r) = at(Kc, 6, r, c);
  }
}

}  // namespace eng
