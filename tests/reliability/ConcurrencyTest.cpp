// Two runs into one project at once: the second stops at once with a message and exit status 1
// and writes nothing, so the project is always the whole output of the runs that went ahead,
// never a mix of two.
#include "support/GeneratorProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

// A project of many files, so that two runs started together overlap.
void writeInputs(const TempFolder& work) {
    work.write("project.json", projectOfActions(150));
    for (const char* side : {"a", "b"}) {
        const std::string name(side);
        work.write(name + ".cfg",
                   "templatedirectory = \"" + name + "\"\nkeltemplate = \"kel.vts\"\n");
        std::string body;
        for (int line = 0; line < 40; ++line)
            body += "// " + name + " " + std::to_string(line) + " %ACTIONNAME%\n";
        work.write(name + "/plugin.tpl", "filesection: main\n// " + name + "\nfilesectionend:\n" +
                                             "filesection: action\n" + body);
    }
    work.write("kel.vts", "create_directory: \"%PROJECTNAME%\"\n"
                          "create_file: \"main.cpp\" \"main\" \"plugin.tpl\"\n"
                          "@FOR 0 TO ALL_ACTIONS\n"
                          "create_file: \"%ACTIONNAME%.cpp\" \"action\" \"plugin.tpl\"\n"
                          "@ENDFOR\n");
}

TEST(Concurrency, TheSecondRunStopsAndNothingIsMixed) {
    TempFolder work;
    writeInputs(work);
    int refused = 0;
    constexpr int PAIRS = 30;
    for (int pair = 0; pair < PAIRS; ++pair) {
        const RunningGenerator a =
            startGeneratorIn(work.path(), {"--config", "a.cfg", "project.json"}, "a");
        const RunningGenerator b =
            startGeneratorIn(work.path(), {"--config", "b.cfg", "project.json"}, "b");
        const int statusA = a.wait();
        const int statusB = b.wait();
        SCOPED_TRACE("pair " + std::to_string(pair));
        for (const auto& [status, side] : {std::pair{statusA, "a"}, std::pair{statusB, "b"}}) {
            const std::string err = readFile(work.path() / ("err" + std::string(side) + ".txt"));
            if (status == 1) {
                ++refused;
                EXPECT_EQ(err, "vantrel-gen: another run is writing out/Demo; nothing was "
                               "written, try again when it has ended\n");
                EXPECT_EQ(readFile(work.path() / ("out" + std::string(side) + ".txt")), "");
            } else {
                EXPECT_EQ(status, 0) << err;
            }
        }
        EXPECT_FALSE(statusA == 1 && statusB == 1);
        // Every file from one run: the one that went ahead last.
        const std::string side = readFile(work.path() / "out/Demo/main.cpp");
        ASSERT_TRUE(side == "// a\n" || side == "// b\n") << side;
        for (const auto& entry : fs::directory_iterator(work.path() / "out/Demo")) {
            if (entry.is_regular_file()) {
                EXPECT_EQ(readFile(entry.path()).substr(0, 4), "// " + side.substr(3, 1))
                    << entry.path();
            }
        }
    }
    // Started together, they met at least once; otherwise the test proves nothing.
    EXPECT_GT(refused, 0);
    RecordProperty("refused", refused);
}

} // namespace
} // namespace vantrel
