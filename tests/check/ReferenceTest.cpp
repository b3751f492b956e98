#include "engine/Directives.h"
#include "engine/Keywords.h"
#include "model/ProjectState.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>

namespace vantrel {
namespace {

// The names in the first column of the tables under a "## " heading of docs/templates.md: the
// text between the first pair of backquotes of each row.
std::set<std::string> documentedNames(const std::string& heading) {
    const std::string text =
        readFile(std::filesystem::path(VANTREL_SOURCE_DIR) / "docs" / "templates.md");
    std::set<std::string> names;
    std::istringstream in(text);
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("## "))
            inside = line == "## " + heading;
        if (!inside || !line.starts_with("| `"))
            continue;
        const std::size_t end = line.find('`', 3);
        names.insert(line.substr(3, end - 3));
    }
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

} // namespace
} // namespace vantrel
