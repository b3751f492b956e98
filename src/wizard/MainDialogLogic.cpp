#include "wizard/MainDialogLogic.h"

#include "fileutil/FileSystem.h"
#include "model/FlagNames.h"
#include "model/NameChecks.h"
#include "wizard/ControlIds.h"
#include "wizard/FlagNameField.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

namespace vantrel {
namespace {

// The location preview uses the separator the user's platform shows; the engine maps "\"
// joins at the file-system boundary, so either form reaches the same folder.
#ifdef _WIN32
constexpr char PREVIEW_SEPARATOR = '\\';
bool endsWithSeparator(const std::string& path) {
    return !path.empty() && path.back() == '\\';
}
#else
constexpr char PREVIEW_SEPARATOR = '/';
bool endsWithSeparator(const std::string& path) {
    return !path.empty() && (path.back() == '/' || path.back() == '\\');
}
#endif

// The folder browser fills a path buffer of this many bytes, terminator included.
constexpr std::size_t FOLDER_PATH_BUFFER = 260;

// Whether a run into the folder could meet a file of the user's: not when it is missing or
// empty (a file in its place makes the run fail before it writes anything).
bool mayHoldTargets(const std::string& folder) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
        return false;
    std::filesystem::directory_iterator it(folder, error);
    return error || it != std::filesystem::directory_iterator();
}

// The folder as the summary names it: absolute, so that a relative location says where it
// lies (the run resolves it against the same working folder).
std::string absoluteFolder(const std::string& folder) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(folder, error);
    return error ? folder : absolute.lexically_normal().string();
}

// The action's value as the project file keeps it, without the properties pages' edit marks.
bool sameValue(const ActionDefinition& a, const ActionDefinition& b) {
    ActionDefinition left = a;
    ActionDefinition right = b;
    left.defEdited = left.panelEdited = left.msgEdited = 0;
    right.defEdited = right.panelEdited = right.msgEdited = 0;
    return left == right;
}

} // namespace

MainDialogLogic::MainDialogLogic(ProjectState& project, MainDialogOps& ops, MessageSink& sink,
                                 MainDialogServices services)
    : m_project(project)
    , m_ops(ops)
    , m_sink(sink)
    , m_services(std::move(services)) {}

void MainDialogLogic::initialise() {
    m_showing = true;
    if (m_services.readConfiguration)
        m_services.readConfiguration(m_project, m_sink);
    // The configured folder is shown the way the platform writes paths; the engine reaches the
    // same folder either way.
    m_project.locationBase = nativePath(m_project.locationBase);
    m_project.locationText = nativePath(m_project.locationText);
    m_project.setDefaultDllFlags();

    for (const FlagNameRow& row : dllFlagTable) {
        if (row.value == 0)
            break;
        m_ops.addComboEntry(IDC_DLL_FLAGS, row.name);
    }
    assignComboPositions(dllFlagTable);
    m_ops.selectComboEntry(IDC_DLL_FLAGS, dllFlagsToIndex(m_project.dllFlags));

    m_ops.setChecked(IDC_HOST_KEL, m_project.kelHost != 0);
    m_ops.setChecked(IDC_HOST_DOV, m_project.dovHost != 0);

    // The location goes in first, so that the name's preview is what the edit shows at the end
    // while locationBase stays the configured folder.
    const std::string name = m_project.nameText;
    m_ops.setEditText(IDC_LOCATION, m_project.locationText);
    m_ops.setEditText(IDC_PROJECT_NAME, name);
    showTargetFolder();
    updateItemButtons();
    m_showing = false;
    updateTitle();
}

void MainDialogLogic::nameChanged() {
    std::string before = std::move(m_project.nameText);
    m_project.nameText = m_ops.editText(IDC_PROJECT_NAME);
    m_ops.showNameWarnings(IDC_PROJECT_NAME, projectNameWarnings(m_project.nameText));
    composeLocation(true);
    markChanged(m_project.nameText != before);
}

void MainDialogLogic::locationChanged() {
    const std::string before = m_project.locationBase;
    m_project.locationText = m_ops.editText(IDC_LOCATION);
    composeLocation(false);
    markChanged(m_project.locationBase != before);
}

void MainDialogLogic::listClicked() {
    updateItemButtons();
}

void MainDialogLogic::listSelectionChanged() {
    updateItemButtons();
}

void MainDialogLogic::listItemOpened() {
    editAction();
}

