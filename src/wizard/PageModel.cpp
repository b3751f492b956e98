#include "wizard/PageModel.h"

#include <algorithm>

namespace vantrel {

const ControlState& PageModel::control(int id) const {
    static const ControlState missing;
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? missing : it->second;
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

void PageModel::addCheckRows(CheckRows rows, bool enabled) {
    for (const CheckRow& row : rows) {
        addEdit(row.edit, enabled);
        addControl(row.box, enabled);
    }
}

void PageModel::loadCheckRows(CheckRows rows) {
    for (const CheckRow& row : rows) {
        bufferRef(row.edit) = m_action->*row.field;
        const bool set = (m_action->flags & row.bit) != 0;
        control(row.box).checked = set;
        control(row.edit).enabled = set;
    }
}

void PageModel::storeCheckRows(CheckRows rows) {
    for (const CheckRow& row : rows) {
        m_action->*row.field = buffer(row.edit);
        const bool set = control(row.box).checked;
        setClearBits(m_action->flags, set ? row.bit : 0, set ? 0 : row.bit);
    }
}

void PageModel::checkRowsInto(CheckRows rows, ActionDefinition& action) const {
    for (const CheckRow& row : rows) {
        action.*row.field = control(row.edit).text;
        const bool set = control(row.box).checked;
        setClearBits(action.flags, set ? row.bit : 0, set ? 0 : row.bit);
    }
}

bool PageModel::clickCheckRows(CheckRows rows, int id, bool checked) {
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [id](const CheckRow& candidate) { return candidate.box == id; });
    if (row == rows.end())
        return false;
    pull();
    control(id).checked = checked;
    if (!m_action)
        return true;
    std::string& name = bufferRef(row->edit);
    applyCheck(checked, row->bit, m_action->flags, name, row->format, m_action->name);
    control(row->edit).enabled = (m_action->flags & row->bit) != 0;
    control(row->edit).text = name;
    if (row->mark)
        m_action->*row->mark = 1;
    return true;
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

} // namespace vantrel
