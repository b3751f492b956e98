#include "cli/ProjectFile.h"

#include "cli/LibraryProjectReader.h"
#include "cli/PlainProjectReader.h"

#include "fileutil/FileHandle.h"

#include <cstdio>

namespace vantrel {
namespace {

// The plain reader goes first where the file can be read again from its start; true when it
// applied the file. Otherwise the file is back at its start for the library's reader, or the
// problem says why it cannot be.
bool appliedPlainly(std::FILE* file, ProjectState& project, std::string& problem) {
    if (std::fseek(file, 0, SEEK_CUR) != 0) {
        std::clearerr(file); // a pipe: the library's reader alone reads it, once
        return false;
    }
    if (PlainProjectReader(file).read(project) == PlainProjectReader::Result::Applied)
        return true;
    std::clearerr(file);
    if (std::fseek(file, 0, SEEK_SET) != 0)
        problem = "cannot be read";
    return false;
}

} // namespace

bool ProjectFile::load(ProjectState& project) {
    m_error.clear();
    FileHandle file = openFile(m_path, "rb");
    // Parsed straight from the file: a large project is never held as text next to its actions.
    std::string problem;
    if (!file)
        problem = "cannot be read";
    else if (!appliedPlainly(file.get(), project, problem) && problem.empty())
        problem = readProjectWithLibrary(file.get(), project);
    if (!problem.empty())
        m_error = m_path + ": " + problem;
    return problem.empty();
}

bool ProjectFile::apply(std::string_view jsonText, ProjectState& project) {
    m_error.clear();
    if (PlainProjectReader(jsonText).read(project) == PlainProjectReader::Result::Applied)
        return true;
    const std::string problem = applyProjectWithLibrary(jsonText, project);
    if (!problem.empty())
        m_error = m_path + ": " + problem;
    return problem.empty();
}

} // namespace vantrel
