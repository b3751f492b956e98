#include "engine/Directives.h"
#include "engine/Keywords.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QXmlStreamReader>

#include <set>
#include <string>

namespace vantrel {
namespace {

// What an editor reads of data/syntax/vantrel-template.xml: the root's attributes and the items
// of the keyword lists.
struct Definition {
    bool wellFormed = false;
    std::string error;
    std::string rootName;
    std::string language;
    std::string extensions;
    std::set<std::string> items;
};

Definition readDefinition() {
    Definition definition;
    QFile file(QStringLiteral(VANTREL_SOURCE_DIR "/data/syntax/vantrel-template.xml"));
    if (!file.open(QIODevice::ReadOnly)) {
        definition.error = "cannot be opened";
        return definition;
    }
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (definition.rootName.empty()) {
            definition.rootName = xml.name().toString().toStdString();
            definition.language = xml.attributes().value("name").toString().toStdString();
            definition.extensions = xml.attributes().value("extensions").toString().toStdString();
        } else if (xml.name() == QStringLiteral("item")) {
            definition.items.insert(xml.readElementText().toStdString());
        }
    }
    definition.wellFormed = !xml.hasError();
    definition.error = xml.errorString().toStdString();
    return definition;
}

std::string withoutPercent(std::string_view name) {
    if (name.size() > 2 && name.front() == '%' && name.back() == '%')
        name = name.substr(1, name.size() - 2);
    return std::string(name);
}

TEST(SyntaxDefinition, IsWellFormedForBothKindsOfFile) {
    const Definition definition = readDefinition();
    ASSERT_TRUE(definition.wellFormed) << definition.error;
    EXPECT_EQ(definition.rootName, "language");
    EXPECT_EQ(definition.language, "Vantrel Template");
    EXPECT_EQ(definition.extensions, "*.tpl;*.vts");
}

// Every directive and keyword is highlighted (a keyword with '%' as a placeholder and, without
// it, as a condition), and no item names something the program does not know.
TEST(SyntaxDefinition, HoldsEveryDirectiveAndKeywordAndNothingElse) {
    std::set<std::string> known;
    for (const DirectiveEntry& entry : directiveTable)
        known.emplace(entry.name);
    for (const KeywordEntry& entry : keywordTable) {
        known.emplace(entry.name);
        known.insert(withoutPercent(entry.name));
    }
    EXPECT_EQ(readDefinition().items, known);
}

} // namespace
} // namespace vantrel
