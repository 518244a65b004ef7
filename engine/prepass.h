// The input pre-pass and the record reader.
//
// PREPROCESS_INPUT turns the free-form deck on the input unit into a stream
// of simple records in "TAPE7": one number or one word per record.  READIT
// hands them to the keyword readers one at a time.
#pragma once

#include <string>
#include <vector>

namespace eng {

void PREPROCESS_INPUT();

// mode  1: read one number into `value` (status 1; -1 a word stood there; 0 end of input)
// mode -1: read one word: the first four characters of the next record (status 1; 0 end)
// mode  0: push back the last record read (status 1)
// `word` is always four characters after a mode -1 call.
void READIT(int mode, float& value, std::string& word, int& status);

// Convenience forms of READIT.
int read_number(float& value);      // mode 1, returns the status
int read_word(std::string& word);   // mode -1, returns the status
void push_back_record();            // mode 0

// A count or code read as a real, to the nearest integer: x + 0.5 (x - 0.5 for
// a negative sign bit), truncated toward zero; NaN gives 0 and values beyond
// the integer range stop at +-2e9.
int ROUND_NEAREST(float x);
// The word's position in the keyword table (LOOKUP_KEYWORD, which reports an
// unknown word).
int lookup_keyword(const std::string& word);

// A title line: a keyword beginning with TITL, then "=" or "," (blanks may
// stand before it).  The rest of the line up to column 80 is the title as
// written, trailing blanks dropped: pass 1 writes the keyword and the title as
// two records, and pass 2 passes the title on whole, so that separators,
// "$", repeat groups, lone letters, leading digits and an empty title reach
// READ_TITLE unchanged.  A keyword alone on its line takes the next line's
// first record as before.
bool title_line(const std::string& record80, std::string& keyword, std::string& title);
// Pass 1 of one input record (already cut to 80 columns): the records it
// gives, in order.  `truncated` tells whether the repeat expansion reached
// the 500-character limit.
std::vector<std::string> pass1_records(const std::string& record80, bool& truncated);
// Pass 2 of one "TAPE8" record: the records it gives, in order.
std::vector<std::string> pass2_records(const std::string& record);

}  // namespace eng
