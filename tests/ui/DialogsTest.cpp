#include "model/NameChecks.h"
#include "support/WidgetFinder.h"
#include "ui/AboutDialog.h"
#include "ui/ActionPropertiesDialog.h"
#include "ui/MainDialog.h"
#include "ui/ModalHooks.h"
#include "ui/ReviewDialog.h"
#include "ui/TabPageHost.h"
#include "wizard/ControlIds.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTest>
#include <QTreeWidget>

#include <memory>
#include <random>
#include <vector>

using namespace vantrel;

namespace {

void showActive(QWidget& dialog) {
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
}

// The id of the control that has the focus, or of the control its focused field belongs to.
int focusedId() {
    QWidget* w = QApplication::focusWidget();
    while (w && !w->objectName().startsWith("id"))
        w = w->parentWidget();
    return w ? w->objectName().mid(2).toInt() : 0;
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
    void propertiesRefusedOkLosesNothing_data();
    void propertiesRefusedOkLosesNothing();
    void propertiesNameWarnings_data();
    void propertiesNameWarnings();
    void propertiesKeyboard_data();
    void propertiesKeyboard();
    void captionsInView_data();
    void captionsInView();
    void aboutShowsTheVersionEachTime();
    void reviewShowsEveryKindOfRow();
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

    QWidget* definition = dialog.findChild<QWidget*>("page130"); // default names follow it
    QCOMPARE(find<QLineEdit>(definition, IDC_MENU_EDIT)->text(), QString("Tools\\Foo"));
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

void DialogsTest::propertiesRefusedOkLosesNothing_data() {
    QTest::addColumn<int>("field"); // emptied for the name, "X" added for the type
    QTest::addColumn<QString>("message");
    QTest::newRow("no action name")
        << IDC_ACTION_NAME << "Action name missing:\nEvery action needs a name.";
    QTest::newRow("a type of nothing") << IDC_TYPE_COMBO
                                       << "Unknown type: \"PIPD_COMMONTOOLX\"\nAccepted names: "
                                          "PIPD_COMMONTOOL, PIPD_LOADPROC, PIPD_SAVEPROC";
}

void DialogsTest::propertiesRefusedOkLosesNothing() {
    QFETCH(int, field);
    QFETCH(QString, message);
    ActionDefinition action;
    action.setActionDefaults("Action01");
    ActionPropertiesDialog dialog(action);
    showActive(dialog);
    dialog.pageHost()->tabBar()->setCurrentIndex(2);
    find<QCheckBox>(dialog.findChild<QWidget*>("page132"), IDC_CB_MS_MOVE_CHECK)->click();
    auto* edit = field == IDC_ACTION_NAME ? find<QLineEdit>(&dialog, field)
                                          : find<QComboBox>(&dialog, field)->lineEdit();
    edit->setText(field == IDC_ACTION_NAME ? QString() : edit->text() + "X");
    if (field == IDC_TYPE_COMBO) // marked as typed
        QCOMPARE(edit->findChild<QAction*>("problemMark")->toolTip(), message);
    dialog.accept();
    // Said why, open, on the field to mend; OK then stores everything entered before.
    QCOMPARE(ModalHooks::takeMessages(), QStringList{message});
    QVERIFY(dialog.isVisible() && focusedId() == field);
    edit->setText(field == IDC_ACTION_NAME ? "Named" : "PIPD_LOADPROC");
    dialog.accept();
    QCOMPARE(dialog.result(), CTL_OK);
    QVERIFY(action.flags & ACF_CB_MS_MOVE);
}

void DialogsTest::propertiesNameWarnings_data() {
    QTest::addColumn<QStringList>("others"); // the project's other actions
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("listed"); // warnings the label lists; the rest are counted
    QTest::newRow("a clean name shows none") << QStringList{"Line"} << "Arc" << 0;
    // The procedures the pages show follow the typed name, so they collide as well.
    QTest::newRow("a case twin and its procedures") << QStringList{"Line"} << "line" << 3;
    QTest::newRow("more than the box holds are counted")
        << QStringList{"Line", "LINE", "lIne", "liNe", "linE",
                       "LIne", "LiNe", "LinE", "lINe", "lInE"}
        << "line" << -1;
}

void DialogsTest::propertiesNameWarnings() {
    QFETCH(QStringList, others);
    QFETCH(QString, typed);
    QFETCH(int, listed);
    ProjectState project;
    for (const QString& other : others) {
        ActionDefinition action;
        action.setActionDefaults(other.toStdString());
        project.actions.push_back(action);
    }
    ActionDefinition action;
    action.setActionDefaults("Action02");
    const std::size_t index = project.actions.size();
    ActionPropertiesDialog dialog(action, nullptr, [&](const ActionDefinition& shown) {
        return actionNameWarnings(project, shown, index);
    });
    dialog.show();
    auto* name = find<QLineEdit>(&dialog, IDC_ACTION_NAME);
    auto* label = find<QLabel>(&dialog, IDC_NAME_WARNINGS);
    QVERIFY(!label->isVisible());
    name->selectAll();
    QTest::keyClicks(name, typed);

    const QStringList all = name->property("nameWarnings").toString().split('\n');
    const qsizetype bullets = label->text().count(QString::fromUtf8("\u2022"));
    QCOMPARE(label->isVisible(), listed != 0);
    QCOMPARE(name->toolTip().isEmpty(), listed == 0);
    if (listed > 0) {
        QCOMPARE(bullets, listed);
        QCOMPARE(all.size(), listed);
    } else if (listed < 0) {
        // Whole warnings as far as the box goes, then how many more the tooltip holds.
        QVERIFY(bullets > 0 && bullets < all.size());
        QVERIFY2(label->text().endsWith(
                     QString("%1 more (point at the field to see all)").arg(all.size() - bullets)),
                 qPrintable(label->text()));
    }
    QVERIFY(label->heightForWidth(label->width()) <= label->height());
    QVERIFY(dialog.rect().contains(label->geometry()));
    QCOMPARE(action.name, typed.toStdString()); // warned, never refused
}

void DialogsTest::propertiesKeyboard_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("page"); // shown after the key, from the first page
    QTest::newRow("Ctrl+Tab") << int(Qt::Key_Tab) << int(Qt::ControlModifier) << 1;
    QTest::newRow("Ctrl+PgDown") << int(Qt::Key_PageDown) << int(Qt::ControlModifier) << 1;
    QTest::newRow("Ctrl+Shift+Tab, round")
        << int(Qt::Key_Backtab) << int(Qt::ControlModifier | Qt::ShiftModifier) << 2;
    QTest::newRow("Ctrl+PgUp, round") << int(Qt::Key_PageUp) << int(Qt::ControlModifier) << 2;
    QTest::newRow("Tab in reading order") << int(Qt::Key_Tab) << 0 << 0;
}

void DialogsTest::propertiesKeyboard() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, page);
    ActionDefinition action;
    action.setActionDefaults("Action01");
    action.flags |= ACF_PROC_CLOSE | ACF_TOOLBAR;
    ActionPropertiesDialog dialog(action);
    showActive(dialog);
    find<QWidget>(&dialog, IDC_TYPE_COMBO)->setFocus();
    if (modifiers == 0) {
        // Down the left column, then the right one; each box before its edit; OK, Cancel.
        const QList<int> order = {IDC_INDIV_INTERFACE, IDC_STATIC_MEMBUF, IDC_EXECUTE_CHECK,
                                  IDC_EXECUTE_EDIT,    IDC_CLOSE_CHECK,   IDC_CLOSE_EDIT,
                                  IDC_FIRSTTIME_CHECK, IDC_MENU_CHECK,    IDC_MENU_EDIT,
                                  IDC_TBNAME_EDIT,     IDC_TBBUTTON_EDIT, CTL_OK,
                                  CTL_CANCEL,          IDC_ACTION_NAME,   IDC_TYPE_COMBO};
        QList<int> visited;
        for (qsizetype i = 0; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << focusedId();
        }
        QCOMPARE(visited, order);
        return;
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(dialog.pageHost()->tabBar()->currentIndex(), page);
    // The focus goes on from the old page to the new one.
    QVERIFY(dialog.pageHost()->currentPage()->isAncestorOf(QApplication::focusWidget()));
}

