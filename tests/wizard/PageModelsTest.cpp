#include "wizard/ActionPropertiesModel.h"
#include "wizard/ControlIds.h"

#include <QTest>

#include <string>
#include <vector>

using namespace vantrel;

// The properties dialog's pages without widgets: what opening, clicking and OK do to the record.
class PageModelsTest : public QObject {
    Q_OBJECT

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

private slots:
    void freshDefaultsShowOnEveryPage();
    void okAtOnceDropsTheStatusCallbackOfAModalDialog();
    void aMessagesClickKeepsTheCallbackBits_data();
    void aMessagesClickKeepsTheCallbackBits();
    void procedureBoxesFillDefaultNamesFromTheCurrentName();
    void menuBoxFillsTheLowerCaseToolsForm();
    void emptyNameStoresNothing();
    void typeTextIsParsedOnOk_data();
    void typeTextIsParsedOnOk();
    void panelClickRules_data();
    void panelClickRules();
    void panelOptionsAreStoredFromTheTicks();
    void closeProcedureFollowsTheDialogPanel();
    void closeProcedureQuestionOnOk_data();
    void closeProcedureQuestionOnOk();
    void reopeningShowsStoredCallbackNames();
    void derivedNamesFollowARename_data();
    void derivedNamesFollowARename();
};

void PageModelsTest::freshDefaultsShowOnEveryPage() {
    Opened o;
    o.open();
    const DefinitionPageModel& d = o.model.definition;
    QCOMPARE(d.control(IDC_TYPE_COMBO).text, std::string("PIPD_COMMONTOOL"));
    QCOMPARE(d.typeEntries(),
             (std::vector<std::string>{"PIPD_COMMONTOOL", "PIPD_LOADPROC", "PIPD_SAVEPROC"}));
    QVERIFY(d.control(IDC_EXECUTE_CHECK).checked);
    QVERIFY(d.control(IDC_EXECUTE_EDIT).enabled);
    QCOMPARE(d.control(IDC_EXECUTE_EDIT).text, std::string("action01_Execute"));
    for (int box : {IDC_CLOSE_CHECK, IDC_FIRSTTIME_CHECK})
        QVERIFY(!d.control(box).checked);
    for (int edit : {IDC_CLOSE_EDIT, IDC_FIRSTTIME_EDIT}) {
        QVERIFY(!d.control(edit).enabled);
        QCOMPARE(d.control(edit).text, std::string());
    }
    QVERIFY(d.control(IDC_MENU_CHECK).checked);
    QCOMPARE(d.control(IDC_MENU_EDIT).text, std::string("Tools\\Action01"));
    for (int id : {IDC_TBNAME_CHECK, IDC_TBBUTTON_CHECK, IDC_TOOLTIPS_CHECK, IDC_TBNAME_EDIT,
                   IDC_TBBUTTON_EDIT, IDC_TOOLTIPS_EDIT}) {
        QVERIFY(!d.control(id).checked);
        QVERIFY(!d.control(id).enabled);
    }

    const PanelPageModel& p = o.model.panel;
    QVERIFY(p.control(IDC_PANEL_MODDIALOG).checked);
    for (int id : {IDC_PANEL_NONE, IDC_PANEL_DIALOG, IDC_PANEL_WINDOW})
        QVERIFY(!p.control(id).checked);
    QVERIFY(p.control(IDC_PANEL_CLASS).enabled);
    QCOMPARE(p.control(IDC_PANEL_CLASS).text, std::string("CAction01MainWnd"));
    for (int id : {IDC_CREATE_THREAD, IDC_FOREGROUND}) {
        QVERIFY(!p.control(id).checked);
        QVERIFY(!p.control(id).enabled);
    }

    const MessagesPageModel& m = o.model.messages;
    QVERIFY(m.control(IDC_CB_STATUS_CHECK).checked);
    QVERIFY(m.control(IDC_CB_STATUS_EDIT).enabled);
    QCOMPARE(m.control(IDC_CB_STATUS_EDIT).text, std::string("cb_action01StatusMsgProc"));
    for (int edit : {IDC_CB_KEYBRD_EDIT, IDC_CB_MS_LBDOWN_EDIT, IDC_CB_MS_LBUP_EDIT,
                     IDC_CB_MS_RBDOWN_EDIT, IDC_CB_MS_RBUP_EDIT, IDC_CB_MS_MOVE_EDIT}) {
        QVERIFY(!m.control(edit).enabled);
        QCOMPARE(m.control(edit).text, std::string());
    }
}

void PageModelsTest::okAtOnceDropsTheStatusCallbackOfAModalDialog() {
    Opened o;
    o.open();
    QCOMPARE(o.model.ok(), CTL_OK);
    QCOMPARE(o.action.flags, 0x00020011u);
    QVERIFY(o.questions.empty());
}

