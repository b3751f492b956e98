#include "ui/MainDialog.h"
#include "model/NameChecks.h"
#include "ui/AboutDialog.h"
#include "ui/ActionPropertiesDialog.h"
#include "ui/ControlIds.h"
#include "ui/ControlMirror.h"
#include "ui/ModalHooks.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

using namespace vantrel;

namespace {

template <typename T>
T* find(QWidget* parent, int id) {
    T* widget = parent->findChild<T*>(controlName(id));
    if (!widget)
        qFatal("control %d not found", id);
    return widget;
}

void clickButton(QWidget* dialog, int id) {
    QTest::mouseClick(find<QAbstractButton>(dialog, id), Qt::LeftButton);
}

void pressOk(QDialog& dialog) {
    clickButton(&dialog, CTL_OK);
}

// Shown as the active window, so that focus and shortcuts behave as for a user.
void showActive(QWidget& dialog) {
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
}

// Presses Tab until the control has the focus; false when it never gets it.
bool tabTo(QWidget* control) {
    for (int i = 0; i < 30 && !control->hasFocus(); ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    return control->hasFocus();
}

} // namespace

// The main dialog as a user drives it: real widgets, modal boxes answered by the test.
class MainDialogTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

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
    void createGeneratesTheSampleProject();
    void failedRunKeepsTheDialogOpen();
    void nameWarningsShowNextToTheField();

private:
    QTemporaryDir m_folder;
    QString m_oldCurrent;
};

void MainDialogTest::init() {
    ModalHooks::setScripted(true);
    // No configuration file: the dialog starts from the defaults.
    m_oldCurrent = QDir::currentPath();
    QDir::setCurrent(m_folder.path());
}

void MainDialogTest::cleanup() {
    QDir::setCurrent(m_oldCurrent);
    ModalHooks::setScripted(false);
}

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

void MainDialogTest::hostIsChosenByKeyboard() {
    MainDialog dialog;
    showActive(dialog);
    auto* kel = find<QRadioButton>(&dialog, IDC_HOST_KEL);
    QVERIFY(tabTo(kel)); // the group is one tab stop
    QTest::keyClick(kel, Qt::Key_Space);
    QVERIFY(find<QWidget>(&dialog, IDC_ADD_ACTION)->isEnabled());
    QTest::keyClick(kel, Qt::Key_Down); // the arrows move the choice
    QCOMPARE(dialog.project().dovHost, 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY(!kel->hasFocus() && !find<QWidget>(&dialog, IDC_HOST_DOV)->hasFocus());
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
    if (gesture != "down" && gesture != "right")
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
    ModalHooks::pushDialogHandler([&](QDialog& properties) {
        offered = find<QLineEdit>(&properties, IDC_ACTION_NAME)->text();
        pressOk(properties);
    });
    clickButton(&dialog, IDC_ADD_ACTION);

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

namespace {

// Chooses the host, sends the project into folder, names it and adds one action.
void fillProject(MainDialog& dialog, const QString& folder, const QString& name) {
    clickButton(&dialog, IDC_HOST_KEL);
    ModalHooks::pushDirectory(folder);
    clickButton(&dialog, IDC_BROWSE);
    auto* edit = find<QLineEdit>(&dialog, IDC_PROJECT_NAME);
    edit->selectAll();
    QTest::keyClicks(edit, name);
    ModalHooks::pushDialogHandler([](QDialog& properties) {
        auto* actionName = find<QLineEdit>(&properties, IDC_ACTION_NAME);
        actionName->selectAll();
        QTest::keyClicks(actionName, "Smooth");
        pressOk(properties);
    });
    clickButton(&dialog, IDC_ADD_ACTION);
}

} // namespace

void MainDialogTest::createGeneratesTheSampleProject() {
    // ctest names the source tree; a direct run finds it from this file's folder.
    const QString root =
        qEnvironmentVariable("VANTREL_SOURCE_DIR", QStringLiteral(QT_TESTCASE_SOURCEDIR "/../.."));
    QDir::setCurrent(root + "/data/sample");
    QVERIFY(QFile::exists("vantrel.cfg"));
    const QDir out(m_folder.path());

    MainDialog dialog;
    dialog.show();
    QCOMPARE(find<QLineEdit>(&dialog, IDC_PROJECT_NAME)->text(), QString("Demo"));
    fillProject(dialog, out.path(), "Sample");
    QCOMPARE(find<QLineEdit>(&dialog, IDC_LOCATION)->text(), out.filePath("Sample"));
    find<QComboBox>(&dialog, IDC_DLL_FLAGS)->setCurrentIndex(1);
    clickButton(&dialog, CTL_OK);

    QCOMPARE(ModalHooks::takeMessages(), QStringList());
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.project().dllFlags, PIDLLFL_RESIDENT);
    for (const char* file : {"Sample/Sample.h", "Sample/Sample.cpp", "Sample/CMakeLists.txt",
                             "Sample/Smooth.cpp", "Sample/res/Sample.rc", "Sample/pi.h"})
        QVERIFY2(out.exists(file), file);

    // A second run into the same project asks first; Cancel keeps the dialog and the files.
    const QDateTime written = QFileInfo(out.filePath("Sample/Sample.cpp")).lastModified();
    MainDialog again;
    again.show();
    fillProject(again, out.path(), "Sample");
    // Cancel is the default answer: Enter keeps the files.
    QMessageBox::StandardButton defaultAnswer = QMessageBox::NoButton;
    ModalHooks::pushQuestionHandler([&defaultAnswer](QMessageBox& box) {
        defaultAnswer = box.standardButton(box.defaultButton());
        QTest::keyClick(&box, Qt::Key_Return);
    });
    clickButton(&again, CTL_OK);
    QCOMPARE(defaultAnswer, QMessageBox::Cancel);
    QCOMPARE(ModalHooks::takeMessages(),
             QStringList{"The folder " + out.filePath("Sample") +
                         " already exists.\nFiles that the script writes there will be "
                         "replaced."});
    QVERIFY(again.isVisible());
    QCOMPARE(QFileInfo(out.filePath("Sample/Sample.cpp")).lastModified(), written);
}

void MainDialogTest::failedRunKeepsTheDialogOpen() {
    // No configuration here: the Kel script "kelpi.tpl" does not exist.
    MainDialog dialog;
    dialog.show();
    fillProject(dialog, m_folder.path(), "Lost");
    clickButton(&dialog, CTL_OK);
    QCOMPARE(ModalHooks::takeMessages(), QStringList{"Open file error:\nkelpi.tpl"});
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.project().actionCount(), 1);
    QCOMPARE(find<QLineEdit>(&dialog, IDC_PROJECT_NAME)->text(), QString("Lost"));
    QCOMPARE(find<QListWidget>(&dialog, IDC_ACTION_LIST)->count(), 1);
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

QTEST_MAIN(MainDialogTest)
#include "MainDialogTest.moc"
