#pragma once

namespace vantrel {

// Control ids of the wizard's dialogs. Widgets carry them as object names ("id1000") so that
// tests and the mirrors find controls the way the handlers address them.
inline constexpr int CTL_OK = 1;
inline constexpr int CTL_CANCEL = 2;

// Main dialog.
inline constexpr int IDC_PROJECT_NAME = 1000;
inline constexpr int IDC_LOCATION = 1001;
inline constexpr int IDC_BROWSE = 1002;
inline constexpr int IDC_ACTION_LIST = 1003;
inline constexpr int IDC_ADD_ACTION = 1004;
inline constexpr int IDC_REMOVE_ACTION = 1005;
inline constexpr int IDC_PROPERTIES = 1006;
inline constexpr int IDC_HOST_KEL = 1007;
inline constexpr int IDC_HOST_DOV = 1008;
inline constexpr int IDC_DLL_FLAGS = 1009;
inline constexpr int IDM_ABOUTBOX = 16; // the about entry's command
// The warnings about the name being typed, in the main and the properties dialog.
inline constexpr int IDC_NAME_WARNINGS = 1010;
// The "Project" menu button beside Create: open, save and the recent project files.
inline constexpr int IDC_PROJECT_MENU = 1011;

// Action properties dialog.
inline constexpr int IDC_ACTION_NAME = 1005;
inline constexpr int IDC_PAGE_TABS = 1006;

// Definition page.
inline constexpr int IDC_EXECUTE_EDIT = 1011;
inline constexpr int IDC_EXECUTE_CHECK = 1012;
inline constexpr int IDC_CLOSE_EDIT = 1013;
inline constexpr int IDC_CLOSE_CHECK = 1014;
inline constexpr int IDC_FIRSTTIME_EDIT = 1015;
inline constexpr int IDC_FIRSTTIME_CHECK = 1016;
inline constexpr int IDC_TBNAME_EDIT = 1017;
inline constexpr int IDC_TBNAME_CHECK = 1018;
inline constexpr int IDC_TOOLTIPS_EDIT = 1019;
inline constexpr int IDC_TOOLTIPS_CHECK = 1020;
inline constexpr int IDC_TBBUTTON_EDIT = 1021;
inline constexpr int IDC_TBBUTTON_CHECK = 1022;
inline constexpr int IDC_TYPE_COMBO = 1023;
inline constexpr int IDC_VIRTUAL_ID_COMBO = 1024;
inline constexpr int IDC_MENU_EDIT = 1025;
inline constexpr int IDC_MENU_CHECK = 1026;
inline constexpr int IDC_INDIV_INTERFACE = 1035;
inline constexpr int IDC_STATIC_MEMBUF = 1036;

// Panel page.
inline constexpr int IDC_PANEL_DIALOG = 1024;
inline constexpr int IDC_PANEL_NONE = 1025;
inline constexpr int IDC_PANEL_MODDIALOG = 1026;
inline constexpr int IDC_PANEL_WINDOW = 1027;
inline constexpr int IDC_PANEL_CLASS = 1028;
inline constexpr int IDC_CREATE_THREAD = 1033;
inline constexpr int IDC_FOREGROUND = 1034;

// Messages page.
inline constexpr int IDC_CB_STATUS_CHECK = 1014;
inline constexpr int IDC_CB_STATUS_EDIT = 1029;
inline constexpr int IDC_CB_MS_LBDOWN_CHECK = 1015;
inline constexpr int IDC_CB_MS_LBDOWN_EDIT = 1031;
inline constexpr int IDC_CB_KEYBRD_CHECK = 1016;
inline constexpr int IDC_CB_KEYBRD_EDIT = 1035;
inline constexpr int IDC_CB_MS_LBUP_CHECK = 1017;
inline constexpr int IDC_CB_MS_LBUP_EDIT = 1032;
inline constexpr int IDC_CB_MS_RBDOWN_CHECK = 1018;
inline constexpr int IDC_CB_MS_RBDOWN_EDIT = 1033;
inline constexpr int IDC_CB_MS_RBUP_CHECK = 1019;
inline constexpr int IDC_CB_MS_RBUP_EDIT = 1034;
inline constexpr int IDC_CB_MS_MOVE_CHECK = 1020;
inline constexpr int IDC_CB_MS_MOVE_EDIT = 1036;

// Dialog results of the properties dialog besides CTL_OK and CTL_CANCEL.
inline constexpr int RESULT_EMPTY_NAME = 0;
// OK refused because the "Typ:" text names no type; the dialog stays open.
inline constexpr int RESULT_UNKNOWN_TYPE = 3;

} // namespace vantrel
