#include "wizard/PanelPageModel.h"

#include "wizard/ControlIds.h"

namespace vantrel {
namespace {

constexpr int radioIds[] = {IDC_PANEL_DIALOG, IDC_PANEL_NONE, IDC_PANEL_MODDIALOG,
                            IDC_PANEL_WINDOW};

} // namespace

PanelPageModel::PanelPageModel() {
    for (int id : radioIds)
        addControl(id);
    addEdit(IDC_PANEL_CLASS);
    addControl(IDC_CREATE_THREAD);
    addControl(IDC_FOREGROUND);
}

void PanelPageModel::loadFromAction(ActionDefinition& action) {
    m_action = &action;
    control(IDC_PANEL_CLASS).enabled = true;
    for (int id : radioIds)
        control(id).checked = false;
    control(IDC_PANEL_MODDIALOG).enabled = true;
    control(IDC_PANEL_NONE).enabled = true;
    control(IDC_CREATE_THREAD).enabled = true;
    control(IDC_FOREGROUND).enabled = true;

    bufferRef(IDC_PANEL_CLASS) = action.panelClass;

    const std::uint32_t flags = action.flags;
    if ((flags & ACF_PANEL_MASK) == 0) {
        control(IDC_PANEL_NONE).checked = true;
        control(IDC_PANEL_CLASS).enabled = false;
        control(IDC_CREATE_THREAD).enabled = false;
        control(IDC_FOREGROUND).enabled = false;
    } else if (flags & ACF_PANEL_DIALOG) {
        control(IDC_PANEL_DIALOG).checked = true;
    } else if (flags & ACF_PANEL_MODDIALOG) {
        control(IDC_PANEL_MODDIALOG).checked = true;
        control(IDC_CREATE_THREAD).enabled = false;
        control(IDC_FOREGROUND).enabled = false;
    } else if (flags & ACF_PANEL_WINDOW) {
        control(IDC_PANEL_WINDOW).checked = true;
        control(IDC_FOREGROUND).enabled = false;
    }
    control(IDC_CREATE_THREAD).checked = (flags & ACF_CREATE_THREAD) != 0;
    control(IDC_FOREGROUND).checked = (flags & ACF_TOPMOST) != 0;
    push();
}

void PanelPageModel::nameChanged(std::string_view oldName, std::string_view newName) {
    followRename(IDC_PANEL_CLASS, "C%sMainWnd", false, oldName, newName);
}

void PanelPageModel::click(int id, bool checked) {
    ControlState& thread = control(IDC_CREATE_THREAD);
    ControlState& foreground = control(IDC_FOREGROUND);
    const auto untickDisable = [](ControlState& box) {
        box.checked = false;
        box.enabled = false;
    };

    bool isRadio = false;
    for (int radio : radioIds)
        isRadio = isRadio || radio == id;
    if (isRadio) {
        // The four buttons form one group: the clicked one is ticked, the others cleared.
        for (int radio : radioIds)
            control(radio).checked = radio == id;
    } else if (id == IDC_CREATE_THREAD || id == IDC_FOREGROUND) {
        control(id).checked = checked;
    } else {
        return;
    }

    switch (id) {
    case IDC_PANEL_NONE:
        control(IDC_PANEL_CLASS).enabled = false;
        untickDisable(thread);
        untickDisable(foreground);
        break;
    case IDC_PANEL_DIALOG:
        control(IDC_PANEL_CLASS).enabled = true;
        thread.enabled = true;
        foreground.enabled = true;
        break;
    case IDC_PANEL_MODDIALOG:
        control(IDC_PANEL_CLASS).enabled = true;
        untickDisable(thread);
        untickDisable(foreground);
        break;
    case IDC_PANEL_WINDOW:
        control(IDC_PANEL_CLASS).enabled = true;
        thread.enabled = true;
        untickDisable(foreground);
        break;
    default:
        break;
    }
    if (m_action)
        m_action->panelEdited = 1;
}

void PanelPageModel::storeToAction(const AskOkCancel& ask) {
    if (!m_action)
        return;
    pull();
    ActionDefinition& action = *m_action;
    action.panelClass = buffer(IDC_PANEL_CLASS);

    const bool thread = control(IDC_CREATE_THREAD).checked;
    const bool foreground = control(IDC_FOREGROUND).checked;
    const auto setKind = [&action](std::uint32_t kind) {
        setClearBits(action.flags, kind, ACF_PANEL_MASK & ~kind);
    };
    const auto setIf = [&action](std::uint32_t bit, bool on) {
        setClearBits(action.flags, on ? bit : 0, on ? 0 : bit);
    };
    if (control(IDC_PANEL_NONE).checked) {
        setClearBits(action.flags, 0, ACF_PANEL_MASK | ACF_CREATE_THREAD | ACF_TOPMOST);
    } else if (control(IDC_PANEL_DIALOG).checked) {
        setKind(ACF_PANEL_DIALOG);
        setIf(ACF_CREATE_THREAD, thread);
        setIf(ACF_TOPMOST, foreground);
    } else if (control(IDC_PANEL_MODDIALOG).checked) {
        setKind(ACF_PANEL_MODDIALOG);
        setClearBits(action.flags, 0, ACF_CREATE_THREAD | ACF_TOPMOST);
    } else if (control(IDC_PANEL_WINDOW).checked) {
        setKind(ACF_PANEL_WINDOW);
        setIf(ACF_CREATE_THREAD, thread);
        setClearBits(action.flags, 0, ACF_TOPMOST);
    }
    action.checkCloseProc(true, false, ask);
}

} // namespace vantrel
