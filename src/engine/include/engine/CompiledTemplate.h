#pragma once

#include "engine/DirectivePlan.h"
#include "engine/LinePlan.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// The lines that begin and end a section of a template file.
inline constexpr std::string_view SECTION_START = "filesection:";
inline constexpr std::string_view SECTION_END = "filesectionend:";

// A script or template file compiled once when it is read: its lines, the '%' pairs of each
// text line with their keywords, each directive line's plan with its matching @ENDIF or
// @ENDFOR worked out ahead, and the index of its "filesection:" lines. Immutable, so readers of
// one file share it.
class CompiledTemplate {
public:
    static constexpr std::size_t NO_LINE = DirectivePlan::NO_LINE;

    // The text as read (line breaks already "\n"); lines are whole and keep their break. The
    // path names the file in messages; text not read from a file has none.
    explicit CompiledTemplate(std::string text, std::string path = {});

    const std::string& text() const { return m_text; }
    const std::string& path() const { return m_path; }
    std::size_t lineCount() const { return m_lines.size(); }
    std::string_view line(std::size_t index) const;
    std::size_t lineStart(std::size_t index) const;
    // The line that begins at a byte position; NO_LINE when none does.
    std::size_t lineAt(std::size_t position) const;

    // Plans of text lines and of directive lines (those beginning with '@').
    const LinePlan& linePlan(std::size_t index) const;
    const DirectivePlan& directivePlan(std::size_t index) const;

    // Where a search for the named section (letter case ignored) stops: its "filesection:"
    // line, or a "filesection:" line without a name, which ends the search unfound; NO_LINE
    // when the file has neither.
    struct SectionSearch {
        bool found = false;
        std::size_t line = NO_LINE;
    };
    SectionSearch findSection(std::string_view name) const;

    // The "filesection:" lines in file order, each with the name it gives, if any.
    struct Section {
        std::size_t line;
        std::optional<std::string> name;
    };
    const std::vector<Section>& sections() const { return m_sections; }

private:
    struct Line {
        std::size_t start;
        std::size_t plan; // into m_linePlans or m_directivePlans, by the line's first character
    };
    void findMatchingEnds();

    std::string m_text;
    std::string m_path;
    std::vector<Line> m_lines;
    std::vector<LinePlan> m_linePlans;
    std::vector<DirectivePlan> m_directivePlans;
    std::vector<Section> m_sections;
};

} // namespace vantrel
