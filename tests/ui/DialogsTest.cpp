#include "ui/AboutDialog.h"
#include "ui/ActionPropertiesDialog.h"
#include "ui/ControlIds.h"
#include "ui/ControlMirror.h"
#include "ui/MainDialog.h"
#include "ui/ModalHooks.h"
#include "ui/TabPageHost.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <memory>
#include <vector>

using namespace vantrel;

namespace {

template <typename T>
T* find(QWidget* parent, int id) {
    T* widget = parent->findChild<T*>(controlName(id));
    if (!widget)
        qFatal("control %d not found", id);
    return widget;
}

void showActive(QWidget& dialog) {
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
}

// Presses Tab until the control has the focus; false when it never gets it.
bool tabTo(QWidget* control) {
    for (int i = 0; i < 40 && !control->hasFocus(); ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    return control->hasFocus();
}

} // namespace

// The tab page host, the properties dialog and the about box with real widgets.
class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void init() { ModalHooks::setScripted(true); }
    void cleanup() { ModalHooks::setScripted(false); }

    void hostTakesSixteenPagesAtMost();
    void hostRefusesAPageWithoutCaption();
    void hostShowsOnlyTheSelectedPage();
    void hostIgnoresTabsWithoutPage();
    void hostPageAreaLeavesRoomForTheTabs();

    void propertiesDialogOpensOnTheDefinitionPage();
    void propertiesWidgetsWriteTheRecord();
    void propertiesCloseQuestionIsAnsweredOnOk();
    void propertiesEmptyNameKeepsTheDialogOpen();
    void panelKindIsChosenByKeyboard();
    void unknownTypeIsMarkedAndRefused();
    void tabFollowsTheReadingOrder_data();
    void tabFollowsTheReadingOrder();
    void pageKeysSwitchPages_data();
    void pageKeysSwitchPages();
    void mnemonicsAreSetAndDistinct_data();
    void mnemonicsAreSetAndDistinct();
    void mnemonicsReachTheirControls();
    void captionsAreNeitherCutNorCovered_data();
    void captionsAreNeitherCutNorCovered();
    void aboutShowsTheVersionEachTime();
};

void DialogsTest::hostTakesSixteenPagesAtMost() {
    TabPageHost host;
    host.resize(440, 240);
    std::vector<std::unique_ptr<QWidget>> pages;
    for (int i = 0; i < TabPageHost::MAX_PAGES; ++i) {
        pages.push_back(std::make_unique<QWidget>());
        QCOMPARE(host.addPage(QString("p%1").arg(i), pages.back().get(), 130, true), i);
    }
    QWidget extra;
    QCOMPARE(host.addPage("extra", &extra, 130, true), -1);
    QCOMPARE(host.tabBar()->count(), TabPageHost::MAX_PAGES);
    QCOMPARE(host.pageCount(), TabPageHost::MAX_PAGES);
    for (auto& page : pages)
        page.release()->setParent(&host); // the host's children now; they go with it
}

void DialogsTest::hostRefusesAPageWithoutCaption() {
    TabPageHost host;
    QWidget page(&host);
    QCOMPARE(host.minimumTabWidth(), 0);
    QCOMPARE(host.addPage(QString(), &page, 130, true), -1);
    QCOMPARE(host.tabBar()->count(), 0);
    QCOMPARE(host.minimumTabWidth(), TabPageHost::MIN_TAB_WIDTH);
    QCOMPARE(host.addPage("p", nullptr, 130, true), -1);
    QCOMPARE(host.addPage("p", &page, 0, true), -1);
    QCOMPARE(host.currentPage(), nullptr);
}

void DialogsTest::hostShowsOnlyTheSelectedPage() {
    TabPageHost host;
    host.resize(440, 240);
    QWidget* pages[3] = {new QWidget(&host), new QWidget(&host), new QWidget(&host)};
    for (int i = 0; i < 3; ++i)
        host.addPage(QString("p%1").arg(i), pages[i], 130 + i, true);
    host.show();
    QVERIFY(pages[0]->isVisible());
    QVERIFY(!pages[1]->isVisible() && !pages[2]->isVisible());
    QCOMPARE(host.currentPage(), pages[0]);

    host.tabBar()->setCurrentIndex(2);
    QCOMPARE(host.currentPage(), pages[2]);
    host.tabBar()->setCurrentIndex(0);
    QVERIFY(pages[0]->isVisible());
    QVERIFY(!pages[1]->isVisible() && !pages[2]->isVisible());
    QCOMPARE(host.currentPage(), pages[0]);
    int index = -1;
    QCOMPARE(host.selectedPage(&index), pages[0]);
    QCOMPARE(index, 0);
}

