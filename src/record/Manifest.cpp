#include "record/Manifest.h"

#include <algorithm>
#include <charconv>
#include <ctime>
#include <tuple>
#include <unordered_set>

namespace vantrel {
namespace {

constexpr std::string_view HEADER = "vantrel-manifest 3";
constexpr std::string_view OLD_HEADERS[] = {"vantrel-manifest 1", "vantrel-manifest 2"};
constexpr std::string_view LOCAL_HEADER = "vantrel-local 1";
constexpr std::string_view WRITTEN = "written";
constexpr std::string_view EDITED = "edited";
constexpr std::string_view GONE = "gone";
constexpr std::string_view CONFLICT = "conflict";
constexpr std::string_view YOURS = "yours";
constexpr std::string_view TEMPLATE_SET = "template-set";
constexpr std::string_view TEMPLATE_VERSION = "template-version";

constexpr std::string_view KIND_WORDS[] = {"folder", "file", "copy"};
constexpr std::string_view ROLE_WORDS[] = {"configuration", "script", "template"};

void appendPath(std::string& text, std::string_view path) {
    for (const char c : path) {
        switch (c) {
        case '\\':
            text += "\\\\";
            break;
        case '\n':
            text += "\\n";
            break;
        case '\r':
            text += "\\r";
            break;
        default:
            text += c;
        }
    }
}

std::optional<std::string> readPath(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    std::string path;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '\\') {
            path += text[at];
            continue;
        }
        if (++at == text.size())
            return std::nullopt;
        switch (text[at]) {
        case '\\':
            path += '\\';
            break;
        case 'n':
            path += '\n';
            break;
        case 'r':
            path += '\r';
            break;
        default:
            return std::nullopt;
        }
    }
    return path;
}

// The next word of a line and the rest after its space.
bool nextWord(std::string_view& line, std::string_view& word) {
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos)
        return false;
    word = line.substr(0, space);
    line.remove_prefix(space + 1);
    return true;
}

template <typename Number>
bool readNumber(std::string_view word, Number& number) {
    const auto [at, error] = std::from_chars(word.data(), word.data() + word.size(), number);
    return error == std::errc() && at == word.data() + word.size() && !word.empty();
}

template <std::size_t N>
std::optional<std::size_t> indexOf(const std::string_view (&words)[N], std::string_view word) {
    for (std::size_t i = 0; i < N; ++i)
        if (words[i] == word)
            return i;
    return std::nullopt;
}

bool pathBefore(const Manifest::Entry& a, const Manifest::Entry& b) {
    return a.path < b.path;
}

// Reads one target line after its first word; what is wrong with it, or null when it reads.
const char* readEntry(std::string_view word, std::string_view line, int version,
                      Manifest::Entry& entry) {
    if (word == YOURS) {
        entry.yours = true;
        if (version < 3 || !nextWord(line, word))
            return "unknown entry";
    }
    if (word == GONE || word == CONFLICT) {
        entry.state = word == GONE ? Manifest::State::Gone : Manifest::State::Conflict;
        if (version < 3 || !nextWord(line, word))
            return "unknown entry";
    }
    // Versions before 3 wrote "edited" for a file the user had changed: still the run's text.
    const bool edited = version < 3 && word == EDITED;
    const std::optional<std::size_t> kind =
        edited ? std::optional(std::size_t{1}) : indexOf(KIND_WORDS, word);
    if (!kind)
        return "unknown entry";
    entry.kind = static_cast<Manifest::Kind>(*kind);
    if (entry.kind == Manifest::Kind::Folder &&
        (entry.state != Manifest::State::Generated || entry.yours))
        return "unknown entry";
    entry.held = version < 3 && entry.kind == Manifest::Kind::File && !edited;
    if (entry.kind != Manifest::Kind::Folder) {
        std::string_view size;
        std::string_view hash;
        if (!nextWord(line, size) || !nextWord(line, hash) || !readNumber(size, entry.size))
            return "no size and hash";
        const std::optional<ContentHash> hashValue = parseHash(hash);
        if (!hashValue)
            return "no size and hash";
        entry.hash = *hashValue;
        if (entry.state == Manifest::State::Conflict) {
            std::string_view pending;
            std::optional<ContentHash> pendingValue;
            if (nextWord(line, pending))
                pendingValue = parseHash(pending);
            if (!pendingValue)
                return "no hash of the new text";
            entry.pending = *pendingValue;
        }
    }
    std::optional<std::string> path = readPath(line);
    if (!path)
        return "no path";
    if (!isTargetPath(*path))
        return "a path that leads out of the project folder";
    entry.path = std::move(*path);
    return nullptr;
}

} // namespace

