#include "engine/Engine.h"
#include "support/RecordingSink.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

// Every message of a run that a script or template line causes names that line, and its text
// stays what it was without the place.
struct PlaceCase {
    const char* name;
    std::string script;
    std::string message; // the first message's text; "{tmp}" stands for the folder
    const char* file;    // "kel.script" or "tpl/plugin.tpl"; null: no place
    std::size_t line;
};

void PrintTo(const PlaceCase& c, std::ostream* os) {
    *os << c.name;
}

const char* const PLUGIN_TPL = "filesection: main\n"
                               "// %PROJECTNAME%\n"
                               "@ASSERT CREATE_PANEL\n"
                               "filesectionend:\n"
                               "filesection: unclosed\n"
                               "@IFDEF CREATE_PANEL\n"
                               "filesectionend:\n"
                               "filesection: runaway\n"
                               "%LOOP%\n"
                               "filesectionend:\n";

class MessagePlaces : public testing::TestWithParam<PlaceCase> {
protected:
    MessagePlaces() {
        project.projectName = "Demo";
        project.kelHost = 1;
        project.projectLocation = (tmp.path() / "out").string();
        project.templatedirectory = (tmp.path() / "tpl").string();
        project.keltemplate = (tmp.path() / "kel.script").string();
        project.extraSettings = {{"LOOP", "%LOOP%%LOOP%", "x"},
                                 {"absentkit", (tmp.path() / "absent.h").string(), "a.h"}};
        ActionDefinition line;
        line.name = "Line";
        project.actions = {line};
        fs::create_directories(tmp.path() / "out" / "Demo");
        tmp.write("tpl/plugin.tpl", PLUGIN_TPL);
        generator.setWarningListener([this](const std::string& text, const MessagePlace& place) {
            warnings.push_back({ErrorKind::ERR_TEMPLATE, text, place});
        });
    }

    TempFolder tmp;
    ProjectState project;
    RecordingSink sink;
    Engine generator{project, sink};
    std::vector<RecordingSink::Message> warnings;
};

TEST_P(MessagePlaces, NameTheLineTheMessageComesFrom) {
    const PlaceCase& c = GetParam();
    tmp.write("kel.script", c.script);
    generator.runScript();
    ASSERT_FALSE(sink.messages.empty());
    const RecordingSink::Message& first = sink.messages.front();
    std::string expected = c.message;
    if (const std::size_t at = expected.find("{tmp}"); at != std::string::npos)
        expected.replace(at, 5, tmp.path().string());
    EXPECT_EQ(first.text, expected);
    if (c.file == nullptr) {
        EXPECT_FALSE(first.place.known());
        return;
    }
    EXPECT_EQ(first.place.file, (tmp.path() / c.file).string());
    EXPECT_EQ(first.place.line, c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MessagePlaces,
    testing::Values(
        PlaceCase{"BadCommandLine", "// folders\ncreate_directory: x\n",
                  "Error in Template File:\n{tmp}/kel.script\ncreate_directory: x\n", "kel.script",
                  2},
        PlaceCase{"DirectiveInScript", "\n\n@ENDIF\n", "Error in Template File:\nMAIN_LOOP\n",
                  "kel.script", 3},
        // The skip to a missing @ENDIF leaves the reader at the end: the @IFDEF is named.
        PlaceCase{"SkipWithoutEndInScript", "@IFDEF CREATE_PANEL\n",
                  "Error in Template File:\nMAIN_LOOP\n", "kel.script", 1},
        PlaceCase{"TemplateFileMissing", "create_file: \"a\" \"main\" \"absent.tpl\"\n",
                  "Error in Template File:\nMAIN_LOOP\n{tmp}/tpl/absent.tpl", "kel.script", 1},
        PlaceCase{"SectionMissing", "\ncreate_file: \"a\" \"nosuch\" \"plugin.tpl\"\n",
                  "Section not found:\n{tmp}/kel.script\nnosuch", "kel.script", 2},
        PlaceCase{"TargetNotOpened", "create_file: \"no\\a\" \"main\" \"plugin.tpl\"\n",
                  "Open file error:\n{tmp}/out/Demo/no/a", "kel.script", 1},
        PlaceCase{"CopySourceMissing", "\n\n\ncopy_file: %absentkit% \"Demo\"\n",
                  "Open file error:\n{tmp}/absent.h", "kel.script", 4},
        PlaceCase{"CopyWordWithoutValue", "copy_file: %nosuch% \"Demo\"\n",
                  "Open file error:\n%nosuch%", "kel.script", 1},
        PlaceCase{"FolderOutsideTheLocation", "create_directory: \"..\\..\\x\"\n",
                  "Open file error:\n{tmp}/out/../../x", "kel.script", 1},
        PlaceCase{"AssertInSection", "create_file: \"a\" \"main\" \"plugin.tpl\"\n",
                  "ASSERT:\nObject must be defined:\nLine::CREATE_PANEL", "tpl/plugin.tpl", 3},
        PlaceCase{"AssertInScript", "\n@ASSERT CREATE_PANEL\n",
                  "ASSERT:\nObject must be defined:\nLine::CREATE_PANEL", "kel.script", 2},
        PlaceCase{"DirectiveInSection", "create_file: \"a\" \"unclosed\" \"plugin.tpl\"\n",
                  "Error in Template File:\nunclosed\na", "tpl/plugin.tpl", 6}),
    [](const testing::TestParamInfo<PlaceCase>& info) { return info.param.name; });

TEST_F(MessagePlaces, ScriptThatCannotBeOpenedHasNoPlace) {
    generator.runScript();
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_FALSE(sink.messages[0].place.known());
}

TEST_F(MessagePlaces, WarningsNameTheirLine) {
    tmp.write("kel.script", "create_file: \"a\" \"runaway\" \"plugin.tpl\"\n"
                            "create_directory: \"%LOOP%\"\n");
    generator.runScript();
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[0].place.file, (tmp.path() / "tpl/plugin.tpl").string());
    EXPECT_EQ(warnings[0].place.line, 9u);
    EXPECT_EQ(warnings[1].place.file, (tmp.path() / "kel.script").string());
    EXPECT_EQ(warnings[1].place.line, 2u);
}

} // namespace
} // namespace vantrel
