#include "Names.h"

#include "model/AsciiCase.h"

#include <algorithm>
#include <numeric>

namespace vantrel {

namespace {

// Edits from one text to the other, ASCII case ignored: insertions, deletions, replacements
// and swaps of two neighbouring characters, the usual slips of typing.
std::size_t editDistance(std::string_view a, std::string_view b) {
    const auto same = [&](std::size_t i, std::size_t j) {
        return foldAscii(a[i]) == foldAscii(b[j]);
    };
    // Three rows of the table: the one before the previous, the previous and the current.
    std::vector<std::size_t> before(b.size() + 1);
    std::vector<std::size_t> previous(b.size() + 1);
    std::vector<std::size_t> current(b.size() + 1);
    std::iota(previous.begin(), previous.end(), std::size_t{0});
    for (std::size_t i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1,
                                   previous[j - 1] + (same(i - 1, j - 1) ? 0 : 1)});
            if (i > 1 && j > 1 && same(i - 1, j - 2) && same(i - 2, j - 1))
                current[j] = std::min(current[j], before[j - 2] + 1);
        }
        std::swap(before, previous);
        std::swap(previous, current);
    }
    return previous[b.size()];
}

bool isNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

std::string withoutPercent(std::string_view name) {
    if (name.size() > 2 && name.front() == '%' && name.back() == '%')
        name = name.substr(1, name.size() - 2);
    return std::string(name);
}

} // namespace

std::string_view textOf(const CompiledTemplate& file, std::size_t index) {
    std::string_view line = file.line(index);
    if (!line.empty() && line.back() == '\n')
        line.remove_suffix(1);
    return line;
}

std::string quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

std::string suggestion(std::string_view word, const std::vector<std::string>& candidates) {
    // A quarter of the word may be wrong, one character at least: near enough for a typing
    // slip, far enough from every other name.
    const std::size_t allowed = std::max<std::size_t>(1, word.size() / 4);
    const std::string* best = nullptr;
    std::size_t bestDistance = allowed + 1;
    for (const std::string& candidate : candidates) {
        if (candidate == word)
            continue;
        // A name that differs in letter case alone is the nearest of all.
        const std::size_t distance = editDistance(word, candidate);
        if (distance < bestDistance) {
            best = &candidate;
            bestDistance = distance;
        }
    }
    return best ? " (did you mean '" + *best + "'?)" : std::string();
}

std::vector<std::string> conditionNames() {
    std::vector<std::string> names;
    for (const KeywordEntry& entry : keywordTable) {
        if (keywordMeanings[entry.id].condition)
            names.push_back(withoutPercent(entry.name));
    }
    return names;
}

std::vector<std::string> loopBoundNames() {
    std::vector<std::string> names;
    for (const KeywordEntry& entry : keywordTable) {
        if (keywordMeanings[entry.id].countsActions || entry.id == KW_ZERO)
            names.push_back(withoutPercent(entry.name));
    }
    return names;
}

std::vector<std::string> placeholderNames(const ProjectState& project) {
    std::vector<std::string> names;
    for (const KeywordEntry& entry : keywordTable) {
        if (keywordMeanings[entry.id].appendValue)
            names.push_back("%" + withoutPercent(entry.name) + "%");
    }
    for (const ExtraSetting& setting : project.extraSettings)
        names.push_back("%" + setting.key + "%");
    return names;
}

std::vector<PlaceholderUse> placeholdersOf(std::string_view text, const KeywordValues& values) {
    std::vector<PlaceholderUse> uses;
    std::size_t open = text.find('%');
    while (open != std::string_view::npos) {
        const std::size_t close = text.find('%', open + 1);
        if (close == std::string_view::npos)
            break;
        const std::string_view name = text.substr(open + 1, close - open - 1);
        if (name.empty() || !std::all_of(name.begin(), name.end(), isNameCharacter)) {
            open = close;
            continue;
        }
        const std::string_view pair = text.substr(open, close - open + 1);
        const KeywordId id = lookupKeyword(pair);
        const bool hasValue = id != KW_NONE ? keywordMeanings[id].appendValue != nullptr
                                            : values.extraSetting(name) != nullptr;
        uses.push_back({open, pair, id, hasValue});
        open = hasValue ? text.find('%', close + 1) : close;
    }
    return uses;
}

} // namespace vantrel
