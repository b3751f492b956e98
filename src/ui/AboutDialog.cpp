#include "ui/AboutDialog.h"

#include "model/Version.h"
#include "ui/ControlMirror.h"
#include "ui/DialogBuilder.h"
#include "wizard/ControlIds.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace vantrel {

AboutDialog::AboutDialog(QWidget* parent, const QString& configuration)
    : QDialog(parent) {
    setWindowTitle(tr("About Vantrel"));
    setObjectName(QStringLiteral("dialog100"));
    DialogBuilder b(this);
    // The configuration's line goes above the button, which moves down by one line.
    const int below = configuration.isEmpty() ? 0 : 11;
    b.resizeDialog(235, 55 + below);

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

    if (!configuration.isEmpty()) {
        QLabel* line = b.label(QString(), 33, 29, 195, 8);
        line->setObjectName(controlName(IDC_CONFIGURATION));
        line->setTextFormat(Qt::PlainText);
        // A long path keeps its start and its file name; the whole of it is in the tooltip.
        line->setText(line->fontMetrics().elidedText(configuration, Qt::ElideMiddle,
                                                     b.units().rect(33, 29, 195, 8).width()));
        line->setToolTip(configuration);
    }

    QPushButton* ok = b.button(CTL_OK, tr("OK"), 93, 34 + below, 50, 14);
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
