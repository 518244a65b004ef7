// The analysis: frequency loop, impedance, response tables and plot data.
#pragma once

namespace eng {

void RUN_ANALYSIS();

}  // namespace eng
