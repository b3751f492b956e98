#include "check/TemplateCheck.h"

#include "BlockCheck.h"
#include "Names.h"
#include "SectionCheck.h"

#include "config/TemplateSet.h"
#include "engine/KeywordValues.h"
#include "engine/LineExpander.h"
#include "engine/ScriptInterpreter.h"
#include "engine/TemplateReader.h"
#include "engine/TextScan.h"
#include "fileutil/FileStream.h"
#include "fileutil/FileSystem.h"
#include "fileutil/TextFile.h"

#include <algorithm>
#include <array>
#include <utility>

namespace vantrel {

namespace {

constexpr std::size_t NO_LINE = CompiledTemplate::NO_LINE;

// Keywords whose values are texts the user types freely (a menu path holds '\' by design).
constexpr std::array<KeywordId, 4> FREE_TEXT = {KW_ACDF_MENU, KW_ACDF_TB_NAME, KW_ACDF_TOOLTIPS,
                                                KW_ACDF_TB_PIC};

bool holdsSeparator(std::string_view text) {
    return text.find_first_of("\\/") != std::string_view::npos;
}

// One host's script, checked line by line with the project's values for that host.
class ScriptCheck {
public:
    ScriptCheck(const ProjectState& project, TemplateFiles& templates, DiagnosticList& found,
                const std::string& valuesSource)
        : m_project(project)
        , m_values(project)
        , m_expander(m_values)
        , m_templates(templates)
        , m_found(found)
        , m_valuesSource(valuesSource) {}

    // False when the script cannot be read.
    bool run(const std::string& path);

private:
    // A quoted argument: its text and the column of its first character.
    struct Argument {
        std::string text;
        std::size_t column = 0; // 0: missing
        bool closed = true;
    };
    Argument quotedArgument(std::string_view line, std::size_t& at) const;
    void error(std::size_t index, std::size_t column, std::string text) {
        m_found.error(m_path, index + 1, column, std::move(text));
    }
    void warning(std::size_t index, std::size_t column, std::string text) {
        m_found.warning(m_path, index + 1, column, std::move(text));
    }
    void note(std::size_t index, std::size_t column, std::string text) {
        m_found.note(m_path, index + 1, column, std::move(text));
    }
    void checkLine(std::size_t index, const BlockCheck& blocks);
    void otherLine(std::size_t index, std::string_view line);
    bool requireArgument(std::size_t index, const Argument& argument, std::size_t at,
                         std::string_view missing);
    void checkTargetPath(std::size_t index, const Argument& argument);
    void checkCopySource(std::size_t index, const std::string& word, std::size_t column);
    void useSection(std::size_t index, const Argument& section, const Argument& file,
                    std::size_t loopLine);

    const ProjectState& m_project;
    KeywordValues m_values;
    LineExpander m_expander;
    TemplateFiles& m_templates;
    DiagnosticList& m_found;
    const std::string& m_valuesSource;
    // Whether the project folder is made before a file is written into it, said once.
    void checkProjectFolder(std::size_t index);

