#include "project/JsonDocument.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <new>
#include <utility>
#include <vector>

namespace vantrel {
namespace {

using simdjson::SUCCESS;

// Tokens shown in a message are cut to this many bytes.
constexpr std::size_t SHOWN_TOKEN = 24;

bool isJsonSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isStructural(char c) {
    return c == '{' || c == '}' || c == '[' || c == ']' || c == ',' || c == ':';
}

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The parser's first pass refuses the whole text for these; they are found again here only to
// say where. Each gives the text's length when it finds nothing.
std::size_t firstNonUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = utf8Length(text.substr(at));
        if (length == 0)
            return at;
        at += length;
    }
    return text.size();
}

// Strings as the first pass sees them: a quote opens one, an unescaped quote closes it.
template <class AtByte>
void scanStrings(std::string_view text, AtByte atByte) {
    bool inString = false;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (!atByte(at, inString))
            return;
        if (inString && text[at] == '\\')
            ++at;
        else if (text[at] == '"')
            inString = !inString;
    }
}

std::size_t firstControlInString(std::string_view text) {
    std::size_t found = text.size();
    scanStrings(text, [&](std::size_t at, bool inString) {
        if (inString && static_cast<unsigned char>(text[at]) < 0x20) {
            found = at;
            return false;
        }
        return true;
    });
    return found;
}

std::size_t unclosedString(std::string_view text) {
    std::size_t opened = text.size();
    scanStrings(text, [&](std::size_t at, bool inString) {
        if (!inString && text[at] == '"')
            opened = at;
        return true;
    });
    return opened;
}

// The first NUL byte from `from` on that no string holds, or npos.
std::size_t nulOutsideStrings(std::string_view text, std::size_t from) {
    std::size_t found = std::string_view::npos;
    scanStrings(text, [&](std::size_t at, bool inString) {
        if (at >= from && !inString && text[at] == '\0') {
            found = at;
            return false;
        }
        return true;
    });
    return found;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The parser refuses a number whose exponent has 20 digits or more; such a number is JSON all
// the same, and it is taken when its value is finite, as it always was: 0e99999999999999999999,
// 1e-99999999999999999999.
bool isFiniteLongExponentNumber(std::string_view token) {
    std::size_t at = token.starts_with('-') ? 1 : 0;
    const auto digits = [&] {
        const std::size_t start = at;
        while (at < token.size() && isDigit(token[at]))
            ++at;
        return at - start;
    };
    const std::size_t whole = digits();
    if (whole == 0 || (whole > 1 && token[at - whole] == '0'))
        return false;
    if (at < token.size() && token[at] == '.') {
        ++at;
        if (digits() == 0)
            return false;
    }
    if (at == token.size() || (token[at] != 'e' && token[at] != 'E'))
        return false;
    ++at;
    if (at < token.size() && (token[at] == '+' || token[at] == '-'))
        ++at;
    if (digits() < 20 || at != token.size())
        return false;
    static const locale_t cLocale = ::newlocale(LC_ALL_MASK, "C", locale_t{});
    return std::isfinite(::strtod_l(std::string(token).c_str(), nullptr, cLocale));
}

std::string hexByte(char c) {
    constexpr std::string_view DIGITS = "0123456789ABCDEF";
    const auto byte = static_cast<unsigned char>(c);
    return std::string("0x") + DIGITS[byte >> 4] + DIGITS[byte & 0xF];
}

} // namespace

std::size_t utf8Length(std::string_view bytes) {
    const auto lead = static_cast<unsigned char>(bytes[0]);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (bytes.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < low || byte > high)
            return 0;
        low = 0x80;
        high = 0xBF;
    }
    return length;
}

JsonDocument::JsonDocument(std::string text)
    : m_text(std::move(text)) {
    // A NUL byte outside a string has always ended the document, whatever follows it.
    if (const std::size_t nul = m_text.find('\0'); nul != std::string::npos) {
        const std::size_t end = nulOutsideStrings(m_text, nul);
        if (end != std::string::npos)
            m_text.resize(end);
    }
    m_textLength = m_text.size();
    m_text.insert(0, 1, '[');
    m_text += "\n]";
    m_length = m_text.size();
    m_text.resize(m_length + simdjson::SIMDJSON_PADDING);
    iterate();
}