void PageModelsTest::aMessagesClickKeepsTheCallbackBits_data() {
    QTest::addColumn<int>("box");
    QTest::addColumn<quint32>("bit");
    QTest::newRow("Status procedure") << IDC_CB_STATUS_CHECK << quint32(ACF_CB_STATUS);
    QTest::newRow("Keyboard procedure") << IDC_CB_KEYBRD_CHECK << quint32(ACF_CB_KEYBRD);
    QTest::newRow("Mouse LB Down") << IDC_CB_MS_LBDOWN_CHECK << quint32(ACF_CB_MS_LBDOWN);
    QTest::newRow("Mouse LB Up") << IDC_CB_MS_LBUP_CHECK << quint32(ACF_CB_MS_LBUP);
    QTest::newRow("Mouse RB Down") << IDC_CB_MS_RBDOWN_CHECK << quint32(ACF_CB_MS_RBDOWN);
    QTest::newRow("Mouse RB Up") << IDC_CB_MS_RBUP_CHECK << quint32(ACF_CB_MS_RBUP);
    QTest::newRow("Mouse Move") << IDC_CB_MS_MOVE_CHECK << quint32(ACF_CB_MS_MOVE);
}

void PageModelsTest::aMessagesClickKeepsTheCallbackBits() {
    QFETCH(int, box);
    QFETCH(quint32, bit);
    Opened o;
    o.open();
    MessagesPageModel& m = o.model.messages;
    // Off and on again when ticked, on when not: either way it ends ticked and marked.
    if (m.control(box).checked)
        m.click(box, false);
    m.click(box, true);
    QCOMPARE(o.action.msgEdited, 1);
    QCOMPARE(o.model.ok(), CTL_OK);
    QVERIFY(o.action.flags & bit);
    QVERIFY(o.action.flags & ACF_PANEL_MODDIALOG);
}

void PageModelsTest::procedureBoxesFillDefaultNamesFromTheCurrentName() {
    Opened o;
    o.open();
    o.model.nameEdited("Foo");
    QCOMPARE(o.action.name, std::string("Foo"));
    DefinitionPageModel& d = o.model.definition;

    d.click(IDC_CLOSE_CHECK, true);
    QCOMPARE(d.control(IDC_CLOSE_EDIT).text, std::string("foo_Close"));
    QVERIFY(d.control(IDC_CLOSE_EDIT).enabled);
    QVERIFY(o.action.flags & ACF_PROC_CLOSE);
    QCOMPARE(o.action.defEdited, 1);

    d.click(IDC_CLOSE_CHECK, false);
    QVERIFY(!d.control(IDC_CLOSE_EDIT).enabled);
    QCOMPARE(d.control(IDC_CLOSE_EDIT).text, std::string("foo_Close"));
    QVERIFY(!(o.action.flags & ACF_PROC_CLOSE));

    d.control(IDC_FIRSTTIME_EDIT).text = "x";
    d.click(IDC_FIRSTTIME_CHECK, true);
    QCOMPARE(d.control(IDC_FIRSTTIME_EDIT).text, std::string("x"));
}

void PageModelsTest::menuBoxFillsTheLowerCaseToolsForm() {
    Opened o;
    o.open();
    DefinitionPageModel& d = o.model.definition;
    d.click(IDC_MENU_CHECK, false);
    d.control(IDC_MENU_EDIT).text.clear();
    d.click(IDC_MENU_CHECK, true);
    QCOMPARE(d.control(IDC_MENU_EDIT).text, std::string("tools\\action01"));
    QCOMPARE(o.action.defEdited, 0); // the menu box leaves no mark
}

void PageModelsTest::emptyNameStoresNothing() {
    Opened o;
    o.open();
    o.model.definition.control(IDC_EXECUTE_EDIT).text = "changed";
    o.model.nameEdited("");
    QCOMPARE(o.model.ok(), RESULT_EMPTY_NAME);
    QCOMPARE(o.action.procExecute, std::string("action01_Execute"));
    QCOMPARE(o.action.flags, ACF_DEFAULT_FLAGS);
}

void PageModelsTest::typeTextIsParsedOnOk_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("result");
    QTest::addColumn<quint32>("type");
    QTest::newRow("lower-case name") << "pipd_saveproc" << CTL_OK << 4u;
    QTest::newRow("load procedure") << "PIPD_LOADPROC" << CTL_OK << 3u;
    // A text that names nothing is refused, and nothing is stored, rather than dropped unsaid.
    QTest::newRow("trailing blank is refused") << "PIPD_SAVEPROC " << RESULT_UNKNOWN_TYPE << 5u;
    QTest::newRow("unknown name is refused") << "abc" << RESULT_UNKNOWN_TYPE << 5u;
    QTest::newRow("empty text is refused") << "" << RESULT_UNKNOWN_TYPE << 5u;
}

