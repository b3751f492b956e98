#include "run/FileOwnership.h"

#include "fileutil/ProjectLock.h"
#include "record/RecordFolder.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

bool holdsRecord(const fs::path& folder) {
    struct stat info {};
    const std::string place = (folder / std::string(RECORD_FOLDER)).string();
    return ::lstat(place.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

} // namespace

OwnershipChange changeOwnership(const std::string& nativePath, bool yours) {
    using Outcome = OwnershipChange::Outcome;
    OwnershipChange change;
    std::error_code error;
    // Taken lexically: the file may be gone, and a link on the way names the folder it is in.
    const fs::path file = fs::absolute(nativePath, error).lexically_normal();
    if (error || !file.has_filename())
        return change;
    fs::path folder = file.parent_path();
    while (!holdsRecord(folder)) {
        if (!folder.has_relative_path())
            return change;
        folder = folder.parent_path();
    }
    change.projectFolder = folder.string();
    change.path = file.lexically_relative(folder).generic_string();
    if (!isTargetPath(change.path) || change.path == RECORD_FOLDER ||
        change.path.starts_with(std::string(RECORD_FOLDER) + "/")) {
        change.outcome = Outcome::NotRecorded;
        return change;
    }
    const std::optional<ProjectLock> lock = ProjectLock::take(change.projectFolder);
    if (!lock) {
        change.outcome = Outcome::Busy;
        return change;
    }
    Record record;
    const RecordState state = readRecord(change.projectFolder, record, change.why);
    if (state == RecordState::Absent || state == RecordState::Foreign) {
        change.outcome = Outcome::NoRecord;
        return change;
    }
    // Written back, a damaged record would lose the lines it could not read.
    if (state != RecordState::Read || record.manifestVersion != 3) {
        if (change.why.empty())
            change.why = "a record of an earlier version";
        change.outcome = Outcome::Damaged;
        return change;
    }
    bool found = false;
    bool changed = false;
    for (Manifest::Entry& entry : record.manifest.entries)
        if (entry.path == change.path && entry.kind != Manifest::Kind::Folder) {
            found = true;
            changed = changed || entry.yours != yours;
            entry.yours = yours;
        }
    if (!found) {
        change.outcome = Outcome::NotRecorded;
        return change;
    }
    if (!changed) {
        change.outcome = Outcome::AlreadySo;
        return change;
    }
    const auto answers = [&record](const TextSink& sink) {
        return sink(record.answers);
    };
    change.outcome = writeRecord(change.projectFolder, record, answers, change.why)
                         ? Outcome::Changed
                         : Outcome::NotWritten;
    return change;
}

} // namespace vantrel
