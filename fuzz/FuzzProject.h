#pragma once

#include "model/ActionDefinition.h"
#include "model/ProjectState.h"
#include "report/ErrorReporter.h"

#include <cstddef>
#include <string>

namespace vantrel::fuzz {

// Counts what would have been shown; the targets need the run, not the messages.
class CountingSink : public MessageSink {
public:
    void showMessage(ErrorKind, const std::string& message) override {
        ++count;
        length += message.size();
    }
    std::size_t count = 0;
    std::size_t length = 0;
};

// A small Kel project that reaches most keywords: three actions of different kinds (one with
// a name that climbs out of the location), extra settings, one of which holds placeholders.
// None holds its own placeholder: every line naming such a value runs to the expansion's
// bounds, milliseconds each, which would take most of the fuzzer's time; the scale tests and
// the runs of tests/data/runs hold those bounds.
inline ProjectState makeFuzzProject() {
    ProjectState project;
    project.projectName = "Demo";
    project.projectLocation = "out";
    project.kelHost = 1;
    project.dllFlags = PIDLLFL_AUTO;

    ActionDefinition line;
    line.setActionDefaults("Line");
    line.flags |= ACF_TOOLBAR | ACF_TOOLTIPS | ACF_PROC_CLOSE | ACF_CB_MS_LBDOWN;
    line.menu = "Draw\\Line";
    line.tbName = "Line";
    line.tooltips = "Draws a line";
    line.tbButton = "line.bmp";
    line.procClose = "line_Close";
    line.cbMsLbDown = "line_LbDown";
    project.appendAction(line);

    ActionDefinition arc;
    arc.name = "Arc";
    arc.type = 1;
    arc.flags = ACF_PANEL_WINDOW | ACF_TOPMOST | ACF_CREATE_THREAD;
    arc.indivInterface = 1;
    arc.staticMemBuf = 1;
    arc.panelClass = "CArcPanel";
    project.appendAction(arc);

    ActionDefinition up;
    up.setActionDefaults("..\\..\\up%PROJECTNAME%");
    project.appendAction(up);

    project.extraSettings.push_back({"COMPANY", "Example Works", "(C) Example Works"});
    project.extraSettings.push_back({"NESTED", "%PROJECTNAME%\\%ACTIONNAME%", "n.h"});
    project.selectAction(0);
    return project;
}

} // namespace vantrel::fuzz
