#include "engine/TemplateReader.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace vantrel {

namespace {

constexpr std::string_view UTF8_BOM = "\xEF\xBB\xBF";

} // namespace

TemplateReader::TemplateReader()
    : m_identity(std::make_shared<const char>('\0')) {}

bool TemplateReader::open(const std::string& nativePath) {
    close();
    // A folder opens as an empty stream on some platforms; it is no file to read.
    std::error_code ignored;
    if (std::filesystem::is_directory(nativePath, ignored))
        return false;
    std::ifstream file(nativePath, std::ios::binary);
    if (!file)
        return false;
    std::string content{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad())
        return false;
    load(std::move(content));
    return true;
}

void TemplateReader::openText(std::string_view content) {
    close();
    load(std::string(content));
}

void TemplateReader::load(std::string content) {
    if (content.starts_with(UTF8_BOM))
        content.erase(0, UTF8_BOM.size());
    // Text-mode reading: "\r\n" is one line break on every platform.
    std::string text;
    text.reserve(content.size());
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i] == '\r' && i + 1 < content.size() && content[i + 1] == '\n')
            continue;
        text.push_back(content[i]);
    }
    m_content = std::move(text);
    m_open = true;
    // A new file is a new identity: a loop begun in the old content cannot end here.
    m_identity = std::make_shared<const char>('\0');
}

void TemplateReader::close() {
    m_content.clear();
    m_line.clear();
    m_position = 0;
    m_lineStart = 0;
    m_open = false;
}

bool TemplateReader::readLine() {
    m_lineStart = static_cast<std::int64_t>(m_position);
    if (!m_open || m_position >= m_content.size()) {
        m_line.clear();
        return false;
    }
    const std::size_t end = m_content.find('\n', m_position);
    const std::size_t next = end == std::string::npos ? m_content.size() : end + 1;
    m_line.assign(m_content, m_position, next - m_position);
    m_position = next;
    return true;
}

bool TemplateReader::seek(std::int64_t position) {
    if (!m_open || position < 0 || static_cast<std::uint64_t>(position) > m_content.size())
        return false;
    m_position = static_cast<std::size_t>(position);
    return true;
}

bool TemplateReader::hasIdentity(const Identity& other) const {
    return !other.owner_before(m_identity) && !m_identity.owner_before(other) && !other.expired();
}

} // namespace vantrel
