#pragma once

#include "cli/CommandLine.h"
#include "run/ProjectRun.h"

#include <optional>
#include <ostream>
#include <span>
#include <string_view>

namespace vantrel {

// Reads the configuration that the search finds. A run on the built-in settings names files
// that seldom exist, so it is said once, on err, before anything else, with where the search
// looked.
ConfigurationBytes readFoundConfiguration(ProjectState& project, MessageSink& sink,
                                          const std::string& option, std::ostream& err);
// A project file's answers over the configuration found for option, validated: the
// configuration's bytes, or none when the file or its values are refused (said on err or the
// sink).
std::optional<ConfigurationBytes> loadProjectFile(const std::string& path,
                                                  const std::string& option, ProjectState& project,
                                                  MessageSink& sink, std::ostream& err);
// A note of the run as the headless generator says it, on a line of its own.
void printNote(const RunNote& note, std::ostream& err);

// "folders created: 2, files written: 5, ...": what a run did, in one line.
std::string summaryLine(const RunSummary& summary, std::size_t errors);

// The whole of vantrel-gen after its arguments: help, version, usage errors or the run.
int runVantrelGen(std::span<const std::string_view> arguments, std::ostream& out,
                  std::ostream& err);
// The same with the run into a tree in memory instead of the disk.
int runVantrelGen(std::span<const std::string_view> arguments, std::ostream& out, std::ostream& err,
                  MemoryOutput& memory);

} // namespace vantrel