void DialogsTest::hostIgnoresTabsWithoutPage() {
    TabPageHost host;
    host.resize(440, 240);
    auto* page = new QWidget(&host);
    host.addPage("p", page, 130, true);
    host.show();
    host.tabBar()->addTab("foreign"); // a tab added by other means
    host.tabBar()->setCurrentIndex(1);
    QCOMPARE(host.currentPage(), page);
    int index = -1;
    QCOMPARE(host.selectedPage(&index), nullptr);
    QCOMPARE(index, 1);
}

void DialogsTest::hostPageAreaLeavesRoomForTheTabs() {
    TabPageHost host;
    host.resize(440, 240);
    QCOMPARE(host.pageArea(), QRect(QPoint(4, 25), QPoint(435, 235)));
    auto* page = new QWidget(&host);
    host.addPage("p", page, 130, true);
    QCOMPARE(page->geometry(), host.pageArea());
}

void DialogsTest::propertiesDialogOpensOnTheDefinitionPage() {
    ActionDefinition action;
    action.setActionDefaults("Action01");
    ActionPropertiesDialog dialog(action);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QString("Properties"));
    QCOMPARE(find<QLineEdit>(&dialog, IDC_ACTION_NAME)->text(), QString("Action01"));
    QCOMPARE(dialog.pageHost()->tabBar()->tabText(0), QString("&Definition"));
    QCOMPARE(dialog.pageHost()->tabBar()->tabText(1), QString("&Panel"));
    QCOMPARE(dialog.pageHost()->tabBar()->tabText(2), QString("&Messages"));
    QWidget* definition = dialog.findChild<QWidget*>("page130");
    QVERIFY(definition->isVisible());
    QVERIFY(!dialog.findChild<QWidget*>("page131")->isVisible());

    auto* type = find<QComboBox>(definition, IDC_TYPE_COMBO);
    QCOMPARE(type->currentText(), QString("PIPD_COMMONTOOL"));
    QCOMPARE(type->count(), 3);
    QCOMPARE(type->itemText(1), QString("PIPD_LOADPROC"));
    QVERIFY(!find<QComboBox>(definition, IDC_VIRTUAL_ID_COMBO)->isEnabled());
    QVERIFY(find<QCheckBox>(definition, IDC_EXECUTE_CHECK)->isChecked());
    QVERIFY(!find<QLineEdit>(definition, IDC_CLOSE_EDIT)->isEnabled());
    QVERIFY(!find<QCheckBox>(definition, IDC_TBNAME_CHECK)->isEnabled());
    QVERIFY(find<QRadioButton>(dialog.findChild<QWidget*>("page131"), IDC_PANEL_MODDIALOG)
                ->isChecked());
    QCOMPARE(action.name, std::string("Action01"));
}

