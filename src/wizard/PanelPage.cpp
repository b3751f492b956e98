#include "wizard/PanelPage.h"

#include "wizard/ControlIds.h"

#include <algorithm>
#include <utility>

namespace vantrel {
namespace {

// The four exclusive panel kinds with the options each allows; every kind but none has a class.
struct PanelKind {
    int radio;
    std::uint32_t bit; // 0: no panel
    bool thread;
    bool foreground;
};

constexpr PanelKind kinds[] = {
    {IDC_PANEL_NONE, 0, false, false},
    {IDC_PANEL_DIALOG, ACF_PANEL_DIALOG, true, true},
    {IDC_PANEL_MODDIALOG, ACF_PANEL_MODDIALOG, false, false},
    {IDC_PANEL_WINDOW, ACF_PANEL_WINDOW, true, false},
};

// The mask is the three kind bits, so one row always matches.
const PanelKind& kindOf(std::uint32_t flags) {
    return *std::find_if(std::begin(kinds), std::end(kinds), [flags](const PanelKind& kind) {
        return kind.bit == 0 ? (flags & ACF_PANEL_MASK) == 0 : (flags & kind.bit) != 0;
    });
}

} // namespace

PanelPage::PanelPage() {
    for (const PanelKind& kind : kinds)
        addControl(kind.radio);
    addEdit(IDC_PANEL_CLASS);
    addControl(IDC_CREATE_THREAD);
    addControl(IDC_FOREGROUND);
}

void PanelPage::loadFromAction(ActionDefinition& action) {
    m_action = &action;
    bufferRef(IDC_PANEL_CLASS) = action.panelClass;
    const PanelKind& shown = kindOf(action.flags);
    for (const PanelKind& kind : kinds)
        control(kind.radio).checked = &kind == &shown;
    control(IDC_PANEL_CLASS).enabled = shown.bit != 0;
    control(IDC_CREATE_THREAD).enabled = shown.thread;
    control(IDC_FOREGROUND).enabled = shown.foreground;
    control(IDC_CREATE_THREAD).checked = (action.flags & ACF_CREATE_THREAD) != 0;
    control(IDC_FOREGROUND).checked = (action.flags & ACF_TOPMOST) != 0;
    push();
}

void PanelPage::nameChanged(std::string_view oldName, std::string_view newName) {
    followRename(IDC_PANEL_CLASS, "C%sMainWnd", false, oldName, newName);
}

void PanelPage::click(int id, bool checked) {
    const auto clicked = std::find_if(std::begin(kinds), std::end(kinds),
                                      [id](const PanelKind& kind) { return kind.radio == id; });
    if (clicked != std::end(kinds)) {
        // The four buttons form one group: the clicked one is ticked, the others cleared.
        for (const PanelKind& kind : kinds)
            control(kind.radio).checked = kind.radio == id;
        control(IDC_PANEL_CLASS).enabled = clicked->bit != 0;
        // An option the kind does not allow is cleared as well as disabled.
        for (const auto& [option, allowed] : {std::pair{IDC_CREATE_THREAD, clicked->thread},
                                              std::pair{IDC_FOREGROUND, clicked->foreground}}) {
            control(option).enabled = allowed;
            control(option).checked = control(option).checked && allowed;
        }
    } else if (id == IDC_CREATE_THREAD || id == IDC_FOREGROUND) {
        control(id).checked = checked;
    } else {
        return;
    }
    if (m_action)
        m_action->panelEdited = 1;
}

void PanelPage::storeToAction(const AskOkCancel& ask) {
    if (!m_action)
        return;
    pull();
    ActionDefinition& action = *m_action;
    action.panelClass = buffer(IDC_PANEL_CLASS);
    const auto checked =
        std::find_if(std::begin(kinds), std::end(kinds),
                     [this](const PanelKind& kind) { return control(kind.radio).checked; });
    if (checked != std::end(kinds)) {
        // No panel clears the whole mask; the options go only with the kinds that allow them.
        const auto setIf = [&action](std::uint32_t bit, bool on) {
            setClearBits(action.flags, on ? bit : 0, on ? 0 : bit);
        };
        setClearBits(action.flags, checked->bit, ACF_PANEL_MASK & ~checked->bit);
        setIf(ACF_CREATE_THREAD, checked->thread && control(IDC_CREATE_THREAD).checked);
        setIf(ACF_TOPMOST, checked->foreground && control(IDC_FOREGROUND).checked);
    }
    action.checkCloseProc(true, false, ask);
}

} // namespace vantrel
