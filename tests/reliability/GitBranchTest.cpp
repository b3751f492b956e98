// A generated project kept in git with its record: two branches each add an action, edit files
// and regenerate, and one is merged into the other. git must have nothing in the record to
// merge by hand, and the regeneration after the merge keeps the lines typed on both branches.
#include "SessionHarness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace vantrel {
namespace {

using namespace session;

// git in one repository, blind to the machine's and the user's settings.
class Git {
public:
    Git(fs::path repository, fs::path home)
        : m_repository(std::move(repository))
        , m_home(std::move(home)) {
        fs::create_directories(m_home);
    }

    // Runs "git ARGUMENTS" (already quoted for the shell): its status and what it printed.
    GenResult operator()(const std::string& arguments) const {
        const fs::path output = m_home / "git-output.txt";
        const std::string command = "cd '" + m_repository.string() + "' && env HOME='" +
                                    m_home.string() + "' XDG_CONFIG_HOME='" + m_home.string() +
                                    "' GIT_CONFIG_NOSYSTEM=1 git " + arguments + " >'" +
                                    output.string() + "' 2>&1";
        const int raw = std::system(command.c_str());
        GenResult result;
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = readFile(output);
        return result;
    }

private:
    fs::path m_repository;
    fs::path m_home;
};

TEST(GitBranches, MergeNeedsNoHandInTheRecordAndKeepsBothSidesLines) {
    if (std::system("git --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "git is not installed";
    const TempFolder root = fastTempFolder();
    const Workspace work(root.path() / "work");
    TemplateSet templates;
    templates.head = {"// t1 %PROJECTNAME%", "// t2", "// t3"};
    templates.loop = {"// t4 %ACTIONNAME%"};
    templates.tail = {"// t5", "// t6", "// t7"};
    templates.action = {"// t8 %ACTIONNAME%", "// t9", "// t10", "// t11", "// t12", "// t13 }"};
    Answers answers;
    answers.actions = {"Line", "Arc"};
    const std::vector<std::string> run = {"--config", work.config().string(),
                                          work.projectFile().string()};
    const auto generate = [&](const std::vector<std::string>& actions) {
        answers.actions = actions;
        work.write(templates, answers);
        return runGen(run);
    };
    const fs::path project = work.location() / "Demo";

    const GenResult first = generate({"Line", "Arc"});
    ASSERT_EQ(first.status, 0) << first.err;
    const Git git(project, root.path() / "home");
    for (const char* setup :
         {"init -q -b main", "config user.name 'Session Test'",
          "config user.email session@test.invalid", "config commit.gpgsign false"})
        ASSERT_EQ(git(setup).status, 0) << setup << ": " << git(setup).out;
    ASSERT_EQ(git("add -A").status, 0);
    ASSERT_EQ(git("commit -q -m generated").status, 0);

    // What the user typed on either branch, by file.
    std::map<std::string, std::vector<std::string>> typed;
    int nextUser = 1;
    const auto type = [&](const std::string& file, std::size_t at) {
        std::vector<std::string> lines = linesOf(readFile(project / file));
        const std::string line = "// USER-" + std::to_string(nextUser++);
        lines.insert(lines.begin() + std::ptrdiff_t(std::min(at, lines.size())), line);
        writeFile(project / file, joinLines(lines));
        typed[file].push_back(line);
    };
    // Demo.cpp lists the actions between its head and tail: Zoom goes first and Fill last, so
    // that git finds the two branches' changes of it apart, as the typed lines are.
    const auto branch = [&](const std::string& name, const std::vector<std::string>& actions,
                            const std::vector<std::pair<std::string, std::size_t>>& edits) {
        SCOPED_TRACE("branch " + name);
        ASSERT_EQ(git("checkout -q -b " + name + " main").status, 0);
        for (const auto& [file, at] : edits)
            type(file, at);
        const GenResult regenerated = generate(actions);
        EXPECT_EQ(regenerated.status, 0) << regenerated.err;
        ASSERT_EQ(git("add -A").status, 0);
        ASSERT_EQ(git("commit -q -m " + name).status, 0);
    };
    branch("zoom", {"Zoom", "Line", "Arc"}, {{"Line.cpp", 1}, {"Demo.cpp", 1}});
    branch("fill", {"Line", "Arc", "Fill"}, {{"Arc.cpp", 2}, {"Demo.cpp", 100}});

    ASSERT_EQ(git("checkout -q zoom").status, 0);
    const GenResult merge = git("merge -q --no-edit fill");
    const GenResult unmerged = git("diff --name-only --diff-filter=U");
    ASSERT_EQ(unmerged.status, 0) << unmerged.out;
    for (const std::string& path : linesOf(unmerged.out))
        EXPECT_FALSE(inRecord(path)) << "git left the record's " << path << " to merge by hand";
    ASSERT_EQ(merge.status, 0) << "git could not merge:\n" << merge.out;

    // The record git joined still reads: the answers hold both branches' actions.
    const std::string joined = readFile(project / ".vantrel/project.json");
    EXPECT_NE(joined.find("\"Zoom\""), std::string::npos) << joined;
    EXPECT_NE(joined.find("\"Fill\""), std::string::npos) << joined;
    const GenResult regenerated = generate({"Zoom", "Line", "Arc", "Fill"});
    EXPECT_EQ(regenerated.err.find("damaged"), std::string::npos) << regenerated.err;
    EXPECT_TRUE(regenerated.status == 0 || regenerated.status == 3) << regenerated.status << "\n"
                                                                    << regenerated.err;
    const Files after = filesBelow(project);
    for (const auto& [file, lines] : typed)
        for (const std::string& line : lines) {
            const auto found = after.find(file);
            EXPECT_TRUE(found != after.end() && hasLine(found->second.bytes, line))
                << "lost " << line << " in " << file << "\n"
                << regenerated.err;
        }
    for (const char* action : {"Zoom.cpp", "Fill.cpp"})
        EXPECT_TRUE(after.contains(action)) << action;

    const GenResult again = runGen(run);
    EXPECT_EQ(again.status, regenerated.status) << again.err;
    const Files settled = filesBelow(project);
    std::map<std::string, std::string> changed;
    for (const Files* files : {&after, &settled})
        for (const auto& [path, state] : *files) {
            if (path.starts_with(".git/") || machineLocal(after, path) ||
                machineLocal(settled, path))
                continue;
            const auto before = after.find(path);
            const auto now = settled.find(path);
            if (before == after.end() || now == settled.end() ||
                before->second.bytes != now->second.bytes)
                changed[path] = now == settled.end() ? "deleted" : "written";
        }
    EXPECT_TRUE(changed.empty()) << "the second run changed " << changed.begin()->first << " ("
                                 << changed.size() << " files)\n"
                                 << again.err;
}

// Two branches that each add an action at the end: git joins their answers line by line into
// answers that read, holding both actions.
TEST(GitBranches, AnswersOfActionsAddedAtTheEndJoinIntoAnswersThatRead) {
    if (std::system("git --version >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "git is not installed";
    const TempFolder root = fastTempFolder();
    const Workspace work(root.path() / "work");
    TemplateSet templates;
    templates.head = {"// %PROJECTNAME%"};
    templates.loop = {"// %ACTIONNAME%"};
    templates.action = {"// %ACTIONNAME%"};
    Answers answers;
    const std::vector<std::string> run = {"--config", work.config().string(),
                                          work.projectFile().string()};
    const fs::path record = work.location() / "Demo/.vantrel/project.json";
    std::map<std::string, fs::path> sides;
    for (const auto& [side, actions] :
         std::vector<std::pair<std::string, std::vector<std::string>>>{
             {"base", {"Line", "Arc"}},
             {"ours", {"Line", "Arc", "Zoom"}},
             {"theirs", {"Line", "Arc", "Fill"}}}) {
        answers.actions = actions;
        work.write(templates, answers);
        ASSERT_EQ(runGen(run).status, 0);
        sides[side] = root.path() / (side + ".json");
        writeFile(sides[side], readFile(record));
    }
    const Git git(root.path(), root.path() / "home");
    const GenResult merged = git("merge-file -p --union '" + sides["ours"].string() + "' '" +
                                 sides["base"].string() + "' '" + sides["theirs"].string() + "'");
    ASSERT_EQ(merged.status, 0) << merged.out;
    EXPECT_NE(merged.out.find("\"Zoom\""), std::string::npos) << merged.out;
    EXPECT_NE(merged.out.find("\"Fill\""), std::string::npos) << merged.out;
    writeFile(record, merged.out);
    const GenResult preview =
        runGen({"--dry-run", "--config", work.config().string(), work.projectFile().string()});
    EXPECT_EQ(preview.err.find("damaged"), std::string::npos) << preview.err << merged.out;
}

} // namespace
} // namespace vantrel
