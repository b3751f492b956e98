#pragma once

#include "wizard/PanelPageModel.h"

#include <QWidget>

namespace vantrel {

class ControlMirror;

// The widgets of the "Panel" page, mirroring its model.
class PanelPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int TEMPLATE_ID = 131;

    PanelPage(PanelPageModel& model, QWidget* parent = nullptr);
    void refresh();
    // The page's controls in reading order: down each column, the columns from left to right,
    // each check box before the edit it enables.
    QList<QWidget*> readingOrder() const;

private:
    PanelPageModel& m_model;
    ControlMirror* m_mirror;
};

} // namespace vantrel
