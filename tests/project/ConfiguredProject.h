#pragma once

#include "model/ProjectState.h"

namespace vantrel {

// A project as the configuration reader and the dialog's initialisation leave it, before the
// project file is read.
inline ProjectState configuredProject() {
    ProjectState project;
    project.nameText = "FromConfig";
    project.locationBase = "C:\\work";
    project.locationText = "C:\\work";
    project.setDefaultDllFlags();
    return project;
}

} // namespace vantrel
