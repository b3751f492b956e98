#pragma once

#include "fileutil/TextFile.h"
#include "record/ContentHash.h"
#include "record/Manifest.h"

#include <functional>
#include <map>
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
// The temporary files of replacements, noted before they are made (machine-local).
inline constexpr std::string_view RECORD_TEMPORARIES = "temporaries";

// A file's bytes handed over in pieces: the writer gives each to the sink.
using PieceWriter = std::function<bool(const TextSink& sink)>;

struct Record {
    std::string answers;      // as read; a record is written with its answers in pieces
    bool answersRead = false; // the answers file was there and read
    Manifest manifest;
    // The manifest's version: before 3, paths lie below the location, not the project folder.
    int manifestVersion = 0;
    std::unordered_map<ContentHash, std::string> inputTexts; // each input's bytes, by hash
    // Texts this program wrote that the recorded run cannot make again, by hash.
    std::map<ContentHash, std::string> baseTexts;
};

enum class RecordState {
    Absent,  // no record folder
    Read,    // read whole and checked
    Damaged, // a record of this program, parts of which cannot be read (why says what); what
             // could be read is in the record, every entry checked on its own
    Foreign, // something of another's stands in the record's place: left alone
};

// Reads the record below a project folder (a native path). Links are never followed, only plain
// files of bounded size are read, and every input's and base's bytes must match their hash.
RecordState readRecord(const std::string& projectFolder, Record& record, std::string& why);

// Writes the record below a project folder: into a new folder beside it, which then takes the
// old one's place in one step, so that the record on the disk is always a whole one, the old or
// the new. False, with why, when it cannot be written; an earlier record then stays as it was.
// The answers come from their writer, not record.answers: a large project's are megabytes.
bool writeRecord(const std::string& projectFolder, const Record& record, const PieceWriter& answers,
                 std::string& why);

// Removes the folders of records that an interrupted run left half-written.
void removePartialRecords(const std::string& projectFolder);

} // namespace vantrel
