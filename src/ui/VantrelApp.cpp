#include "ui/VantrelApp.h"

#include "ui/MainDialog.h"

#include <QIcon>

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
    dialog.exec(); // the result does not matter: nothing is saved at the end
    m_mainWindow = nullptr;
    return 0;
}

} // namespace vantrel
