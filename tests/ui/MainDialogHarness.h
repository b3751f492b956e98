#pragma once

#include "support/WidgetFinder.h"
#include "ui/ModalHooks.h"
#include "wizard/ControlIds.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

// What the main dialog's tests share: clicks by control id, and a folder of the test's own.
namespace vantrel {

inline void clickButton(QWidget* dialog, int id) {
    QTest::mouseClick(find<QAbstractButton>(dialog, id), Qt::LeftButton);
}

inline void pressOk(QDialog& dialog) {
    clickButton(&dialog, CTL_OK);
}

inline QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Shown as the active window, so that focus and shortcuts behave as for a user.
inline void showActive(QWidget& dialog) {
    dialog.show();
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
}

// Presses Tab until the control has the focus; false when it never gets it.
inline bool tabTo(QWidget* control) {
    for (int i = 0; i < 30 && !control->hasFocus(); ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    return control->hasFocus();
}

// The test's folder as the current one, modal boxes answered by the test, and the user's own
// configuration and settings kept out; leave() restores the current folder.
class DialogTestFolder {
public:
    void enter() {
        ModalHooks::setScripted(true);
        // No configuration file: the dialog starts from the defaults.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_folder.filePath("no-user-configuration")));
        m_oldCurrent = QDir::currentPath();
        QDir::setCurrent(m_folder.path());
        // The recent project files go to the test's folder, never to the user's settings.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           m_folder.filePath("settings"));
    }
    void leave() {
        QDir::setCurrent(m_oldCurrent);
        ModalHooks::setScripted(false);
    }
    QString path() const { return m_folder.path(); }
    QString filePath(const QString& name) const { return m_folder.filePath(name); }

private:
    QTemporaryDir m_folder;
    QString m_oldCurrent;
};

} // namespace vantrel
