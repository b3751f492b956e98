// A regeneration killed at any moment loses nothing: every file that was there holds its old or
// its new bytes in full, the record is the old one or the new one, and a plain run afterwards
// ends in exactly the tree of a run that was never interrupted.
#include "support/GeneratorProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <string>
#include <thread>

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using Tree = std::map<std::string, std::string>;

std::string templateText(const std::string& version) {
    std::string action = "filesection: action\n// %ACTIONNAME%: the action\n";
    for (int line = 0; line < 30; ++line)
        action += "int %ACTIONNAME%_" + std::to_string(line) + " = " + std::to_string(line) + ";\n";
    action += "// " + version + "\nfilesectionend:\n";
    std::string main =
        "filesection: main\n// %PROJECTNAME% " + version + "\n@FOR 0 TO ALL_ACTIONS\n";
    for (int line = 0; line < 40; ++line)
        main += "// %ACTIONNAME% " + std::to_string(line) + "\n";
    return main + "@ENDFOR\nfilesectionend:\n" + action;
}

void writeSeed(const TempFolder& seed) {
    seed.write("project.json", projectOfActions(120));
    seed.write("vantrel.cfg", "templatedirectory = \"tpl\"\n");
    seed.write("kelpi.tpl", "create_directory: \"%PROJECTNAME%\"\n"
                            "create_file: \"main.cpp\" \"main\" \"plugin.tpl\"\n"
                            "@FOR 0 TO ALL_ACTIONS\n"
                            "create_file: \"%ACTIONNAME%.cpp\" \"action\" \"plugin.tpl\"\n"
                            "@ENDFOR\n");
    seed.write("tpl/plugin.tpl", templateText("first"));
}

TEST(Interruption, KilledAnywhereLosesNothing) {
    TempFolder seed;
    writeSeed(seed);
    ASSERT_EQ(runGeneratorIn(seed.path(), {"project.json"}).status, 0);
    // The user's edits: one the new templates merge with, one that overlaps their change.
    const fs::path demo = seed.path() / "out/Demo";
    std::string edited = readFile(demo / "Action3.cpp");
    edited.replace(edited.find("// Action3: the action"), 22, "// Action3: mine");
    writeAt(demo / "Action3.cpp", edited);
    writeAt(demo / "Action7.cpp", readFile(demo / "Action7.cpp") + "// mine too\n");
    seed.write("tpl/plugin.tpl", templateText("second"));
    const Tree before = treeBelow(seed.path() / "out");

    // The run never interrupted, from the same start, and how long it takes when started as
    // the interrupted ones are (the shortest of three).
    TempFolder whole;
    fs::copy(seed.path(), whole.path(), fs::copy_options::recursive);
    const ProcessResult reference = runGeneratorIn(whole.path(), {"project.json"});
    ASSERT_EQ(reference.status, 3) << reference.err;
    auto length = std::chrono::steady_clock::duration::max();
    for (int timing = 0; timing < 3; ++timing) {
        TempFolder timed;
        fs::copy(seed.path(), timed.path(), fs::copy_options::recursive);
        const auto start = std::chrono::steady_clock::now();
        startGeneratorIn(timed.path(), {"project.json"}).wait();
        length = std::min(length, std::chrono::steady_clock::now() - start);
    }
    const Tree after = treeBelow(whole.path() / "out");
    ASSERT_NE(before.at("Demo/.vantrel/manifest.txt"), after.at("Demo/.vantrel/manifest.txt"));

    constexpr int KILLS = 200;
    int interrupted = 0;
    for (int kill = 0; kill < KILLS; ++kill) {
        SCOPED_TRACE("kill " + std::to_string(kill));
        TempFolder work;
        fs::copy(seed.path(), work.path(), fs::copy_options::recursive);
        // Spread over the first four fifths of the run's length, from its very start: a loaded
        // machine sleeps longer than asked.
        const auto delay = length * kill * 4 / (KILLS * 5);
        const RunningGenerator running = startGeneratorIn(work.path(), {"project.json"});
        std::this_thread::sleep_for(delay);
        ::kill(running.pid, SIGKILL);
        if (running.wait() < 0)
            ++interrupted;

        const Tree now = treeBelow(work.path() / "out");
        for (const auto& [path, bytes] : before) {
            if (path.starts_with("Demo/.vantrel/"))
                continue;
            const auto found = now.find(path);
            ASSERT_NE(found, now.end()) << path;
            const auto done = after.find(path);
            EXPECT_TRUE(found->second == bytes ||
                        (done != after.end() && found->second == done->second))
                << path << " holds neither its old nor its new bytes";
        }
        // The record is one whole record, the old or the new.
        const bool oldRecord = recordIn(now) == recordIn(before);
        EXPECT_TRUE(oldRecord || recordIn(now) == recordIn(after));

        // Against the old record the overlap is found again; the new one remembers it.
        const ProcessResult rerun = runGeneratorIn(work.path(), {"project.json"});
        EXPECT_EQ(rerun.status, 3) << rerun.err;
        EXPECT_EQ(treeBelow(work.path() / "out"), after);
        if (HasFailure())
            break;
    }
    // Enough kills must land inside the run, or the test proves little.
    EXPECT_GT(interrupted, KILLS / 4);
    RecordProperty("interrupted", interrupted);
}

} // namespace
} // namespace vantrel
