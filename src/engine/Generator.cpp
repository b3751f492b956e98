#include "engine/Generator.h"

#include "fileutil/FileSystem.h"

namespace vantrel {

Generator::Generator(ProjectState& project, MessageSink& sink)
    : Generator(project, sink, m_disk) {}

Generator::Generator(ProjectState& project, MessageSink& sink, ProjectOutput& output)
    : m_project(project)
    , m_values(project)
    , m_expander(m_values)
    , m_directives(project, m_values, sink)
    , m_script(project, sink, m_directives, m_expander, output) {}

void Generator::setOutputListener(OutputListener listener) {
    m_script.setOutputListener(std::move(listener));
}

bool Generator::runGeneration() {
    m_project.selectAction(0);
    m_directives.state().reset();
    const std::string& script = m_project.dovHost ? m_project.dovtemplate : m_project.keltemplate;
    return m_script.run(nativePath(script));
}

} // namespace vantrel
