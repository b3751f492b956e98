#include "engine/LineExpander.h"

#include "engine/TextScan.h"

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

// The line's text and, byte for byte, whether a value put the byte there (1) or the template
// did (0). Replacing rebuilds both into spare buffers, so each replacement costs one pass.
struct MarkedText {
    std::string text;
    std::string marks;
    std::string spareText;
    std::string spareMarks;

    bool anyMarked(std::size_t start, std::size_t length) const {
        return marks.find('\1', start) < start + length;
    }

    // Replaces the exact occurrences, left to right without overlap; the inserted value is not
    // searched again. Returns how many were replaced.
    std::size_t replaceAll(std::string_view placeholder, std::string_view value) {
        std::size_t pos = text.find(placeholder);
        if (pos == std::string::npos)
            return 0;
        spareText.clear();
        spareMarks.clear();
        std::size_t copied = 0;
        std::size_t count = 0;
        for (; pos != std::string::npos; pos = text.find(placeholder, copied)) {
            spareText.append(text, copied, pos - copied).append(value);
            spareMarks.append(marks, copied, pos - copied).append(value.size(), '\1');
            copied = pos + placeholder.size();
            ++count;
        }
        spareText.append(text, copied);
        spareMarks.append(marks, copied);
        text.swap(spareText);
        marks.swap(spareMarks);
        return count;
    }
};

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

bool LineExpander::appendLine(std::string_view line, const LinePlan& plan, std::string& out,
                              std::string* stoppedAt) const {
    const std::size_t start = out.size();
    if (plan.onePass && appendInOnePass(line, plan, out))
        return true;
    out.resize(start);
    std::string text;
    const bool complete = expandRescanning(line, text, stoppedAt);
    out.append(text);
    return complete;
}

// Values are fetched afresh on every call. An extra setting that the project lacks is seen
// before anything is appended; what is given up on after that is a value holding '%'.
bool LineExpander::appendInOnePass(std::string_view line, const LinePlan& plan,
                                   std::string& out) const {
    for (const LinePair& pair : plan.pairs) {
        if (pair.id == KW_NONE &&
            !m_values.extraSetting(line.substr(pair.open + 1, pair.close - pair.open - 1)))
            return false;
    }
    std::size_t pos = 0; // copied up to here
    const ActionDefinition& action = m_values.currentAction();
    out.reserve(out.size() + line.size() + line.size() / 2);
    for (const LinePair& pair : plan.pairs) {
        out.append(line.substr(pos, pair.open - pos));
        const std::size_t valueStart = out.size();
        m_values.appendValue(pair.id, line.substr(pair.open + 1, pair.close - pair.open - 1),
                             action, out);
        if (out.find('%', valueStart) != std::string::npos)
            return false;
        pos = pair.close + 1;
    }
    out.append(line.substr(pos));
    return true;
}

std::string LineExpander::expandRescanning(std::string_view line) const {
    std::string text;
    expandRescanning(line, text);
    return text;
}

bool LineExpander::expandRescanning(std::string_view line, std::string& result,
                                    std::string* stoppedAt) const {
    MarkedText marked{std::string(line), std::string(line.size(), '\0'), {}, {}};
    std::size_t fedReplacements = 0;
    std::size_t fedGrowth = 0;
    std::size_t fedWork = 0;
    bool complete = true;
    std::size_t scan = 0;
    std::size_t start = 0;
    std::size_t length = 0;
    std::string candidate; // one buffer for every candidate of the line
    while (scan < marked.text.size() &&
           findDelimitedPair(std::string_view(marked.text).substr(scan), '%', '%', start, length)) {
        start += scan;
        candidate.assign(marked.text, start, length);
        if (const std::optional<std::string> value = m_values.placeholderValue(candidate)) {
            if (marked.anyMarked(start, length)) {
                // A runaway stops here and the line is written as it stands.
                const std::size_t before = marked.text.size();
                const std::size_t occurrences = countOccurrences(marked.text, candidate);
                const std::size_t growth =
                    value->size() > length ? occurrences * (value->size() - length) : 0;
                fedWork += before;
                if (++fedReplacements > MAX_FED_REPLACEMENTS ||
                    fedGrowth + growth > MAX_FED_GROWTH ||
                    fedWork > MAX_FED_WORK_FACTOR * (MAX_FED_GROWTH + before)) {
                    if (stoppedAt)
                        *stoppedAt = candidate;
                    complete = false;
                    break;
                }
                fedGrowth += growth;
            }
            marked.replaceAll(candidate, *value);
        }
        // Resuming one character in rescans a value's own placeholders: nested values expand.
        scan = start + 1;
    }
    result.swap(marked.text);
    return complete;
}

std::string LineExpander::expandPath(std::string path, std::string* stoppedAt) const {
    // Where one pass gives what rescanning from a line's pair on gives, it gives what rescanning
    // from the start gives too: nothing before the pair holds a '%', nor does any value. A run
    // expands a path for every file it writes.
    const LinePlan plan = analyseLine(path);
    std::string expanded;
    if (plan.onePass && appendInOnePass(path, plan, expanded))
        return expanded;
    return expandPathRescanning(std::move(path), stoppedAt);
}

std::string LineExpander::expandPathRescanning(std::string path, std::string* stoppedAt) const {
    MarkedText marked{std::move(path), {}, {}, {}};
    marked.marks.assign(marked.text.size(), '\0');
    std::size_t fedReplaced = 0;
    std::size_t searchFrom = 0;
    std::size_t start = 0;
    std::size_t length = 0;
    while (searchFrom < marked.text.size() &&
           findDelimitedPair(std::string_view(marked.text).substr(searchFrom), '%', '%', start,
                             length)) {
        start += searchFrom;
        const std::string candidate = marked.text.substr(start, length);
        const std::optional<std::string> value = m_values.placeholderValue(candidate);
        if (!value) {
            // A stray '%' or an unknown name stays; its closing '%' may open a real one.
            searchFrom = start + 1;
            continue;
        }
        if (marked.anyMarked(start, length)) {
            const std::size_t occurrences = countOccurrences(marked.text, candidate);
            if (fedReplaced + occurrences > MAX_PATH_FED_REPLACEMENTS) {
                if (stoppedAt)
                    *stoppedAt = candidate;
                break;
            }
            fedReplaced += occurrences;
        }
        marked.replaceAll(candidate, *value);
        searchFrom = 0;
    }
    return std::move(marked.text);
}

} // namespace vantrel
