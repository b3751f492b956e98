#pragma once

#include "model/ActionDefinition.h"
#include "model/ProjectState.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

// The project file: a JSON object whose keys, and the keys of each action in it, are described
// here once. A reader looks keys up in these tables; a writer walks them in order, so a file
// written and read again keeps its form. Flag and type names come from FlagNames.h; like the
// host's, they are taken ignoring ASCII case, as the dialog takes them. Keys are spelt exactly.

// What a key of the project object fills.
enum class ProjectKey {
    Host,     // a host name, see HOST_NAMES
    Name,     // nameText
    Location, // locationBase, and locationText with it
    DllFlags, // an integer or the name of a dllFlagTable row
    Actions,  // an array of action objects, replacing the list
};

struct ProjectField {
    std::string_view key;
    ProjectKey kind;
};

inline constexpr ProjectField PROJECT_FIELDS[] = {
    {"host", ProjectKey::Host},         {"name", ProjectKey::Name},
    {"location", ProjectKey::Location}, {"dllFlags", ProjectKey::DllFlags},
    {"actions", ProjectKey::Actions},
};

// The hosts, by the name the "host" key gives; the named one's flag is 1, the other's 0.
struct HostName {
    std::string_view name;
    std::int32_t ProjectState::*flag;
};

inline constexpr HostName HOST_NAMES[] = {
    {"KEL", &ProjectState::kelHost},
    {"DOV", &ProjectState::dovHost},
};

// What a key of an action object fills. An action needs its name first of all: the other
// fields' defaults follow from it, and a key left out keeps its default.
enum class ActionKey {
    Name,     // name, a string
    Id,       // id, an integer from 1
    Type,     // type: an integer or a procTypeTable name
    Flags,    // flags: an integer of ACF_ bits or an array of ACF_ names
    CheckBox, // an int32 field: true, false, 0 or 1
    Text,     // a string field
};

struct ActionField {
    std::string_view key;
    ActionKey kind;
    std::string ActionDefinition::*text = nullptr;      // for Name and Text
    std::int32_t ActionDefinition::*checkBox = nullptr; // for CheckBox
};

inline constexpr ActionField ACTION_FIELDS[] = {
    {"name", ActionKey::Name, &ActionDefinition::name},
    {"id", ActionKey::Id},
    {"type", ActionKey::Type},
    {"flags", ActionKey::Flags},
    {"indivInterface", ActionKey::CheckBox, nullptr, &ActionDefinition::indivInterface},
    {"staticMemBuf", ActionKey::CheckBox, nullptr, &ActionDefinition::staticMemBuf},
    {"menu", ActionKey::Text, &ActionDefinition::menu},
    {"tbName", ActionKey::Text, &ActionDefinition::tbName},
    {"tooltips", ActionKey::Text, &ActionDefinition::tooltips},
    {"tbButton", ActionKey::Text, &ActionDefinition::tbButton},
    {"procExecute", ActionKey::Text, &ActionDefinition::procExecute},
    {"procClose", ActionKey::Text, &ActionDefinition::procClose},
    {"procFirstTime", ActionKey::Text, &ActionDefinition::procFirstTime},
    {"panelClass", ActionKey::Text, &ActionDefinition::panelClass},
    {"cbStatus", ActionKey::Text, &ActionDefinition::cbStatus},
    {"cbKeybrd", ActionKey::Text, &ActionDefinition::cbKeybrd},
    {"cbMsLbDown", ActionKey::Text, &ActionDefinition::cbMsLbDown},
    {"cbMsLbUp", ActionKey::Text, &ActionDefinition::cbMsLbUp},
    {"cbMsRbDown", ActionKey::Text, &ActionDefinition::cbMsRbDown},
    {"cbMsRbUp", ActionKey::Text, &ActionDefinition::cbMsRbUp},
    {"cbMsMove", ActionKey::Text, &ActionDefinition::cbMsMove},
};

// The fields by key, spelt exactly; null for a key the object does not have.
const ProjectField* findProjectField(std::string_view key);
const ActionField* findActionField(std::string_view key);

// The host of a "host" value, ignoring ASCII case; null when it names none.
const HostName* findHost(std::string_view name);

} // namespace vantrel
