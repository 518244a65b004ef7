// The impedance of each foundation type at one frequency, as the driver's
// frequency loop assembles it from the kernels.
#include <cmath>

#include "analysis.h"
#include "batter.h"
#include "kernels/footing.h"
#include "kernels/pile_soil.h"
#include "state.h"

namespace eng {

namespace {

inline cfloat& m6(cfloat* a, int i, int j) { return at(a, 6, i, j); }

float shear_modulus(float vs, float gamma) { return vs * vs * gamma / g.run.gravity; }

}  // namespace

void half_space_base_impedance(float omega, cfloat* k0) {
  const FoundationData& f = g.foundation;
  const SoilProperties& s = g.soil.below;
  const float gm = shear_modulus(s.velocity, s.unit_weight);
  const float r0 = f.r_translation;
  const float a0 = r0 * omega / s.velocity;
  cfloat kh, kv, krx, kry, kt;
  FOOTING_IMPEDANCE(a0, s.poisson, s.damping, r0, f.r_rock_x, f.r_rock_y, f.r_torsion, kh, kv, krx, kry, kt);
  m6(k0, 1, 1) = gm * r0 * kh;
  m6(k0, 2, 2) = gm * r0 * kh;
  m6(k0, 3, 3) = gm * r0 * kv;
  m6(k0, 4, 4) = gm * f.r_rock_x * f.r_rock_x * f.r_rock_x * krx;
  m6(k0, 5, 5) = gm * f.r_rock_y * f.r_rock_y * f.r_rock_y * kry;
  m6(k0, 6, 6) = gm * f.r_torsion * f.r_torsion * f.r_torsion * kt;
}

void stratum_base_impedance(float omega, cfloat* k0) {
  const FoundationData& f = g.foundation;
  const SoilProperties& s = g.soil.stratum;
  cfloat khh, kvv, khx, khy, kxx, kyy, ktt;
  STRATUM_IMPEDANCE(omega, f.embedment, f.stratum_depth, s.poisson, s.damping, s.unit_weight, s.velocity,
                    f.rs_horizontal, f.rs_vertical, f.rs_rock_x, f.rs_rock_y, f.rs_torsion, khh, kvv, khx,
                    khy, kxx, kyy, ktt, g.run.gravity);
  m6(k0, 1, 1) = khh;
  m6(k0, 2, 2) = khh;
  m6(k0, 3, 3) = kvv;
  m6(k0, 4, 4) = kxx;
  m6(k0, 5, 5) = kyy;
  m6(k0, 6, 6) = ktt;
  m6(k0, 2, 4) = khx;
  m6(k0, 4, 2) = khx;
  m6(k0, 1, 5) = khy;
  m6(k0, 5, 1) = khy;
}

void layer_cutoff_frequencies() {
  const RunState& r = g.run;
  const float n_layers = static_cast<float>(r.n_layers);
  const float n_side = static_cast<float>(r.n_side_layers);
  const int stride = 1;
  LAYER_CUTOFF_FREQUENCIES(r.pile_tip, n_layers, g.foundation.layer_depth, g.soil.layer.velocity,
                           g.soil.layer.poisson, stride, n_side, g.soil.side_thickness, g.soil.side.velocity,
                           g.soil.side.poisson, stride, g.soil.below.velocity, g.driver.cutoff_shear,
                           g.driver.cutoff_compression);
}

void add_side_layers(float omega, int n_side, cfloat* k) {
  const RunState& r = g.run;
  const FoundationData& f = g.foundation;
  const DriverData& d = g.driver;
  const SoilLayerTable& side = g.soil.side;
  // Flags for the kernel, set once per frequency: a pile cap's side layers
  // below a cut-off of the profile are all below it.
  const bool pile = r.foundation_type == 1;
  const int hflag = pile && omega <= d.cutoff_shear ? 1 : 0;
  const int vflag = pile && omega <= d.cutoff_compression ? 1 : 0;
  float ts[36] = {};
  for (int i = 1; i <= 6; ++i) at(ts, 6, i, i) = 1.0f;
  at(ts, 6, 1, 6) = f.yc;
  at(ts, 6, 2, 6) = -f.xc;
  at(ts, 6, 3, 4) = -f.yc;
  at(ts, 6, 3, 5) = f.xc;

  // The rows run from the ground surface down, the last one against the
  // base; the levers are heights above the base, so each layer is placed by
  // the thickness of the layers below it.
  const int n = n_side < kMaxLayers ? n_side : kMaxLayers;
  for (int i = 0; i < n; ++i) {
    const float h = g.soil.side_thickness[i];
    float z_low = 0.0f;  // the height of the layer's lower face above the base
    for (int j = n - 1; j > i; --j) z_low += g.soil.side_thickness[j];
    const float z_mid = z_low + h / 2.0f;
    const float vs = side.velocity[i];
    const float gm = shear_modulus(vs, side.unit_weight[i]);
    const float a0 = vs == 0.0f ? 0.0f : f.r_translation * omega / vs;
    cfloat su, sw, srx, sry, st;
    PILE_SOIL_IMPEDANCE(a0, side.poisson[i], side.damping[i], side.weak_shear_ratio[i], side.weak_poisson[i],
                        side.weak_damping[i], side.weak_thickness[i], f.r_translation, f.r_rock_x, f.r_rock_y,
                        f.r_torsion, su, sw, srx, sry, st, hflag, vflag);
    cfloat ms[36] = {};
    m6(ms, 1, 1) = gm * h * su;
    m6(ms, 2, 2) = gm * h * su;
    m6(ms, 3, 3) = gm * h * sw;
    m6(ms, 4, 4) = f.r_rock_x * f.r_rock_x * gm * h * srx;
    m6(ms, 5, 5) = f.r_rock_y * f.r_rock_y * gm * h * sry;
    m6(ms, 6, 6) = f.r_torsion * f.r_torsion * gm * h * st;
    at(ts, 6, 1, 5) = z_mid - f.zc;
    at(ts, 6, 2, 4) = f.zc - z_mid;
    cfloat rs[36];
    TRANSFORM_6X6(ms, ts, rs, 6);
    // Rocking terms with the square of the lever arm averaged over the layer.
    const float lever = f.zc - z_low;
    const float iz = h * h / 3.0f + lever * lever - lever * h;
    m6(rs, 4, 4) = m6(ms, 4, 4) + iz * m6(ms, 2, 2) + f.yc * f.yc * m6(ms, 3, 3);
    m6(rs, 5, 5) = m6(ms, 5, 5) + iz * m6(ms, 1, 1) + f.xc * f.xc * m6(ms, 3, 3);
    for (int e = 0; e < 36; ++e) k[e] += rs[e];
  }
}

}  // namespace eng
