#include "ui/DialogUnits.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QRadioButton>
#include <QWidget>

#include <algorithm>

namespace vantrel {

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    // The average width of the 52 ASCII letters, rounded: how the dialog font's width is taken.
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_baseX = std::max(1, (metrics.horizontalAdvance(letters) / 26 + 1) / 2);
    m_baseY = std::max(1, metrics.height());
}

QFont DialogUnits::dialogFont() {
    const QString family = QStringLiteral("MS Sans Serif");
    if (QFontDatabase::families().contains(family))
        return QFont(family, 8);
    return QApplication::font();
}

int DialogUnits::x(int units) const {
    return (units * m_baseX + 2) / 4;
}

int DialogUnits::y(int units) const {
    return (units * m_baseY + 4) / 8;
}

QRect DialogUnits::rect(int left, int top, int width, int height) const {
    return QRect(x(left), y(top), x(width), y(height));
}

void DialogUnits::place(QWidget* widget, int left, int top, int width, int height) const {
    QRect r = rect(left, top, width, height);
    if (qobject_cast<QCheckBox*>(widget) || qobject_cast<QRadioButton*>(widget) ||
        qobject_cast<QLabel*>(widget)) {
        const QSize hint = widget->sizeHint();
        r.setWidth(std::max(r.width(), hint.width()));
        r.setHeight(std::max(r.height(), std::min(hint.height(), r.height() + y(4))));
    }
    widget->setGeometry(r);
}

} // namespace vantrel
