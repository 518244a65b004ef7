// Run-state tables of the load block (part of eng::EngineState, reset at each run).
//
// Filled by READ_LOAD and READ_LOAD_CONSTANTS (read_load.cpp); read by the
// analysis driver and the transient and random response.
//
// Codes kept in eng::RunState: g.run.load_type (1 TRAN, 2 RAND, 3 HARM) and
// g.run.harmonic_form (1 non-quadratic, 2 quadratic).
//
// Degree-of-freedom codes (load codes, spectrum locations): 1 force in X,
// 2 force in Y, 3 force in Z, 4 moment about X, 5 about Y, 6 about Z; code c
// is entry [c - 1] of a six-value row.  Point k of a table (1-based) is entry
// [k - 1].  A 6 x 6 matrix per point is stored by columns: element (a, b) is
// [(b - 1) * 6 + (a - 1)], as eng::at(m, 6, a, b) reaches it.
#pragma once

#include "kernels/complex_types.h"
#include "state_limits.h"

namespace eng {

struct LoadData {
  // --- Frequency range of the harmonic and random loads (rad/s).  The step
  // is read for a harmonic load and computed for a random one.
  float max_frequency = 0.0f;
  float min_frequency = 0.0f;
  float frequency_step = 0.0f;

  // --- Harmonic load: Fx, Fy, Fz and the moments Mx, My, Mz about the centre
  // of gravity (the point of application already moved there).  For the
  // quadratic form these are coefficients that the driver scales with the
  // square of the frequency.
  float harmonic[6] = {0, 0, 0, 0, 0, 0};

  // --- Random load.
  float random_points = 0.0f;       // number of points p, as read
  float observation_period = 0.0f;  // T
  float n_spectra = 0.0f;           // as read
  // The two location codes of each spectrum.
  int spectrum_location[kMaxSpectra][2] = {};
  // Amplitudes as read, by ordered code pair: A(a, b) of point k.
  float random_amplitude[kMaxRandomPoints][36] = {};
  // Load spectral matrix of point k, real and symmetric: S(l, l) = A(l, l);
  // a spectrum given for two different codes fills S(l1, l2) and S(l2, l1)
  // with A(l1, l2) (the spectrum read last wins when both orders are given).
  cfloat spectral_matrix[kMaxRandomPoints][36] = {};

  // --- Transient load.
  float time_points = 0.0f;    // number of points p, as read (its nearest integer N <= kMaxTimePoints)
  float time_step = 0.0f;      // dt
  float n_loads = 0.0f;        // as read
  float half_points_plus_two = 0.0f;  // p * 0.5 + 2.0, kept for the driver
  // Load code of each load record, and its N amplitudes as read.
  int load_code[kMaxTransientLoads] = {};
  float load_amplitude[kMaxTransientLoads][kMaxTimePoints] = {};
  // Load spectra: F(c) of point k, the conjugated transform of the record of
  // code c divided by p; a later record with the same code replaces it.
  cfloat load_spectrum[kMaxTimePoints][6] = {};
};

}  // namespace eng
