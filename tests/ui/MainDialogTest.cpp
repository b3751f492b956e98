#include "ui/MainDialog.h"
#include "MainDialogHarness.h"
#include "ui/AboutDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>

using namespace vantrel;

// The main dialog as a user edits a project in it: real widgets, modal boxes answered by the test.
class MainDialogTest : public QObject {
    Q_OBJECT
private slots:
    void init() { m_folder.enter(); }
    void cleanup() { m_folder.leave(); }

    void startsWithNoHostAndTheEditingControlsDisabled();
    void choosingAHostEnablesThem();
    void hostIsChosenByKeyboard();
    void listGestures_data();
    void listGestures();
    void addingAnActionStoresTheFreshDefaults();
    void cancellingANewActionKeepsNoItem();
    void cancellingAnEditRestoresTheAction();
    void refusedCreateSaysWhyAndStaysOpen();
    void aboutEntryLeavesTheDialogAsItWas();
    void nameWarningsShowNextToTheField();
    void projectMenuSavesByKeyboardAndClosingAsksFirst();

private:
    DialogTestFolder m_folder;
};

void MainDialogTest::startsWithNoHostAndTheEditingControlsDisabled() {
    MainDialog dialog;
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QString("Vantrel"));
    for (int id : {CTL_OK, IDC_PROJECT_NAME, IDC_LOCATION, IDC_ACTION_LIST, IDC_ADD_ACTION,
                   IDC_DLL_FLAGS, IDC_REMOVE_ACTION, IDC_PROPERTIES})
        QVERIFY2(!find<QWidget>(&dialog, id)->isEnabled(), qPrintable(QString::number(id)));
    QVERIFY(find<QWidget>(&dialog, IDC_BROWSE)->isEnabled());
    QVERIFY(find<QWidget>(&dialog, CTL_CANCEL)->isEnabled());
    QVERIFY(!find<QRadioButton>(&dialog, IDC_HOST_KEL)->isChecked());
    QVERIFY(!find<QRadioButton>(&dialog, IDC_HOST_DOV)->isChecked());
    QCOMPARE(find<QComboBox>(&dialog, IDC_DLL_FLAGS)->currentText(), QString("PIDLLFL_AUTO"));
    QCOMPARE(dialog.project().dllFlags, PIDLLFL_AUTO);

    ModalHooks::pushDirectory(m_folder.path()); // "..." works before a host is chosen
    clickButton(&dialog, IDC_BROWSE);
    QCOMPARE(QString::fromStdString(dialog.project().locationBase), m_folder.path());
}

void MainDialogTest::choosingAHostEnablesThem() {
    MainDialog dialog;
    dialog.show();
    clickButton(&dialog, IDC_HOST_KEL);
    QCOMPARE(dialog.project().kelHost, 1);
    for (int id :
         {CTL_OK, IDC_PROJECT_NAME, IDC_LOCATION, IDC_ACTION_LIST, IDC_ADD_ACTION, IDC_DLL_FLAGS})
        QVERIFY2(find<QWidget>(&dialog, id)->isEnabled(), qPrintable(QString::number(id)));

    clickButton(&dialog, IDC_HOST_DOV);
    QCOMPARE(dialog.project().dovHost, 1);
    QCOMPARE(dialog.project().kelHost, 0);
    QVERIFY(!find<QRadioButton>(&dialog, IDC_HOST_KEL)->isChecked());
    clickButton(&dialog, IDC_HOST_DOV); // a chosen host stays chosen
    QVERIFY(find<QRadioButton>(&dialog, IDC_HOST_DOV)->isChecked());

    auto* name = find<QLineEdit>(&dialog, IDC_PROJECT_NAME);
    ModalHooks::pushDirectory(QDir::currentPath());
    clickButton(&dialog, IDC_BROWSE);
    QTest::keyClicks(name, "Z.v2"); // the folder the run writes, dots and all
    QCOMPARE(find<QLineEdit>(&dialog, IDC_LOCATION)->text(), QDir::current().filePath("Z.v2"));
}

