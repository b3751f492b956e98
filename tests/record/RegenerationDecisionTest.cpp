// What a regeneration does with one file the last run wrote, for each way the user may have
// left it, seen through the in-memory tree over a real folder.
#include "record/RecordingOutput.h"

#include "fileutil/DiskOutput.h"
#include "fileutil/MemoryOutput.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vantrel {
namespace {

using Policy = RecordingOutput::Policy;

struct Row {
    const char* name;
    std::string generated;            // what the last run wrote, and what its inputs make again
    std::optional<std::string> yours; // on the disk now; none: deleted
    std::string theirs;               // what the new run makes
    Policy policy;
    Regenerated kind;
    std::optional<std::string> written;     // the file's bytes afterwards
    std::optional<std::string> beside = {}; // FILE.vantrel-new's
};

class Decision : public testing::TestWithParam<Row> {};

TEST_P(Decision, WritesOnlyWhatKeepsTheUsersWork) {
    const Row& row = GetParam();
    TempFolder work;
    if (row.yours)
        work.write("f.txt", *row.yours);
    Manifest previous;
    const std::string& generated = row.generated;
    previous.add({Manifest::Kind::File, "f.txt", generated.size(), contentHash(generated)});

    MemoryOutput memory;
    RecordingOutput output(memory);
    output.setPrevious(
        &previous, [&](const std::string& key) { return key == "f.txt" ? &generated : nullptr; });
    output.setPolicy(row.policy);
    output.setLocation(work.path().string());
    const std::string path = work / "f.txt";
    ASSERT_NE(output.openFile(path), ProjectOutput::FileOpen::Failed);
    output.pending() = row.theirs;
    output.closeFile();

    const Regenerated kind =
        output.outcomes().empty() ? Regenerated::AsGenerated : output.outcomes()[0].kind;
    EXPECT_EQ(static_cast<int>(kind), static_cast<int>(row.kind));
    const auto file = memory.tree().find("f.txt");
    const std::optional<std::string> written =
        file == memory.tree().end() ? row.yours : std::optional(file->second.bytes);
    EXPECT_EQ(written, row.written);
    const auto beside = memory.tree().find("f.txt.vantrel-new");
    EXPECT_EQ(beside == memory.tree().end() ? std::nullopt : std::optional(beside->second.bytes),
              row.beside);
    // The new record names what the run made, whatever became of the file.
    ASSERT_NE(output.manifest().find("f.txt"), nullptr);
    EXPECT_EQ(output.manifest().find("f.txt")->hash, contentHash(row.theirs));
}

const char* const BASE = "one\ntwo\nthree\nfour\nfive\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, Decision,
    testing::Values(
        Row{"AsGeneratedIsUpdated", BASE, BASE, "one\nTWO\nthree\nfour\nfive\n", Policy::Automatic,
            Regenerated::AsGenerated, "one\nTWO\nthree\nfour\nfive\n"},
        Row{"EditedTheSameAsNew", BASE, "x\n", "x\n", Policy::Automatic, Regenerated::AsGenerated,
            "x\n"},
        Row{"EditedGeneratedUnchanged", BASE, "mine\n", BASE, Policy::Automatic,
            Regenerated::YoursKept, "mine\n"},
        Row{"EditedElsewhereMerges", BASE, "one\ntwo\nthree\nfour\nFIVE mine\n",
            "ONE\ntwo\nthree\nfour\nfive\n", Policy::Automatic, Regenerated::Merged,
            "ONE\ntwo\nthree\nfour\nFIVE mine\n"},
        Row{"OverlapKeptWithTheNewBeside", BASE, "one\nmine\nthree\nfour\nfive\n",
            "one\nTWO\nthree\nfour\nfive\n", Policy::Automatic, Regenerated::Conflict,
            "one\nmine\nthree\nfour\nfive\n", "one\nTWO\nthree\nfour\nfive\n"},
        Row{"OverlapOfferedWithMarkers", BASE, "one\nmine\nthree\nfour\nfive\n",
            "one\nTWO\nthree\nfour\nfive\n", Policy::Review, Regenerated::Conflict,
            "one\n<<<<<<< yours\nmine\n=======\nTWO\n>>>>>>> generated\nthree\nfour\nfive\n"},
        Row{"BinaryIsNeverMerged", std::string("a\0b", 3), std::string("a\0c", 3),
            std::string("a\0d", 3), Policy::Automatic, Regenerated::Conflict,
            std::string("a\0c", 3), std::string("a\0d", 3)},
        Row{"DeletedStaysDeleted", BASE, std::nullopt, "new\n", Policy::Automatic,
            Regenerated::Deleted, std::nullopt},
        Row{"DeletedOfferedInReview", BASE, std::nullopt, "new\n", Policy::Review,
            Regenerated::Deleted, "new\n"},
        Row{"OverwriteTakesTheNew", BASE, "mine\n", "new\n", Policy::Overwrite,
            Regenerated::AsGenerated, "new\n"}),
    [](const testing::TestParamInfo<Row>& info) { return info.param.name; });

