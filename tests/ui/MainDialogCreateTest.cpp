#include "MainDialogHarness.h"
#include "ui/AboutDialog.h"
#include "ui/MainDialog.h"

#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>

using namespace vantrel;

// Create in the main dialog as a user runs it: first runs, reviews of a second one, failures.
class MainDialogCreateTest : public QObject {
    Q_OBJECT
private slots:
    void init() { m_folder.enter(); }
    void cleanup() { m_folder.leave(); }

    void showsWhichConfigurationItRunsOn();
    void createGeneratesTheSampleProject_data();
    void createGeneratesTheSampleProject();
    void secondCreateReviewsTheChangedFiles_data();
    void secondCreateReviewsTheChangedFiles();
    void regenerationWithActionsRenamedAndRemoved();
    void failedRunKeepsTheDialogOpen();
    void createsInTheHomeFolderFromTheUsersConfiguration();

private:
    DialogTestFolder m_folder;
};

void MainDialogCreateTest::showsWhichConfigurationItRunsOn() {
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

void MainDialogCreateTest::createGeneratesTheSampleProject_data() {
    QTest::addColumn<QString>("below");   // a location typed below the folder chosen, missing
    QTest::addColumn<QString>("folders"); // how many folders the run made
    QTest::newRow("into the folder chosen") << ""
                                            << "2";
    QTest::newRow("into missing folders typed as the location") << "deep/er/still"
                                                                << "5";
}

void MainDialogCreateTest::createGeneratesTheSampleProject() {
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

void MainDialogCreateTest::secondCreateReviewsTheChangedFiles_data() {
    QTest::addColumn<QString>("choice"); // cancel, keep, tick or all
    QTest::addColumn<bool>("replaced");  // the edited file holds the new project's text
    QTest::newRow("Cancel writes nothing") << "cancel" << false;
    QTest::newRow("Write keeps an unticked file") << "keep" << false;
    QTest::newRow("a ticked file is replaced") << "tick" << true;
    QTest::newRow("Select all replaces every changed file") << "all" << true;
}

void MainDialogCreateTest::secondCreateReviewsTheChangedFiles() {
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

// An action renamed and another removed: the review lists the files no longer generated, still
// as generated, unticked; Write deletes the one ticked and leaves the other as it is.
void MainDialogCreateTest::regenerationWithActionsRenamedAndRemoved() {
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
        for (int i = 0; i < files->topLevelItemCount(); ++i)
            if (files->topLevelItem(i)->text(0) == "Sample/Sharpen.cpp")
                files->topLevelItem(i)->setCheckState(0, Qt::Checked);
        QTest::mouseClick(review.findChild<QPushButton*>("write"), Qt::LeftButton);
    });
    SummaryShown shown;
    readSummary(shown);
    clickButton(&again, CTL_OK);

    for (const char* gone : {"Sample/Smooth.cpp", "Sample/Sharpen.cpp"}) {
        const QString row = QString(gone) + ": no longer generated: left as it is";
        QVERIFY2(rows.contains(row), qPrintable(rows.join('\n')));
        QVERIFY(tips.value(rows.indexOf(row)).endsWith(gone));
    }
    QVERIFY(out.exists("Sample/Smooth.cpp"));
    QVERIFY(!out.exists("Sample/Sharpen.cpp"));
    QVERIFY(out.exists("Sample/Blur.cpp"));
    QCOMPARE(shown.heading, QString("The project was written:"));
    QCOMPARE(ModalHooks::takeMessages(), QStringList());
}

void MainDialogCreateTest::failedRunKeepsTheDialogOpen() {
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
void MainDialogCreateTest::createsInTheHomeFolderFromTheUsersConfiguration() {
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

QTEST_MAIN(MainDialogCreateTest)
#include "MainDialogCreateTest.moc"
