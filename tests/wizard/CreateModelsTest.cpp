#include "config/Configuration.h"
#include "diff/TextDiff.h"
#include "wizard/CreateRuns.h"
#include "wizard/ReviewModel.h"
#include "wizard/SummaryModel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>
#include <sstream>

using namespace vantrel;

namespace {

using State = ReviewModel::State;

void writeFile(const QString& path, const std::string& bytes) {
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;
}

std::string readFile(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void record(MemoryOutput& memory, const QString& path, const std::string& bytes) {
    if (memory.openFile(path.toStdString()) == ProjectOutput::FileOpen::Failed)
        return;
    memory.pending() += bytes;
    memory.closeFile();
}

ReviewModel::Entry entry(const std::string& key, State state) {
    ReviewModel::Entry e;
    e.key = key;
    e.paths = {"/out/" + key};
    e.state = state;
    return e;
}

} // namespace

// The review and the summary of Create without widgets, and the two runs behind them.
class CreateModelsTest : public QObject {
    Q_OBJECT
private slots:
    void previewListsEachTargetOnce();
    void ticksDecideWhatIsKept_data();
    void ticksDecideWhatIsKept();
    void diffShowsYoursAgainstTheNewFile();
    void summaryCountsTheRun();
    void runsOverTheSampleKeepWhatTheUserKept();
};

void CreateModelsTest::previewListsEachTargetOnce() {
    QTemporaryDir dir;
    const QDir out(dir.path());
    QVERIFY(out.mkpath("demo/blocked.cpp"));
    writeFile(out.filePath("demo/same.h"), "same\n");
    writeFile(out.filePath("demo/edited.cpp"), "mine\n");

    MemoryOutput memory;
    memory.setLocation(dir.path().toStdString());
    std::vector<std::string> made;
    std::string refused;
    memory.createFolder(out.filePath("demo").toStdString(), made, refused);
    record(memory, out.filePath("demo/new.cpp"), "new\n");
    record(memory, out.filePath("demo/same.h"), "same\n");
    record(memory, out.filePath("demo/edited.cpp"), "theirs\n");
    record(memory, out.filePath("demo/blocked.cpp"), "lost\n");
    // Written again under another spelling: one row, both spellings kept, the last bytes shown.
    record(memory, dir.path() + "/demo/./edited.cpp", "theirs at last\n");

    const std::vector<ReviewModel::Entry> entries = ReviewModel::entriesOf(memory);
    std::vector<std::string> keys;
    std::vector<State> states;
    for (const ReviewModel::Entry& e : entries) {
        keys.push_back(e.key);
        states.push_back(e.state);
    }
    QCOMPARE(keys, (std::vector<std::string>{"demo", "demo/new.cpp", "demo/same.h",
                                             "demo/edited.cpp", "demo/blocked.cpp"}));
    QCOMPARE(states, (std::vector<State>{State::Same, State::New, State::Same, State::Changed,
                                         State::Blocked}));
    QVERIFY(entries[0].folder);
    const ReviewModel::Entry& edited = entries[3];
    QCOMPARE(edited.paths.size(), std::size_t(2));
    QCOMPARE(edited.oldBytes, std::string("mine\n"));
    QCOMPARE(edited.newBytes, std::string("theirs at last\n"));

    ReviewModel review(entries);
    QVERIFY(review.hasChanges());
    QCOMPARE(review.keptPaths(), edited.paths); // unticked by default: yours stays
    QCOMPARE(review.stateText(2), std::string("unchanged (nothing to write)"));
    QCOMPARE(review.stateText(4), std::string("blocked: a folder stands in the file's place"));
}

void CreateModelsTest::ticksDecideWhatIsKept_data() {
    QTest::addColumn<QStringList>("steps"); // "tick N", "untick N", "all", "none"
    QTest::addColumn<QStringList>("kept");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("firstRow"); // what the first changed row says
    const QString keepAll = "Write keeps all 3 changed files as they are and writes only what is "
                            "new.";
    const QString yours = "changed: yours is kept";
    const QString replaced = "changed: replaced by the new one";
    QTest::newRow("nothing ticked keeps every changed file")
        << QStringList() << QStringList{"a.cpp", "c.cpp", "d.cpp"} << keepAll << yours;
    QTest::newRow("one ticked") << QStringList{"tick 0"} << QStringList{"c.cpp", "d.cpp"}
                                << "Write replaces 1 of the 3 changed files and keeps the other "
                                   "2 as they are."
                                << replaced;
    QTest::newRow("two ticked") << QStringList{"tick 0", "tick 2"} << QStringList{"d.cpp"}
                                << "Write replaces 2 of the 3 changed files and keeps the other "
                                   "one as it is."
                                << replaced;
    QTest::newRow("an unchanged file takes no tick")
        << QStringList{"tick 1"} << QStringList{"a.cpp", "c.cpp", "d.cpp"} << keepAll << yours;
    QTest::newRow("select all") << QStringList{"all"} << QStringList()
                                << "Write replaces all 3 changed files." << replaced;
    QTest::newRow("select none after all")
        << QStringList{"all", "none"} << QStringList{"a.cpp", "c.cpp", "d.cpp"} << keepAll << yours;
    QTest::newRow("untick after all") << QStringList{"all", "untick 3"} << QStringList{"d.cpp"}
                                      << "Write replaces 2 of the 3 changed files and keeps the "
                                         "other one as it is."
                                      << replaced;
}

void CreateModelsTest::ticksDecideWhatIsKept() {
    QFETCH(QStringList, steps);
    QFETCH(QStringList, kept);
    QFETCH(QString, choice);
    QFETCH(QString, firstRow);
    ReviewModel review({entry("a.cpp", State::Changed), entry("b.h", State::Same),
                        entry("c.cpp", State::Changed), entry("d.cpp", State::Changed)});
    for (const QString& step : steps) {
        const QStringList words = step.split(' ');
        if (words[0] == "all")
            review.selectAll();
        else if (words[0] == "none")
            review.selectNone();
        else
            review.setChecked(words[1].toUInt(), words[0] == "tick");
    }
    std::vector<std::string> keys;
    std::vector<std::string> paths;
    for (const QString& key : kept) {
        keys.push_back(key.toStdString());
        paths.push_back("/out/" + key.toStdString());
    }
    QCOMPARE(review.keptKeys(), keys);
    QCOMPARE(review.keptPaths(), paths);
    QCOMPARE(QString::fromStdString(review.choiceText()), choice);
    QCOMPARE(QString::fromStdString(review.stateText(0)), firstRow);
    QVERIFY(!review.isChecked(1));
}

void CreateModelsTest::diffShowsYoursAgainstTheNewFile() {
    ReviewModel::Entry changed = entry("demo/a.cpp", State::Changed);
    changed.oldBytes = "one\ntwo\nthree\n";
    changed.newBytes = "one\nTWO\nthree\n";
    ReviewModel review({changed, entry("demo/b.h", State::Same), entry("demo/c.h", State::New)});
    QCOMPARE(review.diffText(1),
             std::string("Your file holds these very bytes already: nothing is written."));
    QCOMPARE(review.diffText(2), std::string("A new file: nothing of yours is replaced."));
    if (!unifiedDiff("a", "b", "x", "x"))
        QSKIP("the library that compares texts is not installed");
    // The hunks alone: the row names the file.
    QCOMPARE(review.diffText(0), std::string("@@ -1,3 +1,3 @@\n one\n-two\n+TWO\n three\n"));

    // A single changed file is spoken of as one.
    QCOMPARE(review.choiceText(),
             std::string("Write keeps the changed file as it is and writes only what is new."));
    review.selectAll();
    QCOMPARE(review.choiceText(), std::string("Write replaces the changed file."));
}

void CreateModelsTest::summaryCountsTheRun() {
    QTemporaryDir dir;
    RunOutcome outcome;
    outcome.ended = true;
    outcome.counts = {1, 2, 3, 4, 5};
    outcome.messages = {{ErrorKind::ERR_ASSERT, "ASSERT:\nObject must be defined:\nx"}};
    const SummaryModel fine(outcome, {"demo/a.cpp"}, dir.path().toStdString());
    std::vector<std::size_t> counts;
    for (const SummaryModel::Row& row : fine.rows())
        counts.push_back(row.count);
    // A failed assertion is reported but counts as no error; of the five kept, one was unticked
    // in the review.
    QCOMPARE(counts, (std::vector<std::size_t>{1, 2, 3, 4, 1, 4, 0}));
    QCOMPARE(fine.heading(), std::string("The project was written:"));
    QCOMPARE(fine.messages().size(), std::size_t(1));
    QVERIFY(fine.folderExists());

    outcome.ended = false;
    outcome.messages.push_back(
        {ErrorKind::ERR_OPEN_FILE, "Open file error:\nx/y", "x is a file, not a folder"});
    const SummaryModel failed(outcome, {}, dir.filePath("gone").toStdString());
    QCOMPARE(failed.rows().back().count, std::size_t(1));
    QCOMPARE(failed.messages().back(),
             std::string("Open file error:\nx/y\n(x is a file, not a folder)"));
    QVERIFY(!failed.succeeded());
    QVERIFY(failed.heading().starts_with("The run stopped on an error."));
    QVERIFY(!failed.folderExists()); // nothing to open
}

void CreateModelsTest::runsOverTheSampleKeepWhatTheUserKept() {
    const QString root =
        qEnvironmentVariable("VANTREL_SOURCE_DIR", QStringLiteral(QT_TESTCASE_SOURCEDIR "/../.."));
    const QString oldCurrent = QDir::currentPath();
    QDir::setCurrent(root + "/data/sample");
    QTemporaryDir dir;
    const QDir out(dir.path());
    ProjectState project;
    SilentSink sink;
    readConfiguration(project, sink);
    project.setDefaultDllFlags();
    project.kelHost = 1;
    project.nameText = "Sample";
    project.locationBase = dir.path().toStdString();
    ActionDefinition action;
    action.setActionDefaults("Smooth");
    project.appendAction(action);

    const ConfigurationBytes configuration{"vantrel.cfg", readFile("vantrel.cfg")};
    const RunOutcome first = diskRun(project, -1, {}, configuration);
    QVERIFY(first.ended);
    QVERIFY(first.messages.empty());
    QVERIFY(first.counts.foldersCreated > 0 && first.counts.filesWritten > 0 &&
            first.counts.filesCopied > 0);
    QVERIFY(QFileInfo(out.filePath("Sample/.vantrel/manifest.txt")).isFile());

    // Edited since: kept without a question, as its generated text did not change. Deleted:
    // offered again, unticked. The disk stays as it was until Write.
    const QString edited = out.filePath("Sample/Sample.cpp");
    writeFile(edited, "mine\n");
    QVERIFY(QFile::remove(out.filePath("Sample/Sample.h")));
    ReviewModel review(previewRun(project, -1));
    QCOMPARE(review.keptKeys(), std::vector<std::string>{"Sample/Sample.h"});
    for (std::size_t row = 0; row < review.size(); ++row) {
        const ReviewModel::Entry& entry = review.entries()[row];
        if (entry.key == "Sample/Sample.cpp") {
            QVERIFY(entry.regenerated == TargetState::Kept && !review.isCheckable(row));
        } else if (entry.key == "Sample/Sample.h") {
            QVERIFY(review.isCheckable(row) && !review.isChecked(row));
            QCOMPARE(review.stateText(row), std::string("deleted by you: stays deleted"));
        } else {
            QCOMPARE(entry.state == State::Changed, review.isCheckable(row));
        }
    }
    QCOMPARE(readFile(edited), std::string("mine\n"));

    const RunOutcome keeping =
        diskRun(project, -1, {review.keptPaths(), review.choices()}, configuration);
    QDir::setCurrent(oldCurrent);
    QVERIFY(keeping.ended);
    QCOMPARE(readFile(edited), std::string("mine\n"));
    QVERIFY(!QFileInfo::exists(out.filePath("Sample/Sample.h")));
    QCOMPARE(keeping.counts.kept, std::size_t(2));
    const SummaryModel summary(keeping, review.keptKeys(), out.path().toStdString());
    QCOMPARE(summary.rows()[4].count, std::size_t(1)); // Sample.h, left deleted by the user
    QCOMPARE(summary.rows()[5].count, std::size_t(1)); // Sample.cpp, kept by the run
    QCOMPARE(keeping.counts.filesWritten, std::size_t(0));
    QCOMPARE(keeping.notes, std::vector<std::string>{"Sample/Sample.cpp was edited by you and "
                                                     "its generated text did not change: it "
                                                     "was kept."});

    // Without its script the run stops; the message goes to the summary.
    project.keltemplate = "gone.vts";
    const RunOutcome failed = diskRun(project, -1, {}, {});
    QVERIFY(!failed.ended);
    QCOMPARE(failed.messages.size(), std::size_t(1));
    QCOMPARE(QString::fromStdString(failed.messages[0].text),
             QString("Open file error:\ngone.vts"));
}

QTEST_GUILESS_MAIN(CreateModelsTest)
#include "CreateModelsTest.moc"
