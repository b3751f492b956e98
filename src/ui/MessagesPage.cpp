#include "ui/MessagesPage.h"

#include "ui/ControlMirror.h"
#include "ui/DialogBuilder.h"
#include "wizard/ControlIds.h"

#include <QCheckBox>
#include <QLineEdit>

namespace vantrel {

namespace {

constexpr int EDIT_WIDTH = 88; // dialog units; the columns start 90 and 94 units apart

} // namespace

MessagesPage::MessagesPage(MessagesPageModel& model, QWidget* parent)
    : QWidget(parent)
    , m_model(model)
    , m_mirror(new ControlMirror(model, this)) {
    setObjectName(QStringLiteral("page%1").arg(TEMPLATE_ID));
    DialogBuilder b(this);
    b.resizeDialog(291, 144);
    const auto row = [this, &b](int box, const QString& caption, int x, int y, int width, int edit,
                                int editY) {
        m_mirror->bind(box, b.check(box, caption, x, y, width, 10));
        // As wide as the room to the next column allows: the default names are long.
        m_mirror->bind(edit, b.edit(edit, x, editY, EDIT_WIDTH, 12));
    };
    row(IDC_CB_STATUS_CHECK, tr("&Status procedure:"), 12, 9, 72, IDC_CB_STATUS_EDIT, 22);
    row(IDC_CB_MS_LBDOWN_CHECK, tr("Mouse &LB Down:"), 102, 9, 71, IDC_CB_MS_LBDOWN_EDIT, 22);
    row(IDC_CB_KEYBRD_CHECK, tr("&Keyboard procedure:"), 12, 40, 80, IDC_CB_KEYBRD_EDIT, 54);
    row(IDC_CB_MS_LBUP_CHECK, tr("Mouse LB &Up:"), 102, 40, 61, IDC_CB_MS_LBUP_EDIT, 54);
    row(IDC_CB_MS_RBDOWN_CHECK, tr("Mouse &RB Down:"), 102, 72, 72, IDC_CB_MS_RBDOWN_EDIT, 85);
    row(IDC_CB_MS_RBUP_CHECK, tr("Mouse R&B Up:"), 102, 103, 63, IDC_CB_MS_RBUP_EDIT, 116);
    row(IDC_CB_MS_MOVE_CHECK, tr("Mouse Mo&ve:"), 196, 9, 59, IDC_CB_MS_MOVE_EDIT, 22);

    m_mirror->setClickHandler([this](int id, bool checked) { m_model.click(id, checked); });
    refresh();
}

QList<QWidget*> MessagesPage::readingOrder() const {
    return findControls(this, {IDC_CB_STATUS_CHECK, IDC_CB_STATUS_EDIT, IDC_CB_KEYBRD_CHECK,
                               IDC_CB_KEYBRD_EDIT, IDC_CB_MS_LBDOWN_CHECK, IDC_CB_MS_LBDOWN_EDIT,
                               IDC_CB_MS_LBUP_CHECK, IDC_CB_MS_LBUP_EDIT, IDC_CB_MS_RBDOWN_CHECK,
                               IDC_CB_MS_RBDOWN_EDIT, IDC_CB_MS_RBUP_CHECK, IDC_CB_MS_RBUP_EDIT,
                               IDC_CB_MS_MOVE_CHECK, IDC_CB_MS_MOVE_EDIT});
}

void MessagesPage::refresh() {
    m_mirror->refresh();
}

} // namespace vantrel
