// A conflict written with --conflict=git into a project kept in a real git repository: git sees
// the file as unmerged with the base, yours and the new text as its stages, and a second run
// leaves the file and the index alone. Where no work tree can take the stages (none there, a
// bare repository, a locked index, a file outside the work tree) the markers stand alone and
// the run says why.
#include "SessionHarness.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace vantrel {
namespace {

using namespace session;

// "git ARGUMENTS" in a folder, blind to the machine's and the user's settings.
GenResult git(const fs::path& folder, const std::string& arguments) {
    const fs::path output = folder.parent_path() / "git-output.txt";
    const std::string command = "cd '" + folder.string() + "' && env HOME=/nonexistent " +
                                "GIT_CONFIG_NOSYSTEM=1 GIT_CONFIG_GLOBAL=/dev/null git " +
                                arguments + " >'" + output.string() + "' 2>&1";
    const int raw = std::system(command.c_str());
    GenResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = readFile(output);
    return result;
}

bool gitInstalled() {
    return std::system("git --version >/dev/null 2>&1") == 0;
}

// A project generated once, then the user's edit and a template change on the same line.
struct Clash {
    explicit Clash(const fs::path& root)
        : work(root) {
        templates.head = {"// t1 %PROJECTNAME%"};
        templates.loop = {"// t2 %ACTIONNAME%"};
        templates.tail = {"// t3 end"};
        templates.action = {"// t4 %ACTIONNAME%", "// t5", "// t6", "// t7", "// t8", "// t9 }"};
        answers.actions = {"Line"};
        work.write(templates, answers);
    }
    GenResult run(const std::string& style) const {
        return runGen({"--conflict=" + style, "--config", work.config().string(),
                       work.projectFile().string()});
    }
    fs::path file() const { return work.location() / "Demo" / "Line.cpp"; }
    // The user's line and the template's new one where the last run wrote "// t5".
    void overlap() {
        generated = readFile(file());
        yours = generated;
        yours.replace(yours.find("// t5"), 5, "// USER-1");
        writeFile(file(), yours);
        templates.action[1] = "// t10";
        work.write(templates, answers);
        theirs = generated;
        theirs.replace(theirs.find("// t5"), 5, "// t10");
    }

    Workspace work;
    TemplateSet templates;
    Answers answers;
    std::string generated, yours, theirs;
};

TEST(GitConflict, StagesTheThreeTextsAndASecondRunLeavesThemAlone) {
    if (!gitInstalled())
        GTEST_SKIP() << "git is not installed";
    const TempFolder root = fastTempFolder();
    Clash clash(root.path() / "repo");
    const fs::path repo = root.path() / "repo";
    ASSERT_EQ(clash.run("git").status, 0);
    ASSERT_EQ(git(repo, "init -q").status, 0);
    ASSERT_EQ(git(repo, "add -A").status, 0);
    ASSERT_EQ(git(repo, "-c user.name=T -c user.email=t@t.invalid commit -q -m first").status, 0);
    clash.overlap();

    const GenResult first = clash.run("git");
    EXPECT_EQ(first.status, 3) << first.err;
    EXPECT_NE(first.err.find("its three stages are in git's index"), std::string::npos)
        << first.err;
    const std::string marked = readFile(clash.file());
    for (const char* line : {"<<<<<<< yours", "// USER-1", "||||||| base", "// t5",
                             "=======", "// t10", ">>>>>>> new"})
        EXPECT_TRUE(hasLine(marked, line)) << line << " missing in\n" << marked;

    const std::string path = "out/Demo/Line.cpp";
    EXPECT_EQ(git(repo, "status --porcelain -- " + path).out, "UU " + path + "\n");
    const GenResult unmerged = git(repo, "ls-files -u -- " + path);
    ASSERT_EQ(linesOf(unmerged.out).size(), 3u) << unmerged.out;
    for (int stage = 1; stage <= 3; ++stage)
        EXPECT_NE(unmerged.out.find(" " + std::to_string(stage) + "\t" + path), std::string::npos)
            << unmerged.out;
    EXPECT_EQ(git(repo, "show :1:" + path).out, clash.generated);
    EXPECT_EQ(git(repo, "show :2:" + path).out, clash.yours);
    EXPECT_EQ(git(repo, "show :3:" + path).out, clash.theirs);

    // The stages and the markers still there: nothing is merged or staged again.
    clash.templates.action[5] = "// t11 }";
    clash.work.write(clash.templates, clash.answers);
    const GenResult second = clash.run("git");
    EXPECT_EQ(second.status, 3) << second.err;
    EXPECT_NE(second.err.find("still holds the conflict markers"), std::string::npos) << second.err;
    EXPECT_EQ(readFile(clash.file()), marked);
    EXPECT_EQ(git(repo, "ls-files -u -- " + path).out, unmerged.out);

    // Resolved by the user: the next run merges the new change into the resolved text.
    std::string resolved = clash.theirs;
    resolved.replace(resolved.find("// t10"), 6, "// USER-1\n// t10");
    writeFile(clash.file(), resolved);
    const GenResult third = clash.run("git");
    EXPECT_EQ(third.status, 0) << third.err;
    EXPECT_TRUE(hasLine(readFile(clash.file()), "// USER-1"));
    EXPECT_TRUE(hasLine(readFile(clash.file()), "// t11 }"));
}

// Where the stages cannot go, the markers are written all the same and the run says why.
TEST(GitConflict, WithoutAWorkTreeForTheStagesTheMarkersStandAlone) {
    if (!gitInstalled())
        GTEST_SKIP() << "git is not installed";
    struct Row {
        const char* name;
        const char* why; // in the run's message
        // Sets up the repository around (or away from) the project under root; returns a
        // cleanup to run after the run.
        std::function<void(const fs::path& root)> setUp;
    };
    const std::vector<Row> rows = {
        {"no repository", "no git work tree holds it",
         [](const fs::path&) {
         }},
        {"bare repository", "bare",
         [](const fs::path& root) {
             ASSERT_EQ(git(root, "init -q --bare").status, 0);
         }},
        {"locked index", "index is locked",
         [](const fs::path& root) {
             ASSERT_EQ(git(root, "init -q").status, 0);
             ASSERT_EQ(git(root, "add -A").status, 0);
             writeFile(root / ".git" / "index.lock", "");
         }},
        {"file outside the work tree", "outside the work tree",
         [](const fs::path& root) {
             fs::create_directories(root / "elsewhere");
             ASSERT_EQ(git(root, "init -q").status, 0);
             ASSERT_EQ(
                 git(root, "config core.worktree '" + (root / "elsewhere").string() + "'").status,
                 0);
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const TempFolder root = fastTempFolder();
        Clash clash(root.path());
        ASSERT_EQ(clash.run("git").status, 0);
        clash.overlap();
        row.setUp(root.path());
        const GenResult run = clash.run("git");
        EXPECT_EQ(run.status, 3) << run.err;
        EXPECT_NE(run.err.find("not recorded in git's index"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find(row.why), std::string::npos) << run.err;
        EXPECT_TRUE(hasLine(readFile(clash.file()), "<<<<<<< yours"));
        EXPECT_TRUE(hasLine(readFile(clash.file()), "// USER-1"));
        EXPECT_FALSE(fs::exists(clash.file().string() + ".vantrel-new"));
    }
}

} // namespace
} // namespace vantrel
