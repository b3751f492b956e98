#include "config/Configuration.h"
#include "diff/TextDiff.h"
#include "support/TempFolder.h"
#include "wizard/CreateCommand.h"
#include "wizard/ReviewModel.h"
#include "wizard/SummaryModel.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>

namespace vantrel {
namespace {

using State = ReviewModel::State;

void record(MemoryOutput& memory, const std::string& path, const std::string& bytes) {
    if (memory.openFile(path) == ProjectOutput::FileOpen::Failed)
        return;
    memory.pending() += bytes;
    memory.closeFile();
}

ReviewModel::Entry entry(const std::string& key, State state) {
    ReviewModel::Entry e;
    e.key = key;
    e.paths = {"/out/" + key};
    e.state = state;
    return e;
}

// The review and the summary of Create without widgets, and the two runs behind them.

TEST(CreateModels, PreviewListsEachTargetOnce) {
    TempFolder dir;
    ASSERT_TRUE(std::filesystem::create_directories(dir.path() / "demo/blocked.cpp"));
    dir.write("demo/same.h", "same\n");
    dir.write("demo/edited.cpp", "mine\n");

    MemoryOutput memory;
    memory.setLocation(dir.path().string());
    std::vector<std::string> made;
    std::string refused;
    memory.createFolder(dir / "demo", made, refused);
    record(memory, dir / "demo/new.cpp", "new\n");
    record(memory, dir / "demo/same.h", "same\n");
    record(memory, dir / "demo/edited.cpp", "theirs\n");
    record(memory, dir / "demo/blocked.cpp", "lost\n");
    // Written again under another spelling: one row, both spellings kept, the last bytes shown.
    record(memory, dir.path().string() + "/demo/./edited.cpp", "theirs at last\n");

    const std::vector<ReviewModel::Entry> entries = ReviewModel::entriesOf(memory);
    std::vector<std::string> keys;
    std::vector<State> states;
    for (const ReviewModel::Entry& e : entries) {
        keys.push_back(e.key);
        states.push_back(e.state);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"demo", "demo/new.cpp", "demo/same.h",
                                              "demo/edited.cpp", "demo/blocked.cpp"}));
    EXPECT_EQ(states, (std::vector<State>{State::Same, State::New, State::Same, State::Changed,
                                          State::Blocked}));
    ASSERT_EQ(entries.size(), std::size_t(5));
    EXPECT_TRUE(entries[0].folder);
    const ReviewModel::Entry& edited = entries[3];
    EXPECT_EQ(edited.paths.size(), std::size_t(2));
    EXPECT_EQ(edited.oldBytes, "mine\n");
    EXPECT_EQ(edited.newBytes, "theirs at last\n");

    ReviewModel review(entries);
    EXPECT_TRUE(review.hasChanges());
    EXPECT_EQ(review.keptPaths(), edited.paths); // unticked by default: yours stays
    EXPECT_EQ(review.stateText(2), "unchanged (nothing to write)");
    EXPECT_EQ(review.stateText(4), "blocked: a folder stands in the file's place");
}

TEST(CreateModels, TicksDecideWhatIsKept) {
    const std::string keepAll = "Write keeps all 3 changed files as they are and writes only "
                                "what is new.";
    const std::string yours = "changed: yours is kept";
    const std::string replaced = "changed: replaced by the new one";
    const struct {
        const char* name;
        std::vector<std::string> steps; // "tick N", "untick N", "all", "none"
        std::vector<std::string> kept;
        std::string choice;
        std::string firstRow; // what the first changed row says
    } rows[] = {
        {"nothing ticked keeps every changed file",
         {},
         {"a.cpp", "c.cpp", "d.cpp"},
         keepAll,
         yours},
        {"one ticked",
         {"tick 0"},
         {"c.cpp", "d.cpp"},
         "Write replaces 1 of the 3 changed files and keeps the other 2 as they are.",
         replaced},
        {"two ticked",
         {"tick 0", "tick 2"},
         {"d.cpp"},
         "Write replaces 2 of the 3 changed files and keeps the other one as it is.",
         replaced},
        {"an unchanged file takes no tick",
         {"tick 1"},
         {"a.cpp", "c.cpp", "d.cpp"},
         keepAll,
         yours},
        {"select all", {"all"}, {}, "Write replaces all 3 changed files.", replaced},
        {"select none after all", {"all", "none"}, {"a.cpp", "c.cpp", "d.cpp"}, keepAll, yours},
        {"untick after all",
         {"all", "untick 3"},
         {"d.cpp"},
         "Write replaces 2 of the 3 changed files and keeps the other one as it is.",
         replaced},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ReviewModel review({entry("a.cpp", State::Changed), entry("b.h", State::Same),
                            entry("c.cpp", State::Changed), entry("d.cpp", State::Changed)});
        for (const std::string& step : row.steps) {
            std::istringstream words(step);
            std::string word;
            std::size_t at = 0;
            words >> word >> at;
            if (word == "all")
                review.selectAll();
            else if (word == "none")
                review.selectNone();
            else
                review.setChecked(at, word == "tick");
        }
        std::vector<std::string> paths;
        for (const std::string& key : row.kept)
            paths.push_back("/out/" + key);
        EXPECT_EQ(review.keptKeys(), row.kept);
        EXPECT_EQ(review.keptPaths(), paths);
        EXPECT_EQ(review.choiceText(), row.choice);
        EXPECT_EQ(review.stateText(0), row.firstRow);
        EXPECT_FALSE(review.isChecked(1));
    }
}

