#pragma once

#include "ui/ActionPropertiesModel.h"

#include <QDialog>

class QLineEdit;

namespace vantrel {

class DefinitionPage;
class MessagesPage;
class PanelPage;
class TabPageHost;

// "Properties": edits one action in place, with the pages "Definition", "Panel" and "Messages".
// exec() gives CTL_OK, CTL_CANCEL, or RESULT_EMPTY_NAME when OK was pressed without a name.
class ActionPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    ActionPropertiesDialog(ActionDefinition& action, QWidget* parent = nullptr);

    ActionPropertiesModel& model() { return m_model; }
    TabPageHost* pageHost() const { return m_host; }

    void accept() override;
    void reject() override;

private:
    ActionPropertiesModel m_model;
    QLineEdit* m_name;
    TabPageHost* m_host;
    DefinitionPage* m_definition;
    PanelPage* m_panel;
    MessagesPage* m_messages;
};

} // namespace vantrel