void MainDialogLogic::composeLocation(bool fromName) {
    if (m_composing)
        return;
    m_composing = true;
    if (!fromName)
        m_project.locationBase = m_project.locationText;
    if (fromName && !m_project.nameText.empty()) {
        // The preview is the folder a run writes: the whole name, dots and all.
        const std::string preview = projectFolder();
        m_project.locationText = preview;
        m_ops.setEditText(IDC_LOCATION, preview);
    }
    showTargetFolder();
    m_composing = false;
}

void MainDialogLogic::showTargetFolder() {
    // What the field shows may be the folder typed, not the one Create writes into.
    m_ops.setControlToolTip(IDC_LOCATION, "Create writes the project into " +
                                              absoluteFolder(nativePath(projectFolder())));
}

void MainDialogLogic::updateItemButtons() {
    const bool selected = m_ops.selectedListItem() >= 0;
    m_ops.enableControl(IDC_REMOVE_ACTION, selected);
    m_ops.enableControl(IDC_PROPERTIES, selected);
}

void MainDialogLogic::hostChosen(int radioId) {
    const std::int32_t kelBefore = m_project.kelHost;
    if (radioId == IDC_HOST_DOV && m_ops.isChecked(IDC_HOST_DOV)) {
        m_project.kelHost = 0;
        m_project.dovHost = 1;
    } else if (radioId == IDC_HOST_KEL && m_ops.isChecked(IDC_HOST_KEL)) {
        m_project.kelHost = 1;
        m_project.dovHost = 0;
    }
    showHost();
    markChanged(m_project.kelHost != kelBefore);
}

void MainDialogLogic::showHost() {
    m_ops.setChecked(IDC_HOST_KEL, m_project.kelHost != 0);
    m_ops.setChecked(IDC_HOST_DOV, m_project.dovHost != 0);

    const bool chosen = m_project.kelHost == 1 || m_project.dovHost == 1;
    for (int id :
         {IDC_ACTION_LIST, CTL_OK, IDC_ADD_ACTION, IDC_DLL_FLAGS, IDC_LOCATION, IDC_PROJECT_NAME})
        m_ops.enableControl(id, chosen);
}

int MainDialogLogic::dllFlagsPosition() const {
    const int selected = m_ops.comboSelection(IDC_DLL_FLAGS);
    if (selected >= 0)
        return selected;
    // A name typed into the field counts as the entry it names, in any case.
    const std::uint32_t value = namedFlagValue(m_ops.comboText(IDC_DLL_FLAGS), dllFlagTable);
    return value == 0 ? -1 : dllFlagsToIndex(value);
}

void MainDialogLogic::dllFlagsEdited() {
    const int position = dllFlagsPosition();
    m_ops.markField(IDC_DLL_FLAGS, position >= 0 ? std::string() : dllFlagsProblem());
    // The answer is the entry named, as Create commits it; a document being shown keeps its
    // own flags even where the combo can only show the nearest entry.
    if (position < 0 || m_showing)
        return;
    const std::uint32_t before = m_project.dllFlags;
    setDllFlagsFromIndex(position, m_project.dllFlags);
    markChanged(m_project.dllFlags != before);
}

std::string MainDialogLogic::dllFlagsProblem() const {
    return flagNameProblem("DLL flag", m_ops.comboText(IDC_DLL_FLAGS), dllFlagTable);
}

void MainDialogLogic::browse() {
    const std::optional<std::string> path = m_ops.askFolder();
    if (!path || path->empty())
        return;
    // A path the browser's buffer cannot hold comes back as no path at all: said, so that the
    // user knows to type it.
    if (path->size() >= FOLDER_PATH_BUFFER) {
        m_ops.showMessage("The folder chosen has " + std::to_string(path->size()) +
                          " characters; \"...\" takes folders of fewer than " +
                          std::to_string(FOLDER_PATH_BUFFER) +
                          ". Type it into the Location field instead:\n" + *path);
        return;
    }
    const bool changed = m_project.locationBase != *path;
    m_project.locationBase = *path;
    composeLocation(true);
    markChanged(changed);
}

bool MainDialogLogic::accepted(const ActionDefinition& action, int result) {
    if (result == CTL_OK && !action.name.empty())
        return true;
    // OK without a name keeps nothing and says why. (The properties dialog itself does not end
    // that way: it stays open until the name is given or Cancel is pressed.)
    if (result == RESULT_EMPTY_NAME || result == CTL_OK)
        reportError(m_sink, ErrorKind::ERR_ACTION_UNNAMED);
    return false;
}

