#pragma once

#include <simdjson.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// The length of the well-formed UTF-8 sequence at the start of bytes (not empty), or 0 when
// there is none: no overlong forms, surrogates or code points past U+10FFFF.
std::size_t utf8Length(std::string_view bytes);

// Where a JSON text stops being JSON, and why, in plain words.
struct JsonFault {
    std::size_t line = 1;   // from 1
    std::size_t column = 1; // from 1, in bytes
    std::string reason;     // "expected ',' or '}' after the value of \"host\", found \"name\""
};

// A JSON text read through simdjson's On-Demand parser, value by value in document order. The
// parser checks only what is read, so every value is read or skipped whole; the first fault
// stops the reading and is kept with its line and column. The text is read as the single
// element of an array closed by a bracket of our own: the parser then never runs past the
// text, and whatever follows the document's value is found where it stands.
class JsonDocument {
public:
    using Value = simdjson::ondemand::value;
    using Type = simdjson::ondemand::json_type;

    // The capacity a text should have past its end to be read without a copy.
    static constexpr std::size_t EXTRA_CAPACITY = simdjson::SIMDJSON_PADDING + 3;

    // The text as a text file reads it (see normaliseText); lines and columns count in it.
    explicit JsonDocument(std::string text);
    JsonDocument(const JsonDocument&) = delete;
    JsonDocument& operator=(const JsonDocument&) = delete;

    // The document's value; false at a fault.
    bool root(Value& value);
    // After the document's value: false, with a fault, when anything but white space follows.
    bool finish();

    // The kind of value, or none at a fault (no value starts there).
    std::optional<Type> typeOf(Value& value);
    // Each reads a value of its kind, as typeOf gave it; false at a fault.
    bool readString(Value& value, std::string_view& text); // valid as long as the document
    bool readBool(Value& value, bool& flag);
    // word is none for a number that is no integer from 0 to 2^32 - 1.
    bool readNumber(Value& value, std::optional<std::uint32_t>& word);
    // Reads a value of any kind whole, checking every token of it; false at a fault.
    bool skip(Value& value);

    // Calls member(key, value) for each member of an object value in order, and
    // element(index, value) for each element of an array value; each reads or skips its value
    // whole and returns false at a fault. elementName says what an element is in messages
    // ("an action").
    template <class Member>
    bool forEachMember(Value& object, Member&& member);
    template <class Element>
    bool forEachElement(Value& array, std::string_view elementName, Element&& element);

    const std::optional<JsonFault>& fault() const { return m_fault; }

private:
    enum class Step {
        Next,
        End,
        Fault,
    };

    struct ObjectCursor {
        simdjson::ondemand::object_iterator at;
        simdjson::ondemand::object_iterator end;
        std::size_t lastKeyAt = 0; // where the last member's key stands
        bool started = false;
    };

    struct ArrayCursor {
        simdjson::ondemand::array_iterator at;
        simdjson::ondemand::array_iterator end;
        std::string_view elementName;
        std::size_t count = 0;
    };

    bool iterate();
    bool open(Value& value, ObjectCursor& cursor);
    Step next(ObjectCursor& cursor, std::string_view& key, Value& value);
    bool open(Value& value, std::string_view elementName, ArrayCursor& cursor);
    Step next(ArrayCursor& cursor, Value& value);
    bool readScalar(Value& value, Type type);

    // Offsets count in m_text, our bracket included; here() is the token about to be read, or
    // m_length when none is left.
    std::size_t here();
    bool fail(std::size_t offset, std::string reason);
    bool failText(simdjson::error_code error);
    std::string found(std::size_t offset) const;
    std::string_view text() const { return std::string_view(m_text).substr(1, m_textLength); }

    std::string m_text; // '[' + the text + "\n]" + zeros for the parser to read ahead
    std::size_t m_textLength = 0;
    std::size_t m_length = 0;
    simdjson::ondemand::parser m_parser;
    simdjson::ondemand::document m_document;
    // A number the parser cannot read but the file may hold is left unread where it stands.
    std::size_t m_unreadAt = 0;
    std::size_t m_afterUnread = 0;
    std::optional<JsonFault> m_fault;
};

template <class Member>
bool JsonDocument::forEachMember(Value& object, Member&& member) {
    ObjectCursor cursor;
    if (!open(object, cursor))
        return false;
    std::string_view key;
    Value value;
    for (;;) {
        switch (next(cursor, key, value)) {
        case Step::End:
            return true;
        case Step::Fault:
            return false;
        case Step::Next:
            if (!member(key, value))
                return false;
            break;
        }
    }
}

template <class Element>
bool JsonDocument::forEachElement(Value& array, std::string_view elementName, Element&& element) {
    ArrayCursor cursor;
    if (!open(array, elementName, cursor))
        return false;
    Value value;
    for (;;) {
        switch (next(cursor, value)) {
        case Step::End:
            return true;
        case Step::Fault:
            return false;
        case Step::Next:
            if (!element(cursor.count - 1, value))
                return false;
            break;
        }
    }
}

} // namespace vantrel
