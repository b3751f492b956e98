#include "record/RecordingOutput.h"

#include "diff/TextMerge.h"
#include "fileutil/TextFile.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <unordered_set>

namespace vantrel {
namespace {

constexpr std::string_view YOURS_LABEL = "yours";
constexpr std::string_view THEIRS_LABEL = "generated";

enum class Place { Missing, File, Other };

// What stands at a path, without following a link in its place.
struct Seen {
    Place place = Place::Missing;
    std::uint64_t size = 0;
    std::int64_t changed = 0; // the change time, as fileClockNow tells it; 0: not known
    FileIdentity identity;
};

Seen look(const std::string& nativePath) {
    struct stat info {};
    if (::lstat(nativePath.c_str(), &info) != 0)
        return {};
    if (!S_ISREG(info.st_mode))
        return {Place::Other, 0, 0, {}};
    Seen seen{Place::File,
              static_cast<std::uint64_t>(info.st_size),
              0,
              {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)}};
#ifdef __linux__
    seen.changed = std::int64_t{info.st_ctim.tv_sec} * 1'000'000'000 + info.st_ctim.tv_nsec;
#endif
    return seen;
}

// Whether what the disk says of a recorded file shows it as the record was written: the record
// was written after the file, and any change since would show a later time. A time in whole
// seconds comes from a file system that keeps no finer one, where a change made within the
// record's second would not show.
bool untouchedSince(const Manifest& record, const Manifest::Entry& entry, const Seen& seen) {
    constexpr std::int64_t SECOND = 1'000'000'000;
    return entry.held && record.writtenAt > 0 && seen.place == Place::File && seen.changed > 0 &&
           seen.changed % SECOND != 0 && seen.changed < record.writtenAt && seen.size == entry.size;
}

} // namespace

std::optional<std::string> RecordingOutput::keyOf(const std::string& location,
                                                  const std::string& nativePath) {
    // The usual path: the location, one separator and plain names, taken apart as text.
    if (location.empty() && isTargetPath(nativePath))
        return nativePath;
    if (!location.empty() && location.back() != '/' && nativePath.size() > location.size() + 1 &&
        nativePath.starts_with(location) && nativePath[location.size()] == '/') {
        const std::string_view rest = std::string_view(nativePath).substr(location.size() + 1);
        if (isTargetPath(rest))
            return std::string(rest);
    }
    namespace fs = std::filesystem;
    const fs::path relative = fs::path(nativePath)
                                  .lexically_normal()
                                  .lexically_relative(fs::path(location).lexically_normal());
    if (relative.empty())
        return std::nullopt;
    std::string key = relative.generic_string();
    if (key == "." || key == ".." || key.starts_with("../"))
        return std::nullopt;
    if (key.ends_with('/'))
        key.pop_back();
    return key;
}

void RecordingOutput::setLocation(const std::string& nativeLocation) {
    m_location = nativeLocation;
    m_manifest = Manifest{};
    m_outcomes.clear();
    m_ranWhole = false;
    m_made.clear();
    m_inner.setLocation(nativeLocation);
}

bool RecordingOutput::createFolder(const std::string& nativePath, std::vector<std::string>& made,
                                   std::string& refused) {
    const bool created = m_inner.createFolder(nativePath, made, refused);
    for (const std::string& folder : made)
        if (std::optional<std::string> key = keyOf(m_location, folder))
            m_made.insert(std::move(*key));
    if (created)
        if (std::optional<std::string> key = keyOf(m_location, nativePath)) {
            if (m_folderListener)
                m_folderListener(*key);
            m_manifest.add({Manifest::Kind::Folder, std::move(*key), 0, 0});
        }
    return created;
}

void RecordingOutput::note(Regenerated kind, const std::string& key,
                           const std::string& nativePath) {
    if (kind != Regenerated::AsGenerated)
        m_outcomes.push_back({kind, key, nativePath, {}, false});
}

ProjectOutput::FileOpen RecordingOutput::openFile(const std::string& nativePath) {
    m_mode = Mode::None;
    m_path = nativePath;
    m_text.clear();
    m_yours.reset();
    m_yoursBytes = nullptr;
    m_onDisk = false;
    m_entry = nullptr;
    m_size = 0;
    m_seen = 0;
    std::optional<std::string> key = keyOf(m_location, nativePath);
    m_key = key ? std::move(*key) : std::string();
    if (!m_key.empty() && m_previous && m_policy != Policy::Overwrite)
        m_entry = m_previous->find(m_key);
    if (!m_entry || m_entry->kind == Manifest::Kind::Folder) {
        m_entry = nullptr;
        const FileOpen opened = m_inner.openFile(nativePath);
        if (opened != FileOpen::Failed)
            m_mode = Mode::Stream;
        m_created = opened == FileOpen::Created;
        return opened;
    }
    // A recorded file is gathered whole: whether it may be written is known at its end.
    const Seen seen = look(nativePath);
    const Place place = seen.place;
    if (untouchedSince(*m_previous, *m_entry, seen) && leavesAsRecorded() &&
        m_inner.mayLeaveUnopened(nativePath)) {
        // Not read: it holds the recorded bytes, which the same inputs make again.
        m_mode = Mode::AsRecorded;
        m_identity = seen.identity;
        return FileOpen::Replaced;
    }
    const auto choice = m_choices.find(m_key);
    const bool chosenWritten = choice != m_choices.end() && choice->second;
    if (place == Place::Missing && !chosenWritten && m_policy == Policy::Automatic) {
        m_mode = Mode::Skip;
        return FileOpen::Replaced;
    }
    const FileOpen opened = m_inner.openFile(nativePath);
    if (opened == FileOpen::Failed)
        return opened;
    m_onDisk = place != Place::Missing;
    if (place == Place::File) {
        // The disk's output has read them already to compare; no second reading.
        m_yoursBytes = m_inner.existingBytes();
        if (!m_yoursBytes) {
            m_yours = readFileBytes(nativePath);
            m_yoursBytes = m_yours ? &*m_yours : nullptr;
        }
    }
    m_mode = Mode::Collect;
    return opened;
}

