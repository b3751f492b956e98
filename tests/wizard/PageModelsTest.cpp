#include "wizard/ActionPropertiesModel.h"
#include "wizard/ControlIds.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {
namespace {

// The properties dialog's pages without widgets: what opening, clicking and OK do to the record.
struct Opened {
    ActionDefinition action;
    std::vector<std::string> questions;
    std::vector<bool> answers;
    ActionPropertiesModel model;

    explicit Opened(const char* name = "Action01")
        : model(action, [this](const std::string& q) {
            questions.push_back(q);
            if (answers.empty())
                return false;
            const bool answer = answers.front();
            answers.erase(answers.begin());
            return answer;
        }) {
        action.setActionDefaults(name);
    }
    Opened& open() {
        model.open();
        return *this;
    }
};

TEST(PageModels, FreshDefaultsShowOnEveryPage) {
    Opened o;
    o.open();
    const DefinitionPage& d = o.model.definition;
    EXPECT_EQ(d.control(IDC_TYPE_COMBO).text, "PIPD_COMMONTOOL");
    EXPECT_EQ(d.typeEntries(),
              (std::vector<std::string>{"PIPD_COMMONTOOL", "PIPD_LOADPROC", "PIPD_SAVEPROC"}));
    EXPECT_TRUE(d.control(IDC_EXECUTE_CHECK).checked);
    EXPECT_TRUE(d.control(IDC_EXECUTE_EDIT).enabled);
    EXPECT_EQ(d.control(IDC_EXECUTE_EDIT).text, "action01_Execute");
    for (int box : {IDC_CLOSE_CHECK, IDC_FIRSTTIME_CHECK})
        EXPECT_FALSE(d.control(box).checked) << box;
    for (int edit : {IDC_CLOSE_EDIT, IDC_FIRSTTIME_EDIT}) {
        EXPECT_FALSE(d.control(edit).enabled) << edit;
        EXPECT_EQ(d.control(edit).text, "") << edit;
    }
    EXPECT_TRUE(d.control(IDC_MENU_CHECK).checked);
    EXPECT_EQ(d.control(IDC_MENU_EDIT).text, "Tools\\Action01");
    for (int id : {IDC_TBNAME_CHECK, IDC_TBBUTTON_CHECK, IDC_TOOLTIPS_CHECK, IDC_TBNAME_EDIT,
                   IDC_TBBUTTON_EDIT, IDC_TOOLTIPS_EDIT}) {
        EXPECT_FALSE(d.control(id).checked) << id;
        EXPECT_FALSE(d.control(id).enabled) << id;
    }

    const PanelPage& p = o.model.panel;
    EXPECT_TRUE(p.control(IDC_PANEL_MODDIALOG).checked);
    for (int id : {IDC_PANEL_NONE, IDC_PANEL_DIALOG, IDC_PANEL_WINDOW})
        EXPECT_FALSE(p.control(id).checked) << id;
    EXPECT_TRUE(p.control(IDC_PANEL_CLASS).enabled);
    EXPECT_EQ(p.control(IDC_PANEL_CLASS).text, "CAction01MainWnd");
    for (int id : {IDC_CREATE_THREAD, IDC_FOREGROUND}) {
        EXPECT_FALSE(p.control(id).checked) << id;
        EXPECT_FALSE(p.control(id).enabled) << id;
    }

    const MessagesPage& m = o.model.messages;
    EXPECT_TRUE(m.control(IDC_CB_STATUS_CHECK).checked);
    EXPECT_TRUE(m.control(IDC_CB_STATUS_EDIT).enabled);
    EXPECT_EQ(m.control(IDC_CB_STATUS_EDIT).text, "cb_action01StatusMsgProc");
    for (int edit : {IDC_CB_KEYBRD_EDIT, IDC_CB_MS_LBDOWN_EDIT, IDC_CB_MS_LBUP_EDIT,
                     IDC_CB_MS_RBDOWN_EDIT, IDC_CB_MS_RBUP_EDIT, IDC_CB_MS_MOVE_EDIT}) {
        EXPECT_FALSE(m.control(edit).enabled) << edit;
        EXPECT_EQ(m.control(edit).text, "") << edit;
    }
}

TEST(PageModels, OkAtOnceDropsTheStatusCallbackOfAModalDialog) {
    Opened o;
    o.open();
    EXPECT_EQ(o.model.ok(), CTL_OK);
    EXPECT_EQ(o.action.flags, 0x00020011u);
    EXPECT_TRUE(o.questions.empty());
}

TEST(PageModels, AMessagesClickKeepsTheCallbackBits) {
    const struct {
        const char* name;
        int box;
        std::uint32_t bit;
    } rows[] = {
        {"Status procedure", IDC_CB_STATUS_CHECK, ACF_CB_STATUS},
        {"Keyboard procedure", IDC_CB_KEYBRD_CHECK, ACF_CB_KEYBRD},
        {"Mouse LB Down", IDC_CB_MS_LBDOWN_CHECK, ACF_CB_MS_LBDOWN},
        {"Mouse LB Up", IDC_CB_MS_LBUP_CHECK, ACF_CB_MS_LBUP},
        {"Mouse RB Down", IDC_CB_MS_RBDOWN_CHECK, ACF_CB_MS_RBDOWN},
        {"Mouse RB Up", IDC_CB_MS_RBUP_CHECK, ACF_CB_MS_RBUP},
        {"Mouse Move", IDC_CB_MS_MOVE_CHECK, ACF_CB_MS_MOVE},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Opened o;
        o.open();
        MessagesPage& m = o.model.messages;
        // Off and on again when ticked, on when not: either way it ends ticked and marked.
        if (m.control(row.box).checked)
            m.click(row.box, false);
        m.click(row.box, true);
        EXPECT_EQ(o.action.msgEdited, 1);
        EXPECT_EQ(o.model.ok(), CTL_OK);
        EXPECT_TRUE(o.action.flags & row.bit);
        EXPECT_TRUE(o.action.flags & ACF_PANEL_MODDIALOG);
    }
}

TEST(PageModels, ProcedureBoxesFillDefaultNamesFromTheCurrentName) {
    Opened o;
    o.open();
    o.model.nameEdited("Foo");
    EXPECT_EQ(o.action.name, "Foo");
    DefinitionPage& d = o.model.definition;

    d.click(IDC_CLOSE_CHECK, true);
    EXPECT_EQ(d.control(IDC_CLOSE_EDIT).text, "foo_Close");
    EXPECT_TRUE(d.control(IDC_CLOSE_EDIT).enabled);
    EXPECT_TRUE(o.action.flags & ACF_PROC_CLOSE);
    EXPECT_EQ(o.action.defEdited, 1);

    d.click(IDC_CLOSE_CHECK, false);
    EXPECT_FALSE(d.control(IDC_CLOSE_EDIT).enabled);
    EXPECT_EQ(d.control(IDC_CLOSE_EDIT).text, "foo_Close");
    EXPECT_FALSE(o.action.flags & ACF_PROC_CLOSE);

    d.control(IDC_FIRSTTIME_EDIT).text = "x";
    d.click(IDC_FIRSTTIME_CHECK, true);
    EXPECT_EQ(d.control(IDC_FIRSTTIME_EDIT).text, "x");
}

TEST(PageModels, MenuBoxFillsTheLowerCaseToolsForm) {
    Opened o;
    o.open();
    DefinitionPage& d = o.model.definition;
    d.click(IDC_MENU_CHECK, false);
    d.control(IDC_MENU_EDIT).text.clear();
    d.click(IDC_MENU_CHECK, true);
    EXPECT_EQ(d.control(IDC_MENU_EDIT).text, "tools\\action01");
    EXPECT_EQ(o.action.defEdited, 0); // the menu box leaves no mark
}

TEST(PageModels, EmptyNameStoresNothing) {
    Opened o;
    o.open();
    o.model.definition.control(IDC_EXECUTE_EDIT).text = "changed";
    o.model.nameEdited("");
    EXPECT_EQ(o.model.ok(), RESULT_EMPTY_NAME);
    EXPECT_EQ(o.action.procExecute, "action01_Execute");
    EXPECT_EQ(o.action.flags, ACF_DEFAULT_FLAGS);
}

TEST(PageModels, TypeTextIsParsedOnOk) {
    const struct {
        const char* name;
        const char* typed;
        int result;
        std::uint32_t type;
    } rows[] = {
        {"lower-case name", "pipd_saveproc", CTL_OK, 4u},
        {"load procedure", "PIPD_LOADPROC", CTL_OK, 3u},
        // A text that names nothing is refused, and nothing is stored, rather than dropped unsaid.
        {"trailing blank is refused", "PIPD_SAVEPROC ", RESULT_UNKNOWN_TYPE, 5u},
        {"unknown name is refused", "abc", RESULT_UNKNOWN_TYPE, 5u},
        {"empty text is refused", "", RESULT_UNKNOWN_TYPE, 5u},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Opened o;
        o.open();
        DefinitionPage& d = o.model.definition;
        d.control(IDC_TYPE_COMBO).text = row.typed;
        d.control(IDC_EXECUTE_EDIT).text = "changed";
        d.textEdited(IDC_TYPE_COMBO);
        EXPECT_EQ(d.control(IDC_TYPE_COMBO).problem.empty(), row.result == CTL_OK); // as typed
        EXPECT_EQ(o.model.ok(), row.result);
        EXPECT_EQ(o.action.type, row.type);
        EXPECT_EQ(o.action.procExecute == "changed", row.result == CTL_OK);
    }
}

TEST(PageModels, PanelClickRules) {
    const struct {
        const char* name;
        int clicked;
        bool classEnabled;
        bool threadTicked;
        bool threadEnabled;
        bool foregroundTicked;
        bool foregroundEnabled;
    } rows[] = {
        // From a dialog panel with both options ticked.
        {"None", IDC_PANEL_NONE, false, false, false, false, false},
        {"Dialog", IDC_PANEL_DIALOG, true, true, true, true, true},
        {"Modales dialog", IDC_PANEL_MODDIALOG, true, false, false, false, false},
        {"Window", IDC_PANEL_WINDOW, true, true, true, false, false},
        {"Create thread", IDC_CREATE_THREAD, true, false, true, true, true},
        {"Fordeground", IDC_FOREGROUND, true, true, true, false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Opened o;
        o.action.flags = ACF_PANEL_DIALOG | ACF_CREATE_THREAD | ACF_TOPMOST;
        o.open();
        PanelPage& p = o.model.panel;
        const bool isBox = row.clicked == IDC_CREATE_THREAD || row.clicked == IDC_FOREGROUND;
        p.click(row.clicked, isBox ? !p.control(row.clicked).checked : true);

        EXPECT_EQ(p.control(IDC_PANEL_CLASS).enabled, row.classEnabled);
        EXPECT_EQ(p.control(IDC_CREATE_THREAD).checked, row.threadTicked);
        EXPECT_EQ(p.control(IDC_CREATE_THREAD).enabled, row.threadEnabled);
        EXPECT_EQ(p.control(IDC_FOREGROUND).checked, row.foregroundTicked);
        EXPECT_EQ(p.control(IDC_FOREGROUND).enabled, row.foregroundEnabled);
        if (!isBox) {
            for (int radio :
                 {IDC_PANEL_NONE, IDC_PANEL_DIALOG, IDC_PANEL_MODDIALOG, IDC_PANEL_WINDOW})
                EXPECT_EQ(p.control(radio).checked, radio == row.clicked) << radio;
        }
        EXPECT_EQ(o.action.panelEdited, 1);
        EXPECT_EQ(o.action.flags, ACF_PANEL_DIALOG | ACF_CREATE_THREAD | ACF_TOPMOST);
    }
}

TEST(PageModels, PanelOptionsAreStoredFromTheTicks) {
    Opened o;
    o.open();
    PanelPage& p = o.model.panel;
    p.click(IDC_PANEL_DIALOG, true);
    p.click(IDC_CREATE_THREAD, true);
    p.click(IDC_FOREGROUND, true);
    EXPECT_EQ(o.model.ok(), CTL_OK);
    EXPECT_TRUE(o.action.flags & ACF_PANEL_DIALOG);
    EXPECT_FALSE(o.action.flags & ACF_PANEL_MODDIALOG);
    EXPECT_TRUE(o.action.flags & ACF_CREATE_THREAD);
    EXPECT_TRUE(o.action.flags & ACF_TOPMOST);

    ActionPropertiesModel again(o.action, {});
    again.open();
    again.panel.click(IDC_CREATE_THREAD, false);
    again.panel.click(IDC_FOREGROUND, false);
    EXPECT_EQ(again.ok(), CTL_OK);
    EXPECT_FALSE(o.action.flags & ACF_CREATE_THREAD);
    EXPECT_FALSE(o.action.flags & ACF_TOPMOST);

    ActionPropertiesModel window(o.action, {});
    window.open();
    window.panel.click(IDC_FOREGROUND, true);
    window.panel.click(IDC_PANEL_WINDOW, true);
    EXPECT_FALSE(window.panel.control(IDC_FOREGROUND).enabled);
    EXPECT_EQ(window.ok(), CTL_OK);
    EXPECT_TRUE(o.action.flags & ACF_PANEL_WINDOW);
    EXPECT_FALSE(o.action.flags & (ACF_TOPMOST | ACF_PANEL_DIALOG));
}

TEST(PageModels, CloseProcedureFollowsTheDialogPanel) {
    Opened o;
    o.open();
    o.model.panel.click(IDC_PANEL_DIALOG, true);
    EXPECT_EQ(o.model.ok(), CTL_OK);
    EXPECT_TRUE(o.questions.empty());
    EXPECT_TRUE(o.action.flags & ACF_PROC_CLOSE);
    EXPECT_EQ(o.action.procClose, "action01_Close");
    EXPECT_TRUE(o.action.flags & ACF_CB_STATUS); // a dialog panel gets the status callback
}

TEST(PageModels, CloseProcedureQuestionOnOk) {
    const struct {
        const char* name;
        bool answer;
        bool closeDefined;
    } rows[] = {
        {"OK defines it", true, true},
        {"Cancel leaves it undefined", false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Opened o;
        o.answers = {row.answer};
        o.open();
        DefinitionPage& d = o.model.definition;
        d.click(IDC_EXECUTE_CHECK, false); // any procedure box marks the record
        d.click(IDC_EXECUTE_CHECK, true);
        d.control(IDC_CLOSE_EDIT).text = "myClose";
        o.model.panel.click(IDC_PANEL_DIALOG, true);

        EXPECT_EQ(o.model.ok(), CTL_OK);
        EXPECT_EQ(o.questions,
                  std::vector<std::string>{"Action 'Action01':\n[CloseProc] must be defined"});
        EXPECT_EQ(bool(o.action.flags & ACF_PROC_CLOSE), row.closeDefined);
        EXPECT_EQ(o.action.procClose, "myClose");
    }
}

TEST(PageModels, ReopeningShowsStoredCallbackNames) {
    Opened o;
    o.action.cbMsMove = "myMove";
    o.open();
    EXPECT_EQ(o.model.messages.control(IDC_CB_MS_MOVE_EDIT).text, "myMove");
    EXPECT_EQ(o.model.ok(), CTL_OK);
    EXPECT_EQ(o.action.cbMsMove, "myMove");
}

TEST(PageModels, DerivedNamesFollowARename) {
    const struct {
        const char* name;
        int page; // 0 Definition, 1 Panel, 2 Messages
        int edit;
        int tick;           // a box clicked before the rename, or 0
        const char* preset; // the edit's text before the rename, or null: as opened
        const char* after;  // the edit's text once "Action02" is retyped as "Two"
    } rows[] = {
        {"execute procedure", 0, IDC_EXECUTE_EDIT, 0, nullptr, "two_Execute"},
        {"menu as a new action has it", 0, IDC_MENU_EDIT, 0, nullptr, "Tools\\Two"},
        {"menu as a tick makes it", 0, IDC_MENU_EDIT, 0, "tools\\action02", "tools\\two"},
        {"panel class", 1, IDC_PANEL_CLASS, 0, nullptr, "CTwoMainWnd"},
        {"mouse move callback made by a tick", 2, IDC_CB_MS_MOVE_EDIT, IDC_CB_MS_MOVE_CHECK,
         nullptr, "cb_two_MsMove"},
        {"a name the user changed stays", 0, IDC_EXECUTE_EDIT, 0, "action02_Run", "action02_Run"},
        {"the default of another field stays", 0, IDC_CLOSE_EDIT, 0, "action02_Execute",
         "action02_Execute"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Opened o("Action02");
        o.open();
        PageModel* models[] = {&o.model.definition, &o.model.panel, &o.model.messages};
        PageModel& model = *models[row.page];
        if (row.tick != 0)
            o.model.messages.click(row.tick, true);
        if (row.preset)
            model.control(row.edit).text = row.preset;

        // Typed over the selected name, one key at a time: every step follows.
        for (const char* name : {"T", "Tw", "Two"})
            o.model.nameEdited(name);
        EXPECT_EQ(model.control(row.edit).text, row.after);
    }
}

} // namespace
} // namespace vantrel
