#pragma once

#include "cli/CommandLine.h"
#include "fileutil/ProjectOutput.h"

#include <ostream>
#include <span>
#include <string_view>

namespace vantrel {

// One headless "Create": configuration, project file, validation and the generation run.
// Listings go to out, messages to err; returns the exit status.
int runHeadless(const CommandLine& command, std::ostream& out, std::ostream& err);
// The whole of vantrel-gen after its arguments: help, version, usage errors or the run, into
// the given output.
int runVantrelGen(std::span<const std::string_view> arguments, std::ostream& out, std::ostream& err,
                  ProjectOutput& output);
// The same into another output (the in-memory tree of a preview, say).
int runHeadless(const CommandLine& command, std::ostream& out, std::ostream& err,
                ProjectOutput& output);

} // namespace vantrel
