#pragma once

#include <QListWidget>
#include <QMouseEvent>

namespace vantrel {

// The main dialog's action list. Its signals come after the view has handled the event, so a
// handler sees the selection the click or key has made.
class ActionList : public QListWidget {
    Q_OBJECT
public:
    explicit ActionList(QWidget* parent = nullptr);

private:
    // The event with a point right of an item on its line moved onto the item; any other point
    // as it is.
    QMouseEvent ontoItem(const QMouseEvent& event) const;

signals:
    // A left mouse click in the list has ended.
    void leftClicked();
    // Enter on a selected item, or a double click on an item.
    void itemOpened();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace vantrel
