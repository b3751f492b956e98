#include "record/RecordingOutput.h"

#include "RecordingLook.h"
#include "fileutil/TextFile.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <utility>

namespace vantrel {

using namespace recording;

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

std::optional<std::string> RecordingOutput::recordPath(std::string_view key) const {
    if (!m_root || key.size() <= m_root->size() + 1 || !key.starts_with(*m_root) ||
        key[m_root->size()] != '/')
        return std::nullopt;
    std::string path(key.substr(m_root->size() + 1));
    // The record's own folder is no target of a run.
    if (path == ".vantrel" || path.starts_with(".vantrel/") || !isTargetPath(path))
        return std::nullopt;
    return path;
}

bool RecordingOutput::inFolderMadeHere(std::string_view key) const {
    const std::size_t slash = key.rfind('/');
    return slash != std::string_view::npos && m_made.contains(key.substr(0, slash));
}

void RecordingOutput::setLocation(const std::string& nativeLocation) {
    m_location = nativeLocation;
    m_manifest = Manifest{};
    m_baseTexts.clear();
    m_outcomes.clear();
    m_writtenHere.clear();
    m_ranWhole = false;
    m_made.clear();
    m_openedPaths.clear();
    m_movedAway.clear();
    m_movesDone.clear();
    m_inner.setLocation(nativeLocation);
}

RecordingOutput::Outcome& RecordingOutput::begin(TargetState state, const std::string& key,
                                                 const std::string& nativePath) {
    Outcome& outcome = m_outcomes.emplace_back();
    outcome.state = state;
    outcome.key = key;
    outcome.nativePath = nativePath;
    if (state == TargetState::New || state == TargetState::Replaced ||
        state == TargetState::Merged || state == TargetState::Same || state == TargetState::Moved)
        m_writtenHere.insert(outcome.key);
    return outcome;
}

bool RecordingOutput::besideStands(const std::string& nativePath) const {
    if (m_beside.path == nativePath)
        return m_beside.stands;
    // A name holding a NUL byte names nothing the system can hold.
    if (nativePath.find('\0') != std::string::npos)
        return false;
    // A run goes for most files of a few folders: each folder's names beside are listed once.
    const std::size_t slash = nativePath.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".")
                               : slash == 0               ? std::string("/")
                                                          : nativePath.substr(0, slash);
    auto [listed, added] = m_besideNames.try_emplace(folder);
    if (added)
        listed->second = namesEndingIn(folder, BESIDE_SUFFIX);
    const std::string name = nativePath.substr(slash == std::string::npos ? 0 : slash + 1);
    m_beside = {nativePath, listed->second.contains(name + std::string(BESIDE_SUFFIX))};
    return m_beside.stands;
}

bool RecordingOutput::createFolder(const std::string& nativePath, std::vector<std::string>& made,
                                   std::string& refused) {
    const bool created = m_inner.createFolder(nativePath, made, refused);
    for (const std::string& folder : made)
        if (std::optional<std::string> key = keyOf(m_location, folder))
            m_made.insert(std::move(*key));
    const std::string key = keyOf(m_location, nativePath).value_or(std::string());
    Outcome& outcome = begin(!created       ? TargetState::Refused
                             : made.empty() ? TargetState::Same
                                            : TargetState::New,
                             key, nativePath);
    outcome.folder = true;
    outcome.written = created && !made.empty();
    if (created)
        if (std::optional<std::string> path = recordPath(key))
            m_manifest.entries.push_back({Manifest::Kind::Folder, Manifest::State::Generated,
                                          std::move(*path), 0, 0, 0, false});
    return created;
}

void RecordingOutput::addEntry(Manifest::Entry entry) {
    m_manifest.entries.push_back(std::move(entry));
}

