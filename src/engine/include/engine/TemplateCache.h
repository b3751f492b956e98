#pragma once

#include "engine/TemplateReader.h"
#include "fileutil/FileIdentity.h"

#include <optional>
#include <string>
#include <vector>

namespace vantrel {

// The template files of one run, each read once and served from memory to every create_file:
// that names it. A file the run writes over is read afresh the next time, as if never kept.
class TemplateCache {
public:
    // The text of the template at a native path; null when it cannot be read (not kept, so
    // the next command tries again).
    TemplateReader::Content load(const std::string& nativePath,
                                 const TemplateReader::InputReader& read = {});
    // Called before the run writes the file at a native path; known is its identity when the
    // output has it at hand, saving a look at the file.
    void forget(const std::string& nativePath, std::optional<FileIdentity> known = std::nullopt);
    // forget, for a path where nothing exists: only files the platform cannot identify go.
    void forgetAbsent();
    void clear() { m_entries.clear(); }

private:
    struct Entry {
        std::string path;
        std::optional<FileIdentity> identity; // none: the platform cannot tell
        TemplateReader::Content content;
    };
    std::vector<Entry> m_entries;
};

} // namespace vantrel
