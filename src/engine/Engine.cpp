#include "engine/Engine.h"

#include "fileutil/FileSystem.h"

namespace vantrel {

Engine::Engine(ProjectState& project, MessageSink& sink)
    : Engine(project, sink, m_disk) {}

Engine::Engine(ProjectState& project, MessageSink& sink, ProjectOutput& output)
    : m_project(project)
    , m_values(project)
    , m_expander(m_values)
    , m_directives(project, m_values, sink)
    , m_script(project, sink, m_directives, m_expander, output) {}

bool Engine::runScript() {
    m_project.selectAction(0);
    m_directives.state().reset();
    const std::string& script = m_project.dovHost ? m_project.dovtemplate : m_project.keltemplate;
    return m_script.run(nativePath(script));
}

} // namespace vantrel
