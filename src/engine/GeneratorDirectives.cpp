#include "engine/Generator.h"

#include "engine/TextScan.h"

#include <algorithm>

namespace vantrel {

bool Generator::processDirectiveLine(TemplateReader& reader) {
    // The plan is used up before anything else looks up a plan (which might empty the cache).
    DirectivePlan scratch;
    const DirectivePlan& plan = directivePlanOf(reader, scratch);
    if (plan.used == 0)
        return false;

    switch (const DirectiveId id = plan.id) {
    case DirectiveId::IfDef:
    case DirectiveId::IfNDef: {
        bool result = false;
        const bool wellFormed = evaluateConditions(plan.conditions, result);
        return processIfDirective(id, wellFormed, result, reader, reader.lineStart(),
                                  plan.matchingEnd);
    }
    case DirectiveId::EndIf:
        if (m_state.blockStack.empty())
            return false;
        m_state.blockStack.pop_back();
        return true;
    case DirectiveId::For:
        return processForDirective(plan, reader);
    case DirectiveId::EndFor:
        if (!m_state.loopRunning())
            return false;
        // The loop start is a position in the file of its @FOR line and means nothing elsewhere.
        if (!reader.hasIdentity(m_state.loopReader))
            return false;
        return reader.seek(m_state.loopStart);
    case DirectiveId::Assert:
        return processAssertDirective(reader.line().substr(plan.used));
    case DirectiveId::Include: // known by name, never carried out
    case DirectiveId::None:
    default:
        return false;
    }
}

Generator::DirectivePlan Generator::analyseDirective(std::string_view line) {
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
        return plan;
    }
    if (plan.id != DirectiveId::IfDef && plan.id != DirectiveId::IfNDef)
        return plan;
    readConditionList(line.substr(plan.used), plan.conditions);
    return plan;
}

const Generator::DirectivePlan& Generator::directivePlanOf(const TemplateReader& reader,
                                                           DirectivePlan& scratch) const {
    return keptPlan(&ContentPlans::directives, reader, scratch, analyseDirective);
}

// The keywords of a condition list, each with the operator that joins it on; none when two
// words stand without a separator. A trailing separator is allowed.
bool Generator::readConditionList(std::string_view text, ConditionList& conditions) {
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

bool Generator::evaluateConditions(const ConditionList& conditions, bool& result) const {
    result = false;
    if (conditions.empty())
        return false;
    const ActionDefinition& action = currentOrEmptyAction();
    for (const auto& [id, joinWithAnd] : conditions) {
        const bool value = conditionTrue(id, action);
        result = joinWithAnd ? (result && value) : (result || value);
    }
    return true;
}

bool Generator::processIfDirective(DirectiveId id, bool wellFormed, bool result,
                                   TemplateReader& reader, std::int64_t start,
                                   std::int64_t matchingEnd) {
    if (m_state.blockStack.size() >= GeneratorState::MAX_OPEN_BLOCKS)
        return false;
    m_state.blockStack.push_back(id);
    if (!wellFormed)
        return false;
    if (id == DirectiveId::IfNDef)
        result = !result;
    if (result)
        return true;
    if (matchingEnd >= 0) {
        // The reader ends as the skip leaves it: on the matching @ENDIF line.
        reader.seek(matchingEnd);
        reader.readLine();
    } else {
        if (!skipToMatchingDirective(reader, DirectiveId::EndIf))
            return false;
        // Looked up afresh: the skip may have emptied the cache that held the plan.
        if (ContentPlans* plans = plansOf(reader)) {
            if (const auto found = plans->directives.find(start); found != plans->directives.end())
                found->second.matchingEnd = reader.lineStart();
        }
    }
    m_state.blockStack.pop_back();
    return true;
}

// The plan is read before the loop may skip ahead (which looks up other plans).
bool Generator::processForDirective(const DirectivePlan& plan, TemplateReader& reader) {
    if (!plan.loopWellFormed)
        return false;
    m_state.loopFirst = loopCountOf(plan.loopFirst);
    m_state.loopKind = plan.loopKind;
    m_state.loopLimit = loopCountOf(m_state.loopKind);

    if (m_state.loopStart == -1) {
        m_state.loopStart = reader.lineStart();
        m_state.loopReader = reader.identity();
        m_state.loopCounter = m_state.loopFirst;
    } else {
        // Loops do not nest: any @FOR while a loop runs is that loop's next turn.
        ++m_state.loopCounter;
    }

    if (m_state.loopCounter >= m_state.loopLimit) {
        m_state.endLoop();
        return skipToMatchingDirective(reader, DirectiveId::EndFor);
    }
    if (m_state.loopKind == KW_ALL_ACTIONS)
        return m_project.selectAction(m_state.loopCounter);
    return true;
}

bool Generator::processAssertDirective(std::string_view rest) {
    std::string word;
    if (readWord(rest, word) == 0)
        return false;
    std::string entryName;
    const KeywordId id = lookupKeyword(word, &entryName);
    if (id == KW_NONE)
        return false;
    if (isConditionTrue(id))
        return true;
    std::string message = placeholderValue("%ACTIONNAME%").value_or(std::string());
    message.append("::").append(entryName);
    std::erase(message, '%');
    reportError(m_sink, ErrorKind::ERR_ASSERT, message);
    return true;
}

bool Generator::skipToMatchingDirective(TemplateReader& reader, DirectiveId target) {
    int level = 0;
    DirectivePlan scratch;
    while (true) {
        const std::string_view line = reader.line();
        if (!line.empty() && line.front() == '@') {
            const DirectivePlan& plan = directivePlanOf(reader, scratch);
            if (plan.used == 0)
                return false;
            const DirectiveId id = plan.id;
            if (id == DirectiveId::IfDef || id == DirectiveId::IfNDef)
                ++level;
            else if (id == DirectiveId::EndIf)
                --level;
            if (level == 0 && id == target)
                return true;
        }
        if (!reader.readLine())
            return false;
    }
}

bool Generator::evaluateConditionList(std::string_view text, bool& result) const {
    ConditionList conditions;
    readConditionList(text, conditions);
    return evaluateConditions(conditions, result);
}

} // namespace vantrel
