#include "wizard/MainDialogLogic.h"
#include "model/NameChecks.h"
#include "project/ProjectFile.h"
#include "project/ProjectWriter.h"
#include "support/TempFolder.h"
#include "wizard/ControlIds.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace vantrel {
namespace {

// The window layer as plain state. Setting an edit's text runs its change handler, as the
// platform's edits do.
class FakeOps : public MainDialogOps {
public:
    MainDialogLogic* logic = nullptr;
    std::map<int, std::string> edits;
    std::map<int, bool> enabled;
    std::map<int, bool> checked;
    std::vector<std::string> comboEntries;
    int comboSelected = -1;
    std::optional<std::string> comboTyped; // text typed into the combo's field
    std::string marked, message;           // the DLL flags field's mark, the last message
    std::map<int, std::string> toolTips;
    std::vector<std::string> list;
    int selected = -1;
    int focused = -2; // the list item focusListItem went to
    std::optional<std::string> nextFolder;
    std::function<int(ActionDefinition&)> properties = [](ActionDefinition&) {
        return CTL_OK;
    };
    ActionNameCheck check; // the check the properties dialog was given last
    std::map<int, std::vector<std::string>> warnings;
    std::function<bool(ReviewModel&)> review = [](ReviewModel&) {
        return false;
    };
    int reviews = 0;
    std::vector<SummaryModel> summaries;
    std::optional<bool> closed;

    std::string editText(int id) const override {
        const auto it = edits.find(id);
        return it == edits.end() ? std::string() : it->second;
    }
    void setEditText(int id, const std::string& text) override {
        if (edits[id] == text)
            return;
        edits[id] = text;
        if (id == IDC_PROJECT_NAME)
            logic->nameChanged();
        else if (id == IDC_LOCATION)
            logic->locationChanged();
    }
    void enableControl(int id, bool on) override { enabled[id] = on; }
    void setChecked(int id, bool on) override { checked[id] = on; }
    bool isChecked(int id) const override {
        const auto it = checked.find(id);
        return it != checked.end() && it->second;
    }
    int addComboEntry(int, const std::string& text) override {
        auto at = comboEntries.begin();
        while (at != comboEntries.end() && *at <= text)
            ++at;
        const int position = static_cast<int>(at - comboEntries.begin());
        comboEntries.insert(at, text);
        return position;
    }
    void selectComboEntry(int, int position) override { comboSelected = position; }
    int comboSelection(int) const override { return comboTyped ? -1 : comboSelected; }
    std::string comboText(int) const override { return comboTyped.value_or(""); }
    void markField(int, const std::string& problem) override { marked = problem; }
    void focusControl(int) override {}
    void setControlToolTip(int id, const std::string& text) override { toolTips[id] = text; }
    void showMessage(const std::string& text) override { message = text; }
    void insertListItem(int index, const std::string& text) override {
        list.insert(list.begin() + index, text);
    }
    void deleteListItem(int index) override {
        list.erase(list.begin() + index);
        selected = -1;
    }
    void setListItemText(int index, const std::string& text) override {
        list[static_cast<std::size_t>(index)] = text;
    }
    int listItemCount() const override { return static_cast<int>(list.size()); }
    int selectedListItem() const override { return selected; }
    void focusListItem(int index) override { focused = index; }
    std::optional<std::string> askFolder() override { return nextFolder; }
    void showNameWarnings(int id, const std::vector<std::string>& shown) override {
        warnings[id] = shown;
    }
    int runProperties(ActionDefinition& action, const ActionNameCheck& given, bool) override {
        check = given;
        return properties(action);
    }
    bool runReview(ReviewModel& model) override {
        ++reviews;
        return review(model);
    }
    void showSummary(const SummaryModel& summary) override { summaries.push_back(summary); }
    void runAbout() override {}
    void closeDialog(bool accepted) override { closed = accepted; }

