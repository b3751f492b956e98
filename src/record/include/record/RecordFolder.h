#pragma once

#include "record/ContentHash.h"
#include "record/Manifest.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vantrel {

// The folder below a generated project's own folder that keeps the record of the run that made
// it, so that the next run can tell the user's edits from what it wrote and repeat the run:
//   project.json         the answers, without the location, so the folder can move
//   manifest.txt         see Manifest
//   inputs/HASH.txt      the configuration, script and template files the run read
// The development-kit files the run copied are named by their hash in the manifest only.
inline constexpr std::string_view RECORD_FOLDER = ".vantrel";
inline constexpr std::string_view RECORD_ANSWERS = "project.json";

struct Record {
    std::string answers;
    Manifest manifest;
    std::unordered_map<ContentHash, std::string> inputTexts; // each input's bytes, by hash
};

enum class RecordState {
    Absent,  // no record folder
    Read,    // read whole and checked
    Damaged, // something is there that is no record of this program (why says what)
};

// Reads the record below a project folder (a native path). Links are never followed, only plain
// files of bounded size are read, and every input's bytes must match their hash.
RecordState readRecord(const std::string& projectFolder, Record& record, std::string& why);

// Writes the record below a project folder: into a new folder beside it, which then takes the
// old one's place in one step, so that the record on the disk is always a whole one, the old or
// the new. False, with why, when it cannot be written; an earlier record then stays as it was.
bool writeRecord(const std::string& projectFolder, const Record& record, std::string& why);

// The same in two steps, so that the answers, known before the run, can be written while it
// goes on, never held whole: the new folder with the answers (its native path, or none with
// why), and then the rest of the record, put in place. A begun record not completed goes with
// discardRecord.
// A file's bytes handed over in pieces: the writer gives each to the sink, which says whether
// it was written.
using PieceWriter = std::function<bool(const TextSink& sink)>;
std::optional<std::string> beginRecord(const std::string& projectFolder, const PieceWriter& answers,
                                       std::string& why);
bool completeRecord(const std::string& projectFolder, const std::string& fresh,
                    const Record& record, std::string& why);
void discardRecord(const std::string& fresh);

// Removes the folders of records that an interrupted run left half-written; keep names a
// record being written that is not to go.
void removePartialRecords(const std::string& projectFolder, const std::string& keep = {});

} // namespace vantrel