// A conflict row left unticked keeps the user's lines; its new text goes beside the file, or
// into it between markers (and git's index). Only rows whose merge markers can hold offer it.
TEST(CreateModels, ConflictRowsOfferWhereTheNewTextGoes) {
    const auto conflict = [](const std::string& key, bool markable, bool unresolved) {
        ReviewModel::Entry e = entry(key, State::Changed);
        e.regenerated = TargetState::Conflict;
        e.markable = markable;
        e.unresolved = unresolved;
        return e;
    };
    ReviewModel review({conflict("a.cpp", true, false), conflict("b.h", false, false),
                        conflict("c.cpp", true, true), entry("d.cpp", State::Changed)});
    EXPECT_TRUE(review.offersConflictStyles(0));
    for (std::size_t row : {1, 2, 3}) {
        EXPECT_FALSE(review.offersConflictStyles(row)) << row;
        review.setConflictStyle(row, ConflictStyle::Markers);
        EXPECT_EQ(review.conflictStyle(row), ConflictStyle::Beside) << row;
    }
    EXPECT_EQ(review.stateText(0), "edited by you, overlapping: yours is kept; the new text goes "
                                   "beside it as a.cpp.vantrel-new");

    review.setConflictStyle(0, ConflictStyle::Git);
    EXPECT_EQ(review.stateText(0), "edited by you, overlapping: yours is kept; the new text goes "
                                   "into it between conflict markers, and into git's index");
    // Written by the run's own rule, not kept as it is nor given chosen bytes.
    EXPECT_EQ(review.conflictStyles(),
              (std::map<std::string, ConflictStyle>{{"a.cpp", ConflictStyle::Git}}));
    EXPECT_EQ(review.keptKeys(), (std::vector<std::string>{"b.h", "c.cpp", "d.cpp"}));
    EXPECT_FALSE(review.choices().contains("a.cpp"));
    EXPECT_TRUE(review.choices().contains("b.h"));

    // Ticked, the row writes what the tick says: the style no longer applies.
    review.setChecked(0, true);
    EXPECT_TRUE(review.conflictStyles().empty());
    EXPECT_TRUE(review.choices().contains("a.cpp"));
}

// A file no longer generated that still holds what was generated is offered for deletion,
// unticked: Write deletes it only when ticked, and it is no changed file to keep or replace.
TEST(CreateModels, FilesNoLongerGeneratedAreDeletedOnlyWhenTicked) {
    ReviewModel::Entry gone = entry("demo/Arc.cpp", State::Same);
    gone.noLongerGenerated = true;
    gone.deletable = true;
    ReviewModel alone({entry("demo/Line.cpp", State::Same), gone});
    EXPECT_TRUE(alone.hasChanges());
    EXPECT_TRUE(alone.isCheckable(1));
    EXPECT_FALSE(alone.isChecked(1));
    EXPECT_FALSE(alone.hasDiff(1));
    EXPECT_EQ(alone.stateText(1), "no longer generated: left as it is");
    EXPECT_EQ(alone.choiceText(), "Write writes only what is new.");
    alone.selectAll();
    EXPECT_EQ(alone.stateText(1), "no longer generated: deleted");
    EXPECT_EQ(alone.choiceText(),
              "Write writes only what is new. It deletes 1 file no longer generated.");
    EXPECT_EQ(alone.deletedKeys(), std::vector<std::string>{"demo/Arc.cpp"});
    EXPECT_TRUE(alone.keptKeys().empty());
    EXPECT_TRUE(alone.choices().empty());

    ReviewModel mixed({entry("demo/a.cpp", State::Changed), gone, gone});
    mixed.setChecked(1, true);
    EXPECT_EQ(mixed.choiceText(), "Write keeps the changed file as it is and writes only what is "
                                  "new. It deletes 1 file no longer generated.");
    EXPECT_EQ(mixed.keptKeys(), std::vector<std::string>{"demo/a.cpp"});
    mixed.selectNone();
    EXPECT_TRUE(mixed.deletedKeys().empty());
}

