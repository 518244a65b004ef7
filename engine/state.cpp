#include "state.h"

#include <new>

namespace eng {

// The pile-group tables are zero at load without code running: gcc evaluates their zero
// initializer when it compiles. clang's constant evaluator gives up on a table this large (its
// step limit), so there a constructor zeroes them at load, as for any other static object.
#if defined(__clang__)
PileGroupData group_tables;
#else
constinit PileGroupData group_tables;
#endif
constinit DriverTables driver_tables;
EngineState g;

void reset_engine_state() {
  g.~EngineState();
  new (&g) EngineState();
}

}  // namespace eng
