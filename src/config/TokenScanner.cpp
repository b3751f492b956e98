#include "config/TokenScanner.h"

#include <string_view>

namespace vantrel {

TokenScanner::~TokenScanner() {
    if (m_table)
        m_table->releaseOperators();
}

TokenTable* TokenScanner::attachTable(TokenTable* table) {
    TokenTable* previous = m_table;
    m_table = table;
    m_tableRead = false;
    readTable();
    return previous;
}

void TokenScanner::setInput(const char* data, std::int32_t length) {
    m_input = data;
    m_inputLength = length;
    m_position.set(data, length);
    m_token.clear();
    readTable();
}

void TokenScanner::readTable() {
    if (m_tableRead && (!m_table || m_table->revision() == m_revisionRead))
        return;
    m_tableRead = true;
    m_revisionRead = m_table ? m_table->revision() : 0;
    m_classes.fill(0);
    m_operators.clear();
    if (!m_table)
        return;
    const auto classOf = [this](char c) -> unsigned char& {
        return m_classes[static_cast<unsigned char>(c)];
    };
    const TextBuffer& whitespace = m_table->whitespace();
    for (std::int32_t i = 0; i < whitespace.length(); ++i)
        classOf(whitespace.at(i)) |= BLANK;
    for (std::int32_t i = 0; i < m_table->bracketCount(); ++i)
        classOf(static_cast<char>(m_table->bracketAt(i).open)) |= OPEN;
    // An operator holding a blank or an opening bracket past its first character never fits
    // inside a token; the others are kept in the table's order.
    for (std::int32_t i = 0; i < m_table->operatorCount(); ++i) {
        const OperatorEntry& entry = m_table->operatorAt(i);
        const std::string_view text(entry.text.data());
        bool fits = !text.empty();
        for (std::size_t k = 1; fits && k < text.size(); ++k)
            fits = (classOf(text[k]) & (BLANK | OPEN)) == 0;
        if (fits)
            m_operators.push_back({std::string(text), entry.text.length(), entry.id});
    }
    for (const Operator& entry : m_operators)
        classOf(entry.text.front()) |= OPERATOR;
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
    if (!m_table) {
        m_position.advanceTo(m_token);
        return 0;
    }

    // One pass over the token finds where it ends: at the first blank or opening bracket after
    // its first character, or where an operator starts. Searching the rest of the line for each
    // of them in turn made a line of many tokens take time by the square of its length.
    const auto classOf = [this](char c) {
        return m_classes[static_cast<unsigned char>(c)];
    };
    const auto operatorAt = [this](std::string_view rest, std::size_t at) -> const Operator* {
        for (const Operator& entry : m_operators)
            if (rest.substr(at).starts_with(entry.text))
                return &entry;
        return nullptr;
    };

    const std::string_view rest = m_token.view();
    std::size_t first = 0;
    while (first < rest.size() && (classOf(rest[first]) & BLANK))
        ++first;
    m_token.advance(static_cast<std::int32_t>(first));
    std::int32_t id = 0;
    if (first == rest.size()) {
        m_token.truncate(0);
    } else if (classOf(rest[first]) & OPEN) {
        cutAtBrackets(id);
    } else {
        const Operator* leading = nullptr;
        if (classOf(rest[first]) & OPERATOR)
            leading = operatorAt(rest, first);
        if (leading) {
            m_token.truncate(leading->length);
            id = leading->id;
        } else {
            std::size_t end = first + 1;
            for (; end < rest.size(); ++end) {
                const unsigned char kind = classOf(rest[end]);
                if ((kind & (BLANK | OPEN)) || ((kind & OPERATOR) && operatorAt(rest, end)))
                    break;
            }
            m_token.truncate(static_cast<std::int32_t>(end - first));
        }
    }
    m_position.advanceTo(m_token);
    return id;
}

bool TokenScanner::cutAtBrackets(std::int32_t& id) {
    if (!m_table || m_token.isEmpty())
        return false;
    const char first = m_token.at(0);
    for (std::int32_t i = 0; i < m_table->bracketCount(); ++i) {
        BracketPair& pair = m_table->bracketAt(i);
        const auto open = static_cast<char>(pair.open);
        const auto close = static_cast<char>(pair.close);
        if (open != first)
            continue;
        // The closing search runs over the rest of the input, so an open character of another
        // pair cannot end the string early; an unclosed one runs to the end.
        TextRange bracketed(m_input, m_inputLength);
        bracketed.advance(m_token.start());
        const std::string_view text = bracketed.view();
        std::size_t end = std::string_view::npos;
        if (open == close) {
            end = text.find(close, 1);
            pair.depth = end == std::string_view::npos ? 1 : 0;
        } else {
            pair.depth = 1;
            for (std::size_t j = 1; j < text.size() && end == std::string_view::npos; ++j) {
                if (text[j] == close)
                    --pair.depth;
                else if (text[j] == open)
                    ++pair.depth;
                if (pair.depth == 0)
                    end = j;
            }
        }
        if (end != std::string_view::npos)
            bracketed.truncate(static_cast<std::int32_t>(end + 1));
        m_token = bracketed;
        id = pair.id;
        return true;
    }
    return false;
}

} // namespace vantrel
