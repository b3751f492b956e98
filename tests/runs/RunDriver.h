#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace vantrel::runs {

namespace fs = std::filesystem;

// One entry of a tree: a folder, a file with its bytes, a link with its target, or an input
// that the run removed.
struct Entry {
    enum class Kind { Folder, File, Link, Removed };
    Kind kind = Kind::File;
    std::string content;
    bool operator==(const Entry&) const = default;
};

// Entries by path relative to the working folder ('/' separated). A folder stands in a tree
// only when nothing below it does: the others follow from the paths.
using Tree = std::map<std::string, Entry>;

// What one run of a case gave.
struct RunOutcome {
    Tree tree; // what the run made or changed in the working folder
    std::string out;
    std::string err;
    int status = -1; // the exit status, -1 when the run did not end by itself
};

// Runs a case of tests/data/runs: its inputs laid out in the fresh working folder, which is
// the run's working folder, and the case's arguments.
class RunDriver {
public:
    virtual ~RunDriver() = default;
    virtual RunOutcome run(const fs::path& caseFolder, const fs::path& workFolder) const = 0;
};

// ---- A case folder, for every driver ------------------------------------------------------
//
// "base", beside the cases, is the installation every case starts from. A case folder holds
// the entries where its inputs differ from the base, and these, which are no input of the run:
// "absent" (paths of the base the case lacks, one a line), "args" (the run's arguments, one per
// line; without it "project.json"), "disk-only" (why the case says nothing about the in-memory
// tree) and "expected" (what the run must give). An empty file ".keep" only makes its folder
// exist. Links among the inputs are laid out as links.

inline constexpr const char* BASE_FOLDER = "base";

// The folder's tree, without .keep files and, for a case folder, without what is no input.
Tree readTree(const fs::path& folder, bool caseFolder = false);

// The case's inputs: the base without what "absent" names and without every entry that one of
// the case's own entries crosses (the same path, or one below the other), with the case's
// entries laid over it.
Tree caseInputs(const fs::path& caseFolder);

// Writes the tree below the folder.
void layOut(const Tree& tree, const fs::path& folder);

std::vector<std::string> caseArguments(const fs::path& caseFolder);

// What a case's run must give, as its "expected" file says.
struct Expected {
    int status = -1;
    std::string out;
    std::string err;
    Tree tree; // what the run makes or changes
};

// Reads the case's "expected" file, taking a file written as "= PATH" from the inputs. Throws
// std::runtime_error, naming the line, when the file is malformed.
Expected readExpected(const fs::path& caseFolder, const Tree& inputs);

// The entries of after that are not in before as they are; an entry of before that is gone
// becomes a Removed one.
Tree changes(const Tree& before, const Tree& after);

} // namespace vantrel::runs
