#include "cli/StatusCommand.h"

#include "cli/GenCommand.h"
#include "cli/RecordedProject.h"
#include "cli/StreamSink.h"
#include "diff/TextDiff.h"
#include "project/ProjectFile.h"
#include "project/ProjectWriter.h"
#include "run/ProjectStatus.h"

#include <filesystem>
#include <optional>
#include <string>

namespace vantrel {
namespace {

// Named in the message for a folder without a record.
constexpr std::string_view RECORDED_ANSWERS = ".vantrel/project.json";

int exitFor(OverallStatus overall) {
    switch (overall) {
    case OverallStatus::Current:
        return EXIT_GENERATED;
    case OverallStatus::Outdated:
        return EXIT_OUTDATED;
    case OverallStatus::Edited:
        return EXIT_EDITED;
    case OverallStatus::EditedOutdated:
        return EXIT_EDITED_AND_OUTDATED;
    case OverallStatus::Conflict:
        return EXIT_KEPT_FOR_MERGE;
    }
    return EXIT_RUN_ERROR;
}

bool hasEdits(const TargetStatus& target) {
    return target.recorded || target.disk;
}

// The user's edits: what this program last wrote there against what the disk holds now.
std::string editsText(const TargetStatus& target) {
    if (!target.recorded)
        return target.unproven
                   ? "(no diff: no record shows that this program wrote it)\n"
                   : "(no diff: the text this program wrote there cannot be made again)\n";
    const std::optional<std::string> text = unifiedDiff(
        *target.recorded, target.disk.value_or(std::string()), target.path, target.path);
    return text.value_or("(no diff: the comparing library could not be loaded)\n");
}

std::string inputLabel(const InputStatus& input) {
    return std::string(input.read ? "changed " : "no longer read ") +
           std::string(inputKindLabel(input.kind));
}

void printText(const ProjectStatus& status, bool edits, std::ostream& out) {
    for (const TargetStatus& target : status.targets) {
        out << fileStatusLabel(target.status) << ' ' << target.path << '\n';
        if (edits && hasEdits(target))
            out << editsText(target);
    }
    for (const InputStatus& input : status.inputs)
        out << inputLabel(input) << ' ' << input.path << '\n';
    const TemplateUpgrade& templates = status.templates;
    if (!templates.changed())
        return;
    out << "templates " << templates.described() << '\n';
    // The notes as their author wrote them, set off from the listing, a blank line between two
    // versions'.
    for (const VersionNotes& version : templates.notes) {
        if (&version != &templates.notes.front())
            out << '\n';
        for (std::size_t at = 0; at < version.text.size();) {
            const std::size_t end = version.text.find('\n', at);
            const std::string_view line = std::string_view(version.text).substr(at, end - at);
            out << (line.empty() ? "" : "  ") << line << '\n';
            at = end + 1;
        }
    }
}

void appendTemplatesJson(const TemplateUpgrade& templates, std::string& json) {
    const auto set = [&json](const TemplateSetVersion& version) {
        json += "{\"name\": ";
        appendJsonString(json, version.name);
        json += ", \"version\": ";
        appendJsonString(json, version.version);
        json += '}';
    };
    json += "{\"from\": ";
    set(templates.from);
    json += ", \"to\": ";
    set(templates.to);
    json += templates.older() ? ", \"older\": true" : ", \"older\": false";
    json += ", \"notes\": [";
    const char* separator = "";
    for (const VersionNotes& version : templates.notes) {
        json += separator;
        json += "{\"version\": ";
        appendJsonString(json, version.version);
        json += ", \"text\": ";
        appendJsonString(json, version.text);
        json += ", \"moves\": [";
        const char* moveSeparator = "";
        for (const DeclaredMove& move : version.moves) {
            json += moveSeparator;
            json += "{\"from\": ";
            appendJsonString(json, move.from);
            json += ", \"to\": ";
            appendJsonString(json, move.to);
            json += '}';
            moveSeparator = ", ";
        }
        json += "]}";
        separator = ", ";
    }
    json += "]}";
}

void printJson(const ProjectStatus& status, int exit, bool edits, std::ostream& out) {
    std::string json = "{\"status\": ";
    appendJsonString(json, overallStatusLabel(status.overall));
    json += ", \"exit\": " + std::to_string(exit) + ", \"targets\": [";
    const char* separator = "\n    ";
    for (const TargetStatus& target : status.targets) {
        json += separator;
        json += "{\"path\": ";
        appendJsonString(json, target.path);
        json += ", \"state\": ";
        appendJsonString(json, fileStatusLabel(target.status));
        if (edits && hasEdits(target)) {
            json += ", \"edits\": ";
            appendJsonString(json, editsText(target));
        }
        json += '}';
        separator = ",\n    ";
    }
    json += status.targets.empty() ? "]" : "\n]";
    json += ", \"inputs\": [";
    separator = "\n    ";
    for (const InputStatus& input : status.inputs) {
        json += separator;
        json += "{\"path\": ";
        appendJsonString(json, input.path);
        json += ", \"kind\": ";
        appendJsonString(json, inputKindLabel(input.kind));
        json += ", \"change\": ";
        appendJsonString(json, input.read ? "changed" : "no longer read");
        json += '}';
        separator = ",\n    ";
    }
    json += status.inputs.empty() ? "]" : "\n]";
    if (status.templates.changed()) {
        json += ", \"templates\": ";
        appendTemplatesJson(status.templates, json);
    }
    json += "}\n";
    out << json;
}

} // namespace

int runStatus(const CommandLine& command, std::ostream& out, std::ostream& err) {
    namespace fs = std::filesystem;
    ProjectState project;
    StreamSink sink(err, command.verbose);
    ConfigurationBytes configuration =
        readFoundConfiguration(project, sink, command.configPath, err);
    project.setDefaultDllFlags();

    std::error_code error;
    const bool folder = fs::is_directory(command.projectPath, error);
    const std::string answers =
        folder ? recordedAnswersPath(command.projectPath) : command.projectPath;
    if (folder && !fs::exists(answers, error)) {
        err << CLI_PROGRAM_NAME << ": " << command.projectPath
            << " holds no record of a run to compare with (" << RECORDED_ANSWERS << ")\n";
        return EXIT_RUN_ERROR;
    }
    std::optional<std::string> fault;
    if (folder)
        fault = loadRecordedAnswers(command.projectPath, project);
    else if (const std::optional<ProjectFileError> loaded = ProjectFile(answers).load(project))
        fault = loaded->message;
    if (fault) {
        err << *fault << '\n';
        return EXIT_BAD_INPUT;
    }
    if (!validateProject(project, sink))
        return EXIT_BAD_INPUT;

    StatusSettings settings;
    settings.configuration = std::move(configuration);
    settings.answersPath = answers;
    settings.edits = command.edits;
    settings.told = [&err](const RunNote& note) {
        printNote(note, err);
    };
    const ProjectStatus status = projectStatus(project, sink, settings);
    if (!status.recorded) {
        err << CLI_PROGRAM_NAME << ": no record of a run in " << status.recordFolder
            << " to compare with; generate the project first\n";
        return EXIT_RUN_ERROR;
    }
    // A run that would fail makes no state of the files it did not get to.
    const int exit = status.errors > 0 ? EXIT_RUN_ERROR : exitFor(status.overall);
    if (command.json)
        printJson(status, exit, command.edits, out);
    else
        printText(status, command.edits, out);
    return exit;
}

} // namespace vantrel
