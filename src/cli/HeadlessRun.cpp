#include "cli/HeadlessRun.h"

#include "cli/ProjectFile.h"
#include "cli/StreamSink.h"
#include "config/Configuration.h"
#include "engine/CreateProject.h"
#include "engine/Generator.h"

namespace vantrel {

int runHeadless(const CommandLine& command, std::ostream& out, std::ostream& err) {
    ProjectState project;
    StreamSink sink(err);
    if (command.configPath.empty())
        readConfiguration(project, sink);
    else
        readConfiguration(project, sink, command.configPath);
    project.setDefaultDllFlags();

    ProjectFile projectFile(command.projectPath);
    if (!projectFile.load(project)) {
        err << projectFile.error() << '\n';
        return EXIT_BAD_INPUT;
    }
    if (!validateProject(project, sink))
        return EXIT_BAD_INPUT;

    Generator generator(project, sink);
    generator.setOutputListener([&out](const std::string& nativePath) {
        out << nativePath << '\n';
        out.flush();
    });
    // The project file already set dllFlags; -1 keeps them.
    commitAndGenerate(project, -1, generator);
    return sink.errorReported() ? EXIT_RUN_ERROR : EXIT_GENERATED;
}

} // namespace vantrel
