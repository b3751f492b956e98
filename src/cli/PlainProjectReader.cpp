#include "cli/PlainProjectReader.h"

#include "cli/JsonBytes.h"
#include "cli/ProjectValues.h"
#include "model/FlagNames.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <iterator>
#include <limits>
#include <memory>
#include <utility>

namespace vantrel {
namespace {

using namespace projectvalues;
using namespace jsonbytes;

constexpr std::size_t CHUNK_SIZE = 64 * 1024;
// Some 140 KB a block: large enough that the allocator maps each one apart and hands it back
// as soon as the project's list has taken it over, leaving no holes in the heap.
constexpr std::size_t ACTION_BLOCK_SIZE = 256;

// Thrown to drop the document for the library's reader; never leaves this file.
struct NotPlain {};

[[noreturn]] void notPlain() {
    throw NotPlain{};
}

// The converters name the key in what they throw; here a refusal only means "not plain".
const std::string UNNAMED_KEY;

enum RootKey : std::uint32_t {
    ROOT_HOST = 1u << 0,
    ROOT_NAME = 1u << 1,
    ROOT_LOCATION = 1u << 2,
    ROOT_DLL_FLAGS = 1u << 3,
    ROOT_ACTIONS = 1u << 4,
};

std::uint32_t rootKeyOf(std::string_view key) {
    if (key == "host")
        return ROOT_HOST;
    if (key == "name")
        return ROOT_NAME;
    if (key == "location")
        return ROOT_LOCATION;
    if (key == "dllFlags")
        return ROOT_DLL_FLAGS;
    if (key == "actions")
        return ROOT_ACTIONS;
    notPlain();
}

enum class FieldKind {
    Name,
    Type,
    Flags,
    IndivInterface,
    StaticMemBuf,
    Text,
};

struct ActionField {
    std::string_view key;
    FieldKind kind;
    std::string ActionDefinition::*text; // for Text
};

constexpr std::size_t TEXT_FIELD_COUNT = std::size(ACTION_TEXT_FIELDS);

// Every key an action may have; its place in the table is its bit in the keys seen.
constexpr std::array<ActionField, 5 + TEXT_FIELD_COUNT> ACTION_FIELDS = [] {
    std::array<ActionField, 5 + TEXT_FIELD_COUNT> fields{{
        {"name", FieldKind::Name, nullptr},
        {"type", FieldKind::Type, nullptr},
        {"flags", FieldKind::Flags, nullptr},
        {"indivInterface", FieldKind::IndivInterface, nullptr},
        {"staticMemBuf", FieldKind::StaticMemBuf, nullptr},
    }};
    for (std::size_t i = 0; i < TEXT_FIELD_COUNT; ++i)
        fields[5 + i] = {ACTION_TEXT_FIELDS[i].key, FieldKind::Text, ACTION_TEXT_FIELDS[i].field};
    return fields;
}();
static_assert(ACTION_FIELDS.size() <= 32, "the keys seen are bits of one word");

// An action key with its closing quote as the two words of a 16-byte load, and which of their
// bytes count: a key is told at a glance when it is the one expected.
struct KeyPattern {
    std::array<std::uint64_t, 2> bytes;
    std::array<std::uint64_t, 2> mask;
};

constexpr std::array<KeyPattern, ACTION_FIELDS.size()> ACTION_KEY_PATTERNS = [] {
    std::array<KeyPattern, ACTION_FIELDS.size()> patterns{};
    for (std::size_t i = 0; i < ACTION_FIELDS.size(); ++i) {
        const std::string_view key = ACTION_FIELDS[i].key;
        std::array<char, 16> bytes{};
        std::array<char, 16> mask{};
        for (std::size_t k = 0; k <= key.size(); ++k) {
            bytes[k] = k < key.size() ? key[k] : '"';
            mask[k] = static_cast<char>(0xFF);
        }
        patterns[i] = {std::bit_cast<std::array<std::uint64_t, 2>>(bytes),
                       std::bit_cast<std::array<std::uint64_t, 2>>(mask)};
    }
    return patterns;
}();
static_assert(std::ranges::all_of(ACTION_FIELDS,
                                  [](const ActionField& f) { return f.key.size() < 16; }),
              "a key and its quote fit one 16-byte load");

std::size_t actionFieldOf(std::string_view key) {
    for (std::size_t i = 0; i < ACTION_FIELDS.size(); ++i)
        if (ACTION_FIELDS[i].key == key)
            return i;
    notPlain();
}

// Copies the fields seen, other than the name, from one action into another.
void layOver(ActionDefinition& from, std::uint32_t seen, ActionDefinition& to) {
    for (std::size_t index = 1; index < ACTION_FIELDS.size(); ++index) {
        if ((seen & (1u << index)) == 0)
            continue;
        switch (ACTION_FIELDS[index].kind) {
        case FieldKind::Name:
            break;
        case FieldKind::Type:
            to.type = from.type;
            break;
        case FieldKind::Flags:
            to.flags = from.flags;
            break;
        case FieldKind::IndivInterface:
            to.indivInterface = from.indivInterface;
            break;
        case FieldKind::StaticMemBuf:
            to.staticMemBuf = from.staticMemBuf;
            break;
        case FieldKind::Text:
            to.*ACTION_FIELDS[index].text = std::move(from.*ACTION_FIELDS[index].text);
            break;
        }
    }
}

json wordValue(std::uint32_t word) {
    return json(static_cast<json::number_unsigned_t>(word));
}

void appendUtf8(std::string& text, std::uint32_t codePoint) {
    if (codePoint < 0x80) {
        text += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        text += static_cast<char>(0xC0 | (codePoint >> 6));
        text += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        text += static_cast<char>(0xE0 | (codePoint >> 12));
        text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (codePoint >> 18));
        text += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

} // namespace

PlainProjectReader::PlainProjectReader(std::FILE* file)
    : m_file(file)
    , m_buffer(std::make_unique_for_overwrite<char[]>(CHUNK_SIZE)) {}

PlainProjectReader::PlainProjectReader(std::string_view text)
    : m_pos(text.data())
    , m_end(text.data() + text.size()) {}

PlainProjectReader::Result PlainProjectReader::read(ProjectState& project) {
    try {
        Root root;
        readRoot(root);
        if (!atEnd() || (root.seen & ROOT_HOST) == 0)
            return Result::NotPlain;
        const std::string host = upperAscii(root.host);
        if (host != "KEL" && host != "DOV")
            return Result::NotPlain;

        // Filled in a copy, as the library's reader does, so nothing half-done reaches the caller.
        ProjectState result = project;
        result.kelHost = host == "KEL" ? 1 : 0;
        result.dovHost = host == "DOV" ? 1 : 0;
        if ((root.seen & ROOT_NAME) != 0)
            result.nameText = std::move(root.name);
        if ((root.seen & ROOT_LOCATION) != 0) {
            result.locationBase = std::move(root.location);
            result.locationText = result.locationBase;
        }
        if ((root.seen & ROOT_DLL_FLAGS) != 0)
            result.dllFlags = root.dllFlags;
        if ((root.seen & ROOT_ACTIONS) != 0) {
            result.actions.clear();
            root.actions.moveInto(result.actions);
        }
        project = std::move(result);
        return Result::Applied;
    } catch (const NotPlain&) {
    } catch (const std::exception&) {
        // A converter's refusal, or memory running out: the library's reader says what it is.
    }
    return Result::NotPlain;
}

ActionDefinition& PlainProjectReader::ReadActions::emplaceBack() {
    if (m_blocks.empty() || m_blocks.back().size() == ACTION_BLOCK_SIZE) {
        m_blocks.emplace_back();
        m_blocks.back().reserve(ACTION_BLOCK_SIZE);
    }
    ++m_count;
    return m_blocks.back().emplace_back();
}

void PlainProjectReader::ReadActions::moveInto(std::vector<ActionDefinition>& list) {
    list.reserve(list.size() + m_count); // no doubling: a large project stays small
    // Read actions carry no edit marks, so moving them stores what appendAction would.
    for (std::vector<ActionDefinition>& block : m_blocks) {
        list.insert(list.end(), std::make_move_iterator(block.begin()),
                    std::make_move_iterator(block.end()));
        std::vector<ActionDefinition>().swap(block);
    }
    m_blocks.clear();
    m_count = 0;
}

bool PlainProjectReader::refill() {
    if (m_file == nullptr)
        return false;
    const std::size_t size = std::fread(m_buffer.get(), 1, CHUNK_SIZE, m_file);
    if (size == 0) {
        if (std::ferror(m_file) != 0)
            notPlain();
        return false;
    }
    m_pos = m_buffer.get();
    m_end = m_pos + size;
    return true;
}

// The next byte that is not JSON white space, left unread; the end of the input is not plain.
inline char PlainProjectReader::nextToken() {
    m_pos = skipSpaceBytes(m_pos, m_end);
    return m_pos != m_end ? *m_pos : skipSpace();
}

char PlainProjectReader::skipSpace() {
    for (;;) {
        m_pos = skipSpaceBytes(m_pos, m_end);
        if (m_pos != m_end)
            return *m_pos;
        if (!refill())
            notPlain();
    }
}

inline void PlainProjectReader::expect(char token) {
    if (nextToken() != token)
        notPlain();
    ++m_pos;
}

// Only white space up to the end of the input, all of it read without error.
bool PlainProjectReader::atEnd() {
    for (;;) {
        m_pos = skipSpaceBytes(m_pos, m_end);
        if (m_pos != m_end)
            return false;
        if (!refill())
            return true;
    }
}

unsigned char PlainProjectReader::take() {
    if (m_pos == m_end && !refill())
        notPlain();
    return static_cast<unsigned char>(*m_pos++);
}

int PlainProjectReader::peekByte() {
    if (m_pos == m_end && !refill())
        return -1;
    return static_cast<unsigned char>(*m_pos);
}

// Each root key at most once: a repeated key means the library's rule of the last one winning.
void PlainProjectReader::readRoot(Root& root) {
    expect('{');
    for (;;) {
        const std::uint32_t key = rootKeyOf(readKey());
        expect(':');
        if ((root.seen & key) != 0)
            notPlain();
        root.seen |= key;
        switch (key) {
        case ROOT_HOST:
            readText(root.host);
            break;
        case ROOT_NAME:
            readText(root.name);
            break;
        case ROOT_LOCATION:
            readText(root.location);
            break;
        case ROOT_DLL_FLAGS:
            if (nextToken() == '"') {
                readText(m_text);
                root.dllFlags = dllFlagsOf(json(m_text));
            } else {
                root.dllFlags = dllFlagsOf(wordValue(readWord()));
            }
            break;
        default:
            readActions(root.actions);
            break;
        }
        if (listEnds('}'))
            return;
    }
}

// After a member or an element: true at the closing bracket, false at a comma; anything else
// is not plain.
inline bool PlainProjectReader::listEnds(char close) {
    const char token = nextToken();
    ++m_pos;
    if (token == close)
        return true;
    if (token != ',')
        notPlain();
    return false;
}

void PlainProjectReader::readActions(ReadActions& actions) {
    expect('[');
    if (nextToken() == ']') {
        ++m_pos;
        return;
    }
    for (;;) {
        readAction(actions.emplaceBack());
        if (listEnds(']'))
            return;
    }
}

// The defaults depend on the name. Fields given before it are gathered and laid over the
// defaults once it comes; fields after it go straight in, as the library's reader sets them.
void PlainProjectReader::readAction(ActionDefinition& action) {
    expect('{');
    m_nextField = m_firstField;
    std::unique_ptr<ActionDefinition> early; // rare: only for fields before the name
    ActionDefinition* fields = nullptr;      // the action itself once it has its name
    std::uint32_t seen = 0;
    for (;;) {
        const std::size_t index = readActionKey();
        expect(':');
        if ((seen & (1u << index)) != 0)
            notPlain();
        seen |= 1u << index;
        if (seen == 1u << index)
            m_firstField = index;
        m_nextField = index + 1 < ACTION_FIELDS.size() ? index + 1 : 0;
        if (ACTION_FIELDS[index].kind == FieldKind::Name) {
            readText(m_text);
            action.setActionDefaults(m_text);
            if (early)
                layOver(*early, seen, action);
            fields = &action;
        } else {
            if (fields == nullptr) {
                early = std::make_unique<ActionDefinition>();
                fields = early.get();
            }
            readField(index, *fields);
        }
        if (listEnds('}'))
            break;
    }
    if ((seen & 1u) == 0) // no name
        notPlain();
}

inline void PlainProjectReader::readField(std::size_t fieldIndex, ActionDefinition& action) {
    const ActionField& field = ACTION_FIELDS[fieldIndex];
    switch (field.kind) {
    case FieldKind::Name:
        break;
    case FieldKind::Text:
        readText(action.*field.text);
        break;
    case FieldKind::Type:
        if (nextToken() == '"') {
            readText(m_text);
            // The same reading as procTypeOf gives a name; every row has a non-zero value.
            std::uint32_t type = 0;
            parseFlagNames(m_text, type, procTypeTable);
            if (type == 0)
                notPlain();
            action.type = type;
        } else {
            action.type = procTypeOf(wordValue(readWord()), UNNAMED_KEY);
        }
        break;
    case FieldKind::Flags:
        action.flags = nextToken() == '[' ? readFlagNames()
                                          : actionFlagsOf(wordValue(readWord()), UNNAMED_KEY);
        break;
    case FieldKind::IndivInterface:
        action.indivInterface = readCheckBox();
        break;
    case FieldKind::StaticMemBuf:
        action.staticMemBuf = readCheckBox();
        break;
    }
}

// An array of ACF_ names, each spelt exactly; the empty array is no flag at all.
std::uint32_t PlainProjectReader::readFlagNames() {
    expect('[');
    std::uint32_t flags = 0;
    if (nextToken() == ']') {
        ++m_pos;
        return flags;
    }
    for (;;) {
        readText(m_text);
        std::uint32_t bit = 0;
        for (const ActionFlagName& entry : ACTION_FLAG_NAMES)
            if (m_text == entry.name)
                bit = entry.bit;
        if (bit == 0)
            notPlain();
        flags |= bit;
        if (listEnds(']'))
            return flags;
    }
}

std::int32_t PlainProjectReader::readCheckBox() {
    const char token = nextToken();
    if (m_end - m_pos >= 5) { // the usual case, told without a call
        if (std::memcmp(m_pos, "true", 4) == 0) {
            m_pos += 4;
            return 1;
        }
        if (std::memcmp(m_pos, "false", 5) == 0) {
            m_pos += 5;
            return 0;
        }
    }
    if (token == 't' || token == 'f')
        return readBool() ? 1 : 0;
    return checkBoxOf(wordValue(readWord()), UNNAMED_KEY);
}

inline void PlainProjectReader::readText(std::string& text) {
    expect('"');
    readString(text);
}

// A member name, read in place while the chunk holds it whole: valid only until the next byte
// is read.
std::string_view PlainProjectReader::readKey() {
    expect('"');
    return readKeyAfterQuote();
}

std::string_view PlainProjectReader::readKeyAfterQuote() {
    const char* const end = skipPlainBytes(m_pos, m_end);
    if (end != m_end && *end == '"') {
        const std::string_view key(m_pos, static_cast<std::size_t>(end - m_pos));
        m_pos = end + 1;
        return key;
    }
    readString(m_key);
    return m_key;
}

// The index of the action key that comes next. The one most likely to come is compared in
// place first: its bytes followed by a quote can be no other key.
std::size_t PlainProjectReader::readActionKey() {
    expect('"');
    if (m_end - m_pos >= 16) {
        std::array<std::uint64_t, 2> words{};
        std::memcpy(words.data(), m_pos, 16);
        const KeyPattern& likely = ACTION_KEY_PATTERNS[m_nextField];
        if ((words[0] & likely.mask[0]) == likely.bytes[0] &&
            (words[1] & likely.mask[1]) == likely.bytes[1]) {
            m_pos += ACTION_FIELDS[m_nextField].key.size() + 1;
            return m_nextField;
        }
    }
    return actionFieldOf(readKeyAfterQuote());
}

// The rest of a string after its opening quote, unescaped; the text is replaced.
void PlainProjectReader::readString(std::string& text) {
    const char* const plainEnd = skipPlainBytes(m_pos, m_end);
    if (plainEnd != m_end && *plainEnd == '"') { // the usual string: whole, nothing to unescape
        text.clear();
        text.append(m_pos, plainEnd);
        m_pos = plainEnd + 1;
        return;
    }
    text.clear();
    for (;;) {
        const char* const start = m_pos;
        m_pos = skipPlainBytes(m_pos, m_end);
        text.append(start, m_pos);
        if (m_pos == m_end) {
            if (!refill())
                notPlain();
            continue;
        }
        const auto byte = static_cast<unsigned char>(*m_pos++);
        if (byte == '"')
            return;
        if (byte == '\\')
            readEscape(text);
        else if (byte >= 0x80)
            readMultiByte(byte, text);
        else
            notPlain(); // a control character
    }
}

void PlainProjectReader::readEscape(std::string& text) {
    switch (take()) {
    case '"':
        text += '"';
        return;
    case '\\':
        text += '\\';
        return;
    case '/':
        text += '/';
        return;
    case 'b':
        text += '\b';
        return;
    case 'f':
        text += '\f';
        return;
    case 'n':
        text += '\n';
        return;
    case 'r':
        text += '\r';
        return;
    case 't':
        text += '\t';
        return;
    case 'u':
        break;
    default:
        notPlain();
    }
    std::uint32_t codePoint = readHex4();
    if (codePoint >= 0xD800 && codePoint <= 0xDBFF) {
        // A high surrogate counts only with its low half escaped right after it.
        if (take() != '\\' || take() != 'u')
            notPlain();
        const std::uint32_t low = readHex4();
        if (low < 0xDC00 || low > 0xDFFF)
            notPlain();
        codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (low - 0xDC00);
    } else if (codePoint >= 0xDC00 && codePoint <= 0xDFFF) {
        notPlain();
    }
    appendUtf8(text, codePoint);
}

std::uint32_t PlainProjectReader::readHex4() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        const unsigned char digit = take();
        value <<= 4;
        if (digit >= '0' && digit <= '9')
            value |= digit - '0';
        else if (digit >= 'a' && digit <= 'f')
            value |= digit - 'a' + 10;
        else if (digit >= 'A' && digit <= 'F')
            value |= digit - 'A' + 10;
        else
            notPlain();
    }
    return value;
}

