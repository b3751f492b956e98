#include "engine/CompiledTemplate.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace vantrel {
namespace {

// The skip as it reads line by line: @IFDEF and @IFNDEF count up, @ENDIF down, and the target
// matches where the count stands at 0; the end of the file means no match.
std::size_t walkToMatch(const CompiledTemplate& compiled, std::size_t from, DirectiveId target) {
    int level = 0;
    for (std::size_t i = from; i < compiled.lineCount(); ++i) {
        if (compiled.line(i).front() != '@')
            continue;
        const DirectiveId id = compiled.directivePlan(i).id;
        if (id == DirectiveId::IfDef || id == DirectiveId::IfNDef)
            ++level;
        else if (id == DirectiveId::EndIf)
            --level;
        if (level == 0 && id == target)
            return i;
    }
    return CompiledTemplate::NO_LINE;
}

// Every block and loop line of random files knows the line its skip ends on, as a walk finds it:
// nested and stray @ENDIF lines, loops that stand in blocks and blocks left open included.
TEST(CompiledTemplate, MatchingEndsAreTheLinesASkipFinds) {
    const char* const lines[] = {
        "@IFDEF KEL\n", "@IFNDEF DOV\n", "@ENDIF\n",     "@FOR 0 TO ALL_ACTIONS\n",
        "@ENDFOR\n",    "text\n",        "@ASSERT KEL\n"};
    std::mt19937 random(20261207);
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        const int count = static_cast<int>(random() % 24);
        for (int i = 0; i < count; ++i)
            text += lines[random() % std::size(lines)];
        const CompiledTemplate compiled(text);
        for (std::size_t i = 0; i < compiled.lineCount(); ++i) {
            if (compiled.line(i).front() != '@')
                continue;
            const DirectivePlan& plan = compiled.directivePlan(i);
            const bool block = plan.id == DirectiveId::IfDef || plan.id == DirectiveId::IfNDef;
            if (block || plan.id == DirectiveId::For) {
                const DirectiveId target = block ? DirectiveId::EndIf : DirectiveId::EndFor;
                EXPECT_EQ(plan.matchingEnd, walkToMatch(compiled, i, target)) << text;
            }
        }
    }
}

TEST(CompiledTemplate, SectionSearchStopsAtANamelessSection) {
    const CompiledTemplate compiled("x\nfilesection: a\nbody\nfilesection: B \nfilesection:\n"
                                    "filesection: c\n");
    EXPECT_TRUE(compiled.findSection("A").found);
    EXPECT_EQ(compiled.findSection("A").line, 1u);
    EXPECT_EQ(compiled.findSection("b").line, 3u);
    EXPECT_FALSE(compiled.findSection("c").found);
    EXPECT_EQ(compiled.findSection("c").line, 4u);
    EXPECT_EQ(CompiledTemplate("a\n").findSection("a").line, CompiledTemplate::NO_LINE);
}

} // namespace
} // namespace vantrel
