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

// Reads '= "value"' after a key; false when either is missing. assigns, when given, is set when
// the "=" is there.
bool readAssignedValue(TokenScanner& scanner, std::string& value, bool* assigns) {
    if (nextTokenId(scanner) != TOKEN_ASSIGN)
        return false;
    if (assigns)
        *assigns = true;
    std::int32_t id = 0;
    const TextRange& token = scanner.nextToken(nullptr, id);
    if (id != TOKEN_QUOTED)
        return false;
    value = unquoted(token);
    return true;
}

void readExtraSetting(ProjectState& project, TokenScanner& scanner, const std::string& key,
                      ConfigurationLine* report) {
    if (nextTokenId(scanner) != TOKEN_ASSIGN)
        return;
    if (report)
        report->assigns = true;
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
    if (report)
        report->kind = ConfigurationLine::Kind::ExtraSetting;
}

void readLine(ProjectState& project, TokenScanner& scanner, const std::string& line,
              ConfigurationLine* report = nullptr) {
    // Set by length: an empty text would make the scanner go on in the previous line.
    scanner.setInput(line.data(), static_cast<std::int32_t>(line.size()));
    std::int32_t id = 0;
    const char* word = scanner.nextWord(nullptr, id);
    // A word that begins with a NUL names nothing; as a key it would stand for every "%%".
    if (word == nullptr || *word == '\0')
        return;
    const std::string key = word;
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
            readAssignedValue(scanner, value, report ? &report->assigns : nullptr);
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
    readExtraSetting(project, scanner, key, report);
}

// Reads every line of the text; lines, when given, receive what each line was taken for.
void readText(ProjectState& project, std::string_view text, std::vector<ConfigurationLine>* lines) {
    TokenTable table;
    table.setWhitespace(" \t\n\r");
    table.addOperator("=", TOKEN_ASSIGN);
    table.addBracketPair('"', '"', TOKEN_QUOTED);
    table.addOperator(",", TOKEN_COMMA);
    table.addOperator(";", TOKEN_SEMICOLON);
    // Declared after the table: the scanner hands the operators back when it goes.
    TokenScanner scanner;
    scanner.attachTable(&table);
    for (const std::string& line : splitLines(text)) {
        if (!lines) {
            readLine(project, scanner, line);
            continue;
        }
        ConfigurationLine& report = lines->emplace_back();
        report.number = lines->size();
        readLine(project, scanner, line, &report);
    }
}

} // namespace

std::string readSettingValue(TokenScanner& scanner, std::string_view fallback) {
    std::string value;
    return readAssignedValue(scanner, value, nullptr) ? value : std::string(fallback);
}

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
