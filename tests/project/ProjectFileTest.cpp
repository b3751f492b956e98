#include "project/ProjectFile.h"

#include "project/ConfiguredProject.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <optional>
#include <ostream>
#include <string>
#include <thread>

namespace vantrel {
namespace {

using namespace std::string_literals;

// The error's message; empty when the text was taken.
std::string messageOf(const std::optional<ProjectFileError>& error) {
    return error ? error->message : "";
}

std::string applied(std::string_view json, ProjectState& project) {
    return messageOf(ProjectFile("p.json").apply(json, project));
}

// The configured project with an action list already present, so keeping or replacing it shows.
ProjectState startingProject() {
    ProjectState project = configuredProject();
    ActionDefinition kept;
    kept.setActionDefaults("Kept");
    project.appendAction(kept);
    return project;
}

// Everything a project file can reach is as startingProject() left it.
void expectUntouched(const ProjectState& project) {
    const ProjectState before = startingProject();
    EXPECT_EQ(project.kelHost, before.kelHost);
    EXPECT_EQ(project.dovHost, before.dovHost);
    EXPECT_EQ(project.nameText, before.nameText);
    EXPECT_EQ(project.locationBase, before.locationBase);
    EXPECT_EQ(project.locationText, before.locationText);
    EXPECT_EQ(project.dllFlags, before.dllFlags);
    EXPECT_EQ(project.actions, before.actions);
}

TEST(ProjectFileRead, EveryKeyGiven) {
    ProjectState project = configuredProject();
    ASSERT_EQ(applied(R"({
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
                      project),
              "");
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
    ASSERT_EQ(applied(R"({"host": "Kel", "actions": [{"name": "Line"}]})", project), "");
    EXPECT_EQ(project.kelHost, 1);
    EXPECT_EQ(project.dovHost, 0);
    EXPECT_EQ(project.nameText, "FromConfig");
    EXPECT_EQ(project.locationBase, "C:\\work");
    EXPECT_EQ(project.dllFlags, PIDLLFL_AUTO);

    ActionDefinition expected;
    expected.setActionDefaults("Line");
    EXPECT_EQ(project.actions[0], expected);

    ASSERT_EQ(applied(R"({"host": "KEL", "dllFlags": 1})", project), "");
    EXPECT_EQ(project.actionCount(), 1) << "no \"actions\" key keeps the list";
    EXPECT_EQ(project.dllFlags, 1u);
}

TEST(ProjectFileRead, RepeatedKeysKeepTheLastValue) {
    ProjectState project = configuredProject();
    ASSERT_EQ(applied(R"({"host": "KEL",
        "actions": [{"name": "a"}, {"name": 1}], "actions": [{"name": "c", "menu": "m"},
            {"menu": 1, "name": 2, "type": "x", "menu": "M", "name": "Late", "type": 3}],
        "host": "DOV"})",
                      project),
              "");
    EXPECT_EQ(project.dovHost, 1);
    ASSERT_EQ(project.actionCount(), 2);
    EXPECT_EQ(project.actions[0].name, "c");
    EXPECT_EQ(project.actions[0].menu, "m");
    // The defaults follow the last name; the fields given before it still count.
    EXPECT_EQ(project.actions[1].name, "Late");
    EXPECT_EQ(project.actions[1].menu, "M");
    EXPECT_EQ(project.actions[1].procExecute, "late_Execute");
    EXPECT_EQ(project.actions[1].type, 3u);
}

// An id two actions share (a line copied, two branches joined) is nobody's: both lose it.
TEST(ProjectFileRead, IdsKeptUnlessShared) {
    ProjectState project = startingProject();
    ASSERT_EQ(applied(R"({"host": "KEL", "actions": [{"name": "a", "id": 4294967295},
        {"id": 7, "name": "b"}, {"name": "c"}, {"name": "d", "id": 7}]})",
                      project),
              "");
    ASSERT_EQ(project.actions.size(), 4u);
    EXPECT_EQ(project.actions[0].id, 4294967295u);
    EXPECT_EQ(project.actions[1].id, 0u);
    EXPECT_EQ(project.actions[2].id, 0u);
    EXPECT_EQ(project.actions[3].id, 0u);
}

