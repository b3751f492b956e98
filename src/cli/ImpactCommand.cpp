#include "cli/ImpactCommand.h"

#include "cli/GenCommand.h"
#include "cli/RecordedProject.h"
#include "cli/StreamSink.h"
#include "config/Configuration.h"
#include "project/ProjectWriter.h"
#include "run/PreviewListing.h"
#include "run/ProjectRun.h"
#include "run/StartConfiguration.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

// What a regeneration does to a file, as counted; the text line names the last four only when
// they are not 0.
enum Count : std::size_t {
    Unchanged,
    Replaced,
    Merged,
    Conflicts,
    DeletedByYou,
    NoLongerGenerated,
    New,
    Moved,
    Blocked,
    Refused,
    COUNT_KINDS,
};
struct CountName {
    std::string_view text;
    std::string_view json;
    bool always;
};
constexpr std::array<CountName, COUNT_KINDS> COUNT_NAMES = {{
    {"unchanged", "unchanged", true},
    {"replaced", "replaced", true},
    {"merged", "merged", true},
    {"conflict", "conflict", true},
    {"deleted by you", "deletedByYou", true},
    {"no longer generated", "noLongerGenerated", true},
    {"new", "new", false},
    {"moved", "moved", false},
    {"blocked", "blocked", false},
    {"refused", "refused", false},
}};
using Counts = std::array<std::size_t, COUNT_KINDS>;

Count countOf(TargetState state) {
    switch (state) {
    case TargetState::Same:
    case TargetState::Kept:
    case TargetState::Yours:
        return Unchanged;
    case TargetState::Replaced:
        return Replaced;
    case TargetState::Merged:
        return Merged;
    case TargetState::Conflict:
        return Conflicts;
    case TargetState::DeletedByYou:
        return DeletedByYou;
    case TargetState::NoLongerGenerated:
    case TargetState::Deleted: // only a run that prunes deletes
        return NoLongerGenerated;
    case TargetState::New:
        return New;
    case TargetState::Moved:
        return Moved;
    case TargetState::Blocked:
        return Blocked;
    case TargetState::Refused:
        return Refused;
    }
    return Refused;
}

struct ImpactFile {
    TargetState state;
    std::string path;
    std::string movedFrom;
    std::string line; // as the dry run lists it
};

struct ProjectImpact {
    std::string folder;
    bool failed = false;
    bool conflict = false; // the run would keep some file for the user to merge
    Counts counts = {};
    std::vector<ImpactFile> files; // the run's order, then the files no longer generated
    std::string templates;         // the template set's change since the project's record, if any
    std::string messages;
};

// The notes about a project's record as a whole; what the run does to each file is listed.
bool aboutTheRecord(const RunNote& note) {
    return note.kind == RunNote::Kind::RecordDamaged || note.kind == RunNote::Kind::RecordForeign ||
           note.kind == RunNote::Kind::RenamesUnknown ||
           note.kind == RunNote::Kind::MergeUnavailable || note.kind == RunNote::Kind::NotesFault;
}

