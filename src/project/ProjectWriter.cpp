#include "project/ProjectWriter.h"

#include "fileutil/FileReplace.h"
#include "fileutil/TextFile.h"
#include "model/FlagNames.h"
#include "model/ProjectSchema.h"
#include "project/JsonDocument.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

namespace vantrel {
namespace {

// Lines are kept to this width where a list of names can be wrapped, as in a file kept by hand.
constexpr std::size_t LINE_WIDTH = 100;
constexpr std::string_view INDENT = "    ";
constexpr std::string_view ACTION_INDENT = "        ";

} // namespace

// A JSON string: quotes, backslashes and control characters escaped. The reader takes UTF-8
// only, so a byte that starts no UTF-8 sequence becomes U+FFFD rather than a file that cannot
// be opened again.
void appendJsonString(std::string& out, std::string_view text) {
    static constexpr char HEX_DIGITS[] = "0123456789abcdef";
    out += '"';
    for (std::size_t at = 0; at < text.size(); ++at) {
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
                out += HEX_DIGITS[byte >> 4];
                out += HEX_DIGITS[byte & 0xF];
            } else if (byte < 0x80) {
                out += static_cast<char>(byte);
            } else if (const std::size_t length = utf8Length(text.substr(at)); length > 0) {
                out.append(text.substr(at, length));
                at += length - 1;
            } else {
                out += "\xEF\xBF\xBD";
            }
            break;
        }
    }
    out += '"';
}

