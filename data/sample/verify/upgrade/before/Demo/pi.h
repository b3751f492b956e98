// pi.h: declarations of the plug-in interface that the Kel and Dov hosts share.
// A plug-in describes its actions in one table; the host reads it after loading the library.
#ifndef PI_H_INCLUDED
#define PI_H_INCLUDED

#include <cstddef>
#include <cstdint>

// Version of this interface; a host refuses a plug-in built for a newer one.
#define PI_INTERFACE_VERSION 0x0104u

// Procedure types: how the host offers an action.
#define PIPD_LOADPROC 3   // reads a file into the host
#define PIPD_SAVEPROC 4   // writes the host's data to a file
#define PIPD_COMMONTOOL 5 // a command of the tools menu

// DLL flags: when the host loads the library and whether it keeps it loaded.
#define PIDLLFL_RESIDENT 0x0001u
#define PIDLLFL_AUTO 0x0002u

// Action flags.
#define PIFL_INDIVIDUALINTERFACE 0x0001u // the action gets an interface object of its own

// Panel kinds for OpenPanel; PIPANEL_TOPMOST may be added to a modeless kind.
#define PIPANEL_DIALOG 1
#define PIPANEL_MODDIALOG 2
#define PIPANEL_WINDOW 3
#define PIPANEL_TOPMOST 0x0100

// Results of procedures and host services.
#define PIRES_OK 0
#define PIRES_CANCEL 1
#define PIRES_FAILED (-1)

// Messages sent to a panel or to an action's message procedures.
#define PIMSG_STATUS 1
#define PIMSG_KEY 2
#define PIMSG_MS_LBDOWN 3
#define PIMSG_MS_LBUP 4
#define PIMSG_MS_RBDOWN 5
#define PIMSG_MS_RBUP 6
#define PIMSG_MS_MOVE 7

#define PIKEY_ESCAPE 27

struct PIMessage {
    int id;
    int key; // PIMSG_KEY: the key code
    int x;   // mouse messages: the position in panel pixels
    int y;
    std::uint32_t modifiers; // shift, control and alt state
    const char* text;        // PIMSG_STATUS: the host's status text, or NULL
};

// Base of every panel; the host calls these while the panel is open.
class PIPanel {
public:
    virtual ~PIPanel() {}
    virtual const char* ClassName() const = 0;
    virtual int OnCreate() { return PIRES_OK; }
    // Non-zero when the message was handled.
    virtual int OnMessage(const PIMessage* message) {
        (void)message;
        return 0;
    }
    virtual void OnClose() {}
};

typedef int (*PIProc)(void);
typedef int (*PIMsgProc)(PIPanel* panel, const PIMessage* message);

// The message procedures the host calls for an action and its modeless panel.
struct PICallbackSet {
    PIMsgProc status;
    PIMsgProc keyboard;
    PIMsgProc mouseLbDown;
    PIMsgProc mouseLbUp;
    PIMsgProc mouseRbDown;
    PIMsgProc mouseRbUp;
    PIMsgProc mouseMove;
};

// One action of a plug-in; unused texts and procedures are NULL.
struct PIActionDef {
    std::uint32_t flags; // PIFL_
    std::uint32_t type;  // PIPD_
    std::int32_t virtualId;
    const char* name;
    const char* menu; // menu path, levels separated by a backslash
    const char* toolbarName;
    const char* tooltips;
    const char* toolbarPicture;
    std::int32_t index;
    PIProc execute;
    PIProc close;
    PIProc firstTime;
    const PICallbackSet* callbacks;
};

struct PIPluginInfo {
    std::uint32_t interfaceVersion;
    std::uint32_t dllFlags; // host flag | PIDLLFL_
    const char* name;
    std::int32_t actionCount;
    const PIActionDef* actions;
};

#endif
