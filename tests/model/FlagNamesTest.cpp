#include "model/FlagNames.h"

#include <gtest/gtest.h>

#include <bit>

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

// Names as a project file gives them: the whole text is one name, in any letter case.
struct WholeNameCase {
    const char* text;
    std::uint32_t dllFlags;   // 0: no row
    std::uint32_t actionFlag; // 0: no bit
};

void PrintTo(const WholeNameCase& c, std::ostream* os) {
    *os << '\'' << c.text << '\'';
}

class WholeFlagName : public testing::TestWithParam<WholeNameCase> {};

TEST_P(WholeFlagName, MatchesOneName) {
    const FlagNameRow* row = findFlagName(GetParam().text, dllFlagTable);
    EXPECT_EQ(row != nullptr ? row->value : 0u, GetParam().dllFlags);
    EXPECT_EQ(actionFlagOfName(GetParam().text), GetParam().actionFlag);
}

INSTANTIATE_TEST_SUITE_P(Cases, WholeFlagName,
                         testing::Values(WholeNameCase{"PIDLLFL_RESIDENT", PIDLLFL_RESIDENT, 0},
                                         WholeNameCase{"PIDLLFL_AUTO", PIDLLFL_AUTO, 0},
                                         WholeNameCase{"ACF_MENU", 0, ACF_MENU},
                                         WholeNameCase{"ACF_CB_MS_MOVE", 0, ACF_CB_MS_MOVE},
                                         WholeNameCase{"pidllfl_auto", PIDLLFL_AUTO, 0},
                                         WholeNameCase{"Pidllfl_Resident", PIDLLFL_RESIDENT, 0},
                                         WholeNameCase{"acf_menu", 0, ACF_MENU},
                                         WholeNameCase{"Acf_Cb_Ms_Move", 0, ACF_CB_MS_MOVE},
                                         WholeNameCase{"PIDLLFL_AUTO ", 0, 0},
                                         WholeNameCase{"x | PIDLLFL_AUTO", 0, 0},
                                         WholeNameCase{"ACF_MENUS", 0, 0},
                                         WholeNameCase{"ACF_", 0, 0}, WholeNameCase{"", 0, 0}));

TEST(ActionFlagNames, OneNamePerBitAndEveryBitNamed) {
    std::uint32_t seen = 0;
    for (const ActionFlagName& entry : ACTION_FLAG_NAMES) {
        EXPECT_TRUE(entry.name.starts_with("ACF_")) << entry.name;
        EXPECT_EQ(std::popcount(entry.bit), 1) << entry.name;
        EXPECT_EQ(seen & entry.bit, 0u) << entry.name << " names a bit twice";
        seen |= entry.bit;
    }
    EXPECT_EQ(seen, ACTION_FLAG_BITS);
    EXPECT_EQ(ACTION_FLAG_BITS & (ACF_DEFAULT_FLAGS | ACF_PANEL_MASK | ACF_CB_MASK),
              ACF_DEFAULT_FLAGS | ACF_PANEL_MASK | ACF_CB_MASK);
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
