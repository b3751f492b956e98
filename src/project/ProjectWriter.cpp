#include "project/ProjectWriter.h"

#include <array>
#include <cstdint>
#include <cstring>

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

// The bytes a JSON string holds as they are: printable ASCII but the quote and the backslash.
constexpr std::array<bool, 256> PLAIN_BYTES = [] {
    std::array<bool, 256> plain{};
    for (int c = 0x20; c < 0x80; ++c)
        plain[static_cast<std::size_t>(c)] = c != '"' && c != '\\';
    return plain;
}();

// Whether any of the eight bytes in word is not plain: below 0x20, the quote, the backslash or
// above 0x7F. Each test says exactly whether some byte matches, though not which.
constexpr bool anyNotPlain(std::uint64_t word) {
    constexpr std::uint64_t ONES = 0x0101010101010101u;
    constexpr std::uint64_t HIGH = 0x8080808080808080u;
    const auto below = [](std::uint64_t v, std::uint64_t n) {
        return (v - ONES * n) & ~v & HIGH;
    };
    return ((word & HIGH) | below(word, 0x20) | below(word ^ (ONES * '"'), 1) |
            below(word ^ (ONES * '\\'), 1)) != 0;
}

// Any one byte, in any place among plain ones, tells as the table does.
static_assert([] {
    for (std::size_t c = 0; c < 256; ++c)
        for (std::size_t at = 0; at < 64; at += 8) {
            const std::uint64_t word =
                (0x6161616161616161u & ~(std::uint64_t{0xFF} << at)) | std::uint64_t{c} << at;
            if (anyNotPlain(word) == PLAIN_BYTES[c])
                return false;
        }
    return true;
}());

