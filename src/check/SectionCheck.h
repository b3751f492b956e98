#pragma once

#include "Names.h"

#include "check/Diagnostic.h"
#include "engine/TemplateReader.h"

#include <cstddef>
#include <string>
#include <vector>

namespace vantrel {

// Where a section is written from: the create_file: line of a script.
struct SectionUse {
    std::string script;
    std::size_t line;     // index in the script
    std::size_t loopLine; // the script's @FOR line when written inside its loop, else NO_LINE
};

// A template file that scripts name, read once, with the uses of each of its sections.
struct TemplateFile {
    std::string path;
    TemplateReader::Content content;           // null: cannot be read
    std::vector<std::vector<SectionUse>> uses; // by index into content->sections()
};

class TemplateFiles {
public:
    TemplateFile& get(const std::string& path);
    std::vector<TemplateFile>& all() { return m_files; }

private:
    std::vector<TemplateFile> m_files; // in the order first named
};

// Reports the placeholders of a text that name nothing; column counts from the text's start.
void checkPlaceholders(const std::vector<PlaceholderUse>& uses, const KeywordValues& values,
                       DiagnosticList& found, const std::string& file, std::size_t line,
                       std::size_t column);

// The sections of the template files that scripts named: their bodies, and the sections that
// no script writes.
class SectionCheck {
public:
    SectionCheck(const ProjectState& project, DiagnosticList& found)
        : m_values(project)
        , m_found(found) {}

    void check(TemplateFile& file);

private:
    // The body of a section that a script writes; the first @FOR line in it, or NO_LINE.
    std::size_t checkBody(const CompiledTemplate& content, std::size_t sectionLine,
                          const std::string& name);

    KeywordValues m_values;
    DiagnosticList& m_found;
};

} // namespace vantrel
