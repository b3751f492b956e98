// The one rule of regeneration, over every combination of what the record says, what the disk
// holds, what the merge base is and what the run makes: no byte of the user's is written over
// unless the record proves this program wrote it, or a clean merge keeps it.
#include "record/TargetDecision.h"

#include "diff/ConflictStages.h"

#include <gtest/gtest.h>

#include <vector>

namespace vantrel {
namespace {

using State = Manifest::State;

const std::string BASE = "one\ntwo\nthree\nfour\nfive\n";
const std::string NEW = "one\nTWO\nthree\nfour\nfive\n";         // the template changed line 2
const std::string YOURS_APART = "one\ntwo\nthree\nfour\nmine\n"; // merges cleanly with NEW
const std::string YOURS_OVER = "one\nmine\nthree\nfour\nfive\n"; // overlaps NEW
const std::string OTHER = "something else\n";                    // an unrelated file

Manifest::Entry entryOf(State state, const std::string& text, ContentHash pending = 0) {
    return {Manifest::Kind::File, state, "f.cpp", text.size(), contentHash(text), pending, false};
}

// Every line of yours that the decision may lose: a line of the disk's file that is in neither
// the base nor the bytes written.
bool keepsYourLines(const std::string& disk, const std::string* base, const std::string& written) {
    std::size_t at = 0;
    while (at < disk.size()) {
        const std::size_t end = disk.find('\n', at);
        const std::string line = disk.substr(at, end - at + 1);
        at = end + 1;
        if (written.find(line) == std::string::npos &&
            (!base || base->find(line) == std::string::npos))
            return false;
    }
    return true;
}

TEST(TargetDecision, NeverWritesOverWhatItCannotProve) {
    const std::vector<std::vector<Manifest::Entry>> records = {
        {},
        {entryOf(State::Generated, BASE)},
        {entryOf(State::Gone, BASE)},
        {entryOf(State::Conflict, BASE, contentHash(NEW))},
        {entryOf(State::Generated, OTHER), entryOf(State::Generated, BASE)}, // two joined records
        {entryOf(State::Generated, OTHER)},
    };
    const std::vector<std::optional<std::string>> disks = {std::nullopt, BASE,       NEW,
                                                           YOURS_APART,  YOURS_OVER, OTHER};
    int combinations = 0;
    for (const auto& recorded : records)
        for (const auto& disk : disks)
            for (const std::string& theirs : {BASE, NEW})
                for (const bool withBase : {false, true})
                    for (const bool besideStands : {false, true})
                        for (const TargetPolicy policy :
                             {TargetPolicy::Automatic, TargetPolicy::Review})
                            for (const bool markers : {false, true}) {
                                ++combinations;
                                TargetFacts facts;
                                facts.markConflicts = markers;
                                facts.recorded = recorded;
                                facts.disk = disk ? &*disk : nullptr;
                                facts.besideStands = besideStands;
                                const std::optional<ContentHash> baseHash =
                                    mergeBaseHash(recorded, besideStands);
                                const std::string* base = nullptr;
                                if (withBase && baseHash && *baseHash == contentHash(BASE))
                                    base = &BASE;
                                if (withBase && baseHash && *baseHash == contentHash(NEW))
                                    base = &NEW;
                                facts.base = base;
                                const TargetDecision decision = decideTarget(facts, theirs, policy);
                                const std::string where =
                                    "record " + std::to_string(&recorded - records.data()) +
                                    ", disk " + std::to_string(&disk - disks.data()) + ", new " +
                                    (theirs == BASE ? "base" : "changed") +
                                    (withBase ? ", base" : "") + (besideStands ? ", beside" : "") +
                                    (policy == TargetPolicy::Review ? ", review" : "") +
                                    (markers ? ", markers" : "");
                                if (!disk) {
                                    EXPECT_TRUE(decision.state == TargetState::New ||
                                                decision.state == TargetState::DeletedByYou)
                                        << where;
                                    continue;
                                }
                                // A kept file is said to be kept for its true reason: nothing
                                // proves who wrote it, or its merge base is gone, or the merge
                                // overlaps.
                                if (decision.state == TargetState::Conflict) {
                                    EXPECT_EQ(decision.unresolved, besideStands) << where;
                                    EXPECT_EQ(decision.unproven, recorded.empty()) << where;
                                    EXPECT_EQ(decision.noBase,
                                              !besideStands && !recorded.empty() && !base)
                                        << where;
                                }
                                if (policy == TargetPolicy::Review &&
                                    decision.state == TargetState::Conflict)
                                    continue; // offered unticked, written only when chosen
                                if (!decision.bytes || *decision.bytes == *disk)
                                    continue;
                                const bool proven = std::any_of(
                                    recorded.begin(), recorded.end(),
                                    [&](const Manifest::Entry& entry) {
                                        return entry.hash == contentHash(*disk) ||
                                               (!besideStands && entry.state == State::Conflict &&
                                                entry.pending == contentHash(*disk));
                                    });
                                // Markers hold every line of yours, as written, and are found
                                // again by the next run.
                                const bool marked =
                                    decision.marked && markers &&
                                    keepsYourLines(*disk, nullptr, *decision.bytes) &&
                                    holdsConflictMarkers(*decision.bytes);
                                EXPECT_TRUE(proven || marked ||
                                            (decision.state == TargetState::Merged &&
                                             keepsYourLines(*disk, base, *decision.bytes)))
                                    << where;
                                // Nothing is written while the new text of a conflict stands
                                // beside.
                                EXPECT_FALSE(besideStands) << where;
                            }
    EXPECT_EQ(combinations, 6 * 6 * 2 * 2 * 2 * 2 * 2);
}

struct Row {
    const char* name;
    std::vector<Manifest::Entry> recorded;
    std::optional<std::string> disk;
    std::string theirs;
    bool withBase;
    bool besideStands;
    TargetState state;
    std::optional<std::string> bytes;
    bool unproven = false;
};

class TargetDecisionRow : public testing::TestWithParam<Row> {};

TEST_P(TargetDecisionRow, GivesTheStateAndBytes) {
    const Row& row = GetParam();
    TargetFacts facts;
    facts.recorded = row.recorded;
    facts.disk = row.disk ? &*row.disk : nullptr;
    facts.besideStands = row.besideStands;
    facts.base = row.withBase ? &BASE : nullptr;
    const TargetDecision decision = decideTarget(facts, row.theirs, TargetPolicy::Automatic);
    EXPECT_EQ(targetStateLabel(decision.state), targetStateLabel(row.state));
    EXPECT_EQ(decision.bytes, row.bytes);
    EXPECT_EQ(decision.unproven, row.unproven);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TargetDecisionRow,
    testing::Values(
        Row{"NothingThereNothingRecorded",
            {},
            std::nullopt,
            NEW,
            false,
            false,
            TargetState::New,
            NEW},
        Row{"ThereWithoutARecordIsTheUsers",
            {},
            OTHER,
            NEW,
            false,
            false,
            TargetState::Conflict,
            std::nullopt,
            true},
        Row{"ThereWithoutARecordAndTheSame", {}, NEW, NEW, false, false, TargetState::Same, NEW},
        Row{"AsRecordedIsReplaced",
            {entryOf(State::Generated, BASE)},
            BASE,
            NEW,
            false,
            false,
            TargetState::Replaced,
            NEW},
        Row{"EditedNothingNewIsKept",
            {entryOf(State::Generated, BASE)},
            YOURS_OVER,
            BASE,
            true,
            false,
            TargetState::Kept,
            std::nullopt},
        Row{"EditedApartIsMerged",
            {entryOf(State::Generated, BASE)},
            YOURS_APART,
            NEW,
            true,
            false,
            TargetState::Merged,
            "one\nTWO\nthree\nfour\nmine\n"},
        Row{"EditedWithoutABaseIsKept",
            {entryOf(State::Generated, BASE)},
            YOURS_APART,
            NEW,
            false,
            false,
            TargetState::Conflict,
            std::nullopt},
        Row{"DeletedStaysDeleted",
            {entryOf(State::Generated, BASE)},
            std::nullopt,
            NEW,
            true,
            false,
            TargetState::DeletedByYou,
            std::nullopt},
        Row{"GoneAndDeletedComesBack",
            {entryOf(State::Gone, BASE)},
            std::nullopt,
            NEW,
            true,
            false,
            TargetState::New,
            NEW},
        Row{"GoneAndUneditedIsReplaced",
            {entryOf(State::Gone, BASE)},
            BASE,
            NEW,
            false,
            false,
            TargetState::Replaced,
            NEW},
        Row{"GoneAndEditedMerges",
            {entryOf(State::Gone, BASE)},
            YOURS_APART,
            NEW,
            true,
            false,
            TargetState::Merged,
            "one\nTWO\nthree\nfour\nmine\n"},
        Row{"OpenConflictStaysOne",
            {entryOf(State::Conflict, BASE, contentHash(NEW))},
            YOURS_APART,
            NEW,
            true,
            true,
            TargetState::Conflict,
            std::nullopt},
        Row{"OpenConflictEvenWhenReverted",
            {entryOf(State::Conflict, BASE, contentHash(NEW))},
            BASE,
            NEW,
            true,
            true,
            TargetState::Conflict,
            std::nullopt},
        Row{"ResolvedConflictIsKept",
            {entryOf(State::Conflict, BASE, contentHash(NEW))},
            YOURS_OVER,
            NEW,
            false,
            false,
            TargetState::Kept,
            std::nullopt},
        Row{"ResolvedByTakingTheNewText",
            {entryOf(State::Conflict, BASE, contentHash(NEW))},
            NEW,
            NEW,
            false,
            false,
            TargetState::Same,
            NEW}),
    [](const testing::TestParamInfo<Row>& info) { return info.param.name; });

// With conflicts marked in the file: only an overlap in a proven file with a base gets markers;
// a file whose recorded conflict still holds them is never merged into.
TEST(TargetDecision, MarksOnlyProvenOverlapsAndMergesNothingIntoOpenMarkers) {
    const std::vector<Manifest::Entry> generated = {entryOf(State::Generated, BASE)};
    const std::vector<Manifest::Entry> conflict = {
        entryOf(State::Conflict, BASE, contentHash(NEW))};
    const struct {
        const char* name;
        std::span<const Manifest::Entry> recorded;
        const std::string& disk;
        bool withBase;
        bool markersStand;
        TargetState state;
        bool marked;
        bool bytes;
    } rows[] = {
        {"overlap", generated, YOURS_OVER, true, false, TargetState::Conflict, true, true},
        {"overlap without a base", generated, YOURS_OVER, false, false, TargetState::Conflict,
         false, false},
        {"nothing proves it", {}, YOURS_OVER, false, false, TargetState::Conflict, false, false},
        {"apart merges as ever", generated, YOURS_APART, true, false, TargetState::Merged, false,
         true},
        {"markers still in", conflict, YOURS_APART, true, true, TargetState::Conflict, false,
         false},
    };
    for (const auto& row : rows) {
        TargetFacts facts;
        facts.recorded = row.recorded;
        facts.disk = &row.disk;
        facts.base = row.withBase ? &BASE : nullptr;
        facts.markConflicts = true;
        facts.markersStand = row.markersStand;
        const TargetDecision decision = decideTarget(facts, NEW, TargetPolicy::Automatic);
        EXPECT_EQ(targetStateLabel(decision.state), targetStateLabel(row.state)) << row.name;
        EXPECT_EQ(decision.marked, row.marked) << row.name;
        EXPECT_EQ(decision.bytes.has_value(), row.bytes) << row.name;
        EXPECT_EQ(decision.unresolved, row.markersStand) << row.name;
        if (decision.marked) {
            EXPECT_TRUE(holdsConflictMarkers(*decision.bytes)) << row.name;
            EXPECT_TRUE(keepsYourLines(row.disk, nullptr, *decision.bytes)) << row.name;
        }
    }
}

} // namespace
} // namespace vantrel
