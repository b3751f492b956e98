#include "wizard/FlagNameField.h"

#include <algorithm>
#include <vector>

namespace vantrel {

std::uint32_t namedFlagValue(std::string_view text, FlagNameTable table) {
    // No row has the value 0, so a word still 0 after parsing means that nothing matched.
    std::uint32_t word = 0;
    parseFlagNames(text, word, table);
    return word;
}

std::string flagNameProblem(std::string_view what, std::string_view text, FlagNameTable table) {
    if (namedFlagValue(text, table) != 0)
        return {};
    std::vector<std::string_view> names;
    for (const FlagNameRow& row : table) {
        if (row.value == 0)
            break;
        names.push_back(row.name);
    }
    std::sort(names.begin(), names.end());
    std::string problem = "Unknown ";
    problem.append(what).append(": \"").append(text).append("\"\nAccepted names: ");
    for (std::size_t i = 0; i < names.size(); ++i)
        problem.append(i == 0 ? "" : ", ").append(names[i]);
    return problem;
}

} // namespace vantrel
