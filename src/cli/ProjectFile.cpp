#include "cli/ProjectFile.h"

#include "cli/LibraryProjectReader.h"

#include <cstdio>
#include <memory>

namespace vantrel {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

bool ProjectFile::load(ProjectState& project) {
    m_error.clear();
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(m_path.c_str(), "rb"));
    // Parsed straight from the file: a large project is never held as text next to its actions.
    const std::string problem =
        !file ? std::string("cannot be read") : readProjectWithLibrary(file.get(), project);
    if (!problem.empty())
        m_error = m_path + ": " + problem;
    return problem.empty();
}

bool ProjectFile::apply(std::string_view jsonText, ProjectState& project) {
    m_error.clear();
    const std::string problem = applyProjectWithLibrary(jsonText, project);
    if (!problem.empty())
        m_error = m_path + ": " + problem;
    return problem.empty();
}

} // namespace vantrel
