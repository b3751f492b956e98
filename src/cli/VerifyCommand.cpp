#include "cli/VerifyCommand.h"

#include "cli/GenCommand.h"
#include "cli/StreamSink.h"
#include "diff/TextDiff.h"
#include "project/ProjectFile.h"
#include "run/ProjectRun.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <vector>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view PROJECT_FILE = CASE_PROJECT_FILE;
constexpr std::string_view EXPECTED_TREE = CASE_EXPECTED_TREE;
constexpr std::string_view EXISTING_TREE = CASE_EXISTING_TREE;
constexpr std::string_view EXPECTED_MESSAGES = CASE_MESSAGES;
constexpr std::string_view EXPECTED_STATUS = CASE_STATUS;
constexpr std::string_view RECORD_FOLDER = ".vantrel";
constexpr auto BUILD_LIMIT = std::chrono::minutes(10);
constexpr std::size_t BUILD_LINES_SHOWN = 40;

std::optional<std::string> readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        return std::nullopt;
    return bytes;
}

bool writeBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

bool isLink(const fs::path& path) {
    std::error_code error;
    return fs::is_symlink(fs::symlink_status(path, error));
}

// A path the run made stays below the tree it is written into: relative, without "..".
bool staysBelow(const std::string& key) {
    const fs::path path(key);
    if (key.empty() || path.is_absolute())
        return false;
    return std::none_of(path.begin(), path.end(), [](const fs::path& part) {
        return part == ".." || part == "." || part.empty();
    });
}

