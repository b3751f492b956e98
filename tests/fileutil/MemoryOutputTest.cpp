#include "fileutil/MemoryOutput.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

using Open = ProjectOutput::FileOpen;
using Copy = ProjectOutput::Copy;

std::string writeText(MemoryOutput& output, const std::string& path, std::string_view text) {
    if (output.openFile(path) == Open::Failed)
        return "failed";
    output.pending().append(text);
    return output.closeFile() == ProjectOutput::Closed::Written ? "written" : "not written";
}

// Folders, files and copies land in the tree below the location and nowhere on the disk; what
// lies outside, or has no folder to go into, is refused as the disk output refuses it.
TEST(MemoryOutput, RecordsTheRunWithoutTouchingTheDisk) {
    TempFolder tmp;
    const std::string loc = tmp / "out";
    const std::string source = tmp.write("kit/pi.h", "kit\n").string();
    MemoryOutput output;
    output.setLocation(loc);

    std::vector<std::string> made;
    std::string refused;
    EXPECT_EQ(output.openFile(loc + "/a.txt"), Open::Failed) << "the location is not there yet";
    ASSERT_TRUE(output.createFolder(loc + "/Demo/res", made, refused));
    EXPECT_EQ(made, (std::vector<std::string>{loc, loc + "/Demo", loc + "/Demo/res"}));
    ASSERT_TRUE(output.createFolder(loc + "/Demo", made, refused));
    EXPECT_TRUE(made.empty()) << "nothing is made twice";

    EXPECT_EQ(output.openFile(loc + "/Demo/a.cpp"), Open::Created);
    output.pending().append("one\n");
    EXPECT_TRUE(output.writePending());
    EXPECT_EQ(output.closeFile(), ProjectOutput::Closed::Written);
    EXPECT_EQ(output.openFile(loc + "/Demo/./a.cpp"), Open::Replaced);
    output.pending().append("two\n");
    EXPECT_EQ(output.closeFile(), ProjectOutput::Closed::Written);
    EXPECT_EQ(writeText(output, loc + "/Demo/missing/b.cpp", "x"), "failed");
    EXPECT_EQ(writeText(output, loc + "/Demo/res", "x"), "failed") << "a folder in the way";
    EXPECT_EQ(writeText(output, loc + "/../elsewhere.txt", "x"), "failed");
    EXPECT_FALSE(output.createFolder(loc + "/../elsewhere", made, refused));
    EXPECT_EQ(refused, loc + "/../elsewhere");

    EXPECT_EQ(output.copyFile(source, loc + "/Demo/pi.h"), Copy::Done);
    EXPECT_EQ(output.copyFile(tmp / "kit/none.h", loc + "/Demo/none.h"), Copy::SourceUnreadable);
    EXPECT_EQ(output.copyFile(source, tmp / "pi.h"), Copy::Refused);
    EXPECT_EQ(writeText(output, loc + "/Demo/pi.h/x", "x"), "failed") << "a file in the way";
    ASSERT_TRUE(output.createFolder(loc + "/Demo/pi.h/sub", made, refused));
    EXPECT_TRUE(made.empty()) << "no folder where a file is";

    const MemoryOutput::Tree& tree = output.tree();
    ASSERT_EQ(tree.size(), 5u);
    EXPECT_TRUE(tree.at("").folder) << "the location itself";
    EXPECT_TRUE(tree.at("Demo").folder);
    EXPECT_TRUE(tree.at("Demo/res").folder);
    EXPECT_EQ(tree.at("Demo/a.cpp").bytes, "two\n");
    EXPECT_EQ(tree.at("Demo/pi.h").bytes, "kit\n");
    EXPECT_FALSE(std::filesystem::exists(loc));
}

// Measured against the disk, each target is new, the same, changed or blocked; what is on the
// disk counts as there, and nothing on it changes. Without the details the blocked targets are
// the same, and nothing else is kept.
TEST(MemoryOutput, ComparesEveryTargetWithTheDisk) {
    TempFolder tmp;
    const std::string loc = tmp / "out";
    tmp.write("out/Demo/same.txt", "same\n");
    tmp.write("out/Demo/changed.txt", "old\n");
    tmp.write("out/Demo/file", "a file where a folder goes\n");
    std::filesystem::create_directories(tmp.path() / "out/Demo/folder");
    for (const bool keepDetails : {true, false}) {
        SCOPED_TRACE(keepDetails ? "with details" : "without details");
        MemoryOutput output;
        output.keepDetails(keepDetails);
        output.setLocation(loc);
        std::vector<std::string> made;
        std::string refused;
        ASSERT_TRUE(output.createFolder(loc + "/Demo", made, refused));
        EXPECT_TRUE(made.empty());
        for (const char* name : {"same.txt", "changed.txt", "new.txt"}) {
            ASSERT_NE(output.openFile(loc + "/Demo/" + name), Open::Failed) << name;
            output.pending().append(name == std::string("changed.txt") ? "new\n" : "same\n");
            // A new file's text passed on is kept only with the details.
            EXPECT_TRUE(output.writePending());
            EXPECT_EQ(output.pending().empty(), !keepDetails && name == std::string("new.txt"));
            output.closeFile();
        }
        EXPECT_EQ(output.openFile(loc + "/Demo/folder"), Open::Failed);
        ASSERT_TRUE(output.createFolder(loc + "/Demo/file/sub", made, refused));
        EXPECT_TRUE(made.empty());

        using State = MemoryOutput::State;
        std::vector<std::pair<std::string, State>> states;
        for (const MemoryOutput::Target& target : output.targets())
            states.emplace_back(target.key, target.state);
        std::vector<std::pair<std::string, State>> expected = {{"Demo", State::Same},
                                                               {"Demo/same.txt", State::Same},
                                                               {"Demo/changed.txt", State::Changed},
                                                               {"Demo/new.txt", State::New},
                                                               {"Demo/folder", State::Blocked},
                                                               {"Demo/file", State::Blocked},
                                                               {"Demo/file/sub", State::Blocked}};
        if (!keepDetails)
            std::erase_if(expected, [](const auto& row) { return row.second != State::Blocked; });
        EXPECT_EQ(states, expected);
        if (keepDetails) {
            EXPECT_EQ(output.targets()[2].oldBytes, "old\n");
        }
        EXPECT_EQ(output.tree().at("Demo/new.txt").bytes, keepDetails ? "same\n" : "");
        EXPECT_EQ(readFile(tmp.path() / "out/Demo/changed.txt"), "old\n");
        EXPECT_FALSE(std::filesystem::exists(tmp.path() / "out/Demo/new.txt"));
    }
}

} // namespace
} // namespace vantrel