TEST(ProjectFileRead, NumbersAtTheEdgesOfAFlagWord) {
    ProjectState project = configuredProject();
    ASSERT_EQ(applied(R"({"host": "KEL", "dllFlags": 4294967295, "actions": [{"name": "a",
                          "type": 0, "flags": 0, "indivInterface": 0, "staticMemBuf": 1}]})",
                      project),
              "");
    EXPECT_EQ(project.dllFlags, 4294967295u);
    EXPECT_EQ(project.actions[0].type, 0u);
    EXPECT_EQ(project.actions[0].flags, 0u);
    EXPECT_EQ(project.actions[0].staticMemBuf, 1);
}

// Host, type, DLL flag and ACF_ names in any letter case, as the dialog takes them.
struct NameCase {
    const char* name;
    const char* json;
    std::int32_t kelHost;
    std::uint32_t dllFlags;
    std::uint32_t type;
    std::uint32_t flags;
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << c.name << ": " << c.json;
}

class ProjectFileNames : public testing::TestWithParam<NameCase> {};

TEST_P(ProjectFileNames, IgnoreLetterCase) {
    ProjectState project = startingProject();
    ASSERT_EQ(applied(GetParam().json, project), "");
    EXPECT_EQ(project.kelHost, GetParam().kelHost);
    EXPECT_EQ(project.dovHost, 1 - GetParam().kelHost);
    EXPECT_EQ(project.dllFlags, GetParam().dllFlags);
    ASSERT_EQ(project.actionCount(), 1);
    EXPECT_EQ(project.actions[0].type, GetParam().type);
    EXPECT_EQ(project.actions[0].flags, GetParam().flags);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProjectFileNames,
    testing::Values(
        NameCase{"AsListed",
                 R"({"host": "KEL", "dllFlags": "PIDLLFL_RESIDENT", "actions": [{"name": "a",
                     "type": "PIPD_SAVEPROC", "flags": ["ACF_MENU", "ACF_CB_MS_MOVE"]}]})",
                 1, PIDLLFL_RESIDENT, 4, ACF_MENU | ACF_CB_MS_MOVE},
        NameCase{"LowerCase",
                 R"({"host": "dov", "dllFlags": "pidllfl_auto", "actions": [{"name": "a",
                     "type": "pipd_loadproc", "flags": ["acf_menu", "acf_toolbar"]}]})",
                 0, PIDLLFL_AUTO, 3, ACF_MENU | ACF_TOOLBAR},
        NameCase{"MixedCase",
                 R"({"host": "kEl", "dllFlags": "Pidllfl_Resident", "actions": [{"name": "a",
                     "type": "Pipd_CommonTool", "flags": ["Acf_Panel_Window", "ACF_topmost"]}]})",
                 1, PIDLLFL_RESIDENT, 5, ACF_PANEL_WINDOW | ACF_TOPMOST}),
    [](const testing::TestParamInfo<NameCase>& info) { return std::string(info.param.name); });

// Forms of the document that must read as the text they spell: the first action's name.
struct TextCase {
    const char* name;
    std::string json;
    std::string actionName;
};

void PrintTo(const TextCase& c, std::ostream* os) {
    *os << c.name << ": " << c.json;
}

std::string withName(const std::string& name) {
    return R"({"host": "DOV", "actions": [{"name": )" + name + "}]}";
}

class ProjectFileText : public testing::TestWithParam<TextCase> {};

