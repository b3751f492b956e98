#include "ui/VantrelApp.h"

#include "model/Version.h"
#include "ui/MainDialog.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QIcon>
#include <QTimer>

namespace vantrel {

VantrelApp::VantrelApp(int& argc, char** argv)
    : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Vantrel"));
    setApplicationDisplayName(QStringLiteral("Vantrel"));
    setDesktopFileName(QStringLiteral("org.vantrel.Vantrel"));
    setWindowIcon(QIcon(QStringLiteral(":/vantrel.svg")));
    setApplicationVersion(QString::fromUtf8(VANTREL_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        tr("Writes the source project of a plug-in for the Kel or Dov editor."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption config(
        QStringLiteral("config"),
        tr("Read the configuration from <file>; without it, the first found of vantrel.cfg in "
           "the working folder, $XDG_CONFIG_HOME/vantrel/vantrel.cfg (~/.config when unset) and "
           "the installed sample's configuration."),
        tr("file"));
    parser.addOption(config);
    parser.process(*this);
    m_configOption = parser.value(config).toStdString();
}

int VantrelApp::run() {
    MainDialog dialog(nullptr, m_configOption);
    m_mainWindow = &dialog;
    // Start-up timing (scripts/bench): leave as soon as the dialog is first shown.
    if (qEnvironmentVariableIsSet("VANTREL_EXIT_AFTER_SHOW"))
        QTimer::singleShot(0, &dialog, [&dialog] { dialog.done(0); });
    dialog.exec(); // the result does not matter: nothing is saved at the end
    m_mainWindow = nullptr;
    return 0;
}

} // namespace vantrel
