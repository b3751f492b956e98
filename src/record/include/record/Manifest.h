#pragma once

#include "fileutil/ExistingFile.h"
#include "record/ContentHash.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vantrel {

// What a run made, target by target, and what it read to make it: the part of a record that
// tells the next run which files are still as generated and how to repeat this run.
struct Manifest {
    enum class Kind { Folder, File, Copy };
    struct Entry {
        Kind kind = Kind::File;
        std::string path; // below the location, "/" between names
        std::uint64_t size = 0;
        ContentHash hash = 0; // of the bytes the run made (a copy: the source's)
        // A file whose place held those very bytes when the run was done (not one the user
        // edited, deleted or kept).
        bool held = false;
        bool operator==(const Entry&) const = default;
    };
    enum class Role { Configuration, Script, Template };
    struct Input {
        Role role = Role::Template;
        std::string path; // as the run named it
        ContentHash hash = 0;
        bool operator==(const Input&) const = default;
    };

    // In the order the run went for them; a deque, as a run of many files adds them one by one
    // and a vector would copy them all again and again as it grows.
    std::deque<Entry> entries;
    std::vector<Input> inputs;
    // When the record was written, by fileClockNow; none (0) when not known. A held file whose
    // change time is earlier has not been touched since.
    std::int64_t writtenAt = 0;

    // The file or copy entry at a path; null when there is none.
    const Entry* find(std::string_view path) const;
    // The input the run read at a path; null when there is none.
    const Input* findInput(std::string_view path) const;
    // Adds an entry; a file or copy listed already takes the new entry in its place (a target
    // written twice in one run holds what was written last).
    void add(Entry entry);
    // Adds the entry of a target the run made where nothing was: none can list it yet, so it is
    // not looked for (a first run into an empty folder looks for nothing).
    void addNew(Entry entry) { entries.push_back(std::move(entry)); }
    // The same entries and inputs, in the same order (when the record was written aside).
    bool sameAs(const Manifest& other) const {
        return entries == other.entries && inputs == other.inputs;
    }
    void addInput(Input input);

private:
    // A file's index into entries by the hash of its path: no second copy of every path. It
    // covers the entries before m_indexed; those after it came by addNew and are looked through.
    std::unordered_multimap<ContentHash, std::size_t> m_files;
    std::size_t m_indexed = 0;
    std::size_t indexOf(std::string_view path, ContentHash key) const;
    void indexAll();
};

// The system clock as the file system takes a file's change time from it (coarse, in
// nanoseconds since the epoch): a file changed after it was read shows no earlier change time.
// 0 where the platform gives no such time.
std::int64_t fileClockNow();

// A target's path as a manifest names it: relative, "/" between names, none of them empty, "."
// or "..".
bool isTargetPath(std::string_view path);

// The manifest as the record keeps it: a first line "vantrel-manifest 2", a line "written TIME",
// then a line per input ("input configuration|script|template HASH PATH") and per target
// ("folder PATH", "file|edited|copy SIZE HASH PATH", edited for a file not held). A path is the
// rest of its line, with "\\", "\n" and "\r" written as "\\\\", "\\n" and "\\r". A manifest of
// the first version (no time, no edited files) is read too.
std::string manifestText(const Manifest& manifest);
// The same text handed to a sink in pieces, never held whole; false when the sink stopped it.
bool writeManifestText(const Manifest& manifest, const TextSink& sink);
// None, with the line at fault in why, when the text is no manifest of this form.
std::optional<Manifest> readManifest(std::string_view text, std::string& why);

} // namespace vantrel
