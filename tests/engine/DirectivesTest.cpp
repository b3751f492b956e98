#include "engine/Engine.h"
#include "support/RecordingSink.h"
#include "support/TimeLimit.h"

#include <gtest/gtest.h>

#include <functional>

namespace vantrel {
namespace {

ActionDefinition namedAction(const char* name, std::uint32_t flags = 0) {
    ActionDefinition action;
    action.name = name;
    action.flags = flags;
    return action;
}

// The Kel project Demo with Line (execute procedure line_Execute) and Arc (none).
ProjectState lineAndArc() {
    ProjectState project;
    project.projectName = "Demo";
    project.kelHost = 1;
    ActionDefinition line = namedAction("Line", ACF_PROC_EXECUTE);
    line.procExecute = "line_Execute";
    project.actions = {line, namedAction("Arc")};
    project.selectAction(0);
    return project;
}

struct Rendered {
    bool ok;
    std::string output;
};

// Feeds a section body through the directive processor and the line expansion, as a section
// is written: directive lines are carried out, every other line is expanded and kept.
Rendered render(Engine& generator, TemplateReader& reader) {
    Rendered result{true, {}};
    while (reader.readLine()) {
        const std::string_view line = reader.line();
        if (!line.empty() && line.front() == '@') {
            if (!generator.directives().processDirectiveLine(reader)) {
                result.ok = false;
                return result;
            }
        } else {
            result.output += generator.expander().expandLine(line);
        }
    }
    return result;
}

Rendered render(Engine& generator, std::string_view body) {
    TemplateReader reader;
    reader.openText(body);
    return render(generator, reader);
}

TEST(SectionBody, ActionListExample) {
    ProjectState project = lineAndArc();
    RecordingSink sink;
    Engine generator(project, sink);
    const Rendered result = render(generator, "// Actions of %PROJECTNAME%\n"
                                              "@FOR 0 TO ALL_ACTIONS\n"
                                              "#define %ACDF_IDXDEF% %ACDF_IDX%\n"
                                              "@IFDEF ACDF_PROC_EXECUTE\n"
                                              "extern void %ACDF_PROC_EXECUTE%(void);\n"
                                              "@ENDIF\n"
                                              "@ENDFOR\n");
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.output, "// Actions of Demo\n"
                             "#define IDA_LINE 0\n"
                             "extern void line_Execute(void);\n"
                             "#define IDA_ARC 1\n");
    EXPECT_TRUE(sink.messages.empty());
}

// ---- Directive bodies: output, success and the messages shown ------------------------------

struct BodyCase {
    const char* name;
    std::function<void(ProjectState&)> setup;
    std::string body;
    bool ok;
    std::string output;
    std::vector<std::string> messages = {};
};

void PrintTo(const BodyCase& c, std::ostream* os) {
    *os << c.name;
}

class DirectiveBody : public testing::TestWithParam<BodyCase> {};

TEST_P(DirectiveBody, WritesAndReports) {
    const BodyCase& c = GetParam();
    ProjectState project = lineAndArc();
    if (c.setup)
        c.setup(project);
    RecordingSink sink;
    Engine generator(project, sink);
    const Rendered result = render(generator, c.body);
    EXPECT_EQ(result.ok, c.ok);
    EXPECT_EQ(result.output, c.output);
    EXPECT_EQ(sink.texts(), c.messages);
}

void threeActions(ProjectState& p) {
    p.actions.push_back(namedAction("Box"));
}

void bothHosts(ProjectState& p) {
    p.dovHost = 1;
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, DirectiveBody,
    testing::Values(
        BodyCase{"DirectiveNamesIgnoreCase", nullptr, "@ifdef kel\nyes\n@endif\n", true, "yes\n"},
        BodyCase{"EitherHost", nullptr, "@IFDEF KEL,DOV\nyes\n@ENDIF\n", true, "yes\n"},
        BodyCase{"BothHostsNeeded", nullptr, "@IFDEF KEL+DOV\nyes\n@ENDIF\nafter\n", true,
                 "after\n"},
        BodyCase{"BothHostsPresent", bothHosts, "@IFDEF KEL+DOV\nyes\n@ENDIF\n", true, "yes\n"},
        BodyCase{"WordsWithoutSeparator", nullptr, "@IFDEF KEL DOV\nyes\n@ENDIF\n", false, ""},
        BodyCase{"EmptyCondition", nullptr, "@IFDEF\nyes\n@ENDIF\n", false, ""},
        BodyCase{"IfNDefSkipsNestedBlocks", nullptr,
                 "@IFNDEF KEL\n@IFDEF KEL\ninner\n@ENDIF\nouter\n@ENDIF\nafter\n", true, "after\n"},
        BodyCase{"FalseBlockMissingEnd", nullptr, "@IFDEF DOV\nno\n", false, ""},
        BodyCase{"EndIfWithoutBlock", nullptr, "a\n@ENDIF\nb\n", false, "a\n"},
        BodyCase{"BlockLeftOpenIsNoError", nullptr, "@IFDEF KEL\nopen\n", true, "open\n"},
        BodyCase{"IndentedAtIsText", nullptr, "  @ENDIF\n", true, "  @ENDIF\n"},
        BodyCase{"IncludeIsRefused", nullptr, "@INCLUDE \"other.tpl\"\n", false, ""},
        BodyCase{"UnknownDirective", nullptr, "@ELSE\n", false, ""}),
    [](const testing::TestParamInfo<BodyCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Loops, DirectiveBody,
    testing::Values(
        BodyCase{"OncePerAction", threeActions,
                 "@FOR 0 TO ALL_ACTIONS\n%ACDF_IDX%=%ACTIONNAME%\n@ENDFOR\nlast %ACTIONNAME%\n",
                 true, "0=Line\n1=Arc\n2=Box\nlast Box\n"},
        BodyCase{"BoundCountingZero", nullptr, "@FOR 0 TO KEL\nbody\n@ENDFOR\nafter\n", true,
                 "after\n"},
        BodyCase{"NoActions", [](ProjectState& p) { p.actions.clear(); },
                 "@FOR 0 TO ALL_ACTIONS\nbody\n@ENDFOR\nafter\n", true, "after\n"},
        BodyCase{"LowerCaseToIsAnError", nullptr, "@FOR 0 to ALL_ACTIONS\nbody\n@ENDFOR\n", false,
                 ""},
        BodyCase{"MissingBound", nullptr, "@FOR 0 TO\nbody\n@ENDFOR\n", false, ""},
        BodyCase{"EndForWithoutLoop", nullptr, "a\n@ENDFOR\n", false, "a\n"},
        BodyCase{"SecondForAdvancesTheLoop", threeActions,
                 "@FOR 0 TO ALL_ACTIONS\nA %ACTIONNAME%\n@FOR 0 TO ALL_ACTIONS\nB "
                 "%ACTIONNAME%\n@ENDFOR\n@ENDFOR\n",
                 false, "A Line\nB Arc\nA Box\n"},
        BodyCase{"BlockInsideLoopBody", nullptr,
                 "@FOR 0 TO ALL_ACTIONS\n@IFDEF ACDF_PROC_EXECUTE\n%ACTIONNAME%\n@ENDIF\n"
                 "@ENDFOR\ndone\n",
                 true, "Line\ndone\n"},
        // The same false blocks come back on every turn: each skip must land where the first did.
        BodyCase{"NestedBlocksSkippedOnEveryTurn", threeActions,
                 "@FOR 0 TO ALL_ACTIONS\n@IFDEF ACDF_PROC_EXECUTE\nrun %ACTIONNAME%\n@IFDEF KEL\n"
                 "kel\n@ENDIF\n@ENDIF\n@IFNDEF ACDF_PROC_EXECUTE\n@IFDEF DOV\ndov\n@ENDIF\n"
                 "none %ACTIONNAME%\n@ENDIF\n@ENDFOR\ndone\n",
                 true, "run Line\nkel\nnone Arc\nnone Box\ndone\n"}),
    [](const testing::TestParamInfo<BodyCase>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Asserts, DirectiveBody,
    testing::Values(BodyCase{"HoldingAssertIsSilent", nullptr, "@ASSERT ACDF_PROC_EXECUTE\nx\n",
                             true, "x\n"},
                    BodyCase{"FailedAssertReportsAndGoesOn",
                             nullptr,
                             "@ASSERT ACDF_MENU\nx\n",
                             true,
                             "x\n",
                             {"ASSERT:\nObject must be defined:\nLine::ACDF_MENU"}},
                    BodyCase{"AssertPercentRemovedFromName",
                             [](ProjectState& p) { p.actions[0].name = "100%Line"; },
                             "@ASSERT %ACDF_MENU%\n",
                             true,
                             "",
                             {"ASSERT:\nObject must be defined:\n100Line::ACDF_MENU"}},
                    BodyCase{"AssertOnEveryTurn",
                             nullptr,
                             "@FOR 0 TO ALL_ACTIONS\n@ASSERT ACDF_PROC_EXECUTE\n@ENDFOR\n",
                             true,
                             "",
                             {"ASSERT:\nObject must be defined:\nArc::ACDF_PROC_EXECUTE"}},
                    BodyCase{"AssertWithoutKeyword", nullptr, "@ASSERT\n", false, ""},
                    BodyCase{"AssertUnknownKeyword", nullptr, "@ASSERT %NOSUCH%\n", false, ""}),
    [](const testing::TestParamInfo<BodyCase>& info) { return info.param.name; });

std::string repeated(std::string_view line, int times) {
    std::string text;
    for (int i = 0; i < times; ++i)
        text += line;
    return text;
}

TEST(OpenBlocks, MoreThanTheLimitIsAnError) {
    ProjectState project = lineAndArc();
    RecordingSink sink;
    Engine generator(project, sink);
    const int limit = static_cast<int>(GeneratorState::MAX_OPEN_BLOCKS);
    const std::string nested =
        repeated("@IFDEF KEL\n", limit) + "deep\n" + repeated("@ENDIF\n", limit);
    EXPECT_TRUE(render(generator, nested).ok);
    EXPECT_TRUE(generator.directives().state().blockStack.empty());

    const Rendered tooDeep = render(generator, repeated("@IFDEF KEL\n", limit + 1) + "deep\n");
    EXPECT_FALSE(tooDeep.ok);
    EXPECT_EQ(generator.directives().state().blockStack.size(), GeneratorState::MAX_OPEN_BLOCKS);
}

TEST(LoopAcrossFiles, EndForInAnotherFileIsAnErrorAndNeverMovesIt) {
    ProjectState project = lineAndArc();
    RecordingSink sink;
    Engine generator(project, sink);

    TemplateReader script;
    script.openText("@FOR 0 TO ALL_ACTIONS\n");
    ASSERT_TRUE(script.readLine());
    ASSERT_TRUE(generator.directives().processDirectiveLine(script));

    TemplateReader section;
    section.openText("first\n@ENDFOR\nafter\n");
    ASSERT_TRUE(section.readLine());
    ASSERT_TRUE(section.readLine());
    EXPECT_FALSE(generator.directives().processDirectiveLine(section));
    ASSERT_TRUE(section.readLine());
    EXPECT_EQ(section.line(), "after\n");

    // The same reader opened on another file is another file as well.
    script.openText("@ENDFOR\n");
    ASSERT_TRUE(script.readLine());
    EXPECT_FALSE(generator.directives().processDirectiveLine(script));
}

TEST(LoopAcrossFiles, FinishedLoopLeavesNoLoopRunning) {
    ProjectState project = lineAndArc();
    RecordingSink sink;
    Engine generator(project, sink);
    const Rendered first = render(generator, "@FOR 0 TO ALL_ACTIONS\n%ACTIONNAME%\n@ENDFOR\n");
    EXPECT_TRUE(first.ok);
    EXPECT_EQ(first.output, "Line\nArc\n");
    EXPECT_EQ(generator.directives().state().loopStart, -1);
}

// ---- Condition lists -------------------------------------------------------------------

struct ListCase {
    const char* name;
    const char* list;
    bool wellFormed;
    bool result;
};

void PrintTo(const ListCase& c, std::ostream* os) {
    *os << c.name;
}

class ConditionList : public testing::TestWithParam<ListCase> {};

// Kel host only; the current action Line has an execute procedure and no panel.
TEST_P(ConditionList, JoinsStrictlyLeftToRight) {
    const ListCase& c = GetParam();
    ProjectState project = lineAndArc();
    RecordingSink sink;
    Engine generator(project, sink);
    bool result = !c.result;
    EXPECT_EQ(generator.directives().evaluateConditionList(c.list, result), c.wellFormed);
    if (c.wellFormed) {
        EXPECT_EQ(result, c.result);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConditionList,
    testing::Values(ListCase{"Single", " KEL\n", true, true},
                    ListCase{"OrThenAndIsNotPrecedence", " KEL,DOV+CREATE_PANEL\n", true, false},
                    ListCase{"OrBeforeAnd", " KEL,KEL+DOV\n", true, false},
                    ListCase{"AndThenOr", " CREATE_PANEL+DOV,KEL\n", true, true},
                    ListCase{"BlanksAroundSeparators", " DOV , KEL + ACDF_PROC_EXECUTE \n", true,
                             true},
                    ListCase{"TrailingSeparator", " KEL,\n", true, true},
                    ListCase{"UnknownWordIsFalse", " NO_SUCH\n", true, false},
                    ListCase{"Empty", " \n", false, false},
                    ListCase{"TwoWords", " KEL DOV\n", false, false},
                    ListCase{"DoubledSeparator", " KEL,,DOV\n", false, false}),
    [](const testing::TestParamInfo<ListCase>& info) { return info.param.name; });

// ---- Text lines -----------------------------------------------------------------------

struct LineCase {
    const char* name;
    std::function<void(ProjectState&)> setup;
    const char* line;
    std::string expanded;
};

void PrintTo(const LineCase& c, std::ostream* os) {
    *os << c.name;
}

class ExpandTemplateLine : public testing::TestWithParam<LineCase> {};

TEST_P(ExpandTemplateLine, ReplacesPlaceholders) {
    const LineCase& c = GetParam();
    ProjectState project = lineAndArc();
    if (c.setup)
        c.setup(project);
    RecordingSink sink;
    Engine generator(project, sink);
    EXPECT_EQ(generator.expander().expandLine(c.line), c.expanded);
}

void greeting(ProjectState& p) {
    p.extraSettings = {{"greeting", "Hello %PROJECTNAME%", ""}};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExpandTemplateLine,
    testing::Values(
        LineCase{"StrayPercentBeforePlaceholder", nullptr, "50% of %PROJECTNAME%\n",
                 "50% of Demo\n"},
        LineCase{"SinglePercent", nullptr, "100%\n", "100%\n"},
        LineCase{"UnknownStays", nullptr, "%NOSUCH% %PROJECTNAME%\n", "%NOSUCH% Demo\n"},
        LineCase{"EveryOccurrence", nullptr, "%PROJECTNAME%/%PROJECTNAME%\n", "Demo/Demo\n"},
        LineCase{"EachSpellingInTurn", nullptr, "%projectname% %PROJECTNAME%\n", "Demo Demo\n"},
        LineCase{"EmptyValueHidesNextPlaceholder", nullptr, "%workdir%%PROJECTNAME%\n",
                 "%PROJECTNAME%\n"},
        LineCase{"ValueHoldingPlaceholder", greeting, "%greeting%!\n", "Hello Demo!\n"},
        LineCase{"ConditionOnlyKeywordStays", nullptr, "%ALL_ACTIONS%\n", "%ALL_ACTIONS%\n"}),
    [](const testing::TestParamInfo<LineCase>& info) { return info.param.name; });

[[maybe_unused]] std::string repeated(std::string_view text, std::size_t count) {
    std::string out;
    out.reserve(text.size() * count);
    for (std::size_t i = 0; i < count; ++i)
        out.append(text);
    return out;
}

// How far a line expands: completely, however long, unless values feed the rescanning without
// end; then what was replaced stays replaced, the rest stays as it stands, and the placeholder
// that was stopped is named.
struct BoundCase {
    const char* name;
    void (*setup)(ProjectState&);
    std::string line;
    std::string expected;  // the whole line, or the part before a runaway's stop
    const char* stoppedAt; // null: expands completely
};

void PrintTo(const BoundCase& c, std::ostream* os) {
    *os << c.name;
}

class ExpansionBounds : public testing::TestWithParam<BoundCase> {};

TEST_P(ExpansionBounds, StopOnlyWhatValuesFeed) {
    const BoundCase& c = GetParam();
    ProjectState project = lineAndArc();
    if (c.setup)
        c.setup(project);
    RecordingSink sink;
    Engine generator(project, sink);
    std::string out;
    std::string stoppedAt;
    const bool complete =
        generator.expander().appendLine(c.line, analyseLine(c.line), out, &stoppedAt);
    if (!c.stoppedAt) {
        EXPECT_TRUE(complete);
        EXPECT_EQ(out.size(), c.expected.size());
        EXPECT_TRUE(out == c.expected);
        return;
    }
    EXPECT_FALSE(complete);
    EXPECT_EQ(stoppedAt, c.stoppedAt);
    // The stop leaves the stopped placeholder and everything after it as they stand.
    const std::size_t stop = out.find(c.stoppedAt, c.expected.size());
    ASSERT_NE(stop, std::string::npos);
    EXPECT_TRUE(out.starts_with(c.expected));
    EXPECT_LE(out.size(), c.line.size() + 2 * LineExpander::MAX_FED_GROWTH);
    EXPECT_TRUE(out.ends_with("]\n"));
}

void wideSetting(ProjectState& p) {
    p.extraSettings = {{"W", std::string(1000, 'w'), "w.h"}};
}
void selfFeeding(ProjectState& p) {
    p.extraSettings = {{"SELF", "x%SELF%", "s.h"}};
}
void doubling(ProjectState& p) {
    p.actions[0].name = "%ACTIONNAME%%ACTIONNAME%";
}
void feedsOnTheSecondRound(ProjectState& p) {
    p.extraSettings = {{"A", "a%B%", "a.h"}, {"B", "b%A%", "b.h"}};
}

const std::string PLAIN = repeated("%PROJECTNAME%;", 500);

INSTANTIATE_TEST_SUITE_P(
    Lines, ExpansionBounds,
    testing::Values(
        BoundCase{"TenThousandAndOneIndices", nullptr, repeated("%ACDF_IDX%", 10001) + "\n",
                  std::string(10001, '0') + "\n", nullptr},
        BoundCase{"PastAMebibyte", wideSetting, repeated("%W%", 1100) + "\n",
                  std::string(1100000, 'w') + "\n", nullptr},
        BoundCase{"HundredThousandPlainPlaceholders", nullptr,
                  repeated("%PROJECTNAME%-%ACDF_IDX% ", 50000) + "\n",
                  repeated("Demo-0 ", 50000) + "\n", nullptr},
        BoundCase{"SelfFeedingAtTheStart", selfFeeding, "[%SELF%" + PLAIN + "]\n", "[x", "%SELF%"},
        BoundCase{"SelfFeedingInTheMiddle", selfFeeding, "[" + PLAIN + "%SELF%" + PLAIN + "]\n",
                  "[" + repeated("Demo;", 500) + "x", "%SELF%"},
        BoundCase{"SelfFeedingAtTheEnd", selfFeeding, "[" + PLAIN + "%SELF%]\n",
                  "[" + repeated("Demo;", 500) + "x", "%SELF%"},
        BoundCase{"DoublingValue", doubling, "[%ACTIONNAME%]\n", "[", "%ACTIONNAME%"},
        BoundCase{"FeedsItselfOnTheSecondRound", feedsOnTheSecondRound, "[%A%]\n", "[ab", "%B%"}),
    [](const testing::TestParamInfo<BoundCase>& info) { return info.param.name; });

} // namespace
} // namespace vantrel
