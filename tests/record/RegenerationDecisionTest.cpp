// What a regeneration does with one file the last run wrote, for each way the user may have
// left it, written to a real folder.
#include "record/RecordingOutput.h"

#include "fileutil/DiskOutput.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vantrel {
namespace {

using Policy = RecordingOutput::Policy;

// What stands in the file's place when the run comes to it.
enum class Place { Plain, Link, KeptByChoice };
// When the last record was written: not known, or before or after the file last changed.
enum class Recorded { Unknown, BeforeTheFile, AfterTheFile };

struct Row {
    const char* name;
    std::string generated;            // what the last run wrote, and what its inputs make again
    std::optional<std::string> yours; // on the disk now; none: deleted
    std::string theirs;               // what the new run makes
    Policy policy;
    TargetState kind;
    std::optional<std::string> written;     // the file's bytes afterwards
    std::optional<std::string> beside = {}; // FILE.vantrel-new's
    // The run reads what the recorded one read: a file still as recorded is then left as it
    // is, its text not made again, and the new record lists it as before.
    bool sameInputs = false;
    bool leftAsItIs = false;
    Place place = Place::Plain;
    Recorded recorded = Recorded::Unknown;
    bool held = true; // the last record says the file held what it wrote
};

class Decision : public testing::TestWithParam<Row> {};

TEST_P(Decision, WritesOnlyWhatKeepsTheUsersWork) {
    const Row& row = GetParam();
    TempFolder work;
    const std::string path = work / "Demo/f.txt";
    std::filesystem::create_directories(work / "Demo");
    if (row.yours && row.place == Place::Link) {
        work.write("elsewhere.txt", *row.yours);
        std::filesystem::create_symlink(work / "elsewhere.txt", path);
    } else if (row.yours) {
        work.write("Demo/f.txt", *row.yours);
    }
    Manifest previous;
    const std::string& generated = row.generated;
    previous.entries.push_back({Manifest::Kind::File, Manifest::State::Generated, "f.txt",
                                generated.size(), contentHash(generated), 0, row.held});
    const std::int64_t hour = std::int64_t{3600} * 1'000'000'000;
    previous.writtenAt = row.recorded == Recorded::Unknown         ? 0
                         : row.recorded == Recorded::BeforeTheFile ? 1
                                                                   : fileClockNow() + hour;

    DiskOutput disk;
    if (row.place == Place::KeptByChoice)
        disk.keepAsTheyAre({path});
    RecordingOutput output(disk, &disk);
    output.setRecordRoot("Demo");
    output.setPrevious(&previous, [&](const std::string& key, ContentHash hash) {
        return key == "f.txt" && hash == contentHash(generated) ? &generated : nullptr;
    });
    output.setPolicy(row.policy);
    output.setSameInputs([&] { return row.sameInputs; });
    output.setLocation(work.path().string());
    ASSERT_NE(output.openFile(path), ProjectOutput::FileOpen::Failed);
    EXPECT_EQ(output.holdsRunText(), row.leftAsItIs);
    if (!row.leftAsItIs)
        output.pending() = row.theirs;
    EXPECT_EQ(output.pending(), row.leftAsItIs ? "" : row.theirs);
    const ProjectOutput::Closed closed = output.closeFile();
    EXPECT_TRUE(!row.leftAsItIs || closed == ProjectOutput::Closed::Unchanged);

    ASSERT_EQ(output.outcomes().size(), 1u);
    EXPECT_EQ(targetStateLabel(output.outcomes()[0].state), targetStateLabel(row.kind));
    const auto bytesAt = [](const std::string& file) {
        return std::filesystem::exists(file) ? std::optional(readFile(file)) : std::nullopt;
    };
    EXPECT_EQ(bytesAt(path), row.written);
    EXPECT_EQ(bytesAt(path + ".vantrel-new"), row.beside);
    // The new record names what the run made, whatever became of the file; a conflict keeps
    // what proves the file's old bytes and names the new text beside it.
    output.finishManifest();
    const std::span<const Manifest::Entry> made = output.manifest().at("f.txt");
    ASSERT_EQ(made.size(), 1u);
    if (row.kind == TargetState::Conflict && row.policy == Policy::Automatic) {
        EXPECT_EQ(made[0].state, Manifest::State::Conflict);
        EXPECT_EQ(made[0].hash, contentHash(generated));
        EXPECT_EQ(made[0].pending, contentHash(row.theirs));
    } else {
        EXPECT_EQ(made[0].hash, contentHash(row.theirs));
        EXPECT_EQ(made[0].size, row.theirs.size());
    }
    // Held only where the file holds it (after the record, the disk's word is taken for it).
    EXPECT_TRUE(row.recorded == Recorded::AfterTheFile || !made[0].held ||
                bytesAt(path) == row.theirs);
}

const char* const EDITED_TO_THE_SAME_SIZE = "one\ntwo\nthree\nfour\nFIVE\n";

const char* const BASE = "one\ntwo\nthree\nfour\nfive\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, Decision,
    testing::Values(
        Row{"AsGeneratedIsUpdated", BASE, BASE, "one\nTWO\nthree\nfour\nfive\n", Policy::Automatic,
            TargetState::Replaced, "one\nTWO\nthree\nfour\nfive\n"},
        Row{"EditedTheSameAsNew", BASE, "x\n", "x\n", Policy::Automatic, TargetState::Same, "x\n"},
        Row{"EditedGeneratedUnchanged", BASE, "mine\n", BASE, Policy::Automatic, TargetState::Kept,
            "mine\n"},
        Row{"EditedElsewhereMerges", BASE, "one\ntwo\nthree\nfour\nFIVE mine\n",
            "ONE\ntwo\nthree\nfour\nfive\n", Policy::Automatic, TargetState::Merged,
            "ONE\ntwo\nthree\nfour\nFIVE mine\n"},
        Row{"OverlapKeptWithTheNewBeside", BASE, "one\nmine\nthree\nfour\nfive\n",
            "one\nTWO\nthree\nfour\nfive\n", Policy::Automatic, TargetState::Conflict,
            "one\nmine\nthree\nfour\nfive\n", "one\nTWO\nthree\nfour\nfive\n"},
        Row{"OverlapOfferedWithMarkers", BASE, "one\nmine\nthree\nfour\nfive\n",
            "one\nTWO\nthree\nfour\nfive\n", Policy::Review, TargetState::Conflict,
            "one\n<<<<<<< yours\nmine\n=======\nTWO\n>>>>>>> generated\nthree\nfour\nfive\n"},
        Row{"BinaryIsNeverMerged", std::string("a\0b", 3), std::string("a\0c", 3),
            std::string("a\0d", 3), Policy::Automatic, TargetState::Conflict,
            std::string("a\0c", 3), std::string("a\0d", 3)},
        Row{"DeletedStaysDeleted", BASE, std::nullopt, "new\n", Policy::Automatic,
            TargetState::DeletedByYou, std::nullopt},
        Row{"DeletedOfferedInReview", BASE, std::nullopt, "new\n", Policy::Review,
            TargetState::DeletedByYou, "new\n"},
        Row{"OverwriteTakesTheNew", BASE, "mine\n", "new\n", Policy::Overwrite,
            TargetState::Replaced, "new\n"},
        Row{"SameInputsAsRecordedLeftAsItIs", BASE, BASE, BASE, Policy::Automatic,
            TargetState::Same, BASE, std::nullopt, true, true},
        Row{"OtherInputsAsRecordedMadeAgain", BASE, BASE, BASE, Policy::Automatic,
            TargetState::Same, BASE, std::nullopt, false, false},
        Row{"SameInputsEdited", BASE, "mine\n", BASE, Policy::Automatic, TargetState::Kept,
            "mine\n", std::nullopt, true},
        Row{"SameInputsEditedToTheSameSize", BASE, "one\ntwo\nthree\nfour\nFIVE\n", BASE,
            Policy::Automatic, TargetState::Kept, "one\ntwo\nthree\nfour\nFIVE\n", std::nullopt,
            true},
        Row{"SameInputsDeleted", BASE, std::nullopt, BASE, Policy::Automatic,
            TargetState::DeletedByYou, std::nullopt, std::nullopt, true},
        Row{"SameInputsReviewMakesEveryText", BASE, BASE, BASE, Policy::Review, TargetState::Same,
            BASE, std::nullopt, true},
        Row{"SameInputsOverwriteMakesEveryText", BASE, BASE, BASE, Policy::Overwrite,
            TargetState::Same, BASE, std::nullopt, true},
        Row{"SameInputsALinkInItsPlace", BASE, BASE, BASE, Policy::Automatic, TargetState::Same,
            BASE, std::nullopt, true, false, Place::Link},
        Row{"SameInputsKeptByChoice", BASE, BASE, BASE, Policy::Automatic, TargetState::Same, BASE,
            std::nullopt, true, false, Place::KeptByChoice},
        // Untouched since the record by its change time, the file is not read: an edit it
        // could not show stays unseen.
        Row{"SameInputsUnchangedSinceTheRecordNotRead", BASE, EDITED_TO_THE_SAME_SIZE, BASE,
            Policy::Automatic, TargetState::Same, EDITED_TO_THE_SAME_SIZE, std::nullopt, true, true,
            Place::Plain, Recorded::AfterTheFile},
        Row{"SameInputsChangedSinceTheRecord", BASE, EDITED_TO_THE_SAME_SIZE, BASE,
            Policy::Automatic, TargetState::Kept, EDITED_TO_THE_SAME_SIZE, std::nullopt, true,
            false, Place::Plain, Recorded::BeforeTheFile},
        Row{"SameInputsUnchangedSinceTheRecordKeptByChoice", BASE, BASE, BASE, Policy::Automatic,
            TargetState::Same, BASE, std::nullopt, true, false, Place::KeptByChoice,
            Recorded::AfterTheFile},
        Row{"SameInputsRecordedAsEdited", BASE, EDITED_TO_THE_SAME_SIZE, BASE, Policy::Automatic,
            TargetState::Kept, EDITED_TO_THE_SAME_SIZE, std::nullopt, true, false, Place::Plain,
            Recorded::AfterTheFile, false},
        Row{"OtherInputsUnchangedSinceTheRecordRead", BASE, EDITED_TO_THE_SAME_SIZE, BASE,
            Policy::Automatic, TargetState::Kept, EDITED_TO_THE_SAME_SIZE, std::nullopt, false,
            false, Place::Plain, Recorded::AfterTheFile}),
    [](const testing::TestParamInfo<Row>& info) { return info.param.name; });

} // namespace
} // namespace vantrel
