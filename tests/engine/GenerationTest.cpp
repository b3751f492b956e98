#include "engine/Engine.h"
#include "support/RecordingSink.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

const char* const PLUGIN_TPL = "filesection: main\n"
                               "// %PROJECTNAME% for %APPINTERFACECLASSNAME%\n"
                               "filesectionend:\n"
                               "filesection: action\n"
                               "// action %ACDF_IDX%: %ACDF_NAME%\n"
                               "filesectionend:\n";

const char* const KIT_HEADER = "#pragma once\n/* stand-in kit header */\n";

// A Kel project Demo with the actions Line and Arc, its location, template folder, script and
// kit header in a fresh temporary folder. The location exists; the project folder does not.
// Whole runs of a script, templates and a project are cases of tests/data/runs; these need the
// engine's own state, links or devices.
class GenerationRun : public testing::Test {
protected:
    GenerationRun() {
        project.projectName = "Demo";
        project.kelHost = 1;
        project.dllFlags = PIDLLFL_AUTO;
        project.projectLocation = (tmp.path() / "out").string();
        project.templatedirectory = (tmp.path() / "tpl").string();
        project.keltemplate = (tmp.path() / "kel.script").string();
        project.piinc = tmp.write("kit/pi.h", KIT_HEADER).string();
        ActionDefinition line;
        line.name = "Line";
        ActionDefinition arc;
        arc.name = "Arc";
        project.actions = {line, arc};
        fs::create_directories(tmp.path() / "out");
        tmp.write("tpl/plugin.tpl", PLUGIN_TPL);
        generator.setOutputListener([this](const std::string& path) { listed.push_back(path); });
    }

    bool run(std::string_view script) {
        tmp.write("kel.script", script);
        return generator.runScript();
    }

    fs::path location() const { return tmp.path() / "out"; }
    std::string loc() const { return location().string(); }

    TempFolder tmp;
    ProjectState project;
    RecordingSink sink;
    Engine generator{project, sink};
    std::vector<std::string> listed;
};

TEST_F(GenerationRun, RunStartsAtTheFirstActionWithAFreshState) {
    project.selectAction(1);
    generator.directives().state().blockStack.push_back(DirectiveId::IfDef);
    EXPECT_TRUE(run("create_directory: \"%ACTIONNAME%\"\n"));
    EXPECT_TRUE(fs::is_directory(location() / "Line"));
    EXPECT_TRUE(generator.directives().state().blockStack.empty());
}

// The configuration never gives an extra setting an empty value, but the model can hold one.
TEST_F(GenerationRun, CopyOfEmptyExtraSettingStops) {
    project.extraSettings = {{"blankkit", "", "b.h"}};
    EXPECT_FALSE(run("copy_file: %blankkit% \"x\"\n"));
    EXPECT_EQ(sink.texts(), std::vector<std::string>{"Open file error:\n%blankkit%"});
}

// ---- Nothing is written outside the location; every path expansion ends --------------------

TEST_F(GenerationRun, LinkLeadingOutIsRefused) {
    fs::create_directories(location() / "Demo");
    fs::create_directories(tmp.path() / "elsewhere");
    fs::create_directory_symlink(tmp.path() / "elsewhere", location() / "Demo/link");
    EXPECT_FALSE(run("create_file: \"link\\evil.cpp\" \"main\" \"plugin.tpl\"\n"));
    EXPECT_EQ(sink.texts(),
              std::vector<std::string>{"Open file error:\n" + loc() + "/Demo/link/evil.cpp"});
    EXPECT_FALSE(fs::exists(tmp.path() / "elsewhere/evil.cpp"));
}

// An installation that leaves both folders empty writes below the working folder, as the
// wizard's location preview shows, and reads its templates from there too.
TEST_F(GenerationRun, EmptyLocationAndTemplateFolderAreTheWorkingFolder) {
    project.projectLocation.clear();
    project.templatedirectory.clear();
    tmp.write("out/plugin.tpl", PLUGIN_TPL);
    const WorkingFolder cwd(location());
    EXPECT_TRUE(run("create_directory: \"%PROJECTNAME%\"\n"
                    "copy_file: %piinc% \"%PROJECTNAME%\"\n"
                    "create_file: \"%PROJECTNAME%.cpp\" \"main\" \"plugin.tpl\"\n"));
    EXPECT_TRUE(sink.messages.empty()) << sink.texts().front();
    EXPECT_EQ(listed, (std::vector<std::string>{"Demo", "Demo/pi.h", "Demo/Demo.cpp"}));
    EXPECT_EQ(readFile(location() / "Demo/Demo.cpp"), "// Demo for CKelInterface\n");
}

// A name holding its own placeholder ends in a bounded name, whatever the machine's speed:
// a pass replaces every copy of a placeholder, and passes stop before the copies that the
// value fed would pass MAX_PATH_FED_REPLACEMENTS.
TEST_F(GenerationRun, SelfReferentialProjectNameStopsGrowing) {
    project.projectName = "x%PROJECTNAME%";
    EXPECT_TRUE(run("create_directory: \"%PROJECTNAME%\"\n"));
    // The first replacement is the template's own; the ones after it are fed by the value.
    const std::string grown =
        std::string(1 + LineExpander::MAX_PATH_FED_REPLACEMENTS, 'x') + "%PROJECTNAME%";
    EXPECT_TRUE(fs::is_directory(location() / grown));
    EXPECT_EQ(listed, std::vector<std::string>{loc() + "/" + grown});

    // A doubling value: the bound counts each placeholder replaced, not each pass. Its 64
    // copies make a name past the system's limit, so the folder cannot be made, and says so.
    project.projectName = "%PROJECTNAME%%PROJECTNAME%";
    EXPECT_FALSE(run("create_directory: \"%PROJECTNAME%\"\n"));
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].kind, ErrorKind::ERR_OPEN_FILE);
    sink.messages.clear();
    // The same with a folder per copy, so that the name can be made and its length seen: after
    // the template's own copy and passes of 2, 4, ..., 32 copies fed by the value (62), the
    // next one of 64 would pass the bound.
    listed.clear();
    project.projectName = "%PROJECTNAME%\\%PROJECTNAME%";
    EXPECT_TRUE(run("create_directory: \"%PROJECTNAME%\"\n"));
    std::string folder = loc();
    std::vector<std::string> expected;
    for (int copies = 0; copies < 64; ++copies)
        expected.push_back(folder += "/%PROJECTNAME%");
    EXPECT_EQ(listed, expected);
    EXPECT_TRUE(sink.messages.empty());
}

// ---- Failures while writing are never taken for success -----------------------------------

class FullDevice : public GenerationRun {
protected:
    void SetUp() override {
        if (!fs::exists("/dev/full"))
            GTEST_SKIP() << "no /dev/full here";
        project.projectLocation = "/dev";
        project.projectName = "";
    }
};

TEST_F(FullDevice, WriteErrorIsReported) {
    EXPECT_FALSE(run("create_file: \"full\" \"main\" \"plugin.tpl\"\n"));
    EXPECT_EQ(sink.texts(), std::vector<std::string>{"Open file error:\n/dev//full"});
    EXPECT_TRUE(listed.empty());
}

TEST_F(FullDevice, ShortCopyIsReported) {
    project.extraSettings = {
        {"bigkit", tmp.write("kit/big.bin", std::string(5000, 'k')).string(), "full"}};
    EXPECT_FALSE(run("copy_file: bigkit \"\"\n"));
    EXPECT_EQ(sink.texts(), std::vector<std::string>{"Open file error:\n/dev//full"});
    EXPECT_TRUE(listed.empty());
}

} // namespace
} // namespace vantrel
