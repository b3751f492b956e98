#pragma once

#include "model/ActionDefinition.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vantrel {

// One name of a flag-name table. A row whose value is 0 ends the table.
struct FlagNameRow {
    std::uint32_t value;
    std::uint32_t keepMask; // parsing: bits of the old word that survive before value is OR-ed in
    std::uint32_t testMask; // joining: the name is written when (word & testMask) == value
    const char* name;
    std::int32_t comboIndex; // position in the combo box last filled from the table, or -1
};

using FlagNameTable = std::span<FlagNameRow>;

// The two tables are program-wide: filling a combo box writes the rows' comboIndex.
extern FlagNameRow procTypeTable[4];
extern FlagNameRow dllFlagTable[3];

inline constexpr std::uint32_t PIDLLFL_RESIDENT = 1;
inline constexpr std::uint32_t PIDLLFL_AUTO = 2;

// The names of the matching rows in table order, joined with " | ".
std::string joinFlagNames(std::uint32_t word, FlagNameTable table);
// joinFlagNames appended to text; false when no name matched.
bool appendFlagNames(std::string& text, std::uint32_t word, FlagNameTable table);

// Only the last blank- or '|'-separated token can match (a row name compared up to the end of
// the text, ignoring ASCII case); a name that matches nothing leaves the word unchanged.
void parseFlagNames(std::string_view text, std::uint32_t& word, FlagNameTable table);

// The row whose name is the whole text, ignoring ASCII case; null when none is.
const FlagNameRow* findFlagName(std::string_view text, FlagNameTable table);

// The comboIndex of the first dllFlagTable row whose value shares a bit with word, or -1.
std::int32_t dllFlagsToIndex(std::uint32_t word);

// The word becomes the value of the dllFlagTable row at combo position k (unchanged when none
// has it); returns dllFlagsToIndex of the result.
std::int32_t setDllFlagsFromIndex(std::int32_t k, std::uint32_t& word);

// Writes 0, 1, 2, ... into the comboIndex of the rows, in table order, as a combo box filled
// from the table does.
void assignComboPositions(FlagNameTable table);

// The name of each ACF_ bit of ActionDefinition::flags, in bit order.
struct ActionFlagName {
    std::string_view name;
    std::uint32_t bit;
};

inline constexpr ActionFlagName ACTION_FLAG_NAMES[] = {
    {"ACF_PROC_EXECUTE", ACF_PROC_EXECUTE},
    {"ACF_PROC_CLOSE", ACF_PROC_CLOSE},
    {"ACF_PROC_FIRSTTIME", ACF_PROC_FIRSTTIME},
    {"ACF_MENU", ACF_MENU},
    {"ACF_TOOLBAR", ACF_TOOLBAR},
    {"ACF_TOOLTIPS", ACF_TOOLTIPS},
    {"ACF_PANEL_DIALOG", ACF_PANEL_DIALOG},
    {"ACF_PANEL_MODDIALOG", ACF_PANEL_MODDIALOG},
    {"ACF_PANEL_WINDOW", ACF_PANEL_WINDOW},
    {"ACF_CREATE_THREAD", ACF_CREATE_THREAD},
    {"ACF_TOPMOST", ACF_TOPMOST},
    {"ACF_CB_STATUS", ACF_CB_STATUS},
    {"ACF_CB_KEYBRD", ACF_CB_KEYBRD},
    {"ACF_CB_MS_LBDOWN", ACF_CB_MS_LBDOWN},
    {"ACF_CB_MS_LBUP", ACF_CB_MS_LBUP},
    {"ACF_CB_MS_RBDOWN", ACF_CB_MS_RBDOWN},
    {"ACF_CB_MS_RBUP", ACF_CB_MS_RBUP},
    {"ACF_CB_MS_MOVE", ACF_CB_MS_MOVE},
};

// Every bit that has a name; the others are never set.
inline constexpr std::uint32_t ACTION_FLAG_BITS = [] {
    std::uint32_t bits = 0;
    for (const ActionFlagName& entry : ACTION_FLAG_NAMES)
        bits |= entry.bit;
    return bits;
}();

// The bit named by the whole text, ignoring ASCII case; 0 when no name is.
std::uint32_t actionFlagOfName(std::string_view text);

} // namespace vantrel
