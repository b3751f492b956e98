#include "config/Configuration.h"

#include "fileutil/TextFile.h"

#include <algorithm>
#include <optional>

namespace vantrel {
namespace {

enum class Token {
    Word,
    Assign,    // =
    Quoted,    // "..."
    Comma,     // ,
    Semicolon, // ;
};

constexpr std::string_view BLANKS = " \t\n\r";

// Splits into lines that keep their "\n".
std::vector<std::string> splitLines(std::string_view content) {
    std::vector<std::string> lines;
    while (!content.empty()) {
        const std::size_t lineEnd = content.find('\n');
        const std::size_t taken = lineEnd == std::string_view::npos ? content.size() : lineEnd + 1;
        lines.emplace_back(content.substr(0, taken));
        content.remove_prefix(taken);
    }
    return lines;
}

// The tokens of one line: words, the three operators and quoted strings. A quoted string runs
// to the next quote, or to the end of the line (its line break included) when none closes it;
// a word ends at a blank, a quote or an operator.
class LineTokens {
public:
    explicit LineTokens(std::string_view line)
        : m_rest(line) {}

    // The next token, or an empty word at the end of the line.
    std::string_view next(Token& kind) {
        kind = Token::Word;
        const std::size_t start = m_rest.find_first_not_of(BLANKS);
        if (start == std::string_view::npos)
            return {};
        m_rest.remove_prefix(start);
        std::size_t length = 1;
        switch (m_rest.front()) {
        case '"':
            kind = Token::Quoted;
            length = std::min(m_rest.find('"', 1), m_rest.size() - 1) + 1;
            break;
        case '=':
            kind = Token::Assign;
            break;
        case ',':
            kind = Token::Comma;
            break;
        case ';':
            kind = Token::Semicolon;
            break;
        default:
            length = std::min(m_rest.find_first_of(" \t\n\r\"=,;"), m_rest.size());
            break;
        }
        const std::string_view token = m_rest.substr(0, length);
        m_rest.remove_prefix(length);
        return token;
    }

    Token nextKind() {
        Token kind = Token::Word;
        next(kind);
        return kind;
    }

private:
    std::string_view m_rest;
};

// A quoted token without the quotes at either end, however many stand there.
std::string unquoted(std::string_view token) {
    token.remove_prefix(std::min(token.find_first_not_of('"'), token.size()));
    token.remove_suffix(token.size() - (token.find_last_not_of('"') + 1));
    return std::string(token);
}

// Reads '= "value"' after a key; false when either is missing. assigns, when given, is set when
// the "=" is there.
bool readAssignedValue(LineTokens& tokens, std::string& value, bool* assigns) {
    if (tokens.nextKind() != Token::Assign)
        return false;
    if (assigns)
        *assigns = true;
    Token kind = Token::Word;
    const std::string_view token = tokens.next(kind);
    if (kind != Token::Quoted)
        return false;
    value = unquoted(token);
    return true;
}

void readExtraSetting(ProjectState& project, LineTokens& tokens, const std::string& key,
                      ConfigurationLine* report) {
    if (tokens.nextKind() != Token::Assign)
        return;
    if (report)
        report->assigns = true;
    Token kind = Token::Word;
    const std::string_view first = tokens.next(kind);
    if (kind != Token::Quoted)
        return;
    std::string value = unquoted(first);
    if (tokens.nextKind() != Token::Comma)
        return;
    const std::string_view second = tokens.next(kind);
    if (kind != Token::Quoted)
        return;
    std::string secondValue = unquoted(second);
    if (value.empty() || secondValue.empty())
        return;
    for (const ExtraSetting& setting : project.extraSettings)
        if (setting.key == key)
            return;
    auto& list = project.extraSettings;
    if (list.size() == list.capacity())
        list.reserve((list.size() + 16) / 16 * 16);
    list.push_back({key, std::move(value), std::move(secondValue)});
    if (report)
        report->kind = ConfigurationLine::Kind::ExtraSetting;
}

void readLine(ProjectState& project, const std::string& line, ConfigurationLine* report = nullptr) {
    LineTokens tokens(line);
    Token kind = Token::Word;
    const std::string_view word = tokens.next(kind);
    // The key ends at a NUL; a word that begins with one names nothing (as a key it would stand
    // for every "%%").
    const std::string key(word.substr(0, word.find('\0')));
    if (key.empty())
        return;
    if (report) {
        report->key = key;
        report->keyColumn = line.find(key) + 1; // the first word: nothing but blanks before it
    }
    const std::string lowerKey = lowerAscii(key);
    for (const ProjectState::SettingField& setting : ProjectState::settingFields()) {
        if (lowerKey != setting.key)
            continue;
        std::string& field = project.*setting.field;
        // Without a quoted value the setting keeps what it has.
        std::string value;
        const bool valueRead =
            readAssignedValue(tokens, value, report ? &report->assigns : nullptr);
        if (valueRead)
            field = std::move(value);
        if (report) {
            report->kind = ConfigurationLine::Kind::Setting;
            report->valueRead = valueRead;
        }
        if (setting.field == &ProjectState::workdirectory) {
            project.locationBase = project.workdirectory;
            project.locationText = project.workdirectory;
        } else if (setting.field == &ProjectState::defaultprojectname) {
            project.nameText = project.defaultprojectname;
        }
        return;
    }
    readExtraSetting(project, tokens, key, report);
}

// Reads every line of the text; lines, when given, receive what each line was taken for.
void readText(ProjectState& project, std::string_view text, std::vector<ConfigurationLine>* lines) {
    for (const std::string& line : splitLines(text)) {
        if (!lines) {
            readLine(project, line);
            continue;
        }
        ConfigurationLine& report = lines->emplace_back();
        report.number = lines->size();
        readLine(project, line, &report);
    }
}

} // namespace

bool readConfiguration(ProjectState& project, MessageSink& sink, std::string_view path) {
    // The byte-order mark goes with the text's reading, so it cannot hide the first key.
    const std::optional<std::string> content = readTextFile(std::string(path));
    if (!content) {
        reportError(sink, ErrorKind::ERR_CONFIG_OPEN, path);
        return false;
    }
    readText(project, *content, nullptr);
    return true;
}

void readConfigurationBytes(ProjectState& project, std::string bytes) {
    normaliseText(bytes);
    readText(project, bytes, nullptr);
}

std::vector<ConfigurationLine> readConfigurationText(ProjectState& project, std::string_view text) {
    std::vector<ConfigurationLine> lines;
    readText(project, text, &lines);
    return lines;
}

} // namespace vantrel
