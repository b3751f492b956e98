#include "engine/Directives.h"
#include "engine/Keywords.h"
#include "model/FlagNames.h"
#include "model/ProjectSchema.h"
#include "model/ProjectState.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>

namespace vantrel {
namespace {

// The rows of the tables under a "## " heading of a document in docs/: the text between the
// first pair of backquotes of each row, and the row's second column.
std::map<std::string, std::string> documentedRows(const std::string& document,
                                                  const std::string& heading) {
    const std::string text =
        readFile(std::filesystem::path(VANTREL_SOURCE_DIR) / "docs" / document);
    std::map<std::string, std::string> rows;
    std::istringstream in(text);
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("## "))
            inside = line == "## " + heading;
        if (!inside || !line.starts_with("| `"))
            continue;
        const std::size_t end = line.find('`', 3);
        const std::size_t second = line.find("| ", end) + 2;
        rows[line.substr(3, end - 3)] = line.substr(second, line.find(" |", second) - second);
    }
    return rows;
}

std::set<std::string> documentedNames(const std::string& heading,
                                      const std::string& document = "templates.md") {
    std::set<std::string> names;
    for (const auto& [name, second] : documentedRows(document, heading))
        names.insert(name);
    return names;
}

// The reference names every keyword, directive and setting of the tables the program reads, and
// nothing else, so that it cannot drift from them.
TEST(Reference, NamesWhatTheProgramKnowsAndNothingElse) {
    std::set<std::string> keywords;
    for (const KeywordEntry& entry : keywordTable)
        keywords.emplace(entry.name);
    std::set<std::string> directives;
    for (const DirectiveEntry& entry : directiveTable)
        directives.emplace(entry.name);
    std::set<std::string> settings;
    for (const ProjectState::SettingField& setting : ProjectState::settingFields())
        settings.emplace(setting.key);

    EXPECT_EQ(documentedNames("Keywords"), keywords);
    EXPECT_EQ(documentedNames("Directives"), directives);
    EXPECT_EQ(documentedNames("Configuration settings"), settings);
}

// The same for the project file's keys and names, and the defaults an action's name gives.
TEST(Reference, ProjectFileNamesEveryKeyAndName) {
    const auto names = [](const auto& table, auto name) {
        std::set<std::string> found;
        for (const auto& row : table)
            if (!std::string_view(row.*name).empty())
                found.emplace(row.*name);
        return found;
    };
    const std::string file = "project-file.md";
    EXPECT_EQ(documentedNames("Project keys", file), names(PROJECT_FIELDS, &ProjectField::key));
    EXPECT_EQ(documentedNames("Action keys", file), names(ACTION_FIELDS, &ActionField::key));
    EXPECT_EQ(documentedNames("Hosts", file), names(HOST_NAMES, &HostName::name));
    EXPECT_EQ(documentedNames("DLL flags", file), names(dllFlagTable, &FlagNameRow::name));
    EXPECT_EQ(documentedNames("Procedure types", file), names(procTypeTable, &FlagNameRow::name));
    EXPECT_EQ(documentedNames("Action flags", file),
              names(ACTION_FLAG_NAMES, &ActionFlagName::name));

    ActionDefinition line;
    line.setActionDefaults("Line");
    std::map<std::string, std::string> defaults;
    for (const NamedDefault& named : NAMED_DEFAULTS)
        for (const ActionField& field : ACTION_FIELDS)
            if (field.text == named.field)
                defaults[std::string(field.key)] = "`" + line.*named.field + "`";
    EXPECT_EQ(documentedRows(file, "Defaults an action's name gives"), defaults);
}

} // namespace
} // namespace vantrel
