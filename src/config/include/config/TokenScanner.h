#pragma once

#include "config/TextBuffer.h"
#include "config/TextRange.h"
#include "config/TokenTable.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

// Splits a text into words (id 0), operators and bracketed strings by the rules of an attached
// TokenTable. Tokens are views into the caller's text, which must outlive them.
class TokenScanner {
public:
    TokenScanner() = default;
    TokenScanner(const TokenScanner&) = delete;
    TokenScanner& operator=(const TokenScanner&) = delete;
    // Releases the operator entries of the attached table, so it must go before the table.
    ~TokenScanner();

    // Returns the table attached before.
    TokenTable* attachTable(TokenTable* table);

    // The attached table's rules are read here and when a table is attached, when they changed.
    void setInput(const char* data, std::int32_t length);

    // A non-empty text starts a new input; null or "" goes on in the current one.
    const TextRange& nextToken(const char* text, std::int32_t& id);
    // The next token copied into the word buffer (valid until the next call), or null when
    // no token is left; id is 0 then.
    const char* nextWord(const char* text, std::int32_t& id);

private:
    std::int32_t scanToken();
    // Classifies the characters by the table: blanks, opening brackets, operators' first ones.
    void readTable();
    // Makes the token a bracketed string when it starts with an opening bracket; true then.
    bool cutAtBrackets(std::int32_t& id);

    const char* m_input = nullptr;
    std::int32_t m_inputLength = 0;
    TextRange m_position;
    TextRange m_token;
    TextBuffer m_word;
    TokenTable* m_table = nullptr;
    enum : unsigned char { BLANK = 1, OPEN = 2, OPERATOR = 4 };
    std::array<unsigned char, 256> m_classes{};
    // The operators that can fit inside a token, in the table's order, copied: a scanner going
    // away takes the table's own entries.
    struct Operator {
        std::string text;
        std::int32_t length = 0;
        std::int32_t id = 0;
    };
    std::vector<Operator> m_operators;
    bool m_tableRead = false; // the attached table's rules as of m_revisionRead
    std::uint32_t m_revisionRead = 0;
};

} // namespace vantrel