bool JsonDocument::iterate() {
#if SIMDJSON_DEVELOPMENT_CHECKS
    // Unoptimised builds check the parser's use, and the depth against its limit (1024 by
    // default), which optimised builds never do: no document is deeper than it is long.
    if (m_parser.allocate(m_length, m_length) != SUCCESS)
        throw std::bad_alloc();
#endif
    const simdjson::padded_string_view view(m_text.data(), m_length, m_text.size());
    const simdjson::error_code error = m_parser.iterate(view).get(m_document);
    return error == SUCCESS || failText(error);
}

bool JsonDocument::root(Value& value) {
    if (m_fault)
        return false;
    simdjson::ondemand::array wrapper;
    simdjson::ondemand::array_iterator at;
    simdjson::ondemand::array_iterator end;
    if (m_document.get_array().get(wrapper) != SUCCESS || wrapper.begin().get(at) != SUCCESS ||
        wrapper.end().get(end) != SUCCESS)
        return fail(0, "the file cannot be read as JSON");
    if (!(at != end)) {
        // Closed at once: by our bracket when the text holds only white space, else by its ']'.
        std::size_t first = 1;
        while (first - 1 < m_textLength && isJsonSpace(m_text[first]))
            ++first;
        return fail(first, "expected a value, found " + found(first));
    }
    return (*at).get(value) == SUCCESS || fail(here(), "the file cannot be read as JSON");
}

bool JsonDocument::finish() {
    std::size_t at = here();
    if (at == m_unreadAt)
        at = m_afterUnread;
    if (at == m_length - 1) // our closing bracket
        return true;
    return fail(at, "expected the end of the file, found " + found(at));
}

std::optional<JsonDocument::Type> JsonDocument::typeOf(Value& value) {
    Type type{};
    if (value.type().get(type) == SUCCESS)
        return type;
    const std::size_t at = here();
    fail(at, "expected a value, found " + found(at));
    return std::nullopt;
}

bool JsonDocument::readString(Value& value, std::string_view& text) {
    // Most strings hold no escape: they are taken where they stand, not copied into the
    // parser's buffer. The raw token runs on through the white space after the closing quote.
    const std::string_view token = value.raw_json_token();
    const auto at = static_cast<std::size_t>(token.data() - m_text.data());
    const std::string_view inside = token.substr(1, token.find_last_of('"') - 1);
    simdjson::ondemand::raw_json_string raw;
    if (inside.find('\\') == std::string_view::npos &&
        value.get_raw_json_string().get(raw) == SUCCESS) {
        text = inside;
        return true;
    }
    if (value.get_string().get(text) == SUCCESS)
        return true;
    return fail(at, "bad escape sequence in the string " + found(at));
}

// The number and literal readers leave a value they refuse unread: the fault is where they are.
bool JsonDocument::readBool(Value& value, bool& flag) {
    if (value.get_bool().get(flag) == SUCCESS)
        return true;
    const std::size_t at = here();
    return fail(at, "expected true, false or null, found " + found(at));
}

bool JsonDocument::readNumber(Value& value, std::optional<std::uint32_t>& word) {
    word.reset();
    std::uint64_t whole = 0;
    if (value.get_uint64().get(whole) == SUCCESS) {
        if (whole <= 0xFFFFFFFFu)
            word = static_cast<std::uint32_t>(whole);
        return true;
    }
    // Any other number: negative, with a fraction or an exponent, or too large for 64 bits.
    double number = 0;
    if (value.get_double().get(number) == SUCCESS)
        return true;
    // The raw token runs on to the next token, through the white space after the number.
    const std::string_view token = value.raw_json_token();
    const auto at = static_cast<std::size_t>(token.data() - m_text.data());
    if (isFiniteLongExponentNumber(token.substr(0, token.find_first_of(" \t\n\r")))) {
        // Left in place for the containers' next step to pass; only finish() must know.
        m_unreadAt = at;
        m_afterUnread = at + token.size();
        return true;
    }
    return fail(at, "malformed or out-of-range number " + found(at));
}

