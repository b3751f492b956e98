#pragma once

#include "model/ActionDefinition.h"
#include "model/NameChecks.h"

#include <optional>
#include <string>
#include <vector>

namespace vantrel {

class ReviewModel;
class SummaryModel;

// What the main dialog's handlers need of the window layer. The dialog implements it with
// widgets; tests implement it with plain state.
class MainDialogOps {
public:
    virtual ~MainDialogOps() = default;

    virtual std::string editText(int id) const = 0;
    // Setting an edit's text counts as a change of it: its change handler runs, as for typing.
    virtual void setEditText(int id, const std::string& text) = 0;
    virtual void enableControl(int id, bool enabled) = 0;
    virtual void setChecked(int id, bool checked) = 0;
    virtual bool isChecked(int id) const = 0;

    // The combo sorts its entries; the result is the position the entry went to.
    virtual int addComboEntry(int id, const std::string& text) = 0;
    virtual void selectComboEntry(int id, int position) = 0;
    // The selected position, or -1 when nothing is selected or text was typed into the field.
    virtual int comboSelection(int id) const = 0;
    // The text of the combo's field, typed or selected.
    virtual std::string comboText(int id) const = 0;
    // Marks the field as not accepted, with the problem as its explanation; empty: unmarked.
    virtual void markField(int id, const std::string& problem) = 0;
    virtual void focusControl(int id) = 0;
    virtual void setControlToolTip(int id, const std::string& text) = 0;

    virtual void insertListItem(int index, const std::string& text) = 0;
    virtual void deleteListItem(int index) = 0;
    virtual void setListItemText(int index, const std::string& text) = 0;
    virtual int listItemCount() const = 0;
    // The first selected item, or -1.
    virtual int selectedListItem() const = 0;
    // Puts the keyboard focus into the list, on the item at index (none when -1), without
    // selecting it.
    virtual void focusListItem(int index) = 0;

    // The folder browser: the chosen folder's path, or nothing when the user cancelled.
    virtual std::optional<std::string> askFolder() = 0;
    // Shows the warnings about the name in the field next to it, and marks the field while
    // there are any.
    virtual void showNameWarnings(int id, const std::vector<std::string>& warnings) = 0;

    // Runs the properties dialog modally on the action, with the check of its name while it is
    // typed; its result (CTL_OK or CTL_CANCEL; RESULT_EMPTY_NAME from a dialog that closes on
    // OK without a name).
    // newAction: the action is being added, and typing starts in its name.
    virtual int runProperties(ActionDefinition& action, const ActionNameCheck& check,
                              bool newAction) = 0;
    // The review of the files Create would change: true for Write, with the choice made in the
    // model; false for Cancel.
    virtual bool runReview(ReviewModel& review) = 0;
    // The summary of a run; returns once the user has closed it.
    virtual void showSummary(const SummaryModel& summary) = 0;
    // A message box with one OK button.
    virtual void showMessage(const std::string& message) = 0;
    virtual void runAbout() = 0;
    // Ends the dialog; accepted is true for "Create".
    virtual void closeDialog(bool accepted) = 0;

    // The project file's dialogs; nothing when the user cancelled. A project to open is a
    // project file, or with generatedFolder a folder that Create wrote.
    virtual std::optional<std::string> askOpenPath(bool generatedFolder) = 0;
    virtual std::optional<std::string> askSavePath(const std::string& suggested) = 0;
    enum class SaveChoice { Save, Discard, Cancel };
    // "Save changes to <file>?" with Save, Discard and Cancel (go back to the dialog).
    virtual SaveChoice askSaveChanges(const std::string& question) = 0;
    virtual void setTitle(const std::string& title) = 0;
    // The recently used project files as kept between runs, most recent first.
    virtual std::vector<std::string> storedRecentFiles() const = 0;
    virtual void storeRecentFiles(const std::vector<std::string>& paths) = 0;
};

} // namespace vantrel
