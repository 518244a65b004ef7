// Run files and the run order of one call of the entry.
#pragma once

#include <cstdint>

extern "C" int32_t ITREMX(int32_t code);
// Results of ITREMX: 0 the analysis ran; 1 the argument was not 13; 2 STOP
// (or the end of the deck before RUN); 3 the input was refused; 4 an output
// could not be written; 6 the analysis ran, but at some of its frequencies
// (or all) the response could not be computed (the report marks them and
// lists them; the plot data hold the others).
//
// What the last call of ITREMX had to say beyond its report, one message a
// line ("" when nothing): why a report, plot-data or scratch file could not
// be opened or written (result 4: the file and the system's reason), why
// the run list was refused without a report (result 3), or at how many
// frequencies the response could not be computed (result 6: "*** RESPONSE
// NOT COMPUTED AT n OF N FREQUENCIES: ... ***").  The text stays until the
// next call or until the library is freed.
extern "C" const char* ITREMX_MESSAGE();

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
// The text of ITREMX_MESSAGE.
const char* last_run_message();

}  // namespace eng
