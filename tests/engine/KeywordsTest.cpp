#include "engine/Keywords.h"
#include "engine/Engine.h"
#include "support/RecordingSink.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <set>

namespace vantrel {
namespace {

// ---- Keyword matching -------------------------------------------------------------------

struct LookupCase {
    const char* name;
    const char* text;
    KeywordId id;
    const char* entry;
};

void PrintTo(const LookupCase& c, std::ostream* os) {
    *os << c.name;
}

class LookupKeyword : public testing::TestWithParam<LookupCase> {};

TEST_P(LookupKeyword, FirstMatchingEntryWins) {
    const LookupCase& c = GetParam();
    std::string entry = "stale";
    EXPECT_EQ(lookupKeyword(c.text, &entry), c.id) << "text: '" << c.text << "'";
    EXPECT_EQ(entry, c.entry);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, LookupKeyword,
    testing::Values(
        LookupCase{"ExactName", "%PROJECTNAME%", KW_PROJECTNAME, "%PROJECTNAME%"},
        LookupCase{"LowerCase", "%projectname%", KW_PROJECTNAME, "%PROJECTNAME%"},
        LookupCase{"MixedCase", "%ProjectName%", KW_PROJECTNAME, "%PROJECTNAME%"},
        LookupCase{"WithoutDelimiters", "ACDF_MENU", KW_ACDF_MENU, "%ACDF_MENU%"},
        LookupCase{"PrefixRuleTakesLongerWord", "ACDF_MENUS", KW_ACDF_MENU, "%ACDF_MENU%"},
        LookupCase{"PrefixRuleFindsEarlierEntry", "ACDF_IDXDEF", KW_ACDF_IDX, "%ACDF_IDX%"},
        LookupCase{"DelimitedIdxDefIsItself", "%ACDF_IDXDEF%", KW_ACDF_IDXDEF, "%ACDF_IDXDEF%"},
        LookupCase{"SettingWithoutDelimiters", "piinc", KW_PIINC, "%piinc%"},
        LookupCase{"MatrixStandsBeforeView", "matrixinc", KW_MATRIXINC, "%matrixinc%"},
        LookupCase{"EmptyTextIsZero", "", KW_ZERO, "0"},
        LookupCase{"ZeroItself", "0", KW_ZERO, "0"},
        LookupCase{"ZeroHasNoPrefixRule", "07", KW_NONE, ""},
        LookupCase{"LoopBound", "ALL_ACTIONS", KW_ALL_ACTIONS, "ALL_ACTIONS"},
        LookupCase{"LoopBoundInDelimitersIsNoKeyword", "%ALL_ACTIONS%", KW_NONE, ""},
        LookupCase{"HostLowerCase", "kel", KW_KEL, "KEL"},
        LookupCase{"ShortNameStripsToOneLetter", "EXTRA", KW_KEL, "KEL"},
        LookupCase{"LeadingPercentNeedsExactName", "%APPINTERFACEPTR", KW_NONE, ""},
        LookupCase{"Unknown", "%NOSUCHTHING%", KW_NONE, ""}),
    [](const testing::TestParamInfo<LookupCase>& info) { return info.param.name; });

TEST(KeywordTable, HoldsEveryIdOnceInMatchingOrder) {
    std::set<KeywordId> ids;
    for (const KeywordEntry& entry : keywordTable)
        ids.insert(entry.id);
    EXPECT_EQ(ids.size(), KEYWORD_COUNT);
    EXPECT_EQ(*ids.begin(), 0);
    EXPECT_EQ(*ids.rbegin(), 58);
    EXPECT_EQ(keywordTable[13].name, "%vectorinc%");
    EXPECT_EQ(keywordTable[14].name, "%matrixinc%");
    EXPECT_EQ(keywordTable[15].name, "%viewinc%");
}

// ---- Values, conditions, replacement -----------------------------------------------------

ActionDefinition namedAction(const char* name, std::uint32_t flags = 0) {
    ActionDefinition action;
    action.name = name;
    action.flags = flags;
    return action;
}

// The Kel project Demo with the actions Line, Arc and Box; Line is current.
ProjectState demoProject() {
    ProjectState project;
    project.projectName = "Demo";
    project.kelHost = 1;
    project.dllFlags = PIDLLFL_AUTO;
    project.actions = {namedAction("Line"), namedAction("Arc"), namedAction("Box")};
    project.selectAction(0);
    return project;
}

ActionDefinition& current(ProjectState& project) {
    return *project.currentAction();
}

struct ValueCase {
    const char* name;
    std::function<void(ProjectState&)> setup;
    const char* placeholder;
    std::optional<std::string> value;
    std::string secondValue;
};

void PrintTo(const ValueCase& c, std::ostream* os) {
    *os << c.name;
}

class PlaceholderValue : public testing::TestWithParam<ValueCase> {};

TEST_P(PlaceholderValue, ComputedFromProjectAndCurrentAction) {
    const ValueCase& c = GetParam();
    ProjectState project = demoProject();
    if (c.setup)
        c.setup(project);
    RecordingSink sink;
    Engine generator(project, sink);
    std::string second = "stale";
    EXPECT_EQ(generator.values().placeholderValue(c.placeholder, &second), c.value);
    EXPECT_EQ(second, c.secondValue);
}

const auto noSetup = std::function<void(ProjectState&)>();

INSTANTIATE_TEST_SUITE_P(
    Table, PlaceholderValue,
    testing::Values(
        ValueCase{"Version", noSetup, "%VANTRELVERSION%", "1.4", ""},
        ValueCase{"ProjectNameAnyCase", noSetup, "%projectName%", "Demo", ""},
        ValueCase{"ZeroHasNoValue", noSetup, "0", std::nullopt, ""},
        ValueCase{"LoopBoundHasNoValue", noSetup, "ALL_ACTIONS", std::nullopt, ""},
        ValueCase{"ConditionOnlyHasNoValue", noSetup, "CREATE_PANEL", std::nullopt, ""},
        ValueCase{"ActionNameQuoted", noSetup, "%ACDF_NAME%", "\"Line\"", ""},
        ValueCase{"MenuBackslashesDoubled",
                  [](ProjectState& p) {
                      current(p).flags = ACF_MENU;
                      current(p).menu = "Draw\\Line";
                  },
                  "%ACDF_MENU%", "\"Draw\\\\Line\"", ""},
        ValueCase{"MenuWithoutFlagIsNull", [](ProjectState& p) { current(p).menu = "Draw"; },
                  "%ACDF_MENU%", "NULL", ""},
        ValueCase{"MenuFlagWithEmptyTextIsNull",
                  [](ProjectState& p) { current(p).flags = ACF_MENU; }, "%ACDF_MENU%", "NULL", ""},
        ValueCase{"IdxDefUpperCased", [](ProjectState& p) { current(p).name = "line"; },
                  "%ACDF_IDXDEF%", "IDA_LINE", ""},
        ValueCase{"IdxOfCurrentAction", [](ProjectState& p) { p.selectAction(2); }, "%ACDF_IDX%",
                  "2", ""},
        ValueCase{"InterfacePointerIndividual",
                  [](ProjectState& p) {
                      p.selectAction(2);
                      current(p).indivInterface = 1;
                  },
                  "%APPINTERFACEPTR%", "gp_IIO2", ""},
        ValueCase{"InterfacePointerGlobalKel", [](ProjectState& p) { p.selectAction(2); },
                  "%APPINTERFACEPTR%", "gp_KelInterface", ""},
        ValueCase{"InterfacePointerNoHost", [](ProjectState& p) { p.kelHost = 0; },
                  "%APPINTERFACEPTR%", "0", ""},
        ValueCase{"DovWinsOverKel", [](ProjectState& p) { p.dovHost = 1; },
                  "%APPINTERFACECLASSNAME%", "CDovInterface", ""},
        ValueCase{"TypeNamed", [](ProjectState& p) { current(p).type = 3; }, "%ACDF_TYP%",
                  "PIPD_LOADPROC", ""},
        ValueCase{"TypeUnknownIsCommonTool", [](ProjectState& p) { current(p).type = 9; },
                  "%ACDF_TYP%", "PIPD_COMMONTOOL", ""},
        ValueCase{"DllFlagsDov",
                  [](ProjectState& p) {
                      p.kelHost = 0;
                      p.dovHost = 1;
                  },
                  "%DLLFLAGS%", "PIDLLFL_DOV | PIDLLFL_AUTO", ""},
        ValueCase{"DllFlagsKelWithoutBits", [](ProjectState& p) { p.dllFlags = 0; }, "%DLLFLAGS%",
                  "PIDLLFL_KEL", ""},
        ValueCase{"DllFlagsNoHostStartsWithSeparator",
                  [](ProjectState& p) {
                      p.kelHost = 0;
                      p.dllFlags = PIDLLFL_RESIDENT;
                  },
                  "%DLLFLAGS%", " | PIDLLFL_RESIDENT", ""},
        ValueCase{"ProcedureNeedsFlagAndName",
                  [](ProjectState& p) { current(p).procExecute = "line_Execute"; },
                  "%ACDF_PROC_EXECUTE%", "NULL", ""},
        ValueCase{"ProcedureUnquoted",
                  [](ProjectState& p) {
                      current(p).flags = ACF_PROC_EXECUTE;
                      current(p).procExecute = "line_Execute";
                  },
                  "%ACDF_PROC_EXECUTE%", "line_Execute", ""},
        ValueCase{"KitSettingWithFileName", [](ProjectState& p) { p.piinc = "kit\\pi_v2.h"; },
                  "%piinc%", "kit\\pi_v2.h", "pi.h"},
        ValueCase{"KitLibraryFileName", noSetup, "dovpilib_r", "dovpi_r.lib", "dovpi.lib"},
        ValueCase{"EmptySettingIsAValue", noSetup, "%workdir%", "", ""},
        ValueCase{"ExtraSettingOwnCase",
                  [](ProjectState& p) {
                      p.extraSettings = {{"resfile", "res.h", "r.h"}};
                  },
                  "%resfile%", "res.h", "r.h"},
        ValueCase{"ExtraSettingDoubledPercent",
                  [](ProjectState& p) {
                      p.extraSettings = {{"resfile", "res.h", ""}};
                  },
                  "%%resfile%%", "res.h", ""},
        ValueCase{"ExtraSettingOtherCaseNotFound",
                  [](ProjectState& p) {
                      p.extraSettings = {{"resfile", "res.h", ""}};
                  },
                  "%RESFILE%", std::nullopt, ""},
        ValueCase{"ExtraSettingFirstKeyWins",
                  [](ProjectState& p) {
                      p.extraSettings = {{"k", "one", ""}, {"k", "two", ""}};
                  },
                  "%k%", "one", ""},
        ValueCase{"DelimitedLoopBoundIsAnExtraSetting",
                  [](ProjectState& p) {
                      p.extraSettings = {{"ALL_ACTIONS", "all", ""}};
                  },
                  "%ALL_ACTIONS%", "all", ""},
        ValueCase{"NoCurrentActionReadsAsEmpty", [](ProjectState& p) { p.actions.clear(); },
                  "%ACDF_MENU%", "NULL", ""},
        ValueCase{"NoCurrentActionEmptyName", [](ProjectState& p) { p.actions.clear(); },
                  "%ACDF_NAME%", "\"\"", ""}),
    [](const testing::TestParamInfo<ValueCase>& info) { return info.param.name; });

struct ConditionCase {
    const char* name;
    std::function<void(ProjectState&)> setup;
    const char* keyword;
    bool expected;
};

void PrintTo(const ConditionCase& c, std::ostream* os) {
    *os << c.name;
}

class IsConditionTrue : public testing::TestWithParam<ConditionCase> {};

TEST_P(IsConditionTrue, ForCurrentActionAndHosts) {
    const ConditionCase& c = GetParam();
    ProjectState project = demoProject();
    if (c.setup)
        c.setup(project);
    RecordingSink sink;
    Engine generator(project, sink);
    EXPECT_EQ(generator.values().isConditionTrue(lookupKeyword(c.keyword)), c.expected);
}

void toolbarPictureOnly(ProjectState& p) {
    current(p).flags = ACF_TOOLBAR;
    current(p).tbButton = "line.bmp";
}

void panelWithStatus(ProjectState& p, std::uint32_t panel) {
    current(p).flags = panel | ACF_CB_STATUS;
    current(p).cbStatus = "line_Status";
}

INSTANTIATE_TEST_SUITE_P(
    Table, IsConditionTrue,
    testing::Values(
        ConditionCase{"ToolbarPictureSharesBit", toolbarPictureOnly, "ACDF_TB_PIC", true},
        ConditionCase{"ToolbarNameNeedsText", toolbarPictureOnly, "ACDF_TB_NAME", false},
        ConditionCase{"ModalDialogGetsNoCallbacks",
                      [](ProjectState& p) { panelWithStatus(p, ACF_PANEL_MODDIALOG); },
                      "ACDF_SET_CBPROCS", false},
        ConditionCase{"DialogWithStatusCallback",
                      [](ProjectState& p) { panelWithStatus(p, ACF_PANEL_DIALOG); },
                      "ACDF_SET_CBPROCS", true},
        ConditionCase{"WindowWithMouseCallback",
                      [](ProjectState& p) {
                          current(p).flags = ACF_PANEL_WINDOW | ACF_CB_MS_MOVE;
                          current(p).cbMsMove = "line_Move";
                      },
                      "ACDF_SET_CBPROCS", true},
        ConditionCase{"MouseNeedsText", [](ProjectState& p) { current(p).flags = ACF_CB_MS_LBUP; },
                      "ACDF_CBPROC_MOUSE", false},
        ConditionCase{"PanelFromWindow",
                      [](ProjectState& p) { current(p).flags = ACF_PANEL_WINDOW; }, "CREATE_PANEL",
                      true},
        ConditionCase{"NoPanel", noSetup, "CREATE_PANEL", false},
        ConditionCase{"Topmost", [](ProjectState& p) { current(p).flags = ACF_TOPMOST; },
                      "TOPMOSTWINDOW", true},
        ConditionCase{"StaticBuffer", [](ProjectState& p) { current(p).staticMemBuf = 1; },
                      "USING_STATIC_MEMORY_BUF", true},
        ConditionCase{"KelHost", noSetup, "KEL", true},
        ConditionCase{"DovHostNotChosen", noSetup, "DOV", false},
        ConditionCase{"ValueKeywordNeverTrue", noSetup, "%PROJECTNAME%", false},
        ConditionCase{"PanelClassNeverTrue",
                      [](ProjectState& p) { current(p).panelClass = "CLinePanel"; },
                      "%PANELCLASSNAME%", false},
        ConditionCase{"UnknownIsFalse", noSetup, "NO_SUCH_WORD", false}),
    [](const testing::TestParamInfo<ConditionCase>& info) { return info.param.name; });

// One generator asked again and again, as a run asks it, while the project changes between
// the calls: every value follows the project as it is now.
TEST(PlaceholderValueAgain, FollowsTheProjectBetweenCalls) {
    ProjectState project = demoProject();
    RecordingSink sink;
    Engine generator(project, sink);
    const auto both = [&] {
        return generator.values().placeholderValue("%ACDF_IDXDEF%").value_or("none") + " " +
               generator.values().placeholderValue("%ACDF_IDX%").value_or("none");
    };
    EXPECT_EQ(both(), "IDA_LINE 0");
    project.selectAction(1);
    EXPECT_EQ(both(), "IDA_ARC 1");
    project.actions[1].name = "arc2";
    EXPECT_EQ(both(), "IDA_ARC2 1");
    project.actions[1].name.clear();
    EXPECT_EQ(both(), "IDA_ 1");
    project.selectAction(0);
    EXPECT_EQ(both(), "IDA_LINE 0");
    project.hasCurrentAction = false;
    EXPECT_EQ(both(), "IDA_ 0");
}

TEST(ReplacePlaceholder, ReplacesOnlyTheExactSpelling) {
    ProjectState project = demoProject();
    RecordingSink sink;
    Engine generator(project, sink);

    std::string text = "%projectname% and %PROJECTNAME%, %projectname%";
    EXPECT_TRUE(generator.values().replacePlaceholder(text, "%projectname%"));
    EXPECT_EQ(text, "Demo and %PROJECTNAME%, Demo");

    text = "keep %NOSUCH%";
    EXPECT_FALSE(generator.values().replacePlaceholder(text, "%NOSUCH%"));
    EXPECT_EQ(text, "keep %NOSUCH%");
}

TEST(ReplacePlaceholder, InsertedValueIsNotSearchedAgain) {
    ProjectState project = demoProject();
    project.projectName = "x%PROJECTNAME%";
    RecordingSink sink;
    Engine generator(project, sink);
    std::string text = "[%PROJECTNAME%]";
    EXPECT_TRUE(generator.values().replacePlaceholder(text, "%PROJECTNAME%"));
    EXPECT_EQ(text, "[x%PROJECTNAME%]");
}

TEST(LoopCountOf, OnlyAllActionsCounts) {
    ProjectState project = demoProject();
    RecordingSink sink;
    Engine generator(project, sink);
    EXPECT_EQ(generator.values().loopCountOf(KW_ALL_ACTIONS), 3);
    EXPECT_EQ(generator.values().loopCountOf(KW_ZERO), 0);
    EXPECT_EQ(generator.values().loopCountOf(KW_NONE), 0);
}

} // namespace
} // namespace vantrel
