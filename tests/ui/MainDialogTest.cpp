#include "ui/MainDialog.h"
#include "model/NameChecks.h"
#include "support/WidgetFinder.h"
#include "ui/AboutDialog.h"
#include "ui/ActionPropertiesDialog.h"
#include "ui/ModalHooks.h"
#include "wizard/ControlIds.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace vantrel;

namespace {

void clickButton(QWidget* dialog, int id) {
    QTest::mouseClick(find<QAbstractButton>(dialog, id), Qt::LeftButton);
}

void pressOk(QDialog& dialog) {
    clickButton(&dialog, CTL_OK);
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
    void showsWhichConfigurationItRunsOn();
    void createGeneratesTheSampleProject_data();
    void createGeneratesTheSampleProject();
    void secondCreateReviewsTheChangedFiles_data();
    void secondCreateReviewsTheChangedFiles();
    void regenerationWithActionsRenamedAndRemoved();
    void nameWarningsShowNextToTheField();
    void projectMenuSavesByKeyboardAndClosingAsksFirst();
    void failedRunKeepsTheDialogOpen();
    void createsInTheHomeFolderFromTheUsersConfiguration();

private:
    QTemporaryDir m_folder;
    QString m_oldCurrent;
};

void MainDialogTest::init() {
    ModalHooks::setScripted(true);
    // No configuration file: the dialog starts from the defaults. A user's own is kept out.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_folder.filePath("no-user-configuration")));
    m_oldCurrent = QDir::currentPath();
    QDir::setCurrent(m_folder.path());
    // The recent project files go to the test's folder, never to the user's settings.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       m_folder.filePath("settings"));
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
    for (int i = 0; i < 10; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.append(QApplication::focusWidget()->objectName().remove("id").toInt());
    }
    QCOMPARE(order,
             (QList<int>{IDC_DLL_FLAGS, IDC_ACTION_LIST, IDC_ADD_ACTION, IDC_PROJECT_MENU, CTL_OK,
                         CTL_CANCEL, IDC_PROJECT_NAME, IDC_LOCATION, IDC_BROWSE, IDC_HOST_DOV}));
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

void MainDialogTest::showsWhichConfigurationItRunsOn() {
    // The working folder is empty and so is the user's configuration folder.
    MainDialog none;
    QVERIFY2(none.toolTip().startsWith("No configuration found (looked for vantrel.cfg, " +
                                       m_folder.filePath("no-user-configuration") +
                                       "/vantrel/vantrel.cfg"),
             qPrintable(none.toolTip()));
    QVERIFY(none.toolTip().endsWith("): built-in settings"));

    MainDialog absent(nullptr, "absent.cfg");
    QCOMPARE(absent.toolTip(), "Configuration " + QDir::current().absoluteFilePath("absent.cfg") +
                                   " cannot be read: built-in settings");
}

namespace {

// The next properties dialog gets the action's name typed over the one it offers, and OK.
void nameNextAction(const QString& name) {
    ModalHooks::pushDialogHandler([name](QDialog& properties) {
        auto* actionName = find<QLineEdit>(&properties, IDC_ACTION_NAME);
        actionName->selectAll();
        QTest::keyClicks(actionName, name);
        pressOk(properties);
    });
}

// Chooses the host, sends the project into folder, names it and adds one action.
void fillProject(MainDialog& dialog, const QString& folder, const QString& name) {
    clickButton(&dialog, IDC_HOST_KEL);
    ModalHooks::pushDirectory(folder);
    clickButton(&dialog, IDC_BROWSE);
    auto* edit = find<QLineEdit>(&dialog, IDC_PROJECT_NAME);
    edit->selectAll();
    QTest::keyClicks(edit, name);
    nameNextAction("Smooth");
    clickButton(&dialog, IDC_ADD_ACTION);
}

} // namespace

namespace {

// The summary dialog's counts, its kept files and messages, as the user reads them.
struct SummaryShown {
    QString heading;
    QStringList counts;
    QString kept;
    QString messages;
    QString folder;
    bool canOpen = false;
};

// Reads the next summary; openIt presses "Open folder" before "Close".
void readSummary(SummaryShown& shown, bool openIt = false) {
    ModalHooks::pushDialogHandler([&shown, openIt](QDialog& summary) {
        shown.heading = summary.findChild<QLabel*>("summaryHeading")->text();
        for (int i = 0; auto* count = summary.findChild<QLabel*>(QString("summaryCount%1").arg(i));
             ++i)
            shown.counts.append(count->text());
        if (auto* kept = summary.findChild<QPlainTextEdit*>("summaryKept"))
            shown.kept = kept->toPlainText();
        if (auto* messages = summary.findChild<QPlainTextEdit*>("summaryMessages"))
            shown.messages = messages->toPlainText();
        shown.folder = summary.findChild<QLabel*>("summaryFolder")->text();
        auto* open = summary.findChild<QPushButton*>("openFolder");
        shown.canOpen = open->isEnabled();
        if (openIt)
            QTest::mouseClick(open, Qt::LeftButton);
        QTest::mouseClick(summary.findChild<QPushButton*>("close"), Qt::LeftButton);
    });
}

QString sampleRoot() {
    // ctest names the source tree; a direct run finds it from this file's folder.
    return qEnvironmentVariable("VANTREL_SOURCE_DIR",
                                QStringLiteral(QT_TESTCASE_SOURCEDIR "/../.."));
}

} // namespace

void MainDialogTest::createGeneratesTheSampleProject_data() {
    QTest::addColumn<QString>("below");   // a location typed below the folder chosen, missing
    QTest::addColumn<QString>("folders"); // how many folders the run made
    QTest::newRow("into the folder chosen") << ""
                                            << "2";
    QTest::newRow("into missing folders typed as the location") << "deep/er/still"
                                                                << "5";
}

void MainDialogTest::createGeneratesTheSampleProject() {
    QFETCH(QString, below);
    QFETCH(QString, folders);
    QDir::setCurrent(sampleRoot() + "/data/sample");
    QVERIFY(QFile::exists("vantrel.cfg"));
    const QDir out(below.isEmpty() ? m_folder.path() : m_folder.filePath(below));

    MainDialog dialog;
    dialog.show();
    QCOMPARE(find<QLineEdit>(&dialog, IDC_PROJECT_NAME)->text(), QString("Demo"));
    fillProject(dialog, m_folder.path(), "Sample");
    auto* location = find<QLineEdit>(&dialog, IDC_LOCATION);
    QCOMPARE(location->text(), QDir(m_folder.path()).filePath("Sample"));
    if (!below.isEmpty()) {
        location->selectAll();
        QTest::keyClicks(location, out.path());
    }
    find<QComboBox>(&dialog, IDC_DLL_FLAGS)->setCurrentIndex(1);
    SummaryShown shown;
    readSummary(shown, true);
    clickButton(&dialog, CTL_OK);

    QCOMPARE(ModalHooks::takeMessages(), QStringList());
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.project().dllFlags, PIDLLFL_RESIDENT);
    for (const char* file : {"Sample/Sample.h", "Sample/Sample.cpp", "Sample/CMakeLists.txt",
                             "Sample/Smooth.cpp", "Sample/res/Sample.rc", "Sample/pi.h"})
        QVERIFY2(out.exists(file), file);
    // The folders (the location's missing ones too), seven sources and nine kit files; nothing
    // kept, no errors.
    QCOMPARE(shown.heading, QString("The project was written:"));
    QCOMPARE(shown.counts, (QStringList{folders, "7", "9", "0", "0", "0", "0"}));
    QCOMPARE(shown.folder, out.filePath("Sample"));
    QVERIFY(shown.canOpen);
    QCOMPARE(ModalHooks::takeOpenedFolders(), QStringList{out.filePath("Sample")});
}

void MainDialogTest::secondCreateReviewsTheChangedFiles_data() {
    QTest::addColumn<QString>("choice"); // cancel, keep, tick or all
    QTest::addColumn<bool>("replaced");  // the edited file holds the new project's text
    QTest::newRow("Cancel writes nothing") << "cancel" << false;
    QTest::newRow("Write keeps an unticked file") << "keep" << false;
    QTest::newRow("a ticked file is replaced") << "tick" << true;
    QTest::newRow("Select all replaces every changed file") << "all" << true;
}

void MainDialogTest::secondCreateReviewsTheChangedFiles() {
    QFETCH(QString, choice);
    QFETCH(bool, replaced);
    QDir::setCurrent(sampleRoot() + "/data/sample");
    const QDir out(m_folder.path());
    // Each row starts from nothing: an earlier row's files beside would stand for conflicts.
    QVERIFY(QDir(out.filePath("Sample")).removeRecursively());
    {
        MainDialog first;
        first.show();
        fillProject(first, out.path(), "Sample");
        clickButton(&first, CTL_OK);
    }
    // Without the record of the first run, every changed file is the user's to choose.
    QVERIFY(QDir(out.filePath("Sample/.vantrel")).removeRecursively());
    const QString edited = out.filePath("Sample/Sample.cpp");
    QFile file(edited);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("// mine\n");
    file.close();
    const QDateTime unchanged = QFileInfo(out.filePath("Sample/Sample.h")).lastModified();

    MainDialog again;
    again.show();
    fillProject(again, out.path(), "Sample");
    QStringList rows;
    QString diff;
    bool monospace = false;
    ModalHooks::pushDialogHandler([&](QDialog& review) {
        auto* files = review.findChild<QTreeWidget*>("reviewFiles");
        QTreeWidgetItem* changed = nullptr;
        for (int i = 0; i < files->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = files->topLevelItem(i);
            rows.append(item->text(0) + ": " + item->text(1));
            if (item->data(0, Qt::CheckStateRole).isValid())
                changed = item;
        }
        // The changed file is selected at once, unticked, its diff shown.
        QVERIFY(changed && files->currentItem() == changed);
        QCOMPARE(changed->checkState(0), Qt::Unchecked);
        auto* view = review.findChild<QPlainTextEdit*>("reviewDiff");
        diff = view->toPlainText();
        monospace = view->font().fixedPitch(); // asked for; what is drawn depends on the fonts
        if (choice == "tick")
            changed->setCheckState(0, Qt::Checked);
        else if (choice == "all")
            QTest::mouseClick(review.findChild<QPushButton*>("selectAll"), Qt::LeftButton);
        QTest::mouseClick(review.findChild<QPushButton*>(choice == "cancel" ? "cancel" : "write"),
                          Qt::LeftButton);
    });
    SummaryShown shown;
    readSummary(shown);
    clickButton(&again, CTL_OK);

    QVERIFY2(rows.filter("Sample/Sample.cpp: changed: ").size() == 1, qPrintable(rows.join('\n')));
    QVERIFY(rows.contains("Sample/Sample.h: unchanged (nothing to write)"));
    QVERIFY2(diff.contains("\n-// mine\n"), qPrintable(diff));
    QVERIFY(monospace);
    QCOMPARE(readAll(edited) == "// mine\n", !replaced);
    QCOMPARE(QFileInfo(out.filePath("Sample/Sample.h")).lastModified(), unchanged);
    QCOMPARE(again.isVisible(), choice == "cancel");
    if (choice == "cancel") {
        QVERIFY(shown.heading.isEmpty()); // no run, no summary
        return;
    }
    QCOMPARE(shown.kept, choice == "keep" ? QString("Sample/Sample.cpp") : QString());
    QCOMPARE(shown.counts.value(1), choice == "keep" ? QString("0") : QString("1"));
    QCOMPARE(shown.counts.value(4), choice == "keep" ? QString("1") : QString("0"));
}

// An action renamed and another removed: the review lists the files no longer generated (which
// have no path of this run), and Write leaves them as they are.
void MainDialogTest::regenerationWithActionsRenamedAndRemoved() {
    QDir::setCurrent(sampleRoot() + "/data/sample");
    const QDir out(m_folder.path());
    QVERIFY(QDir(out.filePath("Sample")).removeRecursively());
    {
        MainDialog first;
        first.show();
        fillProject(first, out.path(), "Sample");
        nameNextAction("Sharpen");
        clickButton(&first, IDC_ADD_ACTION);
        SummaryShown shown;
        readSummary(shown);
        clickButton(&first, CTL_OK);
        QVERIFY(out.exists("Sample/Sharpen.cpp"));
    }
    MainDialog again;
    again.show();
    fillProject(again, out.path(), "Sample"); // Smooth, without Sharpen
    auto* list = find<QListWidget>(&again, IDC_ACTION_LIST);
    list->setCurrentRow(0);
    nameNextAction("Blur");
    clickButton(&again, IDC_PROPERTIES);
    QStringList rows;
    QStringList tips;
    ModalHooks::pushDialogHandler([&](QDialog& review) {
        auto* files = review.findChild<QTreeWidget*>("reviewFiles");
        for (int i = 0; i < files->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = files->topLevelItem(i);
            rows.append(item->text(0) + ": " + item->text(1));
            tips.append(item->toolTip(0));
            files->setCurrentItem(item); // each row's diff or sentence
        }
        QTest::mouseClick(review.findChild<QPushButton*>("write"), Qt::LeftButton);
    });
    SummaryShown shown;
    readSummary(shown);
    clickButton(&again, CTL_OK);

    for (const char* gone : {"Sample/Smooth.cpp", "Sample/Sharpen.cpp"}) {
        const QString row = QString(gone) + ": no longer generated: left as it is";
        QVERIFY2(rows.contains(row), qPrintable(rows.join('\n')));
        QCOMPARE(tips.value(rows.indexOf(row)), QString(gone));
        QVERIFY(out.exists(gone));
    }
    QVERIFY(out.exists("Sample/Blur.cpp"));
    QCOMPARE(shown.heading, QString("The project was written:"));
    QCOMPARE(ModalHooks::takeMessages(), QStringList());
}

void MainDialogTest::failedRunKeepsTheDialogOpen() {
    // No configuration here: the Kel script "kelpi.tpl" does not exist.
    MainDialog dialog;
    dialog.show();
    fillProject(dialog, m_folder.path(), "Lost");
    SummaryShown shown;
    readSummary(shown);
    clickButton(&dialog, CTL_OK);
    // The error is in the summary of the run, which went no further than the script.
    QVERIFY(ModalHooks::takeMessages().isEmpty());
    QVERIFY(shown.heading.startsWith("The run stopped on an error."));
    QCOMPARE(shown.messages, QString("Open file error:\nkelpi.tpl"));
    QCOMPARE(shown.counts.value(6), QString("1"));
    QCOMPARE(shown.folder, QDir(m_folder.path()).filePath("Lost"));
    QVERIFY(!shown.canOpen); // nothing was made
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.project().actionCount(), 1);
    QCOMPARE(find<QLineEdit>(&dialog, IDC_PROJECT_NAME)->text(), QString("Lost"));
    QCOMPARE(find<QListWidget>(&dialog, IDC_ACTION_LIST)->count(), 1);
}

