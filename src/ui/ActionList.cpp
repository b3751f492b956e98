#include "ui/ActionList.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include <optional>

namespace vantrel {

ActionList::ActionList(QWidget* parent)
    : QListWidget(parent) {
    connect(this, &QAbstractItemView::doubleClicked, this, &ActionList::itemOpened);
}

void ActionList::mouseReleaseEvent(QMouseEvent* event) {
    // The view clears or toggles the selection only on release (a click on empty space, a
    // Ctrl+click on the selected item), so the click is reported once the view is done.
    const bool left = event->button() == Qt::LeftButton;
    QMouseEvent onItem = ontoItem(*event);
    QListWidget::mouseReleaseEvent(&onItem);
    if (left)
        emit leftClicked();
}

void ActionList::keyPressEvent(QKeyEvent* event) {
    // The view would pass Enter on to the dialog, whose default button is "Create": in the
    // list it opens the selected action, and does nothing without one.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter) {
        event->accept();
        if (!selectedItems().isEmpty())
            emit itemOpened();
        return;
    }
    QListWidget::keyPressEvent(event);
}

QMouseEvent ActionList::ontoItem(const QMouseEvent& event) const {
    const QPoint point = event.position().toPoint();
    // An item is as wide as its text: a point to the right of it, in its column and its
    // line, is taken as on it. The nearest item to the left on the line is the one.
    std::optional<QRect> nearest;
    for (int row = 0; row < count() && !indexAt(point).isValid(); ++row) {
        const QRect rect = visualRect(model()->index(row, 0));
        if (point.y() >= rect.top() && point.y() <= rect.bottom() && rect.left() <= point.x() &&
            (!nearest || rect.left() > nearest->left()))
            nearest = rect;
    }
    return QMouseEvent(event.type(), nearest ? QPoint(nearest->right(), point.y()) : point,
                       event.globalPosition(), event.button(), event.buttons(), event.modifiers(),
                       event.pointingDevice());
}

void ActionList::mousePressEvent(QMouseEvent* event) {
    QMouseEvent onItem = ontoItem(*event);
    QListWidget::mousePressEvent(&onItem);
}

void ActionList::mouseDoubleClickEvent(QMouseEvent* event) {
    QMouseEvent onItem = ontoItem(*event);
    QListWidget::mouseDoubleClickEvent(&onItem);
}

} // namespace vantrel