TEST_P(ProjectFileText, ReadsAsSpelt) {
    ProjectState project = startingProject();
    ASSERT_EQ(applied(GetParam().json, project), "");
    ASSERT_EQ(project.actionCount(), 1);
    EXPECT_EQ(project.actions[0].name, GetParam().actionName);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProjectFileText,
    testing::Values(
        TextCase{"Escapes", withName(R"("q\"b\\s\/b\bf\fn\nr\rt\t")"), "q\"b\\s/b\bf\fn\nr\rt\t"},
        TextCase{"UnicodeEscapes", withName(R"("\u0041\u00e9\u20ac\ud83d\ude00\u0000x")"),
                 "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\0x"s},
        TextCase{"EscapedKey", R"({"host": "KEL", "actions": [{"na\u006de": "k"}]})", "k"},
        TextCase{"RawUtf8", withName("\"Gr\xC3\xB6\xC3\x9F\x65 \xF4\x8F\xBF\xBF\""),
                 "Gr\xC3\xB6\xC3\x9F\x65 \xF4\x8F\xBF\xBF"},
        TextCase{"DeleteCharacter", withName("\"a\x7F\""), "a\x7F"},
        TextCase{"WhiteSpaceEverywhere",
                 " \t\r\n{ \"host\"\t:\r\n\"KEL\" ,\n\"actions\" : [ { \"name\" : \"a\" } ] } \r\n",
                 "a"},
        TextCase{"ByteOrderMark", "\xEF\xBB\xBF" + withName("\"b\""), "b"},
        // A NUL byte outside a string has always ended the document.
        TextCase{"NulEndsTheDocument", withName("\"n\"") + "\0 {not JSON"s, "n"}),
    [](const testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

struct RefusalCase {
    const char* name;
    std::string json;
    std::string message;
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
    *os << c.name << ": " << c.json;
}

// A well-formed document the project cannot take: the message names the key at fault.
class ProjectFileRefusal : public testing::TestWithParam<RefusalCase> {};

TEST_P(ProjectFileRefusal, NamesFileAndKeyAndChangesNothing) {
    ProjectState project = startingProject();
    EXPECT_EQ(messageOf(ProjectFile("dir/p.json").apply(GetParam().json, project)),
              GetParam().message);
    expectUntouched(project);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProjectFileRefusal,
    testing::Values(
        RefusalCase{"NotAnObject", "[]", "dir/p.json: the project must be a JSON object"},
        RefusalCase{"ScalarDocument", "\"KEL\"", "dir/p.json: the project must be a JSON object"},
        RefusalCase{"UnknownKey", R"({"host": "KEL", "colour": 1})",
                    "dir/p.json: \"colour\": unknown key"},
        RefusalCase{"UnknownKeysInKeyOrder", R"({"zeta": 1, "host": 2, "alpha": [{}]})",
                    "dir/p.json: \"alpha\": unknown key"},
        // The whole key, even past a NUL in it.
        RefusalCase{"KeyWithNul", R"({"host": "KEL", "a\u0000b": 1})",
                    "dir/p.json: \"a\0b\": unknown key"s},
        RefusalCase{"IdZero", R"({"host": "KEL", "actions": [{"name": "a", "id": 0}]})",
                    "dir/p.json: \"actions[0].id\": must be an integer from 1 to 4294967295"},
        RefusalCase{"IdText", R"({"host": "KEL", "actions": [{"name": "a", "id": "1"}]})",
                    "dir/p.json: \"actions[0].id\": must be an integer from 1 to 4294967295"},
        RefusalCase{"IdPastAWord",
                    R"({"host": "KEL", "actions": [{"name": "a", "id": 4294967296}]})",
                    "dir/p.json: \"actions[0].id\": must be an integer from 1 to 4294967295"},
        RefusalCase{"HostMissing", R"({"name": "x"})", "dir/p.json: \"host\": missing"},
        RefusalCase{"EmptyObject", "{}", "dir/p.json: \"host\": missing"},
        RefusalCase{"HostUnknown", R"({"host": "KELL"})",
                    "dir/p.json: \"host\": must be \"KEL\" or \"DOV\""},
        RefusalCase{"HostNumber", R"({"host": 1})", "dir/p.json: \"host\": must be a string"},
        RefusalCase{"NameNumber", R"({"host": "KEL", "name": 5})",
                    "dir/p.json: \"name\": must be a string"},
        RefusalCase{"RootKeysInFixedOrder", R"({"dllFlags": "x", "name": 1, "host": "KEL"})",
                    "dir/p.json: \"name\": must be a string"},
        RefusalCase{"LocationNull", R"({"host": "KEL", "location": null})",
                    "dir/p.json: \"location\": must be a string"},
        RefusalCase{"DllFlagsUnknownName", R"({"host": "KEL", "dllFlags": "pidllfl_automatic"})",
                    "dir/p.json: \"dllFlags\": must be \"PIDLLFL_AUTO\", \"PIDLLFL_RESIDENT\" or "
                    "an integer"},
        RefusalCase{"DllFlagsJoinedNames",
                    R"({"host": "KEL", "dllFlags": "PIDLLFL_AUTO | PIDLLFL_RESIDENT"})",
                    "dir/p.json: \"dllFlags\": must be \"PIDLLFL_AUTO\", \"PIDLLFL_RESIDENT\" or "
                    "an integer"},
        RefusalCase{"DllFlagsNegative", R"({"host": "KEL", "dllFlags": -1})",
                    "dir/p.json: \"dllFlags\": must be \"PIDLLFL_AUTO\", \"PIDLLFL_RESIDENT\" or "
                    "an integer"},
        RefusalCase{"DllFlagsBeyondAWord", R"({"host": "KEL", "dllFlags": 4294967296})",
                    "dir/p.json: \"dllFlags\": must be \"PIDLLFL_AUTO\", \"PIDLLFL_RESIDENT\" or "
                    "an integer"},
        RefusalCase{"DllFlagsHuge", R"({"host": "KEL", "dllFlags": 123456789012345678901234})",
                    "dir/p.json: \"dllFlags\": must be \"PIDLLFL_AUTO\", \"PIDLLFL_RESIDENT\" or "
                    "an integer"},
        RefusalCase{"ActionsObject", R"({"host": "KEL", "actions": {}})",
                    "dir/p.json: \"actions\": must be an array of objects"},
        RefusalCase{"ActionString", R"({"host": "KEL", "actions": [{"name": "a"}, "b"]})",
                    "dir/p.json: \"actions[1]\": must be an object"},
        RefusalCase{"ActionNull", R"({"host": "KEL", "actions": [null]})",
                    "dir/p.json: \"actions[0]\": must be an object"},
        RefusalCase{"ActionUnnamed", R"({"host": "KEL", "actions": [{"menu": "m"}]})",
                    "dir/p.json: \"actions[0].name\": missing"},
        RefusalCase{"ActionEmpty", R"({"host": "KEL", "actions": [{}]})",
                    "dir/p.json: \"actions[0].name\": missing"},
        RefusalCase{"ActionNameNumber", R"({"host": "KEL", "actions": [{"name": 1}]})",
                    "dir/p.json: \"actions[0].name\": must be a string"},
        RefusalCase{"ActionUnknownKey",
                    R"({"host": "KEL", "actions": [{"name": "a", "Menu": ""}]})",
                    "dir/p.json: \"actions[0].Menu\": unknown key"},
        RefusalCase{"ActionTextNumber",
                    R"({"host": "KEL", "actions": [{"name": "a", "cbKeybrd": 1}]})",
                    "dir/p.json: \"actions[0].cbKeybrd\": must be a string"},
        RefusalCase{"ActionTextObject",
                    R"({"host": "KEL", "actions": [{"name": "a", "menu": {"x": [1]}}]})",
                    "dir/p.json: \"actions[0].menu\": must be a string"},
        // Within an action the keys are checked in byte order, as a JSON object's keys sort.
        RefusalCase{"ActionFaultsInKeyOrder",
                    R"({"host": "KEL", "actions": [{"type": "X", "name": "a", "cbKeybrd": 1}]})",
                    "dir/p.json: \"actions[0].cbKeybrd\": must be a string"},
        RefusalCase{"UnknownKeyAfterFaultInKeyOrder",
                    R"({"host": "KEL", "actions": [{"name": "a", "zz": 1, "flags": 8}]})",
                    "dir/p.json: \"actions[0].flags\": holds bits that are no ACF_ flag"},
        RefusalCase{"CapitalSortsFirst",
                    R"({"host": "KEL", "actions": [{"name": "a", "Zz": 1, "flags": 8}]})",
                    "dir/p.json: \"actions[0].Zz\": unknown key"},
        RefusalCase{"TypeUnknownName",
                    R"({"host": "KEL", "actions": [{"name": "a", "type": "PIPD_X"}]})",
                    "dir/p.json: \"actions[0].type\": unknown procedure type \"PIPD_X\""},
        RefusalCase{"TypeFloat", R"({"host": "KEL", "actions": [{"name": "a", "type": 4.5}]})",
                    "dir/p.json: \"actions[0].type\": must be an integer or a procedure type name"},
        RefusalCase{"TypeWholeFloat", R"({"host": "KEL", "actions": [{"name": "a", "type": 1.0}]})",
                    "dir/p.json: \"actions[0].type\": must be an integer or a procedure type name"},
        RefusalCase{"TypeExponent", R"({"host": "KEL", "actions": [{"name": "a", "type": 1e2}]})",
                    "dir/p.json: \"actions[0].type\": must be an integer or a procedure type name"},
        RefusalCase{"TypeNegativeZero",
                    R"({"host": "KEL", "actions": [{"name": "a", "type": -0}]})",
                    "dir/p.json: \"actions[0].type\": must be an integer or a procedure type name"},
        RefusalCase{
            "FlagsUnknownName",
            R"({"host": "KEL", "actions": [{"name": "a", "flags": ["ACF_MENU", "ACF_MENUS"]}]})",
            "dir/p.json: \"actions[0].flags[1]\": unknown flag name \"ACF_MENUS\""},
        RefusalCase{"FlagsNameNotString",
                    R"({"host": "KEL", "actions": [{"name": "a", "flags": [16]}]})",
                    "dir/p.json: \"actions[0].flags[0]\": must be a string"},
        RefusalCase{"FlagsNested",
                    R"({"host": "KEL", "actions": [{"name": "a", "flags": [["ACF_MENU"], 1]}]})",
                    "dir/p.json: \"actions[0].flags[0]\": must be a string"},
        RefusalCase{"FlagsUnknownBit", R"({"host": "KEL", "actions": [{"name": "a", "flags": 8}]})",
                    "dir/p.json: \"actions[0].flags\": holds bits that are no ACF_ flag"},
        RefusalCase{"FlagsString",
                    R"({"host": "KEL", "actions": [{"name": "a", "flags": "ACF_MENU"}]})",
                    "dir/p.json: \"actions[0].flags\": must be an integer or an array of ACF_ "
                    "names"},
        // The parser gives up on an exponent of 20 digits; the number is JSON all the same.
        RefusalCase{
            "FlagsZeroWithLongExponent",
            R"({"host": "KEL", "actions": [{"name": "a", "flags": 0e99999999999999999999}]})",
            "dir/p.json: \"actions[0].flags\": must be an integer or an array of ACF_ "
            "names"},
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
                    "dir/p.json: \"actions[0].staticMemBuf\": must be true, false, 0 or 1"},
        RefusalCase{"CheckBoxString",
                    R"({"host": "KEL", "actions": [{"name": "a", "indivInterface": "1"}]})",
                    "dir/p.json: \"actions[0].indivInterface\": must be true, false, 0 or 1"}),
    [](const testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

// A file that is no JSON: the message gives the line and column (in bytes, counted after
// "\r\n" became "\n") and the reason, whatever the document held before the fault.
class MalformedProjectFile : public testing::TestWithParam<RefusalCase> {};

TEST_P(MalformedProjectFile, NamesThePlaceAndChangesNothing) {
    ProjectState project = startingProject();
    EXPECT_EQ(messageOf(ProjectFile("dir/p.json").apply(GetParam().json, project)),
              GetParam().message);
    expectUntouched(project);
}

const std::string ACTION_HEAD = R"({"host": "KEL", "actions": [{"name": "a", )";

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedProjectFile,
    testing::Values(
        RefusalCase{"Empty", "", "dir/p.json:1:1: expected a value, found the end of the file"},
        RefusalCase{"OnlyWhiteSpace", " \n ",
                    "dir/p.json:2:2: expected a value, found the end of the file"},
        RefusalCase{"OnlyByteOrderMark", "\xEF\xBB\xBF",
                    "dir/p.json:1:1: expected a value, found the end of the file"},
        RefusalCase{"ClosingBracket", "]", "dir/p.json:1:1: expected a value, found ']'"},
        RefusalCase{"UnquotedString", R"({"host": KEL})",
                    "dir/p.json:1:10: expected a value, found 'KEL'"},
        RefusalCase{"LongTokenCut", R"({"host": abcdefghijklmnopqrstuvwxyz0123})",
                    "dir/p.json:1:10: expected a value, found 'abcdefghijklmnopqrstuvwx...'"},
        RefusalCase{"TrailingComma", R"({"host": "KEL",})",
                    "dir/p.json:1:16: expected a key in double quotes, found '}'"},
        RefusalCase{"KeyNotAString", "{1: 2}",
                    "dir/p.json:1:2: expected a key in double quotes or '}', found '1'"},
        RefusalCase{"SingleQuotes", "{'host': 'KEL'}",
                    "dir/p.json:1:2: expected a key in double quotes or '}', found ''host''"},
        RefusalCase{"MissingColon", R"({"host" "KEL"})",
                    "dir/p.json:1:9: expected ':' after the key \"host\", found \"KEL\""},
        RefusalCase{"MissingComma", "{\"host\": \"KEL\"\n \"name\": 1}",
                    "dir/p.json:2:2: expected ',' or '}' after the value of \"host\", found "
                    "\"name\""},
        RefusalCase{"Comment", R"({"host": "KEL" /* c */})",
                    "dir/p.json:1:16: expected ',' or '}' after the value of \"host\", found '/*'"},
        RefusalCase{"TextAfterTheDocument", R"({"host": "KEL"} x)",
                    "dir/p.json:1:17: expected the end of the file, found 'x'"},
        RefusalCase{"SecondDocument", R"({"host": "KEL"}{"host": "DOV"})",
                    "dir/p.json:1:16: expected the end of the file, found '{'"},
        RefusalCase{"ClosedTwice", R"({"host": "KEL"}})",
                    "dir/p.json:1:16: expected the end of the file, found '}'"},
        RefusalCase{"EndsInTheObject", R"({"host": "KEL")",
                    "dir/p.json:1:15: expected ',' or '}' after the value of \"host\", found the "
                    "end of the file"},
        RefusalCase{"EndsAfterAnAction", R"({"host": "KEL", "actions": [{"name": "a"})",
                    "dir/p.json:1:42: expected ',' or ']' after an action, found the end of the "
                    "file"},
        RefusalCase{"EndsInAnEmptyList", R"({"host": "KEL", "actions": [)",
                    "dir/p.json:1:29: expected a value or ']', found the end of the file"},
        RefusalCase{"ActionsWithoutComma",
                    R"({"host": "KEL", "actions": [{"name": "a"} {"name": "b"}]})",
                    "dir/p.json:1:43: expected ',' or ']' after an action, found '{'"},
        RefusalCase{"ActionMembersWithoutComma", ACTION_HEAD + R"("menu": "b" "tbName": "c"}]})",
                    "dir/p.json:1:55: expected ',' or '}' after the value of \"menu\", found "
                    "\"tbName\""},
        RefusalCase{"FlagNamesWithoutComma", ACTION_HEAD + R"("flags": ["ACF_MENU" "ACF_X"]}]})",
                    "dir/p.json:1:64: expected ',' or ']' after a flag name, found \"ACF_X\""},
        RefusalCase{"FlagNamesTrailingComma", ACTION_HEAD + R"("flags": ["ACF_MENU",]}]})",
                    "dir/p.json:1:64: expected a value, found ']'"},
        RefusalCase{"MisspeltLiteral", ACTION_HEAD + R"("indivInterface": tru}]})",
                    "dir/p.json:1:61: expected true, false or null, found 'tru'"},
        RefusalCase{"CapitalLiteral", ACTION_HEAD + R"("indivInterface": True}]})",
                    "dir/p.json:1:61: expected a value, found 'True'"},
        RefusalCase{"LeadingZero", R"({"host": "KEL", "dllFlags": 01})",
                    "dir/p.json:1:29: malformed or out-of-range number '01'"},
        RefusalCase{"LoneMinus", R"({"host": "KEL", "dllFlags": -})",
                    "dir/p.json:1:29: malformed or out-of-range number '-'"},
        RefusalCase{"InfiniteNumber", R"({"host": "KEL", "x": 1e999})",
                    "dir/p.json:1:22: malformed or out-of-range number '1e999'"},
        RefusalCase{"InfiniteLongExponent", R"({"host": "KEL", "x": 1e99999999999999999999})",
                    "dir/p.json:1:22: malformed or out-of-range number "
                    "'1e99999999999999999999'"},
        RefusalCase{"BadEscape", R"({"host": "K\xEL"})",
                    "dir/p.json:1:10: bad escape sequence in the string \"K\\xEL\""},
        RefusalCase{"LoneSurrogate", R"({"host": "KEL", "name": "\ud800"})",
                    "dir/p.json:1:25: bad escape sequence in the string \"\\ud800\""},
        RefusalCase{"BadEscapeInKey", R"({"ho\st": "KEL"})",
                    "dir/p.json:1:2: bad escape sequence in the key \"ho\\st\""},
        RefusalCase{"UnclosedString", "{\"host\": \"KEL\", \"name\": \"abc}\n",
                    "dir/p.json:1:25: unclosed string: expected '\"' before the end of the file"},
        RefusalCase{"TabInString", "{\"host\": \"KEL\", \"name\": \"a\tb\"}",
                    "dir/p.json:1:27: unescaped control character 0x09 in a string"},
        RefusalCase{"NulInString", "{\"host\": \"K\0L\"}"s,
                    "dir/p.json:1:12: unescaped control character 0x00 in a string"},
        RefusalCase{"NotUtf8", "{\"host\": \"KEL\",\n \"name\": \"a\xC3(\"}",
                    "dir/p.json:2:12: expected UTF-8 text, found byte 0xC3"},
        RefusalCase{"CrLfIsOneLineEnd", "{\r\n \"host\": \"KEL\",\r\n \"name\": x\r\n}",
                    "dir/p.json:3:10: expected a value, found 'x'"},
        RefusalCase{"DeepInAnUnknownValue", R"({"host": "KEL", "x": [[[{"a": 1 "b": 2}]]]})",
                    "dir/p.json:1:33: expected ',' or '}' after the value of \"a\", found \"b\""},
        RefusalCase{"EndsDeepInAnUnknownValue", R"({"host": "KEL", "x": [[[1, 2])",
                    "dir/p.json:1:30: expected ',' or ']' after an element, found the end of the "
                    "file"},
        RefusalCase{"AfterAScalarDocument", "1 2",
                    "dir/p.json:1:3: expected the end of the file, found '2'"},
        // A fault in the JSON is told before any key at fault, wherever they stand.
        RefusalCase{"AfterAnUnknownKey", R"({"colour": 1, "host": KEL})",
                    "dir/p.json:1:23: expected a value, found 'KEL'"},
        RefusalCase{"AfterAFaultyAction", R"({"host": "KEL", "actions": [{"name": 1}])",
                    "dir/p.json:1:41: expected ',' or '}' after the value of \"actions\", found "
                    "the end of the file"},
        // Counting the actions stops at the second fault; the first is still the one told.
        RefusalCase{"BeforeAFaultTheCountMeets", R"({"host": "KEL", "actions": [{"name" 1}, x y]})",
                    "dir/p.json:1:37: expected ':' after the key \"name\", found '1'"}),
    [](const testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

TEST(ProjectFileLoad, UnreadableFile) {
    ProjectState project = startingProject();
    // The system's reason comes with it.
    EXPECT_EQ(messageOf(ProjectFile("no/such/project.json").load(project)),
              "no/such/project.json: cannot be read (No such file or directory)");
    EXPECT_EQ(messageOf(ProjectFile(".").load(project)), ".: cannot be read (Is a directory)");
    expectUntouched(project);
}

TEST(ProjectFileLoad, ReadsAsApplyDoes) {
    TempFolder folder;
    const std::string good =
        "\xEF\xBB\xBF{\r\n\"host\": \"KEL\", \"actions\": [{\"name\": \"A\"}]}\r\n";
    ProjectState project = startingProject();
    EXPECT_EQ(messageOf(ProjectFile(folder.write("good.json", good).string()).load(project)), "");
    ASSERT_EQ(project.actionCount(), 1);
    EXPECT_EQ(project.actions[0].name, "A");

    const std::string path = folder.write("bad.json", "{\r\n\r\n\"host\" 1}").string();
    project = startingProject();
    EXPECT_EQ(messageOf(ProjectFile(path).load(project)),
              path + ":3:8: expected ':' after the key \"host\", found '1'");
    expectUntouched(project);
}

// A pipe can be read only once, and is read like a file.
TEST(ProjectFileLoad, Pipe) {
    TempFolder folder;
    const std::string fifo = folder / "p.json";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer([&] {
        std::ofstream(fifo, std::ios::binary) << R"({"host": "DOV", "actions": [{"name": "P"}]})";
    });
    ProjectState project = startingProject();
    EXPECT_EQ(messageOf(ProjectFile(fifo).load(project)), "");
    writer.join();
    EXPECT_EQ(project.dovHost, 1);
    ASSERT_EQ(project.actionCount(), 1);
    EXPECT_EQ(project.actions[0].name, "P");
}

} // namespace
} // namespace vantrel
