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
#include <set>
#include <stop_token>
#include <string>
#include <string_view>

namespace vantrel {

// What a run did: every target it listed falls under one count.
struct RunSummary {
    std::size_t foldersCreated = 0;
    std::size_t filesWritten = 0;
    std::size_t filesCopied = 0;
    std::size_t unchanged = 0; // held the very bytes the run made, and were left alone
    std::size_t kept = 0;      // left as they are by the user's choice
};

// The commands a script line begins with.
inline constexpr std::string_view CMD_CREATE_DIRECTORY = "create_directory:";
inline constexpr std::string_view CMD_COPY_FILE = "copy_file:";
inline constexpr std::string_view CMD_CREATE_FILE = "create_file:";
inline constexpr std::string_view CMD_CREATE_DONE = "create_done:";
// As create_file:, for a file that is the user's once written: only a project whose record
// never had it gets it.
inline constexpr std::string_view CMD_CREATE_FILE_ONCE = "create_file_once:";

// Told what the file sections of a run make, line by line, and what it copies, for a preview or
// an explanation of where each line comes from. Nothing is told without one, and no line is
// skipped with one. An action is the one a loop over the actions stands on; none outside one.
class SectionObserver {
public:
    virtual ~SectionObserver() = default;
    // A file section of a template file starts on target (native).
    virtual void fileStarted(const std::string& target, const std::string& templateFile,
                             std::string_view section, std::optional<std::size_t> action) = 0;
    // One template line's expansion (line counted from 1), as appended to the file;
    // placeholders: some of it came from a placeholder's value.
    virtual void lineMade(std::string_view text, bool placeholders, std::size_t templateLine,
                          std::optional<std::size_t> action) = 0;
    // A file copied from source (native).
    virtual void fileCopied(const std::string& target, const std::string& source) = 0;
};

// The generation script's commands: folders, copies and file sections, written through the
// run's output and reported through its sink.
class ScriptInterpreter {
public:
    // Called with the native path of every folder created and every file written or copied.
    using OutputListener = std::function<void(const std::string& nativePath)>;

    ScriptInterpreter(const ProjectState& project, MessageSink& sink,
                      DirectiveProcessor& directives, const LineExpander& expander,
                      ProjectOutput& output)
        : m_project(project)
        , m_sink(sink)
        , m_directives(directives)
        , m_expander(expander)
        , m_output(output) {}

    void setOutputListener(OutputListener listener) { m_listener = std::move(listener); }
    // Called with the text of each warning, a runaway expansion that a bound stopped, and the
    // script or template line it comes from.
    using WarningListener =
        std::function<void(const std::string& warning, const MessagePlace& place)>;
    void setWarningListener(WarningListener listener) { m_warn = std::move(listener); }
    // Asked right after a file is opened whether it holds the very text this run makes for it
    // already (a record of an earlier run from the same inputs can tell): its lines need not be
    // made then, and it is closed as any other.
    using KnownText = std::function<bool()>;
    void setKnownText(KnownText known) { m_knownText = std::move(known); }
    // Where the script and template files are read from; the disk when empty.
    void setInputReader(TemplateReader::InputReader read) { m_read = std::move(read); }
    void setSectionObserver(SectionObserver* observer) { m_observer = observer; }
    // Once a stop is asked for, the run ends before its next script line, as if it had failed.
    void setStopToken(std::stop_token stop) { m_stop = std::move(stop); }

    // Runs the script at a native path; false when it cannot be opened (reported) or stopped
    // on an error.
    bool run(const std::string& scriptPath);
    bool runScriptLines(TemplateReader& script);
    bool findFileSection(TemplateReader& reader, std::string_view sectionName);
    bool writeFileSection(TemplateReader& reader, std::string_view sectionName,
                          std::string_view targetName, bool once = false);
    // projectLocation, then "\" and each part that is given (joinPath: an empty location is the
    // working folder), placeholders expanded. The path keeps its "\" separators; nativePath
    // turns it into what the file system takes.
    std::string buildTargetPath(std::optional<std::string_view> first,
                                std::optional<std::string_view> second) const;
    // False only when the folder lies outside the project location (reported).
    bool createProjectDirectory(std::string_view folder);
    bool copyProjectFile(std::string_view word, std::string_view folder);

    // What the last run did, target by target.
    const RunSummary& summary() const { return m_summary; }

private:
    // Counts a target the run made or went through and lists it.
    void count(std::size_t& counter, const std::string& nativePath);
    // A placeholder in a target path or copy source expanded with its bound's report.
    std::string expandPath(std::string path) const;
    void warnStopped(std::string_view placeholder, std::string_view where,
                     const MessagePlace& place) const;
    // The script line of the command being carried out; unknown outside a script's lines.
    MessagePlace commandPlace() const;
    // The action a loop over the actions stands on; none outside such a loop.
    std::optional<std::size_t> loopAction() const;
    // A place of a message met while writing target, saying so and naming the loop's action.
    MessagePlace writing(MessagePlace place, const std::string& target) const;

    const ProjectState& m_project;
    MessageSink& m_sink;
    DirectiveProcessor& m_directives;
    const LineExpander& m_expander;
    std::reference_wrapper<ProjectOutput> m_output;
    OutputListener m_listener;
    WarningListener m_warn;
    KnownText m_knownText;
    TemplateReader::InputReader m_read;
    SectionObserver* m_observer = nullptr;
    std::stop_token m_stop;
    std::set<std::string> m_warned; // the placeholders written as they stand, by place
    TemplateCache m_templates;      // the template files of the current run
    std::string m_scriptPath;       // native, as named in messages
    RunSummary m_summary;

    // The script whose lines are being carried out; null outside runScriptLines.
    const TemplateReader* m_script = nullptr;
};

// The native path of the template file that a create_file: line names.
std::string templateFilePath(const ProjectState& project, std::string_view fileName);

} // namespace vantrel
