// The wizard's saved project is what vantrel-gen reads: Create in the wizard and vantrel-gen on
// the file the wizard saved write the same tree, byte for byte.
#include "model/FlagNames.h"
#include "project/ProjectWriter.h"
#include "support/GeneratorProcess.h"
#include "ui/ControlMirror.h"
#include "ui/MainDialog.h"
#include "ui/ModalHooks.h"
#include "wizard/ControlIds.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <filesystem>
#include <map>

using namespace vantrel;

namespace {

namespace fs = std::filesystem;

// The bench's workload (bench/workload.py): flags that differ between neighbours, types
// without a name, a toolbar picture left empty now and then.
ProjectState workload(int count) {
    ProjectState project;
    project.kelHost = 1;
    project.nameText = "Workload";
    project.locationBase = "tree";
    project.dllFlags = PIDLLFL_AUTO;
    const std::uint32_t panels[] = {0, ACF_PANEL_DIALOG, ACF_PANEL_MODDIALOG, ACF_PANEL_WINDOW};
    const struct {
        std::uint32_t bit;
        int period;
    } varied[] = {{ACF_PROC_EXECUTE, 2},  {ACF_PROC_CLOSE, 3},   {ACF_PROC_FIRSTTIME, 5},
                  {ACF_MENU, 2},          {ACF_TOOLBAR, 3},      {ACF_TOOLTIPS, 7},
                  {ACF_CREATE_THREAD, 3}, {ACF_TOPMOST, 2},      {ACF_CB_STATUS, 2},
                  {ACF_CB_KEYBRD, 3},     {ACF_CB_MS_LBDOWN, 5}, {ACF_CB_MS_MOVE, 7}};
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "WorkloadAction%05d", i);
        ActionDefinition action;
        action.setActionDefaults(name);
        action.type = static_cast<std::uint32_t>(1 + i % 5);
        action.flags = panels[i % 4];
        for (const auto& each : varied) {
            if ((i / each.period + i) % 2 == 0)
                action.flags |= each.bit;
        }
        action.indivInterface = i % 3 == 0;
        action.staticMemBuf = i % 4 == 1;
        const std::string n = std::to_string(i);
        action.menu = "Workload Actions\\Group " + std::to_string(i / 10) +
                      " of the workload\\Workload action number " + n;
        action.tbName = "Workload tool button " + n;
        action.tooltips = "Runs workload action number " + n + " of the generated plug-in";
        project.actions.push_back(action);
    }
    return project;
}

// Every file below the folder by its relative path, with its bytes.
QString sampleFolder() {
    return qEnvironmentVariable("VANTREL_SOURCE_DIR",
                                QStringLiteral(QT_TESTCASE_SOURCEDIR "/../..")) +
           "/data/sample";
}

} // namespace

class ProjectRoundTripTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void wizardCreateAndGeneratorAgree_data();
    void wizardCreateAndGeneratorAgree();

private:
    QTemporaryDir m_folder;
    QString m_oldCurrent;
};

void ProjectRoundTripTest::init() {
    ModalHooks::setScripted(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       m_folder.filePath("settings"));
    m_oldCurrent = QDir::currentPath();
    // Both read the sample's configuration, found in the working folder.
    QDir::setCurrent(sampleFolder());
}

void ProjectRoundTripTest::cleanup() {
    QDir::setCurrent(m_oldCurrent);
    ModalHooks::setScripted(false);
}

void ProjectRoundTripTest::wizardCreateAndGeneratorAgree_data() {
    QTest::addColumn<int>("actions"); // 0: the bundled sample project
    QTest::newRow("the sample") << 0;
    QTest::newRow("the bench workload of 1000 actions") << 1000;
}

void ProjectRoundTripTest::wizardCreateAndGeneratorAgree() {
    QFETCH(int, actions);
    const QTemporaryDir work;
    const fs::path root = work.path().toStdString();
    std::string opened = (sampleFolder() + "/demo.json").toStdString();
    if (actions > 0) {
        opened = (root / "workload.json").string();
        writeAt(opened, projectFileText(workload(actions), WithLocation::Yes));
    }

    MainDialog dialog;
    dialog.show();
    dialog.openAtStart(QString::fromStdString(opened));
    QCOMPARE(ModalHooks::takeMessages(), QStringList());
    // The user picks the folder, saves, and creates.
    dialog.findChild<QLineEdit*>(controlName(IDC_LOCATION))
        ->setText(QString::fromStdString((root / "out").string()));
    const fs::path saved = root / "saved.json";
    ModalHooks::pushFile(QString::fromStdString(saved.string()));
    dialog.findChild<QAction*>("saveProjectAs")->trigger();
    QVERIFY(fs::exists(saved));
    QVERIFY(!dialog.logic().changed());
    QTest::mouseClick(dialog.findChild<QPushButton*>(controlName(CTL_OK)), Qt::LeftButton);
    QCOMPARE(ModalHooks::takeMessages(), QStringList());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    fs::rename(root / "out", root / "wizard");

    const ProcessResult run = runGeneratorIn(sampleFolder().toStdString(), {saved.string()});
    QVERIFY2(run.status == 0, run.err.c_str());
    const auto wizardTree = treeBelow(root / "wizard");
    const auto generatedTree = treeBelow(root / "out");
    QVERIFY(wizardTree.size() > static_cast<std::size_t>(actions));
    QCOMPARE(wizardTree.size(), generatedTree.size());
    for (const auto& [path, bytes] : wizardTree) {
        const auto other = generatedTree.find(path);
        QVERIFY2(other != generatedTree.end(), path.c_str());
        QVERIFY2(other->second == bytes,
                 (path + ":\n" + bytes + "\nand\n" + other->second).c_str());
    }
}

QTEST_MAIN(ProjectRoundTripTest)
#include "ProjectRoundTripTest.moc"
