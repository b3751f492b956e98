#include "ui/VantrelApp.h"

#include "model/Version.h"
#include "ui/MainDialog.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace vantrel {
namespace {

const QCommandLineOption& configOption() {
    static const QCommandLineOption option(
        QStringLiteral("config"),
        QCoreApplication::translate(
            "VantrelApp",
            "Read the configuration from <file>; without it, the first found of vantrel.cfg in "
            "the working folder, $XDG_CONFIG_HOME/vantrel/vantrel.cfg (~/.config when unset) and "
            "the installed sample's configuration."),
        QCoreApplication::translate("VantrelApp", "file"));
    return option;
}

// Names the running application and reads its arguments; --help, --version and a wrong
// argument end the program here.
void processArguments(QCommandLineParser& parser, QCoreApplication& application) {
    QCoreApplication::setApplicationName(QStringLiteral("Vantrel"));
    QCoreApplication::setApplicationVersion(QString::fromUtf8(VANTREL_VERSION));
    parser.setApplicationDescription(QCoreApplication::translate(
        "VantrelApp", "Writes the source project of a plug-in for the Kel or Dov editor."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(configOption());
    parser.addPositionalArgument(
        QStringLiteral("project"),
        QCoreApplication::translate("VantrelApp",
                                    "A project file, or a folder Create wrote, to open at start."),
        QStringLiteral("[project]"));
    parser.process(application);
    if (parser.positionalArguments().size() > 1) {
        std::fprintf(stderr, "%s: give at most one project to open\n",
                     qPrintable(QCoreApplication::applicationName().toLower()));
        std::exit(1);
    }
}

} // namespace

VantrelApp::VantrelApp(int& argc, char** argv)
    : QApplication(argc, argv) {
    setApplicationDisplayName(QStringLiteral("Vantrel"));
    setDesktopFileName(QStringLiteral("org.vantrel.Vantrel"));
    setWindowIcon(QIcon(QStringLiteral(":/vantrel.svg")));
    QCommandLineParser parser;
    processArguments(parser, *this);
    m_configOption = parser.value(configOption()).toStdString();
    if (!parser.positionalArguments().isEmpty())
        m_projectArgument = parser.positionalArguments().constFirst();
}

bool VantrelApp::asksForTextOnly(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--")
            break;
        if (argument == "-h" || argument == "--help" || argument == "--help-all" ||
            argument == "-v" || argument == "--version")
            return true;
    }
    return false;
}

int VantrelApp::answerAsText(int& argc, char** argv) {
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    processArguments(parser, application);
    return 0;
}

int VantrelApp::run() {
    MainDialog dialog(nullptr, m_configOption);
    if (!m_projectArgument.isEmpty())
        dialog.openAtStart(m_projectArgument);
    dialog.exec(); // the result does not matter: the project file is saved by the user
    return 0;
}

} // namespace vantrel
