#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// A template set as a configuration names it and a project's record keeps it.
struct TemplateSetVersion {
    std::string name;
    std::string version;
    bool known() const { return !name.empty() || !version.empty(); }
    // "plugin-templates 2.3.0"; a part not given is left out.
    std::string text() const;
    bool operator==(const TemplateSetVersion&) const = default;
};

// Orders two versions "MAIN-PRERELEASE+BUILD" part by part between the dots ("2.10" after
// "2.9", "2.1" the same as "2.1.0"): numbers compare as numbers and come before words, words as
// text; a pre-release comes before its version, the build counts for nothing, a leading "v" is
// no part. Negative, 0 or positive, as a is before, equal to or after b.
int compareVersions(std::string_view a, std::string_view b);

// "moved OLD NEW" in a version's notes: the set's files at OLD are at NEW from that version on.
// Both are paths below the project folder, "/" between names; a "*" in both stands for the same
// part of one name.
struct DeclaredMove {
    std::string from;
    std::string to;
    std::size_t line = 0; // in the notes file, counted from 1
};

// The notes of one version: every line under its heading, the heading included.
struct VersionNotes {
    std::string version;
    std::size_t line = 0; // the heading's
    std::string text;
    std::vector<DeclaredMove> moves;
};

struct NotesProblem {
    std::size_t line = 0;
    std::string text;
};

// A notes file: a heading ("#", "##", ...) whose first word is a version starts that version's
// section; what comes before the first one belongs to none.
struct TemplateNotes {
    std::vector<VersionNotes> versions; // in file order
    std::vector<NotesProblem> problems; // moved lines that cannot be used, versions given twice
};
TemplateNotes readTemplateNotes(std::string_view text);

// Where a declared move takes a path below the project folder; the path itself when it does not
// match the move's old side.
std::string movedPath(const std::string& path, const DeclaredMove& move);

} // namespace vantrel
