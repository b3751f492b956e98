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
//
// A value that holds its own placeholder would feed that rescanning without end. Only the
// replacements such values feed are bounded (a candidate with a character that a value put
// there): when a bound stops them, what was replaced stays replaced and the rest of the line
// stays as it stands. Everything else expands completely, however long the line grows.
class LineExpander {
public:
    // Replacements fed by values, per line; their growth of the line, and their work (the
    // length of the line at each of them) against this many times the growth bound.
    static constexpr std::size_t MAX_FED_REPLACEMENTS = 10000;
    static constexpr std::size_t MAX_FED_GROWTH = std::size_t{1} << 20;
    static constexpr std::size_t MAX_FED_WORK_FACTOR = 16;
    // Placeholders replaced in a target path or copy source by candidates that values fed.
    static constexpr std::size_t MAX_PATH_FED_REPLACEMENTS = 64;

    explicit LineExpander(const KeywordValues& values)
        : m_values(values) {}

    const KeywordValues& values() const { return m_values; }

    // The line with its placeholders replaced, for the current action.
    std::string expandLine(std::string_view line) const;
    // Appends the expansion of a line whose plan was compiled with it. False when a bound
    // stopped the rescanning that values fed; stoppedAt then names the placeholder.
    bool appendLine(std::string_view line, const LinePlan& plan, std::string& out,
                    std::string* stoppedAt = nullptr) const;
    // The rescanning rules alone, for any line; false as for appendLine.
    bool expandRescanning(std::string_view line, std::string& text,
                          std::string* stoppedAt = nullptr) const;
    std::string expandRescanning(std::string_view line) const;
    // The placeholders of a path, searching again from the start after each replacement;
    // stoppedAt as for appendLine.
    std::string expandPath(std::string path, std::string* stoppedAt = nullptr) const;
    // The same by those rules alone, for any path.
    std::string expandPathRescanning(std::string path, std::string* stoppedAt = nullptr) const;

private:
    // Appends the one-pass expansion; false (out then unusable past its old size) when a value
    // turns out to need the rescanning rules.
    bool appendInOnePass(std::string_view line, const LinePlan& plan, std::string& out) const;

    const KeywordValues& m_values;
};

} // namespace vantrel
