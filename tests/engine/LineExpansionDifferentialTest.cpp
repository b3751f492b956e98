#include "engine/Engine.h"
#include "support/RecordingSink.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace vantrel {
namespace {

// Pieces that lines and values are made of: placeholders in both spellings, names found by
// the prefix rule, unknown names, stray and doubled '%', values holding '%' and a NUL.
const std::vector<std::string> LINE_PIECES = {
    "%ACTIONNAME%",
    "%actionname%",
    "%PROJECTNAME%",
    "%ACDF_MENU%",
    "%ACDF_IDX%",
    "%ACDF_TYP%",
    "%ACDF_PROC_EXECUTE%",
    "%DLLFLAGS%",
    "%ACTIONNAMEx%",
    "%NOSUCH%",
    "%greeting%",
    "%plain%",
    "%percent%",
    "%workdir%",
    "%KEL%",
    "%",
    "%%",
    "ACTIONNAME",
    "x",
    " = ",
    "\n",
    std::string(1, '\0'),
    "%APPINTERFACEPTR%",
};
const std::vector<std::string> NAMES = {"Line",
                                        "a%b",
                                        "%ACTIONNAME%",
                                        "",
                                        "x%PROJECTNAME%y",
                                        "Arc%",
                                        "LongActionNameBeyondShortStrings"};

std::string randomText(std::mt19937& random, const std::vector<std::string>& pieces,
                       std::size_t maxPieces) {
    std::string text;
    const std::size_t count = std::uniform_int_distribution<std::size_t>(0, maxPieces)(random);
    for (std::size_t i = 0; i < count; ++i)
        text += pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(random)];
    return text;
}

// The one-pass expansion must give what the rescanning rules give, whatever the line (or path).
TEST(LineExpansionPaths, OnePassMatchesRescanningOnRandomLines) {
    std::mt19937 random(20261207);
    for (int project = 0; project < 50; ++project) {
        ProjectState state;
        state.kelHost = 1;
        state.projectName = randomText(random, NAMES, 1);
        state.workdirectory = project % 3 == 0 ? "" : "C:\\work";
        state.extraSettings = {{"greeting", "Hello %PROJECTNAME%", ""},
                               {"plain", "value", ""},
                               {"percent", randomText(random, LINE_PIECES, 2), ""}};
        ActionDefinition action;
        action.name = randomText(random, NAMES, 2);
        action.menu = "Tools\\" + action.name;
        action.procExecute = randomText(random, NAMES, 1);
        action.flags = random();
        action.type = random() % 8;
        state.actions = {action};
        state.selectAction(0);
        RecordingSink sink;
        Engine generator(state, sink);
        for (int line = 0; line < 50; ++line) {
            const std::string text = randomText(random, LINE_PIECES, 12);
            ASSERT_EQ(generator.expander().expandLine(text),
                      generator.expander().expandRescanning(text))
                << "line \"" << text << "\", action \"" << action.name << "\"";
            ASSERT_EQ(generator.expander().expandPath(text),
                      generator.expander().expandPathRescanning(text))
                << "path \"" << text << "\", action \"" << action.name << "\"";
        }
    }
}

// A line's analysis is kept across calls, its values are not: the same lines expanded for
// many actions, and after an extra setting changed, still give the rescanning text.
TEST(LineExpansionPaths, RepeatedLinesFollowTheCurrentAction) {
    // Values that hold '%' but never themselves, so no line runs away (the test above has those).
    const std::vector<std::string> values = {"",
                                             "50%",
                                             "%PROJECTNAME%",
                                             "a%b%c",
                                             "%ACTIONNAME% x",
                                             "Line",
                                             "LongActionNameBeyondShortStrings"};
    std::vector<std::string> pieces = LINE_PIECES;
    pieces.insert(pieces.end(), {"%ACDF_IDXDEF%", "%ACDF_NAME%", "%ACDF_TB_NAME%", "%ACDF_FLAGS%",
                                 "%ACDF_CBPROC_STATUS%", "%kelpiinc%", "%TOPMOSTWINDOW%"});
    std::mt19937 random(7122026);
    ProjectState state;
    state.kelHost = 1;
    state.projectName = "Proj";
    state.extraSettings = {{"greeting", "Hello", ""}, {"plain", "value", ""}, {"percent", "", ""}};
    for (int i = 0; i < 20; ++i) {
        ActionDefinition action;
        action.name = randomText(random, values, 1);
        action.menu = "Tools\\" + action.name;
        action.procExecute = randomText(random, values, 1);
        action.flags = random();
        action.type = random() % 8;
        action.indivInterface = random() % 2;
        state.actions.push_back(action);
    }
    std::vector<std::string> lines;
    for (int line = 0; line < 80; ++line)
        lines.push_back(randomText(random, pieces, 10));
    RecordingSink sink;
    Engine generator(state, sink);
    for (int round = 0; round < 3; ++round) {
        state.extraSettings[2].value = randomText(random, values, 2);
        state.extraSettings[0].value = round == 1 ? "" : "Hello";
        for (std::int32_t index = 0; index < state.actionCount(); ++index) {
            state.selectAction(index);
            for (const std::string& text : lines) {
                ASSERT_EQ(generator.expander().expandLine(text),
                          generator.expander().expandRescanning(text))
                    << "line \"" << text << "\", action " << index << ", round " << round;
            }
        }
    }
}

