#pragma once

#include "engine/Keywords.h"
#include "model/ProjectState.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// What a keyword's uses read: the project and the action whose per-action keywords are asked
// for (an empty action when none is selected).
struct KeywordContext {
    const ProjectState& project;
    const ActionDefinition& action;
};

// Everything one keyword means, in one place: its value, its second value (the file name a copy
// gives a development-kit file), its truth as a condition and its count as a loop bound.
struct KeywordMeaning {
    KeywordId id;
    // Appends the value; null when the keyword has none (its placeholder stays as written).
    void (*appendValue)(const KeywordContext& context, std::string& out);
    const char* secondValue;                          // null: none
    bool (*condition)(const KeywordContext& context); // null: never true
    bool countsActions; // as a loop bound; every other keyword counts 0
};

// The meanings by keyword id.
extern const std::array<KeywordMeaning, KEYWORD_COUNT> keywordMeanings;

// The values, conditions and loop counts of keywords and extra settings for a project, read
// afresh from the project and its current action on every call; nothing is kept between calls.
class KeywordValues {
public:
    explicit KeywordValues(const ProjectState& project)
        : m_project(project) {}

    // The value of the keyword or extra setting that the text names (usually a placeholder with
    // its '%' delimiters); none when it names neither, or a keyword without a value.
    // secondValue, when given, receives the file name of a development-kit keyword or extra
    // setting, or is cleared.
    std::optional<std::string> placeholderValue(std::string_view text,
                                                std::string* secondValue = nullptr) const;
    // Appends the value of a keyword (KW_NONE: the extra setting whose key is given) for an
    // action; false, out unchanged, when there is none.
    bool appendValue(KeywordId id, std::string_view extraKey, const ActionDefinition& action,
                     std::string& out) const;
    bool isConditionTrue(KeywordId id) const { return isConditionTrue(id, currentAction()); }
    bool isConditionTrue(KeywordId id, const ActionDefinition& action) const;
    std::int32_t loopCountOf(KeywordId id) const;
    // Replaces every exact occurrence of the placeholder by its value; false (text unchanged)
    // when the placeholder has no value.
    bool replacePlaceholder(std::string& text, std::string_view placeholder) const;

    // The current action, or an empty one when none is selected.
    const ActionDefinition& currentAction() const;
    const ProjectState& project() const { return m_project; }

    // The extra setting with exactly this key, or null.
    const ExtraSetting* extraSetting(std::string_view key) const;

private:
    const ProjectState& m_project;
};

// The value of %DLLFLAGS%: the host's name and the DLL flag names, joined with " | ".
std::string dllFlagsValue(const ProjectState& project);

} // namespace vantrel
