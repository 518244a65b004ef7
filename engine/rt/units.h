// The engine's record I/O: numbered units on text files, one record a line.
//
// A unit holds its file as a list of records in memory with a position, the
// way a sequential formatted file behaves: reading takes the record at the
// position, writing replaces everything from the position on, rewind goes
// back to the first record and backspace one record back.  Changes reach the
// disk on rewind and on close.  Unit 0 is the console (standard input and
// output).  Records end at LF, at CR LF and at a CR alone (the line end is not
// part of the record).
//
// Every failure to create, write, flush or close a unit's file is noted (see
// write_failures); a unit whose file failed takes no more writes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rt {

constexpr int kConsole = 0;

// Opens `unit` on `path`.  An existing file is read in and positioned at its
// first record; a missing file is created.  `replace` empties an existing file
// at once (the report and the plot-data file are replaced at each run).
// Returns false when the file can be neither read nor created.
bool open_unit(int unit, const std::string& path, bool replace = false);
// As open_unit(unit, path, true), with the records written straight through
// to the file instead of kept in memory, for a unit that is only written from
// start to end (the report, the plot data).  Should the unit be read, rewound
// or backspaced after all, it takes its file back into memory at that moment
// and goes on as a unit from open_unit, so it behaves the same either way.
bool open_unit_streamed(int unit, const std::string& path);
// Opens `unit` for reading only; false when the file does not exist or cannot
// be read.  Nothing is ever created or written through such a unit.
bool open_unit_for_reading(int unit, const std::string& path);
void close_unit(int unit);
bool unit_is_open(int unit);
// Closes every unit without writing anything further and forgets them.
void reset_units();

// Reads the next record into `rec`; false at the end of the file, on a unit
// that is not open, and on the console at the end of standard input.
bool read_record(int unit, std::string& rec);
void write_record(int unit, std::string_view rec);
void rewind_unit(int unit);
// Steps back over the last record read; after a read that met the end of the
// file it steps back over the end only, so the next read meets it again.
void backspace_unit(int unit);

// Writes every record of a unit's file to disk now (used before a unit's file
// is read by someone else; close and rewind do it themselves).
void flush_unit(int unit);

// A unit's file that could not be created, written, flushed or closed: the
// first failure of each unit since reset_units, in the order they happened.
struct WriteFailure {
  int unit;
  std::string path;
  int error;     // the system's error number
  bool at_open;  // the file could not be created at all
};
const std::vector<WriteFailure>& write_failures();

}  // namespace rt
