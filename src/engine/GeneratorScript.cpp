#include "engine/Generator.h"

#include "engine/TextScan.h"
#include "fileutil/FileStream.h"
#include "fileutil/FileSystem.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

namespace vantrel {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view CMD_CREATE_DIRECTORY = "create_directory:";
constexpr std::string_view CMD_COPY_FILE = "copy_file:";
constexpr std::string_view CMD_CREATE_FILE = "create_file:";
constexpr std::string_view CMD_CREATE_DONE = "create_done:";
constexpr std::string_view SECTION_START = "filesection:";
constexpr std::string_view SECTION_END = "filesectionend:";
constexpr std::string_view MAIN_LOOP = "MAIN_LOOP";

// Generated text files end their lines as the platform's text files do.
#ifdef _WIN32
constexpr std::string_view LINE_END = "\r\n";
#else
constexpr std::string_view LINE_END = "\n";
#endif

// A generated text file, written line by line as the lines come out. Every write and the close
// are checked, so a full disk is never taken for a finished file.
class TargetFile {
public:
    bool open(const std::string& nativePath) {
        m_file.reset(std::fopen(nativePath.c_str(), "wb"));
        if (m_file == nullptr)
            return false;
        // One buffer large enough for the usual file: one write, no size query of the file.
        std::setvbuf(m_file.get(), m_buffer.data(), _IOFBF, m_buffer.size());
        return true;
    }

    bool write(std::string_view text) {
        if constexpr (LINE_END == "\n")
            return put(text);
        std::size_t begin = 0;
        while (begin < text.size()) {
            const std::size_t end = text.find('\n', begin);
            const std::size_t stop = end == std::string_view::npos ? text.size() : end;
            if (!put(text.substr(begin, stop - begin)))
                return false;
            if (end == std::string_view::npos)
                break;
            if (!put(LINE_END))
                return false;
            begin = end + 1;
        }
        return true;
    }

    bool close() {
        std::FILE* file = m_file.release();
        return file != nullptr && std::fclose(file) == 0;
    }

private:
    bool put(std::string_view text) {
        return text.empty() ||
               std::fwrite(text.data(), 1, text.size(), m_file.get()) == text.size();
    }

    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::array<char, 65536> m_buffer; // outlives m_file, declared before it
    std::unique_ptr<std::FILE, Closer> m_file;
};

// The path made absolute, with the folders that exist resolved (links included) and the rest
// normalised lexically, so ".." and links that lead out are seen for what they are.
fs::path resolvedPath(const std::string& nativePath) {
    std::error_code error;
    const fs::path path = nativePath.empty() ? fs::path(".") : fs::path(nativePath);
    fs::path absolute = fs::absolute(path, error);
    if (error)
        return path.lexically_normal();
    // A link whose target does not exist yet is kept as a name by weakly_canonical, but
    // opening it for writing creates that target, wherever it lies: follow it by hand.
    for (int hop = 0; hop < 40 && fs::is_symlink(fs::symlink_status(absolute, error)); ++hop) {
        const fs::path target = fs::read_symlink(absolute, error);
        if (error)
            break;
        absolute = target.is_absolute() ? target : absolute.parent_path() / target;
    }
    fs::path resolved = fs::weakly_canonical(absolute, error);
    if (error)
        return absolute.lexically_normal();
    return resolved;
}

std::vector<std::string> pathElements(const fs::path& path) {
    std::vector<std::string> elements;
    for (const fs::path& element : path) {
        if (!element.empty() && element != ".")
            elements.push_back(element.string());
    }
    return elements;
}

bool liesWithin(const std::vector<std::string>& base, const std::vector<std::string>& target) {
    if (target.size() < base.size())
        return false;
    for (std::size_t i = 0; i < base.size(); ++i) {
        if (base[i] != target[i])
            return false;
    }
    return true;
}

bool isRealFolder(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    return !error && fs::is_directory(status);
}

bool sameFile(const std::string& first, const std::string& second) {
    std::error_code error;
    return fs::equivalent(first, second, error) && !error;
}

} // namespace

bool Generator::runGeneration() {
    m_project.selectAction(0);
    m_state.reset();
    m_templates.clear();
    m_resolvedFolders.clear();
    const std::string& script = m_project.dovHost ? m_project.dovtemplate : m_project.keltemplate;
    m_scriptPath = nativePath(script);
    TemplateReader reader;
    if (!reader.open(m_scriptPath)) {
        reportError(m_sink, ErrorKind::ERR_SCRIPT_OPEN, m_scriptPath);
        return false;
    }
    return runScriptLines(reader);
}

