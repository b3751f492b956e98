#pragma once

#include "wizard/DefinitionPageModel.h"

#include <QWidget>

class QComboBox;

namespace vantrel {

class ControlMirror;

// The widgets of the "Definition" page, mirroring its model.
class DefinitionPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int TEMPLATE_ID = 130;

    DefinitionPage(DefinitionPageModel& model, QWidget* parent = nullptr);
    void refresh();
    // The page's controls in reading order: down each column, the columns from left to right,
    // each check box before the edit it enables.
    QList<QWidget*> readingOrder() const;

private:
    DefinitionPageModel& m_model;
    ControlMirror* m_mirror;
    QComboBox* m_type;
};

} // namespace vantrel
