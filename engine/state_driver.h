// Run-state tables of the analysis driver (part of eng::EngineState).
#pragma once

#include "kernels/complex_types.h"
#include "state_limits.h"

namespace eng {

// Places of the random-load spectrum curve tables: three groups of N values.
constexpr int kSpectrumTable = 1024;
constexpr int kMaxRandomCurvePoints = kSpectrumTable / 3;  // 341

// Large driver tables outside the reset record (eng::driver_tables, see
// state.h): zero at load, never cleared; an entry is read only after the same
// run wrote it (base_kept says which).
struct DriverTables {
  cfloat base_impedance[kMaxFrequencies][36] = {};
};

struct DriverData {
  // Cut-off circular frequencies of the layered profile (rad/s; 0 when not
  // applicable), set once before the frequency loop.
  float cutoff_shear = 0.0f;
  float cutoff_compression = 0.0f;
  // Mean pile radius of each layer, 0.5 * (radius in x + radius in y).
  float mean_radius[kMaxLayers] = {};

  int n_points = 0;        // N, frequency points of the loop
  int n_time_points = 0;   // P, transient time points
  float step = 0.0f;       // frequency step (harmonic, random)
  float omega[kMaxFrequencies] = {};  // frequencies of the last pass (rad/s)

  // Point k (1-based) has the foundation's own impedance (before side
  // layers) that pass 1 computed at base_omega[k-1] in
  // driver_tables.base_impedance[k-1] when base_kept[k-1] is 1; pass 2
  // reuses it.
  float base_omega[kMaxFrequencies] = {};
  int base_kept[kMaxFrequencies] = {};

  // Harmonic: |U1| ... |U6| of each point (values of pass 2).
  float amplitude[kMaxFrequencies][6] = {};
  // Transient: complex response of each point, completed to P points and
  // transformed back into time histories after the loop.
  cfloat transient[kMaxTimePoints][6] = {};
  // Random: response spectra S1 ... S6 of each point.
  float spectrum[kMaxFrequencies][6] = {};
  // Random: the spectrum curve tables (translation and rotation groups) and
  // their frequencies.
  float translation_curves[kSpectrumTable] = {};
  float rotation_curves[kSpectrumTable] = {};
  float curve_frequencies[kSpectrumTable] = {};
};

}  // namespace eng