bool Generator::runScriptLines(TemplateReader& script) {
    std::string first;
    std::string second;
    std::string third;
    while (script.readLine()) {
        // A copy: a directive may move the reader and replace its line.
        const std::string line = script.line();
        const auto badLine = [&] {
            reportError(m_sink, ErrorKind::ERR_TEMPLATE, m_scriptPath, line);
            return false;
        };
        if (line.empty() || line.front() == '\0' || line.starts_with("//"))
            continue;
        if (line.front() == '@') {
            if (!processDirectiveLine(script)) {
                reportError(m_sink, ErrorKind::ERR_TEMPLATE, MAIN_LOOP, "");
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
        } else if (line.starts_with(CMD_CREATE_FILE)) {
            rest.remove_prefix(CMD_CREATE_FILE.size());
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
            const std::string templatePath = nativePath(m_project.templatedirectory + "\\" + third);
            // Read once per run; each command still gets a reader of its own.
            TemplateReader::Content content = m_templates.load(templatePath);
            if (!content) {
                // A missing template is shown, and the script goes on.
                reportError(m_sink, ErrorKind::ERR_TEMPLATE, MAIN_LOOP, templatePath);
                continue;
            }
            TemplateReader templateReader;
            templateReader.openContent(std::move(content));
            if (!writeFileSection(templateReader, second, first))
                return false;
        } else if (line.starts_with(CMD_CREATE_DONE)) {
            return true;
        }
    }
    return true;
}

bool Generator::findFileSection(TemplateReader& reader, std::string_view sectionName) {
    // A kept text's section lines are listed once; the reader ends where the scan would. A
    // reader without text has no section.
    ContentPlans* plans = plansOf(reader);
    if (!plans)
        return false;
    if (!plans->sections) {
        plans->sections.emplace();
        reader.rewind();
        std::string word;
        while (reader.readLine()) {
            const std::string& line = reader.line();
            if (!line.starts_with(SECTION_START))
                continue;
            std::optional<std::string> name;
            if (readWord(std::string_view(line).substr(SECTION_START.size()), word) != 0)
                name = word;
            plans->sections->emplace_back(reader.lineStart(), std::move(name));
        }
    }
    for (const auto& [start, name] : *plans->sections) {
        if (!name || equalsIgnoringCase(*name, sectionName)) {
            reader.seek(start);
            reader.readLine();
            return name.has_value();
        }
    }
    reader.seek(static_cast<std::int64_t>(reader.content()->size()));
    reader.readLine();
    return false;
}

bool Generator::writeFileSection(TemplateReader& reader, std::string_view sectionName,
                                 std::string_view targetName) {
    if (!findFileSection(reader, sectionName)) {
        reportError(m_sink, ErrorKind::ERR_SECTION_NOT_FOUND, m_scriptPath, sectionName);
        return false;
    }
    const std::string target = nativePath(buildTargetPath("%PROJECTNAME%", targetName));
    bool absent = false;
    if (!confineToLocation(target, &absent))
        return false;
    // A file that is not there yet is no kept template: no need to ask for its identity.
    if (absent)
        m_templates.forgetAbsent();
    else
        m_templates.forget(target);
    TargetFile file;
    if (!file.open(target)) {
        reportError(m_sink, ErrorKind::ERR_OPEN_FILE, target);
        return false;
    }
    std::string expanded;
    while (reader.readLine()) {
        const std::string& line = reader.line();
        if (line.starts_with(SECTION_END))
            break;
        if (!line.empty() && line.front() == '@') {
            if (!processDirectiveLine(reader)) {
                reportError(m_sink, ErrorKind::ERR_TEMPLATE, sectionName, targetName);
                file.close(); // the lines written so far stay
                return false;
            }
            continue;
        }
        expandCurrentLine(reader, expanded);
        if (!file.write(expanded)) {
            reportError(m_sink, ErrorKind::ERR_OPEN_FILE, target);
            return false;
        }
    }
    if (!file.close()) {
        reportError(m_sink, ErrorKind::ERR_OPEN_FILE, target);
        return false;
    }
    announce(target);
    return true;
}

std::string Generator::buildTargetPath(std::optional<std::string_view> first,
                                       std::optional<std::string_view> second) const {
    std::string path = m_project.projectLocation;
    if (first)
        path.append("\\").append(*first);
    if (second)
        path.append("\\").append(*second);
    return expandPath(std::move(path));
}

bool Generator::createProjectDirectory(std::string_view folder) {
    const std::string path = nativePath(buildTargetPath(folder, std::nullopt));
    if (!confineToLocation(path))
        return false;
    // The folders missing now, innermost first, to list those that the creation made.
    std::vector<std::string> missing;
    fs::path walk = fs::path(path);
    while (!walk.empty() && !walk.has_filename() && walk.has_parent_path() &&
           walk.parent_path() != walk)
        walk = walk.parent_path();
    while (!walk.empty() && !directoryExists(walk.string())) {
        missing.push_back(walk.string());
        if (!walk.has_parent_path() || walk.parent_path() == walk)
            break;
        walk = walk.parent_path();
    }
    // Each missing folder is made in turn, so one such as "out/../elsewhere" would be left
    // outside even when the whole path, normalised, lies inside.
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (!confineToLocation(*it))
            return false;
    }
    createDirectoryPath(path); // a folder that cannot be made shows when a file is written
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (directoryExists(*it))
            announce(*it);
    }
    return true;
}

