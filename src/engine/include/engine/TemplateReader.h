#pragma once

#include "engine/CompiledTemplate.h"
#include "report/ErrorReporter.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// A script or template file being read line by line: a cursor over the file's compiled form,
// so moving back to a recorded line is exact and repeated sections cost no further reads.
// Lines are whole, however long, and keep their line break.
class TemplateReader {
public:
    // Tells readers apart for the running loop, even after a reader has gone.
    using Identity = std::weak_ptr<const void>;
    // A file's compiled text; readers of one file in a run share it.
    using Content = std::shared_ptr<const CompiledTemplate>;

    // Reads the bytes of a script or template file; none when it cannot be read. A run reads
    // from the disk unless it repeats an earlier run from the texts that run kept.
    using InputReader = std::function<std::optional<std::string>(const std::string& nativePath)>;

    // The compiled text of the file at a native path; null when it cannot be read.
    static Content loadFile(const std::string& nativePath);
    static Content loadFile(const std::string& nativePath, const InputReader& read);
    // Text as if read from a file (line breaks and byte-order mark handled as for a file).
    static Content compileText(std::string text);

    TemplateReader();
    TemplateReader(const TemplateReader&) = delete;
    TemplateReader& operator=(const TemplateReader&) = delete;

    // Opens the file at a native path; false when it cannot be read.
    bool open(const std::string& nativePath);
    // Serves the given text as if it were a file's content.
    void openText(std::string_view content);
    // Serves compiled content; a new identity, as for a file opened again.
    void openContent(Content content);
    void close();
    bool isOpen() const { return m_content != nullptr; }

    // Moves to the next line; false at the end of the file.
    bool readLine();
    // A view into the text being served: it stays valid while the reader holds that text.
    std::string_view line() const;
    // The current line's index in the compiled text, and where it began in the text.
    std::size_t lineIndex() const { return m_line; }
    std::int64_t lineStart() const;
    // The file and line of the line with this index, for messages; unknown for text that was
    // not read from a file or for an index past its lines.
    MessagePlace placeOf(std::size_t index) const;
    MessagePlace place() const { return placeOf(m_line); }

    // The next readLine reads the line with this index; false when there is no such line.
    bool seekLine(std::size_t index);
    // The next readLine reads from this position, which must be where a line begins (or the
    // end); false otherwise.
    bool seek(std::int64_t position);
    void rewind() { seek(0); }
    // Makes the line with this index the current line, as if it had just been read.
    void moveTo(std::size_t index);

    // The text being served; null when closed. Never changes while the reader holds it.
    const Content& content() const { return m_content; }

    Identity identity() const { return m_identity; }
    bool hasIdentity(const Identity& other) const;

private:
    static constexpr std::size_t BEFORE_FIRST = static_cast<std::size_t>(-1);

    Content m_content;
    std::size_t m_line = BEFORE_FIRST; // the current line; lineCount() past the end
    std::size_t m_next = 0;            // the line the next readLine reads
    std::shared_ptr<const char> m_identity;
};

} // namespace vantrel
