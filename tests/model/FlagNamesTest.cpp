#include "model/FlagNames.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(JoinFlagNames, NamesOfMatchingRowsInTableOrder) {
    EXPECT_EQ(joinFlagNames(2, dllFlagTable), "PIDLLFL_AUTO");
    EXPECT_EQ(joinFlagNames(3, dllFlagTable), "PIDLLFL_AUTO | PIDLLFL_RESIDENT");
    EXPECT_EQ(joinFlagNames(0, dllFlagTable), "");
    EXPECT_EQ(joinFlagNames(5, procTypeTable), "PIPD_COMMONTOOL");
    EXPECT_EQ(joinFlagNames(7, procTypeTable), "");
}

struct ParseCase {
    const char* text;
    std::uint32_t expected;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << '\'' << c.text << '\'';
}

class ParseFlagNames : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseFlagNames, OnlyTheLastTokenCanMatch) {
    std::uint32_t word = 5;
    parseFlagNames(GetParam().text, word, procTypeTable);
    EXPECT_EQ(word, GetParam().expected) << "text: '" << GetParam().text << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseFlagNames,
    testing::Values(ParseCase{"pipd_loadproc", 3}, ParseCase{"PIPD_LOADPROC | PIPD_SAVEPROC", 4},
                    ParseCase{"PIPD_SAVEPROC | PIPD_LOADPROC", 3},
                    ParseCase{"PIPD_LOADPROC ", 5}, // trailing blank matches nothing
                    ParseCase{"PIPD_LOAD", 5}, ParseCase{"", 5}, ParseCase{"abc", 5}));

TEST(ParseFlagNames, DllBitsExcludeEachOther) {
    std::uint32_t word = PIDLLFL_AUTO;
    parseFlagNames("PIDLLFL_RESIDENT", word, dllFlagTable);
    EXPECT_EQ(word, PIDLLFL_RESIDENT);
}

TEST(DllFlagCombo, PositionsAfterFill) {
    assignComboPositions(dllFlagTable);
    EXPECT_EQ(dllFlagsToIndex(2), 0);
    EXPECT_EQ(dllFlagsToIndex(1), 1);
    EXPECT_EQ(dllFlagsToIndex(3), 0);
    EXPECT_EQ(dllFlagsToIndex(0), -1);

    std::uint32_t word = 2;
    EXPECT_EQ(setDllFlagsFromIndex(1, word), 1);
    EXPECT_EQ(word, 1u);
    EXPECT_EQ(setDllFlagsFromIndex(-1, word), 1);
    EXPECT_EQ(word, 1u);
    EXPECT_EQ(setDllFlagsFromIndex(5, word), 1);
    EXPECT_EQ(word, 1u);
}

} // namespace
} // namespace vantrel
