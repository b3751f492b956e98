#include "engine/CompiledTemplate.h"

#include "engine/TextScan.h"

#include <algorithm>
#include <unordered_map>

namespace vantrel {

namespace {

bool isDirectiveLine(std::string_view line) {
    return !line.empty() && line.front() == '@';
}

} // namespace

CompiledTemplate::CompiledTemplate(std::string text, std::string path)
    : m_text(std::move(text))
    , m_path(std::move(path)) {
    const std::string_view all = m_text;
    std::string word;
    for (std::size_t start = 0; start < all.size();) {
        const std::size_t end = all.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? all.size() : end + 1;
        const std::string_view line = all.substr(start, next - start);
        if (isDirectiveLine(line)) {
            m_lines.push_back({start, m_directivePlans.size()});
            m_directivePlans.push_back(analyseDirective(line));
        } else {
            m_lines.push_back({start, m_linePlans.size()});
            m_linePlans.push_back(analyseLine(line));
            if (line.starts_with(SECTION_START)) {
                std::optional<std::string> name;
                if (readWord(line.substr(SECTION_START.size()), word) != 0)
                    name = word;
                m_sections.push_back({m_lines.size() - 1, std::move(name)});
            }
        }
        start = next;
    }
    findMatchingEnds();
}

// A skip to the matching line counts @IFDEF and @IFNDEF up and @ENDIF down from the line it
// starts on; an @IFDEF's @ENDIF is the first line after it where the count falls back below it,
// and a loop's @ENDFOR the first @ENDFOR where the count stands as at the @FOR. A directive line
// without a word stops every skip that meets it. Walking backwards, the nearest such lines are
// known for every count, so every plan gets its end in one pass.
void CompiledTemplate::findMatchingEnds() {
    std::vector<long> levelBefore(m_lines.size() + 1, 0);
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        long change = 0;
        if (isDirectiveLine(line(i))) {
            const DirectivePlan& plan = m_directivePlans[m_lines[i].plan];
            if (plan.used != 0 && (plan.id == DirectiveId::IfDef || plan.id == DirectiveId::IfNDef))
                change = 1;
            else if (plan.used != 0 && plan.id == DirectiveId::EndIf)
                change = -1;
        }
        levelBefore[i + 1] = levelBefore[i] + change;
    }
    std::unordered_map<long, std::size_t> nextEndIf;  // by the level after the line
    std::unordered_map<long, std::size_t> nextEndFor; // by the level at the line
    std::size_t nextStop = NO_LINE;
    const auto nearest = [&](const std::unordered_map<long, std::size_t>& lines, long level) {
        const auto found = lines.find(level);
        return found == lines.end() || found->second > nextStop ? NO_LINE : found->second;
    };
    for (std::size_t i = m_lines.size(); i-- > 0;) {
        if (!isDirectiveLine(line(i)))
            continue;
        DirectivePlan& plan = m_directivePlans[m_lines[i].plan];
        if (plan.used == 0) {
            nextStop = i;
            continue;
        }
        switch (plan.id) {
        case DirectiveId::IfDef:
        case DirectiveId::IfNDef:
            plan.matchingEnd = nearest(nextEndIf, levelBefore[i]);
            break;
        case DirectiveId::For:
            plan.matchingEnd = nearest(nextEndFor, levelBefore[i]);
            break;
        case DirectiveId::EndIf:
            nextEndIf[levelBefore[i + 1]] = i;
            break;
        case DirectiveId::EndFor:
            nextEndFor[levelBefore[i]] = i;
            break;
        default:
            break;
        }
    }
}

std::string_view CompiledTemplate::line(std::size_t index) const {
    const std::size_t start = m_lines[index].start;
    const std::size_t end = index + 1 < m_lines.size() ? m_lines[index + 1].start : m_text.size();
    return std::string_view(m_text).substr(start, end - start);
}

std::size_t CompiledTemplate::lineStart(std::size_t index) const {
    return index < m_lines.size() ? m_lines[index].start : m_text.size();
}

std::size_t CompiledTemplate::lineAt(std::size_t position) const {
    if (position == m_text.size())
        return m_lines.size();
    const auto found =
        std::lower_bound(m_lines.begin(), m_lines.end(), position,
                         [](const Line& line, std::size_t start) { return line.start < start; });
    if (found == m_lines.end() || found->start != position)
        return NO_LINE;
    return static_cast<std::size_t>(found - m_lines.begin());
}

const LinePlan& CompiledTemplate::linePlan(std::size_t index) const {
    return m_linePlans[m_lines[index].plan];
}

const DirectivePlan& CompiledTemplate::directivePlan(std::size_t index) const {
    return m_directivePlans[m_lines[index].plan];
}

CompiledTemplate::SectionSearch CompiledTemplate::findSection(std::string_view name) const {
    for (const Section& section : m_sections) {
        if (!section.name || equalsIgnoringCase(*section.name, name))
            return {section.name.has_value(), section.line};
    }
    return {};
}

} // namespace vantrel
