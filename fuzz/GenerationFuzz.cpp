// A whole generation run from an arbitrary script and template (the input holds the script, a
// NUL, then the template text), inside a fresh project location. After each input nothing may
// exist outside that location but the installation the run started from.
#include "FuzzProject.h"

#include "engine/Generator.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <string_view>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Deep enough below the private root that a climb out of the location lands inside it.
constexpr int WORK_DEPTH = 8;

struct Installation {
    fs::path root;               // private folder, everything the run may see or make is below it
    fs::path work;               // holds script and templates, WORK_DEPTH levels below root
    fs::path location;           // the project location: work/out
    std::set<fs::path> allowed;  // what exists before any run, outside the location
    std::set<fs::path> topLevel; // the entries of "/" at the start
};

void writeFile(const fs::path& path, std::string_view content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out)
        std::abort();
}

std::set<fs::path> listing(const fs::path& folder) {
    std::set<fs::path> entries;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
        entries.insert(entry.path());
    return entries;
}

Installation& installation() {
    static Installation setup = [] {
        Installation made;
        char folder[] = "/tmp/vantrel-fuzz-run-XXXXXX";
        if (::mkdtemp(folder) == nullptr)
            std::abort();
        made.root = folder;
        static const fs::path root = made.root;
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(root, ignored);
        });
        made.work = made.root;
        for (int level = 0; level < WORK_DEPTH; ++level)
            made.work /= "w" + std::to_string(level);
        fs::create_directories(made.work / "tpl");
        fs::create_directories(made.root / "kit");
        writeFile(made.root / "kit" / "kit.h", "// kit\n");
        made.location = made.work / "out";
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(made.root))
            made.allowed.insert(entry.path());
        made.allowed.insert(made.work / "script.vts");
        made.allowed.insert(made.work / "tpl" / "plugin.tpl");
        made.topLevel = listing("/");
        return made;
    }();
    return setup;
}

bool below(const fs::path& path, const fs::path& folder) {
    const auto [end, unused] =
        std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
    return end == folder.end();
}

// Everything that exists now lies below the location or was there before the run.
void checkNothingOutside(const Installation& setup) {
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(setup.root, error);
         it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (error)
            std::abort();
        const fs::path& path = it->path();
        if (below(path, setup.location)) {
            it.disable_recursion_pending();
            continue;
        }
        if (!setup.allowed.contains(path)) {
            std::fprintf(stderr, "escaped the project location: %s\n", path.c_str());
            std::abort();
        }
    }
    if (listing("/") != setup.topLevel) {
        std::fprintf(stderr, "the root folder changed during a run\n");
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Installation& setup = installation();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    const std::string_view script = input.substr(0, split);
    const std::string_view templ =
        split == std::string_view::npos ? std::string_view{} : input.substr(split + 1);
    writeFile(setup.work / "script.vts", script);
    writeFile(setup.work / "tpl" / "plugin.tpl", templ);

    vantrel::ProjectState project = vantrel::fuzz::makeFuzzProject();
    // Absolute paths: the fuzzer reads its corpus relative to the working folder.
    project.projectLocation = setup.location.string();
    project.keltemplate = (setup.work / "script.vts").string();
    project.templatedirectory = (setup.work / "tpl").string();
    // Every copy the sample scripts make finds its source, so runs go on past them.
    const std::string kit = (setup.root / "kit" / "kit.h").string();
    for (std::string* setting :
         {&project.piinc, &project.kelpiinc, &project.kelinerfaceinc, &project.kelexportinc,
          &project.threadinc, &project.vectorinc, &project.matrixinc, &project.viewinc,
          &project.dovpiinc, &project.dovinerfaceinc, &project.dovexportinc})
        *setting = kit;
    project.extraSettings.push_back({"LICENSE", kit, "LICENSE.txt"});
    vantrel::fuzz::CountingSink sink;
    vantrel::Generator generator(project, sink);
    generator.runGeneration();

    checkNothingOutside(setup);
    std::error_code ignored;
    fs::remove_all(setup.location, ignored);
    return 0;
}
