#include "ui/VantrelApp.h"

#include "ui/MainDialog.h"

#include <QIcon>
#include <QTimer>

namespace vantrel {

VantrelApp::VantrelApp(int& argc, char** argv)
    : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Vantrel"));
    setApplicationDisplayName(QStringLiteral("Vantrel"));
    setDesktopFileName(QStringLiteral("vantrel"));
    setWindowIcon(QIcon(QStringLiteral(":/vantrel.svg")));
}

int VantrelApp::run() {
    MainDialog dialog;
    m_mainWindow = &dialog;
    // Start-up timing (scripts/bench): leave as soon as the dialog is first shown.
    if (qEnvironmentVariableIsSet("VANTREL_EXIT_AFTER_SHOW"))
        QTimer::singleShot(0, &dialog, [&dialog] { dialog.done(0); });
    dialog.exec(); // the result does not matter: nothing is saved at the end
    m_mainWindow = nullptr;
    return 0;
}

} // namespace vantrel
