#pragma once

#include <chrono>
#include <filesystem>
#include <string>

namespace vantrel {

// The command with every "{dir}" replaced by the folder, quoted for the shell.
std::string commandFor(const std::string& command, const std::string& folder);

// What a command run by the shell came to.
struct CommandOutcome {
    bool passed = false;   // it ended by itself with status 0
    bool timedOut = false; // it ran past the limit and was killed, with everything it started
    int status = -1;       // its exit status, -1 when a signal ended it
    std::string output;    // standard output and error together, the last 64 KiB
};

// Runs the command by /bin/sh in the working folder, stopped after the limit.
CommandOutcome runTimedCommand(const std::string& command, const std::filesystem::path& folder,
                               std::chrono::milliseconds limit);

} // namespace vantrel
