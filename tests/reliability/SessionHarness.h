#pragma once

// What the session and branch tests share: a small template set of both hosts written from a
// model the tests change, in-process runs of vantrel-gen into the disk, and the files of a
// project folder as they stand.
#include "support/InProcessGen.h"
#include "support/TempFolder.h"

#include "cli/GenCommand.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
#include <filesystem>
#include <fnmatch.h>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vantrel::session {

namespace fs = std::filesystem;

// A TempFolder in /dev/shm when the machine has one: thousands of small runs go many times
// faster in memory than on a disk that syncs.
class FastTempBase {
public:
    FastTempBase() {
        if (const char* previous = std::getenv("TMPDIR"))
            m_previous = previous;
        std::error_code error;
        if (fs::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0)
            ::setenv("TMPDIR", "/dev/shm", 1);
    }
    ~FastTempBase() {
        if (m_previous)
            ::setenv("TMPDIR", m_previous->c_str(), 1);
        else
            ::unsetenv("TMPDIR");
    }
    FastTempBase(const FastTempBase&) = delete;
    FastTempBase& operator=(const FastTempBase&) = delete;

private:
    std::optional<std::string> m_previous;
};

inline TempFolder fastTempFolder() {
    const FastTempBase base;
    return TempFolder();
}

// Lines of a text, each without its line break; a last line without one counts too.
inline std::vector<std::string> linesOf(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t end = text.find('\n', from);
        if (end == std::string_view::npos)
            end = text.size();
        lines.emplace_back(text.substr(from, end - from));
        from = end + 1;
    }
    return lines;
}

inline bool hasLine(std::string_view text, std::string_view line) {
    for (std::size_t at = text.find(line); at != std::string_view::npos;
         at = text.find(line, at + 1)) {
        const bool starts = at == 0 || text[at - 1] == '\n';
        const std::size_t end = at + line.size();
        const bool ends = end == text.size() || text[end] == '\n' || text[end] == '\r';
        if (starts && ends)
            return true;
    }
    return false;
}

// Writes a file, its folders made first.
inline void writeWithFolders(const fs::path& file, std::string_view content) {
    fs::create_directories(file.parent_path());
    writeFile(file, content);
}

// Writes a file only when its bytes change, so that inputs left alone keep their times.
inline void writeIfChanged(const fs::path& file, std::string_view content) {
    if (readFile(file) == content)
        return;
    fs::create_directories(file.parent_path());
    writeFile(file, content);
}

// The template set: one template file whose main section lists every action in a loop, and an
// action section; the scripts of both hosts copy the kit header and write from it. Kel names
// the main file after the project, Dov calls it main.cpp, so a switch leaves files behind.
// A set with lines in once also has the section of a file the scripts write once, Notes.cpp.
struct TemplateSet {
    std::vector<std::string> head, loop, tail, action, once;
    std::string kit = "// pi kit 1\n";

    std::string text() const {
        return "filesection: main\n" + joinLines(head) + "@FOR 0 TO ALL_ACTIONS\n" +
               joinLines(loop) + "@ENDFOR\n" + joinLines(tail) +
               "filesectionend:\nfilesection: action\n" + joinLines(action) + "filesectionend:\n" +
               (once.empty() ? "" : "filesection: once\n" + joinLines(once) + "filesectionend:\n");
    }
};

inline constexpr std::string_view ONCE_FILE = "Notes.cpp";

inline std::string scriptOf(std::string_view mainFile, bool writeOnce = false) {
    return "create_directory: \"%PROJECTNAME%\"\n"
           "copy_file: %piinc% \"%PROJECTNAME%\"\n"
           "create_file: \"" +
           std::string(mainFile) + "\" \"main\" \"plugin.tpl\"\n" +
           (writeOnce
                ? "create_file_once: \"" + std::string(ONCE_FILE) + "\" \"once\" \"plugin.tpl\"\n"
                : std::string()) +
           "@FOR 0 TO ALL_ACTIONS\n"
           "create_file: \"%ACTIONNAME%.cpp\" \"action\" \"plugin.tpl\"\n"
           "@ENDFOR\n";
}

// The answers of the project file.
struct Answers {
    std::string host = "KEL";
    std::string name = "Demo";
    std::vector<std::string> actions;
    // Each action's id, by name, when the test gives them: a rename carries its id along.
    std::map<std::string, std::uint32_t> ids;

    std::string json(const fs::path& location) const {
        std::string list;
        for (const std::string& action : actions) {
            const auto id = ids.find(action);
            list += std::string(list.empty() ? "" : ", ") + "{" +
                    (id == ids.end() ? "" : "\"id\": " + std::to_string(id->second) + ", ") +
                    "\"name\": \"" + action + "\"}";
        }
        return "{\"host\": \"" + host + "\", \"name\": \"" + name + "\", \"location\": \"" +
               location.string() + "\", \"actions\": [" + list + "]}\n";
    }
};