    std::vector<std::string> openPaths, savePaths; // the next answers of the file dialogs
    std::vector<SaveChoice> choices;               // the next answers to "Save changes?"
    std::vector<std::string> questions;
    std::string title, suggested;
    std::vector<std::string> recent; // as kept between runs
    std::optional<std::string> askOpenPath(bool) override { return next(openPaths); }
    std::optional<std::string> askSavePath(const std::string& offered) override {
        suggested = offered;
        return next(savePaths);
    }
    SaveChoice askSaveChanges(const std::string& question) override {
        questions.push_back(question);
        if (choices.empty())
            return SaveChoice::Cancel;
        const SaveChoice choice = choices.front();
        choices.erase(choices.begin());
        return choice;
    }
    void setTitle(const std::string& text) override { title = text; }
    std::vector<std::string> storedRecentFiles() const override { return recent; }
    void storeRecentFiles(const std::vector<std::string>& paths) override { recent = paths; }

private:
    static std::optional<std::string> next(std::vector<std::string>& answers) {
        if (answers.empty())
            return std::nullopt;
        std::string answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
};

class RecordingSink : public MessageSink {
public:
    std::vector<std::string> messages;
    void showMessage(ErrorKind, const std::string& message) override {
        messages.push_back(message);
    }
};

// One main dialog's handlers over a fake window layer and fake engine services.
struct Harness {
    ProjectState project;
    FakeOps ops;
    RecordingSink sink;
    std::function<void(ProjectState&)> configure = [](ProjectState&) {
    };
    bool valid = true;
    bool runResult = true;
    std::vector<std::int32_t> runs;          // the combo positions each run was given
    std::vector<std::string> kept;           // what the last run was told to keep
    std::vector<ReviewModel::Entry> preview; // what a run into memory finds
    int previews = 0;
    MainDialogLogic logic;

    Harness()
        : logic(project, ops, sink, services()) {
        ops.logic = &logic;
    }
    MainDialogServices services() {
        MainDialogServices s;
        s.readConfiguration = [this](ProjectState& p, MessageSink&) {
            configure(p);
        };
        s.validateProject = [this](const ProjectState&, MessageSink&) {
            return valid;
        };
        s.preview = [this](ProjectState&, std::int32_t) {
            ++previews;
            return preview;
        };
        s.commitAndGenerate = [this](ProjectState& p, std::int32_t index,
                                     const CreateChoices& choices) {
            p.projectName = p.nameText;
            p.projectLocation = p.locationBase;
            runs.push_back(index);
            kept = choices.keptPaths;
            RunOutcome outcome;
            outcome.ended = runResult;
            if (!runResult)
                outcome.messages.push_back({ErrorKind::ERR_OPEN_FILE, "Open file error:\nx"});
            return outcome;
        };
        return s;
    }
};

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
        Harness h;
        h.project.locationBase = row.base;
        h.ops.setEditText(IDC_PROJECT_NAME, row.typed);
        EXPECT_EQ(h.ops.edits[IDC_LOCATION], row.preview);
        EXPECT_EQ(h.project.locationText, row.preview);
        EXPECT_EQ(h.project.locationBase, row.base);
    }
}

TEST(MainDialogLogic, ConfiguredNameShowsItsPreviewAtStart) {
    Harness h;
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
    Harness h;
    h.project.locationBase = "/work";
    h.ops.setEditText(IDC_PROJECT_NAME, "demo");
    h.ops.setEditText(IDC_LOCATION, "/other/demo");
    EXPECT_EQ(h.project.locationBase, "/other/demo");
    EXPECT_EQ(h.ops.edits[IDC_LOCATION], "/other/demo");
    h.ops.setEditText(IDC_PROJECT_NAME, "demo2");
    EXPECT_EQ(h.ops.edits[IDC_LOCATION], "/other/demo/demo2");
}

TEST(MainDialogLogic, BrowseSetsTheBase) {
    Harness h;
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
    Harness h;
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
    Harness h;
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
    EXPECT_EQ(h.sink.messages,
              (std::vector<std::string>{"Action name missing:\nEvery action needs a name."}));
}

TEST(MainDialogLogic, EditingKeepsOrRestoresTheAction) {
    Harness h;
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
    Harness h;
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
    Harness h;
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
        Harness h;
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
    Harness h;
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

// A project of the host with one action, as a user makes it in a started dialog.
void startWithAnAction(Harness& h) {
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
        Harness h;
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
        Harness h;
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
    Harness h;
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
    Harness h;
    startWithAnAction(h);
    const std::vector<ActionDefinition> before = h.project.actions;

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
        Harness h;
        h.logic.initialise();
        EXPECT_TRUE(h.logic.openPath(chosen));
        EXPECT_EQ(h.ops.edits[IDC_LOCATION], parent + "/Gen");
        EXPECT_EQ(h.ops.title, "Gen/.vantrel/project.json");
        // The record is Create's: Save asks for a file of the user's.
        EXPECT_FALSE(h.logic.save());
        EXPECT_EQ(h.ops.suggested, "Gen.json");
    }
    // The same answers elsewhere keep the location the dialog had.
    Harness h;
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
    Harness h;
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