// The focus starts on the host, drawn as keyboard focus; Tab then goes in reading order, the
// host group one stop, Remove and Properties waiting for a selected action.
void MainDialogTest::hostIsChosenByKeyboard() {
    MainDialog dialog;
    showActive(dialog);
    auto* kel = find<QRadioButton>(&dialog, IDC_HOST_KEL);
    QVERIFY(kel->hasFocus() && dialog.testAttribute(Qt::WA_KeyboardFocusChange));
    QTest::keyClick(kel, Qt::Key_Space);
    QVERIFY(find<QWidget>(&dialog, IDC_ADD_ACTION)->isEnabled());
    QTest::keyClick(kel, Qt::Key_Down); // the arrows move the choice
    QCOMPARE(dialog.project().dovHost, 1);
    QList<int> order;
    for (int i = 0; i < 11; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.append(QApplication::focusWidget()->objectName().remove("id").toInt());
    }
    constexpr int PREVIEW_TOGGLE = 0; // no control id: it came after the dialog's
    QCOMPARE(order, (QList<int>{IDC_DLL_FLAGS, IDC_ACTION_LIST, IDC_ADD_ACTION, IDC_PROJECT_MENU,
                                CTL_OK, CTL_CANCEL, PREVIEW_TOGGLE, IDC_PROJECT_NAME, IDC_LOCATION,
                                IDC_BROWSE, IDC_HOST_DOV}));
}

void MainDialogTest::listGestures_data() {
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<int>("selected"); // the item selected after it, or -1
    QTest::addColumn<int>("opened");   // the item whose properties it opened, or -1
    // On three actions, the first selected by a left click (none for "down" and "right").
    QTest::newRow("click on empty space clears") << "empty" << -1 << -1;
    QTest::newRow("ctrl+click on the selected item clears") << "ctrl" << -1 << -1;
    QTest::newRow("arrow key selects") << "down" << 0 << -1;
    QTest::newRow("right click selects") << "right" << 1 << -1;
    QTest::newRow("double click opens") << "double" << 1 << 1;
    QTest::newRow("Enter opens, and does not press Create") << "enter" << 0 << 0;
    QTest::newRow("Enter without a selection does nothing") << "bare enter" << -1 << -1;
    QTest::newRow("a click right of a short name selects it") << "beside" << 1 << -1;
    QTest::newRow("remove keeps the focus in the list") << "remove" << -1 << -1;
}

void MainDialogTest::listGestures() {
    QFETCH(QString, gesture);
    QFETCH(int, selected);
    QFETCH(int, opened);
    MainDialog dialog;
    dialog.show();
    clickButton(&dialog, IDC_HOST_KEL);
    for (int i = 0; i < 3; ++i) {
        ModalHooks::pushDialogHandler([](QDialog& properties) { pressOk(properties); });
        clickButton(&dialog, IDC_ADD_ACTION);
    }
    showActive(dialog);
    auto* list = find<QListWidget>(&dialog, IDC_ACTION_LIST);
    const QString second = list->item(1)->text();
    const auto at = [list](int row) {
        return list->visualItemRect(list->item(row)).center();
    };
    QWidget* view = list->viewport();
    if (gesture != "down" && gesture != "right" && gesture != "bare enter")
        QTest::mouseClick(view, Qt::LeftButton, {}, at(0));
    QString shown;
    ModalHooks::pushDialogHandler([&shown](QDialog& properties) {
        shown = find<QLineEdit>(&properties, IDC_ACTION_NAME)->text();
    });

    if (gesture == "empty")
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(view->width() - 2, view->height() - 2));
    if (gesture == "ctrl")
        QTest::mouseClick(view, Qt::LeftButton, Qt::ControlModifier, at(0));
    if (gesture == "down" || gesture == "enter")
        QTest::keyClick(list, gesture == "down" ? Qt::Key_Down : Qt::Key_Return);
    if (gesture == "bare enter") {
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(dialog.isVisible()); // Create was not pressed
    }
    if (gesture == "beside") {
        const QRect item = list->visualItemRect(list->item(1));
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(item.right() + 20, item.center().y()));
    }
    if (gesture == "right" || gesture == "double") // a double click: a click, then a second press
        QTest::mouseClick(view, gesture == "right" ? Qt::RightButton : Qt::LeftButton, {}, at(1));
    if (gesture == "double")
        QTest::mouseDClick(view, Qt::LeftButton, {}, at(1));
    if (gesture == "remove") { // the focus stays on the item that took the removed one's place
        QVERIFY(tabTo(find<QWidget>(&dialog, IDC_REMOVE_ACTION)));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QVERIFY(list->hasFocus() && list->currentItem()->text() == second);
    }
    // The item buttons follow the selection as it is after the gesture.
    const QList<QListWidgetItem*> items = list->selectedItems();
    QCOMPARE(items.isEmpty() ? -1 : list->row(items.front()), selected);
    QCOMPARE(find<QWidget>(&dialog, IDC_PROPERTIES)->isEnabled(), selected >= 0);
    QCOMPARE(find<QWidget>(&dialog, IDC_REMOVE_ACTION)->isEnabled(), selected >= 0);
    QCOMPARE(shown, opened < 0 ? QString() : list->item(opened)->text());
    QVERIFY(ModalHooks::takeMessages().isEmpty());
}