// A file still as recorded, in a run that reads what the recorded one read, is not made again:
// it is left as it is, and the new record lists it as before. Anything else is made as ever.
struct SkipRow {
    const char* name;
    bool sameInputs;
    Policy policy;
    std::optional<std::string> yours; // none: deleted
    bool holds;
    bool link = false; // the file's place holds a link to those bytes
    bool keptByChoice = false;
};

class AsRecorded : public testing::TestWithParam<SkipRow> {};

TEST_P(AsRecorded, LeavesOnlyAFileTheSameInputsWouldMakeAgain) {
    const SkipRow& row = GetParam();
    TempFolder work;
    const std::string generated = BASE;
    const std::string path = work / "f.txt";
    if (row.yours && row.link) {
        work.write("elsewhere.txt", *row.yours);
        std::filesystem::create_symlink(work / "elsewhere.txt", path);
    } else if (row.yours) {
        work.write("f.txt", *row.yours);
    }
    Manifest previous;
    previous.add({Manifest::Kind::File, "f.txt", generated.size(), contentHash(generated)});

    DiskOutput disk;
    if (row.keptByChoice)
        disk.keepAsTheyAre({path});
    RecordingOutput output(disk);
    output.setPrevious(&previous, [&](const std::string&) { return &generated; });
    output.setPolicy(row.policy);
    output.setSameInputs([&] { return row.sameInputs; });
    output.setLocation(work.path().string());
    ASSERT_NE(output.openFile(path), ProjectOutput::FileOpen::Failed);
    EXPECT_EQ(output.leaveAsRunText(), row.holds);
    if (!row.holds)
        return;
    EXPECT_EQ(output.pending(), "");
    EXPECT_EQ(output.closeFile(), ProjectOutput::Closed::Unchanged);
    EXPECT_TRUE(output.outcomes().empty());
    ASSERT_NE(output.manifest().find("f.txt"), nullptr);
    EXPECT_EQ(*output.manifest().find("f.txt"), *previous.find("f.txt"));
    EXPECT_EQ(readFile(path), generated);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AsRecorded,
    testing::Values(SkipRow{"SameInputsFileAsRecorded", true, Policy::Automatic, BASE, true},
                    SkipRow{"InputsChanged", false, Policy::Automatic, BASE, false},
                    SkipRow{"Edited", true, Policy::Automatic, "mine\n", false},
                    SkipRow{"EditedToTheSameSize", true, Policy::Automatic,
                            "one\ntwo\nthree\nfour\nFIVE\n", false},
                    SkipRow{"Deleted", true, Policy::Automatic, std::nullopt, false},
                    SkipRow{"ReviewShowsEveryText", true, Policy::Review, BASE, false},
                    SkipRow{"OverwriteWritesEveryText", true, Policy::Overwrite, BASE, false},
                    SkipRow{"ALinkInItsPlace", true, Policy::Automatic, BASE, false, true},
                    SkipRow{"KeptByChoice", true, Policy::Automatic, BASE, false, false, true}),
    [](const testing::TestParamInfo<SkipRow>& info) { return info.param.name; });

} // namespace
} // namespace vantrel
