#include "wizard/MainDialogLogic.h"
#include "MainDialogHarness.h"
#include "model/NameChecks.h"
#include "support/TempFolder.h"
#include "wizard/ControlIds.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {
namespace {

TEST(MainDialogLogic, NamePreview) {
    const struct {
        const char* name;
        std::string base;
        std::string typed;
        std::string preview;
    } rows[] = {
        // The folder the run writes: the whole name, as for "Z.v2" it writes ".../Z.v2".
        {"a dot stays in the name", "/work", "demo.x", "/work/demo.x"},
        {"several dots stay", "/work", "a.b.c", "/work/a.b.c"},
        {"no dot keeps the whole name", "/work", "demo", "/work/demo"},
        {"base ending in a slash gets no second", "/work/", "demo", "/work/demo"},
        {"base ending in a backslash gets no slash", "C:\\work\\", "demo", "C:\\work\\demo"},
        {"empty base is the working folder, as the run takes it", "", "demo.x", "demo.x"},
        {"a leading dot is part of the name", "/work", ".x", "/work/.x"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        DialogHarness h;
        h.project.locationBase = row.base;
        h.ops.setEditText(IDC_PROJECT_NAME, row.typed);
        EXPECT_EQ(h.ops.edits[IDC_LOCATION], row.preview);
        EXPECT_EQ(h.project.locationText, row.preview);
        EXPECT_EQ(h.project.locationBase, row.base);
    }
}

TEST(MainDialogLogic, ConfiguredNameShowsItsPreviewAtStart) {
    DialogHarness h;
    h.configure = [](ProjectState& p) {
        p.workdirectory = p.locationBase = p.locationText = "C:\\work";
        p.defaultprojectname = p.nameText = "demo.x";
    };
    h.logic.initialise();
    EXPECT_EQ(h.ops.edits[IDC_PROJECT_NAME], "demo.x");
    // Configured paths are shown natively.
#ifdef _WIN32
    EXPECT_EQ(h.ops.edits[IDC_LOCATION], "C:\\work\\demo.x");
    EXPECT_EQ(h.project.locationBase, "C:\\work");
#else
    EXPECT_EQ(h.ops.edits[IDC_LOCATION], "C:/work/demo.x");
    EXPECT_EQ(h.project.locationBase, "C:/work");
#endif
    EXPECT_EQ(h.project.dllFlags, PIDLLFL_AUTO);
    EXPECT_EQ(h.ops.comboEntries, (std::vector<std::string>{"PIDLLFL_AUTO", "PIDLLFL_RESIDENT"}));
    EXPECT_EQ(h.ops.comboSelected, 0);
    EXPECT_FALSE(h.ops.enabled[IDC_REMOVE_ACTION]);
    EXPECT_FALSE(h.ops.enabled[IDC_PROPERTIES]);
}

TEST(MainDialogLogic, TypedLocationBecomesTheBase) {
    DialogHarness h;
    h.project.locationBase = "/work";
    h.ops.setEditText(IDC_PROJECT_NAME, "demo");
    h.ops.setEditText(IDC_LOCATION, "/other/demo");
    EXPECT_EQ(h.project.locationBase, "/other/demo");
    EXPECT_EQ(h.ops.edits[IDC_LOCATION], "/other/demo");
    h.ops.setEditText(IDC_PROJECT_NAME, "demo2");
    EXPECT_EQ(h.ops.edits[IDC_LOCATION], "/other/demo/demo2");
}

TEST(MainDialogLogic, BrowseSetsTheBase) {
    DialogHarness h;
    h.ops.edits[IDC_LOCATION] = "typed";
    h.ops.nextFolder = "/picked";
    h.logic.browse();
    EXPECT_EQ(h.project.locationBase, "/picked");
    EXPECT_EQ(h.ops.edits[IDC_LOCATION], "typed"); // no name, no preview

    h.ops.setEditText(IDC_PROJECT_NAME, "demo");
    h.ops.nextFolder = std::nullopt;
    h.logic.browse();
    EXPECT_EQ(h.project.locationBase, "/picked");

    EXPECT_EQ(h.ops.toolTips[IDC_LOCATION], "Create writes the project into /picked/demo");

    // More than the browser's path buffer holds: not taken, and said so.
    h.ops.nextFolder = "/" + std::string(300, 'x');
    h.logic.browse();
    EXPECT_EQ(h.project.locationBase, "/picked");
    EXPECT_EQ(h.ops.edits[IDC_LOCATION], "/picked/demo");
    EXPECT_NE(h.ops.message.find("has 301 characters"), std::string::npos) << h.ops.message;
}

TEST(MainDialogLogic, HostChoiceEnablesTheEditingControls) {
    DialogHarness h;
    h.logic.initialise();
    h.ops.checked[IDC_HOST_DOV] = true; // the user's click
    h.logic.hostChosen(IDC_HOST_DOV);
    EXPECT_EQ(h.project.dovHost, 1);
    EXPECT_EQ(h.project.kelHost, 0);
    for (int id :
         {IDC_ACTION_LIST, CTL_OK, IDC_ADD_ACTION, IDC_DLL_FLAGS, IDC_LOCATION, IDC_PROJECT_NAME})
        EXPECT_TRUE(h.ops.enabled[id]) << id;

    h.ops.checked[IDC_HOST_KEL] = true;
    h.logic.hostChosen(IDC_HOST_KEL);
    EXPECT_EQ(h.project.kelHost, 1);
    EXPECT_EQ(h.project.dovHost, 0);
    EXPECT_FALSE(h.ops.isChecked(IDC_HOST_DOV));
}

TEST(MainDialogLogic, AddedActionsTakeTheCounterAndCancelSkipsANumber) {
    DialogHarness h;
    const std::int32_t before = actionCounter;
    std::vector<std::string> offered;
    int result = CTL_OK;
    h.ops.properties = [&](ActionDefinition& a) {
        offered.push_back(a.name);
        return result;
    };
    h.logic.addAction();
    result = CTL_CANCEL;
    h.logic.addAction();
    result = RESULT_EMPTY_NAME;
    h.logic.addAction();
    result = CTL_OK;
    h.logic.addAction();

    EXPECT_EQ(actionCounter, before + 4);
    EXPECT_EQ(h.project.actionCount(), 2);
    ASSERT_EQ(offered.size(), std::size_t(4));
    EXPECT_EQ(h.ops.list, (std::vector<std::string>{offered[0], offered[3]}));
    EXPECT_EQ(h.project.actions[1].name, offered[3]);
    EXPECT_TRUE(offered[0] != offered[1] && offered[1] != offered[3]);
    // Only OK with an empty name explains itself; Cancel is silent.
    EXPECT_EQ(h.sink.texts(),
              (std::vector<std::string>{"Action name missing:\nEvery action needs a name."}));
}

TEST(MainDialogLogic, EditingKeepsOrRestoresTheAction) {
    DialogHarness h;
    h.logic.addAction();
    const std::string oldName = h.project.actions[0].name;
    h.ops.selected = 0;

    h.ops.properties = [](ActionDefinition& a) {
        a.name = "Renamed";
        a.flags = 0;
        a.defEdited = 1;
        return CTL_CANCEL;
    };
    h.logic.editAction();
    EXPECT_EQ(h.project.actions[0].name, oldName);
    EXPECT_EQ(h.project.actions[0].flags, ACF_DEFAULT_FLAGS);
    EXPECT_EQ(h.project.actions[0].defEdited, 1); // marks keep what the dialog made of them
    EXPECT_EQ(h.ops.list[0], oldName);

    h.ops.properties = [](ActionDefinition& a) {
        a.name = "Renamed";
        return CTL_OK;
    };
    h.logic.editAction();
    EXPECT_EQ(h.project.actions[0].name, "Renamed");
    EXPECT_EQ(h.ops.list[0], "Renamed"); // the list follows an accepted rename
}

TEST(MainDialogLogic, RemoveTakesTheSelectedAction) {
    DialogHarness h;
    for (int i = 0; i < 3; ++i)
        h.logic.addAction();
    const std::string third = h.project.actions[2].name;
    h.logic.removeAction(); // nothing selected
    EXPECT_EQ(h.project.actionCount(), 3);

    h.ops.selected = 1;
    h.logic.removeAction();
    ASSERT_EQ(h.project.actionCount(), 2);
    EXPECT_EQ(h.project.actions[1].name, third);
    EXPECT_EQ(h.ops.list[1], third);
    EXPECT_FALSE(h.ops.enabled[IDC_REMOVE_ACTION]);
    EXPECT_EQ(h.ops.focused, 1); // on the item that took the removed one's place
    h.ops.selected = 1;          // the last one: the focus goes to the new last one
    h.logic.removeAction();
    EXPECT_EQ(h.ops.focused, 0);
}

TEST(MainDialogLogic, CreateClosesOnlyAfterANormalRun) {
    TempFolder dir;
    DialogHarness h;
    h.logic.initialise();
    h.project.locationBase = dir.path().string();
    h.logic.addAction();

    h.valid = false;
    h.logic.create();
    EXPECT_TRUE(h.runs.empty());
    EXPECT_FALSE(h.ops.closed);

    h.valid = true;
    h.runResult = false; // stopped on an error: the dialog stays with everything kept
    h.logic.create();
    EXPECT_EQ(h.runs.size(), std::size_t(1));
    EXPECT_FALSE(h.ops.closed);
    EXPECT_EQ(h.project.actionCount(), 1);
    // The summary of the failed run is shown all the same, with its error.
    ASSERT_EQ(h.ops.summaries.size(), std::size_t(1));
    EXPECT_FALSE(h.ops.summaries[0].succeeded());
    EXPECT_EQ(h.ops.summaries[0].messages(), std::vector<std::string>{"Open file error:\nx"});

    h.runResult = true;
    h.ops.comboSelected = 1;
    h.logic.create();
    EXPECT_EQ(h.runs.back(), 1);
    EXPECT_EQ(h.ops.closed, std::optional<bool>(true));

    h.ops.comboTyped = "pidllfl_resident"; // a name typed in any case counts as chosen
    h.logic.create();
    EXPECT_EQ(h.runs.back(), 1);
    h.ops.comboTyped = "resident"; // a name of nothing is marked as typed and refused
    h.logic.dllFlagsEdited();
    h.logic.create();
    EXPECT_EQ(h.runs.size(), std::size_t(3));
    const std::string problem =
        "Unknown DLL flag: \"resident\"\nAccepted names: PIDLLFL_AUTO, PIDLLFL_RESIDENT";
    EXPECT_EQ(h.ops.marked, problem);
    EXPECT_EQ(h.ops.message, problem);
}

ReviewModel::Entry target(const std::string& key, ReviewModel::State state) {
    ReviewModel::Entry entry;
    entry.key = key;
    entry.paths = {"/work/" + key};
    entry.folder = key.find('.') == std::string::npos;
    entry.state = state;
    return entry;
}

TEST(MainDialogLogic, CreateReviewsFilesThatWouldChange) {
    const std::string a = "demo/a.cpp";
    const std::string b = "demo/b.h";
    const std::vector<std::string> noRun = {"-"};
    const struct {
        const char* name;
        std::string folder; // missing, empty, or holding a file
        bool changes;       // the run into memory finds files it would change
        std::string choice; // in the review: cancel, none, first or all
        int previews;
        int reviews;
        std::vector<std::string> kept; // the files the run leaves; "-": no run at all
        bool relative;                 // the location typed as "." in the project's parent
    } rows[] = {
        {"a folder not there yet: straight to the disk", "missing", true, "", 0, 0, {}, false},
        {"an empty folder: straight to the disk", "empty", true, "", 0, 0, {}, false},
        {"nothing would change: no review", "files", false, "", 1, 0, {}, false},
        {"Cancel writes nothing", "files", true, "cancel", 1, 1, noRun, false},
        {"unticked files are kept", "files", true, "none", 1, 1, {a, b}, false},
        {"a ticked file is written", "files", true, "first", 1, 1, {b}, false},
        // The summary names the folder as the run resolves it.
        {"a relative location is named absolute", "files", false, "", 1, 0, {}, true},
        {"Select all keeps nothing", "files", true, "all", 1, 1, {}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder dir;
        if (row.folder != "missing") {
            ASSERT_TRUE(std::filesystem::create_directory(dir.path() / "demo"));
        }
        if (row.folder == "files")
            dir.write("demo/notes.txt", "");
        DialogHarness h;
        h.logic.initialise();
        h.project.locationBase = dir.path().string();
        std::optional<WorkingFolder> working;
        if (row.relative) {
            working.emplace(dir.path());
            h.ops.setEditText(IDC_LOCATION, ".");
        }
        h.ops.setEditText(IDC_PROJECT_NAME, "demo");
        h.logic.addAction();
        const auto changed = row.changes ? ReviewModel::State::Changed : ReviewModel::State::Same;
        h.preview = {target("demo", ReviewModel::State::Same), target("demo/a.cpp", changed),
                     target("demo/new.cpp", ReviewModel::State::New), target("demo/b.h", changed),
                     target("demo/c.h", ReviewModel::State::Same)};
        h.ops.review = [&](ReviewModel& review) {
            if (row.choice == "first")
                review.setChecked(1, true);
            else if (row.choice == "all")
                review.selectAll();
            return row.choice != "cancel";
        };
        h.logic.create();
        working.reset();

        EXPECT_EQ(h.previews, row.previews);
        EXPECT_EQ(h.ops.reviews, row.reviews);
        if (row.kept == noRun) {
            EXPECT_TRUE(h.runs.empty());
            EXPECT_TRUE(h.ops.summaries.empty());
            EXPECT_FALSE(h.ops.closed);
            continue;
        }
        std::vector<std::string> keptPaths;
        for (const std::string& key : row.kept)
            keptPaths.push_back("/work/" + key);
        EXPECT_EQ(h.runs.size(), std::size_t(1));
        EXPECT_EQ(h.kept, keptPaths);
        // The summary names the kept files and the folder the run wrote, before the dialog
        // closes.
        ASSERT_EQ(h.ops.summaries.size(), std::size_t(1));
        EXPECT_EQ(h.ops.summaries[0].kept(), row.kept);
        EXPECT_EQ(h.ops.summaries[0].folder(), (dir.path() / "demo").lexically_normal().string());
        EXPECT_EQ(h.ops.closed, std::optional<bool>(true));
    }
}

TEST(MainDialogLogic, NamesAreCheckedAsTheyAreTyped) {
    DialogHarness h;
    h.ops.setEditText(IDC_PROJECT_NAME, "my tool");
    EXPECT_EQ(h.ops.warnings[IDC_PROJECT_NAME], projectNameWarnings("my tool"));
    h.ops.setEditText(IDC_PROJECT_NAME, "Demo");
    EXPECT_TRUE(h.ops.warnings[IDC_PROJECT_NAME].empty());

    // The properties dialog checks a new action as the last of the list, an edited one in its
    // own place, where it does not collide with itself.
    std::string name = "Line";
    std::vector<std::string> seen;
    h.ops.properties = [&](ActionDefinition& a) {
        a.name = name;
        seen = h.ops.check(a);
        return CTL_OK;
    };
    h.logic.addAction();
    EXPECT_TRUE(seen.empty());
    name = "line";
    h.logic.addAction();
    ASSERT_EQ(seen.size(), std::size_t(1));
    EXPECT_TRUE(seen[0].starts_with("the same name as \"Line\"")) << seen[0];
    h.ops.selected = 1;
    h.logic.editAction();
    EXPECT_EQ(seen.size(), std::size_t(1));
    name = "Arc";
    h.logic.editAction();
    EXPECT_TRUE(seen.empty());
}

} // namespace
} // namespace vantrel
