// The main dialog's document: the project file opened and saved, the question about unsaved
// changes, the generated project's record and the recent projects.
#include "MainDialogHarness.h"
#include "project/ProjectFile.h"
#include "project/ProjectWriter.h"
#include "support/TempFolder.h"
#include "wizard/ControlIds.h"
#include "wizard/MainDialogLogic.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace vantrel {
namespace {

// A project of the host with one action, as a user makes it in a started dialog.
void startWithAnAction(DialogHarness& h) {
    h.logic.initialise();
    h.ops.checked[IDC_HOST_KEL] = true;
    h.logic.hostChosen(IDC_HOST_KEL);
    h.ops.setEditText(IDC_PROJECT_NAME, "Demo");
    h.logic.addAction();
}

std::string writeText(const TempFolder& dir, const std::string& name, const std::string& text) {
    return dir.write(name, text).string();
}

TEST(MainDialogLogic, ChangesOfTheAnswersMarkTheDocument) {
    std::vector<std::pair<std::string, bool>> rows; // a gesture, and whether it changes
    for (const char* changing :
         {"name", "location", "browse", "host", "dll", "add", "edit", "remove"})
        rows.emplace_back(changing, true);
    for (const char* keeping : {"same host", "add cancelled", "edit unchanged"})
        rows.emplace_back(keeping, false);
    for (const auto& row : rows) {
        const std::string& gesture = row.first;
        const bool changes = row.second;
        SCOPED_TRACE(gesture);
        TempFolder dir;
        DialogHarness h;
        startWithAnAction(h);
        const std::string file = dir / "p.json";
        h.ops.savePaths = {file};
        ASSERT_TRUE(h.logic.changed() && h.logic.saveAs() && !h.logic.changed());
        EXPECT_EQ(h.ops.title, "p.json");

        h.ops.selected = 0;
        h.ops.nextFolder = "/elsewhere";
        h.ops.comboSelected = 1;
        const int radio = gesture == "host" ? IDC_HOST_DOV : IDC_HOST_KEL;
        h.ops.checked[radio] = true;
        h.ops.properties = [&](ActionDefinition& a) {
            a.defEdited = 1; // the pages were visited either way
            if (gesture == "edit")
                a.menu = "Tools\\Changed";
            return gesture == "add cancelled" ? CTL_CANCEL : CTL_OK;
        };
        const std::map<std::string, std::function<void()>> gestures{
            {"name",
             [&] {
                 h.ops.setEditText(IDC_PROJECT_NAME, "Other");
             }},
            {"location",
             [&] {
                 h.ops.setEditText(IDC_LOCATION, "/typed");
             }},
            {"browse",
             [&] {
                 h.logic.browse();
             }},
            {"host",
             [&] {
                 h.logic.hostChosen(radio);
             }},
            {"same host",
             [&] {
                 h.logic.hostChosen(radio);
             }},
            {"dll",
             [&] {
                 h.logic.dllFlagsEdited();
             }},
            {"add",
             [&] {
                 h.logic.addAction();
             }},
            {"add cancelled",
             [&] {
                 h.logic.addAction();
             }},
            {"edit",
             [&] {
                 h.logic.editAction();
             }},
            {"edit unchanged",
             [&] {
                 h.logic.editAction();
             }},
            {"remove",
             [&] {
                 h.logic.removeAction();
             }},
        };
        gestures.at(gesture)();
        EXPECT_EQ(h.logic.changed(), changes);
        EXPECT_EQ(h.ops.title, changes ? std::string("p.json*") : "p.json");
        EXPECT_TRUE(h.logic.save()); // to the same file, without asking
        EXPECT_TRUE(h.ops.savePaths.empty() && !h.logic.changed());
        ProjectState read;
        EXPECT_FALSE(ProjectFile(file).load(read));
        EXPECT_EQ(projectFileText(read, WithLocation::Yes),
                  projectFileText(h.project, WithLocation::Yes));
    }
}

TEST(MainDialogLogic, UnsavedChangesAreAskedAboutBeforeClosing) {
    using Choice = MainDialogOps::SaveChoice;
    const struct {
        const char* name;
        Choice choice;
        std::string savePath;
        bool closes;
        std::string message; // after the temporary folder's path
    } rows[] = {
        {"Cancel goes back", Choice::Cancel, "", false, ""},
        {"Discard closes", Choice::Discard, "", true, ""},
        {"Save closes once saved", Choice::Save, "p.json", true, ""},
        {"cancelled Save as goes back", Choice::Save, "", false, ""},
        {"a failed save stays open", Choice::Save, "missing/p.json", false,
         "/missing/p.json: cannot create a file beside it: No such file or directory"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder dir;
        DialogHarness h;
        h.logic.initialise();
        h.logic.cancel(); // nothing changed: closes without a question
        EXPECT_TRUE(h.ops.closed && h.ops.questions.empty());

        h.ops.closed.reset();
        startWithAnAction(h);
        EXPECT_EQ(h.ops.title, "Untitled*");
        h.ops.choices = {row.choice};
        if (!row.savePath.empty())
            h.ops.savePaths = {dir / row.savePath};
        h.logic.cancel();
        EXPECT_EQ(h.ops.questions, std::vector<std::string>{"Save changes to Untitled?"});
        EXPECT_EQ(h.ops.closed.has_value(), row.closes);
        EXPECT_EQ(h.ops.message, row.message.empty() ? std::string()
                                                     : "The project was not saved.\n" +
                                                           dir.path().string() + row.message);
    }
}

// An open project file with changes Create did not save is asked about before the wizard closes;
// one that names a DLL flag the field rejects is not saved as other flags.
TEST(MainDialogLogic, OpenFileIsAskedAboutAfterCreate) {
    TempFolder dir;
    DialogHarness h;
    startWithAnAction(h);
    const std::string path = dir / "p.json";
    h.ops.savePaths = {path};
    EXPECT_TRUE(h.logic.saveAs());
    h.logic.addAction();
    h.ops.choices = {MainDialogOps::SaveChoice::Cancel};
    h.logic.create();
    EXPECT_EQ(h.ops.questions, std::vector<std::string>{"Save changes to p.json?"});
    EXPECT_FALSE(h.ops.closed);
    h.ops.choices = {MainDialogOps::SaveChoice::Save};
    h.logic.create();
    EXPECT_TRUE(h.ops.closed && *h.ops.closed);
    EXPECT_FALSE(h.logic.changed());

    h.ops.comboSelected = -1;
    h.ops.comboTyped = "PIDLLFL_NONE";
    EXPECT_FALSE(h.logic.save());
    EXPECT_TRUE(h.ops.message.starts_with("The project was not saved.\nUnknown DLL flag"))
        << h.ops.message;
}

TEST(MainDialogLogic, OpeningReplacesTheAnswersOrKeepsThemOnAFault) {
    TempFolder dir;
    DialogHarness h;
    startWithAnAction(h);
    const ActionDefinitions before = h.project.actions;

    // A damaged file: vantrel-gen's message, and the answers as they were.
    const std::string damaged = writeText(dir, "bad.json", R"({"host": "KEL", "name": 1})");
    h.ops.openPaths = {damaged};
    h.ops.choices = {MainDialogOps::SaveChoice::Discard};
    h.logic.openProject();
    EXPECT_EQ(h.ops.message, damaged + ": \"name\": must be a string");
    EXPECT_TRUE(h.project.actions == before && h.project.kelHost == 1 && h.logic.changed());

    // A good one: every control shows it, and the document is the file.
    ProjectState written;
    written.dovHost = 1;
    written.nameText = "Opened";
    written.locationBase = "/somewhere";
    written.dllFlags = PIDLLFL_RESIDENT;
    written.actions = before;
    const std::string good =
        writeText(dir, "good.json", projectFileText(written, WithLocation::Yes));
    h.ops.openPaths = {good};
    h.ops.choices = {MainDialogOps::SaveChoice::Discard};
    h.logic.openProject();
    EXPECT_EQ(h.ops.list, std::vector<std::string>{before[0].name});
    EXPECT_EQ(h.ops.edits[IDC_PROJECT_NAME], "Opened");
    EXPECT_EQ(h.ops.edits[IDC_LOCATION], "/somewhere/Opened");
    EXPECT_EQ(h.project.locationBase, "/somewhere");
    EXPECT_TRUE(h.ops.isChecked(IDC_HOST_DOV) && !h.ops.isChecked(IDC_HOST_KEL));
    EXPECT_EQ(h.ops.comboSelected, 1);
    EXPECT_FALSE(h.logic.changed());
    EXPECT_EQ(h.ops.title, "good.json");
}

TEST(MainDialogLogic, GeneratedProjectOpensByItsRecord) {
    TempFolder dir;
    ProjectState answers;
    answers.kelHost = 1;
    answers.nameText = "Gen";
    const std::string record = writeText(dir, "moved/Gen/.vantrel/project.json",
                                         projectFileText(answers, WithLocation::No));
    const std::string parent = dir / "moved";
    for (const std::string& chosen : {parent + "/Gen", parent + "/Gen/", record}) {
        SCOPED_TRACE(chosen);
        DialogHarness h;
        h.logic.initialise();
        EXPECT_TRUE(h.logic.openPath(chosen));
        EXPECT_EQ(h.ops.edits[IDC_LOCATION], parent + "/Gen");
        EXPECT_EQ(h.ops.title, "Gen/.vantrel/project.json");
        // The record is Create's: Save asks for a file of the user's.
        EXPECT_FALSE(h.logic.save());
        EXPECT_EQ(h.ops.suggested, "Gen.json");
    }
    // The same answers elsewhere keep the location the dialog had.
    DialogHarness h;
    h.logic.initialise();
    h.ops.setEditText(IDC_LOCATION, "/kept");
    EXPECT_TRUE(h.logic.openPath(writeText(dir, "loose.json", readFile(record))));
    EXPECT_EQ(h.project.locationBase, "/kept");
    EXPECT_FALSE(h.logic.openPath(parent)); // no record: what vantrel-gen says of the file
    // With the system's reason, in the words of the user's language.
    EXPECT_TRUE(h.ops.message.starts_with(parent + "/.vantrel/project.json: cannot be read ("))
        << h.ops.message;
}

TEST(MainDialogLogic, RecentFilesKeepTheEightLatest) {
    TempFolder dir;
    DialogHarness h;
    startWithAnAction(h);
    std::vector<std::string> saved;
    for (int i = 0; i < 10; ++i) {
        saved.push_back(dir / ("p" + std::to_string(i) + ".json"));
        h.ops.savePaths = {saved.back()};
        ASSERT_TRUE(h.logic.saveAs());
    }
    EXPECT_TRUE(h.logic.openPath(saved[5])); // opened again: first once more
    EXPECT_EQ(h.logic.recentFiles(),
              (std::vector<std::string>{saved[5], saved[9], saved[8], saved[7], saved[6], saved[4],
                                        saved[3], saved[2]}));
    std::filesystem::remove(saved[9]);
    h.logic.openRecent(1);
    EXPECT_EQ(h.ops.message,
              saved[9] + " is no longer there; it is taken off the recent projects.");
    EXPECT_EQ(h.logic.recentFiles().size(), std::size_t(7));
    h.logic.openRecent(1);
    EXPECT_EQ(h.logic.documentPath(), saved[8]);
}

} // namespace
} // namespace vantrel
