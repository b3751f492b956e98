#pragma once

#include <QFont>
#include <QRect>

class QWidget;

namespace vantrel {

// Positions of the dialogs are given in dialog units: a quarter of the dialog font's average
// character width across, an eighth of its height down.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    // "MS Sans Serif" 8 point where it is installed, else the platform's default UI font.
    static QFont dialogFont();

    int x(int units) const;
    int y(int units) const;
    QRect rect(int x, int y, int width, int height) const;

    // Places a control; captions that need more room than their box get it, so no text is cut.
    void place(QWidget* widget, int x, int y, int width, int height) const;

private:
    int m_baseX;
    int m_baseY;
};

} // namespace vantrel