namespace {

// A key or a name from the schema's and flags' own tables, which hold plain identifiers.
void appendName(std::string& out, std::string_view name) {
    out += '"';
    out.append(name);
    out += '"';
}

// The name of the row whose value the word is, when the reader maps that name back to it.
const char* rowName(std::uint32_t word, const FlagNameRow* rows) {
    for (const FlagNameRow* row = rows; row->value != 0; ++row) {
        if (row->value == word)
            return row->name;
    }
    return nullptr;
}

// The flags as ACF_ names, wrapped under the first one when the line gets too long (column is
// where the value starts on its line). Bits without a name cannot be spelt as names, so the
// number keeps them. An action to a line keeps the number too: the names took nearly a third
// of the record's answers.
void appendFlags(std::string& out, std::uint32_t flags, std::size_t column, ActionLayout layout) {
    if ((flags & ~ACTION_FLAG_BITS) != 0 || layout == ActionLayout::OnePerLine) {
        out += std::to_string(flags);
        return;
    }
    out += '[';
    const std::size_t start = column + 1;
    std::size_t width = start;
    bool first = true;
    for (const ActionFlagName& entry : ACTION_FLAG_NAMES) {
        if ((flags & entry.bit) == 0)
            continue;
        const std::size_t size = entry.name.size() + 2; // with its quotes
        if (!first) {
            // Room for ", ", the name and the comma or bracket after it.
            if (layout == ActionLayout::Indented && width + 2 + size + 1 > LINE_WIDTH) {
                out += ",\n";
                out.append(start, ' ');
                width = start;
            } else {
                out += ", ";
                width += 2;
            }
        }
        appendName(out, entry.name);
        width += size;
        first = false;
    }
    out += ']';
}

void appendCheckBox(std::string& out, std::int32_t value) {
    if (value == 0 || value == 1)
        out += value != 0 ? "true" : "false";
    else
        out += std::to_string(value);
}

// Where each action field's default comes from: its row of NAMED_DEFAULTS, or -1 when the
// action's name has no part in it.
constexpr auto NAMED_ROWS = [] {
    std::array<int, std::size(ACTION_FIELDS)> rows{};
    for (std::size_t f = 0; f < rows.size(); ++f) {
        rows[f] = -1;
        for (std::size_t n = 0; n < std::size(NAMED_DEFAULTS); ++n) {
            if (ACTION_FIELDS[f].text != nullptr &&
                ACTION_FIELDS[f].text == NAMED_DEFAULTS[n].field)
                rows[f] = static_cast<int>(n);
        }
    }
    return rows;
}();

// Whether an action's field holds what the defaults of its name give; defaults holds those
// the name has no part in.
bool isDefault(const ActionDefinition& action, std::size_t f, const ActionDefinition& defaults) {
    const ActionField& field = ACTION_FIELDS[f];
    switch (field.kind) {
    case ActionKey::Name:
        return false;
    case ActionKey::Id:
        return action.id == 0;
    case ActionKey::Type:
        return action.type == defaults.type;
    case ActionKey::Flags:
        return action.flags == defaults.flags;
    case ActionKey::CheckBox:
        return action.*field.checkBox == defaults.*field.checkBox;
    case ActionKey::Text:
        return NAMED_ROWS[f] >= 0
                   ? NAMED_DEFAULTS[NAMED_ROWS[f]].heldBy(action.*field.text, action.name)
                   : action.*field.text == defaults.*field.text;
    }
    return false;
}

// The action's members, each "key": value, leaving out what the defaults of its name give: by
// hand a member to a line, or all of them on the action's one line.
void appendAction(std::string& out, const ActionDefinition& action,
                  const ActionDefinition& defaults, ActionLayout layout) {
    const bool indented = layout == ActionLayout::Indented;
    out += indented ? "{\n" : "{";
    bool first = true;
    for (std::size_t f = 0; f < std::size(ACTION_FIELDS); ++f) {
        if (isDefault(action, f, defaults))
            continue;
        if (!first)
            out += indented ? ",\n" : ", ";
        first = false;
        const std::size_t lineStart = out.size();
        if (indented)
            out.append(ACTION_INDENT).append(INDENT);
        const ActionField& field = ACTION_FIELDS[f];
        appendName(out, field.key);
        out += ": ";
        switch (field.kind) {
        case ActionKey::Name:
        case ActionKey::Text:
            appendJsonString(out, action.*field.text);
            break;
        case ActionKey::Id:
            out += std::to_string(action.id);
            break;
        case ActionKey::Type:
            if (const char* name = rowName(action.type, procTypeTable))
                appendName(out, name);
            else
                out += std::to_string(action.type);
            break;
        case ActionKey::Flags:
            appendFlags(out, action.flags, out.size() - lineStart, layout);
            break;
        case ActionKey::CheckBox:
            appendCheckBox(out, action.*field.checkBox);
            break;
        }
    }
    if (indented)
        out.append("\n").append(ACTION_INDENT);
    out += '}';
}

// The actions' array. Laid out one action to a line, the comma between two actions leads the
// second one's line, so that lines added at the end by two hands join into an array that reads.
bool appendActions(std::string& out, const ActionDefinitions& actions, ActionLayout layout,
                   const TextSink* sink) {
    if (actions.empty()) {
        out += "[]";
        return true;
    }
    ActionDefinition defaults;
    defaults.setActionDefaults({});
    out += "[\n";
    for (std::size_t i = 0; i < actions.size(); ++i) {
        out.append(ACTION_INDENT);
        if (layout == ActionLayout::OnePerLine && i > 0)
            out += ',';
        appendAction(out, actions[i], defaults, layout);
        out += layout == ActionLayout::Indented && i + 1 < actions.size() ? ",\n" : "\n";
        if (sink && out.size() >= TEXT_PIECE_SIZE) {
            if (!(*sink)(out))
                return false;
            out.clear();
        }
    }
    out.append(INDENT).append("]");
    return true;
}

bool appendProjectFile(std::string& out, const ProjectState& project, WithLocation withLocation,
                       ActionLayout layout, const TextSink* sink) {
    out += "{\n";
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
            appendName(value, host->name);
            break;
        }
        case ProjectKey::Name:
            appendJsonString(value, project.nameText);
            break;
        case ProjectKey::Location:
            if (withLocation == WithLocation::No)
                continue;
            appendJsonString(value, project.locationBase);
            break;
        case ProjectKey::DllFlags:
            if (const char* name = rowName(project.dllFlags, dllFlagTable))
                appendName(value, name);
            else
                value = std::to_string(project.dllFlags);
            break;
        case ProjectKey::Actions:
            break;
        }
        out.append(first ? "" : ",\n").append(INDENT);
        appendName(out, field.key);
        out.append(": ");
        // The actions go straight in: they are most of the text.
        if (field.kind == ProjectKey::Actions && !appendActions(out, project.actions, layout, sink))
            return false;
        if (field.kind != ProjectKey::Actions)
            out.append(value);
        first = false;
    }
    out += "\n}\n";
    return true;
}

} // namespace

std::string projectFileText(const ProjectState& project, WithLocation withLocation,
                            ActionLayout layout) {
    std::string out;
    appendProjectFile(out, project, withLocation, layout, nullptr);
    return out;
}

bool writeProjectFile(const ProjectState& project, WithLocation withLocation, ActionLayout layout,
                      const TextSink& sink) {
    std::string piece;
    return appendProjectFile(piece, project, withLocation, layout, &sink) && sink(piece);
}

