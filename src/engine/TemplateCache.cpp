#include "engine/TemplateCache.h"

namespace vantrel {

TemplateReader::Content TemplateCache::load(const std::string& nativePath,
                                            const TemplateReader::InputReader& read) {
    for (const Entry& entry : m_entries) {
        if (entry.path == nativePath)
            return entry.content;
    }
    TemplateReader::Content content = TemplateReader::loadFile(nativePath, read);
    if (content)
        m_entries.push_back({nativePath, fileIdentity(nativePath), content});
    return content;
}

void TemplateCache::forget(const std::string& nativePath, std::optional<FileIdentity> known) {
    if (m_entries.empty())
        return;
    const std::optional<FileIdentity> written = known ? known : fileIdentity(nativePath);
    // A kept file without an identity cannot be told apart from the written one, so it goes.
    std::erase_if(m_entries, [&](const Entry& entry) {
        return !entry.identity || (written && *entry.identity == *written);
    });
}

void TemplateCache::forgetAbsent() {
    std::erase_if(m_entries, [](const Entry& entry) { return !entry.identity; });
}

} // namespace vantrel
