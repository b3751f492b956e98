#pragma once

#include "model/ProjectState.h"
#include "report/ErrorReporter.h"
#include "wizard/MainDialogOps.h"
#include "wizard/ReviewModel.h"
#include "wizard/SummaryModel.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vantrel {

// The engine work of the main dialog. The dialog wires these to the configuration reader and
// to validateProject, previewRun and diskRun; tests wire them to fakes.
struct MainDialogServices {
    std::function<void(ProjectState&, MessageSink&)> readConfiguration;
    std::function<bool(const ProjectState&, MessageSink&)> validateProject;
    // Commits the project and runs the script into memory, reporting nothing: every target
    // with what the run would do to it on the disk.
    std::function<ReviewModel(ProjectState&, std::int32_t dllComboIndex)> preview;
    // Commits the project and runs the script to the disk as the user chose in the review.
    std::function<RunOutcome(ProjectState&, std::int32_t dllComboIndex,
                             const CreateChoices& choices)>
        run;
    // Told after every change of the answers, and once after a document's answers are shown.
    std::function<void()> answersChanged;
};

// Every handler of the main dialog, written against ProjectState and the dialog operations.
class MainDialogLogic {
public:
    MainDialogLogic(ProjectState& project, MainDialogOps& ops, MessageSink& sink,
                    MainDialogServices services);

    // Reads the configuration and brings the controls into their start state.
    void initialise();

    void nameChanged();     // edit 1000 changed
    void locationChanged(); // edit 1001 changed
    void listClicked();     // left mouse click in the action list
    // The list's selection changed, by a key, a right click or a program.
    void listSelectionChanged();
    // A double click or Enter on an action: its properties, as "Properties" opens them.
    void listItemOpened();
    void hostChosen(int radioId);
    void dllFlagsEdited(); // the DLL flag combo's text changed, typed or chosen
    void browse();
    void addAction();
    void removeAction();
    void editAction();
    void create();
    // Cancel: closes once unsaved changes are saved or discarded.
    void cancel();
    void about();

    // The project file is the dialog's document: opening one replaces the answers (host, name,
    // location, DLL flags, actions), and every change to them marks it changed until saved.
    // (These handlers are in MainDialogDocument.cpp.)
    void openProject();          // a project file
    void openGeneratedProject(); // a folder Create wrote, by its record
    // Opens a project file, or the record in a generated project's folder; false when nothing
    // was opened (the reason is shown, the answers are as they were).
    bool openPath(const std::string& path);
    void openRecent(std::size_t index);
    // False when nothing was saved: cancelled, or failed with the reason shown.
    bool save();
    bool saveAs();
    // Whether the dialog may close now: true unless there are unsaved changes and the user
    // goes back (or the save they chose failed).
    bool mayClose();

    bool changed() const { return m_changed; }
    // The document's file, absolute; empty before the answers are opened or saved.
    const std::string& documentPath() const { return m_documentPath; }
    // Most recent first, at most MAX_RECENT_FILES.
    std::vector<std::string> recentFiles() const;
    static constexpr std::size_t MAX_RECENT_FILES = 8;

    void composeLocation(bool fromName);
    // Tells, over the Location field, the folder Create writes the project into.
    void showTargetFolder();
    void updateItemButtons();

    // The folder the script writes the project into: the location joined with the whole name,
    // as the "Location:" edit shows it once a name is typed.
    std::string projectFolder() const;

    // The DLL flag row the combo names, chosen or typed, as a combo position; -1 when none.
    int dllFlagsPosition() const;

private:
    bool accepted(const ActionDefinition& action, int result);
    std::string dllFlagsProblem() const;
    // The warnings of an action's name while the properties dialog edits it at an index.
    ActionNameCheck actionNameCheck(std::size_t index) const;

    // Shows the answers in the controls, as after opening a document.
    void showAnswers();
    void showHost();
    void markChanged(bool changed);
    void rememberRecent(const std::string& path);
    void updateTitle();
    bool saveTo(const std::string& path);

    ProjectState& m_project;
    MainDialogOps& m_ops;
    MessageSink& m_sink;
    MainDialogServices m_services;
    bool m_composing = false; // set while composeLocation runs: the edit's echo must not recurse
    bool m_showing = false;   // set while the controls take the answers: no change of them
    bool m_changed = false;
    std::string m_documentPath;
};

} // namespace vantrel
