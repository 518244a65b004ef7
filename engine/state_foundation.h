// Run-state tables of the foundation block (part of eng::EngineState, reset at each run).
#pragma once

#include "state_limits.h"

namespace eng {

struct FoundationData {
  int unused_ = 0;  // placeholder until the foundation reader fills this record
};

}  // namespace eng
