#include "wizard/ActionPropertiesModel.h"

#include "wizard/ControlIds.h"

#include <utility>

namespace vantrel {

ActionPropertiesModel::ActionPropertiesModel(ActionDefinition& action, AskOkCancel ask,
                                             ActionNameCheck check)
    : m_action(action)
    , m_ask(std::move(ask))
    , m_check(std::move(check)) {}

void ActionPropertiesModel::open() {
    m_nameBuffer = m_action.name;
    m_nameText = m_nameBuffer;
    definition.loadFromAction(m_action);
    panel.loadFromAction(m_action);
    messages.loadFromAction(m_action);
}

void ActionPropertiesModel::nameEdited(const std::string& text) {
    const std::string oldName = std::exchange(m_nameText, text);
    m_nameBuffer = text;
    m_action.name = m_nameBuffer;
    definition.nameChanged(oldName, text);
    panel.nameChanged(oldName, text);
    messages.nameChanged(oldName, text);
}

std::vector<std::string> ActionPropertiesModel::nameWarnings() const {
    if (!m_check)
        return {};
    ActionDefinition shown = m_action;
    shown.name = m_nameText;
    definition.namesInto(shown);
    messages.namesInto(shown);
    return m_check(shown);
}

ActionDefinition ActionPropertiesModel::shownAction() const {
    ActionDefinition shown = m_action;
    shown.name = m_nameText;
    const AskOkCancel ok = [](const std::string&) {
        return true;
    };
    DefinitionPage definitionCopy = definition;
    definitionCopy.storeInto(&shown);
    definitionCopy.storeToAction();
    PanelPage panelCopy = panel;
    panelCopy.storeInto(&shown);
    panelCopy.storeToAction(ok);
    MessagesPage messagesCopy = messages;
    messagesCopy.storeInto(&shown);
    messagesCopy.storeToAction(ok);
    return shown;
}

int ActionPropertiesModel::ok() {
    m_nameBuffer = m_nameText;
    if (m_nameBuffer.empty())
        return RESULT_EMPTY_NAME;
    if (!definition.typeProblem().empty())
        return RESULT_UNKNOWN_TYPE;
    definition.storeToAction();
    panel.storeToAction(m_ask);
    messages.storeToAction(m_ask);
    return CTL_OK;
}

} // namespace vantrel
