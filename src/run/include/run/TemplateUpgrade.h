#pragma once

#include "config/TemplateSet.h"
#include "model/ProjectState.h"

#include <string>
#include <vector>

namespace vantrel {

// What a regeneration does to a project's template set: the set and version its record names,
// the ones the configuration names now, and the notes of the versions in between.
struct TemplateUpgrade {
    TemplateSetVersion from; // as the last run's record names it
    TemplateSetVersion to;   // as the configuration names it
    // The notes of the versions after from up to to, oldest first; their moves carry files.
    std::vector<VersionNotes> notes;
    std::string notesPath;              // the notes file, native; empty when none is named
    std::string notesWhy;               // why it could not be read
    std::vector<NotesProblem> problems; // lines of it that cannot be used

    bool changed() const { return from != to; }
    // To an older version of the same set.
    bool older() const;
    // "plugin-templates 2.1.0 -> 2.3.0"
    std::string line() const;
    // The line, with " (an older version)" when it goes back.
    std::string described() const { return line() + (older() ? " (an older version)" : ""); }
    // Every note's moves, oldest version first.
    std::vector<DeclaredMove> moves() const;
};

// The upgrade from what a record names (null: no record, nothing to compare) to the project's
// settings. The notes file is read only when the versions differ.
TemplateUpgrade templateUpgrade(const TemplateSetVersion* recorded, const ProjectState& project);

} // namespace vantrel