void replaceAll(std::string& text, const std::string& from, std::string_view to) {
    if (from.empty())
        return;
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// The 1-based line of the first byte where the texts part.
std::size_t firstDifferingLine(std::string_view one, std::string_view other) {
    const auto parted = std::mismatch(one.begin(), one.end(), other.begin(), other.end()).first;
    return 1 + static_cast<std::size_t>(std::count(one.begin(), parted, '\n'));
}

std::string diffText(std::string_view expected, std::string_view actual, const std::string& path) {
    return unifiedDiff(expected, actual, "expected/" + path, "actual/" + path)
        .value_or("(no diff: the comparing library could not be loaded)\n");
}

// What one case made in memory.
struct CaseRun {
    int status = EXIT_GENERATED;
    std::string messages;
    FileTree files;
    std::vector<std::string> folders; // every folder the run made or found, for a build
    std::string projectKey;           // the project folder below the location
    std::string refused;              // why the case could not run at all
};

CaseRun runCase(const fs::path& folder, const CommandLine& command, std::ostream& configNote) {
    CaseRun run;
    const fs::path projectFile = folder / PROJECT_FILE;
    std::error_code error;
    if (isLink(projectFile) || !fs::is_regular_file(projectFile, error)) {
        run.refused = isLink(projectFile) ? "its project file " + projectFile.string() +
                                                " is a link; a case's files are taken as they "
                                                "stand, never through links"
                                          : "no project file (" + std::string(PROJECT_FILE) + ")";
        return run;
    }
    std::ostringstream messages;
    ProjectState project;
    StreamSink sink(messages, command.verbose);
    ConfigurationBytes configuration =
        readFoundConfiguration(project, sink, command.configPath, configNote);
    project.setDefaultDllFlags();
    const fs::path location = folder / EXISTING_TREE;
    if (const std::optional<ProjectFileError> fault =
            ProjectFile(projectFile.string()).load(project)) {
        messages << fault->message << '\n';
        run.status = EXIT_BAD_INPUT;
    } else {
        // The case decides where the project stands: in before/, or nowhere yet.
        project.locationBase = location.string();
        project.locationText = project.locationBase;
        if (!validateProject(project, sink))
            run.status = EXIT_BAD_INPUT;
    }
    MemoryOutput memory;
    memory.checkWithDisk(true);
    std::vector<std::string> movedAway;
    if (run.status == EXIT_GENERATED) {
        RunSettings settings;
        settings.configuration = {configuration.path, std::move(configuration.bytes)};
        settings.told = [&messages](const RunNote& note) {
            printNote(note, messages);
        };
        const RunResult result = runProject(project, sink, memory, settings);
        run.status = result.errors > 0     ? EXIT_RUN_ERROR
                     : result.keptForMerge ? EXIT_KEPT_FOR_MERGE
                                           : EXIT_GENERATED;
        // A renamed action's old file goes once the run went through, as on the disk.
        for (const RecordingOutput::Outcome& outcome : result.outcomes)
            if (outcome.move && !outcome.move->kept)
                movedAway.push_back(outcome.move->from);
        const fs::path key = fs::path(result.projectFolder).lexically_relative(location);
        if (staysBelow(key.generic_string()))
            run.projectKey = key.generic_string();
    }
    // Messages name the case's files below its own folder, so that a case reads the same
    // wherever it is checked out.
    run.messages = messages.str();
    replaceAll(run.messages, (folder / "").string(), "");

    if (fs::is_directory(location, error) &&
        !readFileTree(location, run.files, run.refused, std::string(RECORD_FOLDER)))
        return run;
    for (const auto& [key, entry] : memory.tree()) {
        const fs::path path(key);
        if (!staysBelow(key) || std::any_of(path.begin(), path.end(), [](const fs::path& part) {
                return part == RECORD_FOLDER;
            }))
            continue;
        if (entry.folder)
            run.folders.push_back(key);
        else
            run.files[key] = entry.bytes;
    }
    for (const std::string& key : movedAway)
        run.files.erase(key);
    return run;
}

std::optional<int> readStatus(const fs::path& path, std::string& why) {
    const std::optional<std::string> text = readBytes(path);
    if (!text) {
        why = path.string() + ": cannot be read";
        return std::nullopt;
    }
    const std::size_t end = text->find_last_not_of(" \t\r\n");
    int status = -1;
    const char* last = text->data() + (end == std::string::npos ? 0 : end + 1);
    const auto [stop, fault] = std::from_chars(text->data(), last, status);
    if (fault != std::errc() || stop != last || status < 0) {
        why = path.string() + ":1: holds no exit status";
        return std::nullopt;
    }
    return status;
}

// The case against its expectations: what differs, empty when nothing does.
std::string compareCase(const fs::path& folder, const CaseRun& run) {
    std::string report;
    const fs::path expectedRoot = folder / EXPECTED_TREE;
    std::error_code error;
    FileTree expected;
    std::string why;
    if (isLink(expectedRoot))
        report += expectedRoot.string() + ": is a link; the expected tree is taken as it stands\n";
    else if (!fs::is_directory(expectedRoot, error))
        report += expectedRoot.string() + ": no expected tree; --accept makes it\n";
    else if (!readFileTree(expectedRoot, expected, why))
        report += why + '\n';
    else
        report += firstDifference(expected, run.files, expectedRoot.string());

    const fs::path messagesFile = folder / EXPECTED_MESSAGES;
    const std::string messages = fs::exists(fs::symlink_status(messagesFile, error))
                                     ? readBytes(messagesFile).value_or(std::string())
                                     : std::string();
    if (messages != run.messages)
        report += messagesFile.string() + ":" +
                  std::to_string(firstDifferingLine(messages, run.messages)) +
                  ": the run's messages differ\n" +
                  diffText(messages, run.messages, std::string(EXPECTED_MESSAGES));

    const fs::path statusFile = folder / EXPECTED_STATUS;
    int status = EXIT_GENERATED;
    if (fs::exists(fs::symlink_status(statusFile, error))) {
        const std::optional<int> read = readStatus(statusFile, why);
        if (!read)
            return report + why + '\n';
        status = *read;
    }
    if (status != run.status)
        report += statusFile.string() + ":1: the run ends with status " +
                  std::to_string(run.status) + ", expected " + std::to_string(status) + '\n';
    return report;
}

// Writes the case's results as its expectations; why it could not, or nothing.
std::string acceptCase(const fs::path& folder, const CaseRun& run) {
    std::error_code error;
    // The new tree is made whole beside the old one and takes its place by renames, so a
    // failure leaves the old expectations as they were.
    std::string pattern = (folder / ".expected-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return folder.string() + ": cannot make a folder for the expected tree";
    const fs::path fresh = pattern;
    for (const auto& [key, bytes] : run.files) {
        const fs::path file = fresh / key;
        fs::create_directories(file.parent_path(), error);
        if (!writeBytes(file, bytes)) {
            fs::remove_all(fresh, error);
            return file.string() + ": cannot be written";
        }
    }
    const fs::path expected = folder / EXPECTED_TREE;
    const fs::path old = fresh.string() + "-old";
    std::error_code moved;
    if (fs::exists(fs::symlink_status(expected, error)))
        fs::rename(expected, old, moved);
    if (!moved)
        fs::rename(fresh, expected, moved);
    if (moved) {
        fs::remove_all(fresh, error);
        return expected.string() + ": cannot be replaced (" + moved.message() + ")";
    }
    fs::remove_all(old, error);

    const fs::path messagesFile = folder / EXPECTED_MESSAGES;
    const fs::path statusFile = folder / EXPECTED_STATUS;
    fs::remove(messagesFile, error);
    fs::remove(statusFile, error);
    if ((!run.messages.empty() && !writeBytes(messagesFile, run.messages)) ||
        (run.status != EXIT_GENERATED &&
         !writeBytes(statusFile, std::to_string(run.status) + '\n')))
        return folder.string() + ": the expected messages or status cannot be written";
    return {};
}

// The last lines of a build's output, enough to see why it failed.
std::string tailLines(const std::string& output) {
    std::size_t at = output.size();
    for (std::size_t lines = 0; at > 0 && lines <= BUILD_LINES_SHOWN; --at)
        if (output[at - 1] == '\n' && at != output.size())
            ++lines;
    std::string tail = output.substr(at == 0 ? 0 : at + 1);
    if (!tail.empty() && tail.back() != '\n')
        tail += '\n';
    return tail;
}

// Writes the case's tree into a temporary folder and runs the build there; what failed, or
// nothing.
std::string buildCase(const CaseRun& run, const std::string& command) {
    std::string pattern = (fs::temp_directory_path() / "vantrel-verify-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        return "the build: cannot make a temporary folder\n";
    const fs::path root = pattern;
    std::error_code error;
    std::string failure;
    for (const std::string& key : run.folders)
        fs::create_directories(root / key, error);
    for (const auto& [key, bytes] : run.files) {
        fs::create_directories((root / key).parent_path(), error);
        if (failure.empty() && !writeBytes(root / key, bytes))
            failure = "the build: cannot write " + (root / key).string() + '\n';
    }
    if (failure.empty()) {
        const fs::path project = run.projectKey.empty() ? root : root / run.projectKey;
        const CommandOutcome outcome =
            runTimedCommand(commandFor(command, project.string()), root, BUILD_LIMIT);
        if (outcome.timedOut)
            failure = "the build ran past " +
                      std::to_string(std::chrono::minutes(BUILD_LIMIT).count()) +
                      " minutes and was stopped\n";
        else if (!outcome.passed)
            failure = "the build failed (" +
                      (outcome.status < 0 ? std::string("ended by a signal")
                                          : "exit status " + std::to_string(outcome.status)) +
                      "):\n";
        if (!outcome.passed)
            failure += tailLines(outcome.output);
    }
    fs::remove_all(root, error);
    return failure;
}

// The cases below the folder: the folder itself when it holds a project file, else each of its
// subfolders (hidden ones left out), by name.
std::vector<fs::path> casesIn(const fs::path& root) {
    std::error_code error;
    if (fs::exists(fs::symlink_status(root / PROJECT_FILE, error)))
        return {root};
    std::vector<fs::path> cases;
    for (const fs::directory_entry& entry : fs::directory_iterator(root, error)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with('.') && (entry.is_symlink(error) || entry.is_directory(error)))
            cases.push_back(entry.path());
    }
    std::sort(cases.begin(), cases.end());
    return cases;
}

} // namespace

bool readFileTree(const fs::path& root, FileTree& tree, std::string& why,
                  const std::string& skipped) {
    std::error_code error;
    fs::recursive_directory_iterator walk(root, error);
    for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
        const fs::directory_entry& entry = *walk;
        if (entry.is_symlink(error)) {
            why = entry.path().string() + ": is a link; a case's trees hold files and folders only";
            return false;
        }
        if (entry.is_directory(error)) {
            if (!skipped.empty() && entry.path().filename() == skipped)
                walk.disable_recursion_pending();
            continue;
        }
        const std::optional<std::string> bytes = readBytes(entry.path());
        if (!entry.is_regular_file(error) || !bytes) {
            why = entry.path().string() + ": cannot be read as a file";
            return false;
        }
        tree[entry.path().lexically_relative(root).generic_string()] = *bytes;
    }
    if (error) {
        why = root.string() + ": cannot be read (" + error.message() + ")";
        return false;
    }
    return true;
}