// The inputs of a run below one folder, every path in them absolute:
//   cfg/vantrel.cfg, in/kel.vts, in/dov.vts, in/tpl/plugin.tpl, kit/pi.h, project.json
// and the generated projects in out/.
class Workspace {
public:
    // writeOnce: the scripts write Notes.cpp once (the templates need a once section then).
    explicit Workspace(fs::path root, bool writeOnce = false)
        : m_root(std::move(root)) {
        writeIfChanged(config(), "keltemplate = \"" + (m_root / "in/kel.vts").string() +
                                     "\"\ndovtemplate = \"" + (m_root / "in/dov.vts").string() +
                                     "\"\ntemplatedirectory = \"" + (m_root / "in/tpl").string() +
                                     "\"\npiinc = \"" + (m_root / "kit/pi.h").string() + "\"\n");
        writeIfChanged(m_root / "in/kel.vts", scriptOf("%PROJECTNAME%.cpp", writeOnce));
        writeIfChanged(m_root / "in/dov.vts", scriptOf("main.cpp", writeOnce));
        fs::create_directories(location());
    }

    fs::path config() const { return m_root / "cfg/vantrel.cfg"; }
    fs::path kelScript() const { return m_root / "in/kel.vts"; }
    fs::path projectFile() const { return m_root / "project.json"; }
    fs::path location() const { return m_root / "out"; }

    void write(const TemplateSet& templates, const Answers& answers) const {
        writeIfChanged(m_root / "in/tpl/plugin.tpl", templates.text());
        writeIfChanged(m_root / "kit/pi.h", templates.kit);
        writeIfChanged(projectFile(), answers.json(location()));
    }

private:
    fs::path m_root;
};

// A file below a project folder as it stands: its bytes and when they were last written.
struct FileState {
    std::string bytes;
    std::int64_t size = 0;
    std::int64_t mtime = 0; // nanoseconds

    bool operator==(const FileState&) const = default;
};
using Files = std::map<std::string, FileState>; // by path relative to the folder, "/" between

// A file's state through one descriptor: a scan of the project runs after every step, so it
// costs what a run costs.
inline std::optional<FileState> fileState(const fs::path& file, bool withBytes) {
    struct stat info {};
    if (!withBytes)
        return ::lstat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode)
                   ? std::optional(FileState{{},
                                             info.st_size,
                                             std::int64_t(info.st_mtim.tv_sec) * 1'000'000'000 +
                                                 info.st_mtim.tv_nsec})
                   : std::nullopt;
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return std::nullopt;
    std::optional<FileState> state;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        state = FileState{{},
                          info.st_size,
                          std::int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
        std::string& bytes = state->bytes;
        bytes.resize(std::size_t(info.st_size) + 1);
        std::size_t used = 0;
        for (;;) {
            const ssize_t count = ::read(fd, bytes.data() + used, bytes.size() - used);
            if (count <= 0)
                break;
            used += std::size_t(count);
            if (used == bytes.size())
                bytes.resize(bytes.size() * 2);
        }
        bytes.resize(used);
    }
    ::close(fd);
    return state;
}

// The files below a folder; without their bytes, only their sizes and times.
inline Files filesBelow(const fs::path& folder, bool withBytes = true) {
    Files files;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (it->is_directory(error))
            continue;
        if (std::optional<FileState> state = fileState(it->path(), withBytes))
            files[it->path().lexically_relative(folder).generic_string()] = std::move(*state);
    }
    return files;
}

inline bool sameSizesAndTimes(const Files& a, const Files& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return x.first == y.first && x.second.size == y.second.size &&
               x.second.mtime == y.second.mtime;
    });
}

inline bool inRecord(std::string_view path) {
    return path.starts_with(".vantrel/");
}

// Whether a record file is one the record folder's own .gitignore keeps out of version control:
// such files belong to this machine and may change with every run.
inline bool machineLocal(const Files& files, const std::string& path) {
    if (!inRecord(path))
        return false;
    const auto ignore = files.find(".vantrel/.gitignore");
    if (ignore == files.end())
        return false;
    const std::string inside = path.substr(std::string_view(".vantrel/").size());
    for (std::string pattern : linesOf(ignore->second.bytes)) {
        while (!pattern.empty() && (pattern.back() == ' ' || pattern.back() == '\r'))
            pattern.pop_back();
        if (pattern.empty() || pattern.front() == '#' || pattern.front() == '!')
            continue;
        if (pattern.front() == '/')
            pattern.erase(0, 1);
        if (!pattern.empty() && pattern.back() == '/')
            pattern.pop_back();
        // A pattern without a slash matches a name at any depth; one with a slash, the path.
        const bool anchored = pattern.find('/') != std::string::npos;
        std::string prefix;
        std::size_t from = 0;
        while (from <= inside.size()) {
            std::size_t end = inside.find('/', from);
            if (end == std::string::npos)
                end = inside.size();
            const std::string part = inside.substr(from, end - from);
            prefix += (prefix.empty() ? "" : "/") + part;
            const std::string& subject = anchored ? prefix : part;
            if (::fnmatch(pattern.c_str(), subject.c_str(), FNM_PATHNAME) == 0)
                return true;
            from = end + 1;
        }
    }
    return false;
}

} // namespace vantrel::session
