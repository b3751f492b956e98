#include "ui/ActionList.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace vantrel {

ActionList::ActionList(QWidget* parent)
    : QListWidget(parent) {
    connect(this, &QAbstractItemView::doubleClicked, this, &ActionList::itemOpened);
}

void ActionList::mouseReleaseEvent(QMouseEvent* event) {
    // The view clears or toggles the selection only on release (a click on empty space, a
    // Ctrl+click on the selected item), so the click is reported once the view is done.
    const bool left = event->button() == Qt::LeftButton;
    QListWidget::mouseReleaseEvent(event);
    if (left)
        emit leftClicked();
}

void ActionList::keyPressEvent(QKeyEvent* event) {
    // The view would pass Enter on to the dialog, whose default button is "Create".
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !selectedItems().isEmpty()) {
        event->accept();
        emit itemOpened();
        return;
    }
    QListWidget::keyPressEvent(event);
}

} // namespace vantrel
