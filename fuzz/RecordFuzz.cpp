// A record as the next run finds it, whatever it holds: every entry the manifest keeps names a
// path below the project folder, what it reads back it writes the same, and a regeneration over
// it in memory goes for nothing outside the location whatever the record claims.
#include "fileutil/MemoryOutput.h"
#include "project/ProjectFile.h"
#include "record/Manifest.h"
#include "record/RecordingOutput.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace vantrel;

// A folder that does not exist: the in-memory tree finds nothing of the user's on the disk.
constexpr const char* LOCATION = "/nonexistent-vantrel-fuzz/location";

void check(bool holds) {
    if (!holds)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The manifest, then after a byte 0x01 the answers.
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\x01');
    const std::string_view manifestText = input.substr(0, split);
    const std::string_view answers =
        split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

    ProjectState project;
    (void)ProjectFile("project.json").apply(answers, project);

    const ReadManifest read = readManifest(manifestText);
    check(read.why.empty() || read.why.starts_with("line "));
    const Manifest& manifest = read.manifest;
    for (const Manifest::Entry& entry : manifest.entries)
        check(isTargetPath(entry.path));
    if (read.version == 3) {
        // Written as read, once sorted: read again it is the same.
        const ReadManifest reread = readManifest(vantrel::manifestText(manifest));
        check(reread.why.empty() && reread.manifest.sameAs(manifest));
    }

    // Every path the record names written again, in the review's way and the automatic one.
    for (const RecordingOutput::Policy policy :
         {RecordingOutput::Policy::Review, RecordingOutput::Policy::Automatic}) {
        MemoryOutput memory;
        RecordingOutput output(memory, nullptr);
        const std::string base = "base\n";
        output.setRecordRoot("Demo");
        output.setPrevious(&manifest, [&base](const std::string&, ContentHash) { return &base; });
        output.setPolicy(policy);
        output.setLocation(LOCATION);
        std::size_t written = 0;
        for (const Manifest::Entry& entry : manifest.entries) {
            if (entry.kind == Manifest::Kind::Folder || ++written > 64)
                continue;
            if (output.openFile(std::string(LOCATION) + "/Demo/" + entry.path) ==
                ProjectOutput::FileOpen::Failed)
                continue;
            output.pending() = "new\n";
            output.closeFile();
        }
        output.setRanWhole(true);
        for (const MemoryOutput::Target& target : memory.targets())
            check(isTargetPath(target.key));
        for (const std::string& key : output.noLongerGenerated())
            check(isTargetPath(key));
    }
    return 0;
}