ProjectOutput::FileOpen RecordingOutput::openFile(const std::string& nativePath) {
    m_mode = Mode::None;
    m_native = nativePath;
    m_text.clear();
    m_yours.reset();
    m_yoursBytes = nullptr;
    m_unreadable = false;
    m_entries = {};
    m_size = 0;
    m_seen = 0;
    m_key = keyOf(m_location, nativePath).value_or(std::string());
    m_path = recordPath(m_key);
    if (m_path && m_previous)
        m_entries = m_previous->at(*m_path);
    // In a folder this run made nothing stood before: no need to look.
    const Seen seen = inFolderMadeHere(m_key) ? Seen{} : look(nativePath);
    m_once = std::exchange(m_nextOnce, false);
    if (belongsToUser(seen.place != Place::Missing)) {
        m_mode = Mode::Yours; // nothing of the inner output's is opened
        return FileOpen::Replaced;
    }
    const bool onlyGone = std::all_of(m_entries.begin(), m_entries.end(), [](const auto& entry) {
        return entry.state == Manifest::State::Gone;
    });
    m_moving.reset();
    // Only a run with moves asks which paths it went for.
    if (m_path && !m_moves.empty())
        m_openedPaths.insert(*m_path);
    if (!m_writtenHere.contains(m_key) && seen.place != Place::Other &&
        openMove(seen.place != Place::Missing)) {
        const FileOpen opened = m_inner.openFile(nativePath);
        if (opened == FileOpen::Failed) {
            m_moving.reset();
            begin(TargetState::Refused, m_key, nativePath);
            return opened;
        }
        if (seen.place == Place::File)
            takeStanding(true, nativePath);
        m_mode = Mode::Collect;
        return opened;
    }
    // Where nothing stands and nothing was deleted, or everything is to be overwritten, the
    // text goes out as it comes, as on a first run.
    // A target the run writes a second time holds what the run wrote first: its own.
    if ((seen.place == Place::Missing && onlyGone) || m_policy == Policy::Overwrite ||
        m_writtenHere.contains(m_key) ||
        (seen.place == Place::Other && !judgedByBytes(seen, m_location, nativePath))) {
        const FileOpen opened = m_inner.openFile(nativePath);
        if (opened == FileOpen::Failed) {
            begin(TargetState::Refused, m_key, nativePath);
            return opened;
        }
        m_mode = Mode::Stream;
        m_created = opened == FileOpen::Created;
        return opened;
    }
    if (m_previous && untouchedSince(*m_previous, m_entries, seen) && leavesAsRecorded() &&
        m_disk && m_disk->mayLeaveUnopened(nativePath) && !besideStands(nativePath)) {
        // Not read: it holds the recorded bytes, which the same inputs make again.
        m_mode = Mode::AsRecorded;
        m_identity = seen.identity;
        return FileOpen::Replaced;
    }
    const auto choice = m_choices.find(m_key);
    const bool chosenWritten = choice != m_choices.end() && choice->second;
    if (seen.place == Place::Missing && !chosenWritten && m_policy == Policy::Automatic) {
        m_mode = Mode::Skip;
        return FileOpen::Replaced;
    }
    const FileOpen opened = m_inner.openFile(nativePath);
    if (opened == FileOpen::Failed) {
        begin(TargetState::Refused, m_key, nativePath);
        return opened;
    }
    if (seen.place != Place::Missing)
        takeStanding(seen.place == Place::File, nativePath);
    m_mode = Mode::Collect;
    return opened;
}

void RecordingOutput::takeStanding(bool plainFile, const std::string& nativePath) {
    // The disk's output has read a plain file already to compare; a link is judged by the bytes
    // it leads to.
    m_yoursBytes = plainFile ? openedBytes() : nullptr;
    if (!m_yoursBytes) {
        m_yours = readFileBytes(nativePath);
        m_yoursBytes = m_yours ? &*m_yours : nullptr;
    }
    m_unreadable = !m_yoursBytes;
}

bool RecordingOutput::leavesAsRecorded() const {
    // Only an automatic run into the disk with nothing chosen leaves a file without making it.
    return m_policy == Policy::Automatic && m_choices.empty() && !m_keepTexts && m_disk &&
           m_sameInputs && m_sameInputs();
}

bool RecordingOutput::belongsToUser(bool somethingThere) const {
    if (m_writtenHere.contains(m_key))
        return false;
    const bool recordedYours =
        std::any_of(m_entries.begin(), m_entries.end(),
                    [](const Manifest::Entry& entry) { return entry.yours; });
    return recordedYours || m_detached.contains(m_key) ||
           (m_once && (!m_entries.empty() || somethingThere));
}

