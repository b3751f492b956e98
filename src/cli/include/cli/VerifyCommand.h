#pragma once

#include "cli/CommandLine.h"
#include "cli/TimedCommand.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <string_view>

namespace vantrel {

// The parts of a case folder, as the documentation names them.
inline constexpr std::string_view CASE_PROJECT_FILE = "project.json";
inline constexpr std::string_view CASE_EXPECTED_TREE = "expected";
inline constexpr std::string_view CASE_EXISTING_TREE = "before";
inline constexpr std::string_view CASE_MESSAGES = "messages";
inline constexpr std::string_view CASE_STATUS = "status";

// vantrel-gen --verify CASES_FOLDER: runs every case of a template set in memory and compares
// what it makes with what the case expects; --accept writes the results as the expectations,
// --build also builds each case's tree. Returns 0 when every case passed, 1 when one failed,
// 2 when the folder cannot be read.
int runVerify(const CommandLine& command, std::ostream& out, std::ostream& err);

// A tree of files by path below its root, "/" between names; folders only through their files.
using FileTree = std::map<std::string, std::string>;

// The files below root, links refused: false, with why naming the first, when one is met.
// Folders named skipped (the record's own) are left out.
bool readFileTree(const std::filesystem::path& root, FileTree& tree, std::string& why,
                  const std::string& skipped = {});

// The first place where the expected and actual trees differ, as "PATH:LINE: ..." with the
// path below the expected tree's root, followed by a unified diff; empty when they are equal.
std::string firstDifference(const FileTree& expected, const FileTree& actual,
                            const std::string& expectedRoot);

} // namespace vantrel