void DialogsTest::captionsInView_data() {
    QTest::addColumn<int>("page"); // -1: the main dialog; else the properties dialog's page
    QTest::newRow("main dialog") << -1;
    QTest::newRow("Definition") << 0;
    QTest::newRow("Panel") << 1;
    QTest::newRow("Messages") << 2;
}

void DialogsTest::captionsInView() {
    QFETCH(int, page);
    ActionDefinition action;
    action.setActionDefaults("AVeryLongActionNameIndeed");
    ActionPropertiesDialog properties(action);
    properties.pageHost()->tabBar()->setCurrentIndex(std::max(page, 0));
    MainDialog main;
    QDialog& dialog = page < 0 ? static_cast<QDialog&>(main) : properties;
    dialog.show();

    // Every caption in view but OK, Cancel and "..." has a mnemonic of its own; a label's leads
    // to its field. No caption's line meets a field.
    QStringList captions;
    for (int i = 0; page >= 0 && i < 3; ++i)
        captions << properties.pageHost()->tabBar()->tabText(i);
    const QList<QWidget*> controls = dialog.findChildren<QWidget*>();
    for (QWidget* caption : controls) {
        const auto* label = qobject_cast<QLabel*>(caption);
        if (!caption->isVisible() || !(label || qobject_cast<QAbstractButton*>(caption)))
            continue;
        const QString text = caption->property("text").toString();
        if (text != "OK" && text != "Cancel" && text != "...")
            captions << text;
        QVERIFY2(!label || label->buddy(), qPrintable(text));
        const int line = caption->fontMetrics().height();
        const QRect drawn(caption->x(), caption->y() + (caption->height() - line) / 2,
                          caption->width(), line);
        for (QWidget* field : controls) {
            if (field->parent() == caption->parent() && field->isVisible() &&
                (qobject_cast<QLineEdit*>(field) || qobject_cast<QComboBox*>(field)))
                QVERIFY2(!drawn.intersects(field->geometry()), qPrintable(text));
        }
    }
    QSet<QString> keys;
    for (const QString& caption : captions)
        keys << QKeySequence::mnemonic(caption).toString();
    QCOMPARE(keys.size(), captions.size());
    QVERIFY(!keys.contains(QString()));

    // A name wider than its field shows whole as the field's tooltip.
    auto* status = find<QLineEdit>(&properties, IDC_CB_STATUS_EDIT);
    QCOMPARE(status->toolTip(), status->text());
}