TEST(CreateModels, DiffShowsYoursAgainstTheNewFile) {
    ReviewModel::Entry changed = entry("demo/a.cpp", State::Changed);
    changed.oldBytes = "one\ntwo\nthree\n";
    changed.newBytes = "one\nTWO\nthree\n";
    ReviewModel review({changed, entry("demo/b.h", State::Same), entry("demo/c.h", State::New)});
    EXPECT_EQ(review.diffText(1), "Your file holds these very bytes already: nothing is written.");
    EXPECT_EQ(review.diffText(2), "A new file: nothing of yours is replaced.");
    if (!unifiedDiff("a", "b", "x", "x"))
        GTEST_SKIP() << "the library that compares texts is not installed";
    // The hunks alone: the row names the file.
    EXPECT_EQ(review.diffText(0), "@@ -1,3 +1,3 @@\n one\n-two\n+TWO\n three\n");

    // A single changed file is spoken of as one.
    EXPECT_EQ(review.choiceText(),
              "Write keeps the changed file as it is and writes only what is new.");
    review.selectAll();
    EXPECT_EQ(review.choiceText(), "Write replaces the changed file.");
}

TEST(CreateModels, SummaryCountsTheRun) {
    TempFolder dir;
    RunOutcome outcome;
    outcome.ended = true;
    outcome.counts = {1, 2, 3, 4, 5};
    outcome.messages = {{ErrorKind::ERR_ASSERT, "ASSERT:\nObject must be defined:\nx"}};
    const SummaryModel fine(outcome, {"demo/a.cpp"}, dir.path().string());
    std::vector<std::size_t> counts;
    for (const SummaryModel::Row& row : fine.rows())
        counts.push_back(row.count);
    // A failed assertion is reported but counts as no error; of the five kept, one was unticked
    // in the review.
    EXPECT_EQ(counts, (std::vector<std::size_t>{1, 2, 3, 4, 1, 4, 0}));
    EXPECT_EQ(fine.heading(), "The project was written:");
    EXPECT_EQ(fine.messages().size(), std::size_t(1));
    EXPECT_TRUE(fine.folderExists());

    outcome.ended = false;
    outcome.messages.push_back(
        {ErrorKind::ERR_OPEN_FILE, "Open file error:\nx/y", "x is a file, not a folder"});
    const SummaryModel failed(outcome, {}, dir / "gone");
    EXPECT_EQ(failed.rows().back().count, std::size_t(1));
    EXPECT_EQ(failed.messages().back(), "Open file error:\nx/y\n(x is a file, not a folder)");
    EXPECT_FALSE(failed.succeeded());
    EXPECT_TRUE(failed.heading().starts_with("The run stopped on an error.")) << failed.heading();
    EXPECT_FALSE(failed.folderExists()); // nothing to open
}

// "Never regenerate" is offered for a file there or recorded, takes the row's tick away while
// it holds, and is what Create records as the user's.
TEST(CreateModels, NeverRegenerateMakesAFileTheUsers) {
    ReviewModel::Entry gone = entry("demo/Arc.cpp", State::Same);
    gone.noLongerGenerated = gone.deletable = true;
    ReviewModel::Entry yours = entry("demo/Notes.cpp", State::Same);
    yours.regenerated = TargetState::Yours;
    ReviewModel::Entry kept = entry("demo/Kept.cpp", State::Same);
    kept.regenerated = TargetState::Kept;
    ReviewModel review(
        {entry("demo/a.cpp", State::Changed), entry("demo/b.h", State::New), gone, yours, kept});
    const std::vector<bool> offered = {true, false, false, false, true};
    for (std::size_t row = 0; row < review.size(); ++row)
        EXPECT_EQ(review.mayNeverRegenerate(row), offered[row]) << row;
    EXPECT_EQ(review.stateText(3), "kept (yours): never regenerated");

    review.setChecked(0, true);
    review.setNeverRegenerate(0, true);
    review.setNeverRegenerate(1, true); // not offered: nothing changes
    EXPECT_TRUE(review.neverRegenerates(0));
    EXPECT_FALSE(review.isCheckable(0));
    EXPECT_FALSE(review.isChecked(0));
    EXPECT_EQ(review.stateText(0), "never regenerate: kept as it is, yours from now on");
    EXPECT_EQ(review.detachedKeys(), std::vector<std::string>{"demo/a.cpp"});
    EXPECT_EQ(review.keptKeys(), std::vector<std::string>{"demo/a.cpp"});
    EXPECT_EQ(review.choiceText(),
              "Write keeps the changed file as it is and writes only what is new.");
    review.setNeverRegenerate(0, false);
    EXPECT_TRUE(review.isChecked(0)); // the tick it had comes back
    EXPECT_TRUE(review.detachedKeys().empty());
}

