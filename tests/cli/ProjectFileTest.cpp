#include "cli/ProjectFile.h"

#include "cli/ConfiguredProject.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace vantrel {
namespace {

TEST(ProjectFileRead, EveryKeyGiven) {
    ProjectState project = configuredProject();
    ProjectFile file("p.json");
    ASSERT_TRUE(file.apply(R"({
        "host": "dov", "name": "Demo", "location": "out\\here", "dllFlags": "PIDLLFL_RESIDENT",
        "actions": [
            {"name": "Line", "type": "pipd_loadproc",
             "flags": ["ACF_PROC_EXECUTE", "ACF_MENU", "ACF_PANEL_WINDOW", "ACF_CB_MS_MOVE"],
             "indivInterface": true, "staticMemBuf": 1, "menu": "Draw\\Line",
             "tbName": "tb", "tooltips": "tip", "tbButton": "btn", "procExecute": "pe",
             "procClose": "pc", "procFirstTime": "pf", "panelClass": "CPanel",
             "cbStatus": "s", "cbKeybrd": "k", "cbMsLbDown": "ld", "cbMsLbUp": "lu",
             "cbMsRbDown": "rd", "cbMsRbUp": "ru", "cbMsMove": "mv"},
            {"name": "Arc", "type": 4, "flags": 17}
        ]})",
                           project))
        << file.error();
    EXPECT_EQ(project.dovHost, 1);
    EXPECT_EQ(project.kelHost, 0);
    EXPECT_EQ(project.nameText, "Demo");
    EXPECT_EQ(project.locationBase, "out\\here");
    EXPECT_EQ(project.locationText, "out\\here");
    EXPECT_EQ(project.dllFlags, PIDLLFL_RESIDENT);
    ASSERT_EQ(project.actionCount(), 2);

    const ActionDefinition& line = project.actions[0];
    EXPECT_EQ(line.name, "Line");
    EXPECT_EQ(line.type, 3u);
    EXPECT_EQ(line.flags, ACF_PROC_EXECUTE | ACF_MENU | ACF_PANEL_WINDOW | ACF_CB_MS_MOVE);
    EXPECT_EQ(line.indivInterface, 1);
    EXPECT_EQ(line.staticMemBuf, 1);
    const std::string texts[] = {
        line.menu,       line.tbName,        line.tooltips,   line.tbButton, line.procExecute,
        line.procClose,  line.procFirstTime, line.panelClass, line.cbStatus, line.cbKeybrd,
        line.cbMsLbDown, line.cbMsLbUp,      line.cbMsRbDown, line.cbMsRbUp, line.cbMsMove};
    const std::string expected[] = {"Draw\\Line", "tb", "tip", "btn", "pe", "pc", "pf", "CPanel",
                                    "s",          "k",  "ld",  "lu",  "rd", "ru", "mv"};
    for (std::size_t i = 0; i < std::size(texts); ++i)
        EXPECT_EQ(texts[i], expected[i]) << "text field " << i;

    EXPECT_EQ(project.actions[1].type, 4u);
    EXPECT_EQ(project.actions[1].flags, ACF_PROC_EXECUTE | ACF_MENU);
}

TEST(ProjectFileRead, LeftOutKeysKeepConfigurationAndActionDefaults) {
    ProjectState project = configuredProject();
    ProjectFile file("p.json");
    ASSERT_TRUE(file.apply(R"({"host": "Kel", "actions": [{"name": "Line"}]})", project))
        << file.error();
    EXPECT_EQ(project.kelHost, 1);
    EXPECT_EQ(project.dovHost, 0);
    EXPECT_EQ(project.nameText, "FromConfig");
    EXPECT_EQ(project.locationBase, "C:\\work");
    EXPECT_EQ(project.dllFlags, PIDLLFL_AUTO);

    ActionDefinition expected;
    expected.setActionDefaults("Line");
    const ActionDefinition& line = project.actions[0];
    EXPECT_EQ(line.type, expected.type);
    EXPECT_EQ(line.flags, expected.flags);
    EXPECT_EQ(line.menu, "Tools\\Line");
    EXPECT_EQ(line.procExecute, "line_Execute");
    EXPECT_EQ(line.panelClass, expected.panelClass);
    EXPECT_EQ(line.cbStatus, expected.cbStatus);
    EXPECT_EQ(line.procClose, "");
    EXPECT_EQ(line.indivInterface, 0);
    EXPECT_EQ(line.staticMemBuf, 0);

    ASSERT_TRUE(file.apply(R"({"host": "KEL", "dllFlags": 1})", project));
    EXPECT_EQ(project.actionCount(), 1) << "no \"actions\" key keeps the list";
    EXPECT_EQ(project.dllFlags, 1u);
}