void MainDialogLogic::addAction() {
    ActionDefinition action;
    action.resetAction();
    action.setActionDefaults(nextDefaultActionName());
    const int result = m_ops.runProperties(action, actionNameCheck(m_project.actions.size()), true);
    if (!accepted(action, result))
        return; // the counter keeps its new value
    m_ops.insertListItem(m_ops.listItemCount(), action.name);
    m_project.appendAction(action);
    updateItemButtons();
    markChanged(true);
}

void MainDialogLogic::removeAction() {
    const int index = m_ops.selectedListItem();
    if (index < 0)
        return;
    m_project.removeActionAt(index);
    markChanged(true);
    if (index < m_ops.listItemCount())
        m_ops.deleteListItem(index);
    updateItemButtons();
    // The disabled button would pass the focus on to the next control; a keyboard user goes on
    // in the list, on the item that took the removed one's place (or the new last one).
    m_ops.focusListItem(std::min(index, m_ops.listItemCount() - 1));
}

void MainDialogLogic::editAction() {
    const int index = m_ops.selectedListItem();
    if (index < 0 || !m_project.actionAt(index))
        return;
    ActionDefinition backup;
    backup.resetAction();
    backup.copyActionValue(*m_project.actionAt(index));

    const int result = m_ops.runProperties(*m_project.actionAt(index),
                                           actionNameCheck(static_cast<std::size_t>(index)), false);
    ActionDefinition& action = *m_project.actionAt(index);
    if (accepted(action, result)) {
        m_ops.setListItemText(index, action.name);
        markChanged(!sameValue(action, backup));
    } else {
        action.copyActionValue(backup); // the edit marks keep what the dialog made of them
    }
}

ActionNameCheck MainDialogLogic::actionNameCheck(std::size_t index) const {
    return [this, index](const ActionDefinition& action) {
        return actionNameWarnings(m_project, action, index);
    };
}

std::string MainDialogLogic::projectFolder() const {
    // Joined as the script's target paths are: the location, one separator, the name; an empty
    // location is the working folder, where the run writes too.
    std::string folder = m_project.locationBase;
    if (!folder.empty() && !endsWithSeparator(folder))
        folder += PREVIEW_SEPARATOR;
    return folder + m_project.nameText;
}

void MainDialogLogic::create() {
    if (m_services.validateProject && !m_services.validateProject(m_project, m_sink))
        return;
    const int comboIndex = dllFlagsPosition();
    if (comboIndex < 0) {
        // The run would keep the old flags without a word: say which names are accepted.
        m_ops.showMessage(dllFlagsProblem());
        m_ops.focusControl(IDC_DLL_FLAGS);
        return;
    }
    // Into a folder that is not there yet, or empty, the run goes straight to the disk: nothing
    // of the user's can be written over. Otherwise a run into memory finds the files whose bytes
    // would change, and the user chooses which of them to replace.
    const std::string folder = nativePath(projectFolder());
    CreateChoices choices;
    std::vector<std::string> keptKeys;
    if (m_services.preview && mayHoldTargets(folder)) {
        ReviewModel review = m_services.preview(m_project, comboIndex);
        if (review.hasChanges()) {
            if (!m_ops.runReview(review))
                return;
            choices.keptPaths = review.keptPaths();
            choices.deletedKeys = review.deletedKeys();
            choices.conflictStyles = review.conflictStyles();
            choices.detachedKeys = review.detachedKeys();
            keptKeys = review.keptKeys();
        }
        // Files edited since the last run are written only as the review shows them.
        choices.chosen = review.choices();
    }
    if (!m_services.run)
        return;
    SummaryModel summary(m_services.run(m_project, comboIndex, choices), std::move(keptKeys),
                         absoluteFolder(folder));
    m_ops.showSummary(summary);
    // A run that stopped on an error keeps the dialog open with everything the user entered;
    // an open project file with changes the run did not save is asked about, as on closing.
    if (summary.succeeded() && (m_documentPath.empty() || mayClose()))
        m_ops.closeDialog(true);
}

void MainDialogLogic::cancel() {
    if (mayClose())
        m_ops.closeDialog(false);
}

void MainDialogLogic::about() {
    m_ops.runAbout();
}

} // namespace vantrel
