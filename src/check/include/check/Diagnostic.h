#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vantrel {

// A note is no problem: it names what a reader of the templates should know (write-once files).
enum class Severity { Error, Warning, Note };

// One problem a check found, where an editor can show it.
struct Diagnostic {
    std::string file;       // the path the generator would open the file by
    std::size_t line = 0;   // counted from 1
    std::size_t column = 0; // byte column of the fault in the line, counted from 1
    Severity severity = Severity::Error;
    std::string text;

    bool operator==(const Diagnostic&) const = default;
};

// What a check found, in any order; handed out file by file (in the order the files were first
// named), each by line and column, so that a file's problems read from top to bottom.
class DiagnosticList {
public:
    void add(Severity severity, const std::string& file, std::size_t line, std::size_t column,
             std::string text);
    void error(const std::string& file, std::size_t line, std::size_t column, std::string text) {
        add(Severity::Error, file, line, column, std::move(text));
    }
    void warning(const std::string& file, std::size_t line, std::size_t column, std::string text) {
        add(Severity::Warning, file, line, column, std::move(text));
    }

    void note(const std::string& file, std::size_t line, std::size_t column, std::string text) {
        add(Severity::Note, file, line, column, std::move(text));
    }

    std::vector<Diagnostic> sorted() const;
    std::size_t count(Severity severity) const;

private:
    struct Entry {
        std::size_t fileOrder;
        Diagnostic diagnostic;
    };
    std::vector<std::string> m_files; // in the order first met
    std::vector<Entry> m_entries;
};

// "FILE:LINE:COLUMN: error: TEXT" (or "warning:", "note:"), as editors and build tools read it.
std::string formatDiagnostic(const Diagnostic& diagnostic);

} // namespace vantrel
