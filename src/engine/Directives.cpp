#include "engine/Directives.h"

#include "engine/DirectivePlan.h"

#include "engine/TextScan.h"

#include <array>

namespace vantrel {

const std::array<DirectiveEntry, 7> directiveTable = {{
    {"@ASSERT", DirectiveId::Assert},
    {"@IFDEF", DirectiveId::IfDef},
    {"@IFNDEF", DirectiveId::IfNDef},
    {"@ENDIF", DirectiveId::EndIf},
    {"@FOR", DirectiveId::For},
    {"@ENDFOR", DirectiveId::EndFor},
    {"@INCLUDE", DirectiveId::Include},
}};

DirectiveId lookupDirective(std::string_view word) {
    for (const DirectiveEntry& entry : directiveTable) {
        if (equalsIgnoringCase(word, entry.name))
            return entry.id;
    }
    return DirectiveId::None;
}

void GeneratorState::endLoop() {
    loopStart = -1;
    loopKind = KW_NONE;
    loopReader.reset();
}

void GeneratorState::reset() {
    blockStack.clear();
    endLoop();
    loopFirst = 0;
    loopLimit = 0;
    loopCounter = 0;
}

} // namespace vantrel

namespace vantrel {

bool readConditionList(std::string_view text, ConditionList& conditions) {
    constexpr std::string_view separators = ",+";
    conditions.clear();
    bool joinWithAnd = false;
    std::string token;
    std::size_t used = readToken(text, token, separators);
    while (used != 0) {
        text.remove_prefix(used);
        conditions.emplace_back(lookupKeyword(token), joinWithAnd);
        used = readToken(text, token, separators);
        if (used == 0)
            break;
        text.remove_prefix(used);
        if (token == ",") {
            joinWithAnd = false;
        } else if (token == "+") {
            joinWithAnd = true;
        } else {
            conditions.clear();
            return false;
        }
        used = readToken(text, token, separators);
    }
    return !conditions.empty();
}

DirectivePlan analyseDirective(std::string_view line) {
    DirectivePlan plan;
    std::string word;
    plan.used = readWord(line, word);
    if (plan.used == 0)
        return plan;
    plan.id = lookupDirective(word);
    if (plan.id == DirectiveId::For) {
        // "first TO kind"; the counts behind the keywords are taken when the loop runs.
        std::string_view rest = line.substr(plan.used);
        std::size_t used = readWord(rest, word);
        if (used == 0)
            return plan;
        plan.loopFirst = lookupKeyword(word);
        rest.remove_prefix(used);
        used = readWord(rest, word);
        if (used == 0 || word != "TO")
            return plan;
        rest.remove_prefix(used);
        if (readWord(rest, word) == 0)
            return plan;
        plan.loopKind = lookupKeyword(word);
        plan.loopWellFormed = true;
    } else if (plan.id == DirectiveId::IfDef || plan.id == DirectiveId::IfNDef) {
        readConditionList(line.substr(plan.used), plan.conditions);
    }
    return plan;
}

} // namespace vantrel
