#pragma once

#include "engine/KeywordValues.h"
#include "engine/LinePlan.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace vantrel {

// Replaces the placeholders of template lines and of paths by their values.
//
// A text line follows the rescanning rules: the first '%' pair from the scan position is a
// candidate; when it names a value, every occurrence of it in the line is replaced, and the scan
// goes on one character after where the candidate began, so a value's own placeholders expand
// in turn. A line whose compiled plan allows it is expanded in one pass from left to right,
// which gives the same text.
class LineExpander {
public:
    // A runaway line (a value holding its own placeholder) stops expanding after this many
    // replaced placeholders; the rest of the line stays as it stands.
    static constexpr std::size_t MAX_LINE_REPLACEMENTS = 10000;
    // Nor does a line grow past this length (or its own length, when it is longer already).
    static constexpr std::size_t MAX_EXPANDED_LINE_LENGTH = std::size_t{1} << 20;
    // Every replacement rewrites the line, so a runaway costs the sum of its lengths: it stops
    // once that sum passes this many times the length bound, a tenth of a second at most.
    static constexpr std::size_t MAX_LINE_WORK_FACTOR = 16;
    // The same bound for a target path or a copy source.
    static constexpr std::size_t MAX_PATH_REPLACEMENTS = 64;

    explicit LineExpander(const KeywordValues& values)
        : m_values(values) {}

    const KeywordValues& values() const { return m_values; }

    // The line with its placeholders replaced, for the current action.
    std::string expandLine(std::string_view line) const;
    // Appends the expansion of a line whose plan was compiled with it.
    void appendLine(std::string_view line, const LinePlan& plan, std::string& out) const;
    // The rescanning rules alone, for any line.
    std::string expandRescanning(std::string_view line) const;
    // The placeholders of a path, searching again from the start after each replacement.
    std::string expandPath(std::string path) const;

private:
    // Appends the one-pass expansion; false (out then unusable past its old size) when a value
    // turns out to need the rescanning rules.
    bool appendInOnePass(std::string_view line, const LinePlan& plan, std::string& out) const;

    const KeywordValues& m_values;
};

} // namespace vantrel
