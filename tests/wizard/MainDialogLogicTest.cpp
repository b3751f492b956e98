#include "wizard/MainDialogLogic.h"
#include "model/NameChecks.h"
#include "project/ProjectFile.h"
#include "project/ProjectWriter.h"
#include "support/TempFolder.h"
#include "wizard/ControlIds.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>

#include <functional>
#include <map>
#include <optional>
#include <vector>

using namespace vantrel;

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

} // namespace

class MainDialogLogicTest : public QObject {
    Q_OBJECT
private slots:
    void namePreview_data();
    void namePreview();
    void configuredNameShowsItsPreviewAtStart();
    void typedLocationBecomesTheBase();
    void browseSetsTheBase();
    void hostChoiceEnablesTheEditingControls();
    void addedActionsTakeTheCounterAndCancelSkipsANumber();
    void editingKeepsOrRestoresTheAction();
    void removeTakesTheSelectedAction();
    void createClosesOnlyAfterANormalRun();
    void createReviewsFilesThatWouldChange_data();
    void createReviewsFilesThatWouldChange();
    void namesAreCheckedAsTheyAreTyped();
    void changesOfTheAnswersMarkTheDocument_data();
    void changesOfTheAnswersMarkTheDocument();
    void unsavedChangesAreAskedAboutBeforeClosing_data();
    void unsavedChangesAreAskedAboutBeforeClosing();
    void openFileIsAskedAboutAfterCreate();
    void openingReplacesTheAnswersOrKeepsThemOnAFault();
    void generatedProjectOpensByItsRecord();
    void recentFilesKeepTheEightLatest();
};

void MainDialogLogicTest::namePreview_data() {
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("preview");
    // The folder the run writes: the whole name, as for "Z.v2" it writes ".../Z.v2".
    QTest::newRow("a dot stays in the name") << "/work"
                                             << "demo.x"
                                             << "/work/demo.x";
    QTest::newRow("several dots stay") << "/work"
                                       << "a.b.c"
                                       << "/work/a.b.c";
    QTest::newRow("no dot keeps the whole name") << "/work"
                                                 << "demo"
                                                 << "/work/demo";
    QTest::newRow("base ending in a slash gets no second") << "/work/"
                                                           << "demo"
                                                           << "/work/demo";
    QTest::newRow("base ending in a backslash gets no slash") << "C:\\work\\"
                                                              << "demo"
                                                              << "C:\\work\\demo";
    QTest::newRow("empty base is the working folder, as the run takes it") << ""
                                                                           << "demo.x"
                                                                           << "demo.x";
    QTest::newRow("a leading dot is part of the name") << "/work"
                                                       << ".x"
                                                       << "/work/.x";
}

void MainDialogLogicTest::namePreview() {
    QFETCH(QString, base);
    QFETCH(QString, name);
    QFETCH(QString, preview);
    Harness h;
    h.project.locationBase = base.toStdString();
    h.ops.setEditText(IDC_PROJECT_NAME, name.toStdString());
    QCOMPARE(QString::fromStdString(h.ops.edits[IDC_LOCATION]), preview);
    QCOMPARE(QString::fromStdString(h.project.locationText), preview);
    QCOMPARE(QString::fromStdString(h.project.locationBase), base);
}

void MainDialogLogicTest::configuredNameShowsItsPreviewAtStart() {
    Harness h;
    h.configure = [](ProjectState& p) {
        p.workdirectory = p.locationBase = p.locationText = "C:\\work";
        p.defaultprojectname = p.nameText = "demo.x";
    };
    h.logic.initialise();
    QCOMPARE(h.ops.edits[IDC_PROJECT_NAME], std::string("demo.x"));
    // Configured paths are shown natively.
#ifdef _WIN32
    QCOMPARE(h.ops.edits[IDC_LOCATION], std::string("C:\\work\\demo.x"));
    QCOMPARE(h.project.locationBase, std::string("C:\\work"));
#else
    QCOMPARE(h.ops.edits[IDC_LOCATION], std::string("C:/work/demo.x"));
    QCOMPARE(h.project.locationBase, std::string("C:/work"));
#endif
    QCOMPARE(h.project.dllFlags, PIDLLFL_AUTO);
    QCOMPARE(h.ops.comboEntries, (std::vector<std::string>{"PIDLLFL_AUTO", "PIDLLFL_RESIDENT"}));
    QCOMPARE(h.ops.comboSelected, 0);
    QCOMPARE(h.ops.enabled[IDC_REMOVE_ACTION], false);
    QCOMPARE(h.ops.enabled[IDC_PROPERTIES], false);
}

