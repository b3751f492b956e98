#include "project/ProjectFile.h"

#include "fileutil/TextFile.h"
#include "model/FlagNames.h"
#include "model/ProjectSchema.h"
#include "project/JsonDocument.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <utility>
#include <vector>

namespace vantrel {
namespace {

using Value = JsonDocument::Value;
using Type = JsonDocument::Type;

// A value the document gives that the project cannot take, named by its key ("actions[1].flags").
struct KeyFault {
    std::string key;
    std::string problem;
};

// The last value of a key whose value is a string; text is none when it was something else.
struct TextKey {
    bool given = false;
    std::optional<std::string_view> text;
};

struct ReadActions {
    bool isArray = false;
    ActionDefinitions list;
    std::optional<KeyFault> fault; // of the first element at fault, in list order
};

// What the document gives, before any of it reaches the project. A repeated key replaces what
// the earlier one gave. Faults are told in a fixed order once the whole document is read:
// unknown keys first, then host, name, location, dllFlags and the actions.
struct ReadProject {
    bool isObject = false;
    std::optional<std::string_view> unknownKey; // the first in byte order
    TextKey host;
    TextKey name;
    TextKey location;
    bool dllFlagsGiven = false;
    std::optional<std::uint32_t> dllFlags; // none when the value names no DLL flags
    std::optional<ReadActions> actions;
};

// One action object as read. Its fields' defaults follow from its name, which may come last,
// so the fields are gathered apart and laid over the defaults at the end.
struct ReadAction {
    std::uint32_t given = 0; // a bit per ACTION_FIELDS row
    std::optional<std::string_view> name;
    ActionDefinition fields;
    std::optional<std::uint32_t> type;
    std::optional<std::uint32_t> flags;
    std::optional<std::uint32_t> id;
    std::array<std::optional<KeyFault>, std::size(ACTION_FIELDS)> faults; // of each key's value
    std::optional<std::string_view> unknownKey;
};

static_assert(std::size(ACTION_FIELDS) <= 32, "the keys given are bits of one word");
static_assert(ACTION_FIELDS[0].kind == ActionKey::Name, "bit 0 of the keys given is the name");

void noteUnknownKey(std::optional<std::string_view>& first, std::string_view key) {
    if (!first || key < *first)
        first = key;
}

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

class ProjectReader {
public:
    explicit ProjectReader(JsonDocument& json)
        : m_json(json) {}

    // False at a fault in the JSON itself, which the document then holds.
    bool read(ReadProject& project);

private:
    bool readMember(std::string_view key, Value& value, ReadProject& project);
    bool readActions(Value& value, ReadActions& actions);
    bool readAction(Value& value, std::size_t index, ReadActions& actions);
    bool readActionMember(std::string_view key, Value& value, ReadAction& action);
    bool readFlags(Value& value, std::string_view key, ReadAction& action, std::size_t field);
    bool readText(Value& value, std::optional<std::string_view>& text);
    bool readWord(Value& value, std::optional<std::uint32_t>& word);

