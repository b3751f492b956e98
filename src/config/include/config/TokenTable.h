#pragma once

#include "config/TextBuffer.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace vantrel {

struct OperatorEntry {
    TextBuffer text;
    std::int32_t id = 0;
};

struct BracketPair {
    std::int32_t open = 0; // compared as one character
    std::int32_t close = 0;
    std::int32_t id = 0;
    std::int32_t depth = 0; // working counter of the scan
};

// What a TokenScanner splits by: whitespace, operators (longest first) and bracket pairs.
class TokenTable {
public:
    // Both lists grow to the next multiple of this many entries.
    static constexpr std::size_t LIST_STEP = 16;

    TokenTable() = default;
    TokenTable(const TokenTable&) = delete;
    TokenTable& operator=(const TokenTable&) = delete;

    // Null or "" leaves no whitespace at all.
    void setWhitespace(const char* text);
    // Keeps the list longest first, the newest first among equal lengths; returns the index
    // of the new entry, or -1 (nothing added) for a null or empty text.
    std::int32_t addOperator(const char* text, std::int32_t id);
    std::int32_t addBracketPair(std::int32_t open, std::int32_t close, std::int32_t id);

    const TextBuffer& whitespace() const { return m_whitespace; }
    std::int32_t operatorCount() const { return static_cast<std::int32_t>(m_operators.size()); }
    std::int32_t operatorCapacity() const {
        return static_cast<std::int32_t>(m_operators.capacity());
    }
    const OperatorEntry& operatorAt(std::int32_t index) const {
        return *m_operators[static_cast<std::size_t>(index)];
    }
    std::int32_t bracketCount() const { return static_cast<std::int32_t>(m_brackets.size()); }
    BracketPair& bracketAt(std::int32_t index) {
        return *m_brackets[static_cast<std::size_t>(index)];
    }

    // Changes whenever a rule is set, added or released, so that a scanner reads the rules
    // again only then.
    std::uint32_t revision() const { return m_revision; }

    // The scanner's teardown hands the operator entries back through this: the list ends
    // empty with no storage, while the brackets and whitespace stay.
    void releaseOperators();

private:
    template <typename T>
    static void growInSteps(std::vector<T>& list);

    std::vector<std::unique_ptr<OperatorEntry>> m_operators;
    std::vector<std::unique_ptr<BracketPair>> m_brackets;
    TextBuffer m_whitespace;
    std::uint32_t m_revision = 0;
};

} // namespace vantrel
