// PILE and MULT impedance in the frequency loop: three head-impedance calls
// per frequency build the single-pile (or shaft) matrix at the head; a pile
// foundation then becomes the cap matrix of its group.
#include <cmath>
#include <cstring>

#include "analysis.h"
#include "kernels/pile_head.h"
#include "pile_group.h"
#include "state.h"

namespace eng {

namespace {

inline cfloat& m6(cfloat* a, int i, int j) { return at(a, 6, i, j); }

// The six head terms of one call, each stiffness + i * omega * damping.
struct HeadTerms {
  cfloat vertical, torsion, lateral_held, rocking, coupling, lateral_free;
};

HeadTerms head_terms(float omega, const float* radius, const float* inertia) {
  const RunState& r = g.run;
  const FoundationData& f = g.foundation;
  const SoilData& s = g.soil;
  const DriverData& d = g.driver;
  const bool mult = r.foundation_type == 4;
  const int profile = mult ? -1 : (r.soil_profile == 2 ? 0 : 1);
  const int n = r.n_layers;
  const int c = mult ? ROUND_NEAREST(s.n_adjacent) : 0;
  float kv, kt, kh, kr, kc, khf, cv, ct, ch, cr, cc, chf;
  PILE_HEAD_IMPEDANCE(profile, f.pile_unit_weight, f.pile_poisson, r.gravity, f.rigidity, f.youngs_modulus,
                      f.static_load, n, c, s.shear_modulus_ratio, f.layer_depth, s.layer.velocity,
                      s.layer.unit_weight, s.layer.poisson, s.layer.damping, radius, f.section_area, inertia,
                      f.torsional_stiffness, s.below.velocity, s.below.unit_weight, s.below.poisson,
                      s.below.damping, omega, kv, kt, kh, kr, kc, khf, cv, ct, ch, cr, cc, chf,
                      s.layer.weak_shear_ratio, s.layer.weak_poisson, s.layer.weak_damping,
                      s.layer.weak_thickness, f.pile_damping, s.damping_ratio, d.cutoff_shear,
                      d.cutoff_compression);
  auto term = [omega](float a, float b) { return cfloat(a, omega * b); };
  return {term(kv, cv), term(kt, ct), term(kh, ch), term(kr, cr), term(kc, cc), term(khf, chf)};
}

// Whether two per-element tables hold the same bits in every entry.
bool same_table(const float* a, const float* b) { return std::memcmp(a, b, kMaxLayers * sizeof(float)) == 0; }

}  // namespace

bool pile_impedance(float omega, cfloat* k0, cfloat* k) {
  const RunState& r = g.run;
  const FoundationData& f = g.foundation;
  // The head impedance is a function of its inputs alone, and for a section
  // that is the same in x and y (the usual pile) the three calls have the
  // same inputs: a call whose radius and inertia tables match an earlier
  // one's bit for bit takes that one's terms.
  const float* rm = g.driver.mean_radius;
  const HeadTerms axial = head_terms(omega, rm, f.inertia_x);
  const HeadTerms xz = same_table(f.radius_x, rm) ? axial : head_terms(omega, f.radius_x, f.inertia_x);
  const bool y_as_x = same_table(f.radius_y, f.radius_x) && same_table(f.inertia_y, f.inertia_x);
  const bool y_as_axial = same_table(f.radius_y, rm) && same_table(f.inertia_y, f.inertia_x);
  const HeadTerms yz = y_as_x ? xz : y_as_axial ? axial : head_terms(omega, f.radius_y, f.inertia_y);

  for (int i = 0; i < 36; ++i) k0[i] = cfloat(0.0f, 0.0f);
  m6(k0, 3, 3) = axial.vertical;
  m6(k0, 6, 6) = axial.torsion;
  const bool group_with_interaction = r.foundation_type == 1 && r.n_piles > 1 && r.interaction == 1;
  const bool fixed = r.foundation_type == 4 || r.head_fixity == 1;
  if (fixed || group_with_interaction) {
    m6(k0, 1, 1) = xz.lateral_held;
    m6(k0, 2, 2) = yz.lateral_held;
    m6(k0, 5, 5) = xz.rocking;
    m6(k0, 1, 5) = xz.coupling;
    m6(k0, 5, 1) = xz.coupling;
    m6(k0, 4, 4) = yz.rocking;
    m6(k0, 2, 4) = -yz.coupling;
    m6(k0, 4, 2) = -yz.coupling;
  } else {
    m6(k0, 1, 1) = xz.lateral_free;
    m6(k0, 2, 2) = yz.lateral_free;
  }
  if (r.foundation_type == 1) PILE_GROUP_IMPEDANCE(k0, k, omega);
  return true;
}

void pile_group_setup() { SETUP_PILE_GROUP(); }

}  // namespace eng