void MainDialogTest::addingAnActionStoresTheFreshDefaults() {
    MainDialog dialog;
    dialog.show();
    clickButton(&dialog, IDC_HOST_KEL);
    QString offered;
    bool typingStartsInTheName = false;
    ModalHooks::pushDialogHandler([&](QDialog& properties) {
        auto* name = find<QLineEdit>(&properties, IDC_ACTION_NAME);
        offered = name->text();
        typingStartsInTheName = properties.focusWidget() == name && name->selectedText() == offered;
        pressOk(properties);
    });
    clickButton(&dialog, IDC_ADD_ACTION);
    QVERIFY(typingStartsInTheName);

    auto* list = find<QListWidget>(&dialog, IDC_ACTION_LIST);
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), offered);
    QCOMPARE(dialog.project().actionCount(), 1);
    QCOMPARE(dialog.project().actions[0].flags, 0x00020011u);
    QCOMPARE(QString::fromStdString(dialog.project().actions[0].name), offered);
    QVERIFY(!find<QWidget>(&dialog, IDC_PROPERTIES)->isEnabled());

    // A click on the item enables the item buttons.
    const QRect item = list->visualItemRect(list->item(0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    QVERIFY(find<QWidget>(&dialog, IDC_PROPERTIES)->isEnabled());
    QVERIFY(find<QWidget>(&dialog, IDC_REMOVE_ACTION)->isEnabled());
    ModalHooks::pushDialogHandler([](QDialog& properties) { pressOk(properties); });
    clickButton(&dialog, IDC_ADD_ACTION);
    clickButton(&dialog, IDC_REMOVE_ACTION);
    QCOMPARE(list->count(), 1);
    QCOMPARE(dialog.project().actionCount(), 1);
    QCOMPARE(list->item(0)->text(), QString::fromStdString(dialog.project().actions[0].name));
    QVERIFY(offered != list->item(0)->text());
    QVERIFY(!find<QWidget>(&dialog, IDC_REMOVE_ACTION)->isEnabled());
    QVERIFY(!find<QWidget>(&dialog, IDC_PROPERTIES)->isEnabled());
}

void MainDialogTest::cancellingANewActionKeepsNoItem() {
    MainDialog dialog;
    dialog.show();
    clickButton(&dialog, IDC_HOST_KEL);
    const std::int32_t before = actionCounter;
    ModalHooks::pushDialogHandler(
        [](QDialog& properties) { clickButton(&properties, CTL_CANCEL); });
    clickButton(&dialog, IDC_ADD_ACTION);
    QCOMPARE(find<QListWidget>(&dialog, IDC_ACTION_LIST)->count(), 0);

    QString offered;
    ModalHooks::pushDialogHandler([&](QDialog& properties) {
        offered = find<QLineEdit>(&properties, IDC_ACTION_NAME)->text();
        pressOk(properties);
    });
    clickButton(&dialog, IDC_ADD_ACTION);
    QCOMPARE(offered, QString::asprintf("Action%02d", before + 2));
}

void MainDialogTest::cancellingAnEditRestoresTheAction() {
    MainDialog dialog;
    dialog.show();
    clickButton(&dialog, IDC_HOST_KEL);
    ModalHooks::pushDialogHandler([](QDialog& properties) { pressOk(properties); });
    clickButton(&dialog, IDC_ADD_ACTION);
    auto* list = find<QListWidget>(&dialog, IDC_ACTION_LIST);
    const QString name = list->item(0)->text();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(0)).center());

    ModalHooks::pushDialogHandler([](QDialog& properties) {
        auto* edit = find<QLineEdit>(&properties, IDC_ACTION_NAME);
        edit->selectAll();
        QTest::keyClicks(edit, "Other");
        QWidget* messages = properties.findChild<QWidget*>("page132");
        clickButton(messages, IDC_CB_MS_MOVE_CHECK);
        clickButton(&properties, CTL_CANCEL);
    });
    clickButton(&dialog, IDC_PROPERTIES);
    const ActionDefinition& action = dialog.project().actions[0];
    QCOMPARE(QString::fromStdString(action.name), name);
    QVERIFY(!(action.flags & ACF_CB_MS_MOVE));
    QCOMPARE(list->item(0)->text(), name);

    ModalHooks::pushDialogHandler([](QDialog& properties) {
        auto* edit = find<QLineEdit>(&properties, IDC_ACTION_NAME);
        edit->selectAll();
        QTest::keyClicks(edit, "Other");
        pressOk(properties);
    });
    clickButton(&dialog, IDC_PROPERTIES);
    QCOMPARE(list->item(0)->text(), QString("Other"));
}

