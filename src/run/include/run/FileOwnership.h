#pragma once

#include <string>

namespace vantrel {

// What marking a generated file as the user's (or as the program's again) came to.
struct OwnershipChange {
    enum class Outcome {
        Changed,     // the record now says so
        AlreadySo,   // it said so already: nothing was written
        NoRecord,    // no folder above the file holds a record of this program
        NotRecorded, // the record lists no file at that path
        Damaged,     // the record cannot be read whole: a run must write it again first
        Busy,        // a run is writing the project
        NotWritten,  // the record could not be written (why); it stays as it was
    };
    Outcome outcome = Outcome::NoRecord;
    std::string projectFolder; // native; empty when none was found
    std::string path;          // the file below the project folder, "/" between names
    std::string why;
};

// Marks the file at a native path as the user's (yours) or the program's: a detached file is
// never written, merged or pruned by a run; an attached one is merged into again. Only the
// record changes, under the project's lock and in one step. The project folder is the nearest
// folder above the file that holds a record.
OwnershipChange changeOwnership(const std::string& nativePath, bool yours);

} // namespace vantrel
