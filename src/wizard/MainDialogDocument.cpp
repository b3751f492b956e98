// The main dialog's document: the project file the answers are opened from and saved to, the
// question about unsaved changes, the recent files and the title that names the document.
#include "wizard/MainDialogLogic.h"

#include "record/RecordFolder.h"
#include "record/RecordSession.h"

#include "fileutil/FileSystem.h"
#include "model/FlagNames.h"
#include "project/ProjectFile.h"
#include "project/ProjectWriter.h"
#include "wizard/ControlIds.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace vantrel {
namespace {

// A generated project keeps the answers it was created from in <folder>/.vantrel/project.json,
// without the location: the folder's parent is the location.

bool isRecordFile(const std::filesystem::path& path) {
    return path.filename() == RECORD_ANSWERS && path.parent_path().filename() == RECORD_FOLDER;
}

std::filesystem::path absolutePath(const std::string& path) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error).lexically_normal();
    if (error)
        absolute = std::filesystem::path(path).lexically_normal();
    // "folder/" names the folder itself.
    if (!absolute.has_filename() && absolute.has_parent_path())
        absolute = absolute.parent_path();
    return absolute;
}

} // namespace

void MainDialogLogic::openProject() {
    if (!mayClose())
        return;
    if (const std::optional<std::string> path = m_ops.askOpenPath(false))
        openPath(*path);
}

void MainDialogLogic::openGeneratedProject() {
    if (!mayClose())
        return;
    if (const std::optional<std::string> path = m_ops.askOpenPath(true))
        openPath(*path);
}

bool MainDialogLogic::openPath(const std::string& path) {
    namespace fs = std::filesystem;
    const fs::path chosen = absolutePath(path);
    std::error_code error;
    // The file is named as given, so that a fault reads as vantrel-gen would tell it.
    std::string file = path;
    std::optional<fs::path> generatedFolder;
    if (fs::is_directory(chosen, error)) {
        file = (fs::path(path) / RECORD_FOLDER / RECORD_ANSWERS).string();
        generatedFolder = chosen;
    } else if (isRecordFile(chosen)) {
        generatedFolder = chosen.parent_path().parent_path();
    }
    // Keys the file leaves out take what a new project has; the location is kept.
    ProjectState answers = m_project;
    answers.actions.clear();
    answers.setDefaultDllFlags();
    if (const std::optional<ProjectFileError> fault = ProjectFile(file).load(answers)) {
        m_ops.showMessage(fault->message);
        return false;
    }
    if (generatedFolder)
        answers.locationBase = generatedFolder->parent_path().string();
    answers.locationText = answers.locationBase;
    m_project = std::move(answers);
    showAnswers();
    m_documentPath = absolutePath(file).string();
    m_changed = false;
    rememberRecent(chosen.string());
    updateTitle();
    return true;
}

void MainDialogLogic::openRecent(std::size_t index) {
    std::vector<std::string> recent = recentFiles();
    if (index >= recent.size())
        return;
    const std::string path = recent[index];
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        recent.erase(recent.begin() + static_cast<std::ptrdiff_t>(index));
        m_ops.storeRecentFiles(recent);
        m_ops.showMessage(path + " is no longer there; it is taken off the recent projects.");
        return;
    }
    if (mayClose())
        openPath(path);
}

void MainDialogLogic::showAnswers() {
    m_showing = true;
    showHost();
    m_ops.selectComboEntry(IDC_DLL_FLAGS, dllFlagsToIndex(m_project.dllFlags));
    m_ops.markField(IDC_DLL_FLAGS, std::string());
    // The edits echo into the project; the answers are put back and the preview composed,
    // also when an edit already showed its text.
    const std::string name = m_project.nameText;
    const std::string base = m_project.locationBase;
    m_ops.setEditText(IDC_LOCATION, base);
    m_ops.setEditText(IDC_PROJECT_NAME, name);
    m_project.nameText = name;
    m_project.locationBase = base;
    m_project.locationText = base;
    composeLocation(true);
    while (m_ops.listItemCount() > 0)
        m_ops.deleteListItem(m_ops.listItemCount() - 1);
    for (std::size_t i = 0; i < m_project.actions.size(); ++i)
        m_ops.insertListItem(static_cast<int>(i), m_project.actions[i].name);
    updateItemButtons();
    m_showing = false;
    if (m_services.answersChanged)
        m_services.answersChanged();
}