bool RecordingOutput::leavesAsRecorded() const {
    // Only an automatic run into the disk with nothing chosen leaves a file without making it.
    return m_policy == Policy::Automatic && m_choices.empty() && m_inner.keepsRecord() &&
           m_sameInputs && m_sameInputs();
}

bool RecordingOutput::leaveAsRunText() {
    if (m_mode == Mode::AsRecorded)
        return true;
    // Read by the disk's output as a plain file (not one kept by choice, nor a link) and still
    // as recorded: the same inputs make the same bytes again.
    if (m_mode != Mode::Collect || !m_yoursBytes || m_yoursBytes != m_inner.existingBytes() ||
        m_yoursBytes->size() != m_entry->size || !leavesAsRecorded() ||
        contentHash(*m_yoursBytes) != m_entry->hash)
        return false;
    m_mode = Mode::AsRecorded;
    return true;
}

bool RecordingOutput::writePending() {
    // Hashed in large pieces, as the disk is written: a line at a time costs more than the hash.
    if (m_mode != Mode::Stream || m_inner.pending().size() - m_seen < PIECE_SIZE)
        return true;
    const std::string& text = m_inner.pending();
    if (m_size == 0)
        m_hasher.reset();
    m_hasher.add(std::string_view(text).substr(m_seen));
    m_size += text.size() - m_seen;
    const bool written = m_inner.writePending();
    m_seen = m_inner.pending().size();
    return written;
}

RecordingOutput::Decision RecordingOutput::decide(const Manifest::Entry& entry,
                                                  const std::string& key, const std::string* yours,
                                                  std::string& theirs, bool mergeable) const {
    // The new text moves into the decision wherever it is what gets written.
    if (!yours)
        return {Regenerated::Deleted,
                m_policy == Policy::Automatic ? std::nullopt : std::optional(std::move(theirs))};
    if (*yours == theirs || contentHash(*yours) == entry.hash)
        return {Regenerated::AsGenerated, std::move(theirs)};
    if (contentHash(theirs) == entry.hash)
        return {Regenerated::YoursKept, std::nullopt};
    const std::string* base = mergeable && m_base ? m_base(key) : nullptr;
    std::optional<MergedText> merged;
    if (base)
        merged = mergeTexts(*base, *yours, theirs, YOURS_LABEL, THEIRS_LABEL);
    if (merged && merged->clean)
        return {Regenerated::Merged, std::move(merged->text)};
    if (m_policy == Policy::Review)
        return {Regenerated::Conflict, merged ? std::move(merged->text) : std::move(theirs)};
    return {Regenerated::Conflict, std::nullopt};
}

bool RecordingOutput::writeBeside(const std::string& nativePath, const std::string& bytes) {
    const std::string beside = nativePath + std::string(BESIDE_SUFFIX);
    if (m_inner.openFile(beside) == FileOpen::Failed)
        return false;
    m_inner.pending() = bytes;
    const Closed closed = m_inner.closeFile();
    return closed == Closed::Written || closed == Closed::Unchanged;
}

