// The preview pane's side of the main dialog: opening and closing it, asking the worker for a
// preview of the answers as they stand (the properties dialog's too) and showing what it gives.
#include "ui/MainDialog.h"

#include "ui/ActionPropertiesDialog.h"
#include "ui/ModalHooks.h"
#include "ui/PreviewPane.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QPushButton>
#include <QScreen>
#include <QSettings>

#include <algorithm>

namespace vantrel {

bool MainDialog::previewOpen() const {
    return m_previewToggle->isChecked();
}

void MainDialog::setPreviewOpen(bool open) {
    if (m_previewToggle->isChecked() != open) {
        m_previewToggle->setChecked(open); // comes back here
        return;
    }
    QSettings(QStringLiteral("vantrel"), QStringLiteral("wizard"))
        .setValue(QStringLiteral("previewOpen"), open);
    m_previewPane->setVisible(open);
    setFixedSize(open ? m_openSize : m_closedSize);
    // Grown to the right, a window near the screen's edge moves left to stay on it.
    if (open && isVisible() && screen()) {
        const QRect room = screen()->availableGeometry();
        const QRect frame = frameGeometry();
        if (frame.right() > room.right())
            move(std::max(room.left(), room.right() - frame.width()), frame.top());
    }
    if (!open) {
        // Closed, nothing is computed or watched.
        m_previewWorker.reset();
        if (!m_inputWatch->files().isEmpty())
            m_inputWatch->removePaths(m_inputWatch->files());
        if (!m_inputWatch->directories().isEmpty())
            m_inputWatch->removePaths(m_inputWatch->directories());
        return;
    }
    m_previewWorker =
        std::make_unique<PreviewWorker>([this](std::uint64_t serial, Preview preview) {
            // Shown on the dialog's thread; a dialog gone by then drops it.
            QMetaObject::invokeMethod(
                this,
                [this, serial, shown = std::make_shared<const Preview>(std::move(preview))] {
                    previewReady(serial, shown);
                },
                Qt::QueuedConnection);
        });
    requestPreview();
}

void MainDialog::requestPreview(std::optional<std::pair<std::size_t, ActionDefinition>> editing) {
    if (!m_previewWorker)
        return;
    PreviewRequest request{m_project, m_logic.dllFlagsPosition(), m_configuration,
                           m_previewPane->showing()};
    if (editing) {
        auto& actions = request.project.actions;
        if (editing->first < actions.size())
            actions[editing->first] = std::move(editing->second);
        else
            request.project.appendAction(editing->second);
    }
    m_previewAsked = m_previewWorker->request(std::move(request));
}

void MainDialog::previewReady(std::uint64_t serial, std::shared_ptr<const Preview> preview) {
    if (serial <= m_previewShown || !m_previewWorker)
        return;
    m_previewShown = serial;
    // A template author's editor may replace a file rather than write into it: the folders
    // are watched too, and the files again after each preview.
    QStringList files;
    QStringList folders;
    for (const std::string& input : preview->inputs) {
        const QFileInfo info(QString::fromStdString(input));
        files << info.absoluteFilePath();
        if (!folders.contains(info.absolutePath()))
            folders << info.absolutePath();
    }
    const QStringList watched = m_inputWatch->files() + m_inputWatch->directories();
    if (files + folders != watched) {
        if (!watched.isEmpty())
            m_inputWatch->removePaths(watched);
        m_inputWatch->addPaths(files + folders);
    }
    m_previewPane->showPreview(std::move(preview));
}

int MainDialog::runProperties(ActionDefinition& action, const ActionNameCheck& check,
                              bool newAction) {
    ActionPropertiesDialog dialog(action, this, check, newAction);
    // The preview follows the action as the dialog shows it, its first file selected.
    const std::size_t index = newAction ? m_project.actions.size()
                                        : static_cast<std::size_t>(std::max(selectedListItem(), 0));
    const auto follow = [this, &dialog, index] {
        requestPreview(std::pair(index, dialog.model().shownAction()));
    };
    connect(&dialog, &ActionPropertiesDialog::edited, this, follow);
    m_previewPane->followAction(index);
    follow();
    if (previewOpen()) {
        // Beside the pane rather than over it, so that what the dialog changes can be watched.
        dialog.adjustSize();
        const QPoint paneLeft = m_previewPane->mapToGlobal(QPoint(0, 0));
        const int width = dialog.frameGeometry().width();
        dialog.move(std::max(0, paneLeft.x() - width), paneLeft.y());
    }
    const int result = ModalHooks::runDialog(dialog);
    m_previewPane->followAction(std::nullopt);
    // Cancelled, the answers are as they were.
    requestPreview();
    return result;
}

} // namespace vantrel