void DialogsTest::propertiesWidgetsWriteTheRecord() {
    ActionDefinition action;
    action.setActionDefaults("Action01");
    ActionPropertiesDialog dialog(action);
    dialog.show();
    auto* name = find<QLineEdit>(&dialog, IDC_ACTION_NAME);
    name->selectAll();
    QTest::keyClicks(name, "Foo");
    QCOMPARE(action.name, std::string("Foo")); // at every keystroke

    // The names made from the old name follow, visibly, in their fields.
    QWidget* definition = dialog.findChild<QWidget*>("page130");
    QCOMPARE(find<QLineEdit>(definition, IDC_EXECUTE_EDIT)->text(), QString("foo_Execute"));
    QCOMPARE(find<QLineEdit>(definition, IDC_MENU_EDIT)->text(), QString("Tools\\Foo"));
    QCOMPARE(find<QLineEdit>(dialog.findChild<QWidget*>("page132"), IDC_CB_STATUS_EDIT)->text(),
             QString("cb_fooStatusMsgProc"));
    QTest::mouseClick(find<QCheckBox>(definition, IDC_CLOSE_CHECK), Qt::LeftButton);
    QCOMPARE(find<QLineEdit>(definition, IDC_CLOSE_EDIT)->text(), QString("foo_Close"));
    QVERIFY(find<QLineEdit>(definition, IDC_CLOSE_EDIT)->isEnabled());
    QVERIFY(action.flags & ACF_PROC_CLOSE);

    auto* type = find<QComboBox>(definition, IDC_TYPE_COMBO);
    type->lineEdit()->selectAll();
    QTest::keyClicks(type->lineEdit(), "pipd_saveproc");

    dialog.pageHost()->tabBar()->setCurrentIndex(1);
    QWidget* panel = dialog.findChild<QWidget*>("page131");
    QVERIFY(panel->isVisible());
    QTest::mouseClick(find<QRadioButton>(panel, IDC_PANEL_NONE), Qt::LeftButton);
    QVERIFY(!find<QLineEdit>(panel, IDC_PANEL_CLASS)->isEnabled());
    QVERIFY(!find<QRadioButton>(panel, IDC_PANEL_MODDIALOG)->isChecked());

    ModalHooks::pushAnswer(true); // "must be not defined": the close procedure was clicked
    QTest::mouseClick(find<QPushButton>(&dialog, CTL_OK), Qt::LeftButton);
    QCOMPARE(dialog.result(), CTL_OK);
    QCOMPARE(action.type, 4u);
    QCOMPARE(action.procExecute, std::string("foo_Execute"));
    QCOMPARE(action.menu, std::string("Tools\\Foo"));
    QCOMPARE(action.panelClass, std::string("CFooMainWnd"));
    QCOMPARE(action.flags & ACF_PANEL_MASK, 0u);
    QVERIFY(!(action.flags & ACF_PROC_CLOSE));
    QCOMPARE(ModalHooks::takeMessages(),
             QStringList{"Action 'Foo':\n[CloseProc] must be not defined"});
}

void DialogsTest::propertiesCloseQuestionIsAnsweredOnOk() {
    ActionDefinition action;
    action.setActionDefaults("Action01");
    action.flags |= ACF_PROC_CLOSE;
    action.procClose = "myClose";
    action.defEdited = 1;
    ActionPropertiesDialog dialog(action);
    ModalHooks::pushAnswer(false);
    dialog.accept();
    QCOMPARE(dialog.result(), CTL_OK);
    QVERIFY(action.flags & ACF_PROC_CLOSE); // Cancel keeps the close procedure
    QCOMPARE(ModalHooks::takeMessages().size(), 1);
}

void DialogsTest::propertiesEmptyNameKeepsTheDialogOpen() {
    ActionDefinition action;
    action.setActionDefaults("Action01");
    ActionPropertiesDialog dialog(action);
    showActive(dialog);
    dialog.pageHost()->tabBar()->setCurrentIndex(2);
    QWidget* messages = dialog.findChild<QWidget*>("page132");
    QTest::mouseClick(find<QCheckBox>(messages, IDC_CB_MS_MOVE_CHECK), Qt::LeftButton);
    auto* name = find<QLineEdit>(&dialog, IDC_ACTION_NAME);
    name->clear();
    QTest::mouseClick(find<QPushButton>(&dialog, CTL_OK), Qt::LeftButton);

    // Nothing stored and nothing lost: the dialog says why, open, with the focus on the name.
    QCOMPARE(ModalHooks::takeMessages(),
             QStringList{"Action name missing:\nEvery action needs a name."});
    QVERIFY(dialog.isVisible());
    QVERIFY(name->hasFocus());
    QCOMPARE(action.flags & ACF_CB_STATUS, ACF_CB_STATUS); // not stored yet
    QVERIFY(find<QCheckBox>(messages, IDC_CB_MS_MOVE_CHECK)->isChecked());

    QTest::keyClicks(name, "Named");
    QTest::keyClick(name, Qt::Key_Return); // OK is the default button
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), CTL_OK);
    QCOMPARE(action.name, std::string("Named"));
    QVERIFY(action.flags & ACF_CB_MS_MOVE);
    QVERIFY(ModalHooks::takeMessages().isEmpty());
}

