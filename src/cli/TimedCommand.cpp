#include "cli/TimedCommand.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

namespace vantrel {

namespace fs = std::filesystem;

namespace {

// The end of a command's output that is kept: enough to see why it failed.
constexpr std::size_t OUTPUT_KEPT = 64 * 1024;

} // namespace

std::string commandFor(const std::string& command, const std::string& folder) {
    std::string quoted = "'";
    for (char c : folder)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    quoted += "'";
    std::string text = command;
    for (std::size_t at = text.find("{dir}"); at != std::string::npos;
         at = text.find("{dir}", at + quoted.size()))
        text.replace(at, 5, quoted);
    return text;
}

CommandOutcome runTimedCommand(const std::string& command, const fs::path& folder,
                               std::chrono::milliseconds limit) {
    CommandOutcome outcome;
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        outcome.output = "cannot make a pipe\n";
        return outcome;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        // A group of its own, so that a stop reaches everything the command started.
        ::setpgid(0, 0);
        const int nothing = ::open("/dev/null", O_RDONLY);
        if (nothing >= 0)
            ::dup2(nothing, STDIN_FILENO);
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        ::dup2(pipeEnds[1], STDERR_FILENO);
        if (::chdir(folder.c_str()) != 0)
            ::_exit(127);
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    if (child < 0) {
        ::close(pipeEnds[0]);
        outcome.output = "cannot start the shell\n";
        return outcome;
    }
    ::setpgid(child, child);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int raw = 0;
    bool ended = false;
    bool open = true;
    char buffer[4096];
    while (!ended) {
        if (open) {
            pollfd wait{pipeEnds[0], POLLIN, 0};
            if (::poll(&wait, 1, 50) > 0) {
                const ssize_t got = ::read(pipeEnds[0], buffer, sizeof buffer);
                if (got > 0)
                    outcome.output.append(buffer, static_cast<std::size_t>(got));
                else
                    open = false;
                if (outcome.output.size() > 2 * OUTPUT_KEPT)
                    outcome.output.erase(0, outcome.output.size() - OUTPUT_KEPT);
            }
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ended = ::waitpid(child, &raw, WNOHANG) == child;
        if (!ended && std::chrono::steady_clock::now() >= deadline) {
            ::kill(-child, SIGKILL);
            ::waitpid(child, &raw, 0);
            outcome.timedOut = true;
            ended = true;
        }
    }
    // What the shell left running goes with it.
    ::kill(-child, SIGKILL);
    ::fcntl(pipeEnds[0], F_SETFL, O_NONBLOCK);
    for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        outcome.output.append(buffer, static_cast<std::size_t>(got));
    ::close(pipeEnds[0]);
    if (outcome.output.size() > OUTPUT_KEPT)
        outcome.output.erase(0, outcome.output.size() - OUTPUT_KEPT);
    outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.passed = !outcome.timedOut && outcome.status == 0;
    return outcome;
}

} // namespace vantrel
