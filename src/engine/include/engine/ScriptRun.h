#pragma once

#include "engine/DirectiveProcessor.h"
#include "engine/LineExpander.h"
#include "engine/TemplateCache.h"
#include "engine/TemplateReader.h"
#include "fileutil/ProjectOutput.h"
#include "model/ProjectState.h"
#include "report/ErrorReporter.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// The generation script's commands: folders, copies and file sections, written through the
// run's output and reported through its sink.
class ScriptRun {
public:
    // Called with the native path of every folder created and every file written or copied.
    using OutputListener = std::function<void(const std::string& nativePath)>;

    ScriptRun(const ProjectState& project, MessageSink& sink, DirectiveProcessor& directives,
              const LineExpander& expander, ProjectOutput& output)
        : m_project(project)
        , m_sink(sink)
        , m_directives(directives)
        , m_expander(expander)
        , m_output(output) {}

    void setOutputListener(OutputListener listener) { m_listener = std::move(listener); }
    void setOutput(ProjectOutput& output) { m_output = output; }

    // Runs the script at a native path; false when it cannot be opened (reported) or stopped
    // on an error.
    bool run(const std::string& scriptPath);
    bool runScriptLines(TemplateReader& script);
    bool findFileSection(TemplateReader& reader, std::string_view sectionName);
    bool writeFileSection(TemplateReader& reader, std::string_view sectionName,
                          std::string_view targetName);
    // projectLocation, then "\" and each part that is given (joinPath: an empty location is the
    // working folder), placeholders expanded. The path keeps its "\" separators; nativePath
    // turns it into what the file system takes.
    std::string buildTargetPath(std::optional<std::string_view> first,
                                std::optional<std::string_view> second) const;
    // False only when the folder lies outside the project location (reported).
    bool createProjectDirectory(std::string_view folder);
    bool copyProjectFile(std::string_view word, std::string_view folder);

private:
    void announce(const std::string& nativePath) const;

    const ProjectState& m_project;
    MessageSink& m_sink;
    DirectiveProcessor& m_directives;
    const LineExpander& m_expander;
    std::reference_wrapper<ProjectOutput> m_output;
    OutputListener m_listener;
    TemplateCache m_templates; // the template files of the current run
    std::string m_scriptPath;  // native, as named in messages
};

} // namespace vantrel
