#pragma once

#include "support/RecordingSink.h"
#include "wizard/ControlIds.h"
#include "wizard/MainDialogLogic.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

// The main dialog's handlers over a fake window layer and fake engine services, for the tests
// of the answers and of the document.
namespace vantrel {

// The window layer as plain state. Setting an edit's text runs its change handler, as the
// platform's edits do.
class FakeDialogOps : public MainDialogOps {
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

// One main dialog's handlers over a fake window layer and fake engine services.
struct DialogHarness {
    ProjectState project;
    FakeDialogOps ops;
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

    DialogHarness()
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
            return ReviewModel(preview);
        };
        s.run = [this](ProjectState& p, std::int32_t index, const CreateChoices& choices) {
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

} // namespace vantrel
