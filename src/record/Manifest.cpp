#include "record/Manifest.h"

#include <algorithm>
#include <charconv>
#include <ctime>

namespace vantrel {
namespace {

constexpr std::string_view HEADER = "vantrel-manifest 2";
constexpr std::string_view FIRST_HEADER = "vantrel-manifest 1";
constexpr std::string_view WRITTEN = "written";
// A file entry's word when its place held other bytes than the run's.
constexpr std::string_view EDITED = "edited";

constexpr std::string_view KIND_WORDS[] = {"folder", "file", "copy"};
constexpr std::string_view ROLE_WORDS[] = {"configuration", "script", "template"};

// Where the next byte that is escaped stands, from at on; npos when none does. Hardly any path
// holds one, and a manifest has a path per file: the library's byte search beats a look at each.
std::size_t nextEscaped(std::string_view path, std::size_t at) {
    return std::min({path.find('\\', at), path.find('\n', at), path.find('\r', at)});
}

// Copied in runs between the few bytes that are escaped.
void appendPath(std::string& text, std::string_view path) {
    std::size_t start = 0;
    for (std::size_t at = nextEscaped(path, 0); at != std::string_view::npos;
         at = nextEscaped(path, start)) {
        text.append(path.substr(start, at - start));
        text += path[at] == '\\' ? "\\\\" : path[at] == '\n' ? "\\n" : "\\r";
        start = at + 1;
    }
    text.append(path.substr(start));
}

std::optional<std::string> readPath(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    std::string path;
    path.reserve(text.size());
    for (std::size_t start = 0;;) {
        const std::size_t at = text.find('\\', start);
        path.append(text.substr(start, at - start));
        if (at == std::string_view::npos)
            return path;
        if (at + 1 == text.size())
            return std::nullopt;
        const char escaped = text[at + 1];
        if (escaped == '\\')
            path += '\\';
        else if (escaped == 'n')
            path += '\n';
        else if (escaped == 'r')
            path += '\r';
        else
            return std::nullopt;
        start = at + 2;
    }
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
    if (path.empty())
        return false;
    if (path.starts_with('/'))
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

namespace {

template <std::size_t N>
std::optional<std::size_t> indexOf(const std::string_view (&words)[N], std::string_view word) {
    for (std::size_t i = 0; i < N; ++i)
        if (words[i] == word)
            return i;
    return std::nullopt;
}

} // namespace

std::size_t Manifest::indexOf(std::string_view path, ContentHash key) const {
    const auto [first, last] = m_files.equal_range(key);
    for (auto at = first; at != last; ++at)
        if (entries[at->second].path == path)
            return at->second;
    for (std::size_t index = m_indexed; index < entries.size(); ++index)
        if (entries[index].kind != Kind::Folder && entries[index].path == path)
            return index;
    return entries.size();
}

void Manifest::indexAll() {
    for (; m_indexed < entries.size(); ++m_indexed)
        if (entries[m_indexed].kind != Kind::Folder)
            m_files.emplace(contentHash(entries[m_indexed].path), m_indexed);
}

const Manifest::Entry* Manifest::find(std::string_view path) const {
    const std::size_t index = indexOf(path, contentHash(path));
    return index == entries.size() ? nullptr : &entries[index];
}

void Manifest::add(Entry entry) {
    if (entry.kind == Kind::Folder) {
        entries.push_back(std::move(entry));
        return;
    }
    indexAll();
    const ContentHash key = contentHash(entry.path);
    if (const std::size_t index = indexOf(entry.path, key); index != entries.size()) {
        entries[index] = std::move(entry);
        return;
    }
    m_files.emplace(key, entries.size());
    entries.push_back(std::move(entry));
    m_indexed = entries.size();
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

bool writeManifestText(const Manifest& manifest, const TextSink& sink) {
    std::string text;
    text.reserve(TEXT_PIECE_SIZE * 2);
    text += HEADER;
    text += '\n';
    text += WRITTEN;
    text += ' ';
    char number[24];
    text.append(number, std::to_chars(number, number + sizeof number, manifest.writtenAt).ptr);
    text += '\n';
    const auto lineDone = [&] {
        text += '\n';
        if (text.size() < TEXT_PIECE_SIZE)
            return true;
        const bool taken = sink(text);
        text.clear();
        return taken;
    };
    for (const Manifest::Input& input : manifest.inputs) {
        text += "input ";
        text += ROLE_WORDS[static_cast<std::size_t>(input.role)];
        text += ' ';
        appendHashText(text, input.hash);
        text += ' ';
        appendPath(text, input.path);
        if (!lineDone())
            return false;
    }
    for (const Manifest::Entry& entry : manifest.entries) {
        // A line per file of the run: made in place after one resize, the path appended after.
        const std::string_view word = entry.kind == Manifest::Kind::File && !entry.held
                                          ? EDITED
                                          : KIND_WORDS[static_cast<std::size_t>(entry.kind)];
        const std::size_t start = text.size();
        text.resize(start + word.size() + 1 + 20 + 1 + 16 + 1);
        char* out = std::copy(word.begin(), word.end(), text.data() + start);
        *out++ = ' ';
        if (entry.kind != Manifest::Kind::Folder) {
            out = std::to_chars(out, out + 20, entry.size).ptr;
            *out++ = ' ';
            out = writeHashText(out, entry.hash);
            *out++ = ' ';
        }
        text.resize(static_cast<std::size_t>(out - text.data()));
        appendPath(text, entry.path);
        if (!lineDone())
            return false;
    }
    return sink(text);
}

std::string manifestText(const Manifest& manifest) {
    std::string text;
    writeManifestText(manifest, [&text](std::string_view piece) {
        text += piece;
        return true;
    });
    return text;
}

std::optional<Manifest> readManifest(std::string_view text, std::string& why) {
    Manifest manifest;
    std::size_t number = 0;
    const auto fault = [&](std::string_view problem) {
        why = "line " + std::to_string(number) + ": " + std::string(problem);
        return std::nullopt;
    };
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos)
            return fault("the last line has no end");
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        if (number == 1) {
            if (line != HEADER && line != FIRST_HEADER)
                return fault("no manifest of this version");
            continue;
        }
        std::string_view word;
        if (!nextWord(line, word))
            return fault("a word is missing");
        if (word == WRITTEN) {
            if (!readNumber(line, manifest.writtenAt) || manifest.writtenAt < 0)
                return fault("no time");
            continue;
        }
        if (word == "input") {
            std::string_view role;
            std::string_view hash;
            if (!nextWord(line, role) || !nextWord(line, hash))
                return fault("a word is missing");
            const std::optional<std::size_t> roleIndex = indexOf(ROLE_WORDS, role);
            const std::optional<ContentHash> hashValue = parseHash(hash);
            std::optional<std::string> path = readPath(line);
            if (!roleIndex || !hashValue || !path)
                return fault("no input line");
            manifest.addInput(
                {static_cast<Manifest::Role>(*roleIndex), std::move(*path), *hashValue});
            continue;
        }
        const bool edited = word == EDITED;
        const std::optional<std::size_t> kind =
            edited ? std::optional(static_cast<std::size_t>(Manifest::Kind::File))
                   : indexOf(KIND_WORDS, word);
        if (!kind)
            return fault("unknown entry \"" + std::string(word.substr(0, 24)) + "\"");
        Manifest::Entry entry;
        entry.kind = static_cast<Manifest::Kind>(*kind);
        entry.held = entry.kind == Manifest::Kind::File && !edited;
        if (entry.kind != Manifest::Kind::Folder) {
            std::string_view size;
            std::string_view hash;
            if (!nextWord(line, size) || !nextWord(line, hash))
                return fault("a word is missing");
            const std::optional<ContentHash> hashValue = parseHash(hash);
            if (!readNumber(size, entry.size) || !hashValue)
                return fault("no size and hash");
            entry.hash = *hashValue;
        }
        std::optional<std::string> path = readPath(line);
        if (!path)
            return fault("no path");
        if (!isTargetPath(*path))
            return fault("a path that leads out of the location");
        entry.path = std::move(*path);
        manifest.add(std::move(entry));
    }
    if (number == 0)
        return fault("the manifest is empty");
    return manifest;
}

} // namespace vantrel