void MainDialogLogicTest::typedLocationBecomesTheBase() {
    Harness h;
    h.project.locationBase = "/work";
    h.ops.setEditText(IDC_PROJECT_NAME, "demo");
    h.ops.setEditText(IDC_LOCATION, "/other/demo");
    QCOMPARE(h.project.locationBase, std::string("/other/demo"));
    QCOMPARE(h.ops.edits[IDC_LOCATION], std::string("/other/demo"));
    h.ops.setEditText(IDC_PROJECT_NAME, "demo2");
    QCOMPARE(h.ops.edits[IDC_LOCATION], std::string("/other/demo/demo2"));
}

void MainDialogLogicTest::browseSetsTheBase() {
    Harness h;
    h.ops.edits[IDC_LOCATION] = "typed";
    h.ops.nextFolder = "/picked";
    h.logic.browse();
    QCOMPARE(h.project.locationBase, std::string("/picked"));
    QCOMPARE(h.ops.edits[IDC_LOCATION], std::string("typed")); // no name, no preview

    h.ops.setEditText(IDC_PROJECT_NAME, "demo");
    h.ops.nextFolder = std::nullopt;
    h.logic.browse();
    QCOMPARE(h.project.locationBase, std::string("/picked"));

    QCOMPARE(h.ops.toolTips[IDC_LOCATION],
             std::string("Create writes the project into /picked/demo"));

    // More than the browser's path buffer holds: not taken, and said so.
    h.ops.nextFolder = "/" + std::string(300, 'x');
    h.logic.browse();
    QCOMPARE(h.project.locationBase, std::string("/picked"));
    QCOMPARE(h.ops.edits[IDC_LOCATION], std::string("/picked/demo"));
    QVERIFY2(h.ops.message.find("has 301 characters") != std::string::npos, h.ops.message.c_str());
}

void MainDialogLogicTest::hostChoiceEnablesTheEditingControls() {
    Harness h;
    h.logic.initialise();
    h.ops.checked[IDC_HOST_DOV] = true; // the user's click
    h.logic.hostChosen(IDC_HOST_DOV);
    QCOMPARE(h.project.dovHost, 1);
    QCOMPARE(h.project.kelHost, 0);
    for (int id :
         {IDC_ACTION_LIST, CTL_OK, IDC_ADD_ACTION, IDC_DLL_FLAGS, IDC_LOCATION, IDC_PROJECT_NAME})
        QVERIFY2(h.ops.enabled[id], qPrintable(QString::number(id)));

    h.ops.checked[IDC_HOST_KEL] = true;
    h.logic.hostChosen(IDC_HOST_KEL);
    QCOMPARE(h.project.kelHost, 1);
    QCOMPARE(h.project.dovHost, 0);
    QVERIFY(!h.ops.isChecked(IDC_HOST_DOV));
}

void MainDialogLogicTest::addedActionsTakeTheCounterAndCancelSkipsANumber() {
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

    QCOMPARE(actionCounter, before + 4);
    QCOMPARE(h.project.actionCount(), 2);
    QCOMPARE(h.ops.list, (std::vector<std::string>{offered[0], offered[3]}));
    QCOMPARE(h.project.actions[1].name, offered[3]);
    QVERIFY(offered[0] != offered[1] && offered[1] != offered[3]);
    // Only OK with an empty name explains itself; Cancel is silent.
    QCOMPARE(h.sink.messages,
             (std::vector<std::string>{"Action name missing:\nEvery action needs a name."}));
}

void MainDialogLogicTest::editingKeepsOrRestoresTheAction() {
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
    QCOMPARE(h.project.actions[0].name, oldName);
    QCOMPARE(h.project.actions[0].flags, ACF_DEFAULT_FLAGS);
    QCOMPARE(h.project.actions[0].defEdited, 1); // marks keep what the dialog made of them
    QCOMPARE(h.ops.list[0], oldName);

    h.ops.properties = [](ActionDefinition& a) {
        a.name = "Renamed";
        return CTL_OK;
    };
    h.logic.editAction();
    QCOMPARE(h.project.actions[0].name, std::string("Renamed"));
    QCOMPARE(h.ops.list[0], std::string("Renamed")); // the list follows an accepted rename
}

