#include "engine/DirectiveProcessor.h"

#include "engine/TextScan.h"

#include <string>

namespace vantrel {

namespace {

bool isDirectiveLine(std::string_view line) {
    return !line.empty() && line.front() == '@';
}

// The compiled plan of the reader's current line; a reader that stands elsewhere (a test on a
// text line) gets its line analysed into scratch.
const DirectivePlan& planOf(const TemplateReader& reader, DirectivePlan& scratch) {
    const TemplateReader::Content& content = reader.content();
    if (content && reader.lineIndex() < content->lineCount() && isDirectiveLine(reader.line()))
        return content->directivePlan(reader.lineIndex());
    scratch = analyseDirective(reader.line());
    return scratch;
}

} // namespace

bool DirectiveProcessor::processDirectiveLine(TemplateReader& reader) {
    DirectivePlan scratch;
    const DirectivePlan& plan = planOf(reader, scratch);
    if (plan.used == 0)
        return false;
    switch (plan.id) {
    case DirectiveId::IfDef:
    case DirectiveId::IfNDef:
        return processIf(plan, reader);
    case DirectiveId::EndIf:
        if (m_state.blockStack.empty())
            return false;
        m_state.blockStack.pop_back();
        return true;
    case DirectiveId::For:
        return processFor(plan, reader);
    case DirectiveId::EndFor:
        if (!m_state.loopRunning())
            return false;
        // The loop start is a line in the file of its @FOR line and means nothing elsewhere.
        if (!reader.hasIdentity(m_state.loopReader))
            return false;
        return reader.seekLine(static_cast<std::size_t>(m_state.loopStart));
    case DirectiveId::Assert:
        return processAssert(reader.line().substr(plan.used), reader);
    case DirectiveId::Include: // known by name, never carried out
    case DirectiveId::None:
    default:
        return false;
    }
}

bool DirectiveProcessor::moveToMatchingEnd(const DirectivePlan& plan, TemplateReader& reader) {
    if (plan.matchingEnd == DirectivePlan::NO_LINE || !reader.content()) {
        reader.seekLine(reader.content() ? reader.content()->lineCount() : 0);
        reader.readLine();
        return false;
    }
    reader.moveTo(plan.matchingEnd);
    return true;
}

bool DirectiveProcessor::evaluateConditions(const ConditionList& conditions, bool& result) const {
    result = false;
    if (conditions.empty())
        return false;
    const ActionDefinition& action = m_values.currentAction();
    for (const auto& [id, joinWithAnd] : conditions) {
        const bool value = m_values.isConditionTrue(id, action);
        result = joinWithAnd ? (result && value) : (result || value);
    }
    return true;
}

bool DirectiveProcessor::processIf(const DirectivePlan& plan, TemplateReader& reader) {
    if (m_state.blockStack.size() >= GeneratorState::MAX_OPEN_BLOCKS)
        return false;
    m_state.blockStack.push_back(plan.id);
    bool result = false;
    if (!evaluateConditions(plan.conditions, result))
        return false;
    if (plan.id == DirectiveId::IfNDef)
        result = !result;
    if (result)
        return true;
    // The reader ends on the matching @ENDIF line, which closes the block.
    if (!skipToMatchingDirective(reader, DirectiveId::EndIf))
        return false;
    m_state.blockStack.pop_back();
    return true;
}

bool DirectiveProcessor::processFor(const DirectivePlan& plan, TemplateReader& reader) {
    if (!plan.loopWellFormed)
        return false;
    m_state.loopFirst = m_values.loopCountOf(plan.loopFirst);
    m_state.loopKind = plan.loopKind;
    m_state.loopLimit = m_values.loopCountOf(m_state.loopKind);

    if (m_state.loopStart == -1) {
        m_state.loopStart = static_cast<std::int64_t>(reader.lineIndex());
        m_state.loopReader = reader.identity();
        m_state.loopCounter = m_state.loopFirst;
        m_state.loopPlace = reader.place();
        m_state.nestedFor = {};
    } else {
        if (!m_state.nestedFor.known() && reader.hasIdentity(m_state.loopReader) &&
            static_cast<std::int64_t>(reader.lineIndex()) != m_state.loopStart)
            m_state.nestedFor = reader.place();
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

bool DirectiveProcessor::processAssert(std::string_view rest, const TemplateReader& reader) {
    std::string word;
    if (readWord(rest, word) == 0)
        return false;
    std::string entryName;
    const KeywordId id = lookupKeyword(word, &entryName);
    if (id == KW_NONE)
        return false;
    if (m_values.isConditionTrue(id))
        return true;
    std::string message = m_values.currentAction().name;
    message.append("::").append(entryName);
    std::erase(message, '%');
    reportError(m_sink, reader.place(), ErrorKind::ERR_ASSERT, message);
    return true;
}

bool DirectiveProcessor::skipToMatchingDirective(TemplateReader& reader, DirectiveId target) {
    DirectivePlan scratch;
    const DirectivePlan& plan = planOf(reader, scratch);
    // A compiled @IFDEF, @IFNDEF or @FOR line knows where its skip ends.
    const bool fromIf = plan.id == DirectiveId::IfDef || plan.id == DirectiveId::IfNDef;
    if (&plan != &scratch && plan.used != 0 &&
        ((fromIf && target == DirectiveId::EndIf) ||
         (plan.id == DirectiveId::For && target == DirectiveId::EndFor)))
        return moveToMatchingEnd(plan, reader);
    // Any other start walks the lines, counting blocks.
    int level = 0;
    while (true) {
        if (isDirectiveLine(reader.line())) {
            const DirectivePlan& line = planOf(reader, scratch);
            if (line.used == 0)
                return false;
            if (line.id == DirectiveId::IfDef || line.id == DirectiveId::IfNDef)
                ++level;
            else if (line.id == DirectiveId::EndIf)
                --level;
            if (level == 0 && line.id == target)
                return true;
        }
        if (!reader.readLine())
            return false;
    }
}

MessagePlace DirectiveProcessor::faultPlace(const TemplateReader& reader,
                                            std::size_t directiveLine) const {
    if (m_state.loopRunning() && !reader.hasIdentity(m_state.loopReader) &&
        m_state.loopPlace.known())
        return m_state.loopPlace;
    if (m_state.nestedFor.known())
        return m_state.nestedFor;
    return reader.placeOf(directiveLine);
}

bool DirectiveProcessor::evaluateConditionList(std::string_view text, bool& result) const {
    ConditionList conditions;
    readConditionList(text, conditions);
    return evaluateConditions(conditions, result);
}

} // namespace vantrel
