#pragma once

#include "model/ActionDefinition.h"

#include <cstdint>
#include <map>
#include <span>
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

    const std::string& buffer(int editId) const;
    ActionDefinition* action() const { return m_action; }
    // Makes a copy of a page store into another record than the one it shows.
    void storeInto(ActionDefinition* action) { m_action = action; }

    // The user changed the text of an edit or combo field; control(id).text already holds it.
    virtual void textEdited(int id) { static_cast<void>(id); }
    // A click on a check box or radio button; checked is its state after the click.
    virtual void click(int id, bool checked) = 0;

protected:
    // Declares an edit with its buffer; buffers start empty.
    void addEdit(int id, bool enabled = true);
    void addControl(int id, bool enabled = true);

    void push();
    void pull();
    std::string& bufferRef(int editId) { return m_buffers[editId]; }

    using CheckRows = std::span<const CheckRow>;
    // Declares each row's box and its edit.
    void addCheckRows(CheckRows rows, bool enabled = true);
    // Each row's buffer from its field; its box ticked and its edit enabled by the bit in flags.
    void loadCheckRows(CheckRows rows);
    // Each row's buffer into its field and its box into its bit, in row order: of two rows with
    // one bit, the last decides.
    void storeCheckRows(CheckRows rows);
    // The names and ticks of the rows as the page shows them, into another record.
    void checkRowsInto(CheckRows rows, ActionDefinition& action) const;
    // The click rule of the row whose box is id: bit and default name by applyCheck, the edit
    // enabled by the bit, the buffer shown, the row's mark set. False when no row has that box.
    bool clickCheckRows(CheckRows rows, int id, bool checked);
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
