#include "project/ProjectWriter.h"

#include "fileutil/ExistingFile.h"
#include "model/FlagNames.h"
#include "model/ProjectSchema.h"
#include "project/JsonDocument.h"

#include <string_view>
#include <vector>

namespace vantrel {
namespace {

// Lines are kept to this width where a list of names can be wrapped, as in a file kept by hand.
constexpr std::size_t LINE_WIDTH = 100;
constexpr std::string_view INDENT = "    ";

// A JSON string: quotes, backslashes and control characters escaped. The reader takes UTF-8
// only, so a byte that starts no UTF-8 sequence becomes U+FFFD rather than a file that cannot
// be opened again.
void appendString(std::string& out, std::string_view text) {
    static constexpr char DIGITS[] = "0123456789abcdef";
    out += '"';
    for (std::size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        switch (byte) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20) {
                out += "\\u00";
                out += DIGITS[byte >> 4];
                out += DIGITS[byte & 0xF];
            } else if (const std::size_t length = utf8Length(text.substr(at)); length > 0) {
                out.append(text.substr(at, length));
                at += length;
                continue;
            } else {
                out += "\xEF\xBF\xBD";
            }
            break;
        }
        ++at;
    }
    out += '"';
}

std::string quoted(std::string_view text) {
    std::string out;
    appendString(out, text);
    return out;
}

// The name of the row whose value the word is, when the reader maps that name back to it.
const char* rowName(std::uint32_t word, const FlagNameRow* rows) {
    for (const FlagNameRow* row = rows; row->value != 0; ++row) {
        if (row->value == word)
            return row->name;
    }
    return nullptr;
}

// A list of strings on the key's line, wrapped under its first element when it gets too long.
std::string nameList(std::size_t column, const std::vector<std::string>& items) {
    std::string out = "[";
    const std::size_t start = column + 1;
    std::size_t at = start;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) {
            // Room for ", ", the name and the comma or bracket after it.
            if (at + 2 + items[i].size() + 1 > LINE_WIDTH) {
                out += ",\n" + std::string(start, ' ');
                at = start;
            } else {
                out += ", ";
                at += 2;
            }
        }
        out += items[i];
        at += items[i].size();
    }
    out += ']';
    return out;
}

std::string flagsValue(std::uint32_t flags, std::size_t column) {
    // Bits without a name cannot be spelt as names; the number keeps them.
    if ((flags & ~ACTION_FLAG_BITS) != 0)
        return std::to_string(flags);
    std::vector<std::string> names;
    for (const ActionFlagName& entry : ACTION_FLAG_NAMES) {
        if ((flags & entry.bit) != 0)
            names.push_back(quoted(entry.name));
    }
    return nameList(column, names);
}

std::string checkBoxValue(std::int32_t value) {
    if (value == 0 || value == 1)
        return value != 0 ? "true" : "false";
    return std::to_string(value);
}

// The action's members, each "key": value, leaving out what the defaults of its name give.
void appendAction(std::string& out, const ActionDefinition& action, std::string_view indent) {
    ActionDefinition defaults;
    defaults.setActionDefaults(action.name);
    const std::string memberIndent = std::string(indent) + std::string(INDENT);
    std::vector<std::string> members;
    for (const ActionField& field : ACTION_FIELDS) {
        std::string member = memberIndent + quoted(field.key) + ": ";
        switch (field.kind) {
        case ActionKey::Name:
            appendString(member, action.*field.text);
            break;
        case ActionKey::Type:
            if (action.type == defaults.type)
                continue;
            if (const char* name = rowName(action.type, procTypeTable))
                appendString(member, name);
            else
                member += std::to_string(action.type);
            break;
        case ActionKey::Flags:
            if (action.flags == defaults.flags)
                continue;
            member += flagsValue(action.flags, member.size());
            break;
        case ActionKey::CheckBox:
            if (action.*field.checkBox == defaults.*field.checkBox)
                continue;
            member += checkBoxValue(action.*field.checkBox);
            break;
        case ActionKey::Text:
            if (action.*field.text == defaults.*field.text)
                continue;
            appendString(member, action.*field.text);
            break;
        }
        members.push_back(std::move(member));
    }
    out.append(indent).append("{\n");
    for (std::size_t i = 0; i < members.size(); ++i)
        out.append(members[i]).append(i + 1 < members.size() ? ",\n" : "\n");
    out.append(indent).append("}");
}

void appendActions(std::string& out, const std::vector<ActionDefinition>& actions) {
    if (actions.empty()) {
        out += "[]";
        return;
    }
    const std::string indent = std::string(INDENT) + std::string(INDENT);
    out += "[\n";
    for (std::size_t i = 0; i < actions.size(); ++i) {
        appendAction(out, actions[i], indent);
        out += i + 1 < actions.size() ? ",\n" : "\n";
    }
    out.append(INDENT).append("]");
}

} // namespace

std::string projectFileText(const ProjectState& project, WithLocation withLocation) {
    std::string out = "{\n";
    bool first = true;
    for (const ProjectField& field : PROJECT_FIELDS) {
        std::string value;
        switch (field.kind) {
        case ProjectKey::Host: {
            const HostName* host = nullptr;
            for (const HostName& each : HOST_NAMES) {
                if (project.*each.flag != 0 && host == nullptr)
                    host = &each;
            }
            // Without a host the reader refuses the file for "host" missing, as it should.
            if (host == nullptr)
                continue;
            appendString(value, host->name);
            break;
        }
        case ProjectKey::Name:
            appendString(value, project.nameText);
            break;
        case ProjectKey::Location:
            if (withLocation == WithLocation::No)
                continue;
            appendString(value, project.locationBase);
            break;
        case ProjectKey::DllFlags:
            if (const char* name = rowName(project.dllFlags, dllFlagTable))
                appendString(value, name);
            else
                value = std::to_string(project.dllFlags);
            break;
        case ProjectKey::Actions:
            appendActions(value, project.actions);
            break;
        }
        out.append(first ? "" : ",\n").append(INDENT);
        appendString(out, field.key);
        out.append(": ").append(value);
        first = false;
    }
    out += "\n}\n";
    return out;
}

std::optional<std::string> saveProjectFile(const std::string& path, const ProjectState& project,
                                           WithLocation withLocation) {
    return replaceFileAtomically(path, projectFileText(project, withLocation));
}

} // namespace vantrel
