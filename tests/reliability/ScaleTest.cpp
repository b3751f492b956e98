// Inputs far beyond what a person writes: deep nesting, huge lines and files, thousands of
// actions, runaway placeholders. Each run must end with a clear result in bounded time and
// memory, and text files written with a byte-order mark and CRLF must read as plain ones.
#include "project/ProjectFile.h"
#include "project/ProjectWriter.h"
#include "support/GeneratorProcess.h"
#include "support/TimeLimit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* CONFIG = "templatedirectory = \"tpl\"\n";
constexpr const char* PROJECT = R"({"host": "KEL", "name": "Demo", "location": "out",
                                    "actions": [{"name": "Line"}, {"name": "Arc"}]})";
constexpr const char* WRITE_MAIN = "create_directory: \"%PROJECTNAME%\"\n"
                                   "create_file: \"a.txt\" \"main\" \"big.tpl\"\n";
// Generous for the sanitizer build, far below what a runaway copy of the input would take.
constexpr long PEAK_LIMIT_MIB = 768;

std::string repeated(const std::string& text, int count) {
    std::string result;
    result.reserve(text.size() * static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        result += text;
    return result;
}

class LargeInput : public testing::Test {
protected:
    void SetUp() override {
        m_work.write("vantrel.cfg", CONFIG);
        m_work.write("project.json", PROJECT);
        m_work.write("kelpi.tpl", WRITE_MAIN);
    }

    ProcessResult run() {
        ProcessResult result = runGeneratorIn(m_work.path(), {"project.json"});
        if (TIME_LIMITED) {
            EXPECT_LT(result.elapsed, 60s);
        }
        EXPECT_LT(childPeakMiB(), PEAK_LIMIT_MIB);
        return result;
    }

    std::string output(const std::string& relative) const {
        return readFile(m_work.path() / relative);
    }

    TempFolder m_work;
};

TEST_F(LargeInput, ThousandNestedBlocksUnderAFalseConditionAreSkippedWhole) {
    m_work.write("tpl/big.tpl", "filesection: main\nbefore\n@IFDEF DOV\n" +
                                    repeated("@IFDEF KEL\n", 999) + "inner\n" +
                                    repeated("@ENDIF\n", 1000) + "after\n");
    const ProcessResult result = run();
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(output("out/Demo/a.txt"), "before\nafter\n");
}

TEST_F(LargeInput, ThousandOpenBlocksStopAtTheBlockLimitWithAMessage) {
    m_work.write("tpl/big.tpl", "filesection: main\nbefore\n" + repeated("@IFDEF KEL\n", 1000) +
                                    "inner\n" + repeated("@ENDIF\n", 1000));
    const ProcessResult result = run();
    EXPECT_EQ(result.err, "Error in Template File:\nmain\na.txt\n");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(output("out/Demo/a.txt"), "before\n") << "the lines written so far stay";
}

TEST_F(LargeInput, MegabyteLineIsExpandedWhole) {
    const std::string filler(1 << 20, 'y');
    m_work.write("tpl/big.tpl", "filesection: main\n%PROJECTNAME%" + filler + "%ACTIONNAME%\n");
    const ProcessResult result = run();
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(output("out/Demo/a.txt") == "Demo" + filler + "Line\n");
}

TEST_F(LargeInput, HundredThousandLineTemplateIsWrittenLineForLine) {
    m_work.write("tpl/big.tpl",
                 "filesection: main\n" + repeated("%ACDF_IDX%: a line of text\n", 100000));
    const ProcessResult result = run();
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(output("out/Demo/a.txt") == repeated("0: a line of text\n", 100000));
}

TEST_F(LargeInput, TenThousandActionsEachGetTheirFileAndTheirLine) {
    std::string actions;
    for (int i = 0; i < 10000; ++i)
        actions += (i == 0 ? "" : ",") + std::string(R"({"name": "A)") + std::to_string(i) + "\"}";
    m_work.write("project.json", R"({"host": "KEL", "name": "Demo", "location": "out",
                                     "actions": [)" +
                                     actions + "]}");
    m_work.write("kelpi.tpl", std::string(WRITE_MAIN) + "@FOR 0 TO ALL_ACTIONS\n"
                                                        "create_file: \"%ACTIONNAME%.h\" "
                                                        "\"action\" \"big.tpl\"\n"
                                                        "@ENDFOR\n");
    m_work.write("tpl/big.tpl", "filesection: main\n@FOR 0 TO ALL_ACTIONS\n%ACDF_IDXDEF%\n"
                                "@ENDFOR\nfilesectionend:\n"
                                "filesection: action\n#define %ACDF_IDXDEF% %ACDF_IDX%\n");
    const ProcessResult result = run();
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 3 + 10000);
    const std::string list = output("out/Demo/a.txt");
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 10000);
    EXPECT_TRUE(list.starts_with("IDA_A0\nIDA_A1\n"));
    EXPECT_TRUE(list.ends_with("IDA_A9999\n"));
    EXPECT_EQ(output("out/Demo/A9999.h"), "#define IDA_A9999 9999\n");
    // The record's answers read back as the project, an action to a line.
    const std::string answers = output("out/Demo/.vantrel/project.json");
    ProjectState read;
    ASSERT_FALSE(ProjectFile("project.json").apply(answers, read));
    EXPECT_EQ(read.actions.size(), 10000u);
    EXPECT_NE(answers.find("\n        ,{\"name\": \"A9999\", \"id\": 10000}\n"), std::string::npos);
}

