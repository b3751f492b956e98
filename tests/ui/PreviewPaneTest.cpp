#include "ui/PreviewPane.h"
#include "MainDialogHarness.h"
#include "ui/MainDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDirIterator>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

using namespace vantrel;

// The preview pane as a user meets it: opened and closed, following what is typed, what the
// properties dialog shows and what a template author changes on the disk.
class PreviewPaneTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_folder.leave(); }

    void openingLeavesTheControlsAndIsRemembered();
    void followsTheAnswersAndTheTemplates();
    void followsThePropertiesDialogBeforeOk();
    void reachableByKeyboardAndNamed();

private:
    DialogTestFolder m_folder;
};

namespace {

// Copies the sample installation into folder and makes it the current one.
void enterSampleCopy(const QString& folder) {
    const QString from =
        qEnvironmentVariable("VANTREL_SOURCE_DIR", QStringLiteral(QT_TESTCASE_SOURCEDIR "/../..")) +
        "/data/sample";
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString to = folder + "/" + QDir(from).relativeFilePath(file);
        QDir().mkpath(QFileInfo(to).path());
        QFile::copy(file, to);
    }
    QDir::setCurrent(folder);
}

// The pane's preview once it shows the newest answers.
const Preview* settled(MainDialog& dialog) {
    if (!QTest::qWaitFor([&dialog] { return dialog.previewShown() == dialog.previewAskedFor(); },
                         20000))
        return nullptr;
    return dialog.previewPane()->preview();
}

// The listing's lines, then the run's messages.
QStringList linesOf(const Preview* preview) {
    QStringList lines;
    if (preview) {
        for (const PreviewTarget& target : preview->targets)
            lines << QString::fromStdString(target.line);
        for (const std::string& message : preview->messages)
            lines << QString::fromStdString(message);
    }
    return lines;
}

// The sample's project sent into out/, the pane open.
void openOnSample(MainDialog& dialog, const QString& folder) {
    dialog.openAtStart("demo.json");
    ModalHooks::pushDirectory(folder + "/out");
    clickButton(&dialog, IDC_BROWSE);
    dialog.setPreviewOpen(true);
}

} // namespace

void PreviewPaneTest::init() {
    m_folder.enter();
    QSettings("vantrel", "wizard").remove("previewOpen");
    enterSampleCopy(m_folder.filePath("sample"));
}

void PreviewPaneTest::openingLeavesTheControlsAndIsRemembered() {
    const auto geometries = [](QWidget& dialog) {
        QMap<QString, QRect> places;
        for (QWidget* child : dialog.findChildren<QWidget*>())
            if (child->objectName().startsWith("id"))
                places[child->objectName()] = child->geometry();
        return places;
    };
    {
        MainDialog dialog;
        showActive(dialog);
        const QSize closed = dialog.size();
        const auto places = geometries(dialog);
        QVERIFY(!dialog.previewPane()->isVisible());
        QTest::keyClick(&dialog, Qt::Key_F8);
        QVERIFY(dialog.previewPane()->isVisible());
        QVERIFY(dialog.width() > closed.width());
        QCOMPARE(dialog.height(), closed.height());
        QCOMPARE(geometries(dialog), places);
        QTest::keyClick(&dialog, Qt::Key_F8);
        QCOMPARE(dialog.size(), closed);
        QVERIFY(!dialog.previewOpen());
        dialog.findChild<QPushButton*>("previewToggle")->click();
    }
    // Open when last closed open.
    MainDialog again;
    QVERIFY(again.previewOpen());
}

