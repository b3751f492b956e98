#include "ui/ModalHooks.h"

#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <deque>
#include <optional>
#include <utility>

namespace vantrel {
namespace {

struct Script {
    bool on = false;
    std::deque<bool> answers;
    std::deque<std::optional<QString>> directories;
    std::deque<std::optional<QString>> files;
    std::deque<int> saveChoices;
    std::deque<std::function<void(QDialog&)>> handlers;
    QStringList messages;
    QStringList details;
    QStringList openedFolders;
};

Script& script() {
    static Script instance;
    return instance;
}

// The next prepared entry, or fallback when none is left.
template <class T>
T takeFront(std::deque<T>& queue, T fallback = {}) {
    if (!queue.empty()) {
        fallback = std::move(queue.front());
        queue.pop_front();
    }
    return fallback;
}

// A question asked while a test script runs: its text is noted, and the next scripted answer
// (fallback when none is left) answers it. None: the box is shown.
template <class Answer>
std::optional<Answer> scriptedAnswer(const QString& text, std::deque<Answer>& answers,
                                     Answer fallback) {
    if (!script().on)
        return std::nullopt;
    script().messages.append(text);
    return takeFront(answers, fallback);
}

} // namespace

void ModalHooks::setScripted(bool scripted) {
    script() = Script{};
    script().on = scripted;
}

bool ModalHooks::scripted() {
    return script().on;
}

void ModalHooks::pushAnswer(bool ok) {
    script().answers.push_back(ok);
}

void ModalHooks::pushDirectory(std::optional<QString> directory) {
    script().directories.push_back(std::move(directory));
}

void ModalHooks::pushFile(std::optional<QString> file) {
    script().files.push_back(std::move(file));
}

void ModalHooks::pushSaveChoice(int standardButton) {
    script().saveChoices.push_back(standardButton);
}

void ModalHooks::pushDialogHandler(std::function<void(QDialog&)> handler) {
    script().handlers.push_back(std::move(handler));
}

QStringList ModalHooks::takeMessages() {
    return std::exchange(script().messages, {});
}

QStringList ModalHooks::takeDetails() {
    return std::exchange(script().details, {});
}

void ModalHooks::showMessage(QWidget* parent, const QString& text, const QString& details) {
    if (script().on) {
        script().messages.append(text);
        if (!details.isEmpty())
            script().details.append(details);
        return;
    }
    if (details.isEmpty()) {
        QMessageBox::warning(parent, QString::fromUtf8(APP_TITLE), text, QMessageBox::Ok);
        return;
    }
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(APP_TITLE), text, QMessageBox::Ok,
                    parent);
    box.setDetailedText(details);
    box.exec();
}

bool ModalHooks::askOkCancel(QWidget* parent, const QString& text, bool cancelIsDefault) {
    if (const std::optional<bool> answer = scriptedAnswer(text, script().answers, false))
        return *answer;
    QMessageBox box(QMessageBox::Question, QString::fromUtf8(APP_TITLE), text,
                    QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setDefaultButton(cancelIsDefault ? QMessageBox::Cancel : QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

QStringList ModalHooks::takeOpenedFolders() {
    return std::exchange(script().openedFolders, {});
}

bool ModalHooks::openFolder(const QString& path) {
    if (script().on) {
        script().openedFolders.append(path);
        return true;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

std::optional<QString> ModalHooks::askDirectory(QWidget* parent) {
    if (script().on)
        return takeFront(script().directories);
    const QString directory = QFileDialog::getExistingDirectory(
        parent, QObject::tr("Choose the location"), QString(),
        QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (directory.isEmpty())
        return std::nullopt;
    return directory;
}

namespace {

const QString PROJECT_FILTER = QStringLiteral("Project files (*.json);;All files (*)");

} // namespace

std::optional<QString> ModalHooks::askOpenFile(QWidget* parent) {
    if (script().on)
        return takeFront(script().files);
    const QString file = QFileDialog::getOpenFileName(parent, QObject::tr("Open project"),
                                                      QString(), PROJECT_FILTER);
    if (file.isEmpty())
        return std::nullopt;
    return file;
}

std::optional<QString> ModalHooks::askSaveFile(QWidget* parent, const QString& suggested) {
    if (script().on)
        return takeFront(script().files);
    const QString file = QFileDialog::getSaveFileName(parent, QObject::tr("Save project as"),
                                                      suggested, PROJECT_FILTER);
    if (file.isEmpty())
        return std::nullopt;
    return file;
}

int ModalHooks::askSaveDiscardCancel(QWidget* parent, const QString& text) {
    if (const std::optional<int> choice =
            scriptedAnswer(text, script().saveChoices, static_cast<int>(QMessageBox::Cancel)))
        return *choice;
    QMessageBox box(QMessageBox::Question, QString::fromUtf8(APP_TITLE), text,
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    return clicked ? box.standardButton(clicked) : QMessageBox::Cancel;
}

int ModalHooks::runDialog(QDialog& dialog) {
    if (script().on) {
        // The handler (if any) works the dialog once it shows; what it leaves open is cancelled.
        QPointer<QDialog> guarded(&dialog);
        QTimer::singleShot(0, &dialog, [guarded, handler = takeFront(script().handlers)] {
            if (guarded && handler)
                handler(*guarded);
            if (guarded && guarded->isVisible())
                guarded->reject();
        });
    }
    return dialog.exec();
}

void MessageBoxSink::showMessage(ErrorKind, const std::string& message) {
    ModalHooks::showMessage(m_parent, QString::fromStdString(message));
}

void MessageBoxSink::showMessageAt(ErrorKind, const std::string& message,
                                   const MessagePlace& place) {
    ModalHooks::showMessage(m_parent, QString::fromStdString(message), placeDetails(place));
}

QString placeDetails(const MessagePlace& place) {
    if (!place.known())
        return {};
    QString text = QStringLiteral("In %1, line %2.")
                       .arg(QString::fromStdString(place.file))
                       .arg(static_cast<qulonglong>(place.line));
    if (!place.context.empty())
        text += QStringLiteral(" While %1.").arg(QString::fromStdString(place.context));
    return text;
}

} // namespace vantrel