void MainDialogTest::refusedCreateSaysWhyAndStaysOpen() {
    MainDialog dialog;
    dialog.show();
    clickButton(&dialog, IDC_HOST_KEL);
    clickButton(&dialog, CTL_OK);
    QVERIFY(dialog.isVisible());
    QCOMPARE(ModalHooks::takeMessages(),
             QStringList{"No actions defined:\nAdd at least one action before creating the "
                         "project."});

    for (int i = 0; i < 2; ++i) {
        ModalHooks::pushDialogHandler([](QDialog& properties) {
            auto* edit = find<QLineEdit>(&properties, IDC_ACTION_NAME);
            edit->selectAll();
            QTest::keyClicks(edit, "Twice");
            pressOk(properties);
        });
        clickButton(&dialog, IDC_ADD_ACTION);
    }
    clickButton(&dialog, CTL_OK);
    QVERIFY(dialog.isVisible());
    QCOMPARE(ModalHooks::takeMessages(), QStringList{"Action name used twice:\nTwice"});
    QCOMPARE(dialog.project().actionCount(), 2);
}

void MainDialogTest::aboutEntryLeavesTheDialogAsItWas() {
    MainDialog dialog;
    dialog.show();
    clickButton(&dialog, IDC_HOST_KEL);
    QTest::keyClicks(find<QLineEdit>(&dialog, IDC_PROJECT_NAME), "demo");
    QCOMPARE(MainDialog::aboutEntryText(), QString::fromUtf8("Inf&o über Vantrel..."));
    for (int i = 0; i < 2; ++i) {
        QString version;
        ModalHooks::pushDialogHandler([&](QDialog& about) {
            version = find<QLabel>(&about, AboutDialog::IDC_VERSION)->text();
            pressOk(about);
        });
        dialog.activateWindow(); // F1 is a shortcut of the active window
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClick(&dialog, Qt::Key_F1);
        QCOMPARE(version, QString("Vantrel Version 1.4"));
    }

    // Where the system menu cannot take the entry, the dialog's context menu has it.
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(5, 5),
                                 dialog.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&dialog, &rightClick);
    auto* menu = dialog.findChild<QMenu*>("contextMenu");
    QVERIFY(menu && menu->isVisible());
    QCOMPARE(menu->actions().value(0)->text(), MainDialog::aboutEntryText());
    bool opened = false;
    ModalHooks::pushDialogHandler([&](QDialog& about) {
        opened = about.objectName() == "dialog100";
        pressOk(about);
    });
    menu->actions().value(0)->trigger();
    QVERIFY(opened);

    QCOMPARE(find<QLineEdit>(&dialog, IDC_PROJECT_NAME)->text(), QString("demo"));
    QCOMPARE(dialog.project().nameText, std::string("demo"));
    QVERIFY(dialog.isVisible());
}

