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
    EXPECT_EQ(ProjectState::settingFields().size(), 29u);
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
// Ids as a run or a save gives them: (name, id) before, the recorded answers' (name, id), the
// ids after and how many were given.
struct IdCase {
    const char* name;
    std::vector<std::pair<std::string, std::uint32_t>> actions;
    std::vector<std::pair<std::string, std::uint32_t>> recorded; // none: no record read
    std::vector<std::uint32_t> ids;
    std::size_t given;
};

class GiveActionIds : public testing::TestWithParam<IdCase> {};

TEST_P(GiveActionIds, AboveEveryIdKnownAndNeverTwice) {
    const IdCase& row = GetParam();
    const auto projectOf = [](const auto& actions) {
        ProjectState project;
        for (const auto& [name, id] : actions) {
            project.actions.emplace_back().name = name;
            project.actions.back().id = id;
        }
        return project;
    };
    ProjectState project = projectOf(row.actions);
    const ProjectState recorded = projectOf(row.recorded);
    EXPECT_EQ(giveActionIds(project, row.recorded.empty() ? nullptr : &recorded), row.given);
    std::vector<std::uint32_t> ids;
    for (const ActionDefinition& action : project.actions)
        ids.push_back(action.id);
    EXPECT_EQ(ids, row.ids);
    // Given again, nothing changes: the same project always gets the same ids.
    EXPECT_EQ(giveActionIds(project, row.recorded.empty() ? nullptr : &recorded), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GiveActionIds,
    testing::Values(
        IdCase{"NoneYet", {{"a", 0}, {"b", 0}}, {}, {1, 2}, 2},
        IdCase{"AboveTheProjects", {{"a", 5}, {"b", 0}, {"c", 2}}, {}, {5, 6, 2}, 1},
        // A removed action's id stays taken while the record names it.
        IdCase{"AboveTheRecords", {{"a", 1}, {"n", 0}}, {{"a", 1}, {"gone", 9}}, {1, 10}, 1},
        // A project file written without ids keeps the ids its names had.
        IdCase{
            "ByRecordedName", {{"b", 0}, {"a", 0}, {"c", 0}}, {{"a", 4}, {"b", 3}}, {3, 4, 5}, 3},
        // A recorded id another action holds now is not taken twice.
        IdCase{"RecordedIdHeld", {{"x", 4}, {"a", 0}}, {{"a", 4}}, {4, 5}, 1},
        IdCase{"SharedIdsRenumbered", {{"a", 3}, {"b", 3}, {"c", 1}}, {}, {4, 5, 1}, 2},
        IdCase{"NoRoomLeft", {{"a", 4294967295}, {"b", 0}}, {}, {4294967295, 0}, 0}),
    [](const testing::TestParamInfo<IdCase>& info) { return std::string(info.param.name); });

} // namespace vantrel
