#include "engine/ScriptInterpreter.h"

#include "engine/TextScan.h"
#include "fileutil/FileSystem.h"

#include <algorithm>
#include <new>
#include <vector>

namespace vantrel {

namespace {

constexpr std::string_view MAIN_LOOP = "MAIN_LOOP";

bool isNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// The '%' pairs of a template line that name no keyword and no extra setting and stand in what
// the line made: written as they stand. Short names are C text ("%s%d" in a format string).
std::vector<std::string> placeholdersLeft(std::string_view line, std::string_view made,
                                          const KeywordValues& values) {
    std::vector<std::string> left;
    for (std::size_t open = line.find('%'); open != std::string_view::npos;) {
        const std::size_t close = line.find('%', open + 1);
        if (close == std::string_view::npos)
            break;
        const std::string_view name = line.substr(open + 1, close - open - 1);
        const std::string_view pair = line.substr(open, close - open + 1);
        if (name.size() >= 4 && std::all_of(name.begin(), name.end(), isNameCharacter) &&
            lookupKeyword(pair) == KW_NONE && !values.extraSetting(name) &&
            made.find(pair) != std::string_view::npos)
            left.emplace_back(pair);
        open = line.find('%', close + 1);
    }
    return left;
}

} // namespace

bool ScriptInterpreter::run(const std::string& scriptPath) {
    m_templates.clear();
    m_warned.clear();
    m_summary = RunSummary{};
    m_output.get().setLocation(nativePath(m_project.projectLocation));
    m_scriptPath = scriptPath;
    TemplateReader reader;
    TemplateReader::Content script = TemplateReader::loadFile(m_scriptPath, m_read);
    if (!script) {
        reportError(m_sink, ErrorKind::ERR_SCRIPT_OPEN, m_scriptPath);
        return false;
    }
    reader.openContent(std::move(script));
    return runScriptLines(reader);
}

bool ScriptInterpreter::runScriptLines(TemplateReader& script) {
    // Messages of the commands name the script line; a place is made only for a message.
    m_script = &script;
    const struct Forget {
        const TemplateReader*& script;
        ~Forget() { script = nullptr; }
    } forget{m_script};
    std::string first;
    std::string second;
    std::string third;
    while (script.readLine()) {
        if (m_stop.stop_requested())
            return false;
        // The line stays valid while the reader holds its text, even when a directive moves it.
        const std::string_view line = script.line();
        const auto badLine = [&] {
            reportError(m_sink, commandPlace(), ErrorKind::ERR_TEMPLATE, m_scriptPath, line);
            return false;
        };
        if (line.empty() || line.front() == '\0' || line.starts_with("//"))
            continue;
        if (line.front() == '@') {
            const std::size_t directiveLine = script.lineIndex(); // the reader may move
            if (!m_directives.processDirectiveLine(script)) {
                reportError(m_sink, m_directives.faultPlace(script, directiveLine),
                            ErrorKind::ERR_TEMPLATE, MAIN_LOOP, "");
                return false;
            }
            continue;
        }
        std::string_view rest = line;
        if (line.starts_with(CMD_CREATE_DIRECTORY)) {
            rest.remove_prefix(CMD_CREATE_DIRECTORY.size());
            if (readQuotedString(rest, first) == 0)
                return badLine();
            if (!createProjectDirectory(first))
                return false;
        } else if (line.starts_with(CMD_COPY_FILE)) {
            rest.remove_prefix(CMD_COPY_FILE.size());
            const std::size_t used = readWord(rest, first);
            if (used == 0 || readQuotedString(rest.substr(used), second) == 0)
                return badLine();
            if (!copyProjectFile(first, second))
                return false;
        } else if (line.starts_with(CMD_CREATE_FILE) || line.starts_with(CMD_CREATE_FILE_ONCE)) {
            const bool once = line.starts_with(CMD_CREATE_FILE_ONCE);
            rest.remove_prefix(once ? CMD_CREATE_FILE_ONCE.size() : CMD_CREATE_FILE.size());
            std::size_t used = readQuotedString(rest, first);
            if (used == 0)
                return badLine();
            rest.remove_prefix(used);
            used = readQuotedString(rest, second);
            if (used == 0)
                return badLine();
            rest.remove_prefix(used);
            if (readQuotedString(rest, third) == 0)
                return badLine();
            const std::string templatePath = templateFilePath(m_project, third);
            // Read once per run; each command still gets a reader of its own.
            TemplateReader::Content content = m_templates.load(templatePath, m_read);
            if (!content) {
                // A missing template is shown, and the script goes on.
                reportError(m_sink, commandPlace(), ErrorKind::ERR_TEMPLATE, MAIN_LOOP,
                            templatePath);
                continue;
            }
            TemplateReader templateReader;
            templateReader.openContent(std::move(content));
            if (!writeFileSection(templateReader, second, first, once))
                return false;
        } else if (line.starts_with(CMD_CREATE_DONE)) {
            return true;
        }
    }
    return true;
}

bool ScriptInterpreter::findFileSection(TemplateReader& reader, std::string_view sectionName) {
    const TemplateReader::Content& content = reader.content();
    if (!content)
        return false;
    const CompiledTemplate::SectionSearch search = content->findSection(sectionName);
    if (search.line == CompiledTemplate::NO_LINE) {
        reader.seekLine(content->lineCount());
        reader.readLine();
        return false;
    }
    reader.moveTo(search.line); // on the "filesection:" line; the body is read next
    return search.found;
}

bool ScriptInterpreter::writeFileSection(TemplateReader& reader, std::string_view sectionName,
                                         std::string_view targetName, bool once) {
    const std::string target = nativePath(buildTargetPath("%PROJECTNAME%", targetName));
    if (!findFileSection(reader, sectionName)) {
        reportError(m_sink, writing(commandPlace(), target), ErrorKind::ERR_SECTION_NOT_FOUND,
                    m_scriptPath, sectionName);
        return false;
    }
    ProjectOutput& output = m_output.get();
    if (once)
        output.nextFileOnce();
    switch (output.openFile(target)) {
    case ProjectOutput::FileOpen::Failed:
        reportError(m_sink, writing(commandPlace(), target), ErrorKind::ERR_OPEN_FILE, target);
        return false;
    case ProjectOutput::FileOpen::Created:
        // A file that was not there is no kept template: no need to ask for its identity.
        m_templates.forgetAbsent();
        break;
    case ProjectOutput::FileOpen::Replaced:
        m_templates.forget(target, output.existingIdentity());
        break;
    }
    const CompiledTemplate& content = *reader.content();
    std::string& pending = output.pending();
    // A file that holds this run's text already gets its section's directives only: they move
    // the current action for what follows. Lines that may warn are made when warnings are asked.
    const bool textThere = !m_warn && !m_observer && m_knownText && m_knownText();
    if (m_observer)
        m_observer->fileStarted(target, content.path(), sectionName, loopAction());
    while (reader.readLine()) {
        const std::string_view line = reader.line();
        if (line.starts_with(SECTION_END))
            break;
        if (!line.empty() && line.front() == '@') {
            const std::size_t directiveLine = reader.lineIndex(); // the reader may move
            if (!m_directives.processDirectiveLine(reader)) {
                reportError(m_sink, writing(m_directives.faultPlace(reader, directiveLine), target),
                            ErrorKind::ERR_TEMPLATE, sectionName, targetName);
                // The lines written so far stay: the listing and the counts name the file.
                if (output.closeFile() == ProjectOutput::Closed::Written)
                    count(m_summary.filesWritten, target);
                return false;
            }
            continue;
        }
        if (textThere)
            continue;
        // A line far beyond the memory there is cannot be written: it fails as a write does.
        bool written = true;
        try {
            std::string stoppedAt;
            const std::size_t start = pending.size();
            if (!m_expander.appendLine(line, content.linePlan(reader.lineIndex()), pending,
                                       &stoppedAt))
                warnStopped(stoppedAt, "section \"" + std::string(sectionName) + "\" of " + target,
                            writing(reader.place(), target));
            const std::string_view made = std::string_view(pending).substr(start);
            if (m_observer)
                m_observer->lineMade(made, made != line, reader.lineIndex() + 1, loopAction());
            if (m_warn)
                for (const std::string& pair : placeholdersLeft(line, made, m_expander.values()))
                    if (m_warned
                            .insert(reader.place().file + ":" +
                                    std::to_string(reader.place().line) + pair)
                            .second)
                        m_warn("'" + pair + "'" +
                                   " names no keyword and no extra setting; it is written as it "
                                   "stands",
                               writing(reader.place(), target));
            // Handed on in pieces, not a line at a time.
            if (pending.size() >= ProjectOutput::PIECE_SIZE)
                written = output.writePending();
        } catch (const std::bad_alloc&) {
            pending.clear();
            written = false;
        }
        if (!written) {
            reportError(m_sink, writing(commandPlace(), target), ErrorKind::ERR_OPEN_FILE, target);
            output.closeFile();
            return false;
        }
    }
    const ProjectOutput::Closed closed = output.closeFile();
    if (closed == ProjectOutput::Closed::Failed) {
        reportError(m_sink, writing(commandPlace(), target), ErrorKind::ERR_OPEN_FILE, target);
        return false;
    }
    count(closed == ProjectOutput::Closed::Written     ? m_summary.filesWritten
          : closed == ProjectOutput::Closed::Unchanged ? m_summary.unchanged
                                                       : m_summary.kept,
          target);
    return true;
}

std::string ScriptInterpreter::buildTargetPath(std::optional<std::string_view> first,
                                               std::optional<std::string_view> second) const {
    std::string path = m_project.projectLocation;
    if (first)
        path = joinPath(path, *first);
    if (second)
        path = joinPath(path, *second);
    return expandPath(std::move(path));
}

std::string ScriptInterpreter::expandPath(std::string path) const {
    std::string stoppedAt;
    std::string expanded = m_expander.expandPath(path, &stoppedAt);
    if (!stoppedAt.empty())
        warnStopped(stoppedAt, "the path " + nativePath(path), commandPlace());
    return expanded;
}

void ScriptInterpreter::warnStopped(std::string_view placeholder, std::string_view where,
                                    const MessagePlace& place) const {
    if (m_warn)
        m_warn("expansion of " + std::string(placeholder) + " stopped in " + std::string(where) +
                   ": a value feeds its own placeholder; the rest is kept as it stands",
               place);
}

MessagePlace ScriptInterpreter::commandPlace() const {
    return m_script ? m_script->place() : MessagePlace{};
}

bool ScriptInterpreter::createProjectDirectory(std::string_view folder) {
    const std::string path = nativePath(buildTargetPath(folder, std::nullopt));
    std::vector<std::string> made;
    std::string refused;
    if (!m_output.get().createFolder(path, made, refused)) {
        reportError(m_sink, commandPlace(), ErrorKind::ERR_OPEN_FILE, refused);
        return false;
    }
    for (const std::string& madeFolder : made)
        count(m_summary.foldersCreated, madeFolder);
    return true;
}

bool ScriptInterpreter::copyProjectFile(std::string_view word, std::string_view folder) {
    std::string fileName;
    const std::optional<std::string> source = m_expander.values().placeholderValue(word, &fileName);
    if (!source || source->empty()) {
        reportError(m_sink, commandPlace(), ErrorKind::ERR_OPEN_FILE, word);
        return false;
    }
    const std::string sourcePath = nativePath(expandPath(*source));
    const std::string target =
        nativePath(fileName.empty() ? buildTargetPath(folder, std::nullopt)
                                    : buildTargetPath(folder, std::string_view(fileName)));
    // Forgotten while the old file still stands: a replacement is a new file in its place.
    m_templates.forget(target);
    if (m_observer)
        m_observer->fileCopied(target, sourcePath);
    switch (m_output.get().copyFile(sourcePath, target)) {
    case ProjectOutput::Copy::SourceUnreadable:
        reportError(m_sink, commandPlace(), ErrorKind::ERR_OPEN_FILE, sourcePath);
        return false;
    case ProjectOutput::Copy::Refused:
        reportError(m_sink, commandPlace(), ErrorKind::ERR_OPEN_FILE, target);
        return false;
    case ProjectOutput::Copy::Done:
        count(m_summary.filesCopied, target);
        break;
    case ProjectOutput::Copy::Unchanged:
        count(m_summary.unchanged, target);
        break;
    case ProjectOutput::Copy::Kept:
        count(m_summary.kept, target);
        break;
    }
    return true;
}

MessagePlace ScriptInterpreter::writing(MessagePlace place, const std::string& target) const {
    place.context = "writing " + target;
    if (const std::optional<std::size_t> action = loopAction();
        action && *action < m_project.actions.size())
        place.context += ", action " + m_project.actions[*action].name;
    return place;
}

std::optional<std::size_t> ScriptInterpreter::loopAction() const {
    const GeneratorState& loop = m_directives.state();
    if (!loop.loopRunning() || loop.loopKind != KW_ALL_ACTIONS)
        return std::nullopt;
    return static_cast<std::size_t>(loop.loopCounter);
}

std::string templateFilePath(const ProjectState& project, std::string_view fileName) {
    return nativePath(joinPath(project.templatedirectory, fileName));
}

void ScriptInterpreter::count(std::size_t& counter, const std::string& nativePath) {
    ++counter;
    // The listing names what the run wrote: a file left as it was is only counted.
    if (m_listener && &counter != &m_summary.unchanged && &counter != &m_summary.kept)
        m_listener(nativePath);
}

} // namespace vantrel
