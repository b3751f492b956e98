#pragma once

#include "fileutil/DiskView.h"
#include "fileutil/ProjectOutput.h"
#include "record/ContentHash.h"
#include "record/Manifest.h"
#include "record/TargetDecision.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace vantrel {

// The run's output passed on to another (the disk, or a tree in memory), deciding for every
// existing target whether it may be written (decideTarget) and noting what the run made for the
// record's manifest.
class RecordingOutput : public ProjectOutput {
public:
    using Policy = TargetPolicy;
    // The text this program wrote at a record path with the given hash; null when it cannot
    // be made.
    using BaseText = std::function<const std::string*(const std::string& path, ContentHash hash)>;
    // What the user chose for a target, by key: these bytes, or none to keep what is there.
    using Choices = std::map<std::string, std::optional<std::string>>;

    struct MoveDetails {
        std::string from;     // the old file's key below the location
        std::string fromPath; // native
        bool merged = false;  // the user's edits of the old file came along
        bool kept = false;    // they could not: the old file stays
    };
    struct MarkedConflict {
        std::string base;
        std::string yours;
        std::string theirs;
    };
    // The bytes there before and the bytes the run made or would write, for a diff.
    struct Texts {
        std::optional<std::string> before;
        std::optional<std::string> after;
    };
    // One target of the run and what became of it, in the order the run went for them. A run
    // of many files holds every outcome: the flags sit together, and what few targets have is
    // held apart.
    struct Outcome {
        TargetState state = TargetState::New;
        bool folder = false;
        bool copy = false;             // a file copied as it is (a kit file), never merged
        bool unproven = false;         // kept: nothing says this program wrote what is there
        bool mergeUnavailable = false; // kept: the library that merges could not be loaded
        bool noBase = false;           // kept: edited, and its base text cannot be made again
        bool unresolved = false;       // kept: an earlier conflict's file beside still stands
        bool besideFailed = false;
        bool besideYours = false;  // a conflict whose file beside the user changed: left alone
        bool markersStand = false; // kept: the markers of an earlier conflict are still in it
        bool markable = false;     // a conflict that markers could hold (a text with a base)
        bool written = false;      // the new bytes reached the file
        std::string key;           // below the location, "/" between names
        std::string nativePath;
        std::string beside; // a conflict: the file that holds the new text
        // A conflict written into the file between markers, with the texts of its three sides
        // (the base, the user's file before, the new text) for version control's index.
        std::shared_ptr<const MarkedConflict> marked;
        // A move: where an action's rename moved the file from, and what came of it.
        std::shared_ptr<MoveDetails> move;
        // Only when texts are kept (a preview asks for them).
        std::shared_ptr<Texts> texts;
    };

    static constexpr std::string_view BESIDE_SUFFIX = ".vantrel-new";

    // What a move did, as the listing and the review say it: "moved", "moved, merged" or
    // "moved, conflict".
    static std::string_view moveLabel(const Outcome& outcome) {
        return !outcome.move          ? "moved"
               : outcome.move->kept   ? "moved, conflict"
               : outcome.move->merged ? "moved, merged"
                                      : "moved";
    }

    // disk: what stands under the inner output when it is the disk or a preview of it; null for
    // a tree in memory alone.
    RecordingOutput(ProjectOutput& inner, DiskView* disk)
        : m_inner(inner)
        , m_disk(disk) {}

    // The key of the project folder below the location: record paths are relative to it. None:
    // nothing of the run is recorded (no project folder of its own).
    void setRecordRoot(std::optional<std::string> projectKey) { m_root = std::move(projectKey); }
    // The last run's manifest and the texts it made; without them, no existing file is proven.
    void setPrevious(const Manifest* previous, BaseText base) {
        m_previous = previous;
        m_base = std::move(base);
    }
    void setPolicy(Policy policy) { m_policy = policy; }
    // Where an automatic run puts a conflict of a text it can merge; copies, and files without
    // a base to merge on, always get FILE.vantrel-new.
    void setConflictStyle(ConflictStyle style) { m_style = style; }
    // The style for the targets it names (by key), over the one above.
    void setConflictStyles(std::map<std::string, ConflictStyle> byKey) {
        m_styles = std::move(byKey);
    }
    // The targets whose path changed only through an action's rename: new record path to the
    // old one, whose file moves there.
    // renames: each renamed action's old spelling and its new one (as it is, in lower and in
    // upper case), which the templates' lines changed with it.
    using Renames = std::vector<std::pair<std::string, std::string>>;
    void setMoves(std::map<std::string, std::string> moves, Renames renames = {}) {
        m_moves = std::move(moves);
        m_renames = std::move(renames);
    }
    // Removes the old file of each clean move whose target was written, if it still holds the
    // bytes that were moved (with remove; a preview only says it would). The keys of those the
    // system did not let go, or that changed meanwhile; only after a run that went through whole.
    std::vector<std::string> finishMoves(bool remove);
    // Overrides the decision for the targets it names.
    void setChoices(Choices choices) { m_choices = std::move(choices); }
    // Targets the user has made theirs in this run, by key: left as they are and recorded as
    // the user's, as a detached file is.
    void setDetached(std::set<std::string, std::less<>> keys) { m_detached = std::move(keys); }
    // Keep the bytes of each target for a diff (a preview asks for them).
    void keepTexts(bool keep) { m_keepTexts = keep; }
    // Says whether the run reads what the recorded one read (answers, configuration, script and
    // templates, so far): a file still as recorded then holds its text already, and an
    // automatic run into the disk does not make it again.
    void setSameInputs(std::function<bool()> sameInputs) { m_sameInputs = std::move(sameInputs); }

