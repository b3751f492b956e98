#include "ui/PanelPage.h"

#include "ui/ControlMirror.h"
#include "ui/DialogBuilder.h"
#include "wizard/ControlIds.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace vantrel {

PanelPage::PanelPage(PanelPageModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_mirror(new ControlMirror(model, this)) {
    setObjectName(QStringLiteral("page%1").arg(TEMPLATE_ID));
    DialogBuilder b(this);
    b.resizeDialog(291, 144);
    const auto bind = [this](int id, QWidget* widget) {
        m_mirror->bind(id, widget);
    };

    bind(IDC_PANEL_DIALOG, b.radio(IDC_PANEL_DIALOG, tr("D&ialog"), 10, 15, 36, 10));
    bind(IDC_PANEL_NONE, b.radio(IDC_PANEL_NONE, tr("&None"), 10, 5, 33, 10));
    bind(IDC_PANEL_MODDIALOG, b.radio(IDC_PANEL_MODDIALOG, tr("M&odales dialog"), 10, 25, 63, 10));
    bind(IDC_PANEL_WINDOW, b.radio(IDC_PANEL_WINDOW, tr("&Window"), 10, 35, 42, 10));
    QLineEdit* className = b.edit(IDC_PANEL_CLASS, 10, 60, 130, 12);
    bind(IDC_PANEL_CLASS, className);
    b.label(tr("&Class name:"), 10, 50, 39, 8, className);
    bind(IDC_CREATE_THREAD, b.check(IDC_CREATE_THREAD, tr("Create &thread"), 10, 74, 59, 10));
    bind(IDC_FOREGROUND, b.check(IDC_FOREGROUND, tr("&Fordeground"), 10, 85, 56, 10));

    m_mirror->setClickHandler([this](int id, bool checked) { m_model.click(id, checked); });
    refresh();
}

QList<QWidget*> PanelPage::readingOrder() const {
    return findControls(this,
                        {IDC_PANEL_NONE, IDC_PANEL_DIALOG, IDC_PANEL_MODDIALOG, IDC_PANEL_WINDOW,
                         IDC_PANEL_CLASS, IDC_CREATE_THREAD, IDC_FOREGROUND});
}

void PanelPage::refresh() {
    m_mirror->refresh();
    DialogBuilder::keepOneTabStop(this);
}

} // namespace vantrel
