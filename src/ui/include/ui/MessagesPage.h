#pragma once

#include "wizard/MessagesPageModel.h"

#include <QWidget>

namespace vantrel {

class ControlMirror;

// The widgets of the "Messages" page, mirroring its model.
class MessagesPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int TEMPLATE_ID = 132;

    MessagesPage(MessagesPageModel& model, QWidget* parent = nullptr);
    void refresh();
    // The page's controls in reading order: down each column, the columns from left to right,
    // each check box before the edit it enables.
    QList<QWidget*> readingOrder() const;

private:
    MessagesPageModel& m_model;
    ControlMirror* m_mirror;
};

} // namespace vantrel
