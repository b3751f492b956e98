#include "run/PreviewListing.h"

#include "diff/TextDiff.h"

#include <set>

namespace vantrel {

std::vector<ListedTarget> listedTargets(const RunResult& result, const MemoryOutput& memory) {
    std::set<std::string> blocked;
    for (const MemoryOutput::Target& target : memory.targets())
        if (target.state == MemoryOutput::State::Blocked)
            blocked.insert(target.nativePath);
    std::vector<ListedTarget> listed;
    listed.reserve(result.outcomes.size() + result.noLongerGenerated.size());
    for (const RecordingOutput::Outcome& outcome : result.outcomes) {
        ListedTarget target;
        target.state = outcome.state == TargetState::Refused && blocked.contains(outcome.nativePath)
                           ? TargetState::Blocked
                           : outcome.state;
        target.path = outcome.nativePath;
        if (target.state == TargetState::Moved && outcome.move) {
            target.movedFrom = outcome.move->fromPath;
            target.moveLabel = RecordingOutput::moveLabel(outcome);
        }
        target.outcome = &outcome;
        listed.push_back(std::move(target));
    }
    for (const std::string& key : result.noLongerGenerated)
        listed.push_back({TargetState::NoLongerGenerated, key});
    return listed;
}

std::string listingLine(const ListedTarget& target) {
    if (!target.movedFrom.empty())
        return target.movedFrom + " -> " + target.path + " (" + target.moveLabel + ")";
    return std::string(targetStateLabel(target.state)) + ' ' + target.path;
}

std::optional<std::string> listingDiff(const std::string& path,
                                       const std::optional<std::string>& before,
                                       const std::optional<std::string>& after) {
    if (!before || !after || *before == *after)
        return std::nullopt;
    return unifiedDiff(*before, *after, path, path)
        .value_or("(no diff: the comparing library could not be loaded)\n");
}

} // namespace vantrel