TEST(ProjectFileRead, RepeatedKeysKeepTheLastValue) {
    ProjectState project = configuredProject();
    ProjectFile file("p.json");
    ASSERT_TRUE(file.apply(R"({"host": "KEL",
        "actions": [{"name": "a"}, {"name": 1}], "actions": [{"name": "c", "menu": "m"}],
        "host": "DOV"})",
                           project))
        << file.error();
    EXPECT_EQ(project.dovHost, 1);
    ASSERT_EQ(project.actionCount(), 1);
    EXPECT_EQ(project.actions[0].name, "c");
    EXPECT_EQ(project.actions[0].menu, "m");
}

struct RefusalCase {
    const char* name;
    const char* json;
    const char* message;
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
    *os << c.name << ": " << c.json;
}

class ProjectFileRefusal : public testing::TestWithParam<RefusalCase> {};

TEST_P(ProjectFileRefusal, NamesFileAndKeyAndChangesNothing) {
    ProjectState project = configuredProject();
    ProjectFile file("dir/p.json");
    EXPECT_FALSE(file.apply(GetParam().json, project));
    EXPECT_EQ(file.error(), GetParam().message);
    EXPECT_EQ(project.kelHost + project.dovHost, 0);
    EXPECT_EQ(project.nameText, "FromConfig");
    EXPECT_EQ(project.actionCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProjectFileRefusal,
    testing::Values(
        RefusalCase{"TrailingComma", "{\"host\": \"KEL\",}",
                    "dir/p.json: parse error at line 1, column 16: syntax error while parsing "
                    "object key - unexpected '}'; expected string literal"},
        RefusalCase{"SecondLine", "{\"host\": \"KEL\"\n \"name\": 1}",
                    "dir/p.json: parse error at line 2, column 7: syntax error while parsing "
                    "object - unexpected string literal; expected '}'"},
        RefusalCase{"Empty", "",
                    "dir/p.json: parse error at line 1, column 1: syntax error while parsing "
                    "value - unexpected end of input; expected '[', '{', or a literal"},
        RefusalCase{"NotAnObject", "[]", "dir/p.json: the project must be a JSON object"},
        RefusalCase{"UnknownKey", R"({"host": "KEL", "colour": 1})",
                    "dir/p.json: \"colour\": unknown key"},
        RefusalCase{"HostMissing", R"({"name": "x"})", "dir/p.json: \"host\": missing"},
        RefusalCase{"HostUnknown", R"({"host": "KELL"})",
                    "dir/p.json: \"host\": must be \"KEL\" or \"DOV\""},
        RefusalCase{"HostNumber", R"({"host": 1})", "dir/p.json: \"host\": must be a string"},
        RefusalCase{"NameNumber", R"({"host": "KEL", "name": 5})",
                    "dir/p.json: \"name\": must be a string"},
        RefusalCase{"LocationNull", R"({"host": "KEL", "location": null})",
                    "dir/p.json: \"location\": must be a string"},
        RefusalCase{"DllFlagsName", R"({"host": "KEL", "dllFlags": "pidllfl_auto"})",
                    "dir/p.json: \"dllFlags\": must be \"PIDLLFL_AUTO\", \"PIDLLFL_RESIDENT\" or "
                    "an integer"},
        RefusalCase{"DllFlagsNegative", R"({"host": "KEL", "dllFlags": -1})",
                    "dir/p.json: \"dllFlags\": must be \"PIDLLFL_AUTO\", \"PIDLLFL_RESIDENT\" or "
                    "an integer"},
        RefusalCase{"ActionsObject", R"({"host": "KEL", "actions": {}})",
                    "dir/p.json: \"actions\": must be an array of objects"},
        RefusalCase{"ActionString", R"({"host": "KEL", "actions": [{"name": "a"}, "b"]})",
                    "dir/p.json: \"actions[1]\": must be an object"},
        RefusalCase{"ActionUnnamed", R"({"host": "KEL", "actions": [{"menu": "m"}]})",
                    "dir/p.json: \"actions[0].name\": missing"},
        RefusalCase{"ActionNameNumber", R"({"host": "KEL", "actions": [{"name": 1}]})",
                    "dir/p.json: \"actions[0].name\": must be a string"},
        RefusalCase{"ActionUnknownKey",
                    R"({"host": "KEL", "actions": [{"name": "a", "Menu": ""}]})",
                    "dir/p.json: \"actions[0].Menu\": unknown key"},
        RefusalCase{"ActionTextNumber",
                    R"({"host": "KEL", "actions": [{"name": "a", "cbKeybrd": 1}]})",
                    "dir/p.json: \"actions[0].cbKeybrd\": must be a string"},
        RefusalCase{"TypeUnknownName",
                    R"({"host": "KEL", "actions": [{"name": "a", "type": "PIPD_X"}]})",
                    "dir/p.json: \"actions[0].type\": unknown procedure type \"PIPD_X\""},
        RefusalCase{"TypeFloat", R"({"host": "KEL", "actions": [{"name": "a", "type": 4.5}]})",
                    "dir/p.json: \"actions[0].type\": must be an integer or a procedure type name"},
        RefusalCase{
            "FlagsUnknownName",
            R"({"host": "KEL", "actions": [{"name": "a", "flags": ["ACF_MENU", "ACF_MENUS"]}]})",
            "dir/p.json: \"actions[0].flags[1]\": unknown flag name \"ACF_MENUS\""},
        RefusalCase{"FlagsNameNotString",
                    R"({"host": "KEL", "actions": [{"name": "a", "flags": [16]}]})",
                    "dir/p.json: \"actions[0].flags[0]\": must be a string"},
        RefusalCase{"FlagsUnknownBit", R"({"host": "KEL", "actions": [{"name": "a", "flags": 8}]})",
                    "dir/p.json: \"actions[0].flags\": holds bits that are no ACF_ flag"},
        RefusalCase{"FlagsString",
                    R"({"host": "KEL", "actions": [{"name": "a", "flags": "ACF_MENU"}]})",
                    "dir/p.json: \"actions[0].flags\": must be an integer or an array of ACF_ "
                    "names"},
        // Actions are taken out while the file is read; what is reported must not change.
        RefusalCase{"MalformedAfterFaultyAction", R"({"host": "KEL", "actions": [{"name": 1}])",
                    "dir/p.json: parse error at line 1, column 41: syntax error while parsing "
                    "object - unexpected end of input; expected '}'"},
        RefusalCase{"UnknownKeyAfterFaultyAction",
                    R"({"host": "KEL", "actions": [{"name": 1}], "colour": 2})",
                    "dir/p.json: \"colour\": unknown key"},
        RefusalCase{"HostMissingAfterActions", R"({"actions": [{"name": 1}]})",
                    "dir/p.json: \"host\": missing"},
        RefusalCase{"FirstFaultInListOrder",
                    R"({"host": "KEL", "actions": [{"name": "a"}, 3, {"name": 1}]})",
                    "dir/p.json: \"actions[1]\": must be an object"},
        RefusalCase{"FaultyActionBeforeNonObject",
                    R"({"host": "KEL", "actions": [{"name": "a"}, {"name": 1}, 3]})",
                    "dir/p.json: \"actions[1].name\": must be a string"},
        RefusalCase{"RepeatedActionsKeyNotAList",
                    R"({"host": "KEL", "actions": [{"name": "a"}], "actions": {"x": {}}})",
                    "dir/p.json: \"actions\": must be an array of objects"},
        RefusalCase{"NestedActionsKeyIsUnknown",
                    R"({"host": "KEL", "actions": [{"name": "a", "actions": [{"name": "b"}]}]})",
                    "dir/p.json: \"actions[0].actions\": unknown key"},
        RefusalCase{"CheckBoxTwo",
                    R"({"host": "KEL", "actions": [{"name": "a", "staticMemBuf": 2}]})",
                    "dir/p.json: \"actions[0].staticMemBuf\": must be true, false, 0 or 1"}),
    [](const testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

TEST(ProjectFileLoad, UnreadableFile) {
    ProjectState project = configuredProject();
    ProjectFile missing("no/such/project.json");
    EXPECT_FALSE(missing.load(project));
    EXPECT_EQ(missing.error(), "no/such/project.json: cannot be read");

    ProjectFile folder(".");
    EXPECT_FALSE(folder.load(project));
    EXPECT_EQ(folder.error(), ".: cannot be read");
}

} // namespace
} // namespace vantrel
