// Random edits of action files followed by renames of their actions: the user's lines travel
// with the rename, nearly every move merges cleanly, and a clean move leaves no old file.
#include "SessionHarness.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace vantrel::session {
namespace {

constexpr int CASES = 240;

struct Tally {
    int moves = 0;
    int clean = 0;
};

// One case: three actions generated, some of their files edited anywhere, one or two
// actions renamed (sometimes with a template change), and the project generated again.
void runCase(std::mt19937& random, int number, Tally& tally) {
    const auto below = [&random](std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random);
    };
    const TempFolder root = fastTempFolder();
    const Workspace work(root.path());
    TemplateSet templates;
    templates.head = {"// %PROJECTNAME%"};
    templates.loop = {"// uses %ACTIONNAME%"};
    templates.action = {"// action %ACTIONNAME%",
                        "#include \"pi.h\"",
                        "",
                        "void %ACTIONNAME%_run()",
                        "{",
                        "    // body",
                        "    return;",
                        "}",
                        "",
                        "// end of %ACTIONNAME%"};
    Answers answers;
    answers.actions = {"Line", "Arc", "Fill"};
    answers.ids = {{"Line", 1}, {"Arc", 2}, {"Fill", 3}};
    work.write(templates, answers);
    const std::vector<std::string> run = {"--config", work.config().string(),
                                          work.projectFile().string()};
    ASSERT_EQ(runGen(run).status, 0) << "case " << number;
    const fs::path project = work.location() / "Demo";

    // Lines typed into the bodies, by the file they were typed into.
    std::map<std::string, std::vector<std::string>> typed;
    for (const std::string& action : answers.actions) {
        if (below(3) == 0)
            continue;
        const fs::path file = project / (action + ".cpp");
        std::vector<std::string> lines = linesOf(readFile(file));
        // Anywhere below the include, next to the lines that hold the name too; the template
        // change below adds a line above it, which an edit there would overlap.
        for (std::size_t count = 1 + below(3); count > 0; --count) {
            const std::string line = "    user" + std::to_string(number) + "_" + action + "_" +
                                     std::to_string(count) + "();";
            lines.insert(lines.begin() + std::ptrdiff_t(3 + below(lines.size() - 2)), line);
            typed[action + ".cpp"].push_back(line);
        }
        // A line that holds the name, changed by the user: theirs, kept as they wrote it.
        if (below(3) == 0)
            for (std::string& line : lines)
                if (line == "// end of " + action) {
                    line += ", tuned by " + std::to_string(number);
                    typed[action + ".cpp"].push_back(line);
                }
        writeFile(file, joinLines(lines));
    }

    // Renamed to names no action had.
    const std::vector<std::string> fresh = {"Draw", "Bend", "Pour"};
    std::map<std::string, std::string> renamed;
    for (std::size_t count = 1 + below(2); count > 0; --count) {
        std::string& action = answers.actions[below(answers.actions.size())];
        const std::string& to = fresh[count - 1];
        if (std::find(fresh.begin(), fresh.end(), action) != fresh.end())
            continue;
        answers.ids[to] = answers.ids[action];
        answers.ids.erase(action);
        renamed[action] = to;
        action = to;
    }
    if (below(4) == 0)
        templates.action.insert(templates.action.begin() + 1, "// made by the new templates");
    work.write(templates, answers);
    const GenResult second = runGen(run);
    ASSERT_EQ(second.status, 0) << "case " << number << "\n" << second.err;

    for (const auto& [from, to] : renamed) {
        ++tally.moves;
        const bool clean = !fs::exists(project / (from + ".cpp"));
        if (clean)
            ++tally.clean;
        // The run's note: "OLD -> NEW (moved...)", "(moved, conflict)" when the old file stays.
        const std::size_t told = second.err.find("/" + from + ".cpp -> ");
        ASSERT_NE(told, std::string::npos)
            << "case " << number << ": no move told for " << from << "\n"
            << second.err;
        const std::string note = second.err.substr(told, second.err.find('\n', told) - told);
        EXPECT_EQ(clean, note.find("(moved, conflict)") == std::string::npos)
            << "case " << number << ": " << note;
        if (const auto lines = typed.find(from + ".cpp"); lines != typed.end() && clean) {
            typed[to + ".cpp"] = lines->second;
            typed.erase(lines);
        }
    }
    for (const auto& [file, lines] : typed) {
        const std::string text = readFile(project / file);
        for (const std::string& line : lines)
            EXPECT_TRUE(hasLine(text, line))
                << "case " << number << ": lost " << line << " of " << file << "\n"
                << second.err;
    }
}

TEST(RenameMoves, CarryEveryTypedLineAndNearlyAllMergeCleanly) {
    std::mt19937 random(20261209);
    Tally tally;
    for (int number = 0; number < CASES; ++number) {
        runCase(random, number, tally);
        if (HasFatalFailure())
            return;
    }
    ASSERT_GT(tally.moves, 200);
    EXPECT_GE(tally.clean * 100, tally.moves * 95)
        << tally.clean << " of " << tally.moves << " moves merged cleanly";
    std::cout << "[ moves    ] " << tally.clean << " of " << tally.moves << " merged cleanly\n";
}

} // namespace
} // namespace vantrel::session