ProjectOutput::Closed RecordingOutput::closeFile() {
    const Mode mode = m_mode;
    m_mode = Mode::None;
    switch (mode) {
    case Mode::Stream: {
        // A file that never reached the size to pass on (most do not) is hashed in one go.
        const std::string_view rest = std::string_view(m_inner.pending()).substr(m_seen);
        ContentHash hash = 0;
        if (m_size == 0) {
            hash = contentHash(rest);
        } else {
            m_hasher.add(rest);
            hash = m_hasher.hash();
        }
        m_size += rest.size();
        const Closed closed = m_inner.closeFile();
        if (closed == Closed::Failed || m_key.empty())
            return closed;
        Manifest::Entry entry{Manifest::Kind::File, std::move(m_key), m_size, hash,
                              closed == Closed::Written || closed == Closed::Unchanged};
        if (m_created)
            m_manifest.addNew(std::move(entry));
        else
            m_manifest.add(std::move(entry));
        return closed;
    }
    case Mode::Skip:
    case Mode::Collect: {
        std::string theirs = std::move(m_text);
        m_text.clear();
        Manifest::Entry entry{Manifest::Kind::File, m_key, theirs.size(), contentHash(theirs)};
        // A file there that cannot be read (or a link, a device) is no deleted one: it stays.
        Decision decision = m_onDisk && !m_yoursBytes
                                ? Decision{Regenerated::YoursKept, std::nullopt}
                                : decide(*m_entry, m_key, m_yoursBytes, theirs, true);
        note(decision.kind, m_key, m_path);
        if (const auto choice = m_choices.find(m_key); choice != m_choices.end())
            decision.bytes = choice->second;
        if (mode == Mode::Skip || !decision.bytes) {
            m_manifest.add(std::move(entry));
            if (mode == Mode::Skip)
                return Closed::Kept;
            const Closed closed = m_inner.keepOpenFile();
            if (closed == Closed::Failed)
                return closed;
            if (decision.kind == Regenerated::Conflict && m_policy == Policy::Automatic &&
                !writeBeside(m_path, theirs))
                m_outcomes.back().besideFailed = true;
            if (decision.kind == Regenerated::Conflict)
                m_outcomes.back().beside = m_path + std::string(BESIDE_SUFFIX);
            return Closed::Kept;
        }
        const bool asMade = contentHash(*decision.bytes) == entry.hash;
        m_inner.pending() = std::move(*decision.bytes);
        const Closed closed = m_inner.closeFile();
        entry.held = asMade && (closed == Closed::Written || closed == Closed::Unchanged);
        m_manifest.add(std::move(entry));
        return closed;
    }
    case Mode::AsRecorded: {
        m_text.clear();
        Manifest::Entry entry = *m_entry;
        entry.held = true;
        m_manifest.add(std::move(entry));
        if (!innerHasIt(mode))
            return Closed::Unchanged;
        return m_inner.keepOpenFile() == Closed::Failed ? Closed::Failed : Closed::Unchanged;
    }
    case Mode::None:
        break;
    }
    return m_inner.closeFile();
}

ProjectOutput::Closed RecordingOutput::keepOpenFile() {
    const Mode mode = m_mode;
    m_mode = Mode::None;
    m_text.clear();
    return innerHasIt(mode) ? m_inner.keepOpenFile() : Closed::Kept;
}

ProjectOutput::Copy RecordingOutput::copyFile(const std::string& nativeSource,
                                              const std::string& nativeTarget) {
    const std::optional<std::string> key = keyOf(m_location, nativeTarget);
    const Manifest::Entry* entry = nullptr;
    if (key && m_previous && m_policy != Policy::Overwrite)
        entry = m_previous->find(*key);
    const std::optional<std::string> theirs = readFileBytes(nativeSource);
    const auto done = [&](Copy copy) {
        if ((copy == Copy::Done || copy == Copy::Unchanged || copy == Copy::Kept) && key && theirs)
            m_manifest.add({Manifest::Kind::Copy, *key, theirs->size(), contentHash(*theirs)});
        return copy;
    };
    if (!entry || entry->kind == Manifest::Kind::Folder || !theirs)
        return done(m_inner.copyFile(nativeSource, nativeTarget));
    const Place place = look(nativeTarget).place;
    if (place == Place::Other) // a link or a folder: the inner output decides
        return done(m_inner.copyFile(nativeSource, nativeTarget));
    std::optional<std::string> yours;
    if (place == Place::File)
        yours = readFileBytes(nativeTarget);
    if (place == Place::File && !yours) // there, but cannot be read: it stays
        return done(Copy::Kept);
    // Copies are no texts to merge: an edited one is kept whenever the source changed too.
    std::string source = *theirs;
    Decision decision = decide(*entry, *key, yours ? &*yours : nullptr, source, false);
    note(decision.kind, *key, nativeTarget);
    bool write = decision.bytes.has_value();
    if (const auto choice = m_choices.find(*key); choice != m_choices.end())
        write = choice->second.has_value();
    if (write)
        return done(m_inner.copyFile(nativeSource, nativeTarget));
    if (decision.kind == Regenerated::Conflict && m_policy == Policy::Automatic) {
        const std::string beside = nativeTarget + std::string(BESIDE_SUFFIX);
        const Copy copied = m_inner.copyFile(nativeSource, beside);
        m_outcomes.back().beside = beside;
        m_outcomes.back().besideFailed = copied != Copy::Done && copied != Copy::Unchanged;
    }
    return done(Copy::Kept);
}

std::vector<std::string> RecordingOutput::noLongerGenerated() const {
    std::vector<std::string> gone;
    if (!m_previous || !m_ranWhole)
        return gone;
    // Looked up in a set of their own: the run's new files are not in the manifest's index.
    std::unordered_set<std::string_view> made;
    made.reserve(m_manifest.entries.size());
    for (const Manifest::Entry& entry : m_manifest.entries)
        if (entry.kind != Manifest::Kind::Folder)
            made.insert(entry.path);
    for (const Manifest::Entry& entry : m_previous->entries)
        if (entry.kind != Manifest::Kind::Folder && !made.contains(entry.path))
            gone.push_back(entry.path);
    return gone;
}

} // namespace vantrel
