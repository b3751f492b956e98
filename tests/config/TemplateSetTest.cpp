#include "config/TemplateSet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantrel {
namespace {

// Every version of the list comes after each one before it, and the pairs name one version.
TEST(TemplateSet, VersionsOrderPartByPart) {
    const std::vector<std::string> ascending = {
        "0.9",   "1.0-alpha", "1.0-beta", "1.0", "v1.0.1", "1.2",
        "1.9.9", "1.10",      "1.10.1",   "2",   "10.0",   "99999999999999999999"};
    for (std::size_t a = 0; a < ascending.size(); ++a)
        for (std::size_t b = 0; b < ascending.size(); ++b)
            EXPECT_EQ(compareVersions(ascending[a], ascending[b]) < 0, a < b)
                << ascending[a] << " against " << ascending[b];
    // "+7" is a build: no order.
    for (const auto& [a, b] :
         {std::pair{"1.0", "1.0.0"}, {"v2.1", "2.1"}, {"01.2", "1.2"}, {"1.2+7", "1.2"}})
        EXPECT_EQ(compareVersions(a, b), 0) << a << " against " << b;
}

TEST(TemplateSet, NotesSplitIntoVersionsWithTheirMoves) {
    const TemplateNotes notes = readTemplateNotes("# Upgrade notes of plugin-templates\r\n"
                                                  "moved early.cpp late.cpp\n"
                                                  "## 2.2.0 (March)\n"
                                                  "- Handlers include their header.\n"
                                                  "moved src\\*.cpp source/*.cpp\n"
                                                  "\n"
                                                  "\n"
                                                  "### v2.3\n"
                                                  "moved a.cpp\n"
                                                  "moved ../a.cpp b.cpp\n"
                                                  "moved *.cpp b.cpp\n"
                                                  "moved a.cpp a.cpp\n"
                                                  "  moved res/app.rc res/plugin.rc\n"
                                                  "## 2.2.0\n");
    ASSERT_EQ(notes.versions.size(), 3u);
    EXPECT_EQ(notes.versions[0].version, "2.2.0");
    EXPECT_EQ(notes.versions[0].line, 3u);
    EXPECT_EQ(notes.versions[0].text, "## 2.2.0 (March)\n- Handlers include their header.\n"
                                      "moved src\\*.cpp source/*.cpp\n");
    ASSERT_EQ(notes.versions[0].moves.size(), 1u);
    EXPECT_EQ(notes.versions[0].moves[0].from, "src/*.cpp");
    EXPECT_EQ(notes.versions[0].moves[0].to, "source/*.cpp");
    EXPECT_EQ(notes.versions[1].version, "v2.3");
    ASSERT_EQ(notes.versions[1].moves.size(), 1u);
    EXPECT_EQ(notes.versions[1].moves[0].to, "res/plugin.rc");
    std::vector<std::size_t> faulty;
    for (const NotesProblem& problem : notes.problems)
        faulty.push_back(problem.line);
    EXPECT_EQ(faulty, (std::vector<std::size_t>{2, 9, 10, 11, 12, 14}));
}

struct MoveRow {
    const char* path;
    const char* from;
    const char* to;
    const char* moved;
};

TEST(TemplateSet, MovesTakeTheMatchingPathsOnly) {
    for (const MoveRow& row : {
             MoveRow{"Line.cpp", "*.cpp", "src/*.cpp", "src/Line.cpp"},
             MoveRow{"res/Line.cpp", "*.cpp", "src/*.cpp", "res/Line.cpp"}, // one name only
             MoveRow{".cpp", "*.cpp", "src/*.cpp", ".cpp"},                 // "*" is never empty
             MoveRow{"a/Line.h", "a/*.h", "b/*_x.h", "b/Line_x.h"},
             MoveRow{"a/Line.h", "a/Line.h", "Line.h", "Line.h"},
             MoveRow{"a/Line.hpp", "a/Line.h", "Line.h", "a/Line.hpp"},
         })
        EXPECT_EQ(movedPath(row.path, {row.from, row.to, 1}), row.moved) << row.path;
}

} // namespace
} // namespace vantrel
