#pragma once

#include "model/ActionDefinition.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <stdexcept>
#include <string>

// How the project file's JSON values become project fields, shared by both of its readers so a
// value means the same whichever of them reads it.
namespace vantrel::projectvalues {

using nlohmann::json;

// A fault in the description; the message names the key ("actions[1].flags").
class ProjectError : public std::runtime_error {
public:
    ProjectError(const std::string& key, const std::string& problem)
        : std::runtime_error("\"" + key + "\": " + problem) {}
};

struct ActionFlagName {
    const char* name;
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

inline constexpr std::uint32_t ACTION_FLAG_BITS = [] {
    std::uint32_t bits = 0;
    for (const ActionFlagName& entry : ACTION_FLAG_NAMES)
        bits |= entry.bit;
    return bits;
}();

struct TextField {
    const char* key;
    std::string ActionDefinition::*field;
};

inline constexpr TextField ACTION_TEXT_FIELDS[] = {
    {"menu", &ActionDefinition::menu},
    {"tbName", &ActionDefinition::tbName},
    {"tooltips", &ActionDefinition::tooltips},
    {"tbButton", &ActionDefinition::tbButton},
    {"procExecute", &ActionDefinition::procExecute},
    {"procClose", &ActionDefinition::procClose},
    {"procFirstTime", &ActionDefinition::procFirstTime},
    {"panelClass", &ActionDefinition::panelClass},
    {"cbStatus", &ActionDefinition::cbStatus},
    {"cbKeybrd", &ActionDefinition::cbKeybrd},
    {"cbMsLbDown", &ActionDefinition::cbMsLbDown},
    {"cbMsLbUp", &ActionDefinition::cbMsLbUp},
    {"cbMsRbDown", &ActionDefinition::cbMsRbDown},
    {"cbMsRbUp", &ActionDefinition::cbMsRbUp},
    {"cbMsMove", &ActionDefinition::cbMsMove},
};

const std::string& textOf(const json& value, const std::string& key);
// A JSON integer that fits a flag word; other numbers, signs and types are refused.
bool wordOf(const json& value, std::uint32_t& word);
std::uint32_t procTypeOf(const json& value, const std::string& key);
std::uint32_t actionFlagsOf(const json& value, const std::string& key);
std::int32_t checkBoxOf(const json& value, const std::string& key);
// Fields left out keep what setActionDefaults gives for the name.
ActionDefinition actionOf(const json& object, const std::string& key);
std::uint32_t dllFlagsOf(const json& value);

} // namespace vantrel::projectvalues
