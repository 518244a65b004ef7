// The stiffness and damping tables and the harmonic response table of an
// engine report, as the run tests read them.
#pragma once

#include "engine_harness.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace report_tables {

// One printed table: omega and its captioned values ("KXX", "CPPY", ...).
struct Table {
  double omega = 0;
  std::map<std::string, double> v;
};

// The tables of pass 1 (before the special-output heading) or pass 2.
inline std::vector<Table> tables(const harness::EngineRun& run, int pass = 1) {
  std::vector<Table> out;
  bool second = false;
  for (const std::string& line : run.report_lines()) {
    if (line.find("SPECIAL OUTPUT OPTION") != std::string::npos) second = true;
    if (second != (pass == 2)) continue;
    if (line.rfind(" FREQUENCY  -  ", 0) == 0) {
      out.emplace_back();
      out.back().omega = std::strtod(line.c_str() + line.find('(') + 1, nullptr);
      continue;
    }
    const std::size_t open = line.find(" ("), close = line.find(") ");
    if (out.empty() || open == std::string::npos || close == std::string::npos || line.size() < 45) continue;
    if (line.find("TRANSLATION") == std::string::npos && line.find("ROTATION") == std::string::npos &&
        line.find("TORSION") == std::string::npos && line.find("CROSS") == std::string::npos)
      continue;
    out.back().v[line.substr(open + 2, close - open - 2)] = std::strtod(line.c_str() + 32, nullptr);
  }
  return out;
}

// The rows of the harmonic response table (the last "FOOTING RESPONSE
// AMPLITUDES" of the report): UOX, UOY, UOZ, EPOX, EPOY, EPOZ of each point.
inline std::vector<std::vector<double>> amplitudes(const harness::EngineRun& run) {
  const std::vector<std::string> lines = run.report_lines();
  std::size_t head = lines.size();
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (lines[i] == "                        FOOTING RESPONSE AMPLITUDES") head = i;
  std::vector<std::vector<double>> rows;
  for (std::size_t i = head + 9; i < lines.size(); ++i) {
    std::istringstream in(lines[i]);
    std::vector<double> v;
    double x;
    while (in >> x) v.push_back(x);
    if (v.size() != 8) break;
    rows.emplace_back(v.begin() + 2, v.end());
  }
  return rows;
}

// Whether two printed values agree to print precision: they differ by at most
// one unit in the last of `digits` significant digits of the larger.
inline bool same_to_print(double a, double b, int digits) {
  const double m = std::max(std::fabs(a), std::fabs(b));
  if (m == 0.0) return true;
  const double unit = std::pow(10.0, std::floor(std::log10(m)) - (digits - 1));
  return std::fabs(a - b) <= 1.001 * unit;
}

}  // namespace report_tables
