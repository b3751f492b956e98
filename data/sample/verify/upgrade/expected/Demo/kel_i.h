// kel_i.h: the services of the Kel host. The host hands a plug-in one object at load time,
// and one of its own to every action whose flags ask for it.
#ifndef KEL_I_H_INCLUDED
#define KEL_I_H_INCLUDED

#include "pi.h"
#include "viewinfo.h"

class CKelInterface {
public:
    virtual ~CKelInterface() {}

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
    // Draws the drawing again after a plug-in changed it.
    virtual void RedrawDrawing() = 0;
};

#endif
