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
    return std::make_shared<const std::string>(std::move(*text));
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
    close();
    openContent(normalised(std::string(content)));
}

void TemplateReader::openContent(Content content) {
    close();
    m_content = std::move(content);
    m_open = true;
    // A new file is a new identity: a loop begun in the old content cannot end here.
    m_identity = std::make_shared<const char>('\0');
}

TemplateReader::Content TemplateReader::normalised(std::string content) {
    normaliseText(content);
    return std::make_shared<const std::string>(std::move(content));
}

void TemplateReader::close() {
    m_content.reset();
    m_line = {};
    m_position = 0;
    m_lineStart = 0;
    m_open = false;
}

bool TemplateReader::readLine() {
    m_lineStart = static_cast<std::int64_t>(m_position);
    if (!m_open || !m_content || m_position >= m_content->size()) {
        m_line = {};
        return false;
    }
    const std::string& content = *m_content;
    const std::size_t end = content.find('\n', m_position);
    const std::size_t next = end == std::string::npos ? content.size() : end + 1;
    m_line = std::string_view(content).substr(m_position, next - m_position);
    m_position = next;
    return true;
}

bool TemplateReader::seek(std::int64_t position) {
    const std::size_t size = m_content ? m_content->size() : 0;
    if (!m_open || position < 0 || static_cast<std::uint64_t>(position) > size)
        return false;
    m_position = static_cast<std::size_t>(position);
    return true;
}

bool TemplateReader::hasIdentity(const Identity& other) const {
    return !other.owner_before(m_identity) && !m_identity.owner_before(other) && !other.expired();
}

} // namespace vantrel
