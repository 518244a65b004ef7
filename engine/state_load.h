// Run-state tables of the load block (part of eng::EngineState, reset at each run).
#pragma once

#include "state_limits.h"

namespace eng {

struct LoadData {
  int unused_ = 0;  // placeholder until the load reader fills this record
};

}  // namespace eng