void PageModelsTest::typeTextIsParsedOnOk() {
    QFETCH(QString, typed);
    QFETCH(int, result);
    QFETCH(quint32, type);
    Opened o;
    o.open();
    DefinitionPageModel& d = o.model.definition;
    d.control(IDC_TYPE_COMBO).text = typed.toStdString();
    d.control(IDC_EXECUTE_EDIT).text = "changed";
    d.textEdited(IDC_TYPE_COMBO);
    QCOMPARE(d.control(IDC_TYPE_COMBO).problem.empty(), result == CTL_OK); // marked as typed
    QCOMPARE(o.model.ok(), result);
    QCOMPARE(o.action.type, type);
    QCOMPARE(o.action.procExecute == "changed", result == CTL_OK);
}

void PageModelsTest::panelClickRules_data() {
    QTest::addColumn<int>("clicked");
    QTest::addColumn<bool>("classEnabled");
    QTest::addColumn<bool>("threadTicked");
    QTest::addColumn<bool>("threadEnabled");
    QTest::addColumn<bool>("foregroundTicked");
    QTest::addColumn<bool>("foregroundEnabled");
    // From a dialog panel with both options ticked.
    QTest::newRow("None") << IDC_PANEL_NONE << false << false << false << false << false;
    QTest::newRow("Dialog") << IDC_PANEL_DIALOG << true << true << true << true << true;
    QTest::newRow("Modales dialog")
        << IDC_PANEL_MODDIALOG << true << false << false << false << false;
    QTest::newRow("Window") << IDC_PANEL_WINDOW << true << true << true << false << false;
    QTest::newRow("Create thread") << IDC_CREATE_THREAD << true << false << true << true << true;
    QTest::newRow("Fordeground") << IDC_FOREGROUND << true << true << true << false << true;
}

void PageModelsTest::panelClickRules() {
    QFETCH(int, clicked);
    QFETCH(bool, classEnabled);
    QFETCH(bool, threadTicked);
    QFETCH(bool, threadEnabled);
    QFETCH(bool, foregroundTicked);
    QFETCH(bool, foregroundEnabled);
    Opened o;
    o.action.flags = ACF_PANEL_DIALOG | ACF_CREATE_THREAD | ACF_TOPMOST;
    o.open();
    PanelPageModel& p = o.model.panel;
    const bool isBox = clicked == IDC_CREATE_THREAD || clicked == IDC_FOREGROUND;
    p.click(clicked, isBox ? !p.control(clicked).checked : true);

    QCOMPARE(p.control(IDC_PANEL_CLASS).enabled, classEnabled);
    QCOMPARE(p.control(IDC_CREATE_THREAD).checked, threadTicked);
    QCOMPARE(p.control(IDC_CREATE_THREAD).enabled, threadEnabled);
    QCOMPARE(p.control(IDC_FOREGROUND).checked, foregroundTicked);
    QCOMPARE(p.control(IDC_FOREGROUND).enabled, foregroundEnabled);
    if (!isBox) {
        for (int radio : {IDC_PANEL_NONE, IDC_PANEL_DIALOG, IDC_PANEL_MODDIALOG, IDC_PANEL_WINDOW})
            QCOMPARE(p.control(radio).checked, radio == clicked);
    }
    QCOMPARE(o.action.panelEdited, 1);
    QCOMPARE(o.action.flags, ACF_PANEL_DIALOG | ACF_CREATE_THREAD | ACF_TOPMOST);
}

void PageModelsTest::panelOptionsAreStoredFromTheTicks() {
    Opened o;
    o.open();
    PanelPageModel& p = o.model.panel;
    p.click(IDC_PANEL_DIALOG, true);
    p.click(IDC_CREATE_THREAD, true);
    p.click(IDC_FOREGROUND, true);
    QCOMPARE(o.model.ok(), CTL_OK);
    QVERIFY(o.action.flags & ACF_PANEL_DIALOG);
    QVERIFY(!(o.action.flags & ACF_PANEL_MODDIALOG));
    QVERIFY(o.action.flags & ACF_CREATE_THREAD);
    QVERIFY(o.action.flags & ACF_TOPMOST);

    ActionPropertiesModel again(o.action, {});
    again.open();
    again.panel.click(IDC_CREATE_THREAD, false);
    again.panel.click(IDC_FOREGROUND, false);
    QCOMPARE(again.ok(), CTL_OK);
    QVERIFY(!(o.action.flags & ACF_CREATE_THREAD));
    QVERIFY(!(o.action.flags & ACF_TOPMOST));

    ActionPropertiesModel window(o.action, {});
    window.open();
    window.panel.click(IDC_FOREGROUND, true);
    window.panel.click(IDC_PANEL_WINDOW, true);
    QVERIFY(!window.panel.control(IDC_FOREGROUND).enabled);
    QCOMPARE(window.ok(), CTL_OK);
    QVERIFY(o.action.flags & ACF_PANEL_WINDOW);
    QVERIFY(!(o.action.flags & (ACF_TOPMOST | ACF_PANEL_DIALOG)));
}

