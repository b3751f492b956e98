#include "BlockCheck.h"

#include "Names.h"

#include "engine/TextScan.h"

namespace vantrel {

namespace {

// A word or token of a directive's argument and the column it begins at.
struct Word {
    std::string text;
    std::size_t column = 0; // 0: not there
};

// The next word from a position on, read as the directive's plan read it; the position moves
// past it.
Word nextWord(std::string_view line, std::size_t& from) {
    Word word;
    const std::size_t used = readWord(line.substr(from), word.text);
    if (used == 0 || word.text.empty())
        return {};
    from += used;
    word.column = from - word.text.size() + 1;
    return word;
}

std::vector<Word> conditionTokens(std::string_view line, std::size_t from) {
    std::vector<Word> tokens;
    Word token;
    for (std::size_t used;
         (used = readToken(line.substr(from), token.text, ",+")) != 0 && !token.text.empty();) {
        from += used;
        token.column = from - token.text.size() + 1;
        tokens.push_back(token);
    }
    return tokens;
}

bool isSeparator(const Word& token) {
    return token.text == "," || token.text == "+";
}

std::string lineText(std::size_t index) {
    return "line " + std::to_string(index + 1);
}

} // namespace

std::string directiveName(DirectiveId id) {
    for (const DirectiveEntry& entry : directiveTable) {
        if (entry.id == id)
            return std::string(entry.name);
    }
    return {};
}

void BlockCheck::error(std::size_t index, std::size_t column, std::string text) {
    m_found.error(m_file.path(), index + 1, column, std::move(text));
}

void BlockCheck::warning(std::size_t index, std::size_t column, std::string text) {
    m_found.warning(m_file.path(), index + 1, column, std::move(text));
}

void BlockCheck::directive(std::size_t index) {
    const DirectivePlan& plan = m_file.directivePlan(index);
    const std::string_view word = textOf(m_file, index).substr(0, plan.used);
    switch (plan.id) {
    case DirectiveId::None: {
        std::vector<std::string> names;
        for (const DirectiveEntry& entry : directiveTable)
            names.emplace_back(entry.name);
        error(index, 1, "unknown directive '" + std::string(word) + "'" + suggestion(word, names));
        return;
    }
    case DirectiveId::Include:
        error(index, 1, "@INCLUDE is not carried out: the run stops at it");
        return;
    case DirectiveId::Assert:
        checkAssert(index, plan.used);
        return;
    case DirectiveId::IfDef:
    case DirectiveId::IfNDef:
        m_open.push_back({plan.id, index});
        // The run refuses a block past this many open ones and stops.
        if (++m_openIfs > GeneratorState::MAX_OPEN_BLOCKS && !m_tooManyReported) {
            error(index, 1,
                  "more than " + std::to_string(GeneratorState::MAX_OPEN_BLOCKS) +
                      " blocks open at once: the run stops here");
            m_tooManyReported = true;
        }
        checkConditions(index, plan.used);
        return;
    case DirectiveId::EndIf:
        closeIf(index);
        return;
    case DirectiveId::For:
        // A @FOR while a loop runs is that loop's next turn, not a loop of its own.
        if (const std::size_t outer = openLoop(); outer != NO_LINE)
            error(index, 1, "@FOR inside the loop of " + lineText(outer) + ": loops do not nest");
        if (m_firstLoop == NO_LINE)
            m_firstLoop = index;
        m_open.push_back({plan.id, index});
        checkLoop(index, plan);
        return;
    case DirectiveId::EndFor:
        closeLoop(index);
        return;
    }
}

void BlockCheck::finish() {
    for (const Open& block : m_open) {
        const bool loop = block.id == DirectiveId::For;
        error(block.line, 1,
              directiveName(block.id) + " without " + (loop ? "@ENDFOR" : "@ENDIF") + " in " +
                  m_unit);
    }
    m_open.clear();
    m_openIfs = 0;
}

std::size_t BlockCheck::openLoop() const {
    const std::size_t at = innermost(true);
    return at == m_open.size() ? NO_LINE : m_open[at].line;
}

std::size_t BlockCheck::innermost(bool loop) const {
    for (std::size_t i = m_open.size(); i-- > 0;) {
        if ((m_open[i].id == DirectiveId::For) == loop)
            return i;
    }
    return m_open.size();
}

void BlockCheck::closeIf(std::size_t index) {
    const std::size_t at = innermost(false);
    if (at == m_open.size()) {
        error(index, 1, "@ENDIF without @IFDEF or @IFNDEF");
        return;
    }
    if (at + 1 != m_open.size()) {
        // A loop opened inside the block is still open: the two overlap.
        error(index, 1,
              "@ENDIF inside the loop of " + lineText(m_open.back().line) + " closes the " +
                  directiveName(m_open[at].id) + " of " + lineText(m_open[at].line) +
                  " outside it: blocks and loops must nest");
    }
    m_open.erase(m_open.begin() + static_cast<std::ptrdiff_t>(at));
    --m_openIfs;
}

void BlockCheck::closeLoop(std::size_t index) {
    const std::size_t at = innermost(true);
    if (at == m_open.size()) {
        error(index, 1, "@ENDFOR without @FOR");
        return;
    }
    if (at + 1 != m_open.size()) {
        // A block opened inside the loop is still open: the two overlap.
        error(index, 1,
              "@ENDFOR while the " + directiveName(m_open.back().id) + " of " +
                  lineText(m_open.back().line) + " is open: blocks and loops must nest");
    }
    m_open.erase(m_open.begin() + static_cast<std::ptrdiff_t>(at));
}

void BlockCheck::checkConditions(std::size_t index, std::size_t from) {
    const std::string_view line = textOf(m_file, index);
    const std::vector<Word> tokens = conditionTokens(line, from);
    const std::string name = directiveName(m_file.directivePlan(index).id);
    if (tokens.empty()) {
        error(index, line.size() + 1, name + " needs a condition list");
        return;
    }
    // Keywords and separators take turns; a separator may end the list.
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const bool keywordExpected = i % 2 == 0;
        if (keywordExpected && isSeparator(tokens[i])) {
            error(index, tokens[i].column, "a keyword is missing before '" + tokens[i].text + "'");
            return;
        }
        if (!keywordExpected && !isSeparator(tokens[i])) {
            error(index, tokens[i].column,
                  "',' (or) or '+' (and) is missing before '" + tokens[i].text + "'");
            return;
        }
    }
    const ConditionList& conditions = m_file.directivePlan(index).conditions;
    for (std::size_t i = 0; i < tokens.size(); i += 2) {
        const Word& token = tokens[i];
        const std::size_t k = i / 2;
        const KeywordId id =
            k < conditions.size() ? conditions[k].first : lookupKeyword(token.text);
        if (id == KW_NONE) {
            error(index, token.column,
                  "unknown keyword '" + token.text + "' in the condition list" +
                      suggestion(token.text, conditionNames()));
        } else if (id != KW_ZERO && !keywordMeanings[id].condition) {
            // 0 is the usual way of leaving a block out on purpose.
            warning(index, token.column, "'" + token.text + "' is no condition: it is never true");
        }
    }
}

