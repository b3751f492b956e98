#include "engine/CreateProject.h"
#include "support/RecordingSink.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

struct ValidateCase {
    const char* name;
    std::vector<std::string> actionNames;
    bool valid;
    std::vector<std::string> messages;
};

void PrintTo(const ValidateCase& c, std::ostream* os) {
    *os << c.name;
}

class ValidateProject : public testing::TestWithParam<ValidateCase> {};

TEST_P(ValidateProject, FirstFailureIsReported) {
    const ValidateCase& c = GetParam();
    ProjectState project;
    for (const std::string& name : c.actionNames) {
        ActionDefinition action;
        action.name = name;
        project.actions.push_back(action);
    }
    RecordingSink sink;
    EXPECT_EQ(validateProject(project, sink), c.valid);
    EXPECT_EQ(sink.texts(), c.messages);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValidateProject,
    testing::Values(
        ValidateCase{"NoActions",
                     {},
                     false,
                     {"No actions defined:\nAdd at least one action before creating the project."}},
        ValidateCase{"UnnamedBeforeDuplicate",
                     {"Line", "Line", ""},
                     false,
                     {"Action name missing:\nEvery action needs a name."}},
        ValidateCase{"FirstRepeatedNameNamed",
                     {"Arc", "Line", "Line", "Arc"},
                     false,
                     {"Action name used twice:\nLine"}},
        ValidateCase{"CaseMakesNamesDistinct", {"Line", "line", "LINE"}, true, {}},
        ValidateCase{"Distinct", {"Line", "Arc"}, true, {}}),
    [](const testing::TestParamInfo<ValidateCase>& info) { return info.param.name; });

TEST(CommitAndGenerate, CommitsTheEditsAndRunsFromTheFirstAction) {
    TempFolder tmp;
    ProjectState project;
    project.kelHost = 1;
    project.nameText = "Demo";
    project.locationBase = tmp.path().string();
    project.dllFlags = PIDLLFL_AUTO;
    project.keltemplate =
        tmp.write("kel.script", "create_directory: \"%PROJECTNAME%-%ACTIONNAME%-%DLLFLAGS%\"\n")
            .string();
    ActionDefinition line;
    line.name = "Line";
    ActionDefinition arc;
    arc.name = "Arc";
    project.actions = {line, arc};
    project.selectAction(1);
    assignComboPositions(dllFlagTable);

    RecordingSink sink;
    Engine generator(project, sink);
    ASSERT_TRUE(commitAndRunScript(project, dllFlagsToIndex(PIDLLFL_RESIDENT), generator));
    EXPECT_EQ(project.projectName, "Demo");
    EXPECT_EQ(project.projectLocation, tmp.path().string());
    EXPECT_EQ(project.dllFlags, PIDLLFL_RESIDENT);
    EXPECT_TRUE(
        std::filesystem::is_directory(tmp.path() / "Demo-Line-PIDLLFL_KEL | PIDLLFL_RESIDENT"));

    // No combo selection keeps the flags; a missing script is reported and is no success.
    project.keltemplate = (tmp.path() / "absent.script").string();
    EXPECT_FALSE(commitAndRunScript(project, -1, generator));
    EXPECT_EQ(project.dllFlags, PIDLLFL_RESIDENT);
    EXPECT_EQ(sink.texts(), std::vector<std::string>{"Open file error:\n" +
                                                     (tmp.path() / "absent.script").string()});
}

} // namespace
} // namespace vantrel
