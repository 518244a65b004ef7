// Fixed-column record building for the report and the plot-data file.
//
// A Line collects the fields of one output record, each written with one of
// the classic edit descriptors:
//   x(n)            nX     n blanks
//   i(v, w)         Iw     integer right-aligned in w columns
//   f(v, w, d)      Fw.d   fixed point, d decimals
//   e(v, w, d)      Ew.d   0.ddd...E+xx (no digit before the point)
//   pe(v, w, d)     1PEw.d d.ddd...E+xx (one non-zero digit before the point)
//   a(text)         text written unchanged
//   a(text, w)      Aw     text in w columns (right-aligned when shorter, cut when longer)
// A value too wide for its field fills the field with asterisks.
//
//   rt::Line().x(1).a("FREQUENCY  -  ").f(hz, 12, 4)   →  " FREQUENCY  -      12.5000"
#pragma once

#include <string>
#include <string_view>

namespace rt {

std::string fmt_i(long long v, int w);
std::string fmt_f(double v, int w, int d);
std::string fmt_e(double v, int w, int d);
std::string fmt_pe(double v, int w, int d);
std::string fmt_a(std::string_view s, int w);
// List-directed integer output: one blank, then the value right-aligned in 11 columns.
std::string fmt_list_int(long long v);

class Line {
 public:
  Line& x(int n) {
    if (n > 0) s_.append(static_cast<std::size_t>(n), ' ');
    return *this;
  }
  Line& a(std::string_view t) {
    s_.append(t);
    return *this;
  }
  Line& a(std::string_view t, int w) {
    s_ += fmt_a(t, w);
    return *this;
  }
  Line& i(long long v, int w) {
    s_ += fmt_i(v, w);
    return *this;
  }
  Line& f(double v, int w, int d) {
    s_ += fmt_f(v, w, d);
    return *this;
  }
  Line& e(double v, int w, int d) {
    s_ += fmt_e(v, w, d);
    return *this;
  }
  Line& pe(double v, int w, int d) {
    s_ += fmt_pe(v, w, d);
    return *this;
  }
  Line& fill(char c, int n) {
    if (n > 0) s_.append(static_cast<std::size_t>(n), c);
    return *this;
  }
  const std::string& str() const { return s_; }
  operator std::string_view() const { return s_; }

 private:
  std::string s_;
};

// Reads a real the way a 20-column numeric field is read: blanks are ignored,
// integers, decimals and exponent forms (E or D, either case) are accepted.
// A field of blanks only reads as 0.  Returns false for anything else, and for
// values outside the range of a 32-bit real.
bool parse_real_field(std::string_view field, float& out);

// List-directed reading of n reals from `unit`: starts on the next record and
// takes values separated by blanks, tabs or commas, across records as needed.
// Returns false at the end of the file or when an item is not a number.
bool read_list(int unit, double* out, int n);

// Current date and time as texts of 10 and 8 characters ("2026-12-10", "08:13:38").
std::string run_date_text();
std::string run_time_text();

// Splits a path into drive (always empty here), folder (with its trailing
// separator), name and extension (with its point).
struct PathParts {
  std::string drive, folder, name, ext;
};
PathParts split_path(std::string_view path);

// Drops trailing blanks.
std::string rtrim(std::string_view s);
// Pads with blanks or cuts to exactly n characters.
std::string pad(std::string_view s, std::size_t n);

}  // namespace rt
