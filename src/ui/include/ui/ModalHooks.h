#pragma once

#include "report/ErrorReporter.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>

class QDialog;
class QWidget;

namespace vantrel {

// Every modal box and the folder browser go through here. In normal use they are shown; once
// a test switches on scripted mode, messages are recorded, questions and the folder browser
// take prepared answers, and the wizard's own dialogs call a prepared handler, so that nothing
// waits for a user who is not there.
class ModalHooks {
public:
    static void setScripted(bool scripted);
    static bool scripted();

    // Answers for the next OK/Cancel questions, in order; an unprepared question gets Cancel.
    static void pushAnswer(bool ok);
    // The next folder browser result; nothing prepared (or nullopt) means cancelled.
    static void pushDirectory(std::optional<QString> directory);
    // The next file dialog's result; nothing prepared (or nullopt) means cancelled.
    static void pushFile(std::optional<QString> file);
    // The next answer to a Save / Discard / Cancel question; unprepared, it is Cancel.
    static void pushSaveChoice(int standardButton);
    // Called on the next dialog run modally through runDialog, once it is shown. If the handler
    // leaves it open, the dialog is cancelled.
    static void pushDialogHandler(std::function<void(QDialog&)> handler);

    // The texts of the messages and questions shown (or answered) so far.
    static QStringList takeMessages();
    // The detailed texts of the messages shown so far that had one.
    static QStringList takeDetails();
    // The folders handed to the desktop's file manager so far (in scripted mode, recorded only).
    static QStringList takeOpenedFolders();

    // Details, when given, are shown under the box's "Show details" button.
    static void showMessage(QWidget* parent, const QString& text, const QString& details = {});
    // True for OK. cancelIsDefault makes Cancel the answer that Enter gives, for questions
    // whose OK destroys something.
    static bool askOkCancel(QWidget* parent, const QString& text, bool cancelIsDefault = false);
    static std::optional<QString> askDirectory(QWidget* parent);
    // The project file dialogs: an existing JSON file, and a file to save to (its replacement
    // confirmed by the dialog).
    static std::optional<QString> askOpenFile(QWidget* parent);
    static std::optional<QString> askSaveFile(QWidget* parent, const QString& suggested);
    // Save, Discard or Cancel, as QMessageBox::StandardButton values; Save is the default.
    static int askSaveDiscardCancel(QWidget* parent, const QString& text);
    static int runDialog(QDialog& dialog);
    // Opens a folder in the desktop's file manager; false when that failed.
    static bool openFolder(const QString& path);
};

// Error messages of the engine as message boxes with the program's title and one OK button.
class MessageBoxSink : public MessageSink {
public:
    explicit MessageBoxSink(QWidget* parent = nullptr)
        : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }
    void showMessage(ErrorKind kind, const std::string& message) override;
    // The text as without the place; the place goes in the box's details.
    void showMessageAt(ErrorKind kind, const std::string& message,
                       const MessagePlace& place) override;

private:
    QWidget* m_parent;
};

// A message's place as the message box's details show it.
QString placeDetails(const MessagePlace& place);

// The caption of every message box.
inline const char* const APP_TITLE = "Vantrel";

} // namespace vantrel
