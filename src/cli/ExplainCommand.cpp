#include "cli/ExplainCommand.h"

#include "cli/GenCommand.h"
#include "cli/StreamSink.h"
#include "run/LineOrigins.h"
#include "run/ProjectRun.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vantrel {
namespace {

// The same file, however the two paths spell it.
bool samePath(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path left = fs::weakly_canonical(fs::absolute(a, error), error);
    const fs::path right = fs::weakly_canonical(fs::absolute(b, error), error);
    return !error && left == right;
}

// A template file's text; empty when it cannot be read.
std::string textOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

int runExplain(const CommandLine& command, std::ostream& out, std::ostream& err) {
    const std::string& place = command.explainPlace;
    const std::size_t colon = place.rfind(':');
    std::size_t line = 0;
    if (colon == std::string::npos || colon == 0 ||
        std::from_chars(place.data() + colon + 1, place.data() + place.size(), line).ptr !=
            place.data() + place.size() ||
        line == 0) {
        err << CLI_PROGRAM_NAME << ": --explain needs FILE:LINE, the line counted from 1, not '"
            << place << "'\n";
        return EXIT_BAD_INPUT;
    }
    const std::string file = place.substr(0, colon);

    ProjectState project;
    StreamSink sink(err, false);
    std::optional<ConfigurationBytes> configuration =
        loadProjectFile(command.projectPath, command.configPath, project, sink, err);
    if (!configuration)
        return EXIT_BAD_INPUT;
    std::vector<std::string> actionNames;
    for (const ActionDefinition& action : project.actions)
        actionNames.push_back(action.name);

    // The generated text alone, whatever the disk holds; the run's own messages are not asked.
    MemoryOutput memory;
    LineOrigins origins;
    RunSettings settings;
    settings.configuration = std::move(*configuration);
    settings.keepRecord = false;
    settings.observer = &origins;
    SilentSink silent;
    const RunResult result = runProject(project, silent, memory, settings);
    for (const RecordingOutput::Outcome& outcome : result.outcomes) {
        if (outcome.folder || !samePath(outcome.nativePath, file))
            continue;
        const LineOrigins::File* made = origins.find(outcome.nativePath);
        const auto entry = memory.tree().find(outcome.key);
        if (!made || entry == memory.tree().end())
            break;
        const std::optional<std::string_view> text = lineOfText(entry->second.bytes, line);
        if (!text) {
            err << CLI_PROGRAM_NAME << ": " << outcome.nativePath << " has no line " << line
                << '\n';
            return EXIT_BAD_INPUT;
        }
        if (made->copied) {
            out << outcome.nativePath << ':' << line << ": copied from " << made->source << ':'
                << line << "\n  " << *text << '\n';
            return EXIT_GENERATED;
        }
        const std::string source = textOf(made->source);
        out << outcome.nativePath << ':' << line << ": made by "
            << describeOrigin(*made, line - 1, source, actionNames) << "\n  generated: " << *text
            << "\n  template:  "
            << lineOfText(source, made->lines.at(line - 1).templateLine).value_or("") << '\n';
        return EXIT_GENERATED;
    }
    err << CLI_PROGRAM_NAME << ": the run of " << command.projectPath << " makes no file " << file
        << '\n';
    return EXIT_BAD_INPUT;
}

} // namespace vantrel
