#include "run/ProjectStatus.h"

#include "fileutil/FileSystem.h"
#include "fileutil/MemoryOutput.h"

#include <unordered_map>
#include <unordered_set>

namespace vantrel {
namespace {

FileStatus statusOf(const RecordingOutput::Outcome& outcome) {
    switch (outcome.state) {
    case TargetState::Same:
        return FileStatus::Current;
    case TargetState::New:
    case TargetState::Replaced:
        return FileStatus::Outdated;
    case TargetState::Kept:
        return FileStatus::Edited;
    case TargetState::Merged:
        return FileStatus::EditedOutdated;
    case TargetState::Moved: // a rename: the old file, with any edits, goes to the new path
        return outcome.move && (outcome.move->merged || outcome.move->kept)
                   ? FileStatus::EditedOutdated
                   : FileStatus::Outdated;
    case TargetState::Conflict:
        // Overlapping edits, or a file nothing proves: the user's bytes, and new ones to come.
        return outcome.unresolved ? FileStatus::Conflict : FileStatus::EditedOutdated;
    case TargetState::DeletedByYou:
        return FileStatus::Deleted;
    case TargetState::NoLongerGenerated:
    case TargetState::Deleted: // a status prunes nothing; a run with --prune would delete it
        return FileStatus::NoLongerGenerated;
    case TargetState::Blocked:
        return FileStatus::Blocked;
    case TargetState::Refused:
        return FileStatus::Refused;
    case TargetState::Yours:
        return FileStatus::Yours;
    }
    return FileStatus::Refused;
}

InputStatus::Kind kindOf(Manifest::Role role) {
    switch (role) {
    case Manifest::Role::Configuration:
        return InputStatus::Kind::Configuration;
    case Manifest::Role::Script:
        return InputStatus::Kind::Script;
    case Manifest::Role::Template:
        break;
    }
    return InputStatus::Kind::Template;
}

OverallStatus overallOf(const ProjectStatus& status) {
    bool edited = false;
    bool outdated = !status.inputs.empty();
    for (const TargetStatus& target : status.targets) {
        switch (target.status) {
        case FileStatus::Conflict:
            return OverallStatus::Conflict;
        case FileStatus::Edited:
        case FileStatus::Deleted:
            edited = true;
            break;
        case FileStatus::EditedOutdated:
            edited = outdated = true;
            break;
        case FileStatus::Current:
        case FileStatus::Yours: // whatever it holds, no run changes it
            break;
        default:
            outdated = true;
            break;
        }
    }
    return edited && outdated ? OverallStatus::EditedOutdated
           : edited           ? OverallStatus::Edited
           : outdated         ? OverallStatus::Outdated
                              : OverallStatus::Current;
}

} // namespace

std::string_view fileStatusLabel(FileStatus status) {
    switch (status) {
    case FileStatus::Current:
        return "current";
    case FileStatus::Outdated:
        return "outdated";
    case FileStatus::Edited:
        return "edited";
    case FileStatus::EditedOutdated:
        return "edited+outdated";
    case FileStatus::Conflict:
        return "conflict";
    case FileStatus::Deleted:
        return "deleted";
    case FileStatus::NoLongerGenerated:
        return "no longer generated";
    case FileStatus::Blocked:
        return "blocked";
    case FileStatus::Refused:
        return "refused";
    case FileStatus::Yours:
        return "yours";
    }
    return "";
}

std::string_view inputKindLabel(InputStatus::Kind kind) {
    switch (kind) {
    case InputStatus::Kind::Configuration:
        return "configuration";
    case InputStatus::Kind::Script:
        return "script";
    case InputStatus::Kind::Template:
        return "template";
    case InputStatus::Kind::Answers:
        return "answers";
    }
    return "";
}

std::string_view overallStatusLabel(OverallStatus status) {
    switch (status) {
    case OverallStatus::Current:
        return "current";
    case OverallStatus::Outdated:
        return "outdated";
    case OverallStatus::Edited:
        return "edited";
    case OverallStatus::EditedOutdated:
        return "edited+outdated";
    case OverallStatus::Conflict:
        return "conflict";
    }
    return "";
}

ProjectStatus projectStatus(ProjectState& project, MessageSink& sink,
                            const StatusSettings& settings) {
    MemoryOutput memory;
    memory.checkWithDisk(true);
    memory.keepDetails(false); // the states come from the run's outcomes
    RunSettings run;
    run.configuration = settings.configuration;
    run.keepTexts = settings.edits;
    run.recordedTexts = settings.edits;
    run.told = [&settings](const RunNote& note) {
        if (settings.told && (note.kind == RunNote::Kind::RecordDamaged ||
                              note.kind == RunNote::Kind::RecordForeign ||
                              note.kind == RunNote::Kind::MergeUnavailable ||
                              note.kind == RunNote::Kind::NotesFault))
            settings.told(note);
    };
    RunResult result = runProject(project, sink, memory, run);

    ProjectStatus status;
    status.recorded = result.record == RecordState::Read || result.record == RecordState::Damaged;
    status.recordFolder = result.projectFolder + "/" + std::string(RECORD_FOLDER);
    status.errors = result.errors;
    // A target the script names twice holds what it was given last.
    std::unordered_map<std::string, std::size_t> listed;
    const auto add = [&](TargetStatus target) {
        const auto [at, added] = listed.try_emplace(target.path, status.targets.size());
        if (added)
            status.targets.push_back(std::move(target));
        else
            status.targets[at->second] = std::move(target);
    };
    for (RecordingOutput::Outcome& outcome : result.outcomes) {
        if (outcome.folder)
            continue;
        TargetStatus target{statusOf(outcome), outcome.nativePath, outcome.key};
        target.unproven = outcome.unproven;
        if (const auto text = result.recordedTexts.find(outcome.key);
            text != result.recordedTexts.end()) {
            target.recorded = std::move(text->second);
            target.disk = outcome.texts ? std::move(outcome.texts->before) : std::nullopt;
        }
        add(std::move(target));
    }
    const std::string location = nativePath(project.locationBase);
    for (const std::string& key : result.noLongerGenerated)
        add({FileStatus::NoLongerGenerated, nativePath(joinPath(project.locationBase, key)), key});
    // Conflicts of earlier runs stand until the user removes the new text beside the file,
    // whether the run makes the file or not.
    for (const RunNote& note : result.notes)
        if (note.kind == RunNote::Kind::NotResolved) {
            if (const auto at = listed.find(note.path); at != listed.end())
                status.targets[at->second].status = FileStatus::Conflict;
            else
                add({FileStatus::Conflict, note.path,
                     RecordingOutput::keyOf(location, note.path).value_or(note.path)});
        }
    if (result.answersChanged)
        status.inputs.push_back({InputStatus::Kind::Answers, settings.answersPath});
    for (const InputChange& change : result.changedInputs)
        status.inputs.push_back({kindOf(change.role), change.path, change.read});
    status.overall = overallOf(status);
    status.templates = std::move(result.templates);
    return status;
}

} // namespace vantrel