bool RecordingOutput::holdsRunText() {
    if (m_mode == Mode::AsRecorded)
        return true;
    // The user's file is never written: its text serves only to record a file no entry
    // records, and as the base a detached file merges on once attached.
    if (m_mode == Mode::Yours)
        return !m_path || (m_once && !m_entries.empty());
    // Read by the disk's output as a plain file and still as the single recorded entry says:
    // the same inputs make the same bytes again.
    if (m_mode != Mode::Collect || !m_yoursBytes || m_yoursBytes != openedBytes() ||
        m_entries.size() != 1 || m_entries.front().state != Manifest::State::Generated ||
        besideStands(m_native) || m_yoursBytes->size() != m_entries.front().size ||
        !leavesAsRecorded() || contentHash(*m_yoursBytes) != m_entries.front().hash)
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
        std::optional<std::string> after;
        if (m_keepTexts && m_size == rest.size())
            after = std::string(rest);
        const Closed closed = m_inner.closeFile();
        Outcome& outcome = begin(closed == Closed::Failed      ? TargetState::Refused
                                 : m_created                   ? TargetState::New
                                 : closed == Closed::Unchanged ? TargetState::Same
                                                               : TargetState::Replaced,
                                 m_key, m_native);
        outcome.written = closed == Closed::Written;
        if (m_keepTexts)
            outcome.texts = std::make_shared<Texts>(Texts{std::nullopt, std::move(after)});
        if (closed != Closed::Failed && m_path)
            addEntry({Manifest::Kind::File, Manifest::State::Generated, std::move(*m_path), m_size,
                      // No run reads the user's file again: it is never taken as held.
                      hash, 0,
                      !m_once && (closed == Closed::Written || closed == Closed::Unchanged),
                      m_once});
        return closed;
    }
    case Mode::Skip:
    case Mode::Collect: {
        std::string theirs = std::move(m_text);
        m_text.clear();
        if (m_moving)
            if (const std::optional<Closed> moved = closeMove(theirs))
                return *moved;
        const std::string path = m_path.value_or(std::string());
        Manifest::Entry entry{Manifest::Kind::File,
                              Manifest::State::Generated,
                              path,
                              theirs.size(),
                              contentHash(theirs),
                              0,
                              false};
        const std::optional<std::string> before =
            m_keepTexts && m_yoursBytes ? std::optional(*m_yoursBytes) : std::nullopt;
        const std::string* base = nullptr;
        TargetDecision decision = decide(path, mode == Mode::Skip ? nullptr : m_yoursBytes,
                                         m_unreadable, theirs, true, &base);
        if (const auto choice = m_choices.find(m_key); choice != m_choices.end()) {
            decision.bytes = choice->second;
            decision.marked = false;
        }
        Outcome& first = begin(decision.state, m_key, m_native);
        first.unproven = decision.unproven;
        first.mergeUnavailable = decision.mergeUnavailable;
        first.noBase = decision.noBase;
        first.unresolved = decision.unresolved;
        first.markersStand = decision.markersStand;
        first.markable = decision.markable;
        if (m_keepTexts)
            first.texts =
                std::make_shared<Texts>(Texts{before, decision.bytes ? *decision.bytes : theirs});
        if (decision.state == TargetState::Refused) {
            m_inner.keepOpenFile();
            for (const Manifest::Entry& recorded : m_entries)
                addEntry(recorded);
            return Closed::Failed;
        }
        if (mode == Mode::Skip || !decision.bytes) {
            const Closed closed = mode == Mode::Skip ? Closed::Kept : m_inner.keepOpenFile();
            if (closed == Closed::Failed) {
                m_outcomes.back().state = TargetState::Refused;
                return closed;
            }
            if (decision.markersStand) {
                if (m_path)
                    keepOpenConflict(path);
            } else if (decision.state == TargetState::Conflict) {
                const ContentHash pending = putBeside(m_outcomes.back(), theirs, false, {});
                if (m_path)
                    addConflict(path, Manifest::Kind::File, theirs, pending);
            } else if (m_path) {
                addEntry(std::move(entry));
            }
            return Closed::Kept;
        }
        const bool asMade = contentHash(*decision.bytes) == entry.hash;
        if (decision.marked && base && m_yoursBytes)
            m_outcomes.back().marked = std::make_shared<const MarkedConflict>(
                MarkedConflict{*base, *m_yoursBytes, theirs});
        m_inner.pending() = std::move(*decision.bytes);
        const Closed closed = m_inner.closeFile();
        Outcome& outcome = m_outcomes.back();
        outcome.written = closed == Closed::Written;
        if (outcome.marked && closed != Closed::Failed) {
            // The file holds the user's lines and the new ones: the conflict stays open in the
            // record until the markers are gone.
            if (m_path)
                addConflict(path, Manifest::Kind::File, theirs, contentHash(theirs));
            return closed;
        }
        if (closed == Closed::Failed) {
            outcome.state = TargetState::Refused;
            outcome.marked.reset();
        } else if (closed == Closed::Unchanged && outcome.state == TargetState::Replaced)
            outcome.state = TargetState::Same;
        entry.held = asMade && (closed == Closed::Written || closed == Closed::Unchanged);
        // A failed write leaves the old bytes, which the old entries still prove.
        if (m_path && closed != Closed::Failed)
            addEntry(std::move(entry));
        else if (m_path)
            for (const Manifest::Entry& recorded : m_entries)
                addEntry(recorded);
        return closed;
    }
    case Mode::Yours: {
        begin(TargetState::Yours, m_key, m_native);
        if (m_path)
            keepYours(Manifest::Kind::File, &m_text);
        m_text.clear();
        return Closed::Kept;
    }
    case Mode::AsRecorded: {
        m_text.clear();
        begin(TargetState::Same, m_key, m_native);
        Manifest::Entry entry = m_entries.front();
        entry.held = true;
        addEntry(std::move(entry));
        if (!m_yoursBytes)
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
    if (mode == Mode::Skip || mode == Mode::Yours || (mode == Mode::AsRecorded && !m_yoursBytes))
        return Closed::Kept;
    return m_inner.keepOpenFile();
}

