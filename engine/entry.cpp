// The engine's one entry: ITREMX (also exported as _ITREMX), and ITREMX_MESSAGE,
// what its last call could not write.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "analysis.h"
#include "driver.h"
#include "entry.h"
#include "input_checks.h"
#include "keywords.h"
#include "prepass.h"
#include "report.h"
#include "rt/format.h"
#include "rt/units.h"
#include "state.h"

namespace eng {

namespace {

// A name of the run list is its whole line, however long (the system's own
// limit of a path is 4096 bytes), less trailing blanks: a name cut short
// would lead the run to another file.
std::string name_from_line(const std::string& line) { return rt::rtrim(line); }

std::string ask_console(const char* what) {
  rt::write_record(kUnitConsole, "");
  rt::write_record(kUnitConsole, "");
  rt::write_record(kUnitConsole, std::string(7, ' ') + "ENTER A FILE NAME FOR YOUR " + what + " FILE.");
  rt::write_record(kUnitConsole, " ENTER >");
  std::string answer;
  if (!rt::read_record(kUnitConsole, answer)) answer.clear();
  return name_from_line(answer);
}

void write_stop_page() {
  out("1");
  out_empty(2);
  out(" *** RUN TERMINATED BY 'STOP' KEYWORD ***");
}

void write_fatal_page() {
  out("1");
  out_empty(2);
  out("*** FATAL ERROR IN INPUT DATA ***");
  out("*** EXEC   UTION TERMINATED ***");
}

// Whether two names of the run list lead to one file: the same name, or
// names of one existing file (another spelling of its folder, a link).
bool same_file(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  if (a == b) return true;
  std::error_code ec;
  if (std::filesystem::equivalent(a, b, ec) && !ec) return true;
  // Not both existing: compare the names made absolute and normal.
  const std::filesystem::path pa = std::filesystem::weakly_canonical(a, ec);
  if (ec) return false;
  const std::filesystem::path pb = std::filesystem::weakly_canonical(b, ec);
  return !ec && pa == pb;
}

// What the last call has to say beyond its report (ITREMX_MESSAGE): why a file
// of the run could not be written, or why the run list was refused.
std::string& last_message() {
  static std::string text;
  return text;
}

// A message of the run that the report may not hold: on standard error and in
// the text of ITREMX_MESSAGE.
void tell(const std::string& line) {
  std::fprintf(stderr, "%s\n", line.c_str());
  if (!last_message().empty()) last_message() += '\n';
  last_message() += line;
}

std::string failure_line(const rt::WriteFailure& f) {
  const char* what = f.unit == kUnitReport ? "OUTPUT FILE" : f.unit == kUnitPlot ? "PLOT DATA FILE" : "SCRATCH FILE";
  // The scratch files are named in the current folder: the message gives the folder too.
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::absolute(f.path, ec);
  return std::string(" *** ") + what + (f.at_open ? " COULD NOT BE OPENED: " : " COULD NOT BE WRITTEN: ") +
         (ec ? f.path : full.string()) +
         " (" + std::error_code(f.error, std::generic_category()).message() + ") ***";
}

// Ends a run some output of which could not be written: each failure said
// on standard error and, while the report still takes records, in the report.
// Returns the result 4.
int end_with_write_failures() {
  // Everything written so far goes to disk first, so that a failure of the
  // last buffers is known too.
  for (int unit : {kUnitTape7, kUnitTape8, kUnitPlot}) rt::flush_unit(unit);
  const std::vector<rt::WriteFailure> failures = rt::write_failures();
  out_empty(2);
  for (const rt::WriteFailure& f : failures) {
    tell(failure_line(f));
    out(failure_line(f));
  }
  out(" PROGRAM WILL NOT EXECUTE");
  CLOSE_RUN_FILES();
  // The report's own failure may show only now, when its last buffer is written.
  for (std::size_t i = failures.size(); i < rt::write_failures().size(); ++i) tell(failure_line(rt::write_failures()[i]));
  return 4;
}

}  // namespace

const char* last_run_message() { return last_message().c_str(); }

OpenResult OPEN_RUN_FILES() {
  OpenResult res;
  rt::open_unit(kUnitTape7, "TAPE7", true);
  rt::open_unit(kUnitTape8, "TAPE8", true);
  if (!rt::open_unit_for_reading(kUnitNames, "names.dat")) {
    res.run_list_missing = true;
    return res;
  }
  std::string line;
  if (!rt::read_record(kUnitNames, line)) {
    // A run list without its first line names no files at all.
    res.run_list_missing = true;
    return res;
  }
  g.files.version = rt::pad(line, 12);

  std::string* const targets[6] = {&g.files.input, &g.files.output, &g.files.plot,
                                   &g.files.mass,  &g.files.mass,   &g.files.mass};
  bool complete = true;
  for (std::string* t : targets) {
    if (!rt::read_record(kUnitNames, line)) {
      complete = false;
      break;
    }
    *t = name_from_line(line);
  }
  if (!complete) {
    g.files.input = ask_console("INPUT");
    g.files.output = ask_console("OUTPUT");
    g.files.plot = ask_console("GRAPHIC DATA");
  }

  // A report or plot-data file that is the deck or the mass file would
  // overwrite it when opened: such a run list is refused before any file of
  // the run is opened.
  for (const std::string* written : {&g.files.output, &g.files.plot})
    for (const std::string* read : {&g.files.input, &g.files.mass})
      if (same_file(*written, *read)) res.overwrites_input = true;
  if (res.overwrites_input) return res;

  res.input_ok = rt::open_unit_for_reading(kUnitInput, g.files.input);
  res.output_ok = rt::open_unit_streamed(kUnitReport, g.files.output);
  res.plot_ok = rt::open_unit_streamed(kUnitPlot, g.files.plot);
  // The mass file is only read, and only for the echo of its components.
  rt::open_unit_for_reading(kUnitMass, g.files.mass);
  return res;
}

int INIT_INPUT_STATE() {
  RunState& r = g.run;
  const RunState d;
  r.foundation_type = d.foundation_type;
  r.load_type = d.load_type;
  r.geometry = d.geometry;
  r.gravity_given = d.gravity_given;
  r.print_width = d.print_width;
  r.echo = d.echo;
  r.matrix = d.matrix;
  r.dimensionless = d.dimensionless;
  r.weak_layer = d.weak_layer;
  r.soil_profile = d.soil_profile;
  r.interaction = d.interaction;
  r.battered = d.battered;
  r.fatal = d.fatal;
  r.embedded = d.embedded;
  r.side_cap = d.side_cap;
  r.harmonic_form = d.harmonic_form;
  r.pile_tip = d.pile_tip;
  r.title = d.title;
  r.reading_unit = kUnitTape7;
  return 1;
}

void CHECK_INPUT_COMPLETE() {
  RunState& r = g.run;
  if (r.foundation_type == 0 || r.load_type == 0 || r.geometry == 0) {
    input_error({" INSUFFICIENT INPUT DATA TO COMPLETE RUN", " PROGRAM WILL TERMINATE"});
  } else if (r.gravity_given == 0) {
    input_error({" GRAVITATIONAL CONSTANT NOT SET", " PROGRAM WILL TERMINATE"});
  } else {
    // Frequency and time points that the result tables cannot hold, and
    // input no physical foundation has.
    CHECK_ANALYSIS_LIMITS();
    CHECK_PHYSICAL_INPUT();
  }
}

void CLOSE_RUN_FILES() {
  for (int unit : {kUnitTape7, kUnitTape8, kUnitNames, kUnitInput, kUnitReport, kUnitPlot, kUnitMass})
    rt::close_unit(unit);
}

int run_engine(int32_t code) {
  last_message().clear();
  if (code != 13) return 1;
  reset_engine_state();
  rt::reset_units();
  g.run.output_unit = kUnitReport;
  g.run.reading_unit = kUnitInput;

  const OpenResult files = OPEN_RUN_FILES();
  if (files.overwrites_input) {
    rt::write_record(kUnitConsole, " *** REPORT OR PLOT DATA FILE NAMED AS THE INPUT OR MASS FILE ***");
    rt::write_record(kUnitConsole, " PROGRAM WILL NOT EXECUTE");
    tell(" *** REPORT OR PLOT DATA FILE NAMED AS THE INPUT OR MASS FILE ***");
    CLOSE_RUN_FILES();
    return 3;
  }
  if (files.run_list_missing) {
    // Without a run list there is nowhere to say more.
    rt::write_record(kUnitConsole, " *** RUN LIST names.dat MISSING OR EMPTY ***");
    tell(" *** RUN LIST names.dat MISSING OR EMPTY ***");
    CLOSE_RUN_FILES();
    return 3;
  }
  // A report, plot-data or scratch file that could not be created.
  if (!rt::write_failures().empty()) return end_with_write_failures();
  if (!files.input_ok) {
    out_empty(2);
    out(" *** INPUT FILE COULD NOT BE OPENED: " + g.files.input);
    out(" PROGRAM WILL NOT EXECUTE");
    write_fatal_page();
    CLOSE_RUN_FILES();
    return 3;
  }

  PREPROCESS_INPUT();
  // Scratch files that could not be written hold no whole deck to read.
  if (!rt::write_failures().empty()) return end_with_write_failures();
  INIT_INPUT_STATE();
  int status = 1;
  int stop_flag = 0;
  READ_INPUT_KEYWORDS(status, stop_flag);

  int result = 0;
  if (g.run.fatal) {
    write_fatal_page();
    result = 3;
  } else if (stop_flag || g.run.stop) {
    write_stop_page();
    result = 2;
  } else {
    CHECK_INPUT_COMPLETE();
    if (g.run.fatal) {
      write_fatal_page();
      result = 3;
    } else {
      RUN_ANALYSIS();
      result = 0;
      if (g.run.fatal) {  // an analysis stopped for input beyond its numerical range
        write_fatal_page();
        result = 3;
      } else if (g.driver.n_unsolved > 0) {
        // Frequencies without a response: the run did not compute what it was asked.
        tell(unsolved_summary_line());
        result = 6;
      }
    }
  }
  if (!rt::write_failures().empty()) return end_with_write_failures();
  CLOSE_RUN_FILES();
  if (!rt::write_failures().empty()) {
    // The last buffers of the report or the plot data did not reach the disk.
    for (const rt::WriteFailure& f : rt::write_failures()) tell(failure_line(f));
    return 4;
  }
  return result;
}

}  // namespace eng

extern "C" __attribute__((visibility("default"))) int32_t ITREMX(int32_t code) {
  return eng::run_engine(code);
}

extern "C" __attribute__((visibility("default"), alias("ITREMX"))) int32_t _ITREMX(int32_t code);

extern "C" __attribute__((visibility("default"))) const char* ITREMX_MESSAGE() { return eng::last_run_message(); }