    void setLocation(const std::string& nativeLocation) override;
    bool createFolder(const std::string& nativePath, std::vector<std::string>& made,
                      std::string& refused) override;
    FileOpen openFile(const std::string& nativePath) override;
    void nextFileOnce() override { m_nextOnce = true; }
    std::string& pending() override { return m_mode == Mode::Stream ? m_inner.pending() : m_text; }
    bool writePending() override;
    Closed closeFile() override;
    Closed keepOpenFile() override;
    Copy copyFile(const std::string& nativeSource, const std::string& nativeTarget) override;
    std::optional<FileIdentity> existingIdentity() const override {
        if (m_mode == Mode::AsRecorded && !m_yoursBytes)
            return m_identity;
        return m_mode == Mode::Skip || m_mode == Mode::Yours ? std::nullopt
                                                             : m_inner.existingIdentity();
    }

    // Asked right after openFile: whether the open file holds the very bytes this run makes for
    // it already, as the record of an earlier run from the same inputs says. True: it is left
    // as it is, its lines need not be made, and it is closed as any other.
    bool holdsRunText();

    // What this run made, for the new record; finished (sorted) by finishManifest.
    const Manifest& manifest() const { return m_manifest; }
    Manifest takeManifest() { return std::move(m_manifest); }
    // Adds the entries of the last record that this run did not make and whose files are still
    // there, as no longer generated (a conflict stays one), and sorts the manifest. Only after
    // a run that went through whole.
    void finishManifest();
    // The texts the record keeps as merge bases that the run cannot make again: the new texts of
    // conflicts, and what earlier runs wrote in files no longer generated.
    const std::map<ContentHash, std::string>& baseTexts() const { return m_baseTexts; }

    using Outcomes = std::deque<Outcome>;
    const Outcomes& outcomes() const { return m_outcomes; }
    // The same, handed over once nothing more is asked of them.
    Outcomes takeOutcomes() {
        m_writtenHere.clear(); // it views the outcomes' keys
        return std::move(m_outcomes);
    }
    // Prunes what the last record lists and this whole run no longer makes, the keys wanted: a
    // file still as recorded is deleted (with remove; a preview only tells it would be) and
    // becomes an outcome, Deleted; an edited one is kept and named. A recorded folder that
    // pruning leaves empty goes too. Nothing unrecorded, in an open conflict or behind a link is
    // touched.
    struct Pruning {
        std::vector<std::string> edited;  // keys
        std::vector<std::string> failed;  // keys of files the system did not let go
        std::vector<std::string> missing; // keys of files gone already: nothing to say of them
    };
    Pruning prune(const std::function<bool(const std::string& key)>& wanted, bool remove);
    // Files the last run made that this one did not, by key; none until the run is known to
    // have gone through whole (a run that stopped early did not get to the others).
    std::vector<std::string> noLongerGenerated() const;
    void setRanWhole(bool whole) { m_ranWhole = whole; }
    // Whether this run made the folder at the key (it held nothing of an earlier run's).
    bool made(std::string_view key) const { return m_made.contains(key); }
    // The files whose FILE.vantrel-new still stands after the run, targets of the run or files
    // the last record lists: conflicts the user has not resolved yet.
    std::vector<std::string> openConflicts() const;
    // The files that still hold the markers of a conflict the last record names: targets the
    // run kept for it, and files it no longer makes.
    std::vector<std::string> markedConflicts() const;

    // A path's key below the location, taken lexically; none outside it.
    static std::optional<std::string> keyOf(const std::string& location,
                                            const std::string& nativePath);
    // Whether nothing can stand at a key: its folder is one this run made.
    bool inFolderMadeHere(std::string_view key) const;
    // A key's path below the project folder; none outside it.
    std::optional<std::string> recordPath(std::string_view key) const;

private:
    enum class Mode { None, Stream, Collect, Skip, AsRecorded, Yours };