void MainDialogLogicTest::removeTakesTheSelectedAction() {
    Harness h;
    for (int i = 0; i < 3; ++i)
        h.logic.addAction();
    const std::string third = h.project.actions[2].name;
    h.logic.removeAction(); // nothing selected
    QCOMPARE(h.project.actionCount(), 3);

    h.ops.selected = 1;
    h.logic.removeAction();
    QCOMPARE(h.project.actionCount(), 2);
    QCOMPARE(h.project.actions[1].name, third);
    QCOMPARE(h.ops.list[1], third);
    QCOMPARE(h.ops.enabled[IDC_REMOVE_ACTION], false);
    QCOMPARE(h.ops.focused, 1); // on the item that took the removed one's place
    h.ops.selected = 1;         // the last one: the focus goes to the new last one
    h.logic.removeAction();
    QCOMPARE(h.ops.focused, 0);
}

void MainDialogLogicTest::createClosesOnlyAfterANormalRun() {
    QTemporaryDir dir;
    Harness h;
    h.logic.initialise();
    h.project.locationBase = dir.path().toStdString();
    h.logic.addAction();

    h.valid = false;
    h.logic.create();
    QVERIFY(h.runs.empty());
    QVERIFY(!h.ops.closed);

    h.valid = true;
    h.runResult = false; // stopped on an error: the dialog stays with everything kept
    h.logic.create();
    QCOMPARE(h.runs.size(), std::size_t(1));
    QVERIFY(!h.ops.closed);
    QCOMPARE(h.project.actionCount(), 1);
    // The summary of the failed run is shown all the same, with its error.
    QCOMPARE(h.ops.summaries.size(), std::size_t(1));
    QVERIFY(!h.ops.summaries[0].succeeded());
    QCOMPARE(h.ops.summaries[0].messages(), std::vector<std::string>{"Open file error:\nx"});

    h.runResult = true;
    h.ops.comboSelected = 1;
    h.logic.create();
    QCOMPARE(h.runs.back(), 1);
    QCOMPARE(h.ops.closed, std::optional<bool>(true));

    h.ops.comboTyped = "pidllfl_resident"; // a name typed in any case counts as chosen
    h.logic.create();
    QCOMPARE(h.runs.back(), 1);
    h.ops.comboTyped = "resident"; // a name of nothing is marked as typed and refused
    h.logic.dllFlagsEdited();
    h.logic.create();
    QCOMPARE(h.runs.size(), std::size_t(3));
    const std::string problem =
        "Unknown DLL flag: \"resident\"\nAccepted names: PIDLLFL_AUTO, PIDLLFL_RESIDENT";
    QCOMPARE(h.ops.marked, problem);
    QCOMPARE(h.ops.message, problem);
}

namespace {

ReviewModel::Entry target(const std::string& key, ReviewModel::State state) {
    ReviewModel::Entry entry;
    entry.key = key;
    entry.paths = {"/work/" + key};
    entry.folder = key.find('.') == std::string::npos;
    entry.state = state;
    return entry;
}

} // namespace

void MainDialogLogicTest::createReviewsFilesThatWouldChange_data() {
    QTest::addColumn<QString>("folder"); // missing, empty, or holding a file
    QTest::addColumn<bool>("changes");   // the run into memory finds files it would change
    QTest::addColumn<QString>("choice"); // in the review: cancel, none, first or all
    QTest::addColumn<int>("previews");
    QTest::addColumn<int>("reviews");
    QTest::addColumn<QStringList>("kept"); // the files the run leaves; "-": no run at all
    QTest::addColumn<bool>("relative");    // the location typed as "." in the project's parent
    const QString a = "demo/a.cpp";
    const QString b = "demo/b.h";
    QTest::newRow("a folder not there yet: straight to the disk")
        << "missing" << true << "" << 0 << 0 << QStringList() << false;
    QTest::newRow("an empty folder: straight to the disk")
        << "empty" << true << "" << 0 << 0 << QStringList() << false;
    QTest::newRow("nothing would change: no review")
        << "files" << false << "" << 1 << 0 << QStringList() << false;
    QTest::newRow("Cancel writes nothing")
        << "files" << true << "cancel" << 1 << 1 << QStringList{"-"} << false;
    QTest::newRow("unticked files are kept")
        << "files" << true << "none" << 1 << 1 << QStringList{a, b} << false;
    QTest::newRow("a ticked file is written")
        << "files" << true << "first" << 1 << 1 << QStringList{b} << false;
    // The summary names the folder as the run resolves it.
    QTest::newRow("a relative location is named absolute")
        << "files" << false << "" << 1 << 0 << QStringList() << true;
    QTest::newRow("Select all keeps nothing")
        << "files" << true << "all" << 1 << 1 << QStringList() << false;
}

