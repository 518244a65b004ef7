// The stiffness and damping tables of an engine report, as the run tests
// read them.
#pragma once

#include "engine_harness.h"

#include <cstdlib>
#include <map>
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

}  // namespace report_tables
