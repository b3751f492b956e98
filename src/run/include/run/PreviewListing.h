#pragma once

#include "run/ProjectRun.h"

#include <optional>
#include <string>
#include <vector>

namespace vantrel {

// A target of a run into memory as the dry run lists it: what the run would do to it.
struct ListedTarget {
    TargetState state = TargetState::New;
    std::string path;           // native; a file no longer generated: its key
    std::string movedFrom = {}; // a move: the old file's native path
    std::string moveLabel = {}; // and what came of it ("moved, merged")
    // The run's outcome for it; none for a file no longer generated.
    const RecordingOutput::Outcome* outcome = nullptr;
};

// Every target of the run in the order it went for them, then the files no longer generated.
// A target the run refused because a file of the user's stands in its way is blocked.
std::vector<ListedTarget> listedTargets(const RunResult& result, const MemoryOutput& memory);

// "STATE PATH", or "OLD -> NEW (moved, merged)" for a move.
std::string listingLine(const ListedTarget& target);

// The unified diff of a target's bytes before and after the run, as the dry run prints it after
// the target's line; none when the run kept no texts for it or they are the same.
std::optional<std::string> listingDiff(const std::string& path,
                                       const std::optional<std::string>& before,
                                       const std::optional<std::string>& after);

} // namespace vantrel