std::string firstDifference(const FileTree& expected, const FileTree& actual,
                            const std::string& expectedRoot) {
    // Every path either tree holds, once, in order.
    std::vector<std::string> paths;
    for (const auto& [path, bytes] : expected)
        paths.push_back(path);
    for (const auto& [path, bytes] : actual)
        if (!expected.contains(path))
            paths.push_back(path);
    std::sort(paths.begin(), paths.end());

    std::string report;
    std::size_t more = 0;
    for (const std::string& path : paths) {
        const auto want = expected.find(path);
        const auto got = actual.find(path);
        if (want != expected.end() && got != actual.end() && want->second == got->second)
            continue;
        if (!report.empty()) {
            ++more;
            continue;
        }
        const std::string place = (fs::path(expectedRoot) / path).string();
        if (got == actual.end())
            report = place + ":1: the run makes no such file\n";
        else if (want == expected.end())
            report = place + ":1: the run makes this file, the expected tree lacks it\n";
        else
            report = place + ":" + std::to_string(firstDifferingLine(want->second, got->second)) +
                     ": differs from what the run makes\n" +
                     diffText(want->second, got->second, path);
    }
    if (more > 0)
        report += "and " + std::to_string(more) + " more file" + (more == 1 ? "" : "s") +
                  " of the tree differ" + (more == 1 ? "s" : "") + "\n";
    return report;
}

