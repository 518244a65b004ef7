#include "state.h"

#include <new>

namespace eng {

constinit PileGroupData group_tables;
constinit DriverTables driver_tables;
EngineState g;

void reset_engine_state() {
  g.~EngineState();
  new (&g) EngineState();
}

}  // namespace eng
