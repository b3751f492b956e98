#pragma once

#include "engine/ScriptInterpreter.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

// Where each line of the files a run makes comes from, gathered while it runs (hand it to the
// run as RunSettings::observer).
class LineOrigins : public SectionObserver {
public:
    struct Line {
        std::uint32_t templateLine = 0; // counted from 1
        std::int32_t action = -1;       // the action a loop over the actions stood on; -1: none
        bool placeholders = false;      // a placeholder's value went into it
    };
    struct File {
        std::string source;  // the template file, or the file a copy was made from
        std::string section; // empty for a copy
        bool copied = false;
        std::optional<std::size_t> action; // the loop's action when the file was begun
        std::vector<Line> lines;           // one per line of the file as made
    };

    // The file made at a native path as the run named it; null when the run made none there.
    File* find(const std::string& target);

    void fileStarted(const std::string& target, const std::string& templateFile,
                     std::string_view section, std::optional<std::size_t> action) override;
    void lineMade(std::string_view text, bool placeholders, std::size_t templateLine,
                  std::optional<std::size_t> action) override;
    void fileCopied(const std::string& target, const std::string& source) override;

private:
    std::map<std::string, File> m_files;
    File* m_file = nullptr;
    bool m_lineOpen = false; // the last line made has no end yet: the next text goes on with it
};

// Where line (from 0) of a file made from a template comes from, as people read it:
// "tpl/plugin.tpl:12:1, section \"action\", action Line (index 0)". The column is 1, or for
// a further line of one template line's text (a value holding line breaks) that of its first
// placeholder. templateText is the template file's text, for that column; the action names are
// the project's, by index.
std::string describeOrigin(const LineOrigins::File& file, std::size_t line,
                           std::string_view templateText,
                           const std::vector<std::string>& actionNames);

// Line (from 1) of a text, without its line end; none past its last line.
std::optional<std::string_view> lineOfText(std::string_view text, std::size_t line);

} // namespace vantrel
