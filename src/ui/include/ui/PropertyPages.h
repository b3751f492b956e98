#pragma once

#include "wizard/DefinitionPage.h"
#include "wizard/MessagesPage.h"
#include "wizard/PanelPage.h"

#include <QWidget>

#include <functional>
#include <vector>

namespace vantrel {

class ControlMirror;

// One page of "Properties": its widgets, mirroring the page's model.
class PropertyPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int DEFINITION_ID = 130;
    static constexpr int PANEL_ID = 131;
    static constexpr int MESSAGES_ID = 132;

    static PropertyPage* definition(DefinitionPage& model, QWidget* parent);
    static PropertyPage* panel(PanelPage& model, QWidget* parent);
    static PropertyPage* messages(MessagesPage& model, QWidget* parent);

    void refresh();
    // The page's controls in reading order: down each column, the columns from left to right,
    // each check box before the edit it enables.
    QList<QWidget*> readingOrder() const;

signals:
    // The user changed one of the page's controls.
    void edited();

private:
    PropertyPage(PageModel& model, int templateId, std::vector<int> readingOrder, QWidget* parent);

    ControlMirror* m_mirror;
    std::vector<int> m_readingOrder;
    std::function<void()> m_beforeRefresh; // runs before the controls are copied from the model
};

} // namespace vantrel