// Well-formed UTF-8 only: no overlong forms, surrogates or code points past U+10FFFF, the
// same bytes the library's reader lets through.
void PlainProjectReader::readMultiByte(unsigned char lead, std::string& text) {
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    int following = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        following = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        following = 2;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        following = 3;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        notPlain();
    }
    text += static_cast<char>(lead);
    for (int i = 0; i < following; ++i) {
        const unsigned char byte = take();
        if (byte < low || byte > high)
            notPlain();
        text += static_cast<char>(byte);
        low = 0x80;
        high = 0xBF;
    }
}

// A non-negative integer that fits a flag word, without sign, fraction, exponent or leading
// zero; whatever else the library would read as a number is not plain.
std::uint32_t PlainProjectReader::readWord() {
    std::uint64_t value = 0;
    int digits = 0; // counted up to one past the most a flag word can have
    char first = 0;
    for (;;) {
        const char* p = m_pos;
        for (; p != m_end && *p >= '0' && *p <= '9' && digits <= 10; ++p) {
            if (digits++ == 0)
                first = *p;
            value = value * 10 + static_cast<std::uint64_t>(*p - '0');
        }
        m_pos = p;
        if (p != m_end || !refill())
            break;
    }
    const int next = peekByte();
    if (digits == 0 || digits > 10 || (digits > 1 && first == '0') || next == '.' || next == 'e' ||
        next == 'E' || value > std::numeric_limits<std::uint32_t>::max())
        notPlain();
    return static_cast<std::uint32_t>(value);
}

bool PlainProjectReader::readBool() {
    const bool value = nextToken() == 't';
    const std::string_view word = value ? "true" : "false";
    if (static_cast<std::size_t>(m_end - m_pos) >= word.size()) {
        if (std::string_view(m_pos, word.size()) != word)
            notPlain();
        m_pos += word.size();
        return value;
    }
    for (const char letter : word)
        if (take() != static_cast<unsigned char>(letter))
            notPlain();
    return value;
}

} // namespace vantrel
