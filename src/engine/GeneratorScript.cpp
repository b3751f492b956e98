#include "engine/Generator.h"

#include "engine/TextScan.h"
#include "fileutil/FileHandle.h"
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

// A generated text file. The expanded lines are appended to its pending text, which goes out
// in one write once it passes a block's size and at the close; the stream itself is unbuffered,
// so nothing is copied twice. Every write and the close are checked, so a full disk is never
// taken for a finished file.
class TargetFile {
public:
    static constexpr std::size_t BLOCK_SIZE = 65536;

    // The pending text is the caller's, reused from file to file.
    explicit TargetFile(std::string& pending)
        : m_pending(pending) {}

    bool open(const std::string& nativePath) { return adopt(std::fopen(nativePath.c_str(), "wb")); }
    // open, except that a link in the file's place is not followed (LinkInPlace).
    WriteOpen openNoLink(const std::string& nativePath) {
        WriteOpen how = WriteOpen::Failed;
        adopt(openForWriting(nativePath, how));
        return how;
    }

    // Where the lines go; writeIfFull then sends them on.
    std::string& pending() { return m_pending; }

    bool writeIfFull() { return m_pending.size() < BLOCK_SIZE || write(); }

    bool close() {
        const bool written = write();
        return closeFile(m_file) && written;
    }

private:
    bool adopt(std::FILE* file) {
        m_pending.clear();
        m_file.reset(file);
        if (m_file == nullptr)
            return false;
        std::setvbuf(m_file.get(), nullptr, _IONBF, 0);
        return true;
    }

    bool write() {
        bool written = true;
        if constexpr (LINE_END == "\n") {
            written = put(m_pending);
        } else {
            std::size_t begin = 0;
            while (written && begin < m_pending.size()) {
                const std::size_t end = m_pending.find('\n', begin);
                const std::size_t stop = end == std::string::npos ? m_pending.size() : end;
                written = put(std::string_view(m_pending).substr(begin, stop - begin)) &&
                          (end == std::string::npos || put(LINE_END));
                begin = stop + 1;
            }
        }
        m_pending.clear();
        return written;
    }

    bool put(std::string_view text) {
        return text.empty() ||
               (m_file && std::fwrite(text.data(), 1, text.size(), m_file.get()) == text.size());
    }

    std::string& m_pending;
    FileHandle m_file;
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
        const std::string line(script.line());
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
            const std::string_view line = reader.line();
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
    // Whether the file's own place holds a link is seen as it is opened.
    if (!confineToLocation(target, true))
        return false;
    TargetFile file(m_pendingOutput);
    const WriteOpen opened = file.openNoLink(target);
    if (opened == WriteOpen::LinkInPlace) {
        // Where the link leads is checked before the file is opened through it.
        if (!confineToLocation(target))
            return false;
        m_templates.forget(target);
        if (!file.open(target)) {
            reportError(m_sink, ErrorKind::ERR_OPEN_FILE, target);
            return false;
        }
    } else if (opened == WriteOpen::Failed) {
        reportError(m_sink, ErrorKind::ERR_OPEN_FILE, target);
        return false;
    } else if (opened == WriteOpen::Created) {
        // A file that was not there is no kept template: no need to ask for its identity.
        m_templates.forgetAbsent();
    } else {
        m_templates.forget(target);
    }
    while (reader.readLine()) {
        const std::string_view line = reader.line();
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
        expandCurrentLine(reader, file.pending());
        if (!file.writeIfFull()) {
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

namespace {

// The folder part and the name of a native path when they can be read off the text itself (a
// plain name after the last separator, the folder not the root); otherwise the path is taken
// apart as a path.
bool splitPlainName(std::string_view path, std::string_view& folder, std::string_view& name) {
#ifdef _WIN32
    (void)path;
    (void)folder;
    (void)name;
    return false;
#else
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos || slash == 0 || path[slash - 1] == '/')
        return false;
    name = path.substr(slash + 1);
    if (name.empty() || name == "." || name == "..")
        return false;
    folder = path.substr(0, slash);
    return true;
#endif
}

} // namespace

// The elements of resolvedPath. A file in a folder that exists is that folder's resolution and
// its own name, unless the name is a link or a step; the folders are resolved once per run.
void Generator::resolvedElements(const std::string& nativePath, PathElements& result,
                                 bool nameSeenAtOpen) {
    // A folder met before (the location, for every target) resolves as it did then.
    if (const auto known = m_resolvedFolders.find(nativePath); known != m_resolvedFolders.end()) {
        result.folder = &known->second;
        return;
    }
    std::string_view folder;
    std::string_view name;
    bool plainName = splitPlainName(nativePath, folder, name);
    std::string folderPath;
    if (!plainName) {
        const fs::path path(nativePath);
        const fs::path fileName = path.filename();
        const fs::path parent = path.parent_path();
        plainName = !fileName.empty() && fileName != "." && fileName != ".." && !parent.empty();
        if (plainName) {
            folderPath = parent.string();
            result.ownName = fileName.string();
            folder = folderPath;
            name = result.ownName;
        }
    }
    EntryKind kind = EntryKind::Unknown;
    if (plainName && !nameSeenAtOpen) {
        kind = entryKindOf(nativePath);
        plainName = kind != EntryKind::Link;
    }
    if (!plainName) {
        // A folder that exists (no link) is kept for the files that will be written into it.
        result.own = pathElements(resolvedPath(nativePath));
        if (!nativePath.empty() && isRealFolder(nativePath))
            m_resolvedFolders.emplace(nativePath, result.own);
        result.folder = &result.own;
        return;
    }
    auto known = m_resolvedFolders.find(folder);
    if (known == m_resolvedFolders.end()) {
        if (!isRealFolder(folder)) {
            result.own = pathElements(resolvedPath(nativePath));
            result.folder = &result.own;
            return;
        }
        const std::string key(folder);
        known = m_resolvedFolders.emplace(key, pathElements(resolvedPath(key))).first;
    }
    if (kind == EntryKind::Folder) {
        // A real folder in a folder that exists: kept too, so the next look needs no query.
        std::vector<std::string> elements = known->second;
        elements.emplace_back(name);
        result.folder = &m_resolvedFolders.emplace(nativePath, std::move(elements)).first->second;
        return;
    }
    result.folder = &known->second;
    result.name = name;
}

bool Generator::confineToLocation(const std::string& nativeTarget, bool nameSeenAtOpen) {
    const std::string base = nativePath(m_project.projectLocation);
    PathElements baseElements;
    resolvedElements(base, baseElements);
    PathElements targetElements;
    resolvedElements(nativeTarget, targetElements, nameSeenAtOpen);
    if (targetElements.liesWithin(baseElements))
        return true;
    reportError(m_sink, ErrorKind::ERR_OPEN_FILE, nativeTarget);
    return false;
}

void Generator::announce(const std::string& nativePath) const {
    if (m_listener)
        m_listener(nativePath);
}

} // namespace vantrel
