#pragma once

#include "model/ProjectState.h"
#include "report/ErrorReporter.h"
#include "run/ProjectRun.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// Where a generated file stands: its bytes on the disk, what the record says this program wrote
// there, and what the inputs make now. Each names what a regeneration would do to the file.
enum class FileStatus {
    Current,           // on the disk as recorded and as the inputs make it: left alone
    Outdated,          // as recorded, and the inputs make other bytes (or a file not there yet)
    Edited,            // changed by the user, and nothing new comes for it: kept
    EditedOutdated,    // changed by the user, and new bytes come too: merged or kept in conflict
    Conflict,          // FILE.vantrel-new still stands beside it
    Deleted,           // recorded, and deleted since: not written again
    NoLongerGenerated, // recorded, and the inputs no longer make it
    Blocked,           // a folder where the file goes
    Refused,           // the system or the location's bounds do not let it be written
    Yours,             // the user's (written once, or detached): no run touches it
};

// The word the status listing prints for a state.
std::string_view fileStatusLabel(FileStatus status);

struct TargetStatus {
    FileStatus status = FileStatus::Current;
    std::string path; // as the run names it, below the working folder
    std::string key;  // below the location, "/" between names
    // With edits asked for, for a file the user changed or deleted: what this program last
    // wrote there (none when the record cannot make it again) and the bytes on the disk.
    std::optional<std::string> recorded = {};
    std::optional<std::string> disk = {};
    bool unproven = false; // it stood there before, and no record shows this program wrote it
};

// An input whose bytes are not those the recorded run read.
struct InputStatus {
    enum class Kind { Configuration, Script, Template, Answers };
    Kind kind = Kind::Template;
    std::string path;
    bool read = true; // false: the recorded run read it, the inputs now do not
};
std::string_view inputKindLabel(InputStatus::Kind kind);

// The project as a whole, most pressing first.
enum class OverallStatus { Current, Outdated, Edited, EditedOutdated, Conflict };
std::string_view overallStatusLabel(OverallStatus status);

struct ProjectStatus {
    bool recorded = false; // a record of this program's was there to compare with
    std::string recordFolder;
    std::size_t errors = 0;            // messages of the run worse than a failed assertion
    std::vector<TargetStatus> targets; // the run's order, then files it no longer makes
    std::vector<InputStatus> inputs;
    OverallStatus overall = OverallStatus::Current;
    // The template set the record names against the configuration's, with the notes between.
    TemplateUpgrade templates;
};

struct StatusSettings {
    ConfigurationBytes configuration;
    std::string answersPath; // the project file, named for answers that differ from the record
    bool edits = false;      // the recorded and the disk's texts of the files the user changed
    // Told what the run has to say about the record itself (damaged, not ours, no merging).
    std::function<void(const RunNote&)> told;
};

// Compares a generated project with its record and with what its inputs make now, by running
// them into memory as a preview does: nothing is written and no lock is taken.
ProjectStatus projectStatus(ProjectState& project, MessageSink& sink,
                            const StatusSettings& settings);

} // namespace vantrel