namespace {

// Walks a JSON text already read whole, so that only positions are looked for, not faults.
class JsonWalk {
public:
    explicit JsonWalk(std::string_view text)
        : m_text(text) {
        if (m_text.starts_with("\xEF\xBB\xBF"))
            m_at = 3;
    }
    std::size_t at() const { return m_at; }
    bool take(char expected) {
        space();
        if (m_at >= m_text.size() || m_text[m_at] != expected)
            return false;
        ++m_at;
        return true;
    }
    bool peek(char expected) {
        space();
        return m_at < m_text.size() && m_text[m_at] == expected;
    }
    // A string's raw bytes between its quotes.
    std::optional<std::string_view> string() {
        if (!take('"'))
            return std::nullopt;
        const std::size_t start = m_at;
        while (m_at < m_text.size() && m_text[m_at] != '"')
            m_at += m_text[m_at] == '\\' ? 2 : 1;
        if (m_at >= m_text.size())
            return std::nullopt;
        return m_text.substr(start, m_at++ - start);
    }
    bool value() {
        space();
        if (m_at >= m_text.size())
            return false;
        if (m_text[m_at] == '"')
            return string().has_value();
        if (m_text[m_at] != '{' && m_text[m_at] != '[') {
            while (m_at < m_text.size() &&
                   std::string_view(",]} \t\r\n").find(m_text[m_at]) == std::string_view::npos)
                ++m_at;
            return true;
        }
        int depth = 0;
        do {
            if (m_text[m_at] == '"') {
                if (!string())
                    return false;
                continue;
            }
            depth += m_text[m_at] == '{' || m_text[m_at] == '[' ? 1 : 0;
            depth -= m_text[m_at] == '}' || m_text[m_at] == ']' ? 1 : 0;
            ++m_at;
        } while (depth > 0 && m_at < m_text.size());
        return depth == 0;
    }
    void moveTo(std::size_t at) { m_at = at; }

private:
    void space() {
        while (m_at < m_text.size() &&
               std::string_view(" \t\r\n").find(m_text[m_at]) != std::string_view::npos)
            ++m_at;
    }
    std::string_view m_text;
    std::size_t m_at = 0;
};

// Calls member(key, walk) at each member's value of the object at the walk; member reads the
// value whole.
template <class Member>
bool eachMember(JsonWalk& walk, Member&& member) {
    if (!walk.take('{'))
        return false;
    if (walk.take('}'))
        return true;
    do {
        const std::optional<std::string_view> key = walk.string();
        if (!key || !walk.take(':') || !member(*key, walk))
            return false;
    } while (walk.take(','));
    return walk.take('}');
}

// The "id" member that leads an object whose first member starts at from: on a line of its
// own, indented as that member, when the object has its members a line each.
std::string idMember(std::string_view text, std::size_t from, const std::string& id, bool members) {
    const std::size_t next = text.find_first_not_of(" \t\r\n", from);
    const std::string_view space = text.substr(from, next - from);
    const std::size_t lineBreak = space.rfind('\n');
    if (!members || lineBreak == std::string_view::npos)
        return "\"id\": " + id + (members ? ", " : "");
    const std::string_view lineEnd = space.substr(0, lineBreak).ends_with('\r') ? "\r\n" : "\n";
    return std::string(lineEnd) + std::string(space.substr(lineBreak + 1)) + "\"id\": " + id + ",";
}

} // namespace

std::optional<std::string> withActionIds(std::string_view text, const ActionDefinitions& actions) {
    JsonWalk walk(text);
    std::optional<std::size_t> actionsAt; // the last "actions" counts, as the reader takes it
    if (!eachMember(walk,
                    [&](std::string_view key, JsonWalk& at) {
                        if (key == "actions")
                            actionsAt = at.at();
                        return at.value();
                    }) ||
        !actionsAt)
        return std::nullopt;
    struct Edit {
        std::size_t at;
        std::size_t length;
        std::string text;
    };
    std::vector<Edit> edits;
    walk.moveTo(*actionsAt);
    if (!walk.take('['))
        return std::nullopt;
    std::size_t index = 0;
    if (!walk.peek(']')) {
        do {
            if (index >= actions.size() || !walk.peek('{'))
                return std::nullopt;
            const std::size_t open = walk.at();
            const std::string id = std::to_string(actions[index].id);
            bool found = false;
            bool members = false;
            if (!eachMember(walk, [&](std::string_view key, JsonWalk& at) {
                    members = true;
                    if (key != "id")
                        return at.value();
                    at.peek('"'); // to the value's first byte
                    const std::size_t start = at.at();
                    if (!at.value())
                        return false;
                    edits.push_back({start, at.at() - start, id});
                    found = true;
                    return true;
                }))
                return std::nullopt;
            if (actions[index].id == 0) // none given: the file keeps what it has
                edits.erase(std::remove_if(edits.begin(), edits.end(),
                                           [&](const Edit& edit) { return edit.at > open; }),
                            edits.end());
            else if (!found)
                edits.push_back({open + 1, 0, idMember(text, open + 1, id, members)});
            ++index;
        } while (walk.take(','));
    }
    if (!walk.take(']') || index != actions.size())
        return std::nullopt;
    // The edits come in the text's order: the text is copied once around them.
    std::string out;
    out.reserve(text.size() + edits.size() * 16);
    std::size_t copied = 0;
    for (const Edit& edit : edits) {
        out.append(text.substr(copied, edit.at - copied));
        out += edit.text;
        copied = edit.at + edit.length;
    }
    out.append(text.substr(copied));
    return out;
}

std::optional<std::string> saveProjectFile(const std::string& path, const ProjectState& project,
                                           WithLocation withLocation) {
    return replaceFileAtomically(path, projectFileText(project, withLocation));
}

} // namespace vantrel
