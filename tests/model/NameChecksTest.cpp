#include "model/NameChecks.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

struct ProjectNameCase {
    const char* name;
    std::string projectName;
    std::vector<std::string> warnings;
};

class ProjectName : public testing::TestWithParam<ProjectNameCase> {};

TEST_P(ProjectName, WarnsInOrder) {
    EXPECT_EQ(projectNameWarnings(GetParam().projectName), GetParam().warnings);
}

const std::string NO_IDENTIFIER =
    "not a C identifier (letters, digits and _, not starting with a digit)";

INSTANTIATE_TEST_SUITE_P(
    Rules, ProjectName,
    testing::Values(
        ProjectNameCase{"PlainName", "Demo_2", {}},
        ProjectNameCase{"Blank", "my tool", {NO_IDENTIFIER}},
        ProjectNameCase{"LeadingDigit", "2Demo", {NO_IDENTIFIER}},
        ProjectNameCase{"Keyword", "class", {"a C or C++ keyword"}},
        ProjectNameCase{"DottedVersion", "Z.v2", {NO_IDENTIFIER}},
        ProjectNameCase{"Empty", "", {NO_IDENTIFIER, "empty as a folder name"}},
        ProjectNameCase{"OnlyBlanks", "   ", {NO_IDENTIFIER, "empty as a folder name"}},
        ProjectNameCase{
            "Colon", "a:b", {NO_IDENTIFIER, "':' cannot stand in a folder name on every system"}},
        ProjectNameCase{
            "EveryUnsafeCharacter",
            "9 lives: a/b?:",
            {NO_IDENTIFIER, "':', '/' and '?' cannot each stand in a folder name on every system"}},
        ProjectNameCase{"ControlCharacter",
                        "a\tb",
                        {NO_IDENTIFIER, "a control character cannot stand in a folder name"}},
        ProjectNameCase{
            "TrailingDot",
            "Demo.",
            {NO_IDENTIFIER, "a folder name cannot end in a dot or a space on every system"}},
        ProjectNameCase{"Device", "con", {"a device name on some systems, no folder name"}},
        ProjectNameCase{"DeviceWithExtension",
                        "LPT3.h",
                        {NO_IDENTIFIER, "a device name on some systems, no folder name"}},
        ProjectNameCase{"NotADevice", "COM10", {}}),
    [](const auto& info) { return std::string(info.param.name); });

ActionDefinition named(const char* name) {
    ActionDefinition action;
    action.setActionDefaults(name);
    return action;
}

// Names whose generated defines, files or procedures collide are named with the other action;
// the warnings of the whole project name what each is about.
TEST(ActionNames, CollisionsAndKeywords) {
    ProjectState project;
    project.actions = {named("Line"), named("line"), named("my tool"), named("Arc")};
    project.actions[3].procExecute = "line_Execute"; // the same procedure as Line's
    EXPECT_EQ(actionNameWarnings(project, 0),
              (std::vector<std::string>{
                  "the same name as \"line\" but for letter case: their defines and files collide",
                  "\"line_Execute\" is also a procedure of \"line\"",
                  "\"cb_lineStatusMsgProc\" is also a procedure of \"line\"",
                  "\"line_Execute\" is also a procedure of \"Arc\""}));
    EXPECT_EQ(actionNameWarnings(project, 2), (std::vector<std::string>{NO_IDENTIFIER}));
    EXPECT_TRUE(actionNameWarnings(project, 9).empty());

    project.actions[3].flags &= ~ACF_PROC_EXECUTE; // a procedure not generated collides with none
    project.actions.erase(project.actions.begin() + 1);
    EXPECT_EQ(projectWarnings(project, "my project"),
              (std::vector<std::string>{"project name \"my project\": " + NO_IDENTIFIER,
                                        "action 2 \"my tool\": " + NO_IDENTIFIER}));
}

// The procedures and callbacks the generated code declares are C names too: each one generated
// is checked, unless it is the default of a name that is warned about already.
TEST(ActionNames, ProceduresAndCallbacks) {
    ProjectState project;
    ActionDefinition action = named("Act0000");
    action.procExecute = "File\\Act0000";
    action.flags |= ACF_CB_KEYBRD | ACF_PROC_CLOSE;
    action.cbKeybrd = "int";
    action.procClose = "1st"; // generated: checked
    action.cbMsMove = "not generated";
    EXPECT_EQ(actionNameWarnings(project, action, 0),
              (std::vector<std::string>{"Execute procedure \"File\\Act0000\": " + NO_IDENTIFIER,
                                        "Close procedure \"1st\": " + NO_IDENTIFIER,
                                        "keyboard procedure \"int\": a C or C++ keyword"}));
    project.actions = {named("my tool")};
    project.actions[0].cbStatus = "cb status";
    EXPECT_EQ(actionNameWarnings(project, 0),
              (std::vector<std::string>{NO_IDENTIFIER,
                                        "status procedure \"cb status\": " + NO_IDENTIFIER}));
}

// The properties dialog checks the action it edits before the project holds it as edited: a new
// one at the end of the list, an edited one in its own place, which it does not collide with.
TEST(ActionNames, ActionBeingEdited) {
    ProjectState project;
    project.actions = {named("Line"), named("Arc")};
    const ActionDefinition added = named("line");
    EXPECT_EQ(actionNameWarnings(project, added, 2),
              (std::vector<std::string>{
                  "the same name as \"Line\" but for letter case: their defines and files collide",
                  "\"line_Execute\" is also a procedure of \"Line\"",
                  "\"cb_lineStatusMsgProc\" is also a procedure of \"Line\""}));
    ActionDefinition edited = project.actions[1];
    edited.name = "ARC";
    EXPECT_TRUE(actionNameWarnings(project, edited, 1).empty());
    edited.name = "LINE";
    edited.flags = 0; // generates no procedures: only the names collide
    EXPECT_EQ(actionNameWarnings(project, edited, 1).size(), std::size_t(1));
}

} // namespace
} // namespace vantrel
