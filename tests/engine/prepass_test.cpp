// The input pre-pass: deck lines in, "TAPE7" records out, and READIT on them.
#include <gtest/gtest.h>

#include "engine_harness.h"
#include "prepass.h"
#include "reader_fixture.h"
#include "rt/format.h"
#include "state.h"

namespace {

// Both passes on a deck of lines, as the run does them.
std::vector<std::string> tokenise(const std::vector<std::string>& deck) {
  std::vector<std::string> out;
  for (const auto& line : deck) {
    bool truncated = false;
    for (const auto& r1 : eng::pass1_records(rt::pad(line, 80), truncated))
      for (const auto& r2 : eng::pass2_records(r1)) out.push_back(rt::rtrim(r2));
  }
  return out;
}

struct Case {
  std::vector<std::string> deck;
  std::vector<std::string> records;  // trailing blanks removed
};

TEST(Prepass, DeckLinesBecomeRecords) {
  const std::string e20(15, ' ');  // right-justifies "1.5E3" in 20 columns
  const Case cases[] = {
      {{"$ a comment line"}, {}},
      {{"1.5 $ the note"}, {"1.5"}},
      {{"3(0.5)"}, {"0.5", "0.5", "0.5"}},
      {{"1 0(7) 2"}, {"1.", "2."}},
      {{"2(3.5 1)"}, {"3.5", "1.", "3.5", "1."}},
      // The count is the digit before "(" in the line as read: the "1" that
      // the first group left at the end of the expansion is no count.
      {{"2(1)(5)"}, {"1.", "1(5)"}},
      {{"2(1) 3(5)"}, {"1.", "1.", "5.", "5.", "5."}},
      {{"4,,5"}, {"4.", "5."}},
      {{"2*4"}, {"2.", "-999.", "4."}},
      {{"T"}, {"999."}},
      {{"H F Q P S V"}, {"-999.", "0.", "-997.", "998.", "-998.", "-996."}},
      {{"TITL"}, {"TITL"}},
      {{"10 T"}, {"10.", "999."}},
      {{"1.5E3"}, {e20 + "1.5E3"}},
      {{"7"}, {"7."}},
      {{"-2.25"}, {"-2.25"}},
      {{"FOUN HALF"}, {"FOUN HALF"}},
      {{"12 13 HALF"}, {"12.", "13.", "HALF"}},
      {{"GRAV = 9.8"}, {"GRAV", "9.8"}},
      {{"  HARM"}, {"  HARM"}},
      {{"1-2"}, {"1-2"}},
      {{"foun"}, {"foun"}},
      {{"A=1", "B = T,2"}, {"A", "1.", "B", "999.", "2."}},
  };
  for (const Case& c : cases) EXPECT_EQ(tokenise(c.deck), c.records) << c.deck[0];
}

TEST(Prepass, LineIsCutAtColumn80) {
  const std::string line = std::string(79, '1') + "23";  // 81 characters
  bool truncated = false;
  const auto recs = eng::pass1_records(line, truncated);
  ASSERT_EQ(recs.size(), 1u);
  EXPECT_EQ(recs[0], std::string(79, '1') + "2");
  EXPECT_FALSE(truncated);
}

TEST(Prepass, LongPiecesSplitAt80AndRepeatsAt500) {
  // 9 copies of 60 characters: 540 characters, cut at 500.
  const std::string group(60, 'X');
  bool truncated = false;
  const auto recs = eng::pass1_records("9(" + group + ")", truncated);
  EXPECT_TRUE(truncated);
  std::size_t total = 0;
  for (const auto& r : recs) {
    EXPECT_LE(r.size(), 80u);
    total += r.size();
  }
  EXPECT_EQ(total, 500u - 8u);  // 500 characters less the 8 commas between copies
}

TEST(Prepass, TruncationMessageStandsBeforeTheBanner) {
  const std::string line = "9(" + std::string(60, '1') + ")";
  harness::EngineRun run = harness::run_engine(line + "\r\nSTOP\r\n");
  EXPECT_EQ(run.result, 2);
  const auto lines = run.report_lines();
  ASSERT_GE(lines.size(), 8u);
  EXPECT_EQ(lines[0], "");
  EXPECT_EQ(lines[1], "");
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(lines[3], "***   INPUT DATA RECORD TOO LONG DUE TO REPEAT    FEATURE   ***");
  EXPECT_EQ(lines[4], "");
  EXPECT_EQ(lines[5], " ***   DATA TRUNCATED ON THE FOLLOWING LINE    ***");
  EXPECT_EQ(lines[6], "");
  EXPECT_EQ(lines[7], " " + rt::pad(line, 80));
}

TEST(Prepass, ScratchFilesAfterTheRun) {
  harness::EngineRun run = harness::run_engine("NOEC\r\n2*4 $ note\r\nSTOP\r\nnever read\r\n");
  EXPECT_EQ(harness::read_file(run.folder + "/TAPE8"), " \n");
  EXPECT_EQ(harness::read_file(run.folder + "/TAPE7"),
            rt::pad("NOEC", 80) + "\n2.\n-999.\n4.\n" + rt::pad("STOP", 80) + "\n" +
                rt::pad("never read", 80) + "\n");
}

TEST(Readit, NumbersWordsAndPushBack) {
  harness::ReaderFixture f("1.5 2\nHALF\n3\n");
  float v = 0;
  std::string w;
  EXPECT_EQ(eng::read_number(v), 1);
  EXPECT_FLOAT_EQ(v, 1.5f);
  EXPECT_EQ(eng::read_number(v), 1);
  EXPECT_FLOAT_EQ(v, 2.0f);
  eng::push_back_record();
  EXPECT_EQ(eng::read_number(v), 1);
  EXPECT_FLOAT_EQ(v, 2.0f);
  // A keyword where a number is due: status -1, four messages, and the word is
  // pushed back for the keyword loop.
  EXPECT_EQ(eng::read_number(v), -1);
  EXPECT_EQ(v, 0.0f);
  EXPECT_EQ(eng::read_word(w), 1);
  EXPECT_EQ(w, "HALF");
  EXPECT_EQ(eng::read_word(w), 1);
  EXPECT_EQ(w, "3.  ");
  EXPECT_EQ(eng::read_word(w), 0);
  EXPECT_EQ(w, "    ");
  EXPECT_EQ(eng::read_number(v), 0);
  int st = 0;
  eng::READIT(5, v, w, st);  // an invalid mode pushes back
  EXPECT_EQ(st, 1);

  const std::vector<std::string> expect = {
      "",
      "",
      " *** INPUT ERROR ***    ALPHANUMERIC ENCOUNTERED - \"HALF                \",",
      "",
      "",
      " *** INPUT ERROR ***    ALPHANUMERIC ENCOUNTERED - \"                    \",",
      "",
      "",
      " *** INPUT ERROR ***    ALPHANUMERIC ENCOUNTERED - \"                    \",",
      "",
      "",
      " *** INPUT ERROR ***    ALPHANUMERIC ENCOUNTERED - \"                    \",",
      "",
      "",
      " *** INPUT ERROR ***    END OF FILE ENCOUNTERED WHILE",
      "                        READING   1 ALPHANUMERIC WORDS",
      "",
      "",
      " *** INPUT ERROR ***    END OF FILE ENCOUNTEREDW   HILE READING",
      "                        NUMBER   1 OF   1 NUMBERS TO BE REA D",
      " *** INVALID CALL TO READIT, BACKSPACE ASSUMED ***",
  };
  EXPECT_EQ(f.report_lines(), expect);
}

TEST(Readit, WordThatIsNoKeywordIsConsumed) {
  harness::ReaderFixture f("ABCD\n7\n");
  float v = 0;
  EXPECT_EQ(eng::read_number(v), -1);
  EXPECT_EQ(eng::read_number(v), 1);
  EXPECT_FLOAT_EQ(v, 7.0f);
}

}  // namespace

namespace {

TEST(Readit, PushBackAtTheEndOfInputMeetsTheEndAgain) {
  harness::ReaderFixture f("7\n");
  float v = 0;
  EXPECT_EQ(eng::read_number(v), 1);
  EXPECT_EQ(eng::read_number(v), 0);
  eng::push_back_record();
  EXPECT_EQ(eng::read_number(v), 0);
  eng::push_back_record();
  eng::push_back_record();
  EXPECT_EQ(eng::read_number(v), 1) << "two push-backs past the end step over the last record";
  EXPECT_FLOAT_EQ(v, 7.0f);
}

}  // namespace
