#pragma once

#include "engine/ErrorReporter.h"
#include "model/ProjectState.h"

#include <functional>
#include <string>
#include <string_view>

namespace vantrel {

// The generation engine of one main dialog (or one headless run): keyword values, directives,
// line expansion and the script run, all working on the project state it is given.
class Generator {
public:
    Generator(ProjectState& project, MessageSink& sink);

    // Called with the native path of every folder created and every file written or copied.
    using OutputListener = std::function<void(const std::string& nativePath)>;
    void setOutputListener(OutputListener listener);

    // Runs the generation script of the chosen host. True when the script ended normally (at
    // its end or at create_done:), false when it could not be opened or stopped on an error.
    bool runGeneration();

    ProjectState& project() { return m_project; }
    MessageSink& sink() { return m_sink; }

private:
    ProjectState& m_project;
    MessageSink& m_sink;
    OutputListener m_listener;
};

} // namespace vantrel
