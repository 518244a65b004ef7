// Run files and the run order of one call of the entry.
#pragma once

#include <cstdint>

extern "C" int32_t ITREMX(int32_t code);

namespace eng {

struct OpenResult {
  bool run_list_missing = false;  // no "names.dat", or no line 1 in it
  bool input_ok = false;
  bool output_ok = false;
  bool plot_ok = false;
  // The report or plot-data name is that of the deck or the mass file:
  // nothing but the scratch files and the run list was opened.
  bool overwrites_input = false;
};

OpenResult OPEN_RUN_FILES();
int INIT_INPUT_STATE();  // returns the status, always 1
void CHECK_INPUT_COMPLETE();
void CLOSE_RUN_FILES();
// The body of ITREMX.
int run_engine(int32_t code);

}  // namespace eng