void MainDialogTest::nameWarningsShowNextToTheField() {
    MainDialog dialog;
    dialog.show();
    clickButton(&dialog, IDC_HOST_KEL);
    auto* name = find<QLineEdit>(&dialog, IDC_PROJECT_NAME);
    auto* warnings = find<QLabel>(&dialog, IDC_NAME_WARNINGS);
    QVERIFY(!warnings->isVisible());
    QTest::keyClicks(name, "my tool");
    QVERIFY(warnings->isVisible());
    QVERIFY2(warnings->text().contains("not a C identifier"), qPrintable(warnings->text()));
    QCOMPARE(name->property("nameWarnings").toString(),
             QString::fromStdString(projectNameWarnings("my tool").front()));
    // Beside the controls, wholly inside the dialog.
    QVERIFY(dialog.rect().contains(warnings->geometry()));
    for (QWidget* other : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        QVERIFY2(other == warnings || !other->isVisible() ||
                     !other->geometry().intersects(warnings->geometry()),
                 qPrintable(other->objectName()));

    // Warnings never refuse: Create goes on to its own checks.
    clickButton(&dialog, CTL_OK);
    QCOMPARE(ModalHooks::takeMessages(),
             QStringList{"No actions defined:\nAdd at least one action before creating the "
                         "project."});

    name->selectAll();
    QTest::keyClicks(name, "my_tool");
    QVERIFY(!warnings->isVisible());
    QCOMPARE(name->property("nameWarnings").toString(), QString());
    QCOMPARE(name->toolTip(), QString());
}

void MainDialogTest::projectMenuSavesByKeyboardAndClosingAsksFirst() {
    MainDialog dialog;
    showActive(dialog);
    auto* project = find<QPushButton>(&dialog, IDC_PROJECT_MENU);
    auto* create = find<QPushButton>(&dialog, CTL_OK);
    // Beside Create, on its line, where no control stood.
    QCOMPARE(project->geometry().top(), create->geometry().top());
    QVERIFY(project->geometry().right() < create->geometry().left());
    QVERIFY(project->geometry().left() > find<QLineEdit>(&dialog, IDC_LOCATION)->geometry().left());
    QCOMPARE(project->menu(), dialog.projectMenu());
    QCOMPARE(project->text(), QString("Proj&ect"));
    QVERIFY(tabTo(project));
    QCOMPARE(dialog.windowTitle(), QString("Vantrel"));

    clickButton(&dialog, IDC_HOST_KEL);
    QCOMPARE(dialog.windowTitle(), QString("Untitled*"));
    const QString file = m_folder.filePath("mine.json");
    ModalHooks::pushFile(file);
    QTest::keyClick(&dialog, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(QFile::exists(file));
    QCOMPARE(dialog.windowTitle(), QString("mine.json"));
    QCOMPARE(QSettings("vantrel", "wizard").value("recentProjects").toStringList(),
             QStringList{file});

    QTest::keyClicks(find<QLineEdit>(&dialog, IDC_PROJECT_NAME), "Typed");
    QCOMPARE(dialog.windowTitle(), QString("mine.json*"));
    ModalHooks::pushSaveChoice(QMessageBox::Cancel);
    dialog.close();
    QVERIFY(dialog.isVisible());
    ModalHooks::pushSaveChoice(QMessageBox::Discard);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(ModalHooks::takeMessages(),
             QStringList({"Save changes to mine.json?", "Save changes to mine.json?"}));
    QVERIFY(!readAll(file).contains("Typed"));
}

QTEST_MAIN(MainDialogTest)
#include "MainDialogTest.moc"