// Adds the folders at or below root that hold a record to found, as (identity, path as found
// from root). Links are not followed and record folders not entered. Returns how many folders
// could not be read or were left out, each said on err.
std::size_t findRecordedProjects(const std::string& root,
                                 std::vector<std::pair<std::string, std::string>>& found,
                                 std::ostream& err) {
    std::error_code error;
    const fs::file_status rootStatus = fs::status(root, error);
    if (!fs::is_directory(rootStatus)) {
        err << CLI_PROGRAM_NAME << ": cannot look for projects in " << root << ": "
            << (rootStatus.type() == fs::file_type::not_found
                    ? std::string("there is no such folder")
                : error ? error.message()
                        : std::string("it is no folder"))
            << '\n';
        return 1;
    }
    std::size_t faults = 0;
    std::vector<fs::path> pending{fs::path(root)};
    while (!pending.empty()) {
        const fs::path folder = std::move(pending.back());
        pending.pop_back();
        const auto leftOut = [&](const fs::path& part, const std::string& why) {
            err << CLI_PROGRAM_NAME << ": " << folder.string() << " is left out: " << part.string()
                << ' ' << why << '\n';
            ++faults;
        };
        const fs::path record = folder / RECORD_FOLDER;
        const fs::path answers = record / RECORD_ANSWERS;
        // Not there is no error: most folders hold no record.
        const fs::file_status recordStatus = fs::symlink_status(record, error);
        if (error && recordStatus.type() != fs::file_type::not_found) {
            leftOut(record, "cannot be read (" + error.message() + ")");
            continue; // nor can the folder, as a rule
        } else if (fs::is_directory(recordStatus)) {
            const fs::file_status answersStatus = fs::symlink_status(answers, error);
            if (error && answersStatus.type() != fs::file_type::not_found) {
                leftOut(answers, "cannot be read (" + error.message() + ")");
            } else if (!fs::is_regular_file(answersStatus)) {
                leftOut(answers, fs::exists(answersStatus)
                                     ? "is no plain file (a link is not followed)"
                                     : "is missing");
            } else {
                const fs::path identity = fs::weakly_canonical(folder, error);
                found.emplace_back(error ? folder.string() : identity.string(), folder.string());
            }
        } else if (fs::exists(recordStatus)) {
            leftOut(record, "is no folder (a link is not followed)");
        }
        fs::directory_iterator entries(folder, error);
        const auto unreadable = [&] {
            err << CLI_PROGRAM_NAME << ": cannot read " << folder.string() << " ("
                << error.message() << "); projects below it are left out\n";
            ++faults;
        };
        if (error) {
            unreadable();
            continue;
        }
        for (; entries != fs::directory_iterator(); entries.increment(error)) {
            const fs::directory_entry& entry = *entries;
            std::error_code kind;
            if (entry.path().filename() != RECORD_FOLDER && !entry.is_symlink(kind) &&
                entry.is_directory(kind))
                pending.push_back(entry.path());
        }
        if (error)
            unreadable();
    }
    return faults;
}

// The project's regeneration into memory with the new configuration, exactly as its dry run.
ProjectImpact impactOf(const std::string& folder, const ConfigurationBytes& configuration) {
    ProjectImpact impact;
    impact.folder = folder;
    std::ostringstream messages;
    StreamSink sink(messages);
    ProjectState project;
    readConfigurationBytes(project, configuration.bytes);
    project.setDefaultDllFlags();
    if (const std::optional<std::string> fault = loadRecordedAnswers(folder, project)) {
        messages << *fault << '\n';
        impact.failed = true;
    } else if (!validateProject(project, sink)) {
        impact.failed = true;
    } else {
        RunSettings settings;
        settings.configuration = configuration;
        settings.told = [&messages](const RunNote& note) {
            if (aboutTheRecord(note))
                printNote(note, messages);
        };
        MemoryOutput memory;
        memory.checkWithDisk(true);
        memory.keepDetails(false);
        const RunResult result = runProject(project, sink, memory, settings);
        for (const Diagnostic& diagnostic : result.checks)
            messages << formatDiagnostic(diagnostic) << '\n';
        impact.failed = result.refusedByChecks || result.busy || result.errors > 0;
        impact.conflict = result.keptForMerge;
        if (result.templates.changed())
            impact.templates = result.templates.described();
        if (!impact.failed)
            for (const ListedTarget& target : listedTargets(result, memory)) {
                if (target.outcome && target.outcome->folder)
                    continue; // files are counted
                ++impact.counts[countOf(target.state)];
                impact.files.push_back(
                    {target.state, target.path, target.movedFrom, listingLine(target)});
            }
    }
    impact.messages = messages.str();
    return impact;
}

std::string countsText(const Counts& counts) {
    std::string text;
    for (std::size_t kind = 0; kind < COUNT_KINDS; ++kind)
        if (COUNT_NAMES[kind].always || counts[kind] > 0)
            text.append(text.empty() ? "" : ", ")
                .append(std::to_string(counts[kind]))
                .append(" ")
                .append(COUNT_NAMES[kind].text);
    return text;
}

