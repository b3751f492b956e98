#include "config/TokenTable.h"

namespace vantrel {

template <typename T>
void TokenTable::growInSteps(std::vector<T>& list) {
    if (list.size() == list.capacity())
        list.reserve((list.size() + 1 + LIST_STEP - 1) / LIST_STEP * LIST_STEP);
}

void TokenTable::setWhitespace(const char* text) {
    ++m_revision;
    m_whitespace.assign(text);
}

std::int32_t TokenTable::addOperator(const char* text, std::int32_t id) {
    if (text == nullptr || *text == '\0')
        return -1;
    ++m_revision;
    auto entry = std::make_unique<OperatorEntry>();
    entry->text.assign(text);
    entry->id = id;
    std::size_t index = 0;
    while (index < m_operators.size() && m_operators[index]->text.length() > entry->text.length())
        ++index;
    growInSteps(m_operators);
    m_operators.insert(m_operators.begin() + static_cast<std::ptrdiff_t>(index), std::move(entry));
    return static_cast<std::int32_t>(index);
}

std::int32_t TokenTable::addBracketPair(std::int32_t open, std::int32_t close, std::int32_t id) {
    ++m_revision;
    growInSteps(m_brackets);
    m_brackets.push_back(std::make_unique<BracketPair>(BracketPair{open, close, id, 0}));
    return static_cast<std::int32_t>(m_brackets.size()) - 1;
}

void TokenTable::releaseOperators() {
    ++m_revision;
    std::vector<std::unique_ptr<OperatorEntry>>().swap(m_operators);
}

} // namespace vantrel
