// The recording output's decisions for existing files, the conflicts it keeps and what it
// leaves in the record at the end of a run.
#include "record/RecordingOutput.h"

#include "RecordingLook.h"
#include "diff/ConflictStages.h"
#include "fileutil/TextFile.h"
#include "record/Prune.h"

namespace vantrel {

using namespace recording;

TargetDecision RecordingOutput::decide(std::string_view recordPath, const std::string* yours,
                                       bool unreadable, std::string theirs, bool mergeable,
                                       const std::string** base) {
    TargetFacts facts;
    facts.recorded = m_entries;
    facts.disk = yours;
    facts.unreadable = unreadable;
    facts.besideStands = besideStands(m_native);
    facts.mergeable = mergeable;
    // Looked for only where the record names a conflict: a file of the user's may hold such
    // lines for its own reasons.
    facts.markersStand = mergeable && yours &&
                         std::any_of(m_entries.begin(), m_entries.end(), isConflict) &&
                         holdsConflictMarkers(*yours);
    const auto style = m_styles.find(m_key);
    facts.markConflicts =
        (style == m_styles.end() ? m_style : style->second) != ConflictStyle::Beside;
    // The base is made (by running the recorded run again) only when a merge is due.
    TargetDecision decision = decideTarget(facts, theirs, m_policy);
    if (decision.state != TargetState::Conflict || !yours || !mergeable || !m_base ||
        recordPath.empty() || facts.besideStands || facts.markersStand)
        return decision;
    const std::optional<ContentHash> hash = mergeBaseHash(m_entries, false);
    facts.base = hash ? m_base(std::string(recordPath), *hash) : nullptr;
    if (base)
        *base = facts.base;
    return facts.base ? decideTarget(facts, std::move(theirs), m_policy) : decision;
}

void RecordingOutput::keepOpenConflict(const std::string& path) {
    for (const Manifest::Entry& recorded : m_entries) {
        if (isConflict(recorded) && m_base && !m_baseTexts.contains(recorded.pending))
            if (const std::string* text = m_base(path, recorded.pending))
                m_baseTexts.try_emplace(recorded.pending, *text);
        addEntry(recorded);
    }
}

ContentHash RecordingOutput::putBeside(Outcome& outcome, const std::string& theirs, bool copy,
                                       const std::string& nativeSource) {
    const std::string beside = outcome.nativePath + std::string(BESIDE_SUFFIX);
    const ContentHash theirsHash = contentHash(theirs);
    ContentHash recordedPending = 0;
    for (const Manifest::Entry& entry : m_entries)
        if (isConflict(entry))
            recordedPending = entry.pending;
    if (besideStands(outcome.nativePath)) {
        // Never written over once the user has changed it.
        const std::optional<std::string> there = readFileBytes(beside);
        const ContentHash thereHash = there ? contentHash(*there) : 0;
        // A start of the new text holds no line of the user's: what a run stopped while
        // writing it left there.
        if (!there ||
            (thereHash != recordedPending && !std::string_view(theirs).starts_with(*there))) {
            outcome.besideYours = true;
            outcome.beside = beside;
            return recordedPending ? recordedPending : theirsHash;
        }
    }
    outcome.beside = beside;
    // Written now, or meant to be: its folder is listed again when asked.
    m_beside = {};
    m_besideNames.clear();
    if (m_policy != Policy::Automatic)
        return theirsHash;
    bool written = false;
    if (copy) {
        const Copy copied = m_inner.copyFile(nativeSource, beside);
        written = copied == Copy::Done || copied == Copy::Unchanged;
    } else if (m_inner.openFile(beside) != FileOpen::Failed) {
        m_inner.pending() = theirs;
        const Closed closed = m_inner.closeFile();
        written = closed == Closed::Written || closed == Closed::Unchanged;
    }
    outcome.besideFailed = !written;
    return theirsHash;
}

void RecordingOutput::addConflict(const std::string& path, Manifest::Kind kind,
                                  const std::string& theirs, ContentHash pending) {
    Manifest::Entry entry{kind,
                          Manifest::State::Conflict,
                          path,
                          theirs.size(),
                          provingHash(m_entries, contentHash(theirs)),
                          pending,
                          false};
    for (const Manifest::Entry& recorded : m_entries)
        if (recorded.hash == entry.hash)
            entry.size = recorded.size;
    if (pending == contentHash(theirs))
        m_baseTexts.try_emplace(pending, theirs);
    else if (m_base)
        if (const std::string* text = m_base(path, pending))
            m_baseTexts.try_emplace(pending, *text);
    addEntry(std::move(entry));
}

void RecordingOutput::keepYours(Manifest::Kind kind, const std::string* theirs) {
    if (m_entries.empty()) {
        if (theirs)
            addEntry({kind, Manifest::State::Generated, *m_path, theirs->size(),
                      contentHash(*theirs), 0, false, true});
        return;
    }
    // A generated entry says what the recorded inputs make there: once they change, the
    // user's file holds what earlier ones made, and it is taken for no text of this run's.
    const bool sameInputs = m_sameInputs && m_sameInputs();
    for (Manifest::Entry entry : m_entries) {
        entry.yours = true;
        entry.held = false;
        if (entry.state == Manifest::State::Generated && !sameInputs)
            entry.state = Manifest::State::Gone;
        // A file written once is never merged into: its base is of no use.
        if (!m_once)
            keepBaseText(entry, m_native, theirs);
        addEntry(std::move(entry));
    }
}

void RecordingOutput::keepBaseText(const Manifest::Entry& entry, const std::string& nativePath,
                                   const std::string* made) {
    // What the file was made from, for a merge should it be generated again after the user
    // edited it: its own bytes while they are still those, else the last base.
    const ContentHash base = entry.state == Manifest::State::Conflict ? entry.pending : entry.hash;
    if (m_baseTexts.contains(base))
        return;
    // What this run makes there is the base when it is the same text: the record's run may
    // not have made it (an action added again), the next one will.
    if (made && contentHash(*made) == base) {
        m_baseTexts.emplace(base, *made);
        return;
    }
    std::optional<std::string> there = readFileBytes(nativePath);
    if (there && contentHash(*there) == base)
        m_baseTexts.emplace(base, std::move(*there));
    else if (const std::string* text = m_base ? m_base(entry.path, base) : nullptr)
        m_baseTexts.emplace(base, *text);
}

std::vector<std::string> RecordingOutput::openConflicts() const {
    std::vector<std::string> open;
    // Views of the outcomes' paths, which stay where they are; the record's paths are made
    // here and kept apart.
    std::unordered_set<std::string_view> seen;
    std::unordered_set<std::string> seenRecorded;
    // A file beside one of the user's is theirs too: no conflict of this program's.
    std::unordered_set<std::string_view> yours;
    for (const Outcome& outcome : m_outcomes)
        if (outcome.state == TargetState::Yours)
            yours.insert(outcome.nativePath);
    for (const Outcome& outcome : m_outcomes)
        if (!outcome.folder && !inFolderMadeHere(outcome.key) &&
            !yours.contains(outcome.nativePath) && seen.insert(outcome.nativePath).second &&
            besideStands(outcome.nativePath))
            open.push_back(outcome.nativePath);
    if (m_previous && m_root) {
        const std::string folder = m_location.empty() ? *m_root : m_location + "/" + *m_root;
        for (const Manifest::Entry& entry : m_previous->entries) {
            std::string native = folder + "/" + entry.path;
            if (entry.kind != Manifest::Kind::Folder && !entry.yours && !yours.contains(native) &&
                !seen.contains(native) && besideStands(native) &&
                seenRecorded.insert(native).second)
                open.push_back(std::move(native));
        }
    }
    return open;
}

std::vector<std::string> RecordingOutput::markedConflicts() const {
    std::vector<std::string> open;
    for (const Outcome& outcome : m_outcomes)
        if (outcome.markersStand)
            open.push_back(outcome.nativePath);
    if (m_previous && m_root) {
        std::unordered_set<std::string_view> made;
        for (const Outcome& outcome : m_outcomes)
            made.insert(outcome.key);
        const std::string folder = m_location.empty() ? *m_root : m_location + "/" + *m_root;
        for (const Manifest::Entry& entry : m_previous->entries) {
            if (!isConflict(entry) || entry.kind != Manifest::Kind::File || entry.yours ||
                made.contains(*m_root + "/" + entry.path))
                continue;
            const std::string native = folder + "/" + entry.path;
            if (look(native).place != Place::File || besideStands(native))
                continue;
            const std::optional<std::string> there = readFileBytes(native);
            if (there && holdsConflictMarkers(*there))
                open.push_back(native);
        }
    }
    return open;
}

void RecordingOutput::finishManifest() {
    if (m_previous && m_ranWhole && m_root) {
        std::unordered_set<std::string_view> made;
        for (const Manifest::Entry& entry : m_manifest.entries)
            made.insert(entry.path);
        std::vector<Manifest::Entry> carried;
        const std::string folder = m_location.empty() ? *m_root : m_location + "/" + *m_root;
        for (const Manifest::Entry& entry : m_previous->entries) {
            if (entry.kind == Manifest::Kind::Folder || made.contains(entry.path))
                continue;
            const std::string native = folder + "/" + entry.path;
            const bool there = look(native).place == Place::File;
            // A file of the user's stays theirs even while neither it nor a run is there: a
            // file written once is never written again.
            if (!there && !besideStands(native) && !entry.yours)
                continue; // nothing left to protect, no conflict left to resolve
            Manifest::Entry gone = entry;
            gone.held = false;
            if (gone.state == Manifest::State::Generated)
                gone.state = Manifest::State::Gone;
            if (there || !gone.yours)
                keepBaseText(gone, native);
            carried.push_back(std::move(gone));
        }
        for (Manifest::Entry& entry : carried)
            m_manifest.entries.push_back(std::move(entry));
    }
    m_manifest.finish();
}

RecordingOutput::Pruning
RecordingOutput::prune(const std::function<bool(const std::string& key)>& wanted, bool remove) {
    Pruning pruning;
    if (!m_previous || !m_ranWhole || !m_root)
        return pruning;
    const std::string folder = m_location.empty() ? *m_root : m_location + "/" + *m_root;
    std::unordered_set<std::string> made(m_made.begin(), m_made.end());
    for (const Outcome& outcome : m_outcomes)
        made.insert(outcome.key);
    // A file a rename moved is removed by its move, or kept and named by it.
    for (const std::string& path : m_movedAway)
        made.insert(*m_root + "/" + path);
    std::unordered_set<std::string> going; // paths below the project folder
    const auto gone = [&](const std::string& path, bool isFolder) {
        going.insert(path);
        Outcome& outcome = begin(TargetState::Deleted, *m_root + "/" + path, folder + "/" + path);
        outcome.folder = isFolder;
        outcome.written = remove;
    };
    const std::vector<Manifest::Entry>& entries = m_previous->entries;
    for (std::size_t i = 0; i < entries.size();) {
        // The entries of one path stand together: two where version control joined records.
        const std::string& path = entries[i].path;
        std::vector<ContentHash> hashes;
        bool conflict = false;
        bool isFolder = false;
        bool yours = false;
        for (; i < entries.size() && entries[i].path == path; ++i) {
            hashes.push_back(entries[i].hash);
            yours = yours || entries[i].yours;
            conflict = conflict || entries[i].state == Manifest::State::Conflict;
            isFolder = isFolder || entries[i].kind == Manifest::Kind::Folder;
        }
        const std::string key = *m_root + "/" + path;
        if (isFolder || conflict || yours || made.contains(key) || !wanted(key) ||
            besideStands(folder + "/" + path))
            continue;
        switch (pruneFile(folder, path, hashes, remove)) {
        case PruneFind::AsRecorded:
            gone(path, false);
            break;
        case PruneFind::Edited:
            pruning.edited.push_back(key);
            break;
        case PruneFind::Failed:
            pruning.failed.push_back(key);
            break;
        case PruneFind::Missing:
            pruning.missing.push_back(key);
            break;
        case PruneFind::Other:
            break;
        }
    }
    // Deepest first, so that a folder's folders have gone before it is looked at.
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        const std::string key = *m_root + "/" + entry->path;
        if (entry->kind != Manifest::Kind::Folder || made.contains(key) ||
            going.contains(entry->path) || !wanted(key))
            continue;
        const std::optional<std::vector<std::string>> names = namesInFolder(folder, entry->path);
        if (names &&
            std::all_of(names->begin(), names->end(),
                        [&](const std::string& name) {
                            return going.contains(entry->path + "/" + name);
                        }) &&
            (!remove || removeEmptyFolder(folder, entry->path)))
            gone(entry->path, true);
    }
    return pruning;
}

std::vector<std::string> RecordingOutput::noLongerGenerated() const {
    std::vector<std::string> gone;
    if (!m_previous || !m_ranWhole || !m_root)
        return gone;
    std::unordered_set<std::string_view> made;
    for (const Outcome& outcome : m_outcomes)
        if (!outcome.folder)
            made.insert(outcome.key);
    std::vector<std::string> moved;
    for (const std::string& path : m_movedAway)
        moved.push_back(*m_root + "/" + path);
    made.insert(moved.begin(), moved.end());
    for (const Manifest::Entry& entry : m_previous->entries) {
        if (entry.kind == Manifest::Kind::Folder || entry.state == Manifest::State::Gone ||
            entry.yours)
            continue;
        std::string key = *m_root + "/" + entry.path;
        if (!made.contains(key) && (gone.empty() || gone.back() != key))
            gone.push_back(std::move(key));
    }
    return gone;
}

} // namespace vantrel
