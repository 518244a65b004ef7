#include "prepass.h"

#include <cmath>
#include <cstdio>

#include "keywords.h"
#include "report.h"
#include "rt/format.h"
#include "rt/units.h"
#include "state.h"

namespace eng {

namespace {

// Code records of the lone letters.
int lone_letter_code(char c, bool& is_code) {
  is_code = true;
  switch (c) {
    case 'T': return 999;
    case 'H': return -999;
    case 'F': return 0;
    case 'Q': return -997;
    case 'P': return 998;
    case 'S': return -998;
    case 'V': return -996;
    default: is_code = false; return 0;
  }
}

// A piece of pass 1 goes out in records of at most 80 characters.
void emit_piece(std::vector<std::string>& recs, const std::string& piece) {
  if (piece.empty()) return;
  for (std::size_t p = 0; p < piece.size(); p += kInputLineLength)
    recs.push_back(piece.substr(p, kInputLineLength));
}

bool number_char(const std::string& rec, std::size_t i) {
  const char c = rec[i];
  if ((c >= '0' && c <= '9') || c == '.' || c == 'E' || c == '+') return true;
  if (c == '-') return i == 0 || rec[i - 1] == ' ' || rec[i - 1] == 'E';
  return false;
}

}  // namespace

std::vector<std::string> pass1_records(const std::string& record80, bool& truncated) {
  truncated = false;
  std::vector<std::string> recs;
  // Comment: the line ends before the first "$".
  std::string line = record80.substr(0, std::min<std::size_t>(record80.size(), kInputLineLength));
  const std::size_t dollar = line.find('$');
  if (dollar != std::string::npos) line.resize(dollar);
  line = rt::rtrim(line);
  if (line.empty()) return recs;

  // Repeat groups: d(text) gives text,text,... d times.  The count is the
  // digit just before "(" in the line as read (so "2(1)(5)" repeats "1"
  // twice and keeps "(5)": the "1" before the second "(" came from the
  // expansion, not from the line).
  std::string ex;
  const std::size_t limit = kExpandedLineLength;
  for (std::size_t i = 0; i < line.size() && !truncated; ++i) {
    const char c = line[i];
    const char before = i > 0 ? line[i - 1] : ' ';
    if (c == '(' && before >= '0' && before <= '9' && !ex.empty() && ex.back() == before) {
      const int d = before - '0';
      ex.pop_back();
      if (!ex.empty() && ex.back() == ' ') ex.back() = ',';
      std::size_t close = line.find(')', i + 1);
      if (close == std::string::npos) close = line.size();  // an open group runs to the end of the line
      const std::string group = line.substr(i + 1, close - i - 1);
      for (int k = 0; k < d && !truncated; ++k) {
        for (char gc : group) {
          if (ex.size() >= limit) {
            truncated = true;
            break;
          }
          ex.push_back(gc);
        }
        if (!truncated) {
          if (ex.size() >= limit)
            truncated = true;
          else
            ex.push_back(',');
        }
      }
      if (!truncated && !ex.empty() && ex.back() == ',') ex.pop_back();
      i = close;  // resume after ")"
      continue;
    }
    if (ex.size() >= limit) {
      truncated = true;
      break;
    }
    ex.push_back(c);
  }
  if (ex.size() >= limit) truncated = true;
  if (ex.size() > limit) ex.resize(limit);

  // Split into pieces at ",", "=", "*" and around lone code letters.
  std::string piece;
  for (std::size_t i = 0; i < ex.size(); ++i) {
    const char c = ex[i];
    if (c == ',' || c == '=' || c == '*') {
      emit_piece(recs, piece);
      piece.clear();
      if (c == '*') recs.push_back("-999");
      continue;
    }
    bool is_code = false;
    const int code = lone_letter_code(c, is_code);
    if (is_code) {
      const bool alone_before = piece.empty() || ex[i - 1] == ' ';
      const bool alone_after =
          i + 1 >= ex.size() || ex[i + 1] == ' ' || ex[i + 1] == '=' || ex[i + 1] == ',';
      if (alone_before && alone_after) {
        emit_piece(recs, piece);
        piece.clear();
        char buf[16];
        std::snprintf(buf, sizeof buf, "%4d", code);
        recs.push_back(buf);
        continue;
      }
    }
    piece.push_back(c);
  }
  emit_piece(recs, piece);
  return recs;
}

std::vector<std::string> pass2_records(const std::string& record) {
  std::vector<std::string> recs;
  const std::string rec = rt::pad(record, kInputLineLength);
  const std::size_t first = rec.find_first_not_of(' ');
  if (first == std::string::npos) return recs;
  const char f = rec[first];
  if (!((f >= '0' && f <= '9') || f == '.' || f == '+' || f == '-')) {
    recs.push_back(rec);  // a word record, all 80 columns
    return recs;
  }
  std::size_t i = first;
  std::size_t token_start = first;
  std::string token;
  auto flush_token = [&]() {
    if (token.empty()) return;
    if (token.find('E') != std::string::npos) {
      recs.push_back(token.size() < 20 ? std::string(20 - token.size(), ' ') + token : token);
    } else {
      recs.push_back(token.find('.') == std::string::npos ? token + "." : token);
    }
    token.clear();
  };
  for (; i < rec.size(); ++i) {
    if (rec[i] == ' ') {
      flush_token();
      continue;
    }
    if (token.empty()) token_start = i;
    if (!number_char(rec, i)) {
      token.clear();
      recs.push_back(rec.substr(token_start));
      return recs;
    }
    token.push_back(rec[i]);
  }
  flush_token();
  return recs;
}

bool title_line(const std::string& record80, std::string& keyword, std::string& title) {
  const std::size_t first = record80.find_first_not_of(' ');
  if (first == std::string::npos || record80.compare(first, 4, "TITL") != 0) return false;
  std::size_t end = first;
  while (end < record80.size() && record80[end] >= 'A' && record80[end] <= 'Z') ++end;
  std::size_t sep = end;
  while (sep < record80.size() && record80[sep] == ' ') ++sep;
  if (sep >= record80.size() || (record80[sep] != '=' && record80[sep] != ',')) return false;
  keyword = record80.substr(first, end - first);
  title = rt::rtrim(record80.substr(sep + 1));
  return true;
}

void PREPROCESS_INPUT() {
  std::string rec;
  // Pass 1: input deck to TAPE8.  The records that hold a title as written, by their number.
  std::vector<std::size_t> title_records;
  std::size_t written = 0;
  while (rt::read_record(kUnitInput, rec)) {
    const std::string record80 = rt::pad(rec, kInputLineLength);
    std::string keyword, title;
    if (title_line(record80, keyword, title)) {
      rt::write_record(kUnitTape8, keyword);
      rt::write_record(kUnitTape8, title);
      title_records.push_back(written + 1);
      written += 2;
      continue;
    }
    bool truncated = false;
    const std::vector<std::string> recs = pass1_records(record80, truncated);
    if (truncated) {
      out_empty(3);
      out("***   INPUT DATA RECORD TOO LONG DUE TO REPEAT    FEATURE   ***");
      out_empty(1);
      out(" ***   DATA TRUNCATED ON THE FOLLOWING LINE    ***");
      out_empty(1);
      out(" " + record80);
    }
    for (const auto& r : recs) rt::write_record(kUnitTape8, r);
    written += recs.size();
  }
  rt::rewind_unit(kUnitTape8);
  rt::rewind_unit(kUnitTape7);
  // Pass 2: TAPE8 to TAPE7; a title goes on whole, also when it is empty.
  std::size_t index = 0, next_title = 0;
  while (rt::read_record(kUnitTape8, rec)) {
    if (next_title < title_records.size() && title_records[next_title] == index++) {
      ++next_title;
      rt::write_record(kUnitTape7, rt::pad(rec, kInputLineLength));
      continue;
    }
    for (const auto& r : pass2_records(rec)) rt::write_record(kUnitTape7, r);
  }
  rt::rewind_unit(kUnitTape8);
  rt::rewind_unit(kUnitTape7);
  rt::write_record(kUnitTape8, " ");
  rt::rewind_unit(kUnitTape8);
  g.run.reading_unit = kUnitTape7;
}

void READIT(int mode, float& value, std::string& word, int& status) {
  status = 1;
  const int unit = g.run.reading_unit;
  std::string rec;
  if (mode == 1) {
    value = 0.0f;
    if (!rt::read_record(unit, rec)) {
      out_empty(2);
      out(" *** INPUT ERROR ***    END OF FILE ENCOUNTEREDW   HILE READING");
      out(rt::Line().x(24).a("NUMBER ").i(1, 3).a(" OF ").i(1, 3).a(" NUMBERS TO BE").a(" REA D"));
      status = 0;
      return;
    }
    float v = 0.0f;
    if (rt::parse_real_field(rt::pad(rec, 20), v)) {
      value = v;
      return;
    }
    status = -1;
    const std::string r80 = rt::pad(rec, kInputLineLength);
    for (int k = 0; k < 4; ++k) {
      out_empty(2);
      out(" *** INPUT ERROR ***    ALPHANUMERIC ENCOUNTERED - \"" + r80.substr(20 * k, 20) + "\",");
    }
    if (keyword_index(r80.substr(0, 4)) != kNoKeyword) rt::backspace_unit(unit);
    return;
  }
  if (mode == -1) {
    word = "    ";
    if (!rt::read_record(unit, rec)) {
      out_empty(2);
      out(" *** INPUT ERROR ***    END OF FILE ENCOUNTERED WHILE");
      out(rt::Line().x(24).a("READING ").i(1, 3).a(" ALPHANUMERIC WORDS"));
      status = 0;
      return;
    }
    word = rt::pad(rec, 4);
    return;
  }
  if (mode != 0) out(" *** INVALID CALL TO READIT, BACKSPACE ASSUMED ***");
  rt::backspace_unit(unit);
}

int ROUND_NEAREST(float x) {
  if (x != x) return 0;
  const float y = std::signbit(x) ? x - 0.5f : x + 0.5f;
  if (!(std::fabs(y) < 2.0e9f)) return std::signbit(x) ? -2000000000 : 2000000000;
  return static_cast<int>(y);
}

int lookup_keyword(const std::string& word) {
  int index = kNoKeyword;
  int status = 0;
  LOOKUP_KEYWORD(word, index, status);
  return index;
}

int read_number(float& value) {
  std::string w;
  int st = 0;
  READIT(1, value, w, st);
  return st;
}

int read_word(std::string& word) {
  float v = 0.0f;
  int st = 0;
  READIT(-1, v, word, st);
  return st;
}

void push_back_record() {
  float v = 0.0f;
  std::string w;
  int st = 0;
  READIT(0, v, w, st);
}

}  // namespace eng
