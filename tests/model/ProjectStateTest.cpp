#include "model/ProjectState.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

ActionDefinition named(const char* name) {
    ActionDefinition a;
    a.setActionDefaults(name);
    return a;
}

TEST(ProjectState, FreshRecordHoldsTheDefaults) {
    ProjectState p;
    EXPECT_EQ(p.kelHost + p.dovHost, 0);
    EXPECT_EQ(p.dllFlags, 0u);
    EXPECT_EQ(p.actionCount(), 0);
    EXPECT_EQ(p.currentAction(), nullptr);
    EXPECT_EQ(p.keltemplate, "kelpi.tpl");
    EXPECT_EQ(p.dovpilib_r, "dovpi_r.lib");
    EXPECT_EQ(p.kellib_d, "kel_d.lib");
    EXPECT_EQ(ProjectState::settingFields().size(), 25u);
    p.setDefaultDllFlags();
    EXPECT_EQ(p.dllFlags, 2u);
}

TEST(ProjectState, SelectActionOnlyWithinTheList) {
    ProjectState p;
    EXPECT_FALSE(p.selectAction(0));
    EXPECT_EQ(p.currentAction(), nullptr);
    p.appendAction(named("A"));
    p.appendAction(named("B"));
    EXPECT_TRUE(p.selectAction(1));
    EXPECT_EQ(p.currentAction()->name, "B");
    EXPECT_FALSE(p.selectAction(2));
    EXPECT_EQ(p.currentActionIndex, 1);
}

TEST(ProjectState, StaleCursorNeverDangles) {
    ProjectState p;
    p.appendAction(named("A"));
    p.appendAction(named("B"));
    p.selectAction(1);
    p.removeActionAt(1);
    EXPECT_EQ(p.currentAction(), nullptr);
}

TEST(ActionList, AppendStoresValueWithMarksCleared) {
    ProjectState p;
    ActionDefinition a = named("A");
    a.defEdited = a.panelEdited = a.msgEdited = 1;
    EXPECT_EQ(p.appendAction(a), 0);
    const ActionDefinition* stored = p.actionAt(0);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->name, "A");
    EXPECT_EQ(stored->defEdited + stored->panelEdited + stored->msgEdited, 0);
}

TEST(ActionList, RemoveKeepsOrderAndIgnoresOutOfRange) {
    ProjectState p;
    for (const char* n : {"A", "B", "C"})
        p.appendAction(named(n));
    EXPECT_EQ(p.removeActionAt(-1), 3);
    EXPECT_EQ(p.removeActionAt(3), 3);
    EXPECT_EQ(p.actionAt(3), nullptr);
    EXPECT_EQ(p.actionAt(-1), nullptr);
    EXPECT_EQ(p.removeActionAt(0), 2);
    EXPECT_EQ(p.actionAt(0)->name, "B");
    EXPECT_EQ(p.actionAt(1)->name, "C");
}

TEST(ActionCounter, CountsEveryNewActionAndNeverGoesBack) {
    const std::int32_t start = actionCounter;
    nextDefaultActionName();
    nextDefaultActionName();
    nextDefaultActionName();
    EXPECT_EQ(actionCounter, start + 3);
    char expected[32];
    std::snprintf(expected, sizeof expected, "Action%02d", start + 4);
    EXPECT_EQ(nextDefaultActionName(), expected);
}

} // namespace
} // namespace vantrel
