// A whole generation run from an arbitrary script and template (the input holds the script, a
// NUL, then the template text) into the in-memory output over a project location that does not
// exist: every target the run goes for, and every entry it records, lies below the location,
// and nothing reaches the disk.
#include "FuzzProject.h"

#include "engine/Engine.h"
#include "fileutil/MemoryOutput.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct Installation {
    fs::path root;     // private folder: script, templates and kit
    fs::path location; // the project location, root/out, never made
};

void writeFile(const fs::path& path, std::string_view content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out)
        std::abort();
}

// The script and template are rewritten for every input: in memory when the machine has a
// tmpfs at /dev/shm.
const Installation& installation() {
    static const Installation setup = [] {
        Installation made;
        char shm[] = "/dev/shm/vantrel-fuzz-run-XXXXXX";
        char tmp[] = "/tmp/vantrel-fuzz-run-XXXXXX";
        const char* folder = ::mkdtemp(shm);
        if (folder == nullptr)
            folder = ::mkdtemp(tmp);
        if (folder == nullptr)
            std::abort();
        made.root = folder;
        static const fs::path root = made.root;
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(root, ignored);
        });
        fs::create_directories(made.root / "tpl");
        fs::create_directories(made.root / "kit");
        writeFile(made.root / "kit" / "kit.h", "// kit\n");
        made.location = made.root / "out";
        return made;
    }();
    return setup;
}

[[noreturn]] void escaped(const char* what, const std::string& path) {
    std::fprintf(stderr, "%s outside the project location: %s\n", what, path.c_str());
    std::abort();
}

// A key of the in-memory tree is a relative path that never climbs.
bool plainKey(const std::string& key) {
    if (key.starts_with('/'))
        return false;
    for (const fs::path& element : fs::path(key))
        if (element == "..")
            return false;
    return true;
}

bool below(const fs::path& path, const fs::path& folder) {
    const fs::path relative = path.lexically_normal().lexically_relative(folder);
    return !relative.empty() && *relative.begin() != "..";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Installation& setup = installation();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    const std::string_view script = input.substr(0, split);
    const std::string_view templ =
        split == std::string_view::npos ? std::string_view{} : input.substr(split + 1);
    writeFile(setup.root / "script.vts", script);
    writeFile(setup.root / "tpl" / "plugin.tpl", templ);

    vantrel::ProjectState project = vantrel::fuzz::makeFuzzProject();
    // Absolute paths: the fuzzer reads its corpus relative to the working folder.
    project.projectLocation = setup.location.string();
    project.keltemplate = (setup.root / "script.vts").string();
    project.templatedirectory = (setup.root / "tpl").string();
    // Every copy the sample scripts make finds its source, so runs go on past them.
    const std::string kit = (setup.root / "kit" / "kit.h").string();
    for (std::string* setting :
         {&project.piinc, &project.kelpiinc, &project.kelinerfaceinc, &project.kelexportinc,
          &project.threadinc, &project.vectorinc, &project.matrixinc, &project.viewinc,
          &project.dovpiinc, &project.dovinerfaceinc, &project.dovexportinc})
        *setting = kit;
    project.extraSettings.push_back({"LICENSE", kit, "LICENSE.txt"});
    vantrel::fuzz::CountingSink sink;
    vantrel::MemoryOutput output;
    vantrel::Engine generator(project, sink, output);
    generator.runScript();

    for (const vantrel::MemoryOutput::Target& target : output.targets()) {
        if (!plainKey(target.key))
            escaped("a target", target.key);
        if (!below(fs::absolute(target.nativePath), setup.location))
            escaped("a target", target.nativePath);
    }
    for (const auto& [key, entry] : output.tree())
        if (!plainKey(key))
            escaped("an entry", key);
    if (fs::exists(setup.location))
        escaped("the disk written", setup.location.string());
    return 0;
}
