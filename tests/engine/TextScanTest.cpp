#include "engine/TextScan.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

enum class Scanner { Word, Quoted, Token };

struct ScanCase {
    const char* name;
    Scanner scanner;
    std::string_view text;
    std::size_t count;
    const char* result;
};

void PrintTo(const ScanCase& c, std::ostream* os) {
    *os << c.name;
}

class ScanLine : public testing::TestWithParam<ScanCase> {};

TEST_P(ScanLine, CountsWhatItRead) {
    const ScanCase& c = GetParam();
    std::string result = "stale";
    std::size_t count = 0;
    switch (c.scanner) {
    case Scanner::Word:
        count = readWord(c.text, result);
        break;
    case Scanner::Quoted:
        count = readQuotedString(c.text, result);
        break;
    case Scanner::Token:
        count = readToken(c.text, result, ",+");
        break;
    }
    EXPECT_EQ(count, c.count);
    EXPECT_EQ(result, c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScanLine,
    testing::Values(ScanCase{"WordAfterBlanks", Scanner::Word, " \t@IFDEF KEL\n", 8, "@IFDEF"},
                    ScanCase{"WordUpToLineBreak", Scanner::Word, "TO\n", 2, "TO"},
                    ScanCase{"WordNothingBeforeLineBreak", Scanner::Word, "  \n", 0, ""},
                    ScanCase{"WordEmptyText", Scanner::Word, "", 0, ""},
                    ScanCase{"WordBlanksThenEnd", Scanner::Word, "   ", 3, ""},
                    ScanCase{"WordStopsAtNul", Scanner::Word, std::string_view("ab\0cd", 5), 2,
                             "ab"},
                    ScanCase{"QuotedPastClosingQuote", Scanner::Quoted,
                             " \"%PROJECTNAME%\\res\" x\n", 20, "%PROJECTNAME%\\res"},
                    ScanCase{"QuotedEmpty", Scanner::Quoted, "\"\"", 2, ""},
                    ScanCase{"QuotedMissingOpenQuote", Scanner::Quoted, " main\n", 0, ""},
                    ScanCase{"QuotedBeforeLineBreakOnly", Scanner::Quoted, " \n", 0, ""},
                    ScanCase{"QuotedUnclosedRunsToLineEnd", Scanner::Quoted, "\"abc\n", 5, "abc\n"},
                    ScanCase{"TokenSeparatorAlone", Scanner::Token, " , KEL", 2, ","},
                    ScanCase{"TokenEndsAtSeparator", Scanner::Token, "KEL+DOV\n", 3, "KEL"},
                    ScanCase{"TokenNothingBeforeLineBreak", Scanner::Token, "\t\n", 0, ""},
                    ScanCase{"TokenBlanksThenEnd", Scanner::Token, "  ", 2, ""}),
    [](const testing::TestParamInfo<ScanCase>& info) { return info.param.name; });

struct PairCase {
    const char* name;
    const char* text;
    bool found;
    std::size_t start;
    std::size_t length;
};

void PrintTo(const PairCase& c, std::ostream* os) {
    *os << c.name;
}

class FindDelimitedPair : public testing::TestWithParam<PairCase> {};

TEST_P(FindDelimitedPair, FirstOpenAndNextClose) {
    const PairCase& c = GetParam();
    std::size_t start = 99;
    std::size_t length = 99;
    ASSERT_EQ(findDelimitedPair(c.text, '%', '%', start, length), c.found);
    if (c.found) {
        EXPECT_EQ(start, c.start);
        EXPECT_EQ(length, c.length);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FindDelimitedPair,
                         testing::Values(PairCase{"Placeholder", "a %X% b", true, 2, 3},
                                         PairCase{"Adjacent", "%%", true, 0, 2},
                                         PairCase{"SingleOpen", "50% off", false, 0, 0},
                                         PairCase{"None", "plain", false, 0, 0}),
                         [](const testing::TestParamInfo<PairCase>& info) {
                             return info.param.name;
                         });

} // namespace
} // namespace vantrel
