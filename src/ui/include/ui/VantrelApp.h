#pragma once

#include <QApplication>

#include <string>

namespace vantrel {

// The program: runs the main dialog modally and ends as soon as it has closed.
class VantrelApp : public QApplication {
    Q_OBJECT
public:
    // Takes --config FILE, a project to open, --help and --version; --help, --version and a wrong
    // argument end the program at once.
    VantrelApp(int& argc, char** argv);

    // --help and --version need no window system: answered before one is looked for, they
    // work on a terminal without a display too.
    static bool asksForTextOnly(int argc, char** argv);
    // Prints what they ask for and gives the program's exit status.
    static int answerAsText(int& argc, char** argv);

    // Shows the main dialog; the program ends when it closes, whatever its result.
    int run();

private:
    std::string m_configOption;
    QString m_projectArgument; // the project to open at start, or empty
};

} // namespace vantrel