TEST(CreateModels, RunsOverTheSampleKeepWhatTheUserKept) {
    // The source tree as the environment names it, else the one the test was built from.
    const char* named = std::getenv("VANTREL_SOURCE_DIR");
    const std::string root = named ? named : VANTREL_SOURCE_DIR;
    TempFolder dir;
    std::optional<WorkingFolder> working(std::in_place,
                                         std::filesystem::path(root) / "data/sample");
    ProjectState project;
    SilentSink sink;
    readConfiguration(project, sink);
    project.setDefaultDllFlags();
    project.kelHost = 1;
    project.nameText = "Sample";
    project.locationBase = dir.path().string();
    ActionDefinition action;
    action.setActionDefaults("Smooth");
    project.appendAction(action);

    const ConfigurationBytes configuration{"vantrel.cfg", readFile("vantrel.cfg")};
    const RunOutcome first = diskRun(project, -1, {}, configuration);
    EXPECT_TRUE(first.ended);
    EXPECT_TRUE(first.messages.empty());
    EXPECT_TRUE(first.counts.foldersCreated > 0 && first.counts.filesWritten > 0 &&
                first.counts.filesCopied > 0);
    EXPECT_TRUE(std::filesystem::is_regular_file(dir.path() / "Sample/.vantrel/manifest.txt"));

    // The user's line where the answers change the generated one: the review offers the
    // markers, and Write puts both into the file.
    const std::filesystem::path main = dir.path() / "Sample/Sample.cpp";
    std::string text = readFile(main);
    const std::size_t menu = text.find("\"Tools\\\\Smooth\"");
    ASSERT_NE(menu, std::string::npos) << text;
    writeFile(main, text.replace(menu, 15, "\"Tools\\\\Mine\""));
    project.actions[0].menu = "Filters\\Smooth";
    ReviewModel conflicting(previewRun(project, -1));
    std::size_t row = 0;
    while (row < conflicting.size() && conflicting.entries()[row].key != "Sample/Sample.cpp")
        ++row;
    ASSERT_LT(row, conflicting.size());
    ASSERT_TRUE(conflicting.offersConflictStyles(row)) << conflicting.stateText(row);
    conflicting.setConflictStyle(row, ConflictStyle::Markers);
    CreateChoices marking{conflicting.keptPaths(), conflicting.choices(), conflicting.deletedKeys(),
                          conflicting.conflictStyles()};
    const RunOutcome marked = diskRun(project, -1, marking, configuration);
    EXPECT_TRUE(marked.ended);
    const std::string both = readFile(main);
    EXPECT_NE(both.find("<<<<<<< yours"), std::string::npos) << both;
    EXPECT_NE(both.find("Tools\\\\Mine"), std::string::npos) << both;
    EXPECT_NE(both.find("Filters\\\\Smooth"), std::string::npos) << both;
    EXPECT_FALSE(std::filesystem::exists(main.string() + ".vantrel-new"));

    // Edited since: kept without a question, as its generated text did not change. Deleted:
    // offered again, unticked. The disk stays as it was until Write.
    const std::filesystem::path edited = dir.path() / "Sample/Sample.cpp";
    writeFile(edited, "mine\n");
    ASSERT_TRUE(std::filesystem::remove(dir.path() / "Sample/Sample.h"));
    ReviewModel review(previewRun(project, -1));
    EXPECT_EQ(review.keptKeys(), std::vector<std::string>{"Sample/Sample.h"});
    for (std::size_t row = 0; row < review.size(); ++row) {
        const ReviewModel::Entry& entry = review.entries()[row];
        SCOPED_TRACE(entry.key);
        if (entry.key == "Sample/Sample.cpp") {
            EXPECT_TRUE(entry.regenerated == TargetState::Kept && !review.isCheckable(row));
        } else if (entry.key == "Sample/Sample.h") {
            EXPECT_TRUE(review.isCheckable(row) && !review.isChecked(row));
            EXPECT_EQ(review.stateText(row), "deleted by you: stays deleted");
        } else {
            EXPECT_EQ(entry.state == State::Changed, review.isCheckable(row));
        }
    }
    EXPECT_EQ(readFile(edited), "mine\n");

    const RunOutcome keeping =
        diskRun(project, -1, {review.keptPaths(), review.choices(), {}}, configuration);
    working.reset();
    EXPECT_TRUE(keeping.ended);
    EXPECT_EQ(readFile(edited), "mine\n");
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "Sample/Sample.h"));
    EXPECT_EQ(keeping.counts.kept, std::size_t(2));
    const SummaryModel summary(keeping, review.keptKeys(), dir.path().string());
    ASSERT_GE(summary.rows().size(), std::size_t(6));
    EXPECT_EQ(summary.rows()[4].count, std::size_t(1)); // Sample.h, left deleted by the user
    EXPECT_EQ(summary.rows()[5].count, std::size_t(1)); // Sample.cpp, kept by the run
    EXPECT_EQ(keeping.counts.filesWritten, std::size_t(0));
    EXPECT_EQ(keeping.notes, std::vector<std::string>{"Sample/Sample.cpp was edited by you and "
                                                      "its generated text did not change: it "
                                                      "was kept."});

    // Never regenerated: the record makes the edited file the user's, and the next review
    // shows it as theirs.
    writeFile(dir.path() / "Sample/Sample.h", "my header\n");
    working.emplace(std::filesystem::path(root) / "data/sample");
    ReviewModel again(previewRun(project, -1));
    const auto rowOf = [](const ReviewModel& model, const std::string& key) {
        for (std::size_t row = 0; row < model.size(); ++row)
            if (model.entries()[row].key == key)
                return row;
        return model.size();
    };
    const std::size_t header = rowOf(again, "Sample/Sample.h");
    ASSERT_TRUE(again.mayNeverRegenerate(header));
    again.setNeverRegenerate(header, true);
    const RunOutcome detaching =
        diskRun(project, -1, {again.keptPaths(), again.choices(), {}, {}, again.detachedKeys()},
                configuration);
    EXPECT_TRUE(detaching.ended);
    EXPECT_EQ(readFile(dir.path() / "Sample/Sample.h"), "my header\n");
    EXPECT_NE(readFile(dir.path() / "Sample/.vantrel/manifest.txt").find("\nyours "),
              std::string::npos);
    const ReviewModel after(previewRun(project, -1));
    const std::size_t theirs = rowOf(after, "Sample/Sample.h");
    ASSERT_LT(theirs, after.size());
    EXPECT_EQ(after.entries()[theirs].regenerated, TargetState::Yours);
    EXPECT_FALSE(after.isCheckable(theirs));
    working.reset();

    // The action renamed: the run gave it an id, so its files move; the review shows each
    // move as the listing does, and Write leaves no old file behind.
    ASSERT_NE(project.actions[0].id, 0u);
    project.actions[0].setNamedDefaults("Sweep");
    working.emplace(std::filesystem::path(root) / "data/sample");
    ReviewModel renamed(previewRun(project, -1));
    std::vector<std::string> moves;
    for (std::size_t row = 0; row < renamed.size(); ++row)
        if (renamed.entries()[row].regenerated == TargetState::Moved)
            moves.push_back(renamed.stateText(row));
    ASSERT_FALSE(moves.empty());
    for (const std::string& move : moves) {
        const std::size_t arrow = move.find(" -> ");
        ASSERT_NE(arrow, std::string::npos) << move;
        std::string to = move.substr(0, arrow);
        for (const auto& [from, into] :
             {std::pair{"Smooth", "Sweep"}, {"smooth", "sweep"}, {"SMOOTH", "SWEEP"}})
            if (const std::size_t at = to.find(from); at != std::string::npos)
                to.replace(at, 6, into);
        EXPECT_EQ(move.substr(arrow + 4), to + " (moved)");
    }
    const RunOutcome moving =
        diskRun(project, -1, {renamed.keptPaths(), renamed.choices(), {}}, configuration);
    working.reset();
    EXPECT_TRUE(moving.ended);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path() / "Sample"))
        EXPECT_EQ(entry.path().filename().string().find("Smooth"), std::string::npos)
            << entry.path();

    // Without its script the run stops; the message goes to the summary.
    project.keltemplate = "gone.vts";
    const RunOutcome failed = diskRun(project, -1, {}, {});
    EXPECT_FALSE(failed.ended);
    ASSERT_EQ(failed.messages.size(), std::size_t(1));
    EXPECT_EQ(failed.messages[0].text, "Open file error:\ngone.vts");
}

} // namespace
} // namespace vantrel
