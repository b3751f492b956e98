#include "ui/ActionList.h"

#include <QMouseEvent>

namespace vantrel {

ActionList::ActionList(QWidget* parent)
    : QListWidget(parent) {}

void ActionList::mouseReleaseEvent(QMouseEvent* event) {
    // The view clears or toggles the selection only on release (a click on empty space, a
    // Ctrl+click on the selected item), so the click is reported once the view is done.
    const bool left = event->button() == Qt::LeftButton;
    QListWidget::mouseReleaseEvent(event);
    if (left)
        emit leftClicked();
}

} // namespace vantrel