void MainDialogLogicTest::createReviewsFilesThatWouldChange() {
    QFETCH(QString, folder);
    QFETCH(bool, changes);
    QFETCH(QString, choice);
    QFETCH(int, previews);
    QFETCH(int, reviews);
    QFETCH(QStringList, kept);
    QFETCH(bool, relative);
    QTemporaryDir dir;
    if (folder != "missing")
        QVERIFY(QDir(dir.path()).mkdir("demo"));
    if (folder == "files")
        QVERIFY(QFile(dir.filePath("demo/notes.txt")).open(QIODevice::WriteOnly));
    Harness h;
    h.logic.initialise();
    h.project.locationBase = dir.path().toStdString();
    const QString oldCurrent = QDir::currentPath();
    if (relative) {
        QDir::setCurrent(dir.path());
        h.ops.setEditText(IDC_LOCATION, ".");
    }
    h.ops.setEditText(IDC_PROJECT_NAME, "demo");
    h.logic.addAction();
    const auto changed = changes ? ReviewModel::State::Changed : ReviewModel::State::Same;
    h.preview = {target("demo", ReviewModel::State::Same), target("demo/a.cpp", changed),
                 target("demo/new.cpp", ReviewModel::State::New), target("demo/b.h", changed),
                 target("demo/c.h", ReviewModel::State::Same)};
    h.ops.review = [&](ReviewModel& review) {
        if (choice == "first")
            review.setChecked(1, true);
        else if (choice == "all")
            review.selectAll();
        return choice != "cancel";
    };
    h.logic.create();
    QDir::setCurrent(oldCurrent);

    QCOMPARE(h.previews, previews);
    QCOMPARE(h.ops.reviews, reviews);
    if (kept == QStringList{"-"}) {
        QVERIFY(h.runs.empty());
        QVERIFY(h.ops.summaries.empty());
        QVERIFY(!h.ops.closed);
        return;
    }
    std::vector<std::string> keptPaths;
    std::vector<std::string> keptKeys;
    for (const QString& key : kept) {
        keptPaths.push_back("/work/" + key.toStdString());
        keptKeys.push_back(key.toStdString());
    }
    QCOMPARE(h.runs.size(), std::size_t(1));
    QCOMPARE(h.kept, keptPaths);
    // The summary names the kept files and the folder the run wrote, before the dialog closes.
    QCOMPARE(h.ops.summaries.size(), std::size_t(1));
    QCOMPARE(h.ops.summaries[0].kept(), keptKeys);
    QCOMPARE(QString::fromStdString(h.ops.summaries[0].folder()),
             QDir::cleanPath(QDir(dir.path()).filePath("demo")));
    QCOMPARE(h.ops.closed, std::optional<bool>(true));
}

void MainDialogLogicTest::namesAreCheckedAsTheyAreTyped() {
    Harness h;
    h.ops.setEditText(IDC_PROJECT_NAME, "my tool");
    QCOMPARE(h.ops.warnings[IDC_PROJECT_NAME], projectNameWarnings("my tool"));
    h.ops.setEditText(IDC_PROJECT_NAME, "Demo");
    QVERIFY(h.ops.warnings[IDC_PROJECT_NAME].empty());

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
    QVERIFY(seen.empty());
    name = "line";
    h.logic.addAction();
    QCOMPARE(seen.size(), std::size_t(1));
    QVERIFY2(seen[0].starts_with("the same name as \"Line\""), seen[0].c_str());
    h.ops.selected = 1;
    h.logic.editAction();
    QCOMPARE(seen.size(), std::size_t(1));
    name = "Arc";
    h.logic.editAction();
    QVERIFY(seen.empty());
}

namespace {

// A project of the host with one action, as a user makes it in a started dialog.
void startWithAnAction(Harness& h) {
    h.logic.initialise();
    h.ops.checked[IDC_HOST_KEL] = true;
    h.logic.hostChosen(IDC_HOST_KEL);
    h.ops.setEditText(IDC_PROJECT_NAME, "Demo");
    h.logic.addAction();
}

std::string writeText(const QTemporaryDir& dir, const QString& name, const std::string& text) {
    const std::filesystem::path file = dir.filePath(name).toStdString();
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
    return file.string();
}

} // namespace

