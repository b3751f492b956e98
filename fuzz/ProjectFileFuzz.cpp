// The project file reader on arbitrary documents: a refused document leaves the project as it
// was and is refused with a message that names the file (and, for a document that is no JSON, a
// line and column inside it); a taken one gives a project the model can hold, and taking it
// again changes nothing.
#include "FuzzProject.h"

#include "model/FlagNames.h"
#include "project/ProjectFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace vantrel;

// What a project file can reach.
bool sameReading(const ProjectState& a, const ProjectState& b) {
    return a.kelHost == b.kelHost && a.dovHost == b.dovHost && a.dllFlags == b.dllFlags &&
           a.nameText == b.nameText && a.locationBase == b.locationBase &&
           a.locationText == b.locationText && a.actions == b.actions;
}

bool isCheckBox(std::int32_t value) {
    return value == 0 || value == 1;
}

// "p.json:LINE:COLUMN: reason" must place the fault inside the text or just past its end.
bool placedInside(const std::string& message, std::string_view text) {
    unsigned long line = 0;
    unsigned long column = 0;
    if (std::sscanf(message.c_str(), "p.json:%lu:%lu: ", &line, &column) != 2)
        return true; // a key at fault, or a document that is no object
    const auto lines = static_cast<unsigned long>(std::count(text.begin(), text.end(), '\n')) + 1;
    return line >= 1 && column >= 1 && line <= lines && column <= text.size() + 1;
}

[[noreturn]] void fault(const char* what) {
    std::fprintf(stderr, "project file: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ProjectFile file("p.json");
    // A project with actions present, so that keeping or replacing them shows.
    const ProjectState before = fuzz::makeFuzzProject();
    ProjectState project = before;
    if (const std::optional<ProjectFileError> error = file.apply(text, project)) {
        if (!sameReading(project, before))
            fault("a refused document changed the project");
        if (!error->message.starts_with("p.json:") || error->message.size() <= 8)
            fault("a refusal that does not name the file and say why");
        if (!placedInside(error->message, text))
            fault("a fault placed outside the text");
        return 0;
    }
    if (project.kelHost + project.dovHost != 1 || !isCheckBox(project.kelHost))
        fault("not exactly one host");
    if (project.locationText != project.locationBase)
        fault("the location's two texts differ");
    for (const ActionDefinition& action : project.actions) {
        if ((action.flags & ~ACTION_FLAG_BITS) != 0 || !isCheckBox(action.indivInterface) ||
            !isCheckBox(action.staticMemBuf))
            fault("an action the model cannot hold");
        if (action.defEdited != 0 || action.panelEdited != 0 || action.msgEdited != 0)
            fault("an action with edit marks");
    }
    ProjectState again = project;
    if (file.apply(text, again) || !sameReading(again, project))
        fault("taking the document twice differs from taking it once");
    return 0;
}
