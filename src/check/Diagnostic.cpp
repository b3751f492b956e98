#include "check/Diagnostic.h"

#include <algorithm>

namespace vantrel {

void DiagnosticList::add(Severity severity, const std::string& file, std::size_t line,
                         std::size_t column, std::string text) {
    const auto known = std::find(m_files.begin(), m_files.end(), file);
    const std::size_t order = static_cast<std::size_t>(known - m_files.begin());
    if (known == m_files.end())
        m_files.push_back(file);
    m_entries.push_back({order, {file, line, column, severity, std::move(text)}});
}

std::vector<Diagnostic> DiagnosticList::sorted() const {
    std::vector<Entry> entries = m_entries;
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        if (a.fileOrder != b.fileOrder)
            return a.fileOrder < b.fileOrder;
        if (a.diagnostic.line != b.diagnostic.line)
            return a.diagnostic.line < b.diagnostic.line;
        return a.diagnostic.column < b.diagnostic.column;
    });
    std::vector<Diagnostic> result;
    result.reserve(entries.size());
    for (Entry& entry : entries)
        result.push_back(std::move(entry.diagnostic));
    return result;
}

std::size_t DiagnosticList::count(Severity severity) const {
    return static_cast<std::size_t>(
        std::count_if(m_entries.begin(), m_entries.end(),
                      [severity](const Entry& e) { return e.diagnostic.severity == severity; }));
}

std::string formatDiagnostic(const Diagnostic& diagnostic) {
    return diagnostic.file + ':' + std::to_string(diagnostic.line) + ':' +
           std::to_string(diagnostic.column) + ": " +
           (diagnostic.severity == Severity::Error     ? "error: "
            : diagnostic.severity == Severity::Warning ? "warning: "
                                                       : "note: ") +
           diagnostic.text;
}

} // namespace vantrel
