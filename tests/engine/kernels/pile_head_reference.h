// Extended-precision (long double) head impedance of a pile, for tests: the
// element equations of the pile head (bar in axial motion, bar in torsion,
// Timoshenko beam on distributed springs) and their chains, solved densely
// with partial pivoting, from the soil reactions per unit length given by the
// caller (for instance those of pile_soil_reference.h).  Nothing here shares
// code with the engine.
#pragma once

#include <algorithm>
#include <cmath>
#include <complex>
#include <utility>
#include <vector>

#include "pile_soil_reference.h"

namespace pile_ref {

// One element of the pile and the soil springs along it: the reactions of
// its layer (dimensionless, per unit length) and the layer's shear modulus.
struct HeadElement {
  real L, r, A, I, J;  // length, radius, area, moment of inertia, torsional constant
  real G;              // shear modulus of the layer
  cld Su, Sw, Srx, St;
};
// The body: unit weight, Poisson's ratio, Young's modulus, damping, gravity,
// coefficient of rigidity (shear flexibility kappa/(G A)) and axial
// compression.
struct HeadBody {
  real gamma, nu, E, D, grav, kappa = 0.0L, N = 0.0L;
};
// Springs of the soil below the tip (dimensional): vertical, torsional,
// horizontal and rocking; all 0 for a free tip.
struct TipSprings {
  cld vertical, torsion, horizontal, rocking;
};
// The six head terms H (stiffness Re H, damping Im H / omega).
struct HeadTermsL {
  cld vertical, torsion, lateral_held, rocking, coupling, lateral_free;
};

// x = A^-1 b for a dense complex system (Gaussian elimination with partial
// pivoting); b may hold several columns.
inline void dense_solve(std::vector<std::vector<cld>> a, std::vector<std::vector<cld>>& b) {
  const std::size_t n = a.size(), m = b.empty() ? 0 : b[0].size();
  for (std::size_t c = 0; c < n; ++c) {
    std::size_t p = c;
    for (std::size_t i = c + 1; i < n; ++i)
      if (std::abs(a[i][c]) > std::abs(a[p][c])) p = i;
    std::swap(a[c], a[p]);
    std::swap(b[c], b[p]);
    for (std::size_t i = c + 1; i < n; ++i) {
      const cld f = a[i][c] / a[c][c];
      for (std::size_t j = c; j < n; ++j) a[i][j] -= f * a[c][j];
      for (std::size_t k = 0; k < m; ++k) b[i][k] -= f * b[c][k];
    }
  }
  for (std::size_t i = n; i-- > 0;)
    for (std::size_t k = 0; k < m; ++k) {
      cld v = b[i][k];
      for (std::size_t j = i + 1; j < n; ++j) v -= a[i][j] * b[j][k];
      b[i][k] = v / a[i][i];
    }
}

// Head impedance at omega of the pile `el` (head first) on the tip springs
// `tip` (a free tip unless given).
inline HeadTermsL head_impedance(const std::vector<HeadElement>& el, const HeadBody& b, real omega,
                                 const TipSprings& tip = {}) {
  const std::size_t n = el.size();
  const cld loss(1.0L, b.D);
  const real Gp = b.E / (2.0L * (1.0L + b.nu)), w2 = omega * omega;
  // Bar terms (d, o) and bending terms (e0, e1, em, e2, e3, e4) per element.
  std::vector<cld> da(n), oa(n), dt(n), ot(n);
  std::vector<std::vector<cld>> e(n, std::vector<cld>(6));
  auto bar = [](cld k, cld EA, real L, cld& d, cld& o) {
    const cld kl = k * L;
    d = EA * k * std::cos(kl) / std::sin(kl);
    o = -EA * k / std::sin(kl);
  };
  for (std::size_t j = 0; j < n; ++j) {
    const HeadElement& h = el[j];
    const real m = b.gamma * h.A / b.grav, muJ = b.gamma * h.J / b.grav;
    const cld EA = b.E * h.A * loss, GJ = Gp * h.J * loss, EI = b.E * h.I * loss;
    bar(std::sqrt((w2 * m - h.G * h.Sw) / EA), EA, h.L, da[j], oa[j]);
    bar(std::sqrt((w2 * muJ - h.r * h.r * h.G * h.St) / GJ), GJ, h.L, dt[j], ot[j]);
    // Timoshenko beam with rotary inertia and axial compression N.
    const cld P = w2 * m - h.G * h.Su, R = w2 * m * h.I / h.A - h.r * h.r * h.G * h.Srx;
    const real L = h.L, s = b.kappa / (Gp * h.A), N = b.N;
    const cld W1 = 1.0L - s * (R - N);
    const real c1 = 1.0L + s * N;
    const cld X = L * L * ((R + N * c1) / EI + s * P), C = L * L * L * L * W1 * P / EI;
    const cld Q = std::sqrt(X * X + 4.0L * C);
    const cld l1 = std::sqrt((Q + X) / 2.0L), l2 = std::sqrt((Q - X) / 2.0L);
    const cld phi1 = (1.0L - s * EI * l2 * l2 / (L * L * W1)) * l1 / c1;
    const cld phi2 = (1.0L + s * EI * l1 * l1 / (L * L * W1)) * l2 / c1;
    const cld cs = std::cos(l1), sn = std::sin(l1), ch = std::cosh(l2), sh = std::sinh(l2);
    const cld l12 = l1 * l2 / W1;
    const cld delta = (sn * sh * (phi1 * phi1 - phi2 * phi2) + 2.0L * l12 * (cs * ch - 1.0L)) / loss;
    const real EIL = b.E * h.I / L;
    const cld F = EIL * (l1 * l1 + l2 * l2) / delta, Fg = F * l12;
    e[j][0] = -Fg * (cs * sh * phi2 + sn * ch * phi1);
    e[j][1] = EIL * l12 * (sn * sh * (phi1 * l2 + phi2 * l1) + (phi2 * l2 - phi1 * l1) * (cs * ch - 1.0L)) / delta;
    e[j][2] = Fg * (phi1 * sn + phi2 * sh);
    e[j][3] = -Fg * (ch - cs);
    e[j][4] = -F * (sn * ch * phi2 - cs * sh * phi1);
    e[j][5] = -F * (phi1 * sh - phi2 * sn);
  }
  auto bar_chain = [n](const std::vector<cld>& d, const std::vector<cld>& o, const cld& spring) {
    std::vector<std::vector<cld>> a(n, std::vector<cld>(n)), rhs(n, std::vector<cld>(1));
    a[0][0] = d[0];
    rhs[0][0] = o[0];
    for (std::size_t k = 1; k < n; ++k) {
      a[k - 1][k - 1] += d[k];
      a[k - 1][k] += o[k];
      a[k][k - 1] += o[k];
      a[k][k] += d[k];
    }
    a[n - 1][n - 1] += spring;
    dense_solve(a, rhs);
    return d[0] - o[0] * rhs[0][0];
  };
  HeadTermsL out;
  out.vertical = bar_chain(da, oa, tip.vertical);
  out.torsion = bar_chain(dt, ot, tip.torsion);
  // Bending chain: unknowns v_k, theta_k of nodes 1 .. n.
  const std::size_t n2 = 2 * n;
  std::vector<std::vector<cld>> a(n2, std::vector<cld>(n2)), rhs(n2, std::vector<cld>(2));
  auto km = [&](std::size_t j, int p, int q) {  // element matrix (v_top, theta_top, v_bottom, theta_bottom)
    const std::vector<cld>& t = e[j];
    const real L = el[j].L, L2 = L * L;
    const cld m[4][4] = {{t[0] / L2, t[1] / L, t[2] / L2, -t[3] / L},
                         {t[1] / L, t[4], t[3] / L, t[5]},
                         {t[2] / L2, t[3] / L, t[0] / L2, -t[1] / L},
                         {-t[3] / L, t[5], -t[1] / L, t[4]}};
    return m[p][q];
  };
  for (std::size_t j = 0; j < n; ++j) {
    // Element j joins node j (top; the head for j = 0) and node j + 1.
    for (int p = 0; p < 4; ++p)
      for (int q = 0; q < 4; ++q) {
        const long row = 2 * static_cast<long>(j) - 2 + p, col = 2 * static_cast<long>(j) - 2 + q;
        if (row < 0) continue;  // the head's own equations are not solved
        if (col < 0)
          rhs[row][col + 2] += km(j, p, q);  // a unit head displacement (col -2) or rotation (col -1)
        else
          a[row][col] += km(j, p, q);
      }
  }
  a[n2 - 2][n2 - 2] += tip.horizontal;
  a[n2 - 1][n2 - 1] += tip.rocking;
  dense_solve(a, rhs);
  // Node 1 motion for head cases 1 (v0 = 1) and 2 (theta0 = 1): -x.
  auto head_force = [&](cld v0, cld t0, cld v1, cld t1, cld& S, cld& M) {
    const std::vector<cld>& t = e[0];
    const real L = el[0].L;
    S = (t[0] * v0 + t[2] * v1) / (L * L) + (t[1] * t0 - t[3] * t1) / L;
    M = t[4] * t0 + t[5] * t1 + (t[1] * v0 + t[3] * v1) / L;
  };
  cld S1, M1, S2, M2, S3, M3;
  head_force(1.0L, 0.0L, -rhs[0][0], -rhs[1][0], S1, M1);
  head_force(0.0L, 1.0L, -rhs[0][1], -rhs[1][1], S2, M2);
  const cld beta = -S2 / M2;
  head_force(1.0L, beta, -rhs[0][0] - beta * rhs[0][1], -rhs[1][0] - beta * rhs[1][1], S3, M3);
  out.lateral_held = S1;
  out.coupling = M1;
  out.rocking = M2;
  out.lateral_free = S3;
  return out;
}

}  // namespace pile_ref