std::int64_t fileClockNow() {
#ifdef CLOCK_REALTIME_COARSE
    // The kernel stamps a change with this clock, so a later change never shows less.
    struct timespec now {};
    if (::clock_gettime(CLOCK_REALTIME_COARSE, &now) == 0)
        return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
#endif
    return 0;
}

bool isTargetPath(std::string_view path) {
    if (path.empty() || path.starts_with('/'))
        return false;
    while (!path.empty()) {
        const std::size_t slash = path.find('/');
        const std::string_view name = path.substr(0, slash);
        if (name.empty() || name == "." || name == "..")
            return false;
        if (slash == std::string_view::npos)
            break;
        path.remove_prefix(slash + 1);
        if (path.empty())
            return false;
    }
    return true;
}

void Manifest::finish() {
    std::stable_sort(entries.begin(), entries.end(), pathBefore);
    // Of the entries for one path, the last one made stands.
    const auto kept = std::unique(entries.rbegin(), entries.rend(),
                                  [](const Entry& a, const Entry& b) { return a.path == b.path; });
    entries.erase(entries.begin(), kept.base());
    std::sort(inputs.begin(), inputs.end(),
              [](const Input& a, const Input& b) { return a.path < b.path; });
}

void Manifest::sortForLookup() {
    const auto fields = [](const Entry& entry) {
        return std::tie(entry.path, entry.kind, entry.state, entry.hash, entry.size, entry.pending,
                        entry.yours);
    };
    std::sort(entries.begin(), entries.end(),
              [&](const Entry& a, const Entry& b) { return fields(a) < fields(b); });
    entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
}

std::span<const Manifest::Entry> Manifest::at(std::string_view path) const {
    const auto first = std::lower_bound(
        entries.begin(), entries.end(), path,
        [](const Entry& entry, std::string_view wanted) { return entry.path < wanted; });
    auto last = first;
    while (last != entries.end() && last->path == path)
        ++last;
    return {first, last};
}

const Manifest::Input* Manifest::findInput(std::string_view path) const {
    for (const Input& input : inputs)
        if (input.path == path)
            return &input;
    return nullptr;
}

void Manifest::addInput(Input input) {
    // The first reading counts: it is what the run's first use of the file saw.
    if (findInput(input.path) == nullptr)
        inputs.push_back(std::move(input));
}

bool writeManifest(const Manifest& manifest, const TextSink& sink) {
    std::string text(HEADER);
    text += '\n';
    for (const auto& [word, value] : {std::pair{TEMPLATE_SET, &manifest.templates.name},
                                      std::pair{TEMPLATE_VERSION, &manifest.templates.version}})
        if (!value->empty()) {
            text.append(word).append(" ");
            appendPath(text, *value);
            text += '\n';
        }
    for (const Manifest::Input& input : manifest.inputs) {
        text += "input ";
        text += ROLE_WORDS[static_cast<std::size_t>(input.role)];
        text += ' ';
        appendHashText(text, input.hash);
        text += ' ';
        appendPath(text, input.path);
        text += '\n';
    }
    for (const Manifest::Entry& entry : manifest.entries) {
        if (entry.yours)
            text += "yours ";
        if (entry.state == Manifest::State::Gone)
            text += "gone ";
        else if (entry.state == Manifest::State::Conflict)
            text += "conflict ";
        text += KIND_WORDS[static_cast<std::size_t>(entry.kind)];
        text += ' ';
        if (entry.kind != Manifest::Kind::Folder) {
            text += std::to_string(entry.size);
            text += ' ';
            appendHashText(text, entry.hash);
            text += ' ';
            if (entry.state == Manifest::State::Conflict) {
                appendHashText(text, entry.pending);
                text += ' ';
            }
        }
        appendPath(text, entry.path);
        text += '\n';
        if (text.size() >= TEXT_PIECE_SIZE) {
            if (!sink(text))
                return false;
            text.clear();
        }
    }
    return sink(text);
}

