// The pass-1 tables of an engine report, as the weak-zone run tests read them.
#pragma once

#include "engine_harness.h"

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace weak_zone_runs {

// The printed pass-1 tables: omega and the captioned values.
struct Table {
  double omega = 0;
  std::map<std::string, double> v;
};
inline std::vector<Table> tables(const harness::EngineRun& run) {
  std::vector<Table> out;
  for (const std::string& line : run.report_lines()) {
    if (line.find("SPECIAL OUTPUT OPTION") != std::string::npos) break;
    if (line.rfind(" FREQUENCY  -  ", 0) == 0) {
      out.emplace_back();
      out.back().omega = std::strtod(line.c_str() + line.find('(') + 1, nullptr);
      continue;
    }
    const std::size_t open = line.find(" ("), close = line.find(") ");
    if (out.empty() || open == std::string::npos || close == std::string::npos || line.size() < 45) continue;
    out.back().v[line.substr(open + 2, close - open - 2)] = std::strtod(line.c_str() + 32, nullptr);
  }
  return out;
}

}  // namespace weak_zone_runs
