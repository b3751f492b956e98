// The configuration reader on arbitrary file contents: a hand-edited vantrel.cfg must never
// crash the reader, and every setting it keeps must be a plain text without its quotes. The
// bytes are read from memory as the reader takes a file's. The same bytes as the template set's
// notes: every move they keep stays below the project folder, and versions order both ways.
#include "FuzzProject.h"

#include "config/Configuration.h"
#include "config/TemplateSet.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    vantrel::ProjectState project;
    vantrel::readConfigurationBytes(project,
                                    std::string(reinterpret_cast<const char*>(data), size));
    // A value is what stood between its quotes on one line.
    for (const vantrel::ExtraSetting& setting : project.extraSettings) {
        if (setting.key.empty() || setting.value.empty() || setting.secondValue.empty())
            std::abort();
        if (setting.value.find('\n') != std::string::npos)
            std::abort();
    }
    const vantrel::TemplateNotes notes =
        vantrel::readTemplateNotes(std::string(reinterpret_cast<const char*>(data), size));
    const auto outside = [](const std::string& path) {
        return path.empty() || path.front() == '/' || path.starts_with("../") ||
               path.find("/../") != std::string::npos || path.ends_with("/..") || path == "..";
    };
    for (std::size_t at = 0; at < notes.versions.size(); ++at) {
        const vantrel::VersionNotes& version = notes.versions[at];
        const std::string& other = notes.versions[(at + 1) % notes.versions.size()].version;
        if (vantrel::compareVersions(version.version, other) !=
            -vantrel::compareVersions(other, version.version))
            std::abort();
        for (const vantrel::DeclaredMove& move : version.moves)
            if (outside(move.from) || outside(move.to) ||
                outside(vantrel::movedPath(move.from, move)))
                std::abort();
    }
    return 0;
}
