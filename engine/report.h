// Writing the report (output unit) and the plot-data file: page headers, the
// banner, the driver's messages and the result tables of the frequency loop.
#pragma once

#include <string_view>

#include "rt/format.h"

namespace eng {

// One record of the report.
void out(std::string_view rec);
void out(const rt::Line& line);
// n empty records.
void out_empty(int n);
// An input error: two empty lines, each given line, the fatal-input flag set.
// Readers pass " PROGRAM WILL NOT EXECUTE" as the last line where their
// message has it.
void input_error(std::initializer_list<std::string_view> lines);

// One record of the plot-data file.
void plot_out(std::string_view rec);

void WRITE_BANNER();
// kind 1: data-echo page header; kind 2: results page header.
void WRITE_PAGE_HEADER(int kind, int& done);

// Driver messages.
void write_gravity_message(float gravity);
void write_shear_wave_message(float vs);

// Stiffness and damping terms in report order: XX, YY, WW, PPX, PPY, ZT, XP, YP.
struct StiffnessDamping {
  float k[8];
  float c[8];
};
// The table of one frequency point; pass 1 with the two cross terms, pass 2 without.
void write_stiffness_table(int pass, float omega, const StiffnessDamping& sd);
// The two plot-data records of one frequency point (matrix option, pass 1).
void write_plot_stiffness_records(float omega, const StiffnessDamping& sd);
// Record 1 of the plot-data file: the number of frequency points.
void write_plot_count(int n);
void write_special_output_heading();
// Page header and column heads of the harmonic response table.
void write_harmonic_response_heading();
// One row of the harmonic response table and its plot-data amplitude record.
// amp: UOX, UOY, UOZ, EPOX, EPOY, EPOZ.
void write_harmonic_response_row(float omega, const float amp[6]);

// The Hz value printed beside a circular frequency.
inline float hertz_of(float omega) { return omega * 0.5f / 3.14f; }

}  // namespace eng
