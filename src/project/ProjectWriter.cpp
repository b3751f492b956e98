#include "project/ProjectWriter.h"

#include <algorithm>
#include <array>
#include <charconv>
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

// The bytes below go into room made for them ahead (see appendActions), each piece a copy
// without a check of its own: an action's text is hundreds of small pieces.
char* put(char* at, std::string_view text) {
    std::memcpy(at, text.data(), text.size());
    return at + text.size();
}

char* put(char* at, char c) {
    *at = c;
    return at + 1;
}

// What a JSON string of the text can take: six bytes for each of its bytes, and the quotes.
constexpr std::size_t stringRoom(std::string_view text) {
    return 2 + 6 * text.size();
}

// A JSON string: quotes, backslashes and control characters escaped. The reader takes UTF-8
// only, so a byte that starts no UTF-8 sequence becomes U+FFFD rather than a file that cannot
// be opened again.
char* putString(char* at, std::string_view text) {
    static constexpr char DIGITS[] = "0123456789abcdef";
    at = put(at, '"');
    for (std::size_t from = 0; from < text.size();) {
        // Printable ASCII, nearly all of any project, goes over in runs, found eight bytes at a
        // time: the answers of a large project are megabytes of it.
        std::size_t plain = from;
        for (std::uint64_t word; plain + sizeof word <= text.size(); plain += sizeof word) {
            std::memcpy(&word, text.data() + plain, sizeof word);
            if (anyNotPlain(word))
                break;
        }
        while (plain < text.size() && PLAIN_BYTES[static_cast<unsigned char>(text[plain])])
            ++plain;
        if (plain > from) {
            at = put(at, text.substr(from, plain - from));
            from = plain;
            continue;
        }
        const auto byte = static_cast<unsigned char>(text[from]);
        switch (byte) {
        case '"':
            at = put(at, "\\\"");
            break;
        case '\\':
            at = put(at, "\\\\");
            break;
        case '\b':
            at = put(at, "\\b");
            break;
        case '\f':
            at = put(at, "\\f");
            break;
        case '\n':
            at = put(at, "\\n");
            break;
        case '\r':
            at = put(at, "\\r");
            break;
        case '\t':
            at = put(at, "\\t");
            break;
        default:
            if (byte < 0x20) {
                at = put(at, "\\u00");
                at = put(at, DIGITS[byte >> 4]);
                at = put(at, DIGITS[byte & 0xF]);
            } else if (const std::size_t length = utf8Length(text.substr(from)); length > 0) {
                at = put(at, text.substr(from, length));
                from += length;
                continue;
            } else {
                at = put(at, "\xEF\xBF\xBD");
            }
            break;
        }
        ++from;
    }
    return put(at, '"');
}