// The work each path and line may take is bounded, so the result is the same on any machine:
// a path stops after 64 placeholders replaced, here all spent on the project folder's name; a
// line once the sum of its lengths through the replacements would pass 16 MiB, here after
// 5,759 (the k-th leaves 33 + k bytes).
TEST_F(LargeInput, PlaceholdersHoldingThemselvesEndInBoundedOutput) {
    m_work.write("vantrel.cfg", std::string(CONFIG) + "SELF = \"x%SELF%\", \"self.h\"\n");
    m_work.write("project.json", R"({"host": "KEL", "name": "x%PROJECTNAME%", "location": "out",
                                     "actions": [{"name": "x%ACTIONNAME%"}]})");
    m_work.write("kelpi.tpl", "create_directory: \"%PROJECTNAME%\"\n"
                              "create_file: \"%ACTIONNAME%%SELF%\" \"main\" \"big.tpl\"\n");
    m_work.write("tpl/big.tpl", "filesection: main\n%PROJECTNAME% %ACTIONNAME% %SELF%\n");
    const ProcessResult result = run();
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
    // A path takes the template's own replacement and 64 that the value feeds; a line stops
    // when the work of the replacements its values feed passes the bound.
    const std::string folder = "out/" + std::string(65, 'x') + "%PROJECTNAME%";
    const std::string file = folder + "/%ACTIONNAME%%SELF%";
    EXPECT_EQ(result.out, "out\n" + folder + "\n" + file + "\n");
    std::size_t written = 0;
    for (const fs::directory_entry& entry :
         fs::recursive_directory_iterator(m_work.path() / "out")) {
        if (!entry.is_regular_file())
            continue;
        ++written;
        const std::string text = readFile(entry.path());
        EXPECT_TRUE(text.starts_with("xx")) << text.substr(0, 80);
        EXPECT_LE(text.size(), std::size_t{4} << 20);
    }
    EXPECT_EQ(written, 1u);
    EXPECT_TRUE(output(file) == std::string(5775, 'x') + "%PROJECTNAME% %ACTIONNAME% %SELF%\n");
}

// The same installation written by an editor that puts a byte-order mark first and ends lines
// with CRLF gives the very bytes of the plain one.
TEST(TextFiles, ByteOrderMarkAndCrlfGiveTheSameBytesAsLf) {
    const std::string script = "create_directory: \"%PROJECTNAME%\"\n"
                               "create_file: \"%PROJECTNAME%.cpp\" \"main\" \"plugin.tpl\"\n"
                               "@FOR 0 TO ALL_ACTIONS\n"
                               "create_file: \"%ACTIONNAME%.cpp\" \"action\" \"plugin.tpl\"\n"
                               "@ENDFOR\n"
                               "create_done:\n";
    const std::string templ = "filesection: main\n"
                              "// %PROJECTNAME% by %COMPANY%\n"
                              "@IFDEF KEL\n"
                              "#include \"kelpi.h\"\n"
                              "@ENDIF\n"
                              "\n"
                              "filesectionend:\n"
                              "filesection: action\n"
                              "// action %ACDF_IDX%: %ACDF_NAME%\n";
    const std::string config = "templatedirectory = \"tpl\"\nCOMPANY = \"Works\", \"w\"\n";
    const auto dos = [](const std::string& text) {
        std::string result = "\xEF\xBB\xBF";
        for (char c : text)
            result += c == '\n' ? std::string("\r\n") : std::string(1, c);
        return result;
    };

    std::string trees[2];
    for (int variant = 0; variant < 2; ++variant) {
        const TempFolder work;
        const auto text = [&](const std::string& plain) {
            return variant == 0 ? plain : dos(plain);
        };
        work.write("vantrel.cfg", text(config));
        work.write("kelpi.tpl", text(script));
        work.write("tpl/plugin.tpl", text(templ));
        work.write("project.json", PROJECT);
        const ProcessResult result = runGeneratorIn(work.path(), {"project.json"});
        EXPECT_EQ(result.err, "") << variant;
        EXPECT_EQ(result.status, 0) << variant;
        for (const char* file : {"out/Demo/Demo.cpp", "out/Demo/Line.cpp", "out/Demo/Arc.cpp"})
            trees[variant] += std::string(file) + ":\n" + readFile(work.path() / file);
    }
    EXPECT_EQ(trees[0], "out/Demo/Demo.cpp:\n// Demo by Works\n#include \"kelpi.h\"\n\n"
                        "out/Demo/Line.cpp:\n// action 0: \"Line\"\n"
                        "out/Demo/Arc.cpp:\n// action 1: \"Arc\"\n");
    EXPECT_EQ(trees[1], trees[0]);
}

} // namespace
} // namespace vantrel
