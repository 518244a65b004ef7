#include "rt/units.h"

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
};

std::map<int, Unit>& units() {
  static std::map<int, Unit> table;
  return table;
}

bool load_file(const std::string& path, std::vector<std::string>& out) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::string cur;
  bool any = false;
  int c;
  while ((c = std::fgetc(f)) != EOF) {
    any = true;
    if (c == '\n') {
      if (!cur.empty() && cur.back() == '\r') cur.pop_back();
      out.push_back(std::move(cur));
      cur.clear();
      any = false;
    } else {
      cur.push_back(static_cast<char>(c));
    }
  }
  if (any) {
    if (!cur.empty() && cur.back() == '\r') cur.pop_back();
    out.push_back(std::move(cur));
  }
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

bool store_file(const Unit& u) {
  std::FILE* f = std::fopen(u.path.c_str(), "wb");
  if (!f) return false;
  for (const auto& r : u.records) {
    std::fwrite(r.data(), 1, r.size(), f);
    std::fputc('\n', f);
  }
  return std::fclose(f) == 0;
}

// A streamed unit becomes an ordinary one: its file, complete so far, is
// read back and the position set after its last record.
void take_into_memory(Unit& u) {
  if (!u.stream) return;
  std::fclose(u.stream);
  u.stream = nullptr;
  u.records.clear();
  load_file(u.path, u.records);
  u.pos = u.records.size();
  u.dirty = false;
}

void sync(Unit& u) {
  if (u.stream) {
    std::fflush(u.stream);
    return;
  }
  if (u.dirty && !u.read_only) {
    store_file(u);
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
    std::FILE* f = std::fopen(path.c_str(), replace ? "wb" : "ab");
    if (!f) return false;
    std::fclose(f);
  }
  units()[unit] = std::move(u);
  return true;
}

bool open_unit_streamed(int unit, const std::string& path) {
  close_unit(unit);
  Unit u;
  u.path = path;
  if (path.empty()) return false;
  u.stream = std::fopen(path.c_str(), "wb");
  if (!u.stream) return false;
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
  sync(it->second);
  if (it->second.stream) std::fclose(it->second.stream);
  units().erase(it);
}

bool unit_is_open(int unit) { return unit == kConsole || units().count(unit) != 0; }

void reset_units() {
  // What a streamed unit wrote is on disk already; its file is only closed.
  for (auto& [unit, u] : units())
    if (u.stream) std::fclose(u.stream);
  units().clear();
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
  take_into_memory(u);
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
    std::fwrite(rec.data(), 1, rec.size(), u.stream);
    std::fputc('\n', u.stream);
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
  take_into_memory(it->second);
  sync(it->second);
  it->second.pos = 0;
  it->second.after_end = false;
}

void backspace_unit(int unit) {
  auto it = units().find(unit);
  if (it == units().end()) return;
  Unit& u = it->second;
  take_into_memory(u);
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
  if (it != units().end()) sync(it->second);
}

}  // namespace rt
