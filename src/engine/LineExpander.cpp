#include "engine/LineExpander.h"

#include "engine/TextScan.h"

#include <algorithm>
#include <bitset>
#include <optional>

namespace vantrel {

namespace {

std::size_t countOccurrences(std::string_view text, std::string_view placeholder) {
    std::size_t count = 0;
    for (std::size_t pos = text.find(placeholder); pos != std::string_view::npos;
         pos = text.find(placeholder, pos + placeholder.size()))
        ++count;
    return count;
}

// Replaces the exact occurrences, left to right without overlap; returns how many.
std::size_t replaceAll(std::string& text, std::string_view placeholder, std::string_view value) {
    std::size_t count = 0;
    for (std::size_t pos = text.find(placeholder); pos != std::string::npos;
         pos = text.find(placeholder, pos + value.size())) {
        text.replace(pos, placeholder.size(), value);
        ++count;
    }
    return count;
}

} // namespace

// When every '%' pair of the line is a placeholder whose value holds no '%', the rescanning
// rules replace each pair where it stands, so one pass from left to right gives the same text.
// Not so for a NUL, for a name that could also be found from a pair's closing '%' on (then the
// rescanning rules replace other places than the pairs; such a name begins with the character
// after that '%', which values never replace), nor for a '%' right after a pair (an empty value
// would move the next pair), nor for a keyword that has no value. All of that depends on the
// text alone.
LinePlan analyseLine(std::string_view line) {
    LinePlan plan;
    if (line.find('\0') != std::string_view::npos)
        return plan;
    std::bitset<256> firstChars;      // the first characters of the pairs' names
    std::bitset<256> charsAfterPairs; // right after a closing '%'
    std::size_t search = 0;
    for (;;) {
        const std::size_t open = line.find('%', search);
        const std::size_t close = open == std::string_view::npos ? open : line.find('%', open + 1);
        if (close == std::string_view::npos)
            break;
        if (plan.pairs.size() == LineExpander::MAX_LINE_REPLACEMENTS)
            return {};
        const std::string_view candidate = line.substr(open, close - open + 1);
        const KeywordId id = lookupKeyword(candidate);
        if (id != KW_NONE && !keywordMeanings[id].appendValue)
            return {};
        plan.pairs.push_back({open, close, id});
        if (candidate.size() > 2)
            firstChars.set(static_cast<unsigned char>(candidate[1]));
        if (close + 1 < line.size())
            charsAfterPairs.set(static_cast<unsigned char>(line[close + 1]));
        search = close + 1;
    }
    if ((firstChars & charsAfterPairs).any() || charsAfterPairs.test('%'))
        return {};
    plan.onePass = true;
    return plan;
}

std::string LineExpander::expandLine(std::string_view line) const {
    std::string out;
    appendLine(line, analyseLine(line), out);
    return out;
}

void LineExpander::appendLine(std::string_view line, const LinePlan& plan, std::string& out) const {
    const std::size_t start = out.size();
    if (plan.onePass && appendInOnePass(line, plan, out))
        return;
    out.resize(start);
    out.append(expandRescanning(line));
}

// Values are fetched afresh on every call. An extra setting that the project lacks is seen
// before anything is appended; what is given up on after that is a value holding '%', or a cap
// that the rescanning rules might reach.
bool LineExpander::appendInOnePass(std::string_view line, const LinePlan& plan,
                                   std::string& out) const {
    for (const LinePair& pair : plan.pairs) {
        if (pair.id == KW_NONE &&
            !m_values.extraSetting(line.substr(pair.open + 1, pair.close - pair.open - 1)))
            return false;
    }
    const std::size_t lengthLimit = std::max(line.size(), MAX_EXPANDED_LINE_LENGTH);
    std::size_t longest = line.size(); // no text on the way is longer than this
    std::size_t pos = 0;               // copied up to here
    const ActionDefinition& action = m_values.currentAction();
    out.reserve(out.size() + line.size() + line.size() / 2);
    for (const LinePair& pair : plan.pairs) {
        const std::size_t candidateSize = pair.close - pair.open + 1;
        out.append(line.substr(pos, pair.open - pos));
        const std::size_t valueStart = out.size();
        m_values.appendValue(pair.id, line.substr(pair.open + 1, candidateSize - 2), action, out);
        const std::string_view value = std::string_view(out).substr(valueStart);
        if (value.find('%') != std::string_view::npos)
            return false;
        if (value.size() > candidateSize) {
            longest += value.size() - candidateSize;
            if (longest > lengthLimit)
                return false;
        }
        pos = pair.close + 1;
    }
    // Nor when the rescanning rules might run out of work first (each replacement at most
    // rewrites the longest text).
    if (plan.pairs.size() > MAX_LINE_WORK_FACTOR * lengthLimit / std::max<std::size_t>(longest, 1))
        return false;
    out.append(line.substr(pos));
    return true;
}

std::string LineExpander::expandRescanning(std::string_view line) const {
    std::string text(line);
    const std::size_t lengthLimit = std::max(text.size(), MAX_EXPANDED_LINE_LENGTH);
    const std::size_t workLimit = MAX_LINE_WORK_FACTOR * lengthLimit;
    std::size_t work = 0;
    std::size_t replaced = 0;
    std::size_t scan = 0;
    std::size_t start = 0;
    std::size_t length = 0;
    std::string candidate; // one buffer for every candidate of the line
    while (scan < text.size() &&
           findDelimitedPair(std::string_view(text).substr(scan), '%', '%', start, length)) {
        start += scan;
        candidate.assign(text, start, length);
        if (const std::optional<std::string> value = m_values.placeholderValue(candidate)) {
            // A runaway line stops here and is written as it stands.
            const std::size_t occurrences = countOccurrences(text, candidate);
            if (replaced + occurrences > MAX_LINE_REPLACEMENTS)
                break;
            if (value->size() > candidate.size() &&
                text.size() + occurrences * (value->size() - candidate.size()) > lengthLimit)
                break;
            work += text.size();
            if (work > workLimit)
                break;
            replaced += replaceAll(text, candidate, *value);
        }
        // Resuming one character in rescans a value's own placeholders: nested values expand.
        scan = start + 1;
    }
    return text;
}

std::string LineExpander::expandPath(std::string path) const {
    std::size_t replaced = 0;
    std::size_t searchFrom = 0;
    std::size_t start = 0;
    std::size_t length = 0;
    while (searchFrom < path.size() &&
           findDelimitedPair(std::string_view(path).substr(searchFrom), '%', '%', start, length)) {
        start += searchFrom;
        const std::string candidate = path.substr(start, length);
        const std::optional<std::string> value = m_values.placeholderValue(candidate);
        if (!value) {
            // A stray '%' or an unknown name stays; its closing '%' may open a real one.
            searchFrom = start + 1;
            continue;
        }
        const std::size_t occurrences = countOccurrences(path, candidate);
        if (replaced + occurrences > MAX_PATH_REPLACEMENTS)
            break;
        replaced += replaceAll(path, candidate, *value);
        searchFrom = 0;
    }
    return path;
}

} // namespace vantrel
