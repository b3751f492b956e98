#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

// Keyword ids. The table below is ordered for matching, which is not quite the id order.
using KeywordId = std::int32_t;

inline constexpr KeywordId KW_ZERO = 0;
inline constexpr KeywordId KW_VANTRELVERSION = 1;
inline constexpr KeywordId KW_ALL_ACTIONS = 2;
inline constexpr KeywordId KW_APPINTERFACEPTR = 3;
inline constexpr KeywordId KW_GLOBALAPPINTERFACEPTR = 4;
inline constexpr KeywordId KW_APPINTERFACECLASSNAME = 5;
inline constexpr KeywordId KW_WORKDIR = 6;
inline constexpr KeywordId KW_DOVINTERFACE = 7;
inline constexpr KeywordId KW_PIINC = 8;
inline constexpr KeywordId KW_THREADINC = 9;
inline constexpr KeywordId KW_DOVPIINC = 10;
inline constexpr KeywordId KW_DOVPILIB_R = 11;
inline constexpr KeywordId KW_DOVPILIB_D = 12;
inline constexpr KeywordId KW_VECTORINC = 13;
inline constexpr KeywordId KW_VIEWINC = 14;
inline constexpr KeywordId KW_KELINTERFACE = 15;
inline constexpr KeywordId KW_KELPIINC = 16;
inline constexpr KeywordId KW_KELPILIB_R = 17;
inline constexpr KeywordId KW_KELPILIB_D = 18;
inline constexpr KeywordId KW_MATRIXINC = 19;
inline constexpr KeywordId KW_DOVEXPORT = 20;
inline constexpr KeywordId KW_KELEXPORT = 21;
inline constexpr KeywordId KW_APPPI_H = 22;
inline constexpr KeywordId KW_PROJECTNAME = 23;
inline constexpr KeywordId KW_DLLFLAGS = 24;
inline constexpr KeywordId KW_ACTIONNAME = 25;
inline constexpr KeywordId KW_ACDF_FLAGS = 26;
inline constexpr KeywordId KW_ACDF_TYP = 27;
inline constexpr KeywordId KW_ACDF_VIRTUALID = 28;
inline constexpr KeywordId KW_ACDF_NAME = 29;
inline constexpr KeywordId KW_ACDF_MENU = 30;
inline constexpr KeywordId KW_ACDF_TB_NAME = 31;
inline constexpr KeywordId KW_ACDF_TOOLTIPS = 32;
inline constexpr KeywordId KW_ACDF_TB_PIC = 33;
inline constexpr KeywordId KW_ACDF_IDX = 34;
inline constexpr KeywordId KW_ACDF_IDXDEF = 35;
inline constexpr KeywordId KW_ACDF_PROC_EXECUTE = 36;
inline constexpr KeywordId KW_ACDF_PROC_CLOSE = 37;
inline constexpr KeywordId KW_ACDF_PROC_FIRSTTIME = 38;
inline constexpr KeywordId KW_ACDF_SET_CBPROCS = 39;
inline constexpr KeywordId KW_ACDF_CBPROC_STATUS = 40;
inline constexpr KeywordId KW_ACDF_CBPROC_KEYBRD = 41;
inline constexpr KeywordId KW_ACDF_CBPROC_MS_LBDOWN = 42;
inline constexpr KeywordId KW_ACDF_CBPROC_MS_LBUP = 43;
inline constexpr KeywordId KW_ACDF_CBPROC_MS_RBDOWN = 44;
inline constexpr KeywordId KW_ACDF_CBPROC_MS_RBUP = 45;
inline constexpr KeywordId KW_ACDF_CBPROC_MS_MOVE = 46;
inline constexpr KeywordId KW_ACDF_CBPROC_MOUSE = 47;
inline constexpr KeywordId KW_CREATE_PANEL = 48;
inline constexpr KeywordId KW_PANELCLASSNAME = 49;
inline constexpr KeywordId KW_CREATE_DIALOG = 50;
inline constexpr KeywordId KW_CREATE_MODDIALOG = 51;
inline constexpr KeywordId KW_CREATE_WINDOW = 52;
inline constexpr KeywordId KW_CREATE_THREAD = 53;
inline constexpr KeywordId KW_USING_INDIV_INT_OBJ = 54;
inline constexpr KeywordId KW_USING_STATIC_MEMORY_BUF = 55;
inline constexpr KeywordId KW_TOPMOSTWINDOW = 56;
inline constexpr KeywordId KW_KEL = 57;
inline constexpr KeywordId KW_DOV = 58;
inline constexpr KeywordId KW_NONE = 59; // no keyword

struct KeywordEntry {
    std::string_view name;
    KeywordId id;
};

inline constexpr std::size_t KEYWORD_COUNT = 59;

// The keywords in matching order: the first entry that fits a text wins.
extern const std::array<KeywordEntry, KEYWORD_COUNT> keywordTable;

// The id of the first entry that the text matches, or KW_NONE. A text matches an entry when it
// equals the name ignoring case, or begins (ignoring case) with the name less its first and
// last character, so keywords may be written without their '%' delimiters. When entryName is
// given it receives the matched entry's name as the table holds it, or is cleared.
KeywordId lookupKeyword(std::string_view text, std::string* entryName = nullptr);

} // namespace vantrel