void DialogsTest::aboutShowsTheVersionEachTime() {
    for (int i = 0; i < 2; ++i) {
        AboutDialog about;
        QCOMPARE(about.windowTitle(), QString("About Vantrel"));
        QCOMPARE(find<QLabel>(&about, AboutDialog::IDC_VERSION)->text(),
                 QString("Vantrel Version 1.4"));
    }
}

// Every kind of row a run gives, in one review: each can be selected, shows a diff or says why
// there is none, and only the changed ones take a tick. A file no longer generated has no path.
void DialogsTest::reviewShowsEveryKindOfRow() {
    using State = ReviewModel::State;
    const auto row = [](const char* key, State state, std::optional<TargetState> regenerated) {
        ReviewModel::Entry entry;
        entry.key = key;
        entry.paths = {std::string("/out/") + key};
        entry.state = state;
        entry.regenerated = regenerated;
        entry.oldBytes = "yours\n";
        entry.newBytes = "new\n";
        return entry;
    };
    std::vector<ReviewModel::Entry> entries = {
        row("D/new.cpp", State::New, std::nullopt),
        row("D/same.cpp", State::Same, std::nullopt),
        row("D/replaced.cpp", State::Changed, TargetState::Replaced),
        row("D/merged.cpp", State::Changed, TargetState::Merged),
        row("D/kept.cpp", State::Same, TargetState::Kept),
        row("D/conflict.cpp", State::Changed, TargetState::Conflict),
        row("D/deleted.cpp", State::New, TargetState::DeletedByYou),
        row("D/gone.cpp", State::Same, std::nullopt),
        row("D/blocked.cpp", State::Blocked, std::nullopt),
        row("D/refused.cpp", State::Blocked, TargetState::Refused),
        row("D/yours.cpp", State::Same, TargetState::Yours),
    };
    entries[7].paths.clear();
    entries[7].noLongerGenerated = true;
    entries[5].markable = true;
    // Whatever rows a run gives, in whatever order: each can be selected and ticked where it
    // may be, shows a diff or a sentence, and names its file.
    const auto everyRowShows = [](ReviewModel& model, ReviewDialog& review) {
        auto* files = review.findChild<QTreeWidget*>("reviewFiles");
        auto* caption = review.findChild<QLabel*>("reviewDiffCaption");
        auto* diff = review.findChild<QPlainTextEdit*>("reviewDiff");
        QStringList checkable;
        for (int i = 0; i < files->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = files->topLevelItem(i);
            files->setCurrentItem(item);
            if (diff->toPlainText().isEmpty() || item->toolTip(0).isEmpty() ||
                caption->text().contains("(-)") != model.hasDiff(std::size_t(i)))
                checkable.append("wrong: " + item->text(0));
            if (item->data(0, Qt::CheckStateRole).isValid()) {
                checkable.append(item->text(0));
                item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked
                                                                          : Qt::Checked);
            }
        }
        return checkable;
    };
    std::mt19937 random(20261209);
    for (int sequence = 0; sequence < 30; ++sequence) {
        std::vector<ReviewModel::Entry> drawn(random() % 60);
        for (ReviewModel::Entry& entry : drawn)
            entry = entries[random() % entries.size()];
        ReviewModel model(drawn);
        ReviewDialog review(model);
        for (const QString& row : everyRowShows(model, review))
            QVERIFY2(!row.startsWith("wrong: "), qPrintable(row));
    }
    ReviewModel model(entries);
    ReviewDialog review(model);
    review.show();
    auto* files = review.findChild<QTreeWidget*>("reviewFiles");
    QCOMPARE(files->topLevelItemCount(), int(entries.size()));
    const QStringList checkable = everyRowShows(model, review);
    QCOMPARE(checkable,
             (QStringList{"D/replaced.cpp", "D/merged.cpp", "D/conflict.cpp", "D/deleted.cpp"}));
    QCOMPARE(files->topLevelItem(7)->toolTip(0), QString("D/gone.cpp"));
    QVERIFY(files->topLevelItem(5)->text(1).endsWith("beside it as conflict.cpp.vantrel-new") ==
            !model.isChecked(5));
    QCOMPARE(files->topLevelItem(9)->text(1), QString("refused: it cannot be written here"));
    QTest::mouseClick(review.findChild<QPushButton*>("selectNone"), Qt::LeftButton);
    QVERIFY(files->topLevelItem(5)->text(1).endsWith("beside it as conflict.cpp.vantrel-new"));

    // The conflict row alone offers where its new text goes, while it is unticked.
    QCOMPARE(review.findChildren<QComboBox*>().size(), qsizetype(1));
    auto* styles = review.findChild<QComboBox*>("conflictStyle5");
    QVERIFY(styles && styles->isEnabled());
    styles->setCurrentIndex(1);
    QVERIFY(files->topLevelItem(5)->text(1).endsWith("into it between conflict markers"));
    QCOMPARE(model.conflictStyles().at("D/conflict.cpp"), ConflictStyle::Markers);
    files->topLevelItem(5)->setCheckState(0, Qt::Checked);
    QVERIFY(!styles->isEnabled() && model.conflictStyles().empty());
    files->topLevelItem(5)->setCheckState(0, Qt::Unchecked);
    // "Never regenerate" acts on the selected row where the model offers it: the row's tick
    // goes while it holds, and comes back with it.
    auto* never = review.findChild<QAction*>("neverRegenerate");
    files->setCurrentItem(files->topLevelItem(1));
    QVERIFY(!never->isEnabled());
    files->setCurrentItem(files->topLevelItem(2));
    QVERIFY(never->isEnabled() && !never->isChecked());
    never->trigger();
    QVERIFY(model.neverRegenerates(2));
    QVERIFY(!files->topLevelItem(2)->data(0, Qt::CheckStateRole).isValid());
    QCOMPARE(files->topLevelItem(2)->text(1),
             QString("never regenerate: kept as it is, yours from now on"));
    QCOMPARE(files->topLevelItem(10)->text(1), QString("kept (yours): never regenerated"));
    never->trigger();
    QVERIFY(!model.neverRegenerates(2));
    QVERIFY(files->topLevelItem(2)->data(0, Qt::CheckStateRole).isValid());

    // "Only what changes" hides the file that stays as it is, and nothing else; a short list
    // starts with everything shown, a long one with only what changes.
    auto* only = review.findChild<QCheckBox*>("onlyChanges");
    QVERIFY(!only->isChecked());
    only->setChecked(true);
    QStringList hidden;
    for (int i = 0; i < files->topLevelItemCount(); ++i)
        if (files->topLevelItem(i)->isHidden())
            hidden.append(files->topLevelItem(i)->text(0));
    QCOMPARE(hidden, QStringList{"D/same.cpp"});
    std::vector<ReviewModel::Entry> many(ReviewModel::LONG_LIST, entries[1]);
    many.push_back(entries[2]);
    ReviewModel longModel(many);
    ReviewDialog longReview(longModel);
    QVERIFY(longReview.findChild<QCheckBox*>("onlyChanges")->isChecked());
    auto* longFiles = longReview.findChild<QTreeWidget*>("reviewFiles");
    QVERIFY(longFiles->topLevelItem(0)->isHidden() &&
            !longFiles->topLevelItem(int(ReviewModel::LONG_LIST))->isHidden());
    QCOMPARE(longFiles->currentItem(), longFiles->topLevelItem(int(ReviewModel::LONG_LIST)));

    // A new version of the template set: the change above the files, its notes in place of a
    // diff; the same set says nothing.
    QVERIFY(!review.findChild<QLabel*>("reviewTemplates"));
    TemplateUpgrade upgrade;
    upgrade.from = {"plugin-templates", "2.1.0"};
    upgrade.to = {"plugin-templates", "2.3.0"};
    upgrade.notes = {{"2.2.0", 3, "## 2.2.0\n- Headers first.\n", {}},
                     {"2.3.0", 6, "## 2.3.0\nmoved *.cpp src/*.cpp\n", {}}};
    longModel.setTemplates(upgrade);
    ReviewDialog upgraded(longModel);
    QCOMPARE(upgraded.findChild<QLabel*>("reviewTemplates")->text(),
             QString("Templates: plugin-templates 2.1.0 -> 2.3.0"));
    upgraded.findChild<QPushButton*>("templateNotes")->click();
    QCOMPARE(upgraded.findChild<QPlainTextEdit*>("reviewDiff")->toPlainText(),
             QString("## 2.2.0\n- Headers first.\n\n## 2.3.0\nmoved *.cpp src/*.cpp\n"));
}

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