bool Generator::copyProjectFile(std::string_view word, std::string_view folder) {
    std::string fileName;
    const std::optional<std::string> source = placeholderValue(word, &fileName);
    if (!source || source->empty()) {
        reportError(m_sink, ErrorKind::ERR_OPEN_FILE, word);
        return false;
    }
    const std::string sourcePath = nativePath(expandPath(*source));
    const std::string target =
        nativePath(fileName.empty() ? buildTargetPath(folder, std::nullopt)
                                    : buildTargetPath(folder, std::string_view(fileName)));

    FileStream input;
    if (!input.openRead(sourcePath)) {
        reportError(m_sink, ErrorKind::ERR_OPEN_FILE, sourcePath);
        return false;
    }
    if (!confineToLocation(target))
        return false;
    // Opening a file onto itself for writing would empty it: it is in place already.
    if (sameFile(sourcePath, target)) {
        announce(target);
        return true;
    }
    m_templates.forget(target);
    FileStream output;
    if (!output.openWrite(target)) {
        reportError(m_sink, ErrorKind::ERR_OPEN_FILE, target);
        return false;
    }
    const std::int32_t size = input.size();
    const int copied = input.copyTo(output, -1);
    input.close();
    const bool closed = output.close() == 0;
    if (copied != size || !closed) {
        reportError(m_sink, ErrorKind::ERR_OPEN_FILE, target);
        return false;
    }
    announce(target);
    return true;
}

// The elements of resolvedPath. A file in a folder that exists is that folder's resolution and
// its own name, unless the name is a link or a step; the folders are resolved once per run.
std::vector<std::string> Generator::resolvedElements(const std::string& nativePath, bool* absent) {
    const fs::path path(nativePath);
    const fs::path name = path.filename();
    const fs::path folder = path.parent_path();
    std::error_code error;
    bool plainName = !name.empty() && name != "." && name != ".." && !folder.empty();
    if (plainName) {
        const fs::file_status status = fs::symlink_status(path, error);
        plainName = !fs::is_symlink(status);
        if (absent)
            *absent = status.type() == fs::file_type::not_found;
    }
    if (!plainName) {
        // The location itself comes here for every target: once it exists, it resolves once.
        if (const auto known = m_resolvedFolders.find(nativePath); known != m_resolvedFolders.end())
            return known->second;
        // A folder that exists (no link) is kept for the files that will be written into it.
        std::vector<std::string> elements = pathElements(resolvedPath(nativePath));
        if (!nativePath.empty() && isRealFolder(path))
            m_resolvedFolders.emplace(nativePath, elements);
        return elements;
    }
    const std::string folderPath = folder.string();
    auto known = m_resolvedFolders.find(folderPath);
    if (known == m_resolvedFolders.end()) {
        if (!isRealFolder(folder))
            return pathElements(resolvedPath(nativePath));
        known = m_resolvedFolders.emplace(folderPath, pathElements(resolvedPath(folderPath))).first;
    }
    std::vector<std::string> elements = known->second;
    elements.push_back(name.string());
    return elements;
}

bool Generator::confineToLocation(const std::string& nativeTarget, bool* absent) {
    if (absent)
        *absent = false;
    const std::string base = nativePath(m_project.projectLocation);
    if (liesWithin(resolvedElements(base), resolvedElements(nativeTarget, absent)))
        return true;
    reportError(m_sink, ErrorKind::ERR_OPEN_FILE, nativeTarget);
    return false;
}

void Generator::announce(const std::string& nativePath) const {
    if (m_listener)
        m_listener(nativePath);
}

} // namespace vantrel