void BlockCheck::checkLoop(std::size_t index, const DirectivePlan& plan) {
    const std::string_view line = textOf(m_file, index);
    std::size_t from = plan.used;
    const Word first = nextWord(line, from);
    const Word to = nextWord(line, from);
    const Word kind = nextWord(line, from);
    const std::size_t end = line.size() + 1;
    if (!plan.loopWellFormed) {
        if (first.column == 0)
            error(index, end, "@FOR needs 'first TO kind', as in '@FOR 0 TO ALL_ACTIONS'");
        else if (to.column == 0)
            error(index, end, "@FOR needs 'TO' and a kind after '" + first.text + "'");
        else if (to.text != "TO")
            error(index, to.column,
                  "@FOR needs 'TO' after '" + first.text + "', not '" + to.text + "'");
        else
            error(index, end, "@FOR needs a kind after 'TO'");
        return;
    }
    if (plan.loopFirst == KW_NONE) {
        error(index, first.column,
              "unknown keyword '" + first.text + "' as the first turn of @FOR" +
                  suggestion(first.text, loopBoundNames()));
    } else if (keywordMeanings[plan.loopFirst].countsActions) {
        warning(index, first.column,
                "the loop starts at its end, '" + first.text + "': it never runs");
    }
    if (plan.loopKind == KW_NONE) {
        error(index, kind.column,
              "unknown keyword '" + kind.text + "' in @FOR" +
                  suggestion(kind.text, loopBoundNames()));
    } else if (!keywordMeanings[plan.loopKind].countsActions) {
        warning(index, kind.column, "'" + kind.text + "' counts no turns: the loop never runs");
    }
}

void BlockCheck::checkAssert(std::size_t index, std::size_t from) {
    const std::string_view line = textOf(m_file, index);
    const Word word = nextWord(line, from);
    if (word.column == 0) {
        error(index, line.size() + 1, "@ASSERT needs a keyword");
        return;
    }
    const KeywordId id = lookupKeyword(word.text);
    if (id == KW_NONE) {
        error(index, word.column,
              "unknown keyword '" + word.text + "' in @ASSERT" +
                  suggestion(word.text, conditionNames()));
    } else if (!keywordMeanings[id].condition) {
        warning(index, word.column,
                "'" + word.text + "' is no condition: the assertion always fails");
    }
}

} // namespace vantrel
