#include "config/TemplateSet.h"

#include <algorithm>
#include <optional>
#include <set>

namespace vantrel {
namespace {

constexpr std::string_view BLANKS = " \t\r";

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view withoutV(std::string_view version) {
    if (version.size() > 1 && (version[0] == 'v' || version[0] == 'V') && isDigit(version[1]))
        version.remove_prefix(1);
    return version;
}

std::vector<std::string_view> dotParts(std::string_view text) {
    std::vector<std::string_view> parts;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('.'), text.size());
        parts.push_back(text.substr(0, end));
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return parts;
}

bool isNumber(std::string_view part) {
    return !part.empty() && std::all_of(part.begin(), part.end(), isDigit);
}

int comparePart(std::string_view a, std::string_view b) {
    if (isNumber(a) && isNumber(b)) {
        // Compared as written, without leading zeros, so that no number is too long.
        a.remove_prefix(std::min(a.find_first_not_of('0'), a.size()));
        b.remove_prefix(std::min(b.find_first_not_of('0'), b.size()));
        if (a.size() != b.size())
            return a.size() < b.size() ? -1 : 1;
    } else if (isNumber(a) != isNumber(b)) {
        return isNumber(a) ? -1 : 1;
    }
    return a.compare(b) < 0 ? -1 : a == b ? 0 : 1;
}

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> found;
    for (;;) {
        const std::size_t start = line.find_first_not_of(BLANKS);
        if (start == std::string_view::npos)
            return found;
        line.remove_prefix(start);
        const std::size_t end = std::min(line.find_first_of(BLANKS), line.size());
        found.push_back(line.substr(0, end));
        line.remove_prefix(end);
    }
}

// A move's side as a path below the project folder, "/" between names; none when it is not one.
std::optional<std::string> movePath(std::string_view written) {
    std::string path(written);
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.empty() || path.front() == '/' || std::count(path.begin(), path.end(), '*') > 1)
        return std::nullopt;
    for (std::size_t at = 0; at <= path.size();) {
        const std::size_t end = std::min(path.find('/', at), path.size());
        const std::string_view name = std::string_view(path).substr(at, end - at);
        if (name.empty() || name == "." || name == ".." || name.find(':') != name.npos)
            return std::nullopt;
        at = end + 1;
    }
    return path;
}

std::optional<std::string> moveProblem(const std::vector<std::string_view>& line,
                                       DeclaredMove& move) {
    if (line.size() != 3)
        return "a move names an old and a new path: moved OLD NEW";
    const std::optional<std::string> from = movePath(line[1]);
    const std::optional<std::string> to = movePath(line[2]);
    if (!from || !to)
        return "a moved path lies below the project folder, with at most one \"*\"";
    if ((from->find('*') == std::string::npos) != (to->find('*') == std::string::npos))
        return "a \"*\" in one path of a move needs one in the other";
    if (*from == *to)
        return "a move to where the file is already";
    move.from = *from;
    move.to = *to;
    return std::nullopt;
}

// The version a heading line names, or none when it is no heading or names no version.
std::optional<std::string_view> headingVersion(std::string_view line) {
    if (!line.starts_with('#'))
        return std::nullopt;
    line.remove_prefix(std::min(line.find_first_not_of('#'), line.size()));
    const std::vector<std::string_view> found = words(line);
    if (found.empty() || !isDigit(withoutV(found.front()).front()))
        return std::nullopt;
    return found.front();
}

} // namespace

std::string TemplateSetVersion::text() const {
    if (name.empty() || version.empty())
        return name + version;
    return name + " " + version;
}

int compareVersions(std::string_view a, std::string_view b) {
    // "MAIN-PRERELEASE+BUILD": the build says nothing of the order.
    const auto split = [](std::string_view version) {
        version = withoutV(version.substr(0, version.find('+')));
        const std::size_t dash = version.find('-');
        return std::pair{dotParts(version.substr(0, dash)),
                         dash == version.npos ? std::vector<std::string_view>()
                                              : dotParts(version.substr(dash + 1))};
    };
    const auto [mainA, preA] = split(a);
    const auto [mainB, preB] = split(b);
    // A part not given counts as 0: "2.1" is "2.1.0".
    for (std::size_t at = 0; at < std::max(mainA.size(), mainB.size()); ++at)
        if (const int order = comparePart(at < mainA.size() ? mainA[at] : "0",
                                          at < mainB.size() ? mainB[at] : "0");
            order != 0)
            return order;
    // A pre-release comes before its version; the one with fewer parts before the longer.
    if (preA.empty() != preB.empty())
        return preA.empty() ? 1 : -1;
    for (std::size_t at = 0; at < std::min(preA.size(), preB.size()); ++at)
        if (const int order = comparePart(preA[at], preB[at]); order != 0)
            return order;
    return preA.size() < preB.size() ? -1 : preA.size() > preB.size() ? 1 : 0;
}

TemplateNotes readTemplateNotes(std::string_view text) {
    TemplateNotes notes;
    std::set<std::string, std::less<>> seen;
    std::size_t number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (const std::optional<std::string_view> version = headingVersion(line)) {
            if (!seen.insert(std::string(*version)).second)
                notes.problems.push_back(
                    {number, "version " + std::string(*version) + " has notes above already"});
            notes.versions.push_back({std::string(*version), number, {}, {}});
        }
        const std::vector<std::string_view> found = words(line);
        if (!found.empty() && found.front() == "moved") {
            DeclaredMove move;
            move.line = number;
            if (notes.versions.empty())
                notes.problems.push_back({number, "a move outside a version's notes"});
            else if (const std::optional<std::string> problem = moveProblem(found, move))
                notes.problems.push_back({number, *problem});
            else
                notes.versions.back().moves.push_back(std::move(move));
        }
        if (!notes.versions.empty())
            notes.versions.back().text.append(line).append("\n");
    }
    // The blank lines before the next heading part the sections; they belong to neither.
    for (VersionNotes& version : notes.versions)
        while (version.text.ends_with("\n\n"))
            version.text.pop_back();
    return notes;
}

std::string movedPath(const std::string& path, const DeclaredMove& move) {
    const std::size_t star = move.from.find('*');
    if (star == std::string::npos)
        return path == move.from ? move.to : path;
    const std::string_view before = std::string_view(move.from).substr(0, star);
    const std::string_view after = std::string_view(move.from).substr(star + 1);
    if (path.size() <= before.size() + after.size() || !path.starts_with(before) ||
        !path.ends_with(after))
        return path;
    const std::string part = path.substr(before.size(), path.size() - before.size() - after.size());
    if (part.find('/') != std::string::npos)
        return path;
    std::string moved = move.to;
    moved.replace(moved.find('*'), 1, part);
    return moved;
}

} // namespace vantrel
