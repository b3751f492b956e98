#include "run/LineOrigins.h"

namespace vantrel {

LineOrigins::File* LineOrigins::find(const std::string& target) {
    const auto it = m_files.find(target);
    return it == m_files.end() ? nullptr : &it->second;
}

void LineOrigins::fileStarted(const std::string& target, const std::string& templateFile,
                              std::string_view section, std::optional<std::size_t> action) {
    // A file made twice holds what the last section made.
    m_file = &(m_files[target] = File{templateFile, std::string(section), false, action, {}});
    m_lineOpen = false;
}

void LineOrigins::lineMade(std::string_view text, bool placeholders, std::size_t templateLine,
                           std::optional<std::size_t> action) {
    if (!m_file || text.empty())
        return;
    const Line made{static_cast<std::uint32_t>(templateLine),
                    action ? static_cast<std::int32_t>(*action) : -1, placeholders};
    for (std::size_t at = 0; at < text.size();) {
        if (m_lineOpen)
            m_file->lines.back().placeholders |= placeholders;
        else
            m_file->lines.push_back(made);
        const std::size_t end = text.find('\n', at);
        m_lineOpen = end == std::string_view::npos;
        at = m_lineOpen ? text.size() : end + 1;
    }
}

void LineOrigins::fileCopied(const std::string& target, const std::string& source) {
    m_files[target] = File{source, {}, true, std::nullopt, {}};
    m_file = nullptr;
}

std::optional<std::string_view> lineOfText(std::string_view text, std::size_t line) {
    std::size_t start = 0;
    for (std::size_t n = 1; n < line; ++n) {
        start = text.find('\n', start);
        if (start == std::string_view::npos)
            return std::nullopt;
        ++start;
    }
    if (line == 0 || start >= text.size())
        return std::nullopt;
    std::string_view found = text.substr(start, text.find('\n', start) - start);
    if (found.ends_with('\r'))
        found.remove_suffix(1);
    return found;
}

std::string describeOrigin(const LineOrigins::File& file, std::size_t line,
                           std::string_view templateText,
                           const std::vector<std::string>& actionNames) {
    const LineOrigins::Line& made = file.lines.at(line);
    const bool further = line > 0 && file.lines[line - 1].templateLine == made.templateLine &&
                         file.lines[line - 1].action == made.action;
    std::size_t column = 1;
    if (further)
        if (const auto text = lineOfText(templateText, made.templateLine))
            column = text->find('%') == std::string_view::npos ? 1 : text->find('%') + 1;
    std::string text = file.source + ':' + std::to_string(made.templateLine) + ':' +
                       std::to_string(column) + ", section \"" + file.section + '"';
    if (made.action >= 0) {
        const auto index = static_cast<std::size_t>(made.action);
        text += ", action " + (index < actionNames.size() ? actionNames[index] : std::string("?")) +
                " (index " + std::to_string(index) + ")";
    }
    return text;
}

} // namespace vantrel
