#include "ui/AboutDialog.h"

#include "model/Version.h"
#include "ui/ControlIds.h"
#include "ui/ControlMirror.h"
#include "ui/DialogBuilder.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace vantrel {

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(tr("About Vantrel"));
    setObjectName(QStringLiteral("dialog100"));
    DialogBuilder b(this);
    b.resizeDialog(235, 55);

    QLabel* icon = b.label(QString(), 7, 7, 21, 20);
    const QRect iconBox = b.units().rect(7, 7, 21, 20);
    const int side = std::min(iconBox.width(), iconBox.height());
    icon->setPixmap(QIcon(QStringLiteral(":/vantrel.svg")).pixmap(side, side));
    icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    QLabel* version = b.label(QStringLiteral("Vantrel Version 1.0"), 33, 7, 195, 8);
    version->setObjectName(controlName(IDC_VERSION));
    version->setTextFormat(Qt::PlainText);
    QLabel* copyright = b.label(tr("Copyright (C) The Vantrel developers"), 33, 18, 195, 8);
    copyright->setObjectName(controlName(IDC_COPYRIGHT));

    QPushButton* ok = b.button(CTL_OK, tr("OK"), 93, 34, 50, 14);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    version->setText(versionText());
    copyright->setText(tr("Copyright (C) The Vantrel developers."));
    ok->setFocus();
}

QString AboutDialog::versionText() {
    return QStringLiteral("Vantrel Version %1").arg(QString::fromUtf8(VANTREL_VERSION));
}

} // namespace vantrel
