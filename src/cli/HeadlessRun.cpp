#include "cli/HeadlessRun.h"

#include "cli/ProjectFile.h"
#include "cli/StreamSink.h"
#include "config/Configuration.h"
#include "engine/CreateProject.h"
#include "engine/Generator.h"
#include "fileutil/DiskOutput.h"

namespace vantrel {

int runHeadless(const CommandLine& command, std::ostream& out, std::ostream& err) {
    DiskOutput disk;
    return runHeadless(command, out, err, disk);
}

int runHeadless(const CommandLine& command, std::ostream& out, std::ostream& err,
                ProjectOutput& output) {
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

    Generator generator(project, sink, output);
    // Listed without a flush per line; tied to out, err flushes the list before each message,
    // so the two streams still read in the order things happened.
    generator.setOutputListener(
        [&out](const std::string& nativePath) { out << nativePath << '\n'; });
    if (command.warnings)
        generator.setWarningListener([&err](const std::string& warning) {
            err << CLI_PROGRAM_NAME << ": warning: " << warning << '\n';
        });
    std::ostream* const previousTie = err.tie(&out);
    // The project file already set dllFlags; -1 keeps them.
    commitAndGenerate(project, -1, generator);
    err.tie(previousTie);
    out.flush();
    return sink.errorReported() ? EXIT_RUN_ERROR : EXIT_GENERATED;
}

int runVantrelGen(std::span<const std::string_view> arguments, std::ostream& out, std::ostream& err,
                  ProjectOutput& output) {
    const CommandLine command = parseCommandLine(arguments);
    switch (command.mode) {
    case CommandLine::Mode::Help:
        out << helpText();
        return EXIT_GENERATED;
    case CommandLine::Mode::Version:
        out << versionText();
        return EXIT_GENERATED;
    case CommandLine::Mode::UsageError:
        err << CLI_PROGRAM_NAME << ": " << command.error << '\n' << usageText();
        return EXIT_BAD_INPUT;
    case CommandLine::Mode::Generate:
        break;
    }
    return runHeadless(command, out, err, output);
}

} // namespace vantrel
