#include "rt/units.h"

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <map>
#include <vector>

namespace rt {
namespace {

struct Unit {
  std::string path;
  std::vector<std::string> records;
  std::size_t pos = 0;
  bool dirty = false;
  bool read_only = false;
  bool after_end = false;  // the last read met the end of the file
  // Streamed unit: the file, open for writing, holds every record so far and
  // `records` is empty (see open_unit_streamed).
  std::FILE* stream = nullptr;
  bool failed = false;  // a write of this unit's file failed: nothing more is written to it
};

std::map<int, Unit>& units() {
  static std::map<int, Unit> table;
  return table;
}

std::vector<WriteFailure>& failures() {
  static std::vector<WriteFailure> list;
  return list;
}

// Notes the failure of a unit's file (the first one of each unit) with the system's error
// number of the moment.
void fail(int unit, Unit* u, const std::string& path, bool at_open) {
  const int err = errno != 0 ? errno : EIO;
  if (u) {
    if (u->failed) return;
    u->failed = true;
  }
  for (const WriteFailure& f : failures())
    if (f.unit == unit) return;
  failures().push_back({unit, path, err, at_open});
}

bool load_file(const std::string& path, std::vector<std::string>& out) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::string cur;
  bool any = false;
  int c;
  // A record ends at LF, at CR LF and at a CR alone (files of systems that end lines so).
  while ((c = std::fgetc(f)) != EOF) {
    any = true;
    if (c == '\n' || c == '\r') {
      if (c == '\r') {
        const int next = std::fgetc(f);
        if (next != '\n' && next != EOF) std::ungetc(next, f);
      }
      out.push_back(std::move(cur));
      cur.clear();
      any = false;
    } else {
      cur.push_back(static_cast<char>(c));
    }
  }
  if (any) out.push_back(std::move(cur));
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

// Writes the records of a unit to its file; a failure is noted for the unit.
bool store_file(int unit, Unit& u) {
  if (u.failed) return false;
  errno = 0;
  std::FILE* f = std::fopen(u.path.c_str(), "wb");
  if (!f) {
    fail(unit, &u, u.path, false);
    return false;
  }
  bool ok = true;
  for (const auto& r : u.records) {
    if (std::fwrite(r.data(), 1, r.size(), f) != r.size() || std::fputc('\n', f) == EOF) {
      ok = false;
      break;
    }
  }
  if (!ok) fail(unit, &u, u.path, false);
  errno = 0;
  if (std::fclose(f) != 0 && ok) {
    ok = false;
    fail(unit, &u, u.path, false);
  }
  return ok;
}

// Closes a streamed unit's file; a failure (the last buffer could not be written) is noted.
void close_stream(int unit, Unit& u) {
  if (!u.stream) return;
  errno = 0;
  if (std::fclose(u.stream) != 0) fail(unit, &u, u.path, false);
  u.stream = nullptr;
}

// A streamed unit becomes an ordinary one: its file, complete so far, is
// read back and the position set after its last record.
void take_into_memory(int unit, Unit& u) {
  if (!u.stream) return;
  close_stream(unit, u);
  u.records.clear();
  errno = 0;
  if (!load_file(u.path, u.records)) fail(unit, &u, u.path, false);
  u.pos = u.records.size();
  u.dirty = false;
}

void sync(int unit, Unit& u) {
  if (u.stream) {
    errno = 0;
    if (!u.failed && std::fflush(u.stream) != 0) fail(unit, &u, u.path, false);
    return;
  }
  if (u.dirty && !u.read_only) {
    store_file(unit, u);
    u.dirty = false;
  }
}

}  // namespace

bool open_unit(int unit, const std::string& path, bool replace) {
  close_unit(unit);
  Unit u;
  u.path = path;
  if (path.empty()) return false;
  if (replace || !load_file(path, u.records)) {
    u.records.clear();
    errno = 0;
    std::FILE* f = std::fopen(path.c_str(), replace ? "wb" : "ab");
    if (!f) {
      fail(unit, nullptr, path, true);
      return false;
    }
    errno = 0;
    if (std::fclose(f) != 0) {
      fail(unit, nullptr, path, true);
      return false;
    }
  }
  units()[unit] = std::move(u);
  return true;
}

bool open_unit_streamed(int unit, const std::string& path) {
  close_unit(unit);
  Unit u;
  u.path = path;
  if (path.empty()) return false;
  errno = 0;
  u.stream = std::fopen(path.c_str(), "wb");
  if (!u.stream) {
    fail(unit, nullptr, path, true);
    return false;
  }
  units()[unit] = std::move(u);
  return true;
}

bool open_unit_for_reading(int unit, const std::string& path) {
  close_unit(unit);
  Unit u;
  u.path = path;
  u.read_only = true;
  if (path.empty() || !load_file(path, u.records)) return false;
  units()[unit] = std::move(u);
  return true;
}

void close_unit(int unit) {
  auto it = units().find(unit);
  if (it == units().end()) return;
  sync(unit, it->second);
  close_stream(unit, it->second);
  units().erase(it);
}

bool unit_is_open(int unit) { return unit == kConsole || units().count(unit) != 0; }

void reset_units() {
  // What a streamed unit wrote is on disk already; its file is only closed.
  for (auto& [unit, u] : units())
    if (u.stream) std::fclose(u.stream);
  units().clear();
  failures().clear();
}

bool read_record(int unit, std::string& rec) {
  rec.clear();
  if (unit == kConsole) {
    if (!std::getline(std::cin, rec)) return false;
    if (!rec.empty() && rec.back() == '\r') rec.pop_back();
    return true;
  }
  auto it = units().find(unit);
  if (it == units().end()) return false;
  Unit& u = it->second;
  take_into_memory(unit, u);
  if (u.pos >= u.records.size()) {
    u.after_end = true;
    return false;
  }
  u.after_end = false;
  rec = u.records[u.pos++];
  return true;
}

void write_record(int unit, std::string_view rec) {
  if (unit == kConsole) {
    std::cout << rec << '\n' << std::flush;
    return;
  }
  auto it = units().find(unit);
  if (it == units().end() || it->second.read_only) return;
  Unit& u = it->second;
  if (u.stream) {
    if (u.failed) return;
    errno = 0;
    if (std::fwrite(rec.data(), 1, rec.size(), u.stream) != rec.size() || std::fputc('\n', u.stream) == EOF)
      fail(unit, &u, u.path, false);
    return;
  }
  if (u.pos < u.records.size()) u.records.resize(u.pos);
  u.after_end = false;
  u.records.emplace_back(rec);
  u.pos = u.records.size();
  u.dirty = true;
}

void rewind_unit(int unit) {
  auto it = units().find(unit);
  if (it == units().end()) return;
  take_into_memory(unit, it->second);
  sync(unit, it->second);
  it->second.pos = 0;
  it->second.after_end = false;
}

void backspace_unit(int unit) {
  auto it = units().find(unit);
  if (it == units().end()) return;
  Unit& u = it->second;
  take_into_memory(unit, u);
  // After the end of the file was met, backspace goes back to before the
  // end, so the next read meets the end again.
  if (u.after_end) {
    u.after_end = false;
    return;
  }
  if (u.pos > 0) --u.pos;
}

void flush_unit(int unit) {
  auto it = units().find(unit);
  if (it != units().end()) sync(unit, it->second);
}

const std::vector<WriteFailure>& write_failures() { return failures(); }

}  // namespace rt
