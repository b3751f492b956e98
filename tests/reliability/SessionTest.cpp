// Random sessions of a user working on a generated project between runs: edits, template
// changes, actions that come and go and come back, host switches, a renamed project folder, old
// checkouts, damaged records and conflicts resolved by hand, each step followed by a preview and
// a run. After every run no line the user typed is gone, the preview told what the run did, and
// a second run finds nothing left to do.
//
// Sequence n runs from seed n. VANTREL_SESSION_SEQUENCES sets how many run, VANTREL_SESSION_SEED
// replays one, VANTREL_SESSION_TRACE=1 prints every step's operation, listing and messages.
#include "SessionHarness.h"
#include "support/TimeLimit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {
namespace {

using namespace session;

constexpr int SHARDS = 10;
// The sanitizers make every run several times slower: fewer sequences there, the same seeds.
constexpr int DEFAULT_SEQUENCES = TIME_LIMITED ? 500 : 100;
constexpr int OPERATIONS = 30;
// Failing sequences told in full per shard; the rest get one line each.
constexpr int DETAILED_FAILURES = 5;

// Names come back often: removed and added again, renamed and renamed back.
const std::vector<std::string> ACTION_POOL = {"Line", "Arc", "Zoom", "Fill", "Move"};

constexpr std::string_view BESIDE = ".vantrel-new";

int environmentNumber(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::atoi(value) : fallback;
}

// splitmix64: the same sequence from a seed with any standard library.
class Random {
public:
    explicit Random(std::uint64_t seed)
        : m_state(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (m_state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    std::size_t below(std::size_t bound) { return bound == 0 ? 0 : next() % bound; }
    bool chance(int percent) { return below(100) < std::size_t(percent); }
    template <typename T>
    const T& pick(const std::vector<T>& items) {
        return items[below(items.size())];
    }

private:
    std::uint64_t m_state;
};

// One line of a preview: "LABEL PATH", the path made relative to the project folder.
struct Listed {
    std::string label;
    std::string path;
};

struct Listing {
    std::vector<Listed> targets; // those inside the project folder
    bool oldLabels = false;      // "changed" instead of what a regeneration does
    std::vector<std::string> unknown;
};

Listing parseListing(const std::string& out, const fs::path& project, const fs::path& location) {
    static const std::vector<std::string> LABELS = {"deleted by you",
                                                    "no longer generated",
                                                    "new",
                                                    "same",
                                                    "replaced",
                                                    "merged",
                                                    "kept",
                                                    "conflict",
                                                    "blocked",
                                                    "refused",
                                                    "changed"};
    Listing listing;
    for (const std::string& line : linesOf(out)) {
        const auto label = std::find_if(LABELS.begin(), LABELS.end(), [&](const std::string& l) {
            return line.size() > l.size() && line.starts_with(l) && line[l.size()] == ' ';
        });
        if (label == LABELS.end()) {
            listing.unknown.push_back(line);
            continue;
        }
        listing.oldLabels = listing.oldLabels || *label == "changed";
        fs::path path = line.substr(label->size() + 1);
        if (path.is_relative())
            path = location / path;
        const std::string relative =
            path.lexically_normal().lexically_relative(project).generic_string();
        if (relative.empty() || relative == "." || relative.starts_with(".."))
            continue;
        listing.targets.push_back({*label, relative});
    }
    return listing;
}

// A failure of one kind at one step; the kind names it in the tally.
struct Failure {
    std::string kind;
    std::string detail;
};

// What the user typed, by file (relative to the project folder).
using Typed = std::map<std::string, std::vector<std::string>>;

struct Snapshot {
    Files files;
    Typed typed;
};

class Session {
public:
    Session(std::uint64_t seed, const fs::path& root)
        : m_random(seed)
        , m_work(root) {
        m_templates.head = {line(" %PROJECTNAME%"), line(""), line("")};
        m_templates.loop = {line(" %ACTIONNAME%")};
        m_templates.tail = {line(""), line(" end")};
        m_templates.action = {line(" %ACTIONNAME%"),
                              line(""),
                              line(" %ACTIONNAME% body"),
                              line(""),
                              line(""),
                              line(" }")};
        std::vector<std::string> pool = ACTION_POOL;
        const std::size_t count = 1 + m_random.below(3);
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t at = m_random.below(pool.size());
            m_answers.actions.push_back(pool[at]);
            pool.erase(pool.begin() + std::ptrdiff_t(at));
        }
    }

    // The first run and the operations after it, each checked; calls report for every step
    // that failed.
    void run(int operations,
             const std::function<void(int step, const std::vector<Failure>&)>& report) {
        m_log.push_back("first run");
        m_work.write(m_templates, m_answers);
        std::vector<Failure> failures = runAndCheck();
        if (!failures.empty())
            report(0, failures);
        for (int step = 1; step <= operations; ++step) {
            m_noRecord = false;
            m_log.push_back(operate());
            m_work.write(m_templates, m_answers);
            failures = runAndCheck();
            if (!failures.empty())
                report(step, failures);
        }
    }

    const std::vector<std::string>& log() const { return m_log; }

private:
    fs::path project() const { return m_work.location() / m_answers.name; }

    // A template line that no other line equals: "// t<N>" and what follows.
    std::string line(const std::string& rest) {
        return "// t" + std::to_string(m_nextLine++) + rest;
    }
    std::string freshLine(const std::vector<std::string>* section) {
        const bool perAction = section == &m_templates.loop || section == &m_templates.action;
        static const std::vector<std::string> RESTS = {"", " x", " %PROJECTNAME%"};
        static const std::vector<std::string> ACTION_RESTS = {"", " y", " %ACTIONNAME%"};
        return line(m_random.pick(perAction ? ACTION_RESTS : RESTS));
    }
    std::string userLine() { return "// USER-" + std::to_string(m_nextUser++); }

    // Files of the project the user may touch: everything but the record and the new texts.
    std::vector<std::string> userFiles(bool besideToo = false) const {
        std::vector<std::string> files;
        for (const auto& [path, state] : filesBelow(project(), false))
            if (!inRecord(path) && (besideToo || !path.ends_with(BESIDE)))
                files.push_back(path);
        return files;
    }

    std::string insertTyped(const std::string& path) {
        const fs::path file = project() / path;
        std::vector<std::string> lines = linesOf(readFile(file));
        const std::size_t position = m_random.chance(20) ? 0 : m_random.below(lines.size() + 1);
        const std::string typed = userLine();
        lines.insert(lines.begin() + std::ptrdiff_t(position), typed);
        writeFile(file, joinLines(lines));
        m_typed[path].push_back(typed);
        return typed + " into " + path + " at line " + std::to_string(position + 1);
    }

    // A generated line typed over with one of the same length: the file keeps its size, so
    // only its bytes tell the edit, however soon after the run it comes.
    std::optional<std::string> overwriteTyped(const std::string& path) {
        const fs::path file = project() / path;
        std::vector<std::string> lines = linesOf(readFile(file));
        const std::string tag = "// USER-" + std::to_string(m_nextUser);
        std::vector<std::size_t> longEnough;
        for (std::size_t i = 0; i < lines.size(); ++i)
            if (lines[i].size() >= tag.size() && !lines[i].starts_with("// USER-"))
                longEnough.push_back(i);
        if (longEnough.empty())
            return std::nullopt;
        const std::size_t at = m_random.pick(longEnough);
        const std::string typed = userLine() + std::string(lines[at].size() - tag.size(), '.');
        lines[at] = typed;
        writeFile(file, joinLines(lines));
        m_typed[path].push_back(typed);
        return typed + " over line " + std::to_string(at + 1) + " of " + path;
    }

    std::vector<std::string> freeNames() const {
        std::vector<std::string> free;
        for (const std::string& name : ACTION_POOL)
            if (std::find(m_answers.actions.begin(), m_answers.actions.end(), name) ==
                m_answers.actions.end())
                free.push_back(name);
        return free;
    }

    std::string operate() {
        struct Kind {
            int weight;
            std::optional<std::string> (Session::*apply)();
        };
        static const std::vector<Kind> KINDS = {
            {7, &Session::editFile},        {6, &Session::changeTemplate},
            {3, &Session::addAction},       {2, &Session::removeAction},
            {3, &Session::renameAction},    {2, &Session::switchHost},
            {2, &Session::ownFileThenAdd},  {1, &Session::renameProject},
            {2, &Session::takeSnapshot},    {2, &Session::restoreSnapshot},
            {2, &Session::damageRecord},    {1, &Session::withoutRecord},
            {4, &Session::resolveConflict}, {1, &Session::deleteFile},
        };
        int total = 0;
        for (const Kind& kind : KINDS)
            total += kind.weight;
        int roll = int(m_random.below(std::size_t(total)));
        for (const Kind& kind : KINDS) {
            roll -= kind.weight;
            if (roll < 0) {
                if (std::optional<std::string> done = (this->*kind.apply)())
                    return *done;
                break;
            }
        }
        // Not possible now (no conflict to resolve, no snapshot): an edit instead.
        if (std::optional<std::string> done = editFile())
            return *done;
        return "nothing";
    }

    std::optional<std::string> editFile() {
        const std::vector<std::string> files = userFiles();
        if (files.empty())
            return std::nullopt;
        const std::string& path = m_random.pick(files);
        if (m_random.chance(20))
            if (std::optional<std::string> done = overwriteTyped(path))
                return "edit: " + *done;
        return "edit: " + insertTyped(path);
    }

    // The template line next to a line the user typed, when the line there came from one.
    std::optional<std::pair<std::vector<std::string>*, std::size_t>> lineNextToTyped() {
        std::vector<std::pair<std::string, std::string>> candidates;
        for (const auto& [path, lines] : m_typed)
            for (const std::string& typed : lines)
                candidates.emplace_back(path, typed);
        if (candidates.empty())
            return std::nullopt;
        const auto& [path, typed] = m_random.pick(candidates);
        const std::vector<std::string> lines = linesOf(readFile(project() / path));
        const auto at = std::find(lines.begin(), lines.end(), typed);
        if (at == lines.end())
            return std::nullopt;
        std::vector<std::string> neighbours;
        if (at != lines.begin())
            neighbours.push_back(*(at - 1));
        if (at + 1 != lines.end())
            neighbours.push_back(*(at + 1));
        for (const std::string& neighbour : neighbours) {
            if (!neighbour.starts_with("// t"))
                continue;
            const std::string tag =
                neighbour.substr(0, neighbour.find_first_not_of("0123456789", 4));
            for (std::vector<std::string>* section :
                 {&m_templates.head, &m_templates.loop, &m_templates.tail, &m_templates.action})
                for (std::size_t i = 0; i < section->size(); ++i) {
                    const std::string& candidate = (*section)[i];
                    if (candidate.starts_with(tag) &&
                        (candidate.size() == tag.size() || candidate[tag.size()] == ' '))
                        return std::pair{section, i};
                }
        }
        return std::nullopt;
    }

    std::optional<std::string> changeTemplate() {
        if (m_random.chance(8)) {
            m_templates.kit = "// pi kit " + std::to_string(m_nextLine++) + "\n";
            return std::string("kit: a new kit header");
        }
        std::vector<std::string>* section = nullptr;
        std::size_t at = 0;
        std::string where;
        if (m_random.chance(40))
            if (const auto near = lineNextToTyped()) {
                std::tie(section, at) = *near;
                where = " next to a typed line";
            }
        if (!section) {
            std::vector<std::vector<std::string>*> sections = {
                &m_templates.head, &m_templates.loop, &m_templates.tail, &m_templates.action,
                &m_templates.action};
            section = m_random.pick(sections);
            at = m_random.below(section->size());
        }
        const std::string name = section == &m_templates.head   ? "main section's head"
                                 : section == &m_templates.loop ? "main section's loop"
                                 : section == &m_templates.tail ? "main section's tail"
                                                                : "action section";
        const std::string old = (*section)[at];
        switch (m_random.below(3)) {
        case 0:
            (*section)[at] = freshLine(section);
            return "template: " + old + " becomes " + (*section)[at] + " in the " + name + where;
        case 1:
            if (section->size() > 1) {
                section->erase(section->begin() + std::ptrdiff_t(at));
                return "template: remove " + old + " from the " + name + where;
            }
            [[fallthrough]];
        default: {
            const std::size_t to = at + m_random.below(2);
            section->insert(section->begin() + std::ptrdiff_t(to), freshLine(section));
            return "template: add " + (*section)[to] + " to the " + name + where;
        }
        }
    }

    std::optional<std::string> addAction() {
        const std::vector<std::string> free = freeNames();
        if (free.empty())
            return std::nullopt;
        const std::string name = m_random.pick(free);
        m_answers.actions.insert(m_answers.actions.begin() +
                                     std::ptrdiff_t(m_random.below(m_answers.actions.size() + 1)),
                                 name);
        return "add action: " + name;
    }

    std::optional<std::string> removeAction() {
        if (m_answers.actions.size() < 2)
            return std::nullopt;
        const std::size_t at = m_random.below(m_answers.actions.size());
        const std::string name = m_answers.actions[at];
        m_answers.actions.erase(m_answers.actions.begin() + std::ptrdiff_t(at));
        return "remove action: " + name;
    }

    std::optional<std::string> renameAction() {
        auto& actions = m_answers.actions;
        if (m_lastRename && m_random.chance(50)) {
            const auto [from, to] = *m_lastRename;
            const auto at = std::find(actions.begin(), actions.end(), to);
            if (at != actions.end() &&
                std::find(actions.begin(), actions.end(), from) == actions.end()) {
                *at = from;
                m_lastRename.reset();
                return "rename action: " + to + " back to " + from;
            }
        }
        const std::vector<std::string> free = freeNames();
        if (free.empty())
            return std::nullopt;
        std::string& action = actions[m_random.below(actions.size())];
        const std::string from = action;
        action = m_random.pick(free);
        m_lastRename = std::pair{from, action};
        return "rename action: " + from + " to " + action;
    }

    std::optional<std::string> switchHost() {
        m_answers.host = m_answers.host == "KEL" ? "DOV" : "KEL";
        return "switch host: " + m_answers.host;
    }

    // The user's own file stands where an action about to be added generates one.
    std::optional<std::string> ownFileThenAdd() {
        const std::vector<std::string> free = freeNames();
        if (free.empty())
            return std::nullopt;
        const std::string name = m_random.pick(free);
        const std::string path = name + ".cpp";
        const std::string first = userLine();
        const std::string second = userLine();
        writeWithFolders(project() / path, "// " + name + ", written by hand\n" + first + "\nint " +
                                               name + "();\n" + second + "\n");
        m_typed[path] = {first, second};
        m_answers.actions.push_back(name);
        return "own file, then add its action: " + path + " (" + first + ", " + second + ")";
    }

    // The folder renamed on the disk and in the answers together.
    std::optional<std::string> renameProject() {
        const std::string to = m_answers.name == "Demo" ? "Demo2" : "Demo";
        if (fs::exists(m_work.location() / to) || !fs::exists(project()))
            return std::nullopt;
        const std::string from = m_answers.name;
        fs::rename(project(), m_work.location() / to);
        m_answers.name = to;
        return "rename project and folder: " + from + " to " + to;
    }

    std::optional<std::string> takeSnapshot() {
        m_snapshot = Snapshot{filesBelow(project()), m_typed};
        return std::string("snapshot: the project folder");
    }

    // An older checkout: the record committed (restored with the rest) or ignored (left as the
    // last run made it).
    std::optional<std::string> restoreSnapshot() {
        if (!m_snapshot)
            return std::nullopt;
        const bool withRecord = m_random.chance(50);
        const fs::path folder = project();
        fs::create_directories(folder);
        for (const fs::directory_entry& entry : fs::directory_iterator(folder))
            if (withRecord || entry.path().filename() != ".vantrel")
                fs::remove_all(entry.path());
        for (const auto& [path, state] : m_snapshot->files)
            if (withRecord || !inRecord(path))
                writeWithFolders(folder / path, state.bytes);
        m_typed = m_snapshot->typed;
        return std::string(withRecord ? "restore snapshot with its record"
                                      : "restore snapshot, the record as it is") +
               ": the project folder";
    }

    std::optional<std::string> damageRecord() {
        const fs::path record = project() / ".vantrel";
        if (!fs::is_directory(record))
            return std::nullopt;
        switch (m_random.below(4)) {
        case 0: {
            const std::string manifest = readFile(record / "manifest.txt");
            const std::size_t size = m_random.below(std::max<std::size_t>(manifest.size(), 1));
            writeFile(record / "manifest.txt", manifest.substr(0, size));
            return "damage record: manifest.txt cut to " + std::to_string(size) + " bytes";
        }
        case 1: {
            std::vector<fs::path> inputs;
            if (fs::is_directory(record / "inputs"))
                for (const fs::directory_entry& entry : fs::directory_iterator(record / "inputs"))
                    inputs.push_back(entry.path());
            if (inputs.empty())
                break;
            const fs::path gone = m_random.pick(inputs);
            fs::remove(gone);
            return "damage record: inputs/" + gone.filename().string() + " deleted";
        }
        case 2: {
            std::string answers = readFile(record / "project.json");
            static const std::vector<std::string> DAMAGES = {"half", "brace", "host"};
            const std::string damage = m_random.pick(DAMAGES);
            if (damage == "half")
                answers.resize(answers.size() / 2);
            else if (damage == "brace")
                answers = "{" + answers;
            else
                answers = "{\"host\": 7, \"name\": []}\n";
            writeFile(record / "project.json", answers);
            return "damage record: project.json corrupt (" + damage + ")";
        }
        default:
            break;
        }
        fs::remove_all(record);
        return std::string("damage record: .vantrel/ deleted");
    }

    std::optional<std::string> withoutRecord() {
        m_noRecord = true;
        return std::string("no record: run with --no-record");
    }

    // FILE kept with FILE.vantrel-new beside it: the user merges by hand (the new text with
    // their lines, the new file deleted) or edits the new file and leaves it.
    std::optional<std::string> resolveConflict() {
        std::vector<std::string> besides;
        for (const std::string& path : userFiles(true))
            if (path.ends_with(BESIDE))
                besides.push_back(path);
        if (besides.empty())
            return std::nullopt;
        const std::string beside = m_random.pick(besides);
        const std::string file = beside.substr(0, beside.size() - BESIDE.size());
        if (m_random.chance(25))
            return "edit the new text: " + insertTyped(beside);
        std::vector<std::string> lines = linesOf(readFile(project() / beside));
        std::vector<std::string>& typed = m_typed[file];
        for (const std::string& moved : m_typed[beside])
            typed.push_back(moved);
        m_typed.erase(beside);
        for (const std::string& mine : typed)
            if (std::find(lines.begin(), lines.end(), mine) == lines.end())
                lines.insert(lines.begin() + std::ptrdiff_t(m_random.below(lines.size() + 1)),
                             mine);
        writeWithFolders(project() / file, joinLines(lines));
        fs::remove(project() / beside);
        if (typed.empty())
            m_typed.erase(file);
        return "resolve by hand: " + file + ", " + beside + " deleted";
    }

    std::optional<std::string> deleteFile() {
        const std::vector<std::string> files = userFiles();
        if (files.empty())
            return std::nullopt;
        const std::string path = m_random.pick(files);
        fs::remove(project() / path);
        m_typed.erase(path);
        return "delete file: " + path;
    }

    std::vector<std::string> arguments(bool preview) const {
        std::vector<std::string> arguments;
        if (preview)
            arguments.push_back("--dry-run");
        arguments.insert(arguments.end(), {"--config", m_work.config().string()});
        if (m_noRecord)
            arguments.push_back("--no-record");
        arguments.push_back(m_work.projectFile().string());
        return arguments;
    }

    std::vector<Failure> runAndCheck() {
        std::vector<Failure> failures;
        const auto fail = [&failures](std::string kind, std::string detail) {
            failures.push_back({std::move(kind), std::move(detail)});
        };
        const fs::path folder = project();
        const Files before = filesBelow(folder);
        const GenResult preview = runGen(arguments(true));
        if (!sameSizesAndTimes(filesBelow(folder, false), before))
            fail("the preview wrote", "the preview changed files below " + folder.string());
        const GenResult run = runGen(arguments(false));
        const Files after = filesBelow(folder);
        trace(preview, run);

        const std::string messages = "\nthe run's messages:\n" + run.err;
        if (run.status != 0 && run.status != 3)
            fail("run status " + std::to_string(run.status),
                 "the run exited with status " + std::to_string(run.status) + messages);
        if (m_log.size() == 1 && run.status != 0)
            fail("first run status", "a first run into an empty folder exited with status " +
                                         std::to_string(run.status) + messages);
        if (preview.status != run.status)
            fail("preview status differs", "the preview's status " +
                                               std::to_string(preview.status) + ", the run's " +
                                               std::to_string(run.status) + messages);

        // A conflict lasts until the user removes the new text beside the file: of a file the
        // run makes or the record lists (one neither knows, brought back by a restore, say, is
        // just the user's).
        const Listing listing = parseListing(preview.out, folder, m_work.location());
        if (run.status == 0)
            for (const auto& [path, state] : after)
                if (!inRecord(path) && path.ends_with(BESIDE)) {
                    const std::string file = path.substr(0, path.size() - BESIDE.size());
                    const auto target =
                        std::find_if(listing.targets.begin(), listing.targets.end(),
                                     [&file](const Listed& listed) { return listed.path == file; });
                    if (target == listing.targets.end())
                        continue;
                    fail("status 0 with a new text beside a file",
                         "the run exited with status 0, but " + path + " is there (the preview " +
                             "lists " + target->label + " " + file + ")" + messages);
                    break;
                }

        // No line the user typed is ever lost.
        for (auto it = m_typed.begin(); it != m_typed.end();) {
            std::vector<std::string> kept;
            const auto file = after.find(it->first);
            for (const std::string& typed : it->second) {
                if (file != after.end() && hasLine(file->second.bytes, typed))
                    kept.push_back(typed);
                else
                    fail(it->first.ends_with(BESIDE) ? "lost a typed line in a new text"
                                                     : "lost a typed line",
                         "lost " + typed + " in " + it->first +
                             (file == after.end() ? " (the file is gone)" : "") + messages);
            }
            // Reported once: what is gone is no longer looked for.
            it->second = std::move(kept);
            it = it->second.empty() ? m_typed.erase(it) : std::next(it);
        }

        for (const auto& [path, state] : before)
            if (!inRecord(path) && !after.contains(path))
                fail("the run deleted a file", "the run deleted " + path + messages);

        checkListing(listing, before, after, fail);

        // A second run straight after has nothing left to do.
        const GenResult again = runGen(arguments(false));
        const Files settled = filesBelow(folder);
        if (again.status != run.status)
            fail("second run status differs", "the second run exited with status " +
                                                  std::to_string(again.status) +
                                                  ", the first with " + std::to_string(run.status) +
                                                  "\nthe second run's messages:\n" + again.err);
        std::set<std::string> paths;
        for (const Files* files : {&after, &settled})
            for (const auto& [path, state] : *files)
                paths.insert(path);
        for (const std::string& path : paths) {
            if (machineLocal(after, path) || machineLocal(settled, path))
                continue;
            const auto first = after.find(path);
            const auto second = settled.find(path);
            if (first == after.end() || second == settled.end() ||
                first->second.bytes != second->second.bytes)
                fail(inRecord(path) ? "second run changed the record" : "second run changed a file",
                     "the second run " +
                         std::string(first == after.end()      ? "created "
                                     : second == settled.end() ? "deleted "
                                                               : "changed ") +
                         path + "\nthe second run's messages:\n" + again.err);
            else if (first->second.mtime != second->second.mtime)
                fail("second run rewrote same bytes",
                     "the second run wrote " + path + " again with the same bytes");
        }
        return failures;
    }

    // The files whose bytes the run changed or created are the preview's new, replaced and
    // merged files, and the new text beside each conflict.
    void checkListing(const Listing& listing, const Files& before, const Files& after,
                      const std::function<void(std::string, std::string)>& fail) const {
        for (const std::string& line : listing.unknown)
            fail("unknown preview line", "the preview listed \"" + line + "\"");
        if (listing.oldLabels)
            return;
        std::map<std::string, std::string> expected; // path: the preview's label for it
        std::set<std::string> besides;
        for (const Listed& target : listing.targets) {
            if (target.label == "new" || target.label == "replaced" || target.label == "merged")
                expected[target.path] = target.label;
            else if (target.label == "conflict")
                besides.insert(target.path + std::string(BESIDE));
        }
        std::map<std::string, std::string> labelOf;
        for (const Listed& target : listing.targets)
            labelOf[target.path] = target.label;
        for (const auto& [path, state] : after) {
            if (inRecord(path))
                continue;
            const auto old = before.find(path);
            if (old != before.end() && old->second.bytes == state.bytes)
                continue;
            if (!expected.contains(path) && !besides.contains(path))
                fail("run changed a file the preview did not list",
                     "the run " + std::string(old == before.end() ? "created " : "changed ") +
                         path + ", the preview said " +
                         (labelOf.contains(path) ? labelOf[path] : "nothing of it"));
        }
        for (const auto& [path, label] : expected) {
            if (fs::is_directory(project() / path))
                continue;
            const auto now = after.find(path);
            const auto old = before.find(path);
            if (now == after.end() ||
                (old != before.end() && old->second.bytes == now->second.bytes))
                fail("preview listed a change the run did not make",
                     "the preview said " + label + " " + path + ", the run left it as it was");
        }
        for (const std::string& beside : besides)
            if (!after.contains(beside))
                fail("conflict without a new text",
                     "the preview said conflict, the run wrote no " + beside);
    }

    void trace(const GenResult& preview, const GenResult& run) const {
        static const bool enabled = environmentNumber("VANTREL_SESSION_TRACE", 0) != 0;
        if (!enabled)
            return;
        std::cerr << "== " << m_log.size() - 1 << ": " << m_log.back() << "\npreview "
                  << preview.status << ":\n"
                  << preview.out << preview.err << "run " << run.status << ":\n"
                  << run.err;
    }

    Random m_random;
    Workspace m_work;
    TemplateSet m_templates;
    Answers m_answers;
    Typed m_typed;
    std::optional<Snapshot> m_snapshot;
    std::optional<std::pair<std::string, std::string>> m_lastRename; // from, to
    bool m_noRecord = false;
    int m_nextUser = 1;
    int m_nextLine = 1;
    std::vector<std::string> m_log; // what each step did, the first run first
};

class SessionShard : public ::testing::TestWithParam<int> {};

TEST_P(SessionShard, NoTypedLineIsLostAndThePreviewTellsTheRun) {
    const int shard = GetParam();
    std::vector<std::uint64_t> seeds;
    if (const int replay = environmentNumber("VANTREL_SESSION_SEED", 0); replay > 0) {
        if (shard != 0)
            GTEST_SKIP() << "replaying seed " << replay << " in shard 0";
        seeds.push_back(std::uint64_t(replay));
    } else {
        const int sequences = environmentNumber("VANTREL_SESSION_SEQUENCES", DEFAULT_SEQUENCES);
        for (int seed = 1 + shard; seed <= sequences; seed += SHARDS)
            seeds.push_back(std::uint64_t(seed));
    }

    // Kind of failure: how many sequences showed it, the first seed and step that did, and
    // the operations of the steps it followed.
    struct Seen {
        int sequences = 0;
        std::uint64_t seed = 0;
        int step = 0;
        std::string operation;
        std::map<std::string, int> after;
    };
    std::map<std::string, Seen> tally;
    int failing = 0;
    const auto start = std::chrono::steady_clock::now();
    for (const std::uint64_t seed : seeds) {
        const TempFolder root = fastTempFolder();
        Session session(seed, root.path());
        std::set<std::string> kinds;
        std::string first;
        session.run(OPERATIONS, [&](int step, const std::vector<Failure>& failures) {
            const std::string& operation = session.log()[std::size_t(step)];
            std::set<std::string> atThisStep;
            for (const Failure& failure : failures) {
                Seen& seen = tally[failure.kind];
                if (kinds.insert(failure.kind).second && seen.sequences++ == 0) {
                    seen.seed = seed;
                    seen.step = step;
                    seen.operation = operation;
                }
                if (atThisStep.insert(failure.kind).second)
                    ++seen.after[operation.substr(0, operation.find(':'))];
                if (first.empty())
                    first =
                        "step " + std::to_string(step) + " (" + operation + "): " + failure.detail;
            }
        });
        if (first.empty())
            continue;
        if (failing++ < DETAILED_FAILURES) {
            std::string message =
                "seed " + std::to_string(seed) + ", " + first + "\nfailures of this sequence:\n";
            for (const std::string& kind : kinds)
                message += "  " + kind + "\n";
            message +=
                "operations (replay with VANTREL_SESSION_SEED=" + std::to_string(seed) + "):\n";
            for (std::size_t i = 0; i < session.log().size(); ++i)
                message += "  " + std::to_string(i) + ": " + session.log()[i] + "\n";
            ADD_FAILURE() << message;
        } else {
            ADD_FAILURE() << "seed " << seed << ", " << first.substr(0, first.find('\n'));
        }
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    std::cout << seeds.size() << " sequences of " << OPERATIONS << " operations in "
              << elapsed.count() << " ms\n";
    for (const auto& [kind, seen] : tally) {
        std::cout << "  " << kind << ": " << seen.sequences << " sequences, first seed "
                  << seen.seed << " at step " << seen.step << " (" << seen.operation
                  << ")\n    after:";
        for (const auto& [operation, steps] : seen.after)
            std::cout << " " << operation << " (" << steps << ")";
        std::cout << "\n";
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, SessionShard, ::testing::Range(0, SHARDS));

} // namespace
} // namespace vantrel