bool MainDialogLogic::save() {
    // A generated project's record is written by Create only: it tells what was generated.
    if (m_documentPath.empty() || isRecordFile(m_documentPath))
        return saveAs();
    return saveTo(m_documentPath);
}

bool MainDialogLogic::saveAs() {
    std::string suggested = m_documentPath;
    if (suggested.empty() || isRecordFile(suggested))
        suggested =
            (m_project.nameText.empty() ? std::string("project") : m_project.nameText) + ".json";
    const std::optional<std::string> path = m_ops.askSavePath(suggested);
    if (!path || path->empty())
        return false;
    return saveTo(*path);
}

bool MainDialogLogic::saveTo(const std::string& path) {
    if (m_project.kelHost == 0 && m_project.dovHost == 0) {
        m_ops.showMessage("Choose the host, KEL or DOV, before saving: the project file names it.");
        return false;
    }
    // A flag name the field rejects would be saved as the flags held before, without a word.
    if (dllFlagsPosition() < 0) {
        m_ops.showMessage("The project was not saved.\n" + dllFlagsProblem());
        m_ops.focusControl(IDC_DLL_FLAGS);
        return false;
    }
    const WithLocation location =
        isRecordFile(absolutePath(path)) ? WithLocation::No : WithLocation::Yes;
    // Above every id the record still names, so that no action takes a removed one's id.
    const std::optional<ProjectState> recorded = readRecordedAnswers(nativePath(projectFolder()));
    giveActionIds(m_project, recorded ? &*recorded : nullptr);
    if (const std::optional<std::string> failure = saveProjectFile(path, m_project, location)) {
        m_ops.showMessage("The project was not saved.\n" + *failure);
        return false;
    }
    m_documentPath = absolutePath(path).string();
    m_changed = false;
    rememberRecent(m_documentPath);
    updateTitle();
    return true;
}

bool MainDialogLogic::mayClose() {
    if (!m_changed)
        return true;
    const std::string name = m_documentPath.empty()
                                 ? std::string("Untitled")
                                 : std::filesystem::path(m_documentPath).filename().string();
    switch (m_ops.askSaveChanges("Save changes to " + name + "?")) {
    case MainDialogOps::SaveChoice::Save:
        return save();
    case MainDialogOps::SaveChoice::Discard:
        return true;
    case MainDialogOps::SaveChoice::Cancel:
        break;
    }
    return false;
}

std::vector<std::string> MainDialogLogic::recentFiles() const {
    std::vector<std::string> recent = m_ops.storedRecentFiles();
    if (recent.size() > MAX_RECENT_FILES)
        recent.resize(MAX_RECENT_FILES);
    return recent;
}

void MainDialogLogic::rememberRecent(const std::string& path) {
    std::vector<std::string> recent = recentFiles();
    std::erase(recent, path);
    recent.insert(recent.begin(), path);
    if (recent.size() > MAX_RECENT_FILES)
        recent.resize(MAX_RECENT_FILES);
    m_ops.storeRecentFiles(recent);
}

void MainDialogLogic::markChanged(bool changed) {
    if (!changed || m_showing)
        return;
    if (m_services.answersChanged)
        m_services.answersChanged();
    if (m_changed)
        return;
    m_changed = true;
    updateTitle();
}

void MainDialogLogic::updateTitle() {
    std::string title;
    if (!m_documentPath.empty()) {
        const std::filesystem::path path(m_documentPath);
        // A record is known by the generated project's folder.
        title = isRecordFile(path)
                    ? path.parent_path().parent_path().filename().string() + "/" +
                          std::string(RECORD_FOLDER) + "/" + std::string(RECORD_ANSWERS)
                    : path.filename().string();
    } else if (m_changed) {
        title = "Untitled";
    }
    if (m_changed)
        title += "*";
    // The toolkit adds the program's name to every window's title with the platform's own
    // separator, as it does for the other dialogs.
    m_ops.setTitle(title.empty() ? std::string("Vantrel") : title);
}

} // namespace vantrel