bool JsonDocument::readScalar(Value& value, Type type) {
    switch (type) {
    case Type::string: {
        std::string_view text;
        return readString(value, text);
    }
    case Type::number: {
        std::optional<std::uint32_t> word;
        return readNumber(value, word);
    }
    case Type::boolean: {
        bool flag = false;
        return readBool(value, flag);
    }
    case Type::null: {
        bool isNull = false;
        if (value.is_null().get(isNull) == SUCCESS && isNull)
            return true;
        const std::size_t at = here();
        return fail(at, "expected true, false or null, found " + found(at));
    }
    default:
        return fail(here(), "the file cannot be read as JSON");
    }
}

// Iterative, so that no depth of nesting can exhaust the stack.
bool JsonDocument::skip(Value& value) {
    struct Open {
        bool isObject;
        ObjectCursor object;
        ArrayCursor array;
    };
    std::vector<Open> containers;
    Value current = value;
    for (;;) {
        const std::optional<Type> type = typeOf(current);
        if (!type)
            return false;
        if (*type == Type::object) {
            containers.push_back({true, {}, {}});
            if (!open(current, containers.back().object))
                return false;
        } else if (*type == Type::array) {
            containers.push_back({false, {}, {}});
            if (!open(current, "an element", containers.back().array))
                return false;
        } else if (!readScalar(current, *type)) {
            return false;
        }
        // On to the next value, closing the containers that end first.
        for (;;) {
            if (containers.empty())
                return true;
            Open& innermost = containers.back();
            std::string_view key;
            const Step step = innermost.isObject ? next(innermost.object, key, current)
                                                 : next(innermost.array, current);
            if (step == Step::Fault)
                return false;
            if (step == Step::Next)
                break;
            containers.pop_back();
        }
    }
}

bool JsonDocument::open(Value& value, ObjectCursor& cursor) {
    simdjson::ondemand::object object;
    if (value.get_object().get(object) != SUCCESS || object.begin().get(cursor.at) != SUCCESS ||
        object.end().get(cursor.end) != SUCCESS)
        return fail(here(), "the file cannot be read as JSON");
    return true;
}

JsonDocument::Step JsonDocument::next(ObjectCursor& cursor, std::string_view& key, Value& value) {
    if (cursor.started)
        ++cursor.at;
    if (!(cursor.at != cursor.end))
        return Step::End;
    const std::size_t keyAt = here();
    simdjson::ondemand::field field;
    if ((*cursor.at).get(field) != SUCCESS) {
        // The parser has stopped on the token it refused: the separator after the last member,
        // which stands before keyAt, the key, or what stands where the colon should.
        const std::size_t at = here();
        if (at < keyAt)
            fail(at, "expected ',' or '}' after the value of " + found(cursor.lastKeyAt) +
                         ", found " + found(at));
        else if (m_text[keyAt] != '"')
            fail(keyAt, std::string("expected a key in double quotes") +
                            (cursor.started ? "" : " or '}'") + ", found " + found(keyAt));
        else
            fail(at, "expected ':' after the key " + found(keyAt) + ", found " + found(at));
        return Step::Fault;
    }
    // A key without escapes is taken where it stands, as a string is (see readString). Keys
    // are short: a loop finds their end sooner than a library call.
    const char* const start = field.key().raw();
    const char* end = start;
    while (*end != '"' && *end != '\\')
        ++end;
    key = std::string_view(start, static_cast<std::size_t>(end - start));
    if (*end == '\\' && field.unescaped_key().get(key) != SUCCESS) {
        fail(keyAt, "bad escape sequence in the key " + found(keyAt));
        return Step::Fault;
    }
    value = field.value();
    cursor.lastKeyAt = keyAt;
    cursor.started = true;
    return Step::Next;
}

