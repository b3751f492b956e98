#include "engine/TemplateReader.h"

#include "fileutil/TextFile.h"

#include <optional>
#include <utility>

namespace vantrel {

TemplateReader::TemplateReader()
    : m_identity(std::make_shared<const char>('\0')) {}

TemplateReader::Content TemplateReader::loadFile(const std::string& nativePath) {
    std::optional<std::string> text = readTextFile(nativePath);
    if (!text)
        return nullptr;
    return std::make_shared<const CompiledTemplate>(std::move(*text), nativePath);
}

TemplateReader::Content TemplateReader::compileText(std::string text) {
    normaliseText(text);
    return std::make_shared<const CompiledTemplate>(std::move(text));
}

TemplateReader::Content TemplateReader::loadFile(const std::string& nativePath,
                                                 const InputReader& read) {
    if (!read)
        return loadFile(nativePath);
    std::optional<std::string> text = read(nativePath);
    if (!text)
        return nullptr;
    normaliseText(*text);
    return std::make_shared<const CompiledTemplate>(std::move(*text), nativePath);
}

bool TemplateReader::open(const std::string& nativePath) {
    close();
    Content content = loadFile(nativePath);
    if (!content)
        return false;
    openContent(std::move(content));
    return true;
}

void TemplateReader::openText(std::string_view content) {
    openContent(compileText(std::string(content)));
}

void TemplateReader::openContent(Content content) {
    close();
    m_content = std::move(content);
    // A new file is a new identity: a loop begun in the old content cannot end here.
    m_identity = std::make_shared<const char>('\0');
}

void TemplateReader::close() {
    m_content.reset();
    m_line = BEFORE_FIRST;
    m_next = 0;
}

bool TemplateReader::readLine() {
    if (!m_content || m_next >= m_content->lineCount()) {
        m_line = m_content ? m_content->lineCount() : BEFORE_FIRST;
        return false;
    }
    m_line = m_next++;
    return true;
}

std::string_view TemplateReader::line() const {
    if (!m_content || m_line >= m_content->lineCount())
        return {};
    return m_content->line(m_line);
}

std::int64_t TemplateReader::lineStart() const {
    if (!m_content || m_line == BEFORE_FIRST)
        return 0;
    return static_cast<std::int64_t>(m_content->lineStart(m_line));
}

MessagePlace TemplateReader::placeOf(std::size_t index) const {
    if (!m_content || m_content->path().empty() || index >= m_content->lineCount())
        return {};
    return {m_content->path(), index + 1};
}

bool TemplateReader::seekLine(std::size_t index) {
    if (!m_content || index > m_content->lineCount())
        return false;
    m_next = index;
    return true;
}

bool TemplateReader::seek(std::int64_t position) {
    if (!m_content || position < 0)
        return false;
    const std::size_t index = m_content->lineAt(static_cast<std::size_t>(position));
    return index != CompiledTemplate::NO_LINE && seekLine(index);
}

void TemplateReader::moveTo(std::size_t index) {
    m_line = index;
    m_next = index + 1;
}

bool TemplateReader::hasIdentity(const Identity& other) const {
    return !other.owner_before(m_identity) && !m_identity.owner_before(other) && !other.expired();
}

} // namespace vantrel
