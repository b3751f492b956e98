#include "model/ProjectSchema.h"

#include <gtest/gtest.h>

#include <set>
#include <string_view>

namespace vantrel {
namespace {

// A reader and a writer walk the same tables: a key or a field listed twice would read one
// value into two places, or write one field twice.
TEST(ProjectSchema, EveryKeyAndFieldOnce) {
    std::set<std::string_view> projectKeys;
    for (const ProjectField& field : PROJECT_FIELDS) {
        EXPECT_TRUE(projectKeys.insert(field.key).second) << field.key;
        EXPECT_EQ(findProjectField(field.key), &field);
    }
    std::set<std::string_view> actionKeys;
    ActionDefinition filled; // each field takes its key's name, once
    int texts = 0;
    int checkBoxes = 0;
    for (const ActionField& field : ACTION_FIELDS) {
        EXPECT_TRUE(actionKeys.insert(field.key).second) << field.key;
        EXPECT_EQ(findActionField(field.key), &field);
        const bool text = field.kind == ActionKey::Name || field.kind == ActionKey::Text;
        EXPECT_EQ(field.text != nullptr, text) << field.key;
        EXPECT_EQ(field.checkBox != nullptr, field.kind == ActionKey::CheckBox) << field.key;
        if (field.text != nullptr) {
            EXPECT_EQ(filled.*field.text, "") << field.key << " shares its field";
            filled.*field.text = field.key;
            ++texts;
        }
        if (field.checkBox != nullptr) {
            EXPECT_EQ(filled.*field.checkBox, 0) << field.key << " shares its field";
            filled.*field.checkBox = 1;
            ++checkBoxes;
        }
    }
    EXPECT_EQ(texts, 16) << "the name and the 15 texts of an action";
    EXPECT_EQ(checkBoxes, 2);
    EXPECT_EQ(findActionField("Menu"), nullptr);
    EXPECT_EQ(findProjectField("Host"), nullptr);
}

TEST(ProjectSchema, HostNamesIgnoreCase) {
    ASSERT_NE(findHost("kel"), nullptr);
    EXPECT_EQ(findHost("kel")->flag, &ProjectState::kelHost);
    ASSERT_NE(findHost("Dov"), nullptr);
    EXPECT_EQ(findHost("Dov")->flag, &ProjectState::dovHost);
    EXPECT_EQ(findHost("KELL"), nullptr);
    EXPECT_EQ(findHost(""), nullptr);
}

} // namespace
} // namespace vantrel
