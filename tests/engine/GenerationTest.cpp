#include "engine/Generator.h"
#include "support/RecordingSink.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>

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
        return generator.runGeneration();
    }

    // Every entry below the location: folders end in "/", files map to their content.
    std::map<std::string, std::string> tree() const {
        std::map<std::string, std::string> entries;
        const fs::path root = location();
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            const std::string relative = fs::relative(entry.path(), root).generic_string();
            if (entry.is_directory())
                entries[relative + "/"] = "";
            else
                entries[relative] = readFile(entry.path());
        }
        return entries;
    }

    fs::path location() const { return tmp.path() / "out"; }
    std::string loc() const { return location().string(); }
    std::string at(std::string_view relative) const {
        return tmp.path().string() + "/" += relative;
    }

    TempFolder tmp;
    ProjectState project;
    RecordingSink sink;
    Generator generator{project, sink};
    std::vector<std::string> listed;
};

TEST_F(GenerationRun, WritesTheExampleTree) {
    EXPECT_TRUE(run("// project folders\n"
                    "create_directory: \"%PROJECTNAME%\"\n"
                    "create_directory: \"%PROJECTNAME%\\res\"\n"
                    "copy_file: %piinc% \"%PROJECTNAME%\"\n"
                    "create_file: \"%PROJECTNAME%.cpp\" \"main\" \"plugin.tpl\"\n"
                    "@FOR 0 TO ALL_ACTIONS\n"
                    "create_file: \"%ACTIONNAME%.cpp\" \"action\" \"plugin.tpl\"\n"
                    "@ENDFOR\n"
                    "create_done:\n"));
    EXPECT_TRUE(sink.messages.empty());
    const std::map<std::string, std::string> expected = {
        {"Demo/", ""},
        {"Demo/res/", ""},
        {"Demo/pi.h", KIT_HEADER},
        {"Demo/Demo.cpp", "// Demo for CKelInterface\n"},
        {"Demo/Line.cpp", "// action 0: \"Line\"\n"},
        {"Demo/Arc.cpp", "// action 1: \"Arc\"\n"},
    };
    EXPECT_EQ(tree(), expected);
    EXPECT_EQ(listed,
              (std::vector<std::string>{loc() + "/Demo", loc() + "/Demo/res", loc() + "/Demo/pi.h",
                                        loc() + "/Demo/Demo.cpp", loc() + "/Demo/Line.cpp",
                                        loc() + "/Demo/Arc.cpp"}));
}

// ---- The error table: message, whether the run went on, and the result -------------------

struct ErrorCase {
    const char* name;
    std::string script;
    std::vector<std::string> messages; // "{tmp}" stands for the temporary folder
    bool result;
    const char* createdAfter = nullptr; // a folder that shows the script went on
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
    *os << c.name;
}

class ScriptErrors : public GenerationRun, public testing::WithParamInterface<ErrorCase> {};

std::string withTmp(std::string text, const std::string& tmp) {
    for (std::size_t pos = text.find("{tmp}"); pos != std::string::npos;
         pos = text.find("{tmp}", pos + tmp.size()))
        text.replace(pos, 5, tmp);
    return text;
}

