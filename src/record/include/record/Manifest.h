#pragma once

#include "config/TemplateSet.h"
#include "fileutil/TextFile.h"
#include "record/ContentHash.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// What runs made, target by target, and what the last one read to make it: the part of a record
// that proves which files still hold what this program wrote, and tells how to repeat the run.
struct Manifest {
    enum class Kind { Folder, File, Copy };
    enum class State {
        Generated, // the last run made it
        Gone,      // an earlier run made it, the last one did not
        Conflict,  // kept for the user, the new text beside it in FILE.vantrel-new
    };
    struct Entry {
        Kind kind = Kind::File;
        State state = State::Generated;
        std::string path; // below the project folder, "/" between names
        std::uint64_t size = 0;
        ContentHash hash = 0; // of the bytes this program wrote there (a copy: the source's)
        // A conflict: the hash of the new text written beside the file.
        ContentHash pending = 0;
        // Machine-local: the file's place held those very bytes when the run was done.
        bool held = false;
        // The user's: no run writes, merges or prunes it (written once, or detached).
        bool yours = false;
        bool operator==(const Entry&) const = default;
    };
    enum class Role { Configuration, Script, Template };
    struct Input {
        Role role = Role::Template;
        std::string path; // as the run named it
        ContentHash hash = 0;
        bool operator==(const Input&) const = default;
    };

    std::vector<Entry> entries;
    std::vector<Input> inputs;
    // The template set the configuration named, when it named one.
    TemplateSetVersion templates;
    // Machine-local: when the record was written, by fileClockNow; 0 when not known. A held
    // file whose change time is earlier has not been touched since.
    std::int64_t writtenAt = 0;

    // Sorts the entries by path, keeping for each path the entry added last (a target written
    // twice in one run holds what was written last), and the inputs by path.
    void finish();
    // Sorts the entries by path and drops repeated lines, keeping different entries of one path
    // (two records joined by version control): each proves what it says.
    void sortForLookup();
    // The entries at a path, once sorted; more than one where two records were joined.
    std::span<const Entry> at(std::string_view path) const;
    const Input* findInput(std::string_view path) const;
    void addInput(Input input);
    bool sameAs(const Manifest& other) const {
        return entries == other.entries && inputs == other.inputs && templates == other.templates;
    }
};

// An input whose bytes differ from the recorded run's, or that only one of the runs read.
struct InputChange {
    Manifest::Role role = Manifest::Role::Template;
    std::string path;
    bool read = true; // false: the recorded run read it, this one did not
};

// The system clock as the file system takes a file's change time from it (coarse, in
// nanoseconds since the epoch): a file changed after it was read shows no earlier change time.
// 0 where the platform gives no such time.
std::int64_t fileClockNow();

// A target's path as a manifest names it: relative, "/" between names, none of them empty, "."
// or "..".
bool isTargetPath(std::string_view path);

// The manifest as the record keeps it for version control: a first line "vantrel-manifest 3",
// the template set's "template-set NAME" and "template-version VERSION" when named, then a line
// per input ("input configuration|script|template HASH PATH") and per target
// ("folder PATH", "file|copy SIZE HASH PATH", "gone file|copy SIZE HASH PATH", "conflict
// file|copy SIZE HASH PENDING PATH"), sorted by path, with no times; a target line of a file
// that belongs to the user starts with "yours " (a reader that knows no such line passes it by):
// the same inputs and tree give the same bytes. A path is the rest of its line, with "\\", "\n" and
// "\r" written as
// "\\\\", "\\n" and "\\r".
std::string manifestText(const Manifest& manifest);
// The same text handed to a sink in pieces, so that a large manifest is never held whole; false
// when the sink stopped it.
bool writeManifest(const Manifest& manifest, const TextSink& sink);

// What reading a manifest found. Lines that cannot be read are passed over and the first of
// them named in why: every entry that reads still proves its bytes. Versions 1 and 2 name
// paths below the location, not the project folder.
struct ReadManifest {
    Manifest manifest;
    int version = 0; // 0: no manifest at all
    std::string why; // empty when every line read
};
ReadManifest readManifest(std::string_view text);

// The machine-local part of a record, kept out of version control: when it was written and
// which files did not hold the run's bytes then ("vantrel-local 1", "written TIME", "edited
// PATH" lines).
std::string localText(const Manifest& manifest);
// Applies a local text to a manifest read for lookup; false when it is no such text (the
// manifest then has no time and no file counts as held).
bool applyLocalText(std::string_view text, Manifest& manifest);

} // namespace vantrel
