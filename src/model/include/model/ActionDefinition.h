#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace vantrel {

// Bits of ActionDefinition::flags. Bits not listed are never set.
inline constexpr std::uint32_t ACF_PROC_EXECUTE = 0x00000001;
inline constexpr std::uint32_t ACF_PROC_CLOSE = 0x00000002;
inline constexpr std::uint32_t ACF_PROC_FIRSTTIME = 0x00000004;
inline constexpr std::uint32_t ACF_MENU = 0x00000010;
inline constexpr std::uint32_t ACF_TOOLBAR = 0x00000020; // tbName and tbButton share it
inline constexpr std::uint32_t ACF_TOOLTIPS = 0x00000040;
inline constexpr std::uint32_t ACF_PANEL_DIALOG = 0x00010000;
inline constexpr std::uint32_t ACF_PANEL_MODDIALOG = 0x00020000;
inline constexpr std::uint32_t ACF_PANEL_WINDOW = 0x00040000;
inline constexpr std::uint32_t ACF_CREATE_THREAD = 0x00080000;
inline constexpr std::uint32_t ACF_TOPMOST = 0x00100000;
inline constexpr std::uint32_t ACF_CB_STATUS = 0x00200000;
inline constexpr std::uint32_t ACF_CB_KEYBRD = 0x00400000;
inline constexpr std::uint32_t ACF_CB_MS_LBDOWN = 0x00800000;
inline constexpr std::uint32_t ACF_CB_MS_LBUP = 0x01000000;
inline constexpr std::uint32_t ACF_CB_MS_RBDOWN = 0x02000000;
inline constexpr std::uint32_t ACF_CB_MS_RBUP = 0x04000000;
inline constexpr std::uint32_t ACF_CB_MS_MOVE = 0x08000000;

inline constexpr std::uint32_t ACF_PANEL_MASK = 0x00070000; // none set: panel kind "None"
inline constexpr std::uint32_t ACF_PANEL_MODELESS = ACF_PANEL_DIALOG | ACF_PANEL_WINDOW;
inline constexpr std::uint32_t ACF_CB_MASK = 0x0FE00000; // the seven callback bits

inline constexpr std::uint32_t ACF_DEFAULT_FLAGS =
    ACF_PROC_EXECUTE | ACF_MENU | ACF_PANEL_MODDIALOG | ACF_CB_STATUS; // 0x00220011
inline constexpr std::uint32_t PROC_TYPE_COMMONTOOL = 5;

// Asks the user an OK/Cancel question; true when OK was chosen. The GUI shows a message
// box, the headless generator and tests answer it themselves.
using AskOkCancel = std::function<bool(const std::string& question)>;

// One action of the plug-in, a plain value record. The three edit marks record what the user
// clicked in the properties pages; they are not part of the value (copyActionValue skips them).
struct ActionDefinition {
    std::uint32_t type = 0;
    std::uint32_t flags = 0;
    std::int32_t defEdited = 0;
    std::int32_t panelEdited = 0;
    std::int32_t msgEdited = 0;
    std::int32_t indivInterface = 0;
    std::int32_t staticMemBuf = 0;
    // Tells the action apart from the others of its project through renames; 0: none given yet.
    std::uint32_t id = 0;
    std::string name;
    std::string menu;
    std::string tbName;
    std::string tooltips;
    std::string tbButton;
    std::string procExecute;
    std::string procClose;
    std::string procFirstTime;
    std::string panelClass;
    std::string cbStatus;
    std::string cbKeybrd;
    std::string cbMsLbDown;
    std::string cbMsLbUp;
    std::string cbMsRbDown;
    std::string cbMsRbUp;
    std::string cbMsMove;

    void resetAction();
    void setActionDefaults(std::string_view actionName);
    // Of those defaults, only the ones the name gives (the name, menu and the procedure, panel
    // and callback names made from it); the others stay as they are.
    void setNamedDefaults(std::string_view actionName);
    void copyActionValue(const ActionDefinition& source);
    // Reconciles the close procedure and the callbacks with the panel kind; may ask the user.
    void checkCloseProc(bool askClose, bool applyCallbackDefaults, const AskOkCancel& ask);

    bool operator==(const ActionDefinition&) const = default;
};

// A field whose default its action's name gives: the name between two fixed texts, in lower
// case for the procedure and callback names.
struct NamedDefault {
    std::string ActionDefinition::*field;
    std::string_view before;
    bool lower;
    std::string_view after;

    // Whether value is this default for the name, told without making it: a large project's
    // file asks it of every action.
    bool heldBy(std::string_view value, std::string_view actionName) const;
};

inline constexpr NamedDefault NAMED_DEFAULTS[] = {
    {&ActionDefinition::menu, "Tools\\", false, ""},
    {&ActionDefinition::procExecute, "", true, "_Execute"},
    {&ActionDefinition::panelClass, "C", false, "MainWnd"},
    {&ActionDefinition::cbStatus, "cb_", true, "StatusMsgProc"},
};

// ASCII A-Z to a-z; every other byte is kept.
std::string lowerAscii(std::string_view text);
std::string upperAscii(std::string_view text);

// Fills the one "%s" of a default-name format with text.
std::string formatName(std::string_view format, std::string_view text);

void setClearBits(std::uint32_t& word, std::uint32_t setBits, std::uint32_t clearBits);

// The rule by which a check box of the property pages becomes data: the bit follows the box,
// and ticking a box whose name is empty fills in the default name. Unticking never erases.
void applyCheck(bool checked, std::uint32_t bit, std::uint32_t& flags, std::string& nameString,
                std::string_view format, std::string_view actionName);

} // namespace vantrel