    JsonDocument& m_json;
};

bool ProjectReader::read(ReadProject& project) {
    Value root;
    if (!m_json.root(root))
        return false;
    const std::optional<Type> type = m_json.typeOf(root);
    if (!type)
        return false;
    project.isObject = *type == Type::object;
    if (!project.isObject) {
        if (!m_json.skip(root))
            return false;
    } else if (!m_json.forEachMember(root, [&](std::string_view key, Value& value) {
                   return readMember(key, value, project);
               })) {
        return false;
    }
    return m_json.finish();
}

bool ProjectReader::readMember(std::string_view key, Value& value, ReadProject& project) {
    const ProjectField* field = findProjectField(key);
    if (field == nullptr) {
        noteUnknownKey(project.unknownKey, key);
        return m_json.skip(value);
    }
    switch (field->kind) {
    case ProjectKey::Host:
        project.host.given = true;
        return readText(value, project.host.text);
    case ProjectKey::Name:
        project.name.given = true;
        return readText(value, project.name.text);
    case ProjectKey::Location:
        project.location.given = true;
        return readText(value, project.location.text);
    case ProjectKey::DllFlags: {
        project.dllFlagsGiven = true;
        project.dllFlags.reset();
        const std::optional<Type> type = m_json.typeOf(value);
        if (!type)
            return false;
        if (*type == Type::number)
            return m_json.readNumber(value, project.dllFlags);
        if (*type != Type::string)
            return m_json.skip(value);
        std::string_view name;
        if (!m_json.readString(value, name))
            return false;
        if (const FlagNameRow* row = findFlagName(name, dllFlagTable))
            project.dllFlags = row->value;
        return true;
    }
    case ProjectKey::Actions:
        project.actions.emplace();
        return readActions(value, *project.actions);
    }
    return m_json.skip(value);
}

bool ProjectReader::readActions(Value& value, ReadActions& actions) {
    const std::optional<Type> type = m_json.typeOf(value);
    if (!type)
        return false;
    actions.isArray = *type == Type::array;
    if (!actions.isArray)
        return m_json.skip(value);
    return m_json.forEachElement(value, "an action", [&](std::size_t index, Value& element) {
        return readAction(element, index, actions);
    });
}

bool ProjectReader::readAction(Value& value, std::size_t index, ReadActions& actions) {
    if (actions.fault) // only the first fault is told; the rest is only checked as JSON
        return m_json.skip(value);
    const std::optional<Type> type = m_json.typeOf(value);
    if (!type)
        return false;
    const auto key = [index] {
        return "actions[" + std::to_string(index) + "]";
    };
    if (*type != Type::object) {
        actions.fault = KeyFault{key(), "must be an object"};
        return m_json.skip(value);
    }
    ReadAction action;
    if (!m_json.forEachMember(value, [&](std::string_view member, Value& memberValue) {
            return readActionMember(member, memberValue, action);
        }))
        return false;

    // The name first, then the first fault in key order, as the keys of a JSON object sort.
    std::optional<KeyFault> fault;
    if ((action.given & 1u) == 0) {
        fault = KeyFault{"name", "missing"};
    } else if (!action.name) {
        fault = KeyFault{"name", "must be a string"};
    } else {
        std::string_view faultKey;
        if (action.unknownKey) {
            faultKey = *action.unknownKey;
            fault = KeyFault{std::string(faultKey), "unknown key"};
        }
        for (std::size_t i = 0; i < std::size(ACTION_FIELDS); ++i) {
            if (action.faults[i] && (!fault || ACTION_FIELDS[i].key < faultKey)) {
                faultKey = ACTION_FIELDS[i].key;
                fault = std::move(action.faults[i]);
            }
        }
    }
    if (fault) {
        actions.fault = KeyFault{key() + "." + fault->key, std::move(fault->problem)};
        return true;
    }

    ActionDefinition& stored = actions.list.emplace_back();
    stored.setActionDefaults(*action.name);
    for (std::size_t i = 1; i < std::size(ACTION_FIELDS); ++i) {
        if ((action.given & (1u << i)) == 0)
            continue;
        const ActionField& field = ACTION_FIELDS[i];
        switch (field.kind) {
        case ActionKey::Name:
            break;
        case ActionKey::Id:
            stored.id = *action.id;
            break;
        case ActionKey::Type:
            stored.type = *action.type;
            break;
        case ActionKey::Flags:
            stored.flags = *action.flags;
            break;
        case ActionKey::CheckBox:
            stored.*field.checkBox = action.fields.*field.checkBox;
            break;
        case ActionKey::Text:
            stored.*field.text = std::move(action.fields.*field.text);
            break;
        }
    }
    return true;
}

bool ProjectReader::readActionMember(std::string_view key, Value& value, ReadAction& action) {
    const ActionField* field = findActionField(key);
    if (field == nullptr) {
        noteUnknownKey(action.unknownKey, key);
        return m_json.skip(value);
    }
    const auto index = static_cast<std::size_t>(field - ACTION_FIELDS);
    action.given |= 1u << index;
    std::optional<KeyFault>& fault = action.faults[index];
    fault.reset();
    switch (field->kind) {
    case ActionKey::Name:
        return readText(value, action.name);
    case ActionKey::Text: {
        std::optional<std::string_view> text;
        if (!readText(value, text))
            return false;
        // Made at its size and moved in: a short text assigned to an empty string would get
        // twice the room it needs, for every action of a large project.
        if (text)
            action.fields.*field->text = std::string(*text);
        else
            fault = KeyFault{std::string(key), "must be a string"};
        return true;
    }
    case ActionKey::CheckBox: {
        const std::optional<Type> type = m_json.typeOf(value);
        if (!type)
            return false;
        std::optional<std::uint32_t> word;
        if (*type == Type::boolean) {
            bool checked = false;
            if (!m_json.readBool(value, checked))
                return false;
            word = checked ? 1 : 0;
        } else if (!readWord(value, word)) {
            return false;
        }
        if (word && *word <= 1)
            action.fields.*field->checkBox = static_cast<std::int32_t>(*word);
        else
            fault = KeyFault{std::string(key), "must be true, false, 0 or 1"};
        return true;
    }
    case ActionKey::Type: {
        action.type.reset();
        const std::optional<Type> type = m_json.typeOf(value);
        if (!type)
            return false;
        if (*type == Type::string) {
            std::string_view name;
            if (!m_json.readString(value, name))
                return false;
            // The same reading as a name typed into the type combo; every row has a non-zero value.
            std::uint32_t procType = 0;
            parseFlagNames(name, procType, procTypeTable);
            if (procType != 0)
                action.type = procType;
            else
                fault = KeyFault{std::string(key), "unknown procedure type " + quoted(name)};
            return true;
        }
        if (!readWord(value, action.type))
            return false;
        if (!action.type)
            fault = KeyFault{std::string(key), "must be an integer or a procedure type name"};
        return true;
    }
    case ActionKey::Id:
        if (!readWord(value, action.id))
            return false;
        if (!action.id || *action.id == 0) {
            action.id.reset();
            fault = KeyFault{std::string(key), "must be an integer from 1 to 4294967295"};
        }
        return true;
    case ActionKey::Flags:
        return readFlags(value, key, action, index);
    }
    return m_json.skip(value);
}

bool ProjectReader::readFlags(Value& value, std::string_view key, ReadAction& action,
                              std::size_t field) {
    std::optional<KeyFault>& fault = action.faults[field];
    action.flags.reset();
    const std::optional<Type> type = m_json.typeOf(value);
    if (!type)
        return false;
    if (*type != Type::array) {
        std::optional<std::uint32_t> word;
        if (!readWord(value, word))
            return false;
        if (!word)
            fault = KeyFault{std::string(key), "must be an integer or an array of ACF_ names"};
        else if ((*word & ~ACTION_FLAG_BITS) != 0)
            fault = KeyFault{std::string(key), "holds bits that are no ACF_ flag"};
        else
            action.flags = word;
        return true;
    }
    std::uint32_t flags = 0;
    if (!m_json.forEachElement(value, "a flag name", [&](std::size_t index, Value& item) {
            if (fault)
                return m_json.skip(item);
            std::optional<std::string_view> name;
            if (!readText(item, name))
                return false;
            const auto itemKey = [&] {
                return std::string(key) + "[" + std::to_string(index) + "]";
            };
            const std::uint32_t bit = name ? actionFlagOfName(*name) : 0;
            if (!name)
                fault = KeyFault{itemKey(), "must be a string"};
            else if (bit == 0)
                fault = KeyFault{itemKey(), "unknown flag name " + quoted(*name)};
            flags |= bit;
            return true;
        }))
        return false;
    if (!fault)
        action.flags = flags;
    return true;
}

// A string value's text; none, with the value checked and passed, for any other value.
bool ProjectReader::readText(Value& value, std::optional<std::string_view>& text) {
    text.reset();
    const std::optional<Type> type = m_json.typeOf(value);
    if (!type)
        return false;
    if (*type != Type::string)
        return m_json.skip(value);
    std::string_view read;
    if (!m_json.readString(value, read))
        return false;
    text = read;
    return true;
}

// A number that fits a flag word; none, with the value checked and passed, for anything else.
bool ProjectReader::readWord(Value& value, std::optional<std::uint32_t>& word) {
    word.reset();
    const std::optional<Type> type = m_json.typeOf(value);
    if (!type)
        return false;
    if (*type != Type::number)
        return m_json.skip(value);
    return m_json.readNumber(value, word);
}

// The first fault of what was read, in the order the keys are checked.
std::optional<std::string> faultOf(const ReadProject& read) {
    const auto keyFault = [](std::string_view key, std::string_view problem) {
        return quoted(key) + ": " + std::string(problem);
    };
    if (!read.isObject)
        return "the project must be a JSON object";
    if (read.unknownKey)
        return keyFault(*read.unknownKey, "unknown key");
    if (!read.host.given)
        return keyFault("host", "missing");
    if (!read.host.text)
        return keyFault("host", "must be a string");
    if (findHost(*read.host.text) == nullptr)
        return keyFault("host", "must be \"KEL\" or \"DOV\"");
    if (read.name.given && !read.name.text)
        return keyFault("name", "must be a string");
    if (read.location.given && !read.location.text)
        return keyFault("location", "must be a string");
    if (read.dllFlagsGiven && !read.dllFlags)
        return keyFault("dllFlags", "must be \"PIDLLFL_AUTO\", \"PIDLLFL_RESIDENT\" or an integer");
    if (read.actions && !read.actions->isArray)
        return keyFault("actions", "must be an array of objects");
    if (read.actions && read.actions->fault)
        return keyFault(read.actions->fault->key, read.actions->fault->problem);
    return std::nullopt;
}

void commit(ReadProject& read, ProjectState& project) {
    const HostName* host = findHost(*read.host.text);
    for (const HostName& each : HOST_NAMES)
        project.*each.flag = &each == host ? 1 : 0;
    if (read.name.given)
        project.nameText = *read.name.text;
    if (read.location.given) {
        project.locationBase = *read.location.text;
        project.locationText = project.locationBase;
    }
    if (read.dllFlagsGiven)
        project.dllFlags = *read.dllFlags;
    if (read.actions) {
        project.actions = std::move(read.actions->list);
        clearSharedIds(project.actions);
    }
}

} // namespace

std::optional<ProjectFileError> ProjectFile::load(ProjectState& project) const {
    std::optional<std::string> text = readTextFile(m_path, JsonDocument::EXTRA_CAPACITY);
    if (!text)
        return ProjectFileError{m_path + ": cannot be read (" + std::strerror(errno) + ")"};
    return read(std::move(*text), project);
}

std::optional<ProjectFileError> ProjectFile::apply(std::string_view jsonText,
                                                   ProjectState& project) const {
    std::string text;
    text.reserve(jsonText.size() + JsonDocument::EXTRA_CAPACITY);
    text = jsonText;
    normaliseText(text);
    return read(std::move(text), project);
}

std::optional<ProjectFileError> ProjectFile::read(std::string text, ProjectState& project) const {
    JsonDocument json(std::move(text));
    ReadProject read;
    if (!ProjectReader(json).read(read)) {
        const JsonFault fault = json.fault().value_or(JsonFault{1, 1, "cannot be read as JSON"});
        return ProjectFileError{m_path + ":" + std::to_string(fault.line) + ":" +
                                std::to_string(fault.column) + ": " + fault.reason};
    }
    if (std::optional<std::string> fault = faultOf(read))
        return ProjectFileError{m_path + ": " + *fault};
    commit(read, project);
    return std::nullopt;
}

} // namespace vantrel
