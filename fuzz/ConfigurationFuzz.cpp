// The configuration reader on arbitrary file contents: a hand-edited vantrel.cfg must never
// crash the reader, and every setting it keeps must be a plain text without its quotes. The
// bytes are read from memory as the reader takes a file's.
#include "FuzzProject.h"

#include "config/Configuration.h"

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
    return 0;
}