TEST_P(ScriptErrors, ReportsAndStopsOrGoesOn) {
    const ErrorCase& c = GetParam();
    project.extraSettings = {{"blankkit", "", "b.h"},
                             {"absentkit", (tmp.path() / "kit/absent.h").string(), "absent.h"}};
    EXPECT_EQ(run(c.script), c.result);
    std::vector<std::string> expected;
    for (const std::string& message : c.messages)
        expected.push_back(withTmp(message, tmp.path().string()));
    EXPECT_EQ(sink.texts(), expected);
    if (c.createdAfter) {
        EXPECT_TRUE(fs::is_directory(location() / c.createdAfter)) << c.createdAfter;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScriptErrors,
    testing::Values(
        ErrorCase{"BadDirectiveInScript",
                  "@ENDIF\ncreate_directory: \"x\"\n",
                  {"Error in Template File:\nMAIN_LOOP\n"},
                  false},
        ErrorCase{"DirectoryArgumentMissing",
                  "create_directory: %PROJECTNAME%\n",
                  {"Error in Template File:\n{tmp}/kel.script\ncreate_directory: %PROJECTNAME%\n"},
                  false},
        ErrorCase{"CopyFolderMissing",
                  "copy_file: %piinc%\n",
                  {"Error in Template File:\n{tmp}/kel.script\ncopy_file: %piinc%\n"},
                  false},
        ErrorCase{"CreateFileTemplateMissing",
                  "create_file: \"a.cpp\" \"main\"\n",
                  {"Error in Template File:\n{tmp}/kel.script\ncreate_file: \"a.cpp\" \"main\"\n"},
                  false},
        ErrorCase{"TemplateFileMissingGoesOn",
                  "create_file: \"a.cpp\" \"main\" \"absent.tpl\"\ncreate_directory: \"after\"\n",
                  {"Error in Template File:\nMAIN_LOOP\n{tmp}/tpl/absent.tpl"},
                  true,
                  "after"},
        ErrorCase{"SectionNotFound",
                  "create_directory: \"%PROJECTNAME%\"\n"
                  "create_file: \"a.cpp\" \"nosuch\" \"plugin.tpl\"\n",
                  {"Section not found:\n{tmp}/kel.script\nnosuch"},
                  false},
        ErrorCase{"TargetFolderNotCreated",
                  "create_file: \"%PROJECTNAME%.cpp\" \"main\" \"plugin.tpl\"\n",
                  {"Open file error:\n{tmp}/out/Demo/Demo.cpp"},
                  false},
        ErrorCase{"CopyWordNamesNothing",
                  "copy_file: %NOSUCH% \"x\"\n",
                  {"Open file error:\n%NOSUCH%"},
                  false},
        ErrorCase{"CopyWordNamesEmptySetting",
                  "copy_file: %blankkit% \"x\"\n",
                  {"Open file error:\n%blankkit%"},
                  false},
        ErrorCase{"CopySourceMissing",
                  "copy_file: %absentkit% \"x\"\n",
                  {"Open file error:\n{tmp}/kit/absent.h"},
                  false},
        ErrorCase{"CopyTargetFolderMissing",
                  "copy_file: %piinc% \"nofolder\"\n",
                  {"Open file error:\n{tmp}/out/nofolder/pi.h"},
                  false},
        ErrorCase{"FailedAssertGoesOn",
                  "@ASSERT CREATE_PANEL\ncreate_directory: \"after\"\n",
                  {"ASSERT:\nObject must be defined:\nLine::CREATE_PANEL"},
                  true,
                  "after"}),
    [](const testing::TestParamInfo<ErrorCase>& info) { return info.param.name; });

TEST_F(GenerationRun, ScriptThatCannotBeOpened) {
    project.keltemplate = (tmp.path() / "absent.script").string();
    EXPECT_FALSE(generator.runGeneration());
    EXPECT_EQ(sink.texts(), std::vector<std::string>{"Open file error:\n" + at("absent.script")});
}

TEST_F(GenerationRun, DovScriptWhenDovIsChosen) {
    project.dovHost = 1;
    project.dovtemplate = tmp.write("dov.script", "create_directory: \"dov\"\n").string();
    EXPECT_TRUE(run("create_directory: \"kel\"\n"));
    EXPECT_TRUE(fs::is_directory(location() / "dov"));
    EXPECT_FALSE(fs::exists(location() / "kel"));
}

TEST_F(GenerationRun, BadDirectiveInSectionKeepsLinesWritten) {
    tmp.write("tpl/bad.tpl", "filesection: main\nfirst %PROJECTNAME%\n@FOR 0 to ALL_ACTIONS\n"
                             "never\n");
    EXPECT_FALSE(run("create_directory: \"%PROJECTNAME%\"\n"
                     "create_file: \"%PROJECTNAME%.h\" \"main\" \"bad.tpl\"\n"
                     "create_directory: \"after\"\n"));
    EXPECT_EQ(sink.texts(),
              std::vector<std::string>{"Error in Template File:\nmain\n%PROJECTNAME%.h"});
    EXPECT_EQ(readFile(location() / "Demo/Demo.h"), "first Demo\n");
    EXPECT_FALSE(fs::exists(location() / "after"));
}

TEST_F(GenerationRun, SectionsFoundIgnoringCaseAndWrittenTwice) {
    tmp.write("tpl/multi.tpl", "outside %PROJECTNAME%\n"
                               "filesection: Header\n"
                               "// header of %PROJECTNAME%\n"
                               "filesectionend:\n"
                               "filesection: body\n"
                               "// body\n");
    EXPECT_TRUE(run("create_directory: \"%PROJECTNAME%\"\n"
                    "create_file: \"b.cpp\" \"BODY\" \"multi.tpl\"\n"
                    "create_file: \"one.h\" \"header\" \"multi.tpl\"\n"
                    "create_file: \"two.h\" \"HEADER\" \"multi.tpl\"\n"));
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(readFile(location() / "Demo/one.h"), "// header of Demo\n");
    EXPECT_EQ(readFile(location() / "Demo/two.h"), "// header of Demo\n");
    EXPECT_EQ(readFile(location() / "Demo/b.cpp"), "// body\n");
}

TEST_F(GenerationRun, NothingAfterCreateDoneIsRead) {
    EXPECT_TRUE(run("create_directory: \"before\"\ncreate_done:\n@ENDIF\n"
                    "create_directory: \"after\"\n"));
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_TRUE(fs::is_directory(location() / "before"));
    EXPECT_FALSE(fs::exists(location() / "after"));
}

TEST_F(GenerationRun, MisCasedOrIndentedCommandsAreIgnored) {
    EXPECT_TRUE(run("Create_Directory: \"upper\"\n create_directory: \"indented\"\n"
                    "create_directory \"nocolon\"\nsomething else\n"));
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_TRUE(tree().empty());
}

TEST_F(GenerationRun, WindowsScriptWithCrLfRunsUnchanged) {
    tmp.write("tpl/crlf.tpl", "\xEF\xBB\xBF"
                              "filesection: main\r\nline one\r\nline two\r\n");
    EXPECT_TRUE(run("\xEF\xBB\xBF"
                    "create_directory: \"%PROJECTNAME%\\src\"\r\n"
                    "create_file: \"src\\main.cpp\" \"main\" \"crlf.tpl\"\r\n"));
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(readFile(location() / "Demo/src/main.cpp"), "line one\nline two\n");
}

TEST_F(GenerationRun, RunStartsAtTheFirstActionWithAFreshState) {
    project.selectAction(1);
    generator.directives().state().blockStack.push_back(DirectiveId::IfDef);
    EXPECT_TRUE(run("create_directory: \"%ACTIONNAME%\"\n"));
    EXPECT_TRUE(fs::is_directory(location() / "Line"));
    EXPECT_TRUE(generator.directives().state().blockStack.empty());
}

// ---- Nothing is written outside the location; every path expansion ends --------------------

TEST_F(GenerationRun, HostileActionNamesStayInsideTheLocation) {
    project.actions[0].name = "../inside";
    project.actions[1].name = "../../outside";
    EXPECT_FALSE(run("create_directory: \"%PROJECTNAME%\"\n"
                     "@FOR 0 TO ALL_ACTIONS\n"
                     "create_file: \"%ACTIONNAME%.cpp\" \"action\" \"plugin.tpl\"\n"
                     "@ENDFOR\n"));
    EXPECT_EQ(sink.texts(),
              std::vector<std::string>{"Open file error:\n" + loc() + "/Demo/../../outside.cpp"});
    EXPECT_EQ(readFile(location() / "inside.cpp"), "// action 0: \"../inside\"\n");
    EXPECT_FALSE(fs::exists(tmp.path() / "outside.cpp"));
}

TEST_F(GenerationRun, FoldersAndCopiesOutsideAreRefused) {
    EXPECT_FALSE(run("create_directory: \"..\\escape\"\n"));
    EXPECT_EQ(sink.texts(), std::vector<std::string>{"Open file error:\n" + loc() + "/../escape"});
    EXPECT_FALSE(fs::exists(tmp.path() / "escape"));

    sink.messages.clear();
    EXPECT_FALSE(run("copy_file: %piinc% \"..\\kit2\"\n"));
    EXPECT_EQ(sink.texts(),
              std::vector<std::string>{"Open file error:\n" + loc() + "/../kit2/pi.h"});
}

TEST_F(GenerationRun, LinkLeadingOutIsRefused) {
    fs::create_directories(location() / "Demo");
    fs::create_directories(tmp.path() / "elsewhere");
    fs::create_directory_symlink(tmp.path() / "elsewhere", location() / "Demo/link");
    EXPECT_FALSE(run("create_file: \"link\\evil.cpp\" \"main\" \"plugin.tpl\"\n"));
    EXPECT_EQ(sink.texts(),
              std::vector<std::string>{"Open file error:\n" + loc() + "/Demo/link/evil.cpp"});
    EXPECT_FALSE(fs::exists(tmp.path() / "elsewhere/evil.cpp"));
}

TEST_F(GenerationRun, LocationItselfCountsAsInside) {
    EXPECT_TRUE(run("create_directory: \"\"\ncopy_file: %piinc% \"\"\n"));
    EXPECT_TRUE(sink.messages.empty());
    EXPECT_EQ(readFile(location() / "pi.h"), KIT_HEADER);
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

TEST_F(GenerationRun, SelfReferentialProjectNameEndsQuickly) {
    project.projectName = "x%PROJECTNAME%";
    const auto begin = std::chrono::steady_clock::now();
    EXPECT_TRUE(run("create_directory: \"%PROJECTNAME%\"\n"));
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(2));
    EXPECT_TRUE(fs::is_directory(location() / (std::string(64, 'x') + "%PROJECTNAME%")));

    // A doubling value: the bound counts each placeholder replaced, not each pass.
    project.projectName = "%PROJECTNAME%%PROJECTNAME%";
    EXPECT_TRUE(run("create_directory: \"%PROJECTNAME%\"\n"));
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(4));
    EXPECT_TRUE(sink.messages.empty());
}

