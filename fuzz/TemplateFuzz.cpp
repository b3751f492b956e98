// Template text expansion and directives over an arbitrary section body, with a fixed project:
// the body is processed as a section is written, in memory, and must end without a crash.
#include "FuzzProject.h"

#include "engine/Engine.h"
#include "engine/TemplateReader.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    vantrel::ProjectState project = vantrel::fuzz::makeFuzzProject();
    vantrel::fuzz::CountingSink sink;
    vantrel::Engine generator(project, sink);
    vantrel::TemplateReader reader;
    reader.openText(body);

    std::size_t written = 0;
    while (reader.readLine()) {
        const std::string_view line = reader.line();
        if (line.starts_with("filesectionend:"))
            break;
        if (!line.empty() && line.front() == '@') {
            if (!generator.directives().processDirectiveLine(reader))
                break;
            continue;
        }
        const std::string expanded = generator.expander().expandLine(line);
        // The template's own placeholders grow a line by their values (none of this project's
        // is 64 characters long); what values feed grows it by the engine's bound at most.
        if (expanded.size() > 64 * line.size() + 2 * vantrel::LineExpander::MAX_FED_GROWTH)
            std::abort();
        written += expanded.size();
    }
    // The cursor never leaves the action list.
    if (project.currentAction() == nullptr)
        std::abort();
    return written == SIZE_MAX ? 1 : 0;
}
