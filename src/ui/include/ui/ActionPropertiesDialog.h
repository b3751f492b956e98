#pragma once

#include "wizard/ActionPropertiesModel.h"

#include <QDialog>

#include <array>

class QLabel;
class QLineEdit;

namespace vantrel {

class PropertyPage;
class TabPageHost;

// "Properties": edits one action in place, with the pages "Definition", "Panel" and "Messages".
// exec() gives CTL_OK or CTL_CANCEL; OK without a name says so and leaves the dialog open. With a
// check, the warnings about the name show next to it as it is typed.
class ActionPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    // newAction: typing starts in the name, which is selected; otherwise OK has the focus.
    ActionPropertiesDialog(ActionDefinition& action, QWidget* parent = nullptr,
                           ActionNameCheck check = {}, bool newAction = false);

    ActionPropertiesModel& model() { return m_model; }
    TabPageHost* pageHost() const { return m_host; }

    void accept() override;
    void reject() override;

signals:
    // The user changed the name or a page: model().shownAction() is the action as it stands.
    void edited();

private:
    // The pages and the warnings about the name, after the model changed.
    void refresh();

    ActionPropertiesModel m_model;
    QLineEdit* m_name;
    QLabel* m_nameWarnings;
    TabPageHost* m_host;
    std::array<PropertyPage*, 3> m_pages; // "Definition", "Panel", "Messages"
};

} // namespace vantrel
