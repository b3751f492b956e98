// Random edits of action files followed by renames of their actions, by a new version of the
// template set whose notes move the action files, or both: the user's lines travel with the
// move, nearly every move merges cleanly, and a clean move leaves no old file.
#include "SessionHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    // The set's versions: each later one moves the action files again, as its notes say.
    const std::vector<std::string> layouts = {"%s.cpp", "src/%s.cpp", "src/%s_run.cpp"};
    const std::string notes = "# Upgrade notes\n## 1.1\nmoved *.cpp src/*.cpp\n"
                              "## 1.2\nmoved src/*.cpp src/*_run.cpp\n";
    const auto pathOf = [&layouts](std::size_t version, const std::string& action) {
        std::string path = layouts[version];
        return path.replace(path.find("%s"), 2, action);
    };
    writeFile(root.path() / "NOTES.md", notes);
    const std::string config = readFile(work.config());
    const auto setVersion = [&](std::size_t version) {
        writeFile(work.config(), config + "templateset = \"plug\"\ntemplateversion = \"1." +
                                     std::to_string(version) + "\"\ntemplatenotes = \"" +
                                     (root.path() / "NOTES.md").string() + "\"\n");
        std::string script = scriptOf("%PROJECTNAME%.cpp");
        std::string target = layouts[version];
        std::replace(target.begin(), target.end(), '/', '\\');
        target.replace(target.find("%s"), 2, "%ACTIONNAME%");
        script.replace(script.find("%ACTIONNAME%.cpp"), 16, target);
        script.insert(script.find('\n') + 1, "create_directory: \"%PROJECTNAME%\\src\"\n");
        writeFile(work.kelScript(), script);
    };
    setVersion(0);
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
        const fs::path file = project / pathOf(0, action);
        std::vector<std::string> lines = linesOf(readFile(file));
        // Anywhere below the include, next to the lines that hold the name too; the template
        // change below adds a line above it, which an edit there would overlap.
        for (std::size_t count = 1 + below(3); count > 0; --count) {
            const std::string line = "    user" + std::to_string(number) + "_" + action + "_" +
                                     std::to_string(count) + "();";
            lines.insert(lines.begin() + std::ptrdiff_t(3 + below(lines.size() - 2)), line);
            typed[pathOf(0, action)].push_back(line);
        }
        // A line that holds the name, changed by the user: theirs, kept as they wrote it.
        if (below(3) == 0)
            for (std::string& line : lines)
                if (line == "// end of " + action) {
                    line += ", tuned by " + std::to_string(number);
                    typed[pathOf(0, action)].push_back(line);
                }
        writeFile(file, joinLines(lines));
    }

    // Renamed to names no action had, a new version of the set taken, or both.
    const std::size_t kind = below(3);
    const std::size_t version = kind == 0 ? 0 : 1 + below(2);
    const std::vector<std::string> fresh = {"Draw", "Bend", "Pour"};
    std::map<std::string, std::string> renamed;
    for (const std::string& action : answers.actions)
        renamed[action] = action;
    for (std::size_t count = kind == 1 ? 0 : 1 + below(2); count > 0; --count) {
        std::string& action = answers.actions[below(answers.actions.size())];
        const std::string& to = fresh[count - 1];
        if (std::find(fresh.begin(), fresh.end(), action) != fresh.end())
            continue;
        answers.ids[to] = answers.ids[action];
        answers.ids.erase(action);
        renamed[action] = to;
        action = to;
    }
    setVersion(version);
    if (below(4) == 0)
        templates.action.insert(templates.action.begin() + 1, "// made by the new templates");
    work.write(templates, answers);
    const GenResult second = runGen(run);
    ASSERT_EQ(second.status, 0) << "case " << number << "\n" << second.err;

    EXPECT_NE(readFile(project / ".vantrel/manifest.txt")
                  .find("\ntemplate-version 1." + std::to_string(version) + "\n"),
              std::string::npos);
    for (const auto& [action, renamedTo] : renamed) {
        const std::string from = pathOf(0, action);
        const std::string to = pathOf(version, renamedTo);
        if (from == to)
            continue;
        ++tally.moves;
        const bool clean = !fs::exists(project / from);
        if (clean)
            ++tally.clean;
        // The run's note: "OLD -> NEW (moved...)", "(moved, conflict)" when the old file stays.
        const std::size_t told = second.err.find("/" + from + " -> ");
        ASSERT_NE(told, std::string::npos)
            << "case " << number << ": no move told for " << from << "\n"
            << second.err;
        const std::string note = second.err.substr(told, second.err.find('\n', told) - told);
        EXPECT_EQ(clean, note.find("(moved, conflict)") == std::string::npos)
            << "case " << number << ": " << note;
        EXPECT_NE(note.find("/" + to + " ("), std::string::npos)
            << "case " << number << ": " << note;
        if (const auto lines = typed.find(from); lines != typed.end() && clean) {
            typed[to] = lines->second;
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

TEST(Moves, CarryEveryTypedLineAndNearlyAllMergeCleanly) {
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