// Short lines of pairs, stray '%' and bare names: a name right after a pair's closing '%' can
// make the rescanning rules replace across pairs, and the one pass must then step aside.
TEST(LineExpansionPaths, NamesRightAfterPairsMatchRescanning) {
    const std::vector<std::string> pieces = {
        "%ACTIONNAME%", "%ACDF_IDX%",  "%PROJECTNAME%", "%plain%", "%", "ACTIONNAME",
        "ACDF_IDX",     "PROJECTNAME", "plain",         "_IDX",    "x", " "};
    std::mt19937 random(99);
    ProjectState state;
    state.kelHost = 1;
    state.projectName = "Proj";
    state.extraSettings = {{"plain", "value", ""}};
    ActionDefinition action;
    action.name = "Act";
    state.actions = {action, action};
    state.actions[1].name = "";
    RecordingSink sink;
    Engine generator(state, sink);
    for (int line = 0; line < 20000; ++line) {
        const std::string text = randomText(random, pieces, 10);
        for (std::int32_t index : {0, 1}) {
            state.selectAction(index);
            ASSERT_EQ(generator.expander().expandLine(text),
                      generator.expander().expandRescanning(text))
                << "line \"" << text << "\", action " << index;
        }
    }
}

// An @IFDEF or @IFNDEF line's conditions are read once and kept; whether its block is entered
// must still follow evaluateConditionList on the current action, whatever the list.
TEST(LineExpansionPaths, KeptConditionListsFollowTheCurrentAction) {
    const std::vector<std::string> pieces = {
        "CREATE_PANEL",        "KEL", "dov", "ACDF_MENU", "NOSUCH", "%KEL%", "ACDF_SET_CBPROCS",
        "USING_INDIV_INT_OBJ", ",",   "+",   " ",         "\t",     "x"};
    std::mt19937 random(1207);
    ProjectState state;
    state.kelHost = 1;
    for (int i = 0; i < 30; ++i) {
        ActionDefinition action;
        action.name = "Action" + std::to_string(i);
        action.menu = i % 3 == 0 ? "" : "Tools";
        action.cbStatus = i % 2 == 0 ? "OnStatus" : "";
        action.flags = random();
        action.indivInterface = random() % 2;
        state.actions.push_back(action);
    }
    std::vector<std::string> lists;
    for (int i = 0; i < 60; ++i)
        lists.push_back(randomText(random, pieces, 6));
    RecordingSink sink;
    Engine generator(state, sink);
    for (std::int32_t index = 0; index < state.actionCount(); ++index) {
        state.selectAction(index);
        for (const std::string& list : lists) {
            for (const char* directive : {"@IFDEF", "@ifndef"}) {
                bool expected = false;
                const bool wellFormed =
                    generator.directives().evaluateConditionList(" " + list + "\n", expected);
                if (directive[3] == 'n')
                    expected = !expected;
                TemplateReader reader;
                reader.openText(std::string(directive) + " " + list + "\ninside\n@ENDIF\n");
                ASSERT_TRUE(reader.readLine());
                generator.directives().state().reset();
                const bool processed = generator.directives().processDirectiveLine(reader);
                ASSERT_EQ(processed, wellFormed) << directive << " \"" << list << "\"";
                if (!processed)
                    continue;
                // Entered: the next line is the block's; skipped: the reader stands on @ENDIF.
                if (expected)
                    reader.readLine();
                EXPECT_EQ(reader.line(), expected ? "inside\n" : "@ENDIF\n")
                    << directive << " \"" << list << "\", action " << index;
                EXPECT_EQ(generator.directives().state().blockStack.size(), expected ? 1U : 0U);
            }
        }
    }
}

// The section lines of a kept text are listed once; every search must still stop where a scan
// from the top stops: on the first matching line, on a section line without a name, or at the end.
TEST(LineExpansionPaths, KeptSectionListStopsWhereTheScanStops) {
    struct Search {
        const char* name;
        bool found;
        const char* line; // the reader's line afterwards
    };
    const Search searches[] = {{"A", true, "filesection: a\n"},
                               {"b", true, "filesection: B \n"},
                               {"c", false, "filesection:\n"},
                               {"a", true, "filesection: a\n"},
                               {"zz", false, "filesection:\n"}};
    ProjectState state;
    RecordingSink sink;
    Engine generator(state, sink);
    TemplateReader reader;
    reader.openText("x\nfilesection: a\nbody\nfilesectionend:\nfilesection: B \nfilesection:\n"
                    "filesection: c\n");
    for (const Search& search : searches) {
        EXPECT_EQ(generator.script().findFileSection(reader, search.name), search.found)
            << search.name;
        EXPECT_EQ(reader.line(), search.line) << search.name;
    }
    ASSERT_TRUE(generator.script().findFileSection(reader, "a"));
    ASSERT_TRUE(reader.readLine());
    EXPECT_EQ(reader.line(), "body\n");

    TemplateReader plain;
    plain.openText("filesection: a\nline\n");
    EXPECT_FALSE(generator.script().findFileSection(plain, "q"));
    EXPECT_EQ(plain.line(), "");
    EXPECT_FALSE(plain.readLine());
}

TEST(LineExpansionPaths, LongLinesGiveTheSameTextOnBothPaths) {
    ProjectState state;
    state.kelHost = 1;
    state.projectName = std::string(3000, 'p');
    RecordingSink sink;
    Engine generator(state, sink);
    std::string manyPairs;
    for (std::size_t i = 0; i < 10005; ++i)
        manyPairs += "%KEL%";
    std::string longLine;
    for (int i = 0; i < 400; ++i)
        longLine += "%PROJECTNAME%";
    for (const std::string& text : {manyPairs, longLine})
        EXPECT_EQ(generator.expander().expandLine(text),
                  generator.expander().expandRescanning(text));
}

} // namespace
} // namespace vantrel
