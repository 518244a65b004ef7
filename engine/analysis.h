// The pieces of the analysis that the driver's frequency loop calls.
#pragma once

#include "kernels/complex_types.h"
#include "prepass.h"

namespace eng {


// Number of frequency points N of the loop; P (transient) and the frequency
// step after the zero-step rule come back through the arguments.
int analysis_point_count(int& time_points, float& step);
// Refuses, with a report message and the fatal-input flag, a deck whose
// frequency or time points do not fit the tables.  False when refused.
bool CHECK_ANALYSIS_LIMITS();

// The load tables, as the loop uses them.
float analysis_min_frequency();
float analysis_max_frequency();
float analysis_frequency_step();  // as read
float transient_point_count();    // as read (a real)
float transient_time_step();
float random_observation_period();
// SF(j, l) of random frequency point `point` (1-based indices).
cfloat load_spectrum(int point, int j, int l);

// Impedance pieces (impedance.cpp).  Matrices are 6 x 6 by columns.
void half_space_base_impedance(float omega, cfloat* k0);
void stratum_base_impedance(float omega, cfloat* k0);
void add_side_layers(float omega, int n_side, cfloat* k);
// PILE and MULT: k0 at the pile head; for PILE also the cap matrix k.
bool pile_impedance(float omega, cfloat* k0, cfloat* k);
void layer_cutoff_frequencies();
void pile_group_setup();

// Load and response pieces (response.cpp).
void load_vector(int point, float omega, cfloat* f);
void random_response_spectra(int point, const cfloat* h);
void write_transient_response();
void write_random_response();

// Composite Simpson rule over n values with spacing h.
void SIMPSON_INTEGRAL(const float* values, const int& n, const float& h, float& result);

}  // namespace eng
