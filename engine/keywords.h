// The keyword table and the keyword loop.
#pragma once

#include <string>
#include <string_view>

namespace eng {

constexpr int kNoKeyword = 999;

// Positions in the keyword table (1-based, as LOOKUP_KEYWORD returns them).
enum Keyword : int {
  KW_BLANK = 1, KW_WIDE, KW_NARR, KW_ECHO, KW_NOEC, KW_PILE, KW_HALF, KW_STRA, KW_MULT,
  KW_LOAD, KW_HARM, KW_TRAN, KW_RAND, KW_PLOT, KW_CIRC, KW_RECT, KW_SOIL, KW_PARA,
  KW_LAYE, KW_GRAV, KW_DIME, KW_BELO, KW_ELEM, KW_FOUN, KW_WEAK, KW_BATT, KW_INTE,
  KW_RUN, KW_STOP, KW_TITL, KW_MATR, KW_FIXE, KW_PINN, KW_FLOA, KW_END, KW_CONS,
  KW_MASS, KW_EMBE, KW_SIDE, KW_HAMM, KW_LONG, KW_SHOR, KW_VELO, KW_PULS, KW_PAD,
  KW_SPRI, KW_STAT, KW_KINE, KW_BLANK2, KW_BLANK3, KW_QUAD, KW_NONQ
};

// The four characters of table entry i (1 to 52).
const char* keyword_text(int i);
// Position of the first entry equal to the first four characters of `word`
// (padded with blanks), or kNoKeyword; writes nothing.
int keyword_index(std::string_view word);
// As the loop uses it: sets the keyword count, status 1, and writes the
// unrecognised-keyword message on kNoKeyword.
void LOOKUP_KEYWORD(const std::string& word, int& index, int& status);

void READ_INPUT_KEYWORDS(int& status, int& stop_flag);

}  // namespace eng
