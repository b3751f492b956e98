// Inputs that fuzzing found to go wrong, kept as cases so they stay fixed.
#include "support/RecordingSink.h"
#include "support/TempFolder.h"

#include "config/Configuration.h"
#include "engine/Engine.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace vantrel {
namespace {

using namespace std::string_literals;

struct ConfigFinding {
    const char* name;
    std::string content;
    std::string line;     // a template line expanded with what the file gave
    std::string expected; // that line afterwards
};

void PrintTo(const ConfigFinding& c, std::ostream* os) {
    *os << c.name;
}

class ConfigurationFinding : public testing::TestWithParam<ConfigFinding> {};

TEST_P(ConfigurationFinding, KeepsTemplateTextIntact) {
    const ConfigFinding& c = GetParam();
    const TempFolder folder;
    const auto path = folder.write("vantrel.cfg", c.content);
    ProjectState project;
    RecordingSink sink;
    readConfiguration(project, sink, path.string());
    for (const ExtraSetting& setting : project.extraSettings)
        EXPECT_FALSE(setting.key.empty()) << "value " << setting.value;

    project.projectName = "Demo";
    project.kelHost = 1;
    ActionDefinition action;
    action.name = "Line";
    project.appendAction(action);
    project.selectAction(0);
    Engine generator(project, sink);
    EXPECT_EQ(generator.expander().expandLine(c.line), c.expected);
    EXPECT_TRUE(sink.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Fuzzed, ConfigurationFinding,
    testing::Values(
        // A NUL before the first word once made an extra setting without a key, which then
        // stood in for every "%%" of the templates.
        ConfigFinding{"NulBeforeTheKeyMakesNoSetting",
                      "\0\0EXTRA = \"c\\b.h\", \"b.h\"\r\nOTHER = \"o\", \"p\"\n"s,
                      "100%% %OTHER% %PROJECTNAME%\n", "100%% o Demo\n"}),
    [](const testing::TestParamInfo<ConfigFinding>& info) { return info.param.name; });

} // namespace
} // namespace vantrel