// As a desktop menu starts it: in the home folder, which holds no vantrel.cfg, with a user's
// configuration made like the installed sample's (full paths, an empty work folder).
void MainDialogTest::createsInTheHomeFolderFromTheUsersConfiguration() {
    const QString root =
        qEnvironmentVariable("VANTREL_SOURCE_DIR", QStringLiteral(QT_TESTCASE_SOURCEDIR "/../.."));
    const QString sample = QFileInfo(root + "/data/sample").absoluteFilePath();
    QFile bundled(sample + "/vantrel.cfg");
    QVERIFY(bundled.open(QIODevice::ReadOnly));
    QString config = QString::fromUtf8(bundled.readAll());
    config.replace(QRegularExpression(R"(workdirectory = "[^"]*")"), R"(workdirectory = "")");
    config.replace(QRegularExpression(R"("(scripts|templates|kit)\\?)"), "\"" + sample + "/\\1/");
    // Its own user folder: init() points the next test at the empty one again.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_folder.filePath("desktop-user")));
    const QString userFolder = m_folder.filePath("desktop-user/vantrel");
    QVERIFY(QDir().mkpath(userFolder));
    QFile user(userFolder + "/vantrel.cfg");
    QVERIFY(user.open(QIODevice::WriteOnly));
    user.write(config.toUtf8());
    user.close();
    const QDir home(m_folder.filePath("home"));
    QVERIFY(QDir().mkpath(home.path()));
    QDir::setCurrent(home.path());

    MainDialog dialog;
    dialog.show();
    QCOMPARE(dialog.toolTip(), "Configuration: " + user.fileName());
    QString line;
    ModalHooks::pushDialogHandler([&](QDialog& about) {
        line = find<QLabel>(&about, AboutDialog::IDC_CONFIGURATION)->toolTip();
        pressOk(about);
    });
    dialog.logic().about();
    QCOMPARE(line, dialog.toolTip());
    QCOMPARE(find<QLineEdit>(&dialog, IDC_LOCATION)->text(), QString("Demo"));
    clickButton(&dialog, IDC_HOST_KEL);
    ModalHooks::pushDialogHandler([](QDialog& properties) { pressOk(properties); });
    clickButton(&dialog, IDC_ADD_ACTION);
    SummaryShown shown;
    readSummary(shown);
    clickButton(&dialog, CTL_OK);

    QCOMPARE(ModalHooks::takeMessages(), QStringList());
    QVERIFY(!dialog.isVisible());
    for (const char* file :
         {"Demo/Demo.cpp", "Demo/CMakeLists.txt", "Demo/pi.h", "Demo/LICENSE.txt"})
        QVERIFY2(home.exists(file), file);
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
