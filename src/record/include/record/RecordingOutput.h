#pragma once

#include "fileutil/ProjectOutput.h"
#include "record/ContentHash.h"
#include "record/Manifest.h"

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// What a regeneration does with a target the last run's record lists.
enum class Regenerated {
    AsGenerated, // still as the last run wrote it: updated, or left when the new bytes are the same
    Merged,      // edited by the user; the new text merged in without overlap
    Conflict,    // edited where the new text changed too
    YoursKept,   // edited, and the generated text did not change: left alone
    Deleted,     // deleted by the user
};

// The run's output passed on to another (the disk, or a tree in memory), noting what the run made
// for the record's manifest. Given the last run's record, a file the user edited since is not
// written over: the new text is merged into it, or it is kept.
class RecordingOutput : public ProjectOutput {
public:
    // How targets that the user edited or deleted are treated.
    enum class Policy {
        Automatic, // clean merges written; conflicts kept, the new text written beside them
        Review,    // everything the review may offer written (merges with conflict markers,
                   // deleted files again) so that it shows what each choice would write
        Overwrite, // every target written as generated, as without a record
    };
    // The text the recorded run wrote at a key; null when it wrote none or cannot be repeated.
    using BaseText = std::function<const std::string*(const std::string& key)>;
    // What the user chose for a target: these bytes, or none to keep what is there.
    using Choices = std::map<std::string, std::optional<std::string>>;

    // A target's fate other than being written as generated, for the listing and the review.
    struct Outcome {
        Regenerated kind = Regenerated::AsGenerated;
        std::string key; // below the location, "/" between names
        std::string nativePath;
        std::string beside; // Automatic conflicts: the file holding the new text
        bool besideFailed = false;
    };

    // The file beside a kept one that receives the new text.
    static constexpr std::string_view BESIDE_SUFFIX = ".vantrel-new";

    explicit RecordingOutput(ProjectOutput& inner)
        : m_inner(inner) {}

    // The last run's manifest and the texts it made; without them, every target is new.
    void setPrevious(const Manifest* previous, BaseText base) {
        m_previous = previous;
        m_base = std::move(base);
    }
    void setPolicy(Policy policy) { m_policy = policy; }
    // Told the key of every folder the run creates, or finds there already, as it goes.
    void setFolderListener(std::function<void(const std::string& key)> listener) {
        m_folderListener = std::move(listener);
    }
    // Overrides the policy for the targets it names.
    void setChoices(Choices choices) { m_choices = std::move(choices); }
    // Says whether the run reads what the recorded one read (answers, configuration, script and
    // templates, so far): a file still as recorded then holds its text already, and an
    // automatic run into the disk does not make it again.
    void setSameInputs(std::function<bool()> sameInputs) { m_sameInputs = std::move(sameInputs); }

    void setLocation(const std::string& nativeLocation) override;
    bool createFolder(const std::string& nativePath, std::vector<std::string>& made,
                      std::string& refused) override;
    FileOpen openFile(const std::string& nativePath) override;
    std::string& pending() override {
        return m_mode == Mode::Collect || m_mode == Mode::Skip || m_mode == Mode::AsRecorded
                   ? m_text
                   : m_inner.pending();
    }
    bool writePending() override;
    Closed closeFile() override;
    Closed keepOpenFile() override;
    bool leaveAsRunText() override;
    Copy copyFile(const std::string& nativeSource, const std::string& nativeTarget) override;
    bool keepsRecord() const override { return m_inner.keepsRecord(); }
    std::optional<FileIdentity> existingIdentity() const override {
        if (m_mode == Mode::AsRecorded && !innerHasIt(m_mode))
            return m_identity;
        return innerHasIt(m_mode) ? m_inner.existingIdentity() : std::nullopt;
    }

    // What this run made, for the new record.
    const Manifest& manifest() const { return m_manifest; }
    // The same, handed over once nothing more is asked of it: a large one is not copied.
    Manifest takeManifest() { return std::move(m_manifest); }
    const std::vector<Outcome>& outcomes() const { return m_outcomes; }
    // Whether the last run's record lists a file at the key.
    bool wasRecorded(const std::string& key) const {
        return m_previous && m_previous->find(key) != nullptr;
    }
    // Files the last run made that this one did not, by key; none until the run is known to
    // have gone through whole (a run that stopped early did not get to the others).
    std::vector<std::string> noLongerGenerated() const;
    void setRanWhole(bool whole) { m_ranWhole = whole; }
    // Whether this run made the folder at the key (it held nothing of an earlier run's).
    bool made(std::string_view key) const { return m_made.contains(key); }

    // A path's key below the location, taken lexically; none outside it.
    static std::optional<std::string> keyOf(const std::string& location,
                                            const std::string& nativePath);

private:
    // AsRecorded: a recorded file left as it is, holding the run's text already.
    enum class Mode { None, Stream, Collect, Skip, AsRecorded };

    // Whether a file the record lists may be left as it is when it holds the run's text.
    bool leavesAsRecorded() const;
    // Whether the inner output has the open file open too: not a deleted one skipped, nor one
    // left as recorded without being read.
    bool innerHasIt(Mode mode) const {
        return mode != Mode::Skip && (mode != Mode::AsRecorded || m_yoursBytes != nullptr);
    }

    // What becomes of a recorded target: the kind, and the bytes to write, or none to keep.
    struct Decision {
        Regenerated kind = Regenerated::AsGenerated;
        std::optional<std::string> bytes;
    };
    Decision decide(const Manifest::Entry& entry, const std::string& key, const std::string* yours,
                    std::string& theirs, bool mergeable) const;
    void note(Regenerated kind, const std::string& key, const std::string& nativePath);
    bool writeBeside(const std::string& nativePath, const std::string& bytes);

    ProjectOutput& m_inner;
    const Manifest* m_previous = nullptr;
    BaseText m_base;
    Policy m_policy = Policy::Automatic;
    Choices m_choices;
    std::string m_location;
    Manifest m_manifest;
    std::vector<Outcome> m_outcomes;
    bool m_ranWhole = false;
    std::set<std::string, std::less<>> m_made; // keys of the folders this run made
    std::function<void(const std::string&)> m_folderListener;
    std::function<bool()> m_sameInputs;

    // The open file.
    Mode m_mode = Mode::None;
    std::string m_key;
    std::string m_path;
    const Manifest::Entry* m_entry = nullptr;
    FileIdentity m_identity{};                 // AsRecorded without the inner output: the file's
    std::optional<std::string> m_yours;        // read here when the inner output did not
    const std::string* m_yoursBytes = nullptr; // the file's bytes on the disk; null: none
    bool m_onDisk = false;                     // something stands in the file's place
    std::string m_text;                        // Collect: the whole new text
    bool m_created = false; // Stream: the inner output made the file where nothing was
    std::size_t m_seen = 0; // Stream: the bytes of the inner pending text hashed already
    std::uint64_t m_size = 0;
    ContentHasher m_hasher;
};

} // namespace vantrel
