#include "engine/TemplateReader.h"

#include <cstdio>
#include <filesystem>
#include <utility>

namespace vantrel {

namespace {

constexpr std::string_view UTF8_BOM = "\xEF\xBB\xBF";

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

TemplateReader::TemplateReader()
    : m_identity(std::make_shared<const char>('\0')) {}

TemplateReader::Content TemplateReader::loadFile(const std::string& nativePath) {
    // A folder opens as an empty stream on some platforms; it is no file to read.
    std::error_code ignored;
    if (std::filesystem::is_directory(nativePath, ignored))
        return nullptr;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(nativePath.c_str(), "rb"));
    if (!file)
        return nullptr;
    // Read in large blocks: the file is taken whole, and one read usually does it.
    std::string content;
    std::size_t used = 0;
    std::size_t count = 0;
    do {
        content.resize(used + (used < 65536 ? 65536 : used));
        count = std::fread(content.data() + used, 1, content.size() - used, file.get());
        used += count;
    } while (used == content.size());
    if (std::ferror(file.get()))
        return nullptr;
    content.resize(used);
    return normalised(std::move(content));
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
    if (content.starts_with(UTF8_BOM))
        content.erase(0, UTF8_BOM.size());
    // Text-mode reading: "\r\n" is one line break on every platform. Most files have no
    // carriage return at all and are taken as they are.
    std::size_t write = content.find('\r');
    if (write != std::string::npos) {
        for (std::size_t read = write; read < content.size(); ++read) {
            if (content[read] == '\r' && read + 1 < content.size() && content[read + 1] == '\n')
                continue;
            content[write++] = content[read];
        }
        content.resize(write);
    }
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
