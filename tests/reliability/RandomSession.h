// The random session of a user between runs: what they do to the project (SessionOperations.cpp)
// and the runs that check it (SessionTest.cpp).
#pragma once

#include "SessionHarness.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantrel::session {

// Names come back often: removed and added again, renamed and renamed back.
inline const std::vector<std::string> ACTION_POOL = {"Line", "Arc", "Zoom", "Fill", "Move"};

inline constexpr std::string_view BESIDE = ".vantrel-new";

// Where a run puts a conflict: each run takes one of these at random.
inline const std::vector<std::string> CONFLICT_STYLES = {"beside", "markers", "git"};

// Whether a file holds a marker line of a conflict written into it.
inline bool holdsMarkers(std::string_view text) {
    return hasLine(text, "<<<<<<< yours") || hasLine(text, "||||||| base") ||
           hasLine(text, ">>>>>>> new");
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
    std::string from = {}; // a move's old file
};

struct Listing {
    std::vector<Listed> targets; // those inside the project folder
    bool oldLabels = false;      // "changed" instead of what a regeneration does
    std::vector<std::string> unknown;
};

// The lines of a preview or run that name a target inside the project folder.
Listing parseListing(const std::string& out, const fs::path& project, const fs::path& location);

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

// One user's sequence of steps from a seed, each followed by a preview and a run.
class Session {
public:
    Session(std::uint64_t seed, const fs::path& root);

    void run(int operations,
             const std::function<void(int step, const std::vector<Failure>&)>& report);

    const std::vector<std::string>& log() const { return m_log; }

private:
    fs::path project() const { return m_work.location() / m_answers.name; }

    // What the user does between runs, each returning what it did (SessionOperations.cpp).
    std::string line(const std::string& rest);
    std::string userLine() { return "// USER-" + std::to_string(m_nextUser++); }
    std::string freshLine(const std::vector<std::string>* section);
    std::vector<std::string> userFiles(bool besideToo = false) const;
    std::string insertTyped(const std::string& path);
    std::optional<std::string> overwriteTyped(const std::string& path);
    std::vector<std::string> freeNames() const;
    std::string operate();
    std::optional<std::string> editFile();
    std::optional<std::pair<std::vector<std::string>*, std::size_t>> lineNextToTyped();
    std::optional<std::string> changeTemplate();
    std::optional<std::string> addAction();
    std::optional<std::string> removeAction();
    std::optional<std::string> renameAction();
    std::optional<std::string> switchHost();
    std::optional<std::string> ownFileThenAdd();
    std::optional<std::string> renameProject();
    std::optional<std::string> takeSnapshot();
    std::optional<std::string> restoreSnapshot();
    std::optional<std::string> damageRecord();
    std::optional<std::string> withoutRecord();
    std::optional<std::string> resolveConflict();
    std::optional<std::string> resolveMarkers(const std::string& file);
    std::optional<std::string> deleteFile();
    std::optional<std::string> detachFile();
    std::optional<std::string> attachFile();
    // The preview and the run after each step, and what they must show (SessionTest.cpp).
    std::vector<std::string> arguments(bool preview) const;
    std::vector<Failure> runAndCheck();
    void checkListing(const Listing& listing, const Files& before, const Files& after,
                      const std::function<void(std::string, std::string)>& fail) const;
    void trace(const GenResult& preview, const GenResult& run) const;

    Random m_random;
    Workspace m_work;
    TemplateSet m_templates;
    Answers m_answers;
    Typed m_typed;
    std::optional<Snapshot> m_snapshot;
    std::optional<std::pair<std::string, std::string>> m_lastRename; // from, to
    std::uint32_t m_lastId = 0; // ids are given as the program gives them: never one again
    bool m_noRecord = false;
    bool m_prune = false;
    std::string m_conflictStyle = "beside";
    Random m_styles; // apart from m_random: the steps of a seed stay what they were
    // Files detached while the record says so (a damaged or restored record forgets them).
    std::set<std::string> m_detached;
    std::optional<Failure> m_stepFailure; // what went wrong in the step itself
    int m_nextUser = 1;
    int m_nextLine = 1;
    std::vector<std::string> m_log; // what each step did, the first run first
};

} // namespace vantrel::session