    bool leavesAsRecorded() const;
    // Takes the bytes of what stands at the open target (a plain file, or a link's target),
    // or notes that they cannot be read.
    void takeStanding(bool plainFile, const std::string& nativePath);
    // Whether the target being opened is the user's: the record says so, the user chose so in
    // this run, or it is written once and the record had it or something stands there.
    bool belongsToUser(bool somethingThere) const;
    // Records the user's target as the record had it, or with the new text's hash when the
    // record never had it; a detached file keeps its base text for a merge once attached.
    void keepYours(Manifest::Kind kind, const std::string* theirs);
    // Keeps the text an entry's file was made from among the base texts, when it can be had.
    // made: what this run makes there, when it was made.
    void keepBaseText(const Manifest::Entry& entry, const std::string& nativePath,
                      const std::string* made = nullptr);
    // Whether FILE.vantrel-new stands beside a target on the disk.
    bool besideStands(const std::string& nativePath) const;
    const std::string* openedBytes() const { return m_disk ? m_disk->openedFileBytes() : nullptr; }
    Outcome& begin(TargetState state, const std::string& key, const std::string& nativePath);
    // Decides a target the record knows or that exists, with its new text.
    // base: set to the text merged on, when one was made.
    TargetDecision decide(std::string_view recordPath, const std::string* yours, bool unreadable,
                          std::string theirs, bool mergeable, const std::string** base = nullptr);
    // Keeps the record's entries of a file whose marked conflict is still open, with the text
    // its markers hold as new, the base of the merge once it is resolved.
    void keepOpenConflict(const std::string& path);
    // Writes the new text beside a conflict's file unless the user changed what is there;
    // the new manifest entry's pending hash.
    ContentHash putBeside(Outcome& outcome, const std::string& theirs, bool copy,
                          const std::string& nativeSource);
    void addEntry(Manifest::Entry entry);
    // Whether an action's rename moves an old file to the open target (somethingThere: a file
    // stands at the target); m_moving then holds it.
    bool openMove(bool somethingThere);
    // Closes the target of a move with the old file's text carried over; none when it is judged
    // as any other target after all.
    std::optional<Closed> closeMove(const std::string& theirs);
    void addConflict(const std::string& path, Manifest::Kind kind, const std::string& theirs,
                     ContentHash pending);

    ProjectOutput& m_inner;
    DiskView* m_disk;
    std::optional<std::string> m_root;
    const Manifest* m_previous = nullptr;
    BaseText m_base;
    Policy m_policy = Policy::Automatic;
    ConflictStyle m_style = ConflictStyle::Beside;
    std::map<std::string, ConflictStyle> m_styles;
    Choices m_choices;
    std::set<std::string, std::less<>> m_detached;
    bool m_nextOnce = false;
    bool m_keepTexts = false;
    std::string m_location;
    Manifest m_manifest;
    std::map<ContentHash, std::string> m_baseTexts;
    Outcomes m_outcomes; // a deque: a run of many files adds them one by one
    // Keys of the targets this run wrote, viewing their outcomes' keys: a deque never moves what
    // it holds, and a large run would hold every key twice.
    std::unordered_set<std::string_view> m_writtenHere;
    bool m_ranWhole = false;
    std::set<std::string, std::less<>> m_made; // keys of the folders this run made
    std::function<bool()> m_sameInputs;
    std::map<std::string, std::string> m_moves;
    Renames m_renames;
    std::unordered_set<std::string> m_openedPaths; // record paths the run went for
    std::unordered_set<std::string> m_movedAway;   // record paths whose file moved elsewhere
    struct MoveDone {
        std::string from; // record path
        ContentHash hash; // of the bytes moved
        std::size_t outcome;
    };
    std::vector<MoveDone> m_movesDone;

    // The names of files beside, by folder, listed when first asked, and the target last asked
    // about (it is asked again as it is decided).
    mutable std::unordered_map<std::string, std::unordered_set<std::string>> m_besideNames;
    struct BesideLooked {
        std::string path;
        bool stands = false;
    };
    mutable BesideLooked m_beside;

    // The open file.
    Mode m_mode = Mode::None;
    std::string m_key;
    std::optional<std::string> m_path; // below the project folder
    std::string m_native;
    std::span<const Manifest::Entry> m_entries;
    FileIdentity m_identity{};
    std::optional<std::string> m_yours;
    struct Moving {
        std::string from;     // record path
        std::string native;   // its native path
        std::string bytes;    // what stood there
        bool edited = false;  // other bytes than this program wrote there
        bool movedTo = false; // the target holds the move's bytes already (a run stopped)
    };
    std::optional<Moving> m_moving;
    const std::string* m_yoursBytes = nullptr; // the file's bytes on the disk; null: none
    bool m_unreadable = false;
    bool m_once = false; // written once
    std::string m_text;
    bool m_created = false;
    std::size_t m_seen = 0;
    std::uint64_t m_size = 0;
    ContentHasher m_hasher;
};

} // namespace vantrel