void appendCountsJson(std::string& json, const Counts& counts) {
    for (std::size_t kind = 0; kind < COUNT_KINDS; ++kind) {
        json += kind == 0 ? "" : ", ";
        appendJsonString(json, COUNT_NAMES[kind].json);
        json += ": " + std::to_string(counts[kind]);
    }
}

void printText(const ProjectImpact& impact, std::ostream& out) {
    if (impact.failed) {
        out << impact.folder << ": the run would fail\n";
        return;
    }
    out << impact.folder << ": " << countsText(impact.counts) << '\n';
    if (!impact.templates.empty())
        out << "  templates " << impact.templates << '\n';
    for (const ImpactFile& file : impact.files)
        if (file.state != TargetState::Same)
            out << "  " << file.line << '\n';
}

void appendJson(std::string& json, const ProjectImpact& impact) {
    json += "{\"folder\": ";
    appendJsonString(json, impact.folder);
    if (impact.failed)
        json += ", \"failed\": true";
    if (!impact.templates.empty()) {
        json += ", \"templates\": ";
        appendJsonString(json, impact.templates);
    }
    json += ", \"counts\": {";
    appendCountsJson(json, impact.counts);
    json += "}, \"files\": [";
    const char* separator = "\n        ";
    for (const ImpactFile& file : impact.files) {
        json += separator;
        json += "{\"path\": ";
        appendJsonString(json, file.path);
        json += ", \"state\": ";
        appendJsonString(json, targetStateLabel(file.state));
        if (!file.movedFrom.empty()) {
            json += ", \"from\": ";
            appendJsonString(json, file.movedFrom);
        }
        json += '}';
        separator = ",\n        ";
    }
    json += impact.files.empty() ? "]}" : "\n    ]}";
}

} // namespace

int runImpact(const CommandLine& command, std::ostream& out, std::ostream& err) {
    // The new set's configuration is read once; each project starts from its bytes.
    ConfigurationBytes configuration;
    {
        ProjectState scratch;
        SilentSink silent;
        if (!readStartConfiguration(command.configPath, scratch, silent, configuration).read) {
            err << CLI_PROGRAM_NAME << ": cannot read the configuration " << command.configPath
                << '\n';
            return EXIT_RUN_ERROR;
        }
    }

    std::size_t failed = 0;
    std::vector<std::pair<std::string, std::string>> found;
    for (const std::string& folder : command.folders)
        failed += findRecordedProjects(folder, found, err);
    // One project reached through two folders is one; the first path found names it.
    std::vector<std::string> folders;
    std::set<std::string> seen;
    for (const auto& [identity, path] : found)
        if (seen.insert(identity).second)
            folders.push_back(path);
    std::sort(folders.begin(), folders.end());

    Counts total = {};
    bool conflict = false;
    std::string json = "{\"projects\": [";
    const char* separator = "\n    ";
    for (const std::string& folder : folders) {
        const ProjectImpact impact = impactOf(folder, configuration);
        failed += impact.failed ? 1 : 0;
        conflict = conflict || impact.conflict;
        for (std::size_t kind = 0; kind < COUNT_KINDS; ++kind)
            total[kind] += impact.counts[kind];
        if (command.json) {
            json += separator;
            appendJson(json, impact);
            separator = ",\n    ";
        } else {
            printText(impact, out);
            out.flush();
        }
        err << impact.messages;
    }

    const int exit = failed > 0 ? EXIT_RUN_ERROR : conflict ? EXIT_KEPT_FOR_MERGE : EXIT_GENERATED;
    if (command.json) {
        json += folders.empty() ? "]" : "\n]";
        json += ", \"total\": {\"projects\": " + std::to_string(folders.size()) + ", ";
        appendCountsJson(json, total);
        json += ", \"failed\": " + std::to_string(failed) + "}, \"exit\": " + std::to_string(exit) +
                "}\n";
        out << json;
    } else {
        out << "total, " << folders.size() << (folders.size() == 1 ? " project: " : " projects: ")
            << countsText(total) << (failed > 0 ? ", " + std::to_string(failed) + " failed" : "")
            << '\n';
    }
    return exit;
}

} // namespace vantrel
