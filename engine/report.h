// Writing the report (output unit) and the plot-data file: page headers, the
// banner, the driver's messages and the result tables of the frequency loop.
#pragma once

#include <string>
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
// The plot-data records above are kept until the analysis ends, when this
// writes them: the count and the records in the order they came.  A point of a
// harmonic load whose response could not be computed has no response record,
// so its stiffness and damping records are left out as well and the count is
// that of the points written: the file stays whole for the points it holds.
// Without a failed point the file is what the records above would have been,
// byte for byte.  Nothing when no count was given.
void write_plot_file();
void write_special_output_heading();
// Page header and column heads of the harmonic response table.
void write_harmonic_response_heading();
// One row of the harmonic response table and its plot-data amplitude record.
// amp: UOX, UOY, UOZ, EPOX, EPOY, EPOZ.
void write_harmonic_response_row(float omega, const float amp[6]);
// The row of a point whose response could not be computed: its frequencies
// and "NOT SOLVED" in each amplitude's columns; no plot-data record.
void write_unsolved_response_row(float omega);

// What stands in the columns of a value that could not be computed.
inline constexpr const char* kNotSolved = "NOT SOLVED";
// The lines after the results that name the frequencies at which the
// response could not be computed (none when it was computed at every one);
// the first of them, trimmed, is also the run's message (ITREMX_MESSAGE).
void write_unsolved_summary();
// The first line of write_unsolved_summary, trimmed.
std::string unsolved_summary_line();

// The Hz value printed beside a circular frequency.
inline float hertz_of(float omega) { return omega * 0.5f / 3.14f; }

}  // namespace eng