void MainDialogLogicTest::changesOfTheAnswersMarkTheDocument_data() {
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<bool>("changes");
    for (const char* changing :
         {"name", "location", "browse", "host", "dll", "add", "edit", "remove"})
        QTest::newRow(changing) << changing << true;
    for (const char* keeping : {"same host", "add cancelled", "edit unchanged"})
        QTest::newRow(keeping) << keeping << false;
}

void MainDialogLogicTest::changesOfTheAnswersMarkTheDocument() {
    QFETCH(QString, gesture);
    QFETCH(bool, changes);
    QTemporaryDir dir;
    Harness h;
    startWithAnAction(h);
    const std::string file = dir.filePath("p.json").toStdString();
    h.ops.savePaths = {file};
    QVERIFY(h.logic.changed() && h.logic.saveAs() && !h.logic.changed());
    QCOMPARE(h.ops.title, std::string("p.json"));

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
    const std::map<QString, std::function<void()>> gestures{
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
    QCOMPARE(h.logic.changed(), changes);
    QCOMPARE(h.ops.title, changes ? std::string("p.json*") : "p.json");
    QVERIFY(h.logic.save()); // to the same file, without asking
    QVERIFY(h.ops.savePaths.empty() && !h.logic.changed());
    ProjectState read;
    QVERIFY(!ProjectFile(file).load(read));
    QCOMPARE(projectFileText(read, WithLocation::Yes),
             projectFileText(h.project, WithLocation::Yes));
}

void MainDialogLogicTest::unsavedChangesAreAskedAboutBeforeClosing_data() {
    QTest::addColumn<int>("choice"); // a MainDialogOps::SaveChoice
    QTest::addColumn<QString>("savePath");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QString>("message");
    using Choice = MainDialogOps::SaveChoice;
    QTest::newRow("Cancel goes back") << int(Choice::Cancel) << "" << false << "";
    QTest::newRow("Discard closes") << int(Choice::Discard) << "" << true << "";
    QTest::newRow("Save closes once saved") << int(Choice::Save) << "p.json" << true << "";
    QTest::newRow("cancelled Save as goes back") << int(Choice::Save) << "" << false << "";
    QTest::newRow("a failed save stays open")
        << int(Choice::Save) << "missing/p.json" << false
        << "The project was not saved.\n%1/missing/p.json: cannot create a file beside it: "
           "No such file or directory";
}

void MainDialogLogicTest::unsavedChangesAreAskedAboutBeforeClosing() {
    QFETCH(int, choice);
    QFETCH(QString, savePath);
    QFETCH(bool, closes);
    QFETCH(QString, message);
    QTemporaryDir dir;
    Harness h;
    h.logic.initialise();
    h.logic.cancel(); // nothing changed: closes without a question
    QVERIFY(h.ops.closed && h.ops.questions.empty());

    h.ops.closed.reset();
    startWithAnAction(h);
    QCOMPARE(h.ops.title, std::string("Untitled*"));
    h.ops.choices = {MainDialogOps::SaveChoice(choice)};
    if (!savePath.isEmpty())
        h.ops.savePaths = {dir.filePath(savePath).toStdString()};
    h.logic.cancel();
    QCOMPARE(h.ops.questions, std::vector<std::string>{"Save changes to Untitled?"});
    QCOMPARE(h.ops.closed.has_value(), closes);
    QCOMPARE(QString::fromStdString(h.ops.message),
             message.isEmpty() ? message : message.arg(dir.path()));
}

// An open project file with changes Create did not save is asked about before the wizard closes;
// one that names a DLL flag the field rejects is not saved as other flags.
void MainDialogLogicTest::openFileIsAskedAboutAfterCreate() {
    QTemporaryDir dir;
    Harness h;
    startWithAnAction(h);
    const std::string path = dir.filePath("p.json").toStdString();
    h.ops.savePaths = {path};
    QVERIFY(h.logic.saveAs());
    h.logic.addAction();
    h.ops.choices = {MainDialogOps::SaveChoice::Cancel};
    h.logic.create();
    QCOMPARE(h.ops.questions, std::vector<std::string>{"Save changes to p.json?"});
    QVERIFY(!h.ops.closed);
    h.ops.choices = {MainDialogOps::SaveChoice::Save};
    h.logic.create();
    QVERIFY(h.ops.closed && *h.ops.closed);
    QVERIFY(!h.logic.changed());

    h.ops.comboSelected = -1;
    h.ops.comboTyped = "PIDLLFL_NONE";
    QVERIFY(!h.logic.save());
    QVERIFY2(h.ops.message.starts_with("The project was not saved.\nUnknown DLL flag"),
             h.ops.message.c_str());
}

void MainDialogLogicTest::openingReplacesTheAnswersOrKeepsThemOnAFault() {
    QTemporaryDir dir;
    Harness h;
    startWithAnAction(h);
    const std::vector<ActionDefinition> before = h.project.actions;

    // A damaged file: vantrel-gen's message, and the answers as they were.
    const std::string damaged = writeText(dir, "bad.json", R"({"host": "KEL", "name": 1})");
    h.ops.openPaths = {damaged};
    h.ops.choices = {MainDialogOps::SaveChoice::Discard};
    h.logic.openProject();
    QCOMPARE(h.ops.message, damaged + ": \"name\": must be a string");
    QVERIFY(h.project.actions == before && h.project.kelHost == 1 && h.logic.changed());

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
    QCOMPARE(h.ops.list, std::vector<std::string>{before[0].name});
    QCOMPARE(h.ops.edits[IDC_PROJECT_NAME], std::string("Opened"));
    QCOMPARE(h.ops.edits[IDC_LOCATION], std::string("/somewhere/Opened"));
    QCOMPARE(h.project.locationBase, std::string("/somewhere"));
    QVERIFY(h.ops.isChecked(IDC_HOST_DOV) && !h.ops.isChecked(IDC_HOST_KEL));
    QCOMPARE(h.ops.comboSelected, 1);
    QVERIFY(!h.logic.changed());
    QCOMPARE(h.ops.title, std::string("good.json"));
}

void MainDialogLogicTest::generatedProjectOpensByItsRecord() {
    QTemporaryDir dir;
    ProjectState answers;
    answers.kelHost = 1;
    answers.nameText = "Gen";
    const std::string record = writeText(dir, "moved/Gen/.vantrel/project.json",
                                         projectFileText(answers, WithLocation::No));
    const std::string parent = dir.filePath("moved").toStdString();
    for (const std::string& chosen : {parent + "/Gen", parent + "/Gen/", record}) {
        Harness h;
        h.logic.initialise();
        QVERIFY(h.logic.openPath(chosen));
        QCOMPARE(h.ops.edits[IDC_LOCATION], parent + "/Gen");
        QCOMPARE(h.ops.title, std::string("Gen/.vantrel/project.json"));
        // The record is Create's: Save asks for a file of the user's.
        QVERIFY(!h.logic.save());
        QCOMPARE(h.ops.suggested, std::string("Gen.json"));
    }
    // The same answers elsewhere keep the location the dialog had.
    Harness h;
    h.logic.initialise();
    h.ops.setEditText(IDC_LOCATION, "/kept");
    QVERIFY(h.logic.openPath(writeText(dir, "loose.json", readFile(record))));
    QCOMPARE(h.project.locationBase, std::string("/kept"));
    QVERIFY(!h.logic.openPath(parent)); // no record: what vantrel-gen says of the file
    // With the system's reason, in the words of the user's language.
    QVERIFY2(h.ops.message.starts_with(parent + "/.vantrel/project.json: cannot be read ("),
             h.ops.message.c_str());
}

void MainDialogLogicTest::recentFilesKeepTheEightLatest() {
    QTemporaryDir dir;
    Harness h;
    startWithAnAction(h);
    std::vector<std::string> saved;
    for (int i = 0; i < 10; ++i) {
        saved.push_back(dir.filePath(QString("p%1.json").arg(i)).toStdString());
        h.ops.savePaths = {saved.back()};
        QVERIFY(h.logic.saveAs());
    }
    QVERIFY(h.logic.openPath(saved[5])); // opened again: first once more
    QCOMPARE(h.logic.recentFiles(),
             (std::vector<std::string>{saved[5], saved[9], saved[8], saved[7], saved[6], saved[4],
                                       saved[3], saved[2]}));
    std::filesystem::remove(saved[9]);
    h.logic.openRecent(1);
    QCOMPARE(h.ops.message, saved[9] + " is no longer there; it is taken off the recent projects.");
    QCOMPARE(h.logic.recentFiles().size(), std::size_t(7));
    h.logic.openRecent(1);
    QCOMPARE(h.logic.documentPath(), saved[8]);
}

QTEST_GUILESS_MAIN(MainDialogLogicTest)
#include "MainDialogLogicTest.moc"
