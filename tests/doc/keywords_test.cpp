// Every deck keyword the manual quotes ({kw:WORD}) is one the engine reads: its first four
// letters are an entry of the engine's keyword table (keywords and sub-keywords are one table).
#include "keywords.h"
#include "manual_marks.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::filesystem::path kManual = ManualMarks::Folder(TREMEX_SOURCE_DIR);

// The word as the deck writes it: up to a "=" or a blank ("GRAVITY=9.8" is GRAV).
std::string DeckWord(const std::string& text)
{
    return text.substr(0, text.find_first_of("= "));
}

bool EngineReads(const std::string& word)
{
    if (word.empty()) return false;
    const int index = eng::keyword_index(word.substr(0, 4));
    return index != eng::kNoKeyword && std::string(eng::keyword_text(index)) != "    ";
}

TEST(ManualKeywords, TheEngineTableDecidesAsTheReaderDoes)
{
    // Independent of the manual: words of the bundled decks and words no deck may use.
    for (const char* word : {"SOIL", "FOUNDATION", "HALF-SPACE", "RECTANGULAR", "BELOW", "GRAVITY", "NONQUADRATIC",
                             "RUN", "END-", "PAD"})
        EXPECT_TRUE(EngineReads(DeckWord(word))) << word;
    for (const char* word : {"SOI", "GROUND", "", "    ", "soil", "DAMPING"})
        EXPECT_FALSE(EngineReads(DeckWord(word))) << '"' << word << '"';
    EXPECT_EQ(DeckWord("GRAVITY=9.8"), "GRAVITY");
}

TEST(ManualKeywords, EveryQuotedKeywordIsReadByTheEngine)
{
    int count = 0;
    for (const ManualMarks::Mark& m : ManualMarks::Read(kManual)) {
        if (m.kind != "kw") continue;
        ++count;
        EXPECT_TRUE(EngineReads(DeckWord(m.text)))
            << m.Where() << ": " << m.Quoted() << ": the engine reads no keyword \"" << DeckWord(m.text).substr(0, 4)
            << "\"";
    }
    RecordProperty("keywords", count);
}

}  // namespace
