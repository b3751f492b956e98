#include "config/TokenScanner.h"

namespace vantrel {

TokenScanner::~TokenScanner() {
    if (m_table)
        m_table->releaseOperators();
}

TokenTable* TokenScanner::attachTable(TokenTable* table) {
    TokenTable* previous = m_table;
    m_table = table;
    return previous;
}

void TokenScanner::setInput(const char* data, std::int32_t length) {
    m_input = data;
    m_inputLength = length;
    m_position.set(data, length);
    m_token.clear();
}

const TextRange& TokenScanner::nextToken(const char* text, std::int32_t& id) {
    if (text != nullptr && *text != '\0')
        setInput(text, TextRange(text).length());
    id = scanToken();
    return m_token;
}

const char* TokenScanner::nextWord(const char* text, std::int32_t& id) {
    nextToken(text, id);
    if (m_token.isEmpty())
        return nullptr;
    m_word.assign(m_token);
    return m_word.text();
}

std::int32_t TokenScanner::scanToken() {
    m_token.copyFrom(m_position);
    if (m_token.isEmpty())
        return 0;

    const TextBuffer* whitespace = m_table ? &m_table->whitespace() : nullptr;
    if (whitespace && !whitespace->isEmpty())
        while (!m_token.isEmpty() && whitespace->findChar(m_token.at(0)) >= 0)
            m_token.advance(1);

    std::int32_t id = 0;
    if (!cutAtBrackets(id)) {
        cutAtWhitespace();
        id = cutAtOperators();
    }
    m_position.advanceTo(m_token);
    return id;
}

bool TokenScanner::cutAtBrackets(std::int32_t& id) {
    if (!m_table)
        return false;
    for (std::int32_t i = 0; i < m_table->bracketCount() && !m_token.isEmpty(); ++i) {
        BracketPair& pair = m_table->bracketAt(i);
        const std::int32_t p = m_token.findChar(static_cast<char>(pair.open));
        if (p > 0)
            m_token.truncate(p);
        if (p != 0)
            continue;
        // The closing search runs over the rest of the input, so an open character of another
        // pair cannot end the string early; an unclosed one runs to the end.
        TextRange bracketed(m_input, m_inputLength);
        bracketed.advance(m_token.start());
        pair.depth = 1;
        for (std::int32_t j = 1; j < bracketed.length(); ++j) {
            if (bracketed.at(j) == static_cast<char>(pair.close))
                --pair.depth;
            else if (bracketed.at(j) == static_cast<char>(pair.open))
                ++pair.depth;
            if (pair.depth == 0) {
                bracketed.truncate(j + 1);
                break;
            }
        }
        m_token = bracketed;
        id = pair.id;
        return true;
    }
    return false;
}

void TokenScanner::cutAtWhitespace() {
    if (!m_table)
        return;
    const TextBuffer& whitespace = m_table->whitespace();
    for (std::int32_t i = 0; i < whitespace.length(); ++i) {
        const std::int32_t p = m_token.findChar(whitespace.at(i));
        if (p > 0)
            m_token.truncate(p);
    }
}

std::int32_t TokenScanner::cutAtOperators() {
    if (!m_table || m_token.isEmpty())
        return 0;
    std::int32_t earliest = m_token.length();
    for (std::int32_t i = 0; i < m_table->operatorCount(); ++i) {
        const OperatorEntry& entry = m_table->operatorAt(i);
        if (entry.text.isEmpty())
            continue;
        const std::int32_t p = m_token.findText(entry.text.data());
        if (p >= 0 && p < earliest)
            earliest = p;
        if (earliest == 0) {
            m_token.truncate(entry.text.length());
            return entry.id;
        }
    }
    m_token.truncate(earliest);
    return 0;
}

} // namespace vantrel