bool JsonDocument::open(Value& value, std::string_view elementName, ArrayCursor& cursor) {
    cursor.elementName = elementName;
    simdjson::ondemand::array array;
    if (value.get_array().get(array) != SUCCESS || array.begin().get(cursor.at) != SUCCESS ||
        array.end().get(cursor.end) != SUCCESS)
        return fail(here(), "the file cannot be read as JSON");
    return true;
}

JsonDocument::Step JsonDocument::next(ArrayCursor& cursor, Value& value) {
    if (cursor.count > 0)
        ++cursor.at;
    const auto expected = [&] {
        return "expected ',' or ']' after " + std::string(cursor.elementName);
    };
    if (!(cursor.at != cursor.end)) {
        if (here() < m_length)
            return Step::End;
        // The text ended inside the array, and our bracket closed it.
        fail(m_length, (cursor.count == 0 ? std::string("expected a value or ']'") : expected()) +
                           ", found the end of the file");
        return Step::Fault;
    }
    if ((*cursor.at).get(value) != SUCCESS) {
        // The parser has stopped on the separator it refused.
        const std::size_t at = here();
        fail(at, expected() + ", found " + found(at));
        return Step::Fault;
    }
    ++cursor.count;
    return Step::Next;
}

std::size_t JsonDocument::here() {
    const char* at = nullptr;
    if (m_document.current_location().get(at) != SUCCESS)
        return m_length;
    return static_cast<std::size_t>(at - m_text.data());
}

bool JsonDocument::fail(std::size_t offset, std::string reason) {
    if (m_fault)
        return false;
    // Offsets past the text, on our bracket or the parser's end mark, are its end.
    const std::string_view before = text().substr(0, offset == 0 ? 0 : offset - 1);
    JsonFault fault;
    for (const char c : before) {
        if (c == '\n') {
            ++fault.line;
            fault.column = 1;
        } else {
            ++fault.column;
        }
    }
    fault.reason = std::move(reason);
    m_fault = std::move(fault);
    return false;
}

// The first pass looks at the whole text before any value is read.
bool JsonDocument::failText(simdjson::error_code error) {
    const std::string_view text = this->text();
    switch (error) {
    case simdjson::UTF8_ERROR: {
        const std::size_t at = firstNonUtf8(text);
        return fail(at + 1, "expected UTF-8 text, found byte " +
                                (at < text.size() ? hexByte(text[at]) : std::string("?")));
    }
    case simdjson::UNESCAPED_CHARS: {
        const std::size_t at = firstControlInString(text);
        return fail(at + 1, "unescaped control character " +
                                (at < text.size() ? hexByte(text[at]) : std::string("?")) +
                                " in a string");
    }
    case simdjson::UNCLOSED_STRING:
        return fail(unclosedString(text) + 1,
                    "unclosed string: expected '\"' before the end of the file");
    case simdjson::CAPACITY:
        return fail(0, "the file is too large to read (4 GB at most)");
    case simdjson::MEMALLOC:
        throw std::bad_alloc();
    default:
        return fail(0, simdjson::error_message(error));
    }
}

// The token at an offset as a message shows it: a string with its quotes, anything else in
// single quotes, cut short when long.
std::string JsonDocument::found(std::size_t offset) const {
    if (offset == 0 || offset > m_textLength)
        return "the end of the file";
    const std::string_view rest = text().substr(offset - 1);
    std::size_t end = 1;
    if (rest[0] == '"') {
        while (end < rest.size() && rest[end] != '"')
            end += rest[end] == '\\' ? 2 : 1;
        end = std::min(end + 1, rest.size());
    } else if (!isStructural(rest[0])) {
        while (end < rest.size() && !isStructural(rest[end]) && !isJsonSpace(rest[end]))
            ++end;
    }
    std::string_view token = rest.substr(0, end);
    const bool cut = token.size() > SHOWN_TOKEN;
    if (cut) {
        std::size_t keep = SHOWN_TOKEN;
        while (keep > 0 && isContinuation(static_cast<unsigned char>(token[keep])))
            --keep;
        token = token.substr(0, keep);
    }
    const std::string shown = std::string(token) + (cut ? "..." : "");
    return rest[0] == '"' ? shown : "'" + shown + "'";
}

} // namespace vantrel