void PreviewPaneTest::followsTheAnswersAndTheTemplates() {
    MainDialog dialog;
    dialog.show();
    openOnSample(dialog, m_folder.path());
    const Preview* preview = settled(dialog);
    QVERIFY(preview);
    QVERIFY2(linesOf(preview).contains("new " + m_folder.filePath("out/Demo/Line.cpp")),
             qPrintable(linesOf(preview).join('\n')));

    // A keystroke in the name: every path follows it.
    QTest::keyClicks(find<QLineEdit>(&dialog, IDC_PROJECT_NAME), "X");
    preview = settled(dialog);
    QVERIFY(linesOf(preview).contains("new " + m_folder.filePath("out/DemoX/Line.cpp")));

    // Another flag leaves the paths: the selected file and the line at the top stay.
    PreviewPane* pane = dialog.previewPane();
    const std::string main = m_folder.filePath("out/DemoX/DemoX.cpp").toStdString();
    pane->selectPath(main);
    pane->text()->verticalScrollBar()->setValue(12);
    const QString before = pane->text()->toPlainText();
    find<QComboBox>(&dialog, IDC_DLL_FLAGS)->setCurrentIndex(1);
    preview = settled(dialog);
    QCOMPARE(pane->selectedPath(), main);
    QVERIFY(pane->text()->toPlainText() != before);
    QCOMPARE(pane->text()->verticalScrollBar()->value(), 12);
    // The text is the run's, with the lines placeholders made marked.
    const auto& target = *std::find_if(preview->targets.begin(), preview->targets.end(),
                                       [&main](const auto& t) { return t.path == main; });
    QCOMPARE(pane->text()->toPlainText(), QString::fromStdString(*target.after));
    QCOMPARE(pane->text()->markedLines().size(), target.placeholderLines().size());
    QVERIFY(!target.placeholderLines().empty());
    // The text cursor's line names its template line.
    QTextCursor cursor = pane->text()->textCursor();
    cursor.movePosition(QTextCursor::Start);
    pane->text()->setTextCursor(cursor);
    QVERIFY2(pane->originLabel()->text().startsWith("Line 1 from templates/plugin.tpl:"),
             qPrintable(pane->originLabel()->text()));

    // A template author's editor saves a template as editors often do: a new file renamed over
    // the old one.
    QByteArray text = readAll("templates/plugin.tpl");
    text.replace("filesection: header\n", "filesection: header\n// written by hand\n");
    QFile saved("templates/plugin.tpl.new");
    QVERIFY(saved.open(QIODevice::WriteOnly));
    saved.write(text);
    saved.close();
    QVERIFY(std::rename("templates/plugin.tpl.new", "templates/plugin.tpl") == 0);
    const std::string header = m_folder.filePath("out/DemoX/DemoX.h").toStdString();
    QVERIFY(QTest::qWaitFor(
        [&] {
            for (const PreviewTarget& shown : dialog.previewPane()->preview()->targets)
                if (shown.path == header && shown.after)
                    return shown.after->starts_with("// written by hand\n");
            return false;
        },
        20000));
}

void PreviewPaneTest::followsThePropertiesDialogBeforeOk() {
    MainDialog dialog;
    dialog.show();
    openOnSample(dialog, m_folder.path());
    QVERIFY(settled(dialog));
    bool followed = false;
    ModalHooks::pushDialogHandler([&](QDialog& properties) {
        // The new action's file, selected while its name is typed.
        auto* name = find<QLineEdit>(&properties, IDC_ACTION_NAME);
        name->selectAll();
        QTest::keyClicks(name, "Curve");
        const Preview* preview = settled(dialog);
        const std::string curve = m_folder.filePath("out/Demo/Curve.cpp").toStdString();
        followed = preview && dialog.previewPane()->selectedPath() == curve;
        QTest::mouseClick(find<QAbstractButton>(&properties, CTL_CANCEL), Qt::LeftButton);
    });
    clickButton(&dialog, IDC_ADD_ACTION);
    QVERIFY(followed);
    // Cancelled: the file is gone again.
    QVERIFY(!linesOf(settled(dialog)).join('\n').contains("Curve.cpp"));
}

void PreviewPaneTest::reachableByKeyboardAndNamed() {
    MainDialog dialog;
    showActive(dialog);
    clickButton(&dialog, IDC_HOST_KEL);
    auto* toggle = dialog.findChild<QPushButton*>("previewToggle");
    QVERIFY(toggle->toolTip().contains("F8"));
    QVERIFY(tabTo(toggle));
    QTest::keyClick(toggle, Qt::Key_Space);
    QVERIFY(dialog.previewOpen());
    PreviewPane* pane = dialog.previewPane();
    for (QWidget* part :
         {static_cast<QWidget*>(pane->list()), static_cast<QWidget*>(pane->text())}) {
        QVERIFY(!part->accessibleName().isEmpty());
        QVERIFY2(tabTo(part), qPrintable(part->objectName()));
    }
    // Asked for as the system's fixed-pitch font, whatever fonts the machine has.
    QCOMPARE(pane->text()->font().family(),
             QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    QCOMPARE(pane->text()->font().styleHint(), QFont::Monospace);
}

QTEST_MAIN(PreviewPaneTest)
#include "PreviewPaneTest.moc"
