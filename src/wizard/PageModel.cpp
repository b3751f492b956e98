#include "wizard/PageModel.h"

namespace vantrel {

const ControlState& PageModel::control(int id) const {
    static const ControlState missing;
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? missing : it->second;
}

std::vector<int> PageModel::controlIds() const {
    std::vector<int> ids;
    for (const auto& [id, state] : m_controls)
        ids.push_back(id);
    return ids;
}

const std::string& PageModel::buffer(int editId) const {
    static const std::string missing;
    const auto it = m_buffers.find(editId);
    return it == m_buffers.end() ? missing : it->second;
}

void PageModel::addEdit(int id, bool enabled) {
    addControl(id, enabled);
    m_buffers[id];
}

void PageModel::addControl(int id, bool enabled) {
    m_controls[id].enabled = enabled;
}

void PageModel::push() {
    for (const auto& [id, text] : m_buffers)
        m_controls[id].text = text;
}

void PageModel::pull() {
    for (auto& [id, text] : m_buffers)
        text = m_controls[id].text;
}

void PageModel::clickCheckRow(const CheckRow& row, bool checked) {
    pull();
    control(row.box).checked = checked;
    if (!m_action)
        return;
    std::string& name = bufferRef(row.edit);
    applyCheck(checked, row.bit, m_action->flags, name, row.format, m_action->name);
    control(row.edit).enabled = (m_action->flags & row.bit) != 0;
    control(row.edit).text = name;
    if (row.mark)
        m_action->*row.mark = 1;
}

bool PageModel::followRename(int edit, std::string_view format, bool lower,
                             std::string_view oldName, std::string_view newName) {
    const auto made = [format, lower](std::string_view name) {
        return formatName(format, lower ? lowerAscii(name) : std::string(name));
    };
    std::string& text = control(edit).text;
    if (text != made(oldName))
        return false;
    text = made(newName);
    return true;
}

void PageModel::showCheckRow(const CheckRow& row) {
    const bool set = (m_action->flags & row.bit) != 0;
    control(row.box).checked = set;
    control(row.edit).enabled = set;
}

} // namespace vantrel
