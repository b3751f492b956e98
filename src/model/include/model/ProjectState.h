#pragma once

#include "model/ActionDefinition.h"
#include "model/FlagNames.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace vantrel {

// A user-defined placeholder from the configuration file.
struct ExtraSetting {
    std::string key;
    std::string value;
    std::string secondValue;
};

// A deque: a large project's actions are appended one by one as its file is read, and a vector
// would hold them twice each time it grows.
using ActionDefinitions = std::deque<ActionDefinition>;

// Everything one generation run needs to know about the project. One instance per main dialog
// (or per headless run); no windowing types.
struct ProjectState {
    // Edit texts: what the user sees and types.
    std::string nameText;
    std::string locationText;
    std::string locationBase;

    // Committed project, read by generation.
    std::string projectName;
    std::string projectLocation;
    std::uint32_t dllFlags = 0;
    std::int32_t dovHost = 0;
    std::int32_t kelHost = 0;
    ActionDefinitions actions;

    // Generation cursor. The current action is looked up by index on every use, so a change of
    // the list can leave the cursor stale but never dangling.
    std::int32_t currentActionIndex = 0;
    bool hasCurrentAction = false;

    // Settings, each under its configuration key's name.
    std::string workdirectory;
    std::string templatedirectory;
    std::string viewinc = "viewinfo.h";
    std::string vectorinc = "vector.h";
    std::string piinc = "pi.h";
    std::string threadinc = "thread.h";
    std::string dovpilib_r = "dovpi_r.lib";
    std::string dovpilib_d = "dovpi_d.lib";
    std::string dovpiinc = "dovpi.h";
    std::string dovinerfaceinc = "dov_i.h";
    std::string dovtemplate = "dovpi.tpl";
    std::string kelpilib_r = "kelpi_r.lib";
    std::string kelpilib_d = "kelpi_d.lib";
    std::string kelpiinc = "kelpi.h";
    std::string kelinerfaceinc = "kel_i.h";
    std::string keltemplate = "kelpi.tpl";
    std::string matrixinc = "matrix.h";
    std::string dovexportinc = "dovexport.h";
    std::string kelexportinc = "kelexport.h";
    std::string dovlib_r = "dov_r.lib";
    std::string dovlib_d = "dov_d.lib";
    std::string kellib_r = "kel_r.lib";
    std::string kellib_d = "kel_d.lib";

    std::string defaultprojectname;
    // "yes" (or any value but "", "0", "no", "false"): runs check the templates first and run
    // nothing when the checks find an error.
    std::string strict;
    bool strictRuns() const;
    // "off" (in any letter case) keeps no record of a run in the project it generates.
    std::string generationrecord = "on";
    // The template set's name and version, and the file of its notes per version (its moves
    // among them), which a project's record and a regeneration's report name.
    std::string templateset;
    std::string templateversion;
    std::string templatenotes;
    std::vector<ExtraSetting> extraSettings;

    bool keepsRecord() const;

    // The action at currentActionIndex, or null when none is selected or the cursor is stale.
    const ActionDefinition* currentAction() const;
    ActionDefinition* currentAction();

    bool selectAction(std::int32_t index);

    std::int32_t actionCount() const;
    const ActionDefinition* actionAt(std::int32_t index) const;
    ActionDefinition* actionAt(std::int32_t index);
    // Stores a copy of the value with all three edit marks at 0; returns its index.
    std::int32_t appendAction(const ActionDefinition& action);
    std::int32_t removeActionAt(std::int32_t index);

    // The main dialog does this once while it initialises, before the combo is filled.
    void setDefaultDllFlags() { dllFlags = PIDLLFL_AUTO; }

    // The settings as (configuration key, field) pairs, in the order the reader tests them.
    struct SettingField {
        const char* key;
        std::string ProjectState::*field;
    };
    static const std::vector<SettingField>& settingFields();
};

// Clears the id of every action that shares it with another: it tells neither apart (a line
// copied, two branches joined).
void clearSharedIds(ActionDefinitions& actions);

// Gives every action without an id one: the id the recorded answers (when given) have for its
// name if no other action holds it, else the next integer above every id the project and the
// recorded answers hold, in list order, so that the same project always gets the same ids. An
// id two actions share names neither: both get new ones. The number given.
std::size_t giveActionIds(ProjectState& project, const ProjectState* recorded = nullptr);

// Program-wide count of "Add new action" presses; never decremented or reset.
extern std::int32_t actionCounter;

// Increments actionCounter and returns the default name "Action%02d" of the new value.
std::string nextDefaultActionName();

} // namespace vantrel