void DialogsTest::unknownTypeIsMarkedAndRefused() {
    ActionDefinition action;
    action.setActionDefaults("Action01");
    ActionPropertiesDialog dialog(action);
    showActive(dialog);
    QWidget* definition = dialog.findChild<QWidget*>("page130");
    auto* type = find<QComboBox>(definition, IDC_TYPE_COMBO);
    const auto mark = [type] {
        auto* action = type->lineEdit()->findChild<QAction*>("problemMark");
        return action && action->isVisible() ? action->toolTip() : QString();
    };
    QCOMPARE(mark(), QString());
    type->lineEdit()->selectAll();
    QTest::keyClicks(type->lineEdit(), "abc");
    const QString problem =
        "Unknown type: \"abc\"\nAccepted names: PIPD_COMMONTOOL, PIPD_LOADPROC, PIPD_SAVEPROC";
    QCOMPARE(mark(), problem);
    QCOMPARE(type->toolTip(), problem);

    // OK from another page says so, stays open and goes back to the field.
    dialog.pageHost()->tabBar()->setCurrentIndex(2);
    QTest::mouseClick(find<QPushButton>(&dialog, CTL_OK), Qt::LeftButton);
    QCOMPARE(ModalHooks::takeMessages(), QStringList{problem});
    QVERIFY(dialog.isVisible());
    QVERIFY(definition->isVisible());
    QVERIFY(type->hasFocus());

    type->lineEdit()->selectAll();
    QTest::keyClicks(type->lineEdit(), "pipd_loadproc");
    QCOMPARE(mark(), QString());
    QTest::mouseClick(find<QPushButton>(&dialog, CTL_OK), Qt::LeftButton);
    QCOMPARE(dialog.result(), CTL_OK);
    QCOMPARE(action.type, 3u);
}

void DialogsTest::panelKindIsChosenByKeyboard() {
    ActionDefinition action;
    action.setActionDefaults("Action01");
    ActionPropertiesDialog dialog(action);
    showActive(dialog);
    dialog.pageHost()->tabBar()->setCurrentIndex(1);
    QWidget* panel = dialog.findChild<QWidget*>("page131");
    // The four kinds are one tab stop, on the checked one.
    auto* modal = find<QRadioButton>(panel, IDC_PANEL_MODDIALOG);
    QVERIFY(tabTo(modal));
    QTest::keyClick(modal, Qt::Key_Tab);
    QVERIFY(find<QLineEdit>(panel, IDC_PANEL_CLASS)->hasFocus());

    QVERIFY(tabTo(modal));
    QTest::keyClick(modal, Qt::Key_Down);
    auto* window = find<QRadioButton>(panel, IDC_PANEL_WINDOW);
    QVERIFY(window->hasFocus() && window->isChecked() && !modal->isChecked());
    QVERIFY(find<QCheckBox>(panel, IDC_CREATE_THREAD)->isEnabled()); // the Window rule ran
    QVERIFY(!find<QCheckBox>(panel, IDC_FOREGROUND)->isEnabled());
    QCOMPARE(action.panelEdited, 1);
}

namespace {

// The id of the control that holds the focus (the control itself, or the control a focused
// inner field belongs to), or 0.
int focusedId() {
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
        if (w->objectName().startsWith("id"))
            return w->objectName().mid(2).toInt();
    }
    return 0;
}

} // namespace

void DialogsTest::tabFollowsTheReadingOrder_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QList<int>>("order"); // after the name edit, up to OK and Cancel
    // Every procedure, the menu, the toolbar and tooltips defined: all their edits take Tab.
    QTest::newRow("Definition") << 0 << QList<int>{IDC_TYPE_COMBO,     IDC_INDIV_INTERFACE,
                                                   IDC_STATIC_MEMBUF,  IDC_EXECUTE_CHECK,
                                                   IDC_EXECUTE_EDIT,   IDC_CLOSE_CHECK,
                                                   IDC_CLOSE_EDIT,     IDC_FIRSTTIME_CHECK,
                                                   IDC_FIRSTTIME_EDIT, IDC_MENU_CHECK,
                                                   IDC_MENU_EDIT,      IDC_TBNAME_EDIT,
                                                   IDC_TBBUTTON_EDIT,  IDC_TOOLTIPS_EDIT};
    QTest::newRow("Panel") << 1
                           << QList<int>{IDC_PANEL_DIALOG, IDC_PANEL_CLASS, IDC_CREATE_THREAD,
                                         IDC_FOREGROUND};
    QTest::newRow("Messages") << 2 << QList<int>{IDC_CB_STATUS_CHECK,    IDC_CB_STATUS_EDIT,
                                                 IDC_CB_KEYBRD_CHECK,    IDC_CB_KEYBRD_EDIT,
                                                 IDC_CB_MS_LBDOWN_CHECK, IDC_CB_MS_LBDOWN_EDIT,
                                                 IDC_CB_MS_LBUP_CHECK,   IDC_CB_MS_LBUP_EDIT,
                                                 IDC_CB_MS_RBDOWN_CHECK, IDC_CB_MS_RBDOWN_EDIT,
                                                 IDC_CB_MS_RBUP_CHECK,   IDC_CB_MS_RBUP_EDIT,
                                                 IDC_CB_MS_MOVE_CHECK,   IDC_CB_MS_MOVE_EDIT};
}