int runVerify(const CommandLine& command, std::ostream& out, std::ostream& err) {
    fs::path root = fs::path(command.casesPath).lexically_normal();
    if (!root.has_filename() && root.has_parent_path())
        root = root.parent_path();
    std::error_code error;
    if (!fs::is_directory(root, error)) {
        err << CLI_PROGRAM_NAME << ": " << command.casesPath << ": no folder of cases\n";
        return EXIT_BAD_INPUT;
    }
    const std::vector<fs::path> cases = casesIn(root);
    if (cases.empty()) {
        err << CLI_PROGRAM_NAME << ": " << command.casesPath << " holds no case\n";
        return EXIT_RUN_ERROR;
    }
    std::size_t failed = 0;
    std::size_t accepted = 0;
    std::ostringstream laterNotes; // the configuration's search is said once, before the first
    for (const fs::path& folder : cases) {
        std::string report;
        CaseRun run;
        if (isLink(folder)) {
            run.refused = "is a link; cases are not followed through links";
        } else {
            run = runCase(folder, command, folder == cases.front() ? err : laterNotes);
        }
        bool changed = false;
        if (!run.refused.empty()) {
            report = folder.string() + ": " + run.refused + '\n';
        } else {
            report = compareCase(folder, run);
            if (command.accept && !report.empty()) {
                const std::string failure = acceptCase(folder, run);
                report = failure.empty() ? std::string() : failure + '\n';
                changed = failure.empty();
            }
            if (!command.buildCommand.empty())
                report += buildCase(run, command.buildCommand);
        }
        if (report.empty()) {
            out << (changed ? "accepted " : "ok ") << folder.string() << '\n';
            accepted += changed ? 1 : 0;
        } else {
            out << "FAIL " << folder.string() << '\n' << report;
            ++failed;
        }
        out.flush();
    }
    out << cases.size() << (cases.size() == 1 ? " case: " : " cases: ")
        << cases.size() - failed - accepted << " passed, ";
    if (command.accept)
        out << accepted << " accepted, ";
    out << failed << " failed\n";
    return failed > 0 ? EXIT_RUN_ERROR : EXIT_GENERATED;
}

} // namespace vantrel