TEST_F(GenerationRun, UnknownPercentPairStaysInPath) {
    project.projectLocation = (tmp.path() / "50%off").string();
    fs::create_directories(project.projectLocation);
    EXPECT_TRUE(run("create_directory: \"%PROJECTNAME%\"\n"));
    EXPECT_TRUE(fs::is_directory(tmp.path() / "50%off/Demo"));
}

TEST_F(GenerationRun, MissingParentsAreListedInOrder) {
    EXPECT_TRUE(run("create_directory: \"%PROJECTNAME%\\src\\gen\\\"\n"));
    EXPECT_EQ(listed, (std::vector<std::string>{loc() + "/Demo", loc() + "/Demo/src",
                                                loc() + "/Demo/src/gen"}));
    listed.clear();
    EXPECT_TRUE(run("create_directory: \"%PROJECTNAME%\\src\"\n"));
    EXPECT_TRUE(listed.empty());
}

TEST_F(GenerationRun, RepeatedRunOverwrites) {
    const std::string script = "create_directory: \"%PROJECTNAME%\"\n"
                               "create_file: \"%PROJECTNAME%.cpp\" \"main\" \"plugin.tpl\"\n";
    EXPECT_TRUE(run(script));
    tmp.write("out/Demo/Demo.cpp", "a much longer stale content than the new one\n");
    EXPECT_TRUE(run(script));
    EXPECT_EQ(readFile(location() / "Demo/Demo.cpp"), "// Demo for CKelInterface\n");
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

TEST_F(GenerationRun, CopyOntoItselfKeepsTheFile) {
    const fs::path kit = location() / "Demo/pi.h";
    fs::create_directories(kit.parent_path());
    fs::copy_file(project.piinc, kit);
    project.piinc = kit.string();
    EXPECT_TRUE(run("copy_file: %piinc% \"%PROJECTNAME%\"\n"));
    EXPECT_EQ(readFile(kit), KIT_HEADER);
}

} // namespace
} // namespace vantrel
