// The Project menu and the document's side of the dialog: the menu's entries, the recent
// projects kept in the wizard's own settings, and the file dialogs and question the document
// handlers ask for.
#include "ui/MainDialog.h"

#include "ui/ModalHooks.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStringList>

#include <functional>
#include <utility>

namespace vantrel {

void MainDialog::buildProjectMenu(QWidget* button) {
    m_projectMenu = new QMenu(this);
    m_projectMenu->setObjectName(QStringLiteral("projectMenu"));
    // Each entry is the dialog's too, so its shortcut works while the menu is closed.
    const auto entry = [this](const QString& text, const QKeySequence& keys, const char* name,
                              std::function<void()> run) {
        QAction* action = m_projectMenu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
        connect(action, &QAction::triggered, this, std::move(run));
    };
    entry(tr("&Open..."), QKeySequence(Qt::CTRL | Qt::Key_O), "openProject",
          [this] { m_logic.openProject(); });
    entry(tr("Open &generated project..."), QKeySequence(), "openGenerated",
          [this] { m_logic.openGeneratedProject(); });
    m_recentMenu = m_projectMenu->addMenu(tr("&Recent projects"));
    m_recentMenu->setObjectName(QStringLiteral("recentMenu"));
    m_projectMenu->addSeparator();
    entry(tr("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S), "saveProject",
          [this] { m_logic.save(); });
    entry(tr("Save &as..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), "saveProjectAs",
          [this] { m_logic.saveAs(); });
    connect(m_projectMenu, &QMenu::aboutToShow, this, [this] { fillRecentMenu(); });
    static_cast<QPushButton*>(button)->setMenu(m_projectMenu);
    fillRecentMenu();
}

void MainDialog::fillRecentMenu() {
    m_recentMenu->clear();
    const std::vector<std::string> recent = m_logic.recentFiles();
    for (std::size_t i = 0; i < recent.size(); ++i) {
        // "&1" to "&8": the number is the entry's mnemonic.
        QString path = QString::fromStdString(recent[i]);
        QAction* action = m_recentMenu->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(path.replace('&', QStringLiteral("&&"))));
        connect(action, &QAction::triggered, this, [this, i] { m_logic.openRecent(i); });
    }
    m_recentMenu->setEnabled(!recent.empty());
}

std::optional<std::string> MainDialog::askOpenPath(bool generatedFolder) {
    const std::optional<QString> path =
        generatedFolder ? ModalHooks::askDirectory(this) : ModalHooks::askOpenFile(this);
    if (!path)
        return std::nullopt;
    return path->toStdString();
}

std::optional<std::string> MainDialog::askSavePath(const std::string& suggested) {
    const std::optional<QString> path =
        ModalHooks::askSaveFile(this, QString::fromStdString(suggested));
    if (!path)
        return std::nullopt;
    return path->toStdString();
}

MainDialogOps::SaveChoice MainDialog::askSaveChanges(const std::string& question) {
    switch (ModalHooks::askSaveDiscardCancel(this, QString::fromStdString(question))) {
    case QMessageBox::Save:
        return SaveChoice::Save;
    case QMessageBox::Discard:
        return SaveChoice::Discard;
    default:
        return SaveChoice::Cancel;
    }
}

namespace {

// The wizard's own settings, beside the configuration: ~/.config/vantrel/wizard.conf.
QSettings wizardSettings() {
    return QSettings(QStringLiteral("vantrel"), QStringLiteral("wizard"));
}

const QString RECENT_KEY = QStringLiteral("recentProjects");

} // namespace

std::vector<std::string> MainDialog::storedRecentFiles() const {
    std::vector<std::string> paths;
    for (const QString& path : wizardSettings().value(RECENT_KEY).toStringList())
        paths.push_back(path.toStdString());
    return paths;
}

void MainDialog::storeRecentFiles(const std::vector<std::string>& paths) {
    QStringList list;
    for (const std::string& path : paths)
        list << QString::fromStdString(path);
    wizardSettings().setValue(RECENT_KEY, list);
}

} // namespace vantrel
