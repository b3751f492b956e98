// The plain project reader against the JSON library's reader on arbitrary documents: whatever
// the plain reader takes, the library's reader must take too and make the same project of; what
// it does not take, it must leave untouched for the library's reader.
#include "FuzzProject.h"

#include "cli/LibraryProjectReader.h"
#include "cli/PlainProjectReader.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

using namespace vantrel;

// What a project file can reach.
bool sameReading(const ProjectState& a, const ProjectState& b) {
    return a.kelHost == b.kelHost && a.dovHost == b.dovHost && a.dllFlags == b.dllFlags &&
           a.nameText == b.nameText && a.locationBase == b.locationBase &&
           a.locationText == b.locationText && a.actions == b.actions;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // A project with actions present, so that keeping or replacing them shows.
    const ProjectState before = fuzz::makeFuzzProject();
    ProjectState plain = before;
    if (PlainProjectReader(text).read(plain) != PlainProjectReader::Result::Applied) {
        if (!sameReading(plain, before))
            std::abort(); // a document given up on must leave the project as it was
        return 0;
    }
    ProjectState library = before;
    if (!applyProjectWithLibrary(text, library).empty())
        std::abort(); // taken plainly, refused by the library
    if (!sameReading(plain, library))
        std::abort(); // read differently
    return 0;
}