    std::string m_path;
    TemplateReader::Content m_script;
    bool m_projectFolderMade = false;
    bool m_projectFolderSaid = false;
};

// A target path that begins with the project's folder, which the run puts before it already.
bool startsWithProjectFolder(std::string_view path) {
    constexpr std::string_view FOLDER = "%PROJECTNAME%";
    return path.size() >= FOLDER.size() &&
           equalsIgnoringCase(path.substr(0, FOLDER.size()), FOLDER) &&
           (path.size() == FOLDER.size() || path[FOLDER.size()] == '\\' ||
            path[FOLDER.size()] == '/');
}

void ScriptCheck::checkProjectFolder(std::size_t index) {
    if (m_projectFolderMade || std::exchange(m_projectFolderSaid, true))
        return;
    warning(index, 1,
            "no create_directory: makes the project folder before this line: a first run "
            "cannot write here (add create_directory: \"%PROJECTNAME%\" before it)");
}

bool ScriptCheck::run(const std::string& path) {
    m_path = path;
    m_script = TemplateReader::loadFile(path);
    if (!m_script)
        return false;
    BlockCheck blocks(*m_script, "the script", m_found);
    for (std::size_t index = 0; index < m_script->lineCount(); ++index) {
        const std::string_view line = m_script->line(index);
        // What the run passes over without a look.
        if (line.empty() || line.front() == '\0' || line.starts_with("//"))
            continue;
        if (line.front() == '@')
            blocks.directive(index);
        else
            checkLine(index, blocks);
    }
    blocks.finish();
    return true;
}

ScriptCheck::Argument ScriptCheck::quotedArgument(std::string_view line, std::size_t& at) const {
    Argument argument;
    const std::size_t used = readQuotedString(line.substr(at), argument.text);
    if (used == 0)
        return {};
    // Blanks, the opening quote, the text, and the closing quote unless the text ran to the end.
    const std::size_t textStart = line.find('"', at) + 1;
    const std::size_t textEnd = textStart + argument.text.size();
    argument.column = textStart + 1;
    argument.closed = textEnd < line.size() && line[textEnd] == '"';
    at += used;
    return argument;
}

bool ScriptCheck::requireArgument(std::size_t index, const Argument& argument, std::size_t at,
                                  std::string_view missing) {
    const std::string_view line = textOf(*m_script, index);
    if (argument.column == 0) {
        const std::size_t next = line.find_first_not_of(" \t", at);
        error(index, (next == std::string_view::npos ? line.size() : next) + 1,
              std::string(missing));
        return false;
    }
    if (!argument.closed)
        error(index, argument.column - 1, "the quote opened here is not closed");
    return argument.closed;
}

void ScriptCheck::checkLine(std::size_t index, const BlockCheck& blocks) {
    const std::string_view line = textOf(*m_script, index);
    std::size_t at = 0;
    if (line.starts_with(CMD_CREATE_DIRECTORY)) {
        at = CMD_CREATE_DIRECTORY.size();
        const Argument folder = quotedArgument(line, at);
        if (requireArgument(index, folder, at, "create_directory: needs a quoted folder name"))
            checkTargetPath(index, folder);
        m_projectFolderMade = m_projectFolderMade || startsWithProjectFolder(folder.text);
    } else if (line.starts_with(CMD_COPY_FILE)) {
        at = CMD_COPY_FILE.size();
        std::string word;
        const std::size_t used = readWord(line.substr(at), word);
        if (used == 0 || word.empty()) {
            requireArgument(index, {}, at, "copy_file: needs a source keyword and a quoted folder");
            return;
        }
        at += used;
        const std::size_t wordColumn = at - word.size() + 1;
        const Argument folder = quotedArgument(line, at);
        if (!requireArgument(index, folder, at,
                             "copy_file: needs a quoted folder after '" + word + "'"))
            return;
        checkCopySource(index, word, wordColumn);
        checkTargetPath(index, folder);
        checkProjectFolder(index);
    } else if (line.starts_with(CMD_CREATE_FILE) || line.starts_with(CMD_CREATE_FILE_ONCE)) {
        const bool once = line.starts_with(CMD_CREATE_FILE_ONCE);
        const std::string command(once ? CMD_CREATE_FILE_ONCE : CMD_CREATE_FILE);
        at = command.size();
        const Argument target = quotedArgument(line, at);
        if (!requireArgument(index, target, at,
                             command + " the quoted name of the target file is missing"))
            return;
        const Argument section = quotedArgument(line, at);
        if (!requireArgument(index, section, at, command + " the quoted section name is missing"))
            return;
        const Argument file = quotedArgument(line, at);
        if (!requireArgument(index, file, at,
                             command + " the quoted name of the template file is missing"))
            return;
        checkTargetPath(index, target);
        useSection(index, section, file, blocks.openLoop());
        checkProjectFolder(index);
        if (startsWithProjectFolder(target.text))
            warning(index, target.column,
                    "the run writes the file below the project folder already: this names a "
                    "folder of the project's name inside it");
        if (once)
            note(index, 1,
                 "write-once file " + quoted(target.text) +
                     ": written only where the project's record never had it, then yours");
    } else if (!line.starts_with(CMD_CREATE_DONE)) {
        otherLine(index, line);
    }
}

// The run passes over a line that begins with no command; a line of blanks is an empty line.
void ScriptCheck::otherLine(std::size_t index, std::string_view line) {
    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return;
    const std::string_view rest = line.substr(first);
    for (std::string_view start :
         {CMD_CREATE_DIRECTORY, CMD_COPY_FILE, CMD_CREATE_FILE, CMD_CREATE_FILE_ONCE,
          CMD_CREATE_DONE, std::string_view("@"), std::string_view("//")}) {
        if (rest.starts_with(start)) {
            error(index, 1,
                  "commands, directives and comments begin in the first column: the run "
                  "passes over this line");
            return;
        }
    }
    std::string word;
    readWord(rest, word);
    std::string hint =
        suggestion(word, {std::string(CMD_CREATE_DIRECTORY), std::string(CMD_COPY_FILE),
                          std::string(CMD_CREATE_FILE), std::string(CMD_CREATE_FILE_ONCE),
                          std::string(CMD_CREATE_DONE)});
    if (hint.empty())
        hint = " (comments begin with //)";
    error(index, first + 1, quoted(word) + " is no script command: the run passes over it" + hint);
}

void ScriptCheck::checkTargetPath(std::size_t index, const Argument& argument) {
    const std::vector<PlaceholderUse> uses = placeholdersOf(argument.text, m_values);
    checkPlaceholders(uses, m_values, m_found, m_path, index + 1, argument.column);
    for (const PlaceholderUse& use : uses) {
        if (!use.hasValue)
            continue;
        const std::size_t column = argument.column + use.open;
        const std::string prefix = quoted(use.text) + " in a target path: ";
        if (std::find(FREE_TEXT.begin(), FREE_TEXT.end(), use.id) != FREE_TEXT.end()) {
            warning(index, column, prefix + "its value is free text and may hold a path separator");
            continue;
        }
        // The value of every action, or of the empty action the run has before there is one.
        static const ActionDefinitions noAction(1);
        const ActionDefinitions& actions = m_project.actions.empty() ? noAction : m_project.actions;
        const std::string_view name = use.text.substr(1, use.text.size() - 2);
        for (const ActionDefinition& action : actions) {
            std::string value;
            m_values.appendValue(use.id, name, action, value);
            if (holdsSeparator(value)) {
                warning(index, column,
                        prefix + "its value " + quoted(value) + " holds a path separator");
                break;
            }
        }
    }
}

void ScriptCheck::checkCopySource(std::size_t index, const std::string& word, std::size_t column) {
    std::string fileName;
    const std::optional<std::string> source = m_values.placeholderValue(word, &fileName);
    if (!source || source->empty()) {
        error(index, column,
              "copy_file: " + quoted(word) +
                  " names no keyword or extra setting with a value: there is nothing to copy" +
                  suggestion(word, placeholderNames(m_project)));
        return;
    }
    const std::string path = nativePath(m_expander.expandPath(*source));
    FileStream stream;
    if (!stream.openRead(path)) {
        error(index, column,
              "cannot open the copy source " + quoted(path) + ", the value of " + word +
                  " (expanded with " + m_valuesSource + ")");
    }
}

void ScriptCheck::useSection(std::size_t index, const Argument& section, const Argument& file,
                             std::size_t loopLine) {
    TemplateFile& templateFile = m_templates.get(templateFilePath(m_project, file.text));
    if (!templateFile.content) {
        error(index, file.column, "cannot open the template file " + quoted(templateFile.path));
        return;
    }
    const CompiledTemplate& content = *templateFile.content;
    const CompiledTemplate::SectionSearch search = content.findSection(section.text);
    if (!search.found) {
        std::string text = "section " + quoted(section.text) + " not found in " + content.path();
        if (search.line != NO_LINE) {
            text += ": the filesection: without a name on line " + std::to_string(search.line + 1) +
                    " ends the search";
        } else {
            std::vector<std::string> names;
            for (const CompiledTemplate::Section& entry : content.sections()) {
                if (entry.name)
                    names.push_back(*entry.name);
            }
            text += suggestion(section.text, names);
        }
        error(index, section.column, std::move(text));
        return;
    }
    const auto& sections = content.sections();
    for (std::size_t i = 0; i < sections.size(); ++i) {
        if (sections[i].line == search.line)
            templateFile.uses[i].push_back({m_path, index, loopLine});
    }
}

} // namespace

void TemplateCheck::checkConfiguration(ProjectState& project, const std::string& path, bool named) {
    m_configPath = path;
    m_configLines.clear();
    const std::optional<std::string> text = readTextFile(path);
    if (!text) {
        if (named)
            m_found.error(path, 1, 1, "cannot open the configuration file");
        else
            m_found.warning(path, 1, 1, "no configuration file: the settings keep their defaults");
        return;
    }
    m_configLines = readConfigurationText(project, *text);
    std::vector<std::string> settingNames;
    for (const ProjectState::SettingField& setting : ProjectState::settingFields())
        settingNames.emplace_back(setting.key);
    for (const ConfigurationLine& line : m_configLines) {
        const std::string key = quoted(line.key);
        switch (line.kind) {
        case ConfigurationLine::Kind::Setting:
            if (!line.valueRead)
                m_found.warning(path, line.number, line.keyColumn,
                                "setting " + key + " has no quoted value: the line is ignored");
            break;
        case ConfigurationLine::Kind::ExtraSetting:
            // The keyword is found first, so the setting is never used.
            if (lookupKeyword("%" + line.key + "%") != KW_NONE)
                m_found.warning(path, line.number, line.keyColumn,
                                "extra setting " + key + " is hidden by the keyword %" + line.key +
                                    "%");
            break;
        case ConfigurationLine::Kind::Comment: {
            // A line without "=" after its first word is a comment, as the file's readers know.
            if (!line.assigns)
                break;
            const bool known = std::any_of(
                std::as_const(m_configLines).data(), &line, [&](const ConfigurationLine& earlier) {
                    return earlier.kind == ConfigurationLine::Kind::ExtraSetting &&
                           earlier.key == line.key;
                });
            std::string message;
            if (known) {
                message = "extra setting " + key + " is set again: the first value counts";
            } else if (std::string hint = suggestion(line.key, settingNames); !hint.empty()) {
                message = key + " is no setting: the line is ignored" + hint;
            } else {
                message = key + " is no setting, nor an extra setting (a name, '=' and two "
                                "quoted values): the line is ignored";
            }
            m_found.warning(path, line.number, line.keyColumn, std::move(message));
            break;
        }
        }
    }
    if (!project.templatenotes.empty())
        checkNotes(project);
}

std::pair<std::size_t, std::size_t> TemplateCheck::settingPlace(std::string_view key) const {
    std::pair<std::size_t, std::size_t> place{1, 1};
    for (const ConfigurationLine& setting : m_configLines)
        if (setting.kind == ConfigurationLine::Kind::Setting && setting.valueRead &&
            equalsIgnoringCase(setting.key, key))
            place = {setting.number, setting.keyColumn};
    return place;
}

void TemplateCheck::checkNotes(const ProjectState& project) {
    const std::string path = nativePath(project.templatenotes);
    const std::optional<std::string> text = readTextFile(path);
    if (!text) {
        const auto [line, column] = settingPlace("templatenotes");
        m_found.warning(m_configPath, line, column,
                        "cannot open the template notes " + quoted(path));
        return;
    }
    const TemplateNotes notes = readTemplateNotes(*text);
    for (const NotesProblem& problem : notes.problems)
        m_found.warning(path, problem.line, 1, problem.text);
    const std::string& version = project.templateversion;
    if (version.empty())
        return;
    bool noted = false;
    for (const VersionNotes& section : notes.versions) {
        const int order = compareVersions(section.version, version);
        noted = noted || order == 0;
        // Notes written ahead of the version: its setting was not raised with them.
        if (order > 0)
            m_found.warning(path, section.line, 1,
                            "notes of version " + section.version +
                                ", newer than the configuration's templateversion " +
                                quoted(version));
    }
    if (!noted) {
        const auto [line, column] = settingPlace("templateversion");
        m_found.warning(m_configPath, line, column,
                        "the template notes " + quoted(path) + " have no section for version " +
                            quoted(version));
    }
}

void TemplateCheck::checkGeneration(const ProjectState& project, const std::string& valuesSource) {
    ProjectState base = project;
    base.projectName = base.nameText;
    base.projectLocation = base.locationBase;
    base.selectAction(0);
    struct Host {
        bool dov;
        const char* name;
        const char* key;
    };
    std::vector<Host> hosts;
    if (!project.dovHost)
        hosts.push_back({false, "Kel", "keltemplate"});
    if (!project.kelHost)
        hosts.push_back({true, "Dov", "dovtemplate"});
    TemplateFiles templates;
    for (const Host& host : hosts) {
        ProjectState hostProject = base;
        hostProject.dovHost = host.dov ? 1 : 0;
        hostProject.kelHost = host.dov ? 0 : 1;
        const std::string script =
            nativePath(host.dov ? hostProject.dovtemplate : hostProject.keltemplate);
        ScriptCheck check(hostProject, templates, m_found, valuesSource);
        if (check.run(script))
            continue;
        // Named by the configuration line that set it, or by the file as a whole.
        const auto [line, column] = settingPlace(host.key);
        m_found.error(m_configPath, line, column,
                      "cannot open the " + std::string(host.name) + " script " + quoted(script));
    }
    SectionCheck sections(base, m_found);
    for (TemplateFile& file : templates.all())
        sections.check(file);
}

} // namespace vantrel
