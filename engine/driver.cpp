// The analysis driver (not built yet).
#include "driver.h"

namespace eng {

void RUN_ANALYSIS() {}

}  // namespace eng
