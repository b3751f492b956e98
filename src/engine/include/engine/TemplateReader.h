#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vantrel {

// A script or template file being read line by line. The whole file is read when it is opened
// and served from memory, so moving back to a recorded line start is exact and repeated
// sections cost no further reads. Line breaks "\r\n" arrive as "\n"; a UTF-8 byte-order mark at
// the start is dropped. Lines are whole, however long, and keep their line break.
class TemplateReader {
public:
    // Tells readers apart for the running loop, even after a reader has gone.
    using Identity = std::weak_ptr<const void>;
    // A file's text as the reader serves it; readers of one file in a run share it.
    using Content = std::shared_ptr<const std::string>;

    // The text of the file at a native path, line breaks and mark already handled; null when
    // it cannot be read.
    static Content loadFile(const std::string& nativePath);

    TemplateReader();
    TemplateReader(const TemplateReader&) = delete;
    TemplateReader& operator=(const TemplateReader&) = delete;

    // Opens the file at a native path; false when it cannot be read.
    bool open(const std::string& nativePath);
    // Serves the given text as if it were a file's content.
    void openText(std::string_view content);
    // Serves content that loadFile gave; a new identity, as for a file opened again.
    void openContent(Content content);
    void close();
    bool isOpen() const { return m_open; }

    // Records the line start and reads the next line; false at the end of the file.
    bool readLine();
    // A view into the text being served: it stays valid while the reader holds that text, even
    // after the reader moves on.
    std::string_view line() const { return m_line; }
    // Where the current line began, as a position that seek accepts.
    std::int64_t lineStart() const { return m_lineStart; }

    // The next readLine reads from this position; false when it lies outside the file.
    bool seek(std::int64_t position);
    void rewind() { seek(0); }

    // The text being served; null when closed. Never changes while the reader holds it.
    const Content& content() const { return m_content; }

    Identity identity() const { return m_identity; }
    bool hasIdentity(const Identity& other) const;

private:
    static Content normalised(std::string content);

    Content m_content;
    std::string_view m_line;
    std::size_t m_position = 0;
    std::int64_t m_lineStart = 0;
    bool m_open = false;
    std::shared_ptr<const char> m_identity;
};

} // namespace vantrel
