#include "config/Configuration.h"

#include "config/TokenScanner.h"
#include "config/TokenTable.h"

#include "fileutil/TextFile.h"

#include <optional>

namespace vantrel {
namespace {

enum TokenId : std::int32_t {
    TOKEN_WORD = 0,
    TOKEN_ASSIGN = 1,    // =
    TOKEN_QUOTED = 2,    // "..."
    TOKEN_COMMA = 3,     // ,
    TOKEN_SEMICOLON = 4, // ;
};

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

// Takes the next token of the line and returns its id.
std::int32_t nextTokenId(TokenScanner& scanner) {
    std::int32_t id = 0;
    scanner.nextToken(nullptr, id);
    return id;
}

std::string unquoted(const TextRange& token) {
    TextRange value(token);
    value.skipLeading('"');
    value.dropTrailing('"');
    return std::string(value.view());
}

void readExtraSetting(ProjectState& project, TokenScanner& scanner, const std::string& key) {
    if (nextTokenId(scanner) != TOKEN_ASSIGN)
        return;
    std::int32_t id = 0;
    const TextRange& first = scanner.nextToken(nullptr, id);
    if (id != TOKEN_QUOTED)
        return;
    std::string value = unquoted(first);
    if (nextTokenId(scanner) != TOKEN_COMMA)
        return;
    const TextRange& second = scanner.nextToken(nullptr, id);
    if (id != TOKEN_QUOTED)
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
}

void readLine(ProjectState& project, TokenScanner& scanner, const std::string& line) {
    // Set by length: an empty text would make the scanner go on in the previous line.
    scanner.setInput(line.data(), static_cast<std::int32_t>(line.size()));
    std::int32_t id = 0;
    const char* word = scanner.nextWord(nullptr, id);
    // A word that begins with a NUL names nothing; as a key it would stand for every "%%".
    if (word == nullptr || *word == '\0')
        return;
    const std::string key = word;
    const std::string lowerKey = lowerAscii(key);
    for (const ProjectState::SettingField& setting : ProjectState::settingFields()) {
        if (lowerKey != setting.key)
            continue;
        std::string& field = project.*setting.field;
        field = readSettingValue(scanner, field);
        if (setting.field == &ProjectState::workdirectory) {
            project.locationBase = project.workdirectory;
            project.locationText = project.workdirectory;
        } else if (setting.field == &ProjectState::defaultprojectname) {
            project.nameText = project.defaultprojectname;
        }
        return;
    }
    readExtraSetting(project, scanner, key);
}

} // namespace

std::string readSettingValue(TokenScanner& scanner, std::string_view fallback) {
    if (nextTokenId(scanner) != TOKEN_ASSIGN)
        return std::string(fallback);
    std::int32_t id = 0;
    const TextRange& value = scanner.nextToken(nullptr, id);
    if (id != TOKEN_QUOTED)
        return std::string(fallback);
    return unquoted(value);
}

bool readConfiguration(ProjectState& project, MessageSink& sink, std::string_view path) {
    // The byte-order mark goes with the text's reading, so it cannot hide the first key.
    const std::optional<std::string> content = readTextFile(std::string(path));
    if (!content) {
        reportError(sink, ErrorKind::ERR_CONFIG_OPEN, path);
        return false;
    }
    TokenTable table;
    table.setWhitespace(" \t\n\r");
    table.addOperator("=", TOKEN_ASSIGN);
    table.addBracketPair('"', '"', TOKEN_QUOTED);
    table.addOperator(",", TOKEN_COMMA);
    table.addOperator(";", TOKEN_SEMICOLON);
    // Declared after the table: the scanner hands the operators back when it goes.
    TokenScanner scanner;
    scanner.attachTable(&table);
    for (const std::string& line : splitLines(*content))
        readLine(project, scanner, line);
    return true;
}

} // namespace vantrel