ProjectOutput::Copy RecordingOutput::copyFile(const std::string& nativeSource,
                                              const std::string& nativeTarget) {
    m_key = keyOf(m_location, nativeTarget).value_or(std::string());
    m_native = nativeTarget;
    m_path = recordPath(m_key);
    if (m_path && !m_moves.empty())
        m_openedPaths.insert(*m_path);
    m_entries = m_path && m_previous ? m_previous->at(*m_path) : std::span<const Manifest::Entry>{};
    const std::optional<std::string> theirs = readFileBytes(nativeSource);
    const auto entryOf = [&](Manifest::State state) {
        return Manifest::Entry{Manifest::Kind::Copy, state, *m_path, theirs->size(),
                               contentHash(*theirs), 0,     false};
    };
    const Seen seen = inFolderMadeHere(m_key) ? Seen{} : look(nativeTarget);
    m_once = std::exchange(m_nextOnce, false);
    if (belongsToUser(seen.place != Place::Missing)) {
        begin(TargetState::Yours, m_key, nativeTarget);
        if (m_path)
            keepYours(Manifest::Kind::Copy, theirs ? &*theirs : nullptr);
        return Copy::Kept;
    }
    const bool onlyGone = std::all_of(m_entries.begin(), m_entries.end(), [](const auto& entry) {
        return entry.state == Manifest::State::Gone;
    });
    if (!theirs || (seen.place == Place::Missing && onlyGone) || m_policy == Policy::Overwrite ||
        m_writtenHere.contains(m_key) ||
        (seen.place == Place::Other && !judgedByBytes(seen, m_location, nativeTarget))) {
        const Copy copy = m_inner.copyFile(nativeSource, nativeTarget);
        const bool done = copy == Copy::Done || copy == Copy::Unchanged;
        Outcome& outcome =
            begin(copy == Copy::SourceUnreadable || copy == Copy::Refused ? TargetState::Refused
                  : copy == Copy::Unchanged                               ? TargetState::Same
                  : seen.place == Place::Missing                          ? TargetState::New
                                                                          : TargetState::Replaced,
                  m_key, nativeTarget);
        outcome.copy = true;
        outcome.written = copy == Copy::Done;
        if (done && m_path && theirs)
            addEntry(entryOf(Manifest::State::Generated));
        return copy;
    }
    std::optional<std::string> yours;
    if (seen.place != Place::Missing)
        yours = readFileBytes(nativeTarget);
    const bool unreadable = seen.place != Place::Missing && !yours;
    // Copies are no texts to merge: an edited one is kept whenever the source changed too.
    TargetDecision decision = decide(m_path.value_or(std::string()), yours ? &*yours : nullptr,
                                     unreadable, *theirs, false);
    bool write = decision.bytes.has_value();
    if (const auto choice = m_choices.find(m_key); choice != m_choices.end())
        write = choice->second.has_value();
    Outcome& outcome = begin(decision.state, m_key, nativeTarget);
    outcome.copy = true;
    outcome.unproven = decision.unproven;
    outcome.unresolved = decision.unresolved;
    if (decision.state == TargetState::Refused) {
        if (m_path)
            for (const Manifest::Entry& recorded : m_entries)
                addEntry(recorded);
        return Copy::Refused;
    }
    if (write) {
        const Copy copy = m_inner.copyFile(nativeSource, nativeTarget);
        Outcome& written = m_outcomes.back();
        written.written = copy == Copy::Done;
        if (copy == Copy::Refused || copy == Copy::SourceUnreadable) {
            written.state = TargetState::Refused;
            if (m_path)
                for (const Manifest::Entry& recorded : m_entries)
                    addEntry(recorded);
            return copy;
        }
        if (m_path)
            addEntry(entryOf(Manifest::State::Generated));
        return copy;
    }
    if (decision.state == TargetState::Conflict) {
        const ContentHash pending = putBeside(outcome, *theirs, true, nativeSource);
        if (m_path)
            addConflict(*m_path, Manifest::Kind::Copy, *theirs, pending);
    } else if (m_path) {
        addEntry(entryOf(Manifest::State::Generated));
    }
    return Copy::Kept;
}

} // namespace vantrel
