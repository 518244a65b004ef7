#include "keywords.h"

#include "prepass.h"
#include "readers.h"
#include "report.h"
#include "rt/format.h"
#include "state.h"

namespace eng {

namespace {

const char* const kTable[kKeywordCount] = {
    "    ", "WIDE", "NARR", "ECHO", "NOEC", "PILE", "HALF", "STRA", "MULT", "LOAD", "HARM",
    "TRAN", "RAND", "PLOT", "CIRC", "RECT", "SOIL", "PARA", "LAYE", "GRAV", "DIME", "BELO",
    "ELEM", "FOUN", "WEAK", "BATT", "INTE", "RUN ", "STOP", "TITL", "MATR", "FIXE", "PINN",
    "FLOA", "END-", "CONS", "MASS", "EMBE", "SIDE", "HAMM", "LONG", "SHOR", "VELO", "PULS",
    "PAD ", "SPRI", "STAT", "KINE", "    ", "    ", "QUAD", "NONQ"};

void message(std::initializer_list<std::string_view> lines) {
  out_empty(2);
  for (auto l : lines) out(l);
}

}  // namespace

const char* keyword_text(int i) { return (i >= 1 && i <= kKeywordCount) ? kTable[i - 1] : ""; }

int keyword_index(std::string_view word) {
  const std::string w = rt::pad(word, 4);
  for (int i = 0; i < kKeywordCount; ++i)
    if (w == kTable[i]) return i + 1;
  return kNoKeyword;
}

void LOOKUP_KEYWORD(const std::string& word, int& index, int& status) {
  g.run.keyword_count = kKeywordCount;
  status = 1;
  index = keyword_index(word);
  if (index == kNoKeyword) message({" UNRECOGNIZED KEYWORD - " + rt::pad(word, 4)});
}

void READ_INPUT_KEYWORDS(int& status, int& stop_flag) {
  RunState& r = g.run;
  for (;;) {
    status = 1;
    std::string word;
    status = read_word(word);
    if (status == 0) {
      message({" END OF FILE ENCOUNTERED - PROGRAM STOP EXECUTED"});
      r.stop = 1;
      stop_flag = 1;
      return;
    }
    int index = 0;
    LOOKUP_KEYWORD(word, index, status);
    if (index < 1 || index > kKeywordCount) continue;
    const std::string w = " " + std::string(kTable[index - 1]);
    switch (index) {
      case KW_WIDE:
        r.print_width = 2;
        message({" WIDE PRINTOUT FOR HARMONIC RESPONSE CURVE", " " + std::string(41, '*')});
        break;
      case KW_NARR: r.print_width = 1; break;
      case KW_ECHO: r.echo = 1; break;
      case KW_NOEC: r.echo = 0; break;
      case KW_PILE: case KW_HALF: case KW_STRA: case KW_MULT: case KW_PLOT: case KW_CIRC:
      case KW_RECT: case KW_PARA: case KW_LAYE: case KW_ELEM: case KW_BATT: case KW_INTE:
      case KW_FIXE: case KW_PINN: case KW_FLOA: case KW_END: case KW_CONS:
        message({w + " SUBKEYWORD MUST BE PRECEEDED BY FOUNDATION KEYWORD"});
        break;
      case KW_HARM: case KW_TRAN: case KW_RAND: case KW_HAMM: case KW_VELO: case KW_PULS:
      case KW_PAD: case KW_SPRI: case KW_QUAD: case KW_NONQ:
        message({w + " SUBKEYWORD MUST BE PRECEEDED BY LOAD KEYWORD"});
        break;
      case KW_BELO: case KW_WEAK: case KW_EMBE: case KW_SIDE:
        message({w + " SUBKEYWORD MUST BE PRECEEDED BY SOIL KEYWORD"});
        break;
      case KW_MASS:
        message({w + " SUBKEYWORD MUST BE PRECEEDED BY ONE OFFOU   NDATION, SOIL OR LOAD KEYWORDS"});
        break;
      case KW_LOAD: READ_LOAD(); break;
      case KW_SOIL: READ_SOIL(); break;
      case KW_FOUN: READ_FOUNDATION(); break;
      case KW_GRAV:
        r.gravity_given = 1;
        READ_GRAVITY();
        break;
      case KW_DIME:
        r.dimensionless = 1;
        if (r.echo == 1) message({" DIMENSIONLESS RESPONSE", " " + std::string(22, '*')});
        break;
      case KW_MATR:
        r.matrix = 1;
        if (r.echo == 1)
          message({" STIFFNESS AND DAMPING CONSTANTS TO BE PRINTED", " " + std::string(45, '*')});
        break;
      case KW_TITL: READ_TITLE(status); break;
      case KW_RUN: return;
      case KW_STOP:
        r.stop = 1;
        stop_flag = 1;
        return;
      default:  // blanks, LONG, SHOR, STAT, KINE
        break;
    }
  }
}

}  // namespace eng