void appendString(std::string& out, std::string_view text) {
    const std::size_t size = out.size();
    out.resize(size + stringRoom(text));
    out.resize(static_cast<std::size_t>(putString(out.data() + size, text) - out.data()));
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

char* putName(char* at, std::string_view name) {
    at = put(at, '"');
    at = put(at, name);
    return put(at, '"');
}

char* putNumber(char* at, std::uint32_t value) {
    return std::to_chars(at, at + 10, value).ptr;
}

// The flags as ACF_ names on the key's line, wrapped under the first one when the line gets
// too long; bits without a name cannot be spelt as names, so the number keeps them. column is
// where the value starts on its line.
char* putFlags(char* at, std::uint32_t flags, std::size_t column) {
    if ((flags & ~ACTION_FLAG_BITS) != 0)
        return putNumber(at, flags);
    at = put(at, '[');
    const std::size_t start = column + 1;
    std::size_t width = start;
    bool first = true;
    for (const ActionFlagName& entry : ACTION_FLAG_NAMES) {
        if ((flags & entry.bit) == 0)
            continue;
        const std::size_t size = entry.name.size() + 2; // with its quotes
        if (!first) {
            // Room for ", ", the name and the comma or bracket after it.
            if (width + 2 + size + 1 > LINE_WIDTH) {
                at = put(at, ",\n");
                at = std::fill_n(at, start, ' ');
                width = start;
            } else {
                at = put(at, ", ");
                width += 2;
            }
        }
        at = putName(at, entry.name);
        width += size;
        first = false;
    }
    return put(at, ']');
}

char* putCheckBox(char* at, std::int32_t value) {
    if (value == 0 || value == 1)
        return put(at, value != 0 ? std::string_view("true") : std::string_view("false"));
    return std::to_chars(at, at + 11, value).ptr;
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

// The most an action's members take besides their strings: each key on a line of its own with
// room for a number or a table's name, and every flag's name on a line of its own.
constexpr std::size_t ACTION_ROOM = [] {
    std::size_t room = 64; // the braces, their indent and line ends
    for (const ActionField& field : ACTION_FIELDS)
        room += 3 * INDENT.size() + field.key.size() + 64;
    for (const ActionFlagName& flag : ACTION_FLAG_NAMES)
        room += LINE_WIDTH + flag.name.size() + 8;
    return room;
}();

std::size_t actionRoom(const ActionDefinition& action) {
    std::size_t room = ACTION_ROOM;
    for (const ActionField& field : ACTION_FIELDS) {
        if (field.text != nullptr)
            room += stringRoom(action.*field.text);
    }
    return room;
}

// The action's members, each "key": value, leaving out what the defaults of its name give;
// defaults holds those the name has no part in. There must be actionRoom bytes at at.
char* putAction(char* at, const ActionDefinition& action, std::string_view indent,
                const ActionDefinition& defaults) {
    at = put(at, indent);
    at = put(at, "{\n");
    bool first = true;
    for (std::size_t f = 0; f < std::size(ACTION_FIELDS); ++f) {
        const ActionField& field = ACTION_FIELDS[f];
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
            if (NAMED_ROWS[f] >= 0
                    ? NAMED_DEFAULTS[NAMED_ROWS[f]].heldBy(action.*field.text, action.name)
                    : action.*field.text == defaults.*field.text)
                continue;
            break;
        }
        if (!first)
            at = put(at, ",\n");
        first = false;
        const char* lineStart = at;
        at = put(at, indent);
        at = put(at, INDENT);
        at = putName(at, field.key);
        at = put(at, ": ");
        switch (field.kind) {
        case ActionKey::Name:
        case ActionKey::Text:
            at = putString(at, action.*field.text);
            break;
        case ActionKey::Type:
            if (const char* name = rowName(action.type, procTypeTable))
                at = putName(at, name);
            else
                at = putNumber(at, action.type);
            break;
        case ActionKey::Flags:
            at = putFlags(at, action.flags, static_cast<std::size_t>(at - lineStart));
            break;
        case ActionKey::CheckBox:
            at = putCheckBox(at, action.*field.checkBox);
            break;
        }
    }
    at = put(at, '\n');
    at = put(at, indent);
    return put(at, '}');
}

bool appendActions(std::string& out, const std::vector<ActionDefinition>& actions,
                   const TextSink* sink) {
    if (actions.empty()) {
        out += "[]";
        return true;
    }
    const std::string indent = std::string(INDENT) + std::string(INDENT);
    ActionDefinition defaults;
    defaults.setActionDefaults({});
    // Room to spare for actions of a usual size, so that the text is not copied as it grows:
    // what is reserved and never written costs no memory.
    if (!sink)
        out.reserve(out.size() + actions.size() * 1024);
    out += "[\n";
    // The text is written up to used; the bytes after it are room made ahead, a piece's size
    // at a time, so that making room costs nothing per action.
    std::size_t used = out.size();
    for (std::size_t i = 0; i < actions.size(); ++i) {
        const std::size_t room = actionRoom(actions[i]) + 2;
        if (out.size() - used < room)
            out.resize(used + std::max(room, TEXT_PIECE_SIZE));
        char* at = putAction(out.data() + used, actions[i], indent, defaults);
        at = put(at, i + 1 < actions.size() ? ",\n" : "\n");
        used = static_cast<std::size_t>(at - out.data());
        if (sink && used >= TEXT_PIECE_SIZE) {
            if (!(*sink)(std::string_view(out.data(), used)))
                return false;
            used = 0;
        }
    }
    out.resize(used);
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
