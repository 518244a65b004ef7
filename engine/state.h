// The engine's run state: every value a run reads, sets or computes lives in
// the one static record `g` below.  ITREMX resets the whole record to its
// load-time values before it does anything else, so each call starts exactly
// as a fresh load of the library does.
//
// Add new tables as members of a sub-record (with default member values);
// never keep run data in other static variables.  Kernel work areas that are
// overwritten on every call are not run state and may stay local.
#pragma once

#include <cstdint>
#include <string>

#include "state_driver.h"
#include "state_foundation.h"
#include "state_limits.h"
#include "state_load.h"
#include "state_piles.h"
#include "state_soil.h"

namespace eng {

// Codes and options read from the keyword deck.
struct RunState {
  int foundation_type = 0;  // 0 none, 1 PILE, 2 HALF, 3 STRA, 4 MULT
  int load_type = 0;        // 0 none, 1 TRAN, 2 RAND, 3 HARM
  int geometry = 0;         // 0 none, 1 CIRC, 2 RECT
  int gravity_given = 0;
  int print_width = 1;      // 1 narrow, 2 wide (nothing reads it)
  int echo = 1;
  int matrix = 0;
  int dimensionless = 0;    // nothing reads it
  int weak_layer = 0;
  int soil_profile = 1;     // 1 layered, 2 parabolic
  int interaction = 0;
  int battered = 0;
  int fatal = 0;            // fatal-input flag
  int embedded = 0;
  int side_cap = 0;
  int harmonic_form = 1;    // 1 non-quadratic, 2 quadratic
  int pile_tip = 0;         // 0 floating, 1 end-bearing
  int head_fixity = 0;      // values: see the foundation reader
  int stop = 0;             // STOP flag
  int reading_unit = kUnitTape7;
  int output_unit = kUnitReport;
  int keyword_count = kKeywordCount;
  std::string title = std::string(80, ' ');  // always 80 characters
  float gravity = 0.0f;     // length unit per second squared
  int unit_system = 0;      // 1 English (gravity above 10), 2 SI
  int n_piles = 0;
  int n_layers = 0;
  int n_side_layers = 0;
};

// Names of the run files, as read from "names.dat".
struct RunFiles {
  std::string version = std::string(12, ' ');  // 12 characters
  std::string input;   // the whole line, trailing blanks removed
  std::string output;
  std::string plot;
  std::string mass;
};

// The eighteen unit labels printed beside report values, each exactly its
// width; blank until GRAV sets them.
struct UnitLabels {
  std::string length = std::string(2, ' ');
  std::string moment = std::string(5, ' ');
  std::string force = std::string(3, ' ');
  std::string stress = std::string(3, ' ');
  std::string unit_weight = std::string(8, ' ');
  std::string acceleration = std::string(7, ' ');
  std::string area = std::string(5, ' ');
  std::string velocity = std::string(4, ' ');
  std::string inertia = std::string(5, ' ');
  std::string mass = std::string(4, ' ');
  std::string mass_moment = std::string(10, ' ');
  std::string trans_stiffness = std::string(5, ' ');
  std::string rot_stiffness = std::string(9, ' ');
  std::string trans_damping = std::string(9, ' ');
  std::string rot_damping = std::string(13, ' ');
  std::string coupling_stiffness = std::string(6, ' ');
  std::string coupling_damping = std::string(10, ' ');
  std::string mass_length = std::string(7, ' ');
};

// The seven mass constants of the MASS sub-keyword: total mass, mass moments
// about X, Y, Z, cross products X-Y, X-Z, Y-Z.
struct MassData {
  float m[7] = {0, 0, 0, 0, 0, 0, 0};
};

// The record-reader's own state.
struct ReaderState {
  int page_header_done = 0;  // set by WRITE_PAGE_HEADER
};

// The pile-group tables.  They are zero at load without any code running
// (constant-initialised, so their pages are not even touched until a group
// uses them), and a reset leaves them alone: every entry a run reads, that
// run has written first (SETUP_PILE_GROUP fills every pair of its piles, and
// PILE_GROUP_IMPEDANCE its records and matrix before it reads them), so
// nothing of an earlier run can show through.
extern PileGroupData group_tables;
// The same for the driver's per-point impedance table (300 kB).
extern DriverTables driver_tables;

struct EngineState {
  RunState run;
  RunFiles files;
  UnitLabels labels;
  MassData mass;
  ReaderState reader;
  FoundationData foundation;  // FOUN block
  SoilData soil;              // SOIL block
  LoadData load;              // LOAD block
  DriverData driver;          // the analysis
  // Pile group: pair tables and work areas (13 MB), kept outside the record
  // (see group_tables below).
  PileGroupData& piles = group_tables;
};

extern EngineState g;

// Puts the whole record back to its load-time values (in place: the record
// holds large tables and is never copied).
void reset_engine_state();

}  // namespace eng