// A JSON string: quotes, backslashes and control characters escaped. The reader takes UTF-8
// only, so a byte that starts no UTF-8 sequence becomes U+FFFD rather than a file that cannot
// be opened again.
void appendString(std::string& out, std::string_view text) {
    static constexpr char DIGITS[] = "0123456789abcdef";
    out += '"';
    for (std::size_t at = 0; at < text.size();) {
        // Printable ASCII, nearly all of any project, goes over in runs, found eight bytes at a
        // time: the answers of a large project are megabytes of it.
        std::size_t plain = at;
        for (std::uint64_t word; plain + sizeof word <= text.size(); plain += sizeof word) {
            std::memcpy(&word, text.data() + plain, sizeof word);
            if (anyNotPlain(word))
                break;
        }
        while (plain < text.size() && PLAIN_BYTES[static_cast<unsigned char>(text[plain])])
            ++plain;
        if (plain > at) {
            out.append(text, at, plain - at);
            at = plain;
            continue;
        }
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

// A key or a name from the schema's and flags' own tables, which hold plain identifiers: no
// byte of them needs looking at, and a large project writes tens of thousands of them.
void appendName(std::string& out, std::string_view name) {
    out += '"';
    out.append(name);
    out += '"';
}

constexpr bool isPlain(std::string_view name) {
    for (char c : name)
        if (!PLAIN_BYTES[static_cast<unsigned char>(c)])
            return false;
    return true;
}

constexpr bool allPlain(const auto& table, auto name) {
    for (const auto& row : table)
        if (!isPlain(row.*name))
            return false;
    return true;
}

static_assert(allPlain(ACTION_FLAG_NAMES, &ActionFlagName::name) &&
              allPlain(ACTION_FIELDS, &ActionField::key) &&
              allPlain(PROJECT_FIELDS, &ProjectField::key) &&
              allPlain(HOST_NAMES, &HostName::name));

// The name of the row whose value the word is, when the reader maps that name back to it.
const char* rowName(std::uint32_t word, const FlagNameRow* rows) {
    for (const FlagNameRow* row = rows; row->value != 0; ++row) {
        if (row->value == word)
            return row->name;
    }
    return nullptr;
}

// The flags as ACF_ names on the key's line, wrapped under the first one when the line gets
// too long; bits without a name cannot be spelt as names, so the number keeps them. column is
// where the value starts on its line.
void appendFlags(std::string& out, std::uint32_t flags, std::size_t column) {
    if ((flags & ~ACTION_FLAG_BITS) != 0) {
        out += std::to_string(flags);
        return;
    }
    out += '[';
    const std::size_t start = column + 1;
    std::size_t at = start;
    bool first = true;
    for (const ActionFlagName& entry : ACTION_FLAG_NAMES) {
        if ((flags & entry.bit) == 0)
            continue;
        const std::size_t size = std::string_view(entry.name).size() + 2; // with its quotes
        if (!first) {
            // Room for ", ", the name and the comma or bracket after it.
            if (at + 2 + size + 1 > LINE_WIDTH) {
                out += ",\n";
                out.append(start, ' ');
                at = start;
            } else {
                out += ", ";
                at += 2;
            }
        }
        appendName(out, entry.name);
        at += size;
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

// The action's members, each "key": value, leaving out what the defaults of its name give.
// Written straight into the text: a large project has tens of thousands of them.
void appendAction(std::string& out, const ActionDefinition& action, std::string_view indent,
                  ActionDefinition& defaults) {
    defaults.setNamedDefaults(action.name);
    out.append(indent).append("{\n");
    bool first = true;
    for (const ActionField& field : ACTION_FIELDS) {
        switch (field.kind) {
        case ActionKey::Name:
            break;
        case ActionKey::Type:
            if (action.type == defaults.type)
                continue;
            break;
        case ActionKey::Flags:
            if (action.flags == defaults.flags)
                continue;
            break;
        case ActionKey::CheckBox:
            if (action.*field.checkBox == defaults.*field.checkBox)
                continue;
            break;
        case ActionKey::Text:
            if (action.*field.text == defaults.*field.text)
                continue;
            break;
        }
        if (!first)
            out += ",\n";
        first = false;
        const std::size_t lineStart = out.size();
        out.append(indent).append(INDENT);
        appendName(out, field.key);
        out += ": ";
        switch (field.kind) {
        case ActionKey::Name:
        case ActionKey::Text:
            appendString(out, action.*field.text);
            break;
        case ActionKey::Type:
            if (const char* name = rowName(action.type, procTypeTable))
                appendName(out, name);
            else
                out += std::to_string(action.type);
            break;
        case ActionKey::Flags:
            appendFlags(out, action.flags, out.size() - lineStart);
            break;
        case ActionKey::CheckBox:
            appendCheckBox(out, action.*field.checkBox);
            break;
        }
    }
    out += '\n';
    out.append(indent).append("}");
}

bool appendActions(std::string& out, const std::vector<ActionDefinition>& actions,
                   const TextSink* sink) {
    if (actions.empty()) {
        out += "[]";
        return true;
    }
    const std::string indent = std::string(INDENT) + std::string(INDENT);
    // The defaults that do not depend on the name are set once; its strings' buffers serve
    // every action in turn.
    ActionDefinition defaults;
    defaults.setActionDefaults({});
    // Room to spare for actions of a usual size, so that the text is not copied as it grows:
    // what is reserved and never written costs no memory.
    if (!sink)
        out.reserve(out.size() + actions.size() * 1024);
    out += "[\n";
    for (std::size_t i = 0; i < actions.size(); ++i) {
        appendAction(out, actions[i], indent, defaults);
        out += i + 1 < actions.size() ? ",\n" : "\n";
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
                       const TextSink* sink) {
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
            appendString(value, project.nameText);
            break;
        case ProjectKey::Location:
            if (withLocation == WithLocation::No)
                continue;
            appendString(value, project.locationBase);
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
        if (field.kind == ProjectKey::Actions && !appendActions(out, project.actions, sink))
            return false;
        if (field.kind != ProjectKey::Actions)
            out.append(value);
        first = false;
    }
    out += "\n}\n";
    return true;
}

} // namespace

std::string projectFileText(const ProjectState& project, WithLocation withLocation) {
    std::string out;
    appendProjectFile(out, project, withLocation, nullptr);
    return out;
}

bool writeProjectFile(const ProjectState& project, WithLocation withLocation,
                      const TextSink& sink) {
    std::string piece;
    piece.reserve(TEXT_PIECE_SIZE * 2);
    return appendProjectFile(piece, project, withLocation, &sink) && sink(piece);
}

std::optional<std::string> saveProjectFile(const std::string& path, const ProjectState& project,
                                           WithLocation withLocation) {
    return replaceFileAtomically(path, projectFileText(project, withLocation));
}

} // namespace vantrel
