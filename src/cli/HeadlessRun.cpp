#include "cli/HeadlessRun.h"

#include "cli/ProjectFile.h"
#include "cli/StreamSink.h"
#include "config/Configuration.h"
#include "config/ConfigurationSearch.h"
#include "engine/CreateProject.h"
#include "engine/Generator.h"

namespace vantrel {
namespace {

// Reads the configuration that the search finds. A run on the built-in settings names files
// that seldom exist, so it is said once, before anything else, with where the search looked.
void readFoundConfiguration(ProjectState& project, MessageSink& sink, const std::string& option,
                            std::ostream& err) {
    const ConfigurationPlaces places = configurationPlaces(option);
    const ConfigurationChoice choice = findConfiguration(places);
    if (choice.origin == ConfigurationOrigin::None) {
        err << CLI_PROGRAM_NAME << ": no configuration found, running on built-in defaults";
        const char* separator = " (looked for ";
        for (const ConfigurationChoice& candidate : configurationCandidates(places)) {
            err << separator << candidate.path;
            separator = ", ";
        }
        err << ")\n";
    } else if (!readConfiguration(project, sink, choice.path)) {
        err << CLI_PROGRAM_NAME << ": cannot read the configuration " << choice.path
            << ", running on built-in defaults\n";
    }
}

} // namespace

int runHeadless(const CommandLine& command, std::ostream& out, std::ostream& err) {
    ProjectState project;
    StreamSink sink(err);
    readFoundConfiguration(project, sink, command.configPath, err);
    project.setDefaultDllFlags();

    ProjectFile projectFile(command.projectPath);
    if (!projectFile.load(project)) {
        err << projectFile.error() << '\n';
        return EXIT_BAD_INPUT;
    }
    if (!validateProject(project, sink))
        return EXIT_BAD_INPUT;

    Generator generator(project, sink);
    // Listed without a flush per line; tied to out, err flushes the list before each message,
    // so the two streams still read in the order things happened.
    generator.setOutputListener(
        [&out](const std::string& nativePath) { out << nativePath << '\n'; });
    std::ostream* const previousTie = err.tie(&out);
    // The project file already set dllFlags; -1 keeps them.
    commitAndGenerate(project, -1, generator);
    err.tie(previousTie);
    out.flush();
    return sink.errorReported() ? EXIT_RUN_ERROR : EXIT_GENERATED;
}

} // namespace vantrel
