#include "cli/ProjectValues.h"

#include "model/FlagNames.h"

#include <limits>

namespace vantrel::projectvalues {

const std::string& textOf(const json& value, const std::string& key) {
    if (!value.is_string())
        throw ProjectError(key, "must be a string");
    return value.get_ref<const std::string&>();
}

bool wordOf(const json& value, std::uint32_t& word) {
    if (!value.is_number_unsigned())
        return false;
    const auto number = value.get<std::uint64_t>();
    if (number > std::numeric_limits<std::uint32_t>::max())
        return false;
    word = static_cast<std::uint32_t>(number);
    return true;
}

std::uint32_t procTypeOf(const json& value, const std::string& key) {
    std::uint32_t type = 0;
    if (wordOf(value, type))
        return type;
    if (value.is_string()) {
        // The same reading as a name typed into the type combo; every row has a non-zero value.
        parseFlagNames(value.get_ref<const std::string&>(), type, procTypeTable);
        if (type != 0)
            return type;
        throw ProjectError(key, "unknown procedure type \"" + value.get<std::string>() + "\"");
    }
    throw ProjectError(key, "must be an integer or a procedure type name");
}

std::uint32_t actionFlagsOf(const json& value, const std::string& key) {
    std::uint32_t flags = 0;
    if (wordOf(value, flags)) {
        if ((flags & ~ACTION_FLAG_BITS) != 0)
            throw ProjectError(key, "holds bits that are no ACF_ flag");
        return flags;
    }
    if (!value.is_array())
        throw ProjectError(key, "must be an integer or an array of ACF_ names");
    for (std::size_t i = 0; i < value.size(); ++i) {
        const std::string itemKey = key + "[" + std::to_string(i) + "]";
        const std::string& name = textOf(value[i], itemKey);
        std::uint32_t bit = 0;
        for (const ActionFlagName& entry : ACTION_FLAG_NAMES)
            if (name == entry.name)
                bit = entry.bit;
        if (bit == 0)
            throw ProjectError(itemKey, "unknown flag name \"" + name + "\"");
        flags |= bit;
    }
    return flags;
}

std::int32_t checkBoxOf(const json& value, const std::string& key) {
    if (value.is_boolean())
        return value.get<bool>() ? 1 : 0;
    if (value.is_number_unsigned() && value.get<std::uint64_t>() <= 1)
        return static_cast<std::int32_t>(value.get<std::uint64_t>());
    throw ProjectError(key, "must be true, false, 0 or 1");
}

ActionDefinition actionOf(const json& object, const std::string& key) {
    if (!object.is_object())
        throw ProjectError(key, "must be an object");
    if (!object.contains("name"))
        throw ProjectError(key + ".name", "missing");
    ActionDefinition action;
    action.setActionDefaults(textOf(object["name"], key + ".name"));
    for (const auto& [field, value] : object.items()) {
        const std::string fieldKey = key + "." + field;
        if (field == "name")
            continue;
        if (field == "type") {
            action.type = procTypeOf(value, fieldKey);
        } else if (field == "flags") {
            action.flags = actionFlagsOf(value, fieldKey);
        } else if (field == "indivInterface") {
            action.indivInterface = checkBoxOf(value, fieldKey);
        } else if (field == "staticMemBuf") {
            action.staticMemBuf = checkBoxOf(value, fieldKey);
        } else {
            const TextField* text = nullptr;
            for (const TextField& candidate : ACTION_TEXT_FIELDS)
                if (field == candidate.key)
                    text = &candidate;
            if (text == nullptr)
                throw ProjectError(fieldKey, "unknown key");
            action.*text->field = textOf(value, fieldKey);
        }
    }
    return action;
}

std::uint32_t dllFlagsOf(const json& value) {
    std::uint32_t flags = 0;
    if (wordOf(value, flags))
        return flags;
    if (value.is_string())
        for (const FlagNameRow& row : dllFlagTable)
            if (row.value != 0 && value.get_ref<const std::string&>() == row.name)
                return row.value;
    throw ProjectError("dllFlags", "must be \"PIDLLFL_AUTO\", \"PIDLLFL_RESIDENT\" or an integer");
}
} // namespace vantrel::projectvalues
