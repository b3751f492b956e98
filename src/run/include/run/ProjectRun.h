#pragma once

// The front ends take the run's types from here, and validateProject, the checks before a run.
#include "check/Diagnostic.h"
#include "engine/CreateProject.h"
#include "engine/ScriptInterpreter.h"
#include "fileutil/DiskOutput.h"
#include "fileutil/MemoryOutput.h"
#include "model/ProjectState.h"
#include "record/RecordFolder.h"
#include "record/RecordingOutput.h"
#include "record/TargetDecision.h"
#include "report/ErrorReporter.h"
#include "run/TemplateUpgrade.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace vantrel {

// The configuration file the answers' settings were read from, and its bytes as read then; an
// empty path: the built-in settings.
struct ConfigurationBytes {
    std::string path;
    std::string bytes;
};

// What the user chose in a review: changed files to leave as they are (native paths), for
// targets the bytes to write or none to keep them, and the files no longer generated to delete.
struct CreateChoices {
    std::vector<std::string> keptPaths;
    RecordingOutput::Choices chosen;
    std::vector<std::string> deletedKeys; // files no longer generated to delete, by key
    // Where the conflicts of the targets it names go, by key, over RunSettings::conflictStyle.
    std::map<std::string, ConflictStyle> conflictStyles = {};
    // Files made the user's ("Never regenerate"), by key.
    std::vector<std::string> detachedKeys = {};
};

struct RunSettings {
    std::int32_t dllComboIndex = -1; // the DLL flag combo's index to commit; -1 keeps the flags
    ConfigurationBytes configuration;
    bool keepRecord = true; // false: a run that keeps no record (it still keeps the user's edits)
    TargetPolicy policy = TargetPolicy::Automatic;
    ConflictStyle conflictStyle = ConflictStyle::Beside; // where an automatic run puts conflicts
    CreateChoices choices;
    bool keepTexts = false;     // each target's bytes before and after, for a diff
    bool recordedTexts = false; // what was last written in each file the user edited or deleted
    ScriptInterpreter::OutputListener written; // told of every folder and file written
    ScriptInterpreter::WarningListener warnings;
    // Told each note as the run makes it: those on the record before the script runs.
    std::function<void(const struct RunNote&)> told;
    // The files no longer generated to delete when they are still as generated, by key; none:
    // every one of them stays.
    std::function<bool(const std::string& key)> prune;
    // Run the checks of vantrel-gen --check first, and nothing when they find an error; the
    // configuration's strict setting does the same.
    bool strict = false;
    SectionObserver* observer = nullptr; // told every line the file sections make
    std::stop_token stop;                // a stop asked for ends the run early, as a failure
};

// Something a run says after it, beside the messages its sink had during it.
struct RunNote {
    enum class Kind {
        RecordDamaged, // why: what is wrong with it; path: the record folder
        RecordForeign, // the same, for what is no record of this program
        Merged,        // path: the file
        Conflict,      // path, beside, unproven, besideYours
        Kept,          // edited, and nothing new came for it
        DeletedByYou,
        NoLongerGenerated, // path: its key below the location
        Deleted,           // no longer generated, still as generated: deleted (path, key)
        EditedNotDeleted,  // no longer generated, but edited: kept (path: its key)
        NotDeleted,        // no longer generated, but the system did not let it go (path: key)
        NotResolved,       // a conflict of an earlier run: path, beside
        Moved,             // an action's rename moved a file: path the new one, beside the old
                           // one; why: "moved" or "moved, merged"
        MoveKept,          // the same, its edits overlapping: path the new one, beside the old one
        MoveLeft,          // a moved file's old one could not be removed (path: its key)
        RenamesUnknown,    // the record names no action ids: renames cannot be told
        MergeUnavailable,  // why: the library and the reason
        RecordNotWritten,  // why
        TemplatesChanged,  // why: the template set's change ("plugin-templates 2.1.0 -> 2.3.0")
        TemplatesOlder,    // the same, to an older version
        NotesFault,        // path: the notes file; why: what cannot be used of it
    };
    Kind kind;
    std::string path;
    std::string beside = {};
    std::string key = {}; // a file's path below the location, "/" between names
    bool unproven = false;
    bool besideYours = false;
    std::string why = {};
    bool noBase = false;     // a conflict: no merge could be tried, its base cannot be made again
    bool unresolved = false; // a conflict of an earlier run, its file beside still there
    // A conflict written into the file between markers (beside is then empty).
    bool marked = false;
    // Its three sides recorded in git's index; when not, stagingWhy says why (the markers
    // stand alone).
    bool staged = false;
    std::string stagingWhy = {};
    // Kept: the markers of an earlier conflict are still in it (Conflict, NotResolved).
    bool markersStand = false;
    // A conflict the chosen style would have marked in the file, kept beside it instead: why.
    std::string unmarkedWhy = {};
};

struct RunResult {
    bool busy = false;         // another run holds the project: nothing was done
    bool ended = false;        // the script ran to its end (or to create_done:)
    std::size_t errors = 0;    // messages worse than a failed assertion
    bool keptForMerge = false; // some file is kept with the new text beside it
    RunSummary counts;
    std::vector<RunNote> notes;
    RecordingOutput::Outcomes outcomes;         // every target, in the run's order
    std::vector<std::string> noLongerGenerated; // keys below the location
    std::string projectFolder;
    RecordState record = RecordState::Absent; // the last run's record, as it was found
    std::vector<InputChange> changedInputs;   // against the record's
    bool answersChanged = false;
    std::size_t idsGiven = 0; // actions that had no id and were given one (in the project)
    // By key, for the targets the user edited or deleted when asked: none where the record
    // cannot make the text again.
    std::map<std::string, std::optional<std::string>> recordedTexts;
    // The script, template and configuration files the run read (native paths).
    std::vector<std::string> inputsRead;
    // A strict run: what the checks found. With an error among them nothing else was done.
    std::vector<Diagnostic> checks;
    bool refusedByChecks = false;
    // The template set the record names against the configuration's, with the notes between.
    TemplateUpgrade templates;
};

// What a strict run's checks found, one "FILE:LINE:COLUMN: error: TEXT" line each, under a line
// saying that nothing was run.
std::string refusalText(const RunResult& result);

// Writes the actions' ids into the project file at path in one step, keeping its other bytes;
// the reason when it could not.
std::optional<std::string> writeActionIdsInto(const std::string& path, const ProjectState& project);

// One run of the project's script, with the record around it. Into the disk it takes the
// project's lock, reads the last record, decides every existing target by the one rule, removes
// what killed runs left and writes the new record. The project is committed first.
RunResult runProject(ProjectState& project, MessageSink& sink, DiskOutput& disk,
                     const RunSettings& settings);
// The same run into a tree in memory, which writes nothing: when the tree checks with the disk,
// the preview of that very run.
RunResult runProject(ProjectState& project, MessageSink& sink, MemoryOutput& memory,
                     const RunSettings& settings);

} // namespace vantrel
