#include "SectionCheck.h"

#include "BlockCheck.h"

#include "engine/TextScan.h"

#include <algorithm>

namespace vantrel {

constexpr std::size_t NO_LINE = CompiledTemplate::NO_LINE;

TemplateFile& TemplateFiles::get(const std::string& path) {
    const auto known = std::find_if(m_files.begin(), m_files.end(),
                                    [&](const TemplateFile& file) { return file.path == path; });
    if (known != m_files.end())
        return *known;
    TemplateFile& file = m_files.emplace_back();
    file.path = path;
    file.content = TemplateReader::loadFile(path);
    if (file.content)
        file.uses.resize(file.content->sections().size());
    return file;
}

void checkPlaceholders(const std::vector<PlaceholderUse>& uses, const KeywordValues& values,
                       DiagnosticList& found, const std::string& file, std::size_t line,
                       std::size_t column) {
    for (const PlaceholderUse& use : uses) {
        if (use.hasValue)
            continue;
        const std::string_view name = use.text.substr(1, use.text.size() - 2);
        const KeywordId keyword = lookupKeyword(name);
        std::string text;
        if (keyword != KW_NONE && !keywordMeanings[keyword].appendValue) {
            const char* what = keywordMeanings[keyword].condition ? "a condition" : "a loop bound";
            text = quoted(use.text) + " has no value: " + std::string(name) + " is " + what +
                   "; it is written as it stands";
        } else {
            const std::string hint = suggestion(use.text, placeholderNames(values.project()));
            // A short name near no placeholder is C text: "%s%d" in a format string.
            if (name.size() < 4 && hint.empty())
                continue;
            text = quoted(use.text) +
                   " names no keyword and no extra setting; it is written as it stands" + hint;
        }
        found.warning(file, line, column + use.open, std::move(text));
    }
}

void SectionCheck::check(TemplateFile& file) {
    if (!file.content)
        return;
    const CompiledTemplate& content = *file.content;
    const auto& sections = content.sections();
    for (std::size_t i = 0; i < sections.size(); ++i) {
        const CompiledTemplate::Section& section = sections[i];
        const std::size_t line = section.line + 1;
        if (!section.name) {
            m_found.warning(content.path(), line, 1,
                            "filesection: without a name: no section after it can be found");
            continue;
        }
        const std::string& name = *section.name;
        const std::size_t column = content.line(section.line).find(name, SECTION_START.size()) + 1;
        const auto earlier = std::find_if(sections.begin(), sections.begin() + i, [&](auto& other) {
            return other.name && equalsIgnoringCase(*other.name, name);
        });
        if (earlier != sections.begin() + i) {
            m_found.warning(content.path(), line, column,
                            "section " + quoted(name) + " again: only the first, on line " +
                                std::to_string(earlier->line + 1) + ", is ever written");
            continue;
        }
        if (file.uses[i].empty()) {
            m_found.warning(content.path(), line, column,
                            "section " + quoted(name) + " is written by no script");
            continue;
        }
        const std::size_t loop = checkBody(content, section.line, name);
        if (loop == NO_LINE)
            continue;
        for (const SectionUse& use : file.uses[i]) {
            if (use.loopLine == NO_LINE)
                continue;
            m_found.error(use.script, use.line + 1, 1,
                          "section " + quoted(name) + " holds a @FOR (" + content.path() + ":" +
                              std::to_string(loop + 1) +
                              ") but is written inside the loop of "
                              "line " +
                              std::to_string(use.loopLine + 1) + ": loops do not nest");
        }
    }
}

std::size_t SectionCheck::checkBody(const CompiledTemplate& content, std::size_t sectionLine,
                                    const std::string& name) {
    BlockCheck blocks(content, "section " + quoted(name), m_found);
    bool ended = false;
    for (std::size_t index = sectionLine + 1; index < content.lineCount(); ++index) {
        const std::string_view line = content.line(index);
        if (line.starts_with(SECTION_END)) {
            ended = true;
            break;
        }
        // Written on into the next section by the run, but meant to end before it.
        if (line.starts_with(SECTION_START))
            break;
        const std::size_t first = line.find_first_not_of(" \t");
        if (!line.empty() && line.front() == '@')
            blocks.directive(index);
        else if (first != std::string_view::npos && line[first] == '@' &&
                 analyseDirective(line.substr(first)).used != 0)
            m_found.warning(content.path(), index + 1, first + 1,
                            "directives begin in the first column: the run writes this line into "
                            "the file as it stands");
        else
            checkPlaceholders(placeholdersOf(textOf(content, index), m_values), m_values, m_found,
                              content.path(), index + 1, 1);
    }
    blocks.finish();
    if (!ended) {
        m_found.error(content.path(), sectionLine + 1, 1,
                      "section " + quoted(name) + " has no " + std::string(SECTION_END) +
                          " line: the run writes on to the end of the file");
    }
    return blocks.firstLoop();
}

} // namespace vantrel
