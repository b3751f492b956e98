#pragma once

#include <QDialog>

namespace vantrel {

// "About Vantrel": the program version, a copyright line and, when given, a line that says
// which configuration the wizard runs on. Changes no state.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int IDC_VERSION = 1037;
    static constexpr int IDC_COPYRIGHT = 1038;
    static constexpr int IDC_CONFIGURATION = 1039;

    explicit AboutDialog(QWidget* parent = nullptr, const QString& configuration = {});

    // "Vantrel Version %s" filled with the program version.
    static QString versionText();
};

} // namespace vantrel