void PageModelsTest::closeProcedureFollowsTheDialogPanel() {
    Opened o;
    o.open();
    o.model.panel.click(IDC_PANEL_DIALOG, true);
    QCOMPARE(o.model.ok(), CTL_OK);
    QVERIFY(o.questions.empty());
    QVERIFY(o.action.flags & ACF_PROC_CLOSE);
    QCOMPARE(o.action.procClose, std::string("action01_Close"));
    QVERIFY(o.action.flags & ACF_CB_STATUS); // a dialog panel gets the status callback
}

void PageModelsTest::closeProcedureQuestionOnOk_data() {
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("closeDefined");
    QTest::newRow("OK defines it") << true << true;
    QTest::newRow("Cancel leaves it undefined") << false << false;
}

void PageModelsTest::closeProcedureQuestionOnOk() {
    QFETCH(bool, answer);
    QFETCH(bool, closeDefined);
    Opened o;
    o.answers = {answer};
    o.open();
    DefinitionPageModel& d = o.model.definition;
    d.click(IDC_EXECUTE_CHECK, false); // any procedure box marks the record
    d.click(IDC_EXECUTE_CHECK, true);
    d.control(IDC_CLOSE_EDIT).text = "myClose";
    o.model.panel.click(IDC_PANEL_DIALOG, true);

    QCOMPARE(o.model.ok(), CTL_OK);
    QCOMPARE(o.questions,
             std::vector<std::string>{"Action 'Action01':\n[CloseProc] must be defined"});
    QCOMPARE(bool(o.action.flags & ACF_PROC_CLOSE), closeDefined);
    QCOMPARE(o.action.procClose, std::string("myClose"));
}

void PageModelsTest::reopeningShowsStoredCallbackNames() {
    Opened o;
    o.action.cbMsMove = "myMove";
    o.open();
    QCOMPARE(o.model.messages.control(IDC_CB_MS_MOVE_EDIT).text, std::string("myMove"));
    QCOMPARE(o.model.ok(), CTL_OK);
    QCOMPARE(o.action.cbMsMove, std::string("myMove"));
}

void PageModelsTest::derivedNamesFollowARename_data() {
    QTest::addColumn<int>("page"); // 0 Definition, 1 Panel, 2 Messages
    QTest::addColumn<int>("edit");
    QTest::addColumn<int>("tick");       // a box clicked before the rename, or 0
    QTest::addColumn<QString>("preset"); // the edit's text before the rename, or null: as opened
    QTest::addColumn<QString>("after");  // the edit's text once "Action02" is retyped as "Two"
    QTest::newRow("execute procedure") << 0 << IDC_EXECUTE_EDIT << 0 << QString() << "two_Execute";
    QTest::newRow("menu as a new action has it")
        << 0 << IDC_MENU_EDIT << 0 << QString() << "Tools\\Two";
    QTest::newRow("menu as a tick makes it") << 0 << IDC_MENU_EDIT << 0 << "tools\\action02"
                                             << "tools\\two";
    QTest::newRow("panel class") << 1 << IDC_PANEL_CLASS << 0 << QString() << "CTwoMainWnd";
    QTest::newRow("mouse move callback made by a tick")
        << 2 << IDC_CB_MS_MOVE_EDIT << IDC_CB_MS_MOVE_CHECK << QString() << "cb_two_MsMove";
    QTest::newRow("a name the user changed stays") << 0 << IDC_EXECUTE_EDIT << 0 << "action02_Run"
                                                   << "action02_Run";
    QTest::newRow("the default of another field stays")
        << 0 << IDC_CLOSE_EDIT << 0 << "action02_Execute"
        << "action02_Execute";
}

void PageModelsTest::derivedNamesFollowARename() {
    QFETCH(int, page);
    QFETCH(int, edit);
    QFETCH(int, tick);
    QFETCH(QString, preset);
    QFETCH(QString, after);
    Opened o("Action02");
    o.open();
    PageModel* models[] = {&o.model.definition, &o.model.panel, &o.model.messages};
    PageModel& model = *models[page];
    if (tick != 0)
        o.model.messages.click(tick, true);
    if (!preset.isNull())
        model.control(edit).text = preset.toStdString();

    // Typed over the selected name, one key at a time: every step follows.
    for (const char* name : {"T", "Tw", "Two"})
        o.model.nameEdited(name);
    QCOMPARE(QString::fromStdString(model.control(edit).text), after);
}

QTEST_GUILESS_MAIN(PageModelsTest)
#include "PageModelsTest.moc"
