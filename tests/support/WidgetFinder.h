#pragma once

#include "ui/ControlMirror.h"

#include <QWidget>
#include <QtGlobal>

namespace vantrel {

// A dialog's control by its id, as the dialog names it. A test cannot go on without it: a
// missing one ends the test program, naming the id.
template <typename T>
T* find(QWidget* parent, int id) {
    T* widget = parent->findChild<T*>(controlName(id));
    if (!widget)
        qFatal("control %d not found", id);
    return widget;
}

} // namespace vantrel
