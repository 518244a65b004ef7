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
  // The plot-data records of each point, kept until the end of the loop,
  // when it is known which points have a response (see DriverData::plot_count):
  // pass 1's stiffness and damping records (omega and the eight terms each) of
  // the first plot_points points, and the frequency of each response row.
  float plot_stiffness[kMaxFrequencies][9] = {};
  float plot_damping[kMaxFrequencies][9] = {};
  float plot_response_omega[kMaxFrequencies] = {};
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

  // Point k (1-based) whose system of equations the last pass could not
  // solve has unsolved[k-1] = 1: it has no response (its amplitudes,
  // spectra or, for a transient load, every time history are not computed).
  int unsolved[kMaxFrequencies] = {};
  int n_unsolved = 0;  // how many points of the last pass

  // The plot-data file is written when the analysis ends: N (plot_count,
  // -1 while none is due), the records of driver_tables for plot_points
  // points and, for the harmonic load, the response rows of
  // plot_response_rows points.
  int plot_count = -1;
  int plot_points = 0;
  int plot_response_rows = 0;
};

}  // namespace eng
