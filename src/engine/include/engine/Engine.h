#pragma once

#include "engine/DirectiveProcessor.h"
#include "engine/KeywordValues.h"
#include "engine/LineExpander.h"
#include "engine/ScriptInterpreter.h"
#include "fileutil/DiskOutput.h"
#include "model/ProjectState.h"
#include "report/ErrorReporter.h"

namespace vantrel {

// The generation engine of one main dialog (or one headless run), working on the project state
// it is given: keyword values, line expansion, directives and the script run, each a part of
// its own. It writes to the disk unless given another output.
class Engine {
public:
    Engine(ProjectState& project, MessageSink& sink);
    Engine(ProjectState& project, MessageSink& sink, ProjectOutput& output);
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    using OutputListener = ScriptInterpreter::OutputListener;
    void setOutputListener(OutputListener listener) {
        m_script.setOutputListener(std::move(listener));
    }
    void setWarningListener(ScriptInterpreter::WarningListener listener) {
        m_script.setWarningListener(std::move(listener));
    }

    // Runs the generation script of the chosen host. True when the script ended normally (at
    // its end or at create_done:), false when it could not be opened or stopped on an error.
    bool runScript();

    // The parts, for callers that work with one of them.
    const KeywordValues& values() const { return m_values; }
    const LineExpander& expander() const { return m_expander; }
    DirectiveProcessor& directives() { return m_directives; }
    ScriptInterpreter& script() { return m_script; }
    ProjectState& project() { return m_project; }

private:
    ProjectState& m_project;
    KeywordValues m_values;
    LineExpander m_expander;
    DirectiveProcessor m_directives;
    DiskOutput m_disk;
    ScriptInterpreter m_script;
};

} // namespace vantrel
