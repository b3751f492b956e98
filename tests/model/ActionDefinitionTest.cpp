#include "model/ActionDefinition.h"

#include <gtest/gtest.h>

#include <vector>

namespace vantrel {
namespace {

TEST(ActionDefaults, Action01GetsEveryDefaultName) {
    ActionDefinition a;
    a.setActionDefaults("Action01");
    EXPECT_EQ(a.type, 5u);
    EXPECT_EQ(a.flags, 0x00220011u);
    EXPECT_EQ(a.name, "Action01");
    EXPECT_EQ(a.menu, "Tools\\Action01");
    EXPECT_EQ(a.procExecute, "action01_Execute");
    EXPECT_EQ(a.panelClass, "CAction01MainWnd");
    EXPECT_EQ(a.cbStatus, "cb_action01StatusMsgProc");
    for (const std::string* s :
         {&a.tbName, &a.tooltips, &a.tbButton, &a.procClose, &a.procFirstTime, &a.cbKeybrd,
          &a.cbMsLbDown, &a.cbMsLbUp, &a.cbMsRbDown, &a.cbMsRbUp, &a.cbMsMove})
        EXPECT_TRUE(s->empty());
}

TEST(ActionDefaults, NonLettersAreKeptAndOnlyAsciiLettersLowered) {
    ActionDefinition a;
    a.setActionDefaults("My-Tool 2");
    EXPECT_EQ(a.procExecute, "my-tool 2_Execute");
    EXPECT_EQ(a.menu, "Tools\\My-Tool 2");
    EXPECT_EQ(a.cbStatus, "cb_my-tool 2StatusMsgProc");
}

TEST(ActionDefaults, KeepInterfaceAndBufferChoicesButClearMarks) {
    ActionDefinition a;
    a.indivInterface = 1;
    a.staticMemBuf = 1;
    a.defEdited = a.panelEdited = a.msgEdited = 1;
    a.setActionDefaults("X");
    EXPECT_EQ(a.indivInterface, 1);
    EXPECT_EQ(a.staticMemBuf, 1);
    EXPECT_EQ(a.defEdited + a.panelEdited + a.msgEdited, 0);
}

// The names made from one action's name, set over those of the last: nothing of the longer
// or differently cased one before is left, and what the name does not give stays as it was.
TEST(ActionDefaults, NamedOnesOverAnotherNameAreTheNamesAlone) {
    const std::vector<std::string> names = {
        "A-Very-Long-Action-Name-With-Capitals", "x", "", "Line", "LINE", "Arc 2"};
    ActionDefinition a;
    a.setActionDefaults("Start");
    a.type = 2;
    a.flags = ACF_MENU;
    a.tbName = "mine";
    for (const std::string& name : names) {
        a.setNamedDefaults(name);
        ActionDefinition fresh;
        fresh.setActionDefaults(name);
        fresh.type = 2;
        fresh.flags = ACF_MENU;
        fresh.tbName = "mine";
        EXPECT_EQ(a, fresh) << name;
        // Each such name is told as its default without being made, and a byte off is not.
        for (const NamedDefault& named : NAMED_DEFAULTS) {
            const std::string& made = fresh.*named.field;
            EXPECT_TRUE(named.heldBy(made, name)) << made;
            EXPECT_FALSE(named.heldBy(made + "x", name)) << made;
            EXPECT_FALSE(named.heldBy(upperAscii(made), name)) << made;
        }
    }
}

TEST(ApplyCheck, TickingFillsOnlyAnEmptyNameAndUntickingNeverErases) {
    std::uint32_t flags = 0;
    std::string name;
    applyCheck(true, ACF_PROC_CLOSE, flags, name, "%s_Close", "Action01");
    EXPECT_EQ(flags, ACF_PROC_CLOSE);
    EXPECT_EQ(name, "action01_Close");

    std::string mine = "myClose";
    applyCheck(true, ACF_PROC_CLOSE, flags, mine, "%s_Close", "Action01");
    EXPECT_EQ(mine, "myClose");

    applyCheck(false, ACF_PROC_CLOSE, flags, mine, "%s_Close", "Action01");
    EXPECT_EQ(flags, 0u);
    EXPECT_EQ(mine, "myClose");
}

TEST(ApplyCheck, MenuFormatUsesLowerCasedName) {
    std::uint32_t flags = 0;
    std::string menu;
    applyCheck(true, ACF_MENU, flags, menu, "tools\\%s", "Foo");
    EXPECT_EQ(menu, "tools\\foo");
}

TEST(CopyActionValue, CopiesTheValueButNotTheEditMarks) {
    ActionDefinition source;
    source.setActionDefaults("Src");
    source.defEdited = source.panelEdited = source.msgEdited = 1;
    source.tbButton = "src.bmp";
    ActionDefinition target;
    target.copyActionValue(source);
    EXPECT_EQ(target.name, "Src");
    EXPECT_EQ(target.flags, source.flags);
    EXPECT_EQ(target.tbButton, "src.bmp");
    EXPECT_EQ(target.defEdited + target.panelEdited + target.msgEdited, 0);

    target.defEdited = 1;
    ActionDefinition blank;
    target.copyActionValue(blank);
    EXPECT_TRUE(target.name.empty());
    EXPECT_EQ(target.defEdited, 1);
}

// Records every question and answers with a fixed choice.
struct Asker {
    bool answer = true;
    std::vector<std::string> questions;
    AskOkCancel fn() {
        return [this](const std::string& q) {
            questions.push_back(q);
            return answer;
        };
    }
};

TEST(CheckCloseProc, FreshDefaultActionOnOkEndsWithFlags0x00020011) {
    ActionDefinition a;
    a.setActionDefaults("Action01");
    Asker asker;
    a.checkCloseProc(true, false, asker.fn());
    EXPECT_EQ(a.flags, 0x00220011u);
    a.checkCloseProc(false, true, asker.fn());
    EXPECT_EQ(a.flags, 0x00020011u);
    EXPECT_TRUE(asker.questions.empty());
}

TEST(CheckCloseProc, DialogPanelGetsCloseProcedureSilentlyAndStatusCallback) {
    ActionDefinition a;
    a.setActionDefaults("Line");
    a.flags = 0x00010011;
    Asker asker;
    a.checkCloseProc(true, false, asker.fn());
    EXPECT_EQ(a.procClose, "line_Close");
    a.checkCloseProc(false, true, asker.fn());
    EXPECT_EQ(a.flags, 0x00210013u);
    EXPECT_TRUE(asker.questions.empty());
}

TEST(CheckCloseProc, ModelessPanelWithClickedNameAsksBeforeDefining) {
    for (bool ok : {true, false}) {
        ActionDefinition a;
        a.setActionDefaults("Win");
        a.flags = ACF_PANEL_WINDOW;
        a.procClose = "myClose";
        a.defEdited = 1;
        Asker asker{ok, {}};
        a.checkCloseProc(true, false, asker.fn());
        ASSERT_EQ(asker.questions.size(), 1u);
        EXPECT_EQ(asker.questions[0], "Action 'Win':\n[CloseProc] must be defined");
        EXPECT_EQ((a.flags & ACF_PROC_CLOSE) != 0, ok);
        EXPECT_EQ(a.procClose, "myClose");
    }
}

TEST(CheckCloseProc, NoPanelWithCloseBitAsksBeforeRemovingAndKeepsText) {
    for (bool ok : {true, false}) {
        ActionDefinition a;
        a.setActionDefaults("Act");
        a.flags = ACF_PROC_CLOSE;
        a.procClose = "myClose";
        a.defEdited = 1;
        Asker asker{ok, {}};
        a.checkCloseProc(true, false, asker.fn());
        ASSERT_EQ(asker.questions.size(), 1u);
        EXPECT_EQ(asker.questions[0], "Action 'Act':\n[CloseProc] must be not defined");
        EXPECT_EQ((a.flags & ACF_PROC_CLOSE) != 0, !ok);
        EXPECT_EQ(a.procClose, "myClose");
    }
}

TEST(CheckCloseProc, ModalDialogWithCloseBitButNoClickIsCorrectedSilently) {
    ActionDefinition a;
    a.setActionDefaults("Act");
    a.flags = ACF_PANEL_MODDIALOG | ACF_PROC_CLOSE;
    a.procClose = "x";
    Asker asker;
    a.checkCloseProc(true, false, asker.fn());
    EXPECT_EQ(a.flags, ACF_PANEL_MODDIALOG);
    EXPECT_TRUE(asker.questions.empty());
}

TEST(CheckCloseProc, ClickedMessagesPageKeepsCallbacks) {
    ActionDefinition a;
    a.setActionDefaults("Act");
    a.msgEdited = 1;
    a.checkCloseProc(false, true, nullptr);
    EXPECT_EQ(a.flags & ACF_CB_STATUS, ACF_CB_STATUS);
}

} // namespace
} // namespace vantrel