std::string manifestText(const Manifest& manifest) {
    std::string text;
    writeManifest(manifest, [&text](std::string_view piece) {
        text += piece;
        return true;
    });
    return text;
}

ReadManifest readManifest(std::string_view text) {
    ReadManifest read;
    std::size_t number = 0;
    const auto fault = [&](std::string_view problem) {
        if (read.why.empty())
            read.why = "line " + std::to_string(number) + ": " + std::string(problem);
    };
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (end == std::string_view::npos) {
            fault("the last line has no end"); // cut short: the line may be too
            break;
        }
        if (number == 1) {
            if (line == HEADER)
                read.version = 3;
            else if (line == OLD_HEADERS[0] || line == OLD_HEADERS[1])
                read.version = line.back() - '0';
            if (read.version == 0) {
                fault("no manifest of this version");
                return read;
            }
            continue;
        }
        std::string_view word;
        if (!nextWord(line, word)) {
            fault("a word is missing");
            continue;
        }
        if (word == WRITTEN && read.version == 2) {
            if (!readNumber(line, read.manifest.writtenAt) || read.manifest.writtenAt < 0)
                fault("no time");
            continue;
        }
        if (word == TEMPLATE_SET || word == TEMPLATE_VERSION) {
            std::optional<std::string> value = readPath(line);
            TemplateSetVersion& templates = read.manifest.templates;
            if (!value)
                fault("no template set");
            // Two branches' records joined: the older version, whose notes cover the newer's.
            else if (word == TEMPLATE_SET && templates.name.empty())
                templates.name = std::move(*value);
            else if (word == TEMPLATE_VERSION &&
                     (templates.version.empty() || compareVersions(*value, templates.version) < 0))
                templates.version = std::move(*value);
            continue;
        }
        if (word == "input") {
            std::string_view role;
            std::string_view hash;
            std::optional<std::size_t> roleIndex;
            std::optional<ContentHash> hashValue;
            if (nextWord(line, role) && nextWord(line, hash)) {
                roleIndex = indexOf(ROLE_WORDS, role);
                hashValue = parseHash(hash);
            }
            std::optional<std::string> path = readPath(line);
            if (!roleIndex || !hashValue || !path) {
                fault("no input line");
                continue;
            }
            read.manifest.addInput(
                {static_cast<Manifest::Role>(*roleIndex), std::move(*path), *hashValue});
            continue;
        }
        Manifest::Entry entry;
        if (const char* problem = readEntry(word, line, read.version, entry)) {
            fault(std::string(problem) == "unknown entry"
                      ? "unknown entry \"" + std::string(word.substr(0, 24)) + "\""
                      : std::string(problem));
            continue;
        }
        read.manifest.entries.push_back(std::move(entry));
    }
    if (number == 0)
        fault("the manifest is empty");
    read.manifest.sortForLookup();
    return read;
}

std::string localText(const Manifest& manifest) {
    std::string text(LOCAL_HEADER);
    text += '\n';
    text += WRITTEN;
    text += ' ';
    text += std::to_string(manifest.writtenAt);
    text += '\n';
    for (const Manifest::Entry& entry : manifest.entries)
        if (entry.kind == Manifest::Kind::File && entry.state == Manifest::State::Generated &&
            !entry.held) {
            text += EDITED;
            text += ' ';
            appendPath(text, entry.path);
            text += '\n';
        }
    return text;
}

bool applyLocalText(std::string_view text, Manifest& manifest) {
    std::int64_t written = 0;
    std::unordered_set<std::string> edited;
    std::size_t number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos)
            return false;
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        std::string_view word;
        if (number == 1) {
            if (line != LOCAL_HEADER)
                return false;
        } else if (!nextWord(line, word)) {
            return false;
        } else if (word == WRITTEN) {
            if (!readNumber(line, written) || written < 0)
                return false;
        } else if (word == EDITED) {
            std::optional<std::string> path = readPath(line);
            if (!path)
                return false;
            edited.insert(std::move(*path));
        } else {
            return false;
        }
    }
    if (number == 0)
        return false;
    manifest.writtenAt = written;
    for (Manifest::Entry& entry : manifest.entries)
        entry.held = entry.kind == Manifest::Kind::File &&
                     entry.state == Manifest::State::Generated && !edited.contains(entry.path);
    return true;
}

} // namespace vantrel
