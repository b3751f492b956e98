#pragma once

#include "model/ActionDefinition.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// What the window layer shows of one control: a page model changes these, the widget mirrors
// them. text is the edit's (or combo field's) text as displayed.
struct ControlState {
    bool checked = false;
    bool enabled = true;
    std::string text;
    std::string problem; // what is wrong with the text and what is accepted; empty when fine
};

// A check box that turns into a flag bit, with its edit and the default name a tick fills in.
struct CheckRow {
    int box;
    int edit;
    std::uint32_t bit;
    const char* format;
    std::int32_t ActionDefinition::*mark; // null: the click leaves no mark
    std::string ActionDefinition::*field;
};

// Common ground of the three property pages: control states, one text buffer per edit, and
// the push/pull transfers between buffers and edits.
class PageModel {
public:
    virtual ~PageModel() = default;

    ControlState& control(int id) { return m_controls[id]; }
    const ControlState& control(int id) const;
    // The ids this page holds, for the window layer's mirror.
    std::vector<int> controlIds() const;

    const std::string& buffer(int editId) const;
    ActionDefinition* action() const { return m_action; }

    // The user changed the text of an edit or combo field; control(id).text already holds it.
    virtual void textEdited(int id) { static_cast<void>(id); }

protected:
    // Declares an edit with its buffer; buffers start empty.
    void addEdit(int id, bool enabled = true);
    void addControl(int id, bool enabled = true);

    void push();
    void pull();
    std::string& bufferRef(int editId) { return m_buffers[editId]; }

    // The click rule of a check box row: bit and default name by applyCheck, the edit enabled by
    // the bit, the buffer shown, the row's mark set.
    void clickCheckRow(const CheckRow& row, bool checked);
    // Tick the row's box and enable its edit by the bit in flags.
    void showCheckRow(const CheckRow& row);
    // An edit whose text is still the default name made with format from the old action name
    // (lower-cased when lower is set) takes the default for the new name; true when it did.
    bool followRename(int edit, std::string_view format, bool lower, std::string_view oldName,
                      std::string_view newName);

    ActionDefinition* m_action = nullptr;

private:
    std::map<int, ControlState> m_controls;
    std::map<int, std::string> m_buffers;
};

} // namespace vantrel
