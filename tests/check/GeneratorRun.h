#pragma once

#include "support/TempFolder.h"

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace vantrel {

// One run of the built vantrel-gen in a folder: its exit status and what it wrote.
struct RunResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

inline RunResult runIn(const std::filesystem::path& folder,
                       const std::vector<std::string>& arguments) {
    const TempFolder captures;
    std::string command =
        "cd " + shellQuoted(folder.string()) + " && timeout 60 " + shellQuoted(VANTREL_GEN_PATH);
    for (const std::string& argument : arguments)
        command += " " + shellQuoted(argument);
    command += " >" + shellQuoted((captures.path() / "out").string()) + " 2>" +
               shellQuoted((captures.path() / "err").string());
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(captures.path() / "out"),
            readFile(captures.path() / "err")};
}

inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace vantrel
