// Random sessions of a user working on a generated project between runs: edits, template
// changes, actions that come and go and come back, host switches, a renamed project folder, old
// checkouts, damaged records and conflicts resolved by hand, each step followed by a preview and
// a run. After every run no line the user typed is gone, the preview told what the run did, and
// a second run finds nothing left to do.
//
// Sequence n runs from seed n. VANTREL_SESSION_SEQUENCES sets how many run, VANTREL_SESSION_SEED
// replays one, VANTREL_SESSION_TRACE=1 prints every step's operation, listing and messages.
#include "RandomSession.h"
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
#include <utility>
#include <vector>

namespace vantrel::session {

int environmentNumber(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::atoi(value) : fallback;
}

Listing parseListing(const std::string& out, const fs::path& project, const fs::path& location) {
    static const std::vector<std::string> LABELS = {
        "kept (yours)", "deleted by you", "delete",   "no longer generated",
        "new",          "same",           "replaced", "merged",
        "kept",         "conflict",       "blocked",  "refused",
        "changed"};
    const auto below = [&](fs::path path) {
        if (path.is_relative())
            path = location / path;
        return path.lexically_normal().lexically_relative(project).generic_string();
    };
    Listing listing;
    for (const std::string& line : linesOf(out)) {
        // "OLD -> NEW (moved...)": an action's rename moved a file.
        if (const std::size_t arrow = line.find(" -> "), open = line.rfind(" (moved");
            arrow != std::string::npos && open != std::string::npos && line.ends_with(")")) {
            listing.targets.push_back({line.substr(open + 2, line.size() - open - 3),
                                       below(line.substr(arrow + 4, open - arrow - 4)),
                                       below(line.substr(0, arrow))});
            continue;
        }
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

Session::Session(std::uint64_t seed, const fs::path& root)
    : m_random(seed)
    , m_work(root, true)
    , m_styles(seed * 31 + 7) {
    m_templates.once = {line(" notes of %PROJECTNAME%"), line(""), line(" end of notes")};
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
        m_answers.ids[pool[at]] = ++m_lastId;
        pool.erase(pool.begin() + std::ptrdiff_t(at));
    }
}

// The first run and the operations after it, each checked; calls report for every step
// that failed.
void Session::run(int operations,
                  const std::function<void(int step, const std::vector<Failure>&)>& report) {
    m_log.push_back("first run");
    m_work.write(m_templates, m_answers);
    std::vector<Failure> failures = runAndCheck();
    if (!failures.empty())
        report(0, failures);
    for (int step = 1; step <= operations; ++step) {
        m_noRecord = false;
        // Every third run deletes what is no longer generated and still as generated.
        m_prune = step % 3 == 0;
        m_conflictStyle = m_styles.pick(CONFLICT_STYLES);
        m_log.push_back(operate());
        m_work.write(m_templates, m_answers);
        failures = runAndCheck();
        if (!failures.empty())
            report(step, failures);
    }
}

std::vector<std::string> Session::arguments(bool preview) const {
    std::vector<std::string> arguments;
    if (preview)
        arguments.push_back("--dry-run");
    arguments.insert(arguments.end(), {"--config", m_work.config().string()});
    if (m_noRecord)
        arguments.push_back("--no-record");
    if (m_prune)
        arguments.push_back("--prune");
    arguments.push_back("--conflict=" + m_conflictStyle);
    arguments.push_back(m_work.projectFile().string());
    return arguments;
}

std::vector<Failure> Session::runAndCheck() {
    std::vector<Failure> failures;
    const auto fail = [&failures](std::string kind, std::string detail) {
        failures.push_back({std::move(kind), std::move(detail)});
    };
    if (m_stepFailure)
        failures.push_back(*std::exchange(m_stepFailure, std::nullopt));
    const fs::path folder = project();
    const Files before = filesBelow(folder);
    // Files whose recorded conflict still holds its markers: no run merges into them.
    std::vector<std::string> markedOpen;
    if (const auto manifest = before.find(".vantrel/manifest.txt"); manifest != before.end())
        for (const std::string& entry : linesOf(manifest->second.bytes)) {
            if (!entry.starts_with("conflict file "))
                continue;
            const std::string path = entry.substr(entry.rfind(' ') + 1);
            const auto file = before.find(path);
            if (file != before.end() && holdsMarkers(file->second.bytes))
                markedOpen.push_back(path);
        }
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
        fail("preview status differs", "the preview's status " + std::to_string(preview.status) +
                                           ", the run's " + std::to_string(run.status) + messages);

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
                // A file made the user's has no conflict of the run's: what stood beside it
                // before is the user's too.
                if (target == listing.targets.end() || target->label == "kept (yours)")
                    continue;
                fail("status 0 with a new text beside a file",
                     "the run exited with status 0, but " + path + " is there (the preview " +
                         "lists " + target->label + " " + file + ")" + messages);
                break;
            }

    for (const std::string& path : markedOpen) {
        const auto file = after.find(path);
        if (run.status != 3 || file == after.end() || file->second.bytes != before.at(path).bytes)
            fail("merged into open markers",
                 "the run exited with status " + std::to_string(run.status) + " and " +
                     (file == after.end() ? "removed " : "left ") + path +
                     ", which held the markers of its conflict" + messages);
    }
    // A clean move carries the user's lines to the new file and removes the old one; one whose
    // edits overlap keeps the old file with them.
    std::set<std::string> movedAway;
    for (const Listed& target : listing.targets) {
        if (!target.label.starts_with("moved") || target.label == "moved, conflict")
            continue;
        movedAway.insert(target.from);
        if (after.contains(target.from))
            fail("old file left after a clean move",
                 "the preview said " + target.from + " -> " + target.path + " (" + target.label +
                     "), the run left " + target.from + messages);
        if (const auto typed = m_typed.find(target.from); typed != m_typed.end()) {
            std::vector<std::string> lines = std::move(typed->second);
            m_typed.erase(typed);
            std::vector<std::string>& there = m_typed[target.path];
            there.insert(there.end(), lines.begin(), lines.end());
        }
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

    // Only what the preview said it deletes goes: files no longer generated, as generated.
    std::set<std::string> deleted;
    for (const Listed& target : listing.targets)
        if (target.label == "delete")
            deleted.insert(target.path);
    for (const auto& [path, state] : before)
        if (!inRecord(path) && !after.contains(path) && !deleted.contains(path) &&
            !movedAway.contains(path))
            fail("the run deleted a file", "the run deleted " + path + messages);
    for (const std::string& path : deleted)
        if (!m_prune || fs::exists(fs::symlink_status(project() / path)))
            fail("delete listed, file kept", "the preview said delete " + path + ", the run " +
                                                 (m_prune ? "kept it" : "was not pruning"));

    checkListing(listing, before, after, fail);

    // The user's files: a detached one, and the write-once file once it stands, keep every
    // byte, and no new text comes beside them.
    std::set<std::string> yours = m_detached;
    yours.insert(std::string(ONCE_FILE));
    for (const std::string& path : yours) {
        const auto old = before.find(path);
        const auto now = after.find(path);
        if (old != before.end() && (now == after.end() || now->second.bytes != old->second.bytes))
            fail("a run changed a file of the user's", "the run changed " + path + messages);
        const std::string beside = path + std::string(BESIDE);
        if (!before.contains(beside) && after.contains(beside))
            fail("a new text beside a file of the user's", "the run wrote " + beside + messages);
    }

    // A second run straight after has nothing left to do.
    const GenResult again = runGen(arguments(false));
    const Files settled = filesBelow(folder);
    if (again.status != run.status)
        fail("second run status differs", "the second run exited with status " +
                                              std::to_string(again.status) + ", the first with " +
                                              std::to_string(run.status) +
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
void Session::checkListing(const Listing& listing, const Files& before, const Files& after,
                           const std::function<void(std::string, std::string)>& fail) const {
    for (const std::string& line : listing.unknown)
        fail("unknown preview line", "the preview listed \"" + line + "\"");
    if (listing.oldLabels)
        return;
    std::map<std::string, std::string> expected; // path: the preview's label for it
    std::set<std::string> besides;
    std::set<std::string> moved;
    for (const Listed& target : listing.targets) {
        if (target.label == "new" || target.label == "replaced" || target.label == "merged")
            expected[target.path] = target.label;
        // A move may find its bytes there already (a run stopped before the old file went).
        else if (target.label.starts_with("moved"))
            moved.insert(target.path);
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
        // A conflict written into the file between markers.
        const bool marked = labelOf.contains(path) && labelOf[path] == "conflict" &&
                            besides.contains(path + std::string(BESIDE)) &&
                            holdsMarkers(state.bytes);
        if (!expected.contains(path) && !besides.contains(path) && !marked && !moved.contains(path))
            fail("run changed a file the preview did not list",
                 "the run " + std::string(old == before.end() ? "created " : "changed ") + path +
                     ", the preview said " +
                     (labelOf.contains(path) ? labelOf[path] : "nothing of it"));
    }
    for (const auto& [path, label] : expected) {
        if (fs::is_directory(project() / path))
            continue;
        const auto now = after.find(path);
        const auto old = before.find(path);
        if (now == after.end() || (old != before.end() && old->second.bytes == now->second.bytes))
            fail("preview listed a change the run did not make",
                 "the preview said " + label + " " + path + ", the run left it as it was");
    }
    for (const std::string& beside : besides) {
        const auto file = after.find(beside.substr(0, beside.size() - BESIDE.size()));
        if (!after.contains(beside) && (file == after.end() || !holdsMarkers(file->second.bytes)))
            fail("conflict without a new text", "the preview said conflict, the run wrote no " +
                                                    beside + " and no markers into the file");
    }
}

void Session::trace(const GenResult& preview, const GenResult& run) const {
    static const bool enabled = environmentNumber("VANTREL_SESSION_TRACE", 0) != 0;
    if (!enabled)
        return;
    std::cerr << "== " << m_log.size() - 1 << ": " << m_log.back() << "\npreview " << preview.status
              << ":\n"
              << preview.out << preview.err << "run " << run.status << ":\n"
              << run.err;
}

} // namespace vantrel::session

namespace vantrel {
namespace {

using namespace session;

constexpr int SHARDS = 10;
// The sanitizers make every run several times slower: fewer sequences there, the same seeds.
constexpr int DEFAULT_SEQUENCES = TIME_LIMITED ? 500 : 100;
constexpr int OPERATIONS = 30;
// Failing sequences told in full per shard; the rest get one line each.
constexpr int DETAILED_FAILURES = 5;

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
