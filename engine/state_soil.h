// Run-state tables of the soil block (part of eng::EngineState, reset at each run).
#pragma once

#include "state_limits.h"

namespace eng {

struct SoilData {
  int unused_ = 0;  // placeholder until the soil reader fills this record
};

}  // namespace eng
