#pragma once

#include "model/ProjectState.h"
#include "ui/ModalHooks.h"
#include "wizard/DialogServices.h"
#include "wizard/MainDialogLogic.h"
#include "wizard/MainDialogOps.h"

#include <QDialog>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

class QComboBox;
class QFileSystemWatcher;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace vantrel {

class ActionList;
class PreviewPane;
class PreviewWorker;
struct Preview;

// The wizard's main window: project name and location, host, DLL flags and the action list.
// It owns the project state and the engine; its handlers live in MainDialogLogic.
class MainDialog : public QDialog, private MainDialogOps {
    Q_OBJECT
public:
    // configOption is --config FILE, or empty to search for the configuration.
    explicit MainDialog(QWidget* parent = nullptr, std::string configOption = {});
    ~MainDialog() override;

    ProjectState& project() { return m_project; }
    MainDialogLogic& logic() { return m_logic; }
    // Which configuration the dialog runs on, as its tooltip and the about box show it.

    // The about entry's caption, in the context menu (and the system menu where there is one).
    static QString aboutEntryText();

    // The "Project" menu: open, save, save as and the recent project files.
    QMenu* projectMenu() const { return m_projectMenu; }
    // vantrel FILE_OR_FOLDER: the project opened as the dialog starts.
    void openAtStart(const QString& path);

    // The preview pane beside the controls (F8 or "Preview"); the choice is remembered.
    void setPreviewOpen(bool open);
    bool previewOpen() const;
    PreviewPane* previewPane() const { return m_previewPane; }
    // The number of the newest preview asked for, and of the one the pane shows.
    std::uint64_t previewAskedFor() const { return m_previewAsked; }
    std::uint64_t previewShown() const { return m_previewShown; }

public slots:
    // Escape and the window's close button come here: unsaved changes are asked about first.
    void reject() override;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;
#ifdef Q_OS_WIN
    void showEvent(QShowEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif

private:
    QWidget* control(int id) const;
    void readFoundConfiguration(ProjectState& project, MessageSink& sink);

    // MainDialogOps
    std::string editText(int id) const override;
    void setEditText(int id, const std::string& text) override;
    void enableControl(int id, bool enabled) override;
    void setChecked(int id, bool checked) override;
    bool isChecked(int id) const override;
    int addComboEntry(int id, const std::string& text) override;
    void selectComboEntry(int id, int position) override;
    int comboSelection(int id) const override;
    std::string comboText(int id) const override;
    void markField(int id, const std::string& problem) override;
    void focusControl(int id) override;
    void setControlToolTip(int id, const std::string& text) override;
    void insertListItem(int index, const std::string& text) override;
    void deleteListItem(int index) override;
    void setListItemText(int index, const std::string& text) override;
    int listItemCount() const override;
    int selectedListItem() const override;
    void focusListItem(int index) override;
    std::optional<std::string> askFolder() override;
    void showNameWarnings(int id, const std::vector<std::string>& warnings) override;
    int runProperties(ActionDefinition& action, const ActionNameCheck& check,
                      bool newAction) override;
    bool runReview(ReviewModel& review) override;
    void showSummary(const SummaryModel& summary) override;
    void showMessage(const std::string& message) override;
    void runAbout() override;
    void closeDialog(bool accepted) override;
    std::optional<std::string> askOpenPath(bool generatedFolder) override;
    std::optional<std::string> askSavePath(const std::string& suggested) override;
    SaveChoice askSaveChanges(const std::string& question) override;
    void setTitle(const std::string& title) override;
    std::vector<std::string> storedRecentFiles() const override;
    void storeRecentFiles(const std::vector<std::string>& paths) override;

    // Asks for a preview of the answers as they stand, with an action as the properties dialog
    // shows it at its index (one past the last: an action being added).
    void requestPreview(std::optional<std::pair<std::size_t, ActionDefinition>> editing = {});
    void previewReady(std::uint64_t serial, std::shared_ptr<const Preview> preview);

    // The Project menu on its button (MainDialogProjectMenu.cpp).
    void buildProjectMenu(QWidget* button);
    void fillRecentMenu();

    ProjectState m_project;
    // The file the configuration was read from, for the record; before the logic that uses it.
    ConfigurationBytes m_configuration;
    MessageBoxSink m_sink;
    MainDialogLogic m_logic;
    std::string m_configOption;
    QString m_configurationText;
    std::map<int, QWidget*> m_controls;
    ActionList* m_list = nullptr;
    QLabel* m_nameWarnings = nullptr;
    QMenu* m_contextMenu = nullptr;
    QMenu* m_projectMenu = nullptr;
    QMenu* m_recentMenu = nullptr;
    bool m_focusShown = false; // the start's focus drawn as keyboard focus
    QPushButton* m_previewToggle = nullptr;
    PreviewPane* m_previewPane = nullptr;
    QFileSystemWatcher* m_inputWatch = nullptr; // the script, templates and configuration
    QSize m_closedSize;
    QSize m_openSize;
    std::uint64_t m_previewAsked = 0;
    std::uint64_t m_previewShown = 0;
    std::unique_ptr<PreviewWorker>
        m_previewWorker; // last: destroyed first, its thread ends before the rest is gone
#ifdef Q_OS_WIN
    bool m_systemMenuExtended = false;
#endif
};

} // namespace vantrel
