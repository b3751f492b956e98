#pragma once

#include "model/ProjectState.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace vantrel {

// The project file read by the JSON library: it takes any document the library accepts and
// words every refusal. Each returns the problem without the file name, empty when it worked;
// on a problem the project is left as it was.

// Reads the file from its current position to the end, 64 KB at a time.
std::string readProjectWithLibrary(std::FILE* file, ProjectState& project);
std::string applyProjectWithLibrary(std::string_view jsonText, ProjectState& project);

} // namespace vantrel
