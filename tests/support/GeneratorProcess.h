#pragma once

#include "support/TempFolder.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// What one run of the built vantrel-gen left behind.
struct ProcessResult {
    int status = -1; // exit status, -1 when a signal ended it
    std::string out;
    std::string err;
    std::chrono::milliseconds elapsed{0};
};

inline std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs vantrel-gen in the folder. The shell prefix runs first in the same child shell, so a
// limit it sets (ulimit -f) holds for the generator alone.
inline ProcessResult runGeneratorIn(const std::filesystem::path& folder,
                                    const std::vector<std::string>& arguments,
                                    const std::string& shellPrefix = {}) {
    const TempFolder captures;
    const std::filesystem::path out = captures.path() / "stdout";
    const std::filesystem::path err = captures.path() / "stderr";
    std::string command = "cd " + shellQuoted(folder.string()) + " && " + shellPrefix +
                          " exec timeout 120 " + shellQuoted(VANTREL_GEN_PATH);
    for (const std::string& argument : arguments)
        command += " " + shellQuoted(argument);
    command += " >" + shellQuoted(out.string()) + " 2>" + shellQuoted(err.string());
    const auto start = std::chrono::steady_clock::now();
    const int raw = std::system(("sh -c " + shellQuoted(command)).c_str());
    ProcessResult result;
    result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = readFile(out);
    result.err = readFile(err);
    return result;
}

// The lines of a text, without their line ends.
inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// A vantrel-gen started in a folder and left running, its output going to files in the folder
// (out.txt and err.txt beside the run's own files).
struct RunningGenerator {
    pid_t pid = -1;
    // Waits for it: its exit status, -1 when a signal ended it.
    int wait() const {
        int raw = 0;
        while (::waitpid(pid, &raw, 0) < 0 && errno == EINTR) {
        }
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    }
};

inline RunningGenerator startGeneratorIn(const std::filesystem::path& folder,
                                         const std::vector<std::string>& arguments,
                                         const std::string& tag = "") {
    std::vector<std::string> argv = {VANTREL_GEN_PATH};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    const std::string out = (folder / ("out" + tag + ".txt")).string();
    const std::string err = (folder / ("err" + tag + ".txt")).string();
    RunningGenerator running;
    running.pid = ::fork();
    if (running.pid == 0) {
        if (::chdir(folder.c_str()) != 0)
            ::_exit(127);
        const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(outFd, 1);
        ::dup2(errFd, 2);
        std::vector<char*> pointers;
        for (std::string& argument : argv)
            pointers.push_back(argument.data());
        pointers.push_back(nullptr);
        ::execv(pointers[0], pointers.data());
        ::_exit(127);
    }
    return running;
}

// A record's time left out ("written *"): two runs that make the same record write it at
// different times.
inline std::string withoutRecordTime(std::string manifest) {
    const std::size_t at = manifest.find("\nwritten ");
    if (at != std::string::npos) {
        const std::size_t from = at + 9;
        manifest.replace(from, manifest.find('\n', from) - from, "*");
    }
    return manifest;
}

// Every entry below a folder by its path: a file's bytes (a record's manifest without its time),
// a link's "-> target", a folder's "/"; empty when the folder is not there.
inline std::map<std::string, std::string> treeBelow(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> tree;
    if (!fs::exists(folder))
        return tree;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        const std::string path = entry.path().lexically_relative(folder).generic_string();
        if (entry.is_symlink())
            tree[path] = "-> " + fs::read_symlink(entry.path()).string();
        else if (entry.is_directory())
            tree[path] = "/";
        else if (path.ends_with(".vantrel/manifest.txt") || path.ends_with(".vantrel/local.txt"))
            tree[path] = withoutRecordTime(readFile(entry.path()));
        else
            tree[path] = readFile(entry.path());
    }
    return tree;
}

// Every entry below a folder with its change time, and a file's bytes: what a run that writes
// nothing leaves as it was.
inline std::map<std::string, std::string> treeWithTimes(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> tree;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder))
        tree[fs::relative(entry.path(), folder).string()] =
            std::to_string(entry.last_write_time().time_since_epoch().count()) +
            (entry.is_directory() ? " folder" : " " + readFile(entry.path()));
    return tree;
}

// The record of out/Demo in a tree of out (see treeBelow): compared whole, as it is replaced whole.
inline std::map<std::string, std::string> recordIn(const std::map<std::string, std::string>& tree) {
    std::map<std::string, std::string> record;
    // The note of a run's temporary files is no part of the record proper.
    for (const auto& [path, bytes] : tree)
        if (path.starts_with("Demo/.vantrel/") && path != "Demo/.vantrel/temporaries")
            record.emplace(path, bytes);
    return record;
}

// A project file of Kel with the actions Action0, Action1, ..., generated into out/Demo.
inline std::string projectOfActions(int count) {
    std::string actions;
    for (int i = 0; i < count; ++i)
        actions += std::string(i ? "," : "") + "{\"name\": \"Action" + std::to_string(i) + "\"}";
    return R"({"host": "KEL", "name": "Demo", "location": "out", "actions": [)" + actions + "]}";
}

// Writes a file at an absolute path, parents created, byte for byte.
inline void writeAt(const std::filesystem::path& file, std::string_view content) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

// The largest resident size, in MiB, that any finished child of this test process reached.
inline long childPeakMiB() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_maxrss / 1024;
}

} // namespace vantrel
