#pragma once

#include <QDialog>

namespace vantrel {

// "About Vantrel": the program version and a copyright line. Changes no state.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int IDC_VERSION = 1037;
    static constexpr int IDC_COPYRIGHT = 1038;

    explicit AboutDialog(QWidget* parent = nullptr);

    // "Vantrel Version %s" filled with the program version.
    static QString versionText();
};

} // namespace vantrel
