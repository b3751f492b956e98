// dov_i.h: the services of the Dov host. The host hands a plug-in one object at load time,
// and one of its own to every action whose flags ask for it.
#ifndef DOV_I_H_INCLUDED
#define DOV_I_H_INCLUDED

#include "pi.h"
#include "viewinfo.h"

class CDovInterface {
public:
    virtual ~CDovInterface() {}

    virtual std::uint32_t Version() const = 0;
    // Opens a modeless panel of the action; its messages go to the action's message procedures.
    virtual int OpenPanel(int actionIndex, PIPanel* panel, int kind) = 0;
    // Shows a modal dialog and returns when it closes: PIRES_OK or PIRES_CANCEL.
    virtual int RunModalPanel(int actionIndex, PIPanel* panel) = 0;
    virtual void ClosePanel(PIPanel* panel) = 0;
    virtual void SetStatusText(const char* text) = 0;
    virtual int GetViewInfo(PIViewInfo* info) const = 0;
    // Memory the host may use for the action's intermediate results; it stays the plug-in's.
    virtual void SetWorkBuffer(int actionIndex, void* buffer, std::size_t size) = 0;
    // Rebuilds the scene after a plug-in changed its objects.
    virtual void RefreshScene() = 0;
    // The number of objects currently selected in the scene.
    virtual int SelectionCount() const = 0;
};

#endif