void DialogsTest::tabFollowsTheReadingOrder() {
    QFETCH(int, page);
    QFETCH(QList<int>, order);
    ActionDefinition action;
    action.setActionDefaults("Action01");
    action.flags |= ACF_PROC_CLOSE | ACF_PROC_FIRSTTIME | ACF_TOOLBAR | ACF_TOOLTIPS |
                    ACF_PANEL_DIALOG | ACF_CB_MASK;
    action.flags &= ~ACF_PANEL_MODDIALOG;
    ActionPropertiesDialog dialog(action);
    showActive(dialog);
    dialog.pageHost()->tabBar()->setCurrentIndex(page);
    find<QLineEdit>(&dialog, IDC_ACTION_NAME)->setFocus();

    order << CTL_OK << CTL_CANCEL << IDC_ACTION_NAME;
    QList<int> visited;
    for (qsizetype i = 0; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << focusedId();
    }
    QCOMPARE(visited, order);
}

void DialogsTest::pageKeysSwitchPages_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("page"); // from the first page
    const int ctrl = Qt::ControlModifier;
    QTest::newRow("Ctrl+Tab") << int(Qt::Key_Tab) << ctrl << 1;
    QTest::newRow("Ctrl+PgDown") << int(Qt::Key_PageDown) << ctrl << 1;
    QTest::newRow("Ctrl+Shift+Tab wraps round")
        << int(Qt::Key_Backtab) << int(ctrl | Qt::ShiftModifier) << 2;
    QTest::newRow("Ctrl+PgUp wraps round") << int(Qt::Key_PageUp) << ctrl << 2;
}

void DialogsTest::pageKeysSwitchPages() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, page);
    ActionDefinition action;
    action.setActionDefaults("Action01");
    ActionPropertiesDialog dialog(action);
    showActive(dialog);
    QWidget* pages[] = {dialog.findChild<QWidget*>("page130"),
                        dialog.findChild<QWidget*>("page131"),
                        dialog.findChild<QWidget*>("page132")};
    // From the name edit the focus stays where it is; from a page it goes on to the new page.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QVERIFY(pages[page]->isVisible());
    QCOMPARE(dialog.pageHost()->tabBar()->currentIndex(), page);

    dialog.pageHost()->tabBar()->setCurrentIndex(0);
    find<QComboBox>(pages[0], IDC_TYPE_COMBO)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QVERIFY(pages[page]->isVisible() && !pages[0]->isVisible());
    QVERIFY(pages[page]->isAncestorOf(QApplication::focusWidget()));
}

namespace {

// The Alt+letter of a caption, or an empty text.
QString mnemonicOf(const QString& caption) {
    return QKeySequence::mnemonic(caption).toString();
}

} // namespace

void DialogsTest::mnemonicsAreSetAndDistinct_data() {
    QTest::addColumn<int>("page"); // -1: the main dialog; else the properties dialog's page
    QTest::newRow("main dialog") << -1;
    QTest::newRow("properties, Definition") << 0;
    QTest::newRow("properties, Panel") << 1;
    QTest::newRow("properties, Messages") << 2;
}

