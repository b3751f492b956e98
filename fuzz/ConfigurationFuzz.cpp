// The configuration reader on arbitrary file contents: a hand-edited vantrel.cfg must never
// crash the reader, and every setting it keeps must be a plain text without its quotes.
#include "FuzzProject.h"

#include "config/Configuration.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace {

std::string configPath() {
    static const std::string path = [] {
        char folder[] = "/tmp/vantrel-fuzz-config-XXXXXX";
        if (::mkdtemp(folder) == nullptr)
            std::abort();
        static const std::string made = folder;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(made, ignored);
        });
        return made + "/vantrel.cfg";
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = configPath();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size)
        std::abort();
    std::fclose(file);

    vantrel::ProjectState project;
    vantrel::fuzz::CountingSink sink;
    vantrel::readConfiguration(project, sink, path);
    // A value is what stood between its quotes on one line.
    for (const vantrel::ExtraSetting& setting : project.extraSettings) {
        if (setting.key.empty() || setting.value.empty() || setting.secondValue.empty())
            std::abort();
        if (setting.value.find('\n') != std::string::npos)
            std::abort();
    }
    if (sink.count != 0) // a file that opens is never reported
        std::abort();
    return 0;
}