void DialogsTest::mnemonicsAreSetAndDistinct() {
    QFETCH(int, page);
    ActionDefinition action;
    action.setActionDefaults("Action01");
    std::unique_ptr<QDialog> dialog;
    if (page < 0) {
        dialog = std::make_unique<MainDialog>();
    } else {
        auto properties = std::make_unique<ActionPropertiesDialog>(action);
        properties->pageHost()->tabBar()->setCurrentIndex(page);
        dialog = std::move(properties);
    }
    dialog->show();

    // Every caption in view but OK, Cancel and "..." has a mnemonic, no two the same; a label's
    // mnemonic leads to its buddy.
    QMap<QString, QString> taken;
    const auto take = [&taken](const QString& caption) {
        const QString key = mnemonicOf(caption);
        QVERIFY2(!key.isEmpty(), qPrintable(caption + " has no mnemonic"));
        QVERIFY2(!taken.contains(key), qPrintable(caption + " repeats " + taken.value(key)));
        taken.insert(key, caption);
    };
    for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
        const QString caption = button->text();
        if (button->isVisible() && caption != "OK" && caption != "Cancel" && caption != "...")
            take(caption);
    }
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
        if (!label->isVisible())
            continue;
        take(label->text());
        QVERIFY2(label->buddy(), qPrintable(label->text()));
    }
    if (page >= 0) {
        const QTabBar* tabs = static_cast<ActionPropertiesDialog&>(*dialog).pageHost()->tabBar();
        for (int i = 0; i < tabs->count(); ++i)
            take(tabs->tabText(i));
    }
}

void DialogsTest::captionsAreNeitherCutNorCovered_data() {
    mnemonicsAreSetAndDistinct_data();
}

void DialogsTest::captionsAreNeitherCutNorCovered() {
    QFETCH(int, page);
    ActionDefinition action;
    action.setActionDefaults("Action01");
    std::unique_ptr<QDialog> dialog;
    QWidget* area = nullptr; // the controls' parent
    if (page < 0) {
        dialog = std::make_unique<MainDialog>();
        area = dialog.get();
    } else {
        auto properties = std::make_unique<ActionPropertiesDialog>(action);
        properties->pageHost()->tabBar()->setCurrentIndex(page);
        area = properties->pageHost()->currentPage();
        dialog = std::move(properties);
    }
    dialog->show();

    // A caption's line of text, its full width, must not meet a field, list or button.
    const auto isCaption = [](QWidget* w) {
        return qobject_cast<QLabel*>(w) || qobject_cast<QCheckBox*>(w) ||
               qobject_cast<QRadioButton*>(w);
    };
    const QList<QWidget*> controls = area->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* caption : controls) {
        if (!isCaption(caption) || !caption->isVisible())
            continue;
        const QString text = caption->property("text").toString();
        QVERIFY2(caption->width() >= caption->sizeHint().width(), qPrintable(text + " is cut"));
        const int line = caption->fontMetrics().height();
        const QRect drawn(caption->x(), caption->y() + (caption->height() - line) / 2,
                          caption->width(), line);
        for (QWidget* other : controls) {
            if (!isCaption(other) && other->isVisible() && other != area)
                QVERIFY2(!drawn.intersects(other->geometry()),
                         qPrintable(text + " meets " + other->objectName()));
        }
    }
}

void DialogsTest::mnemonicsReachTheirControls() {
    MainDialog main;
    showActive(main);
    QTest::keyClick(&main, Qt::Key_K, Qt::AltModifier);
    QTRY_COMPARE(main.project().kelHost, 1); // a mnemonic's click is animated
    QTest::keyClick(&main, Qt::Key_P, Qt::AltModifier);
    QVERIFY(find<QLineEdit>(&main, IDC_PROJECT_NAME)->hasFocus());
    main.close();

    ActionDefinition action;
    action.setActionDefaults("Action01");
    ActionPropertiesDialog properties(action);
    showActive(properties);
    QTest::keyClick(&properties, Qt::Key_M, Qt::AltModifier);
    QWidget* messages = properties.findChild<QWidget*>("page132");
    QVERIFY(messages->isVisible());
    QTest::keyClick(&properties, Qt::Key_K, Qt::AltModifier); // ticks "Keyboard procedure:"
    QTRY_COMPARE(find<QLineEdit>(messages, IDC_CB_KEYBRD_EDIT)->text(),
                 QString("cb_action01KeybrdMsgProc"));
    QTest::keyClick(&properties, Qt::Key_A, Qt::AltModifier);
    QVERIFY(find<QLineEdit>(&properties, IDC_ACTION_NAME)->hasFocus());
}

void DialogsTest::aboutShowsTheVersionEachTime() {
    for (int i = 0; i < 2; ++i) {
        AboutDialog about;
        QCOMPARE(about.windowTitle(), QString("About Vantrel"));
        QCOMPARE(find<QLabel>(&about, AboutDialog::IDC_VERSION)->text(),
                 QString("Vantrel Version 1.4"));
    }
}

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
