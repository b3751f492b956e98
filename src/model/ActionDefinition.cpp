#include "model/ActionDefinition.h"

#include "model/AsciiCase.h"

#include <algorithm>

namespace vantrel {

std::string lowerAscii(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), foldAscii);
    return result;
}

std::string upperAscii(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(), [](char c) {
        return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return result;
}

std::string formatName(std::string_view format, std::string_view text) {
    std::string result;
    const auto at = format.find("%s");
    if (at == std::string_view::npos)
        return std::string(format);
    result.reserve(format.size() + text.size());
    result.append(format.substr(0, at));
    result.append(text);
    result.append(format.substr(at + 2));
    return result;
}

void setClearBits(std::uint32_t& word, std::uint32_t setBits, std::uint32_t clearBits) {
    word = (word & ~clearBits) | setBits;
}

void applyCheck(bool checked, std::uint32_t bit, std::uint32_t& flags, std::string& nameString,
                std::string_view format, std::string_view actionName) {
    if (checked)
        setClearBits(flags, bit, 0);
    else
        setClearBits(flags, 0, bit);
    if (checked && nameString.empty())
        nameString = formatName(format, lowerAscii(actionName));
}

void ActionDefinition::resetAction() {
    *this = ActionDefinition{};
}

void ActionDefinition::setActionDefaults(std::string_view actionName) {
    const std::int32_t keepIndiv = indivInterface;
    const std::int32_t keepStatic = staticMemBuf;
    resetAction();
    indivInterface = keepIndiv;
    staticMemBuf = keepStatic;
    type = PROC_TYPE_COMMONTOOL;
    flags = ACF_DEFAULT_FLAGS;
    setNamedDefaults(actionName);
}

void ActionDefinition::setNamedDefaults(std::string_view actionName) {
    name = std::string(actionName); // at its size, as the project file's texts are read
    // Each name is built in place, in the buffer it had.
    for (const NamedDefault& named : NAMED_DEFAULTS) {
        std::string& field = this->*named.field;
        field.clear();
        field.reserve(named.before.size() + actionName.size() + named.after.size());
        field.append(named.before).append(actionName);
        if (named.lower) {
            const auto name = field.begin() + static_cast<std::ptrdiff_t>(named.before.size());
            std::transform(name, field.end(), name, foldAscii);
        }
        field.append(named.after);
    }
}

bool NamedDefault::heldBy(std::string_view value, std::string_view actionName) const {
    if (value.size() != before.size() + actionName.size() + after.size() ||
        !value.starts_with(before) || !value.ends_with(after))
        return false;
    const std::string_view middle = value.substr(before.size(), actionName.size());
    if (!lower)
        return middle == actionName;
    return std::equal(middle.begin(), middle.end(), actionName.begin(),
                      [](char held, char name) { return held == foldAscii(name); });
}

void ActionDefinition::copyActionValue(const ActionDefinition& source) {
    if (&source == this)
        return;
    const std::int32_t keepDef = defEdited;
    const std::int32_t keepPanel = panelEdited;
    const std::int32_t keepMsg = msgEdited;
    *this = source;
    defEdited = keepDef;
    panelEdited = keepPanel;
    msgEdited = keepMsg;
}

void ActionDefinition::checkCloseProc(bool askClose, bool applyCallbackDefaults,
                                      const AskOkCancel& ask) {
    const bool modeless = (flags & ACF_PANEL_MODELESS) != 0;
    if (applyCallbackDefaults && msgEdited == 0) {
        if (modeless)
            setClearBits(flags, ACF_CB_STATUS, 0);
        else
            setClearBits(flags, 0, ACF_CB_MASK);
    }
    if (!askClose)
        return;

    // The user is asked only when a name exists and a procedure box was clicked for this record.
    const auto confirmed = [&](const char* question) {
        if (procClose.empty() || defEdited == 0)
            return true;
        return ask && ask(formatName(question, name));
    };
    if (modeless) {
        if (flags & ACF_PROC_CLOSE)
            return;
        if (!confirmed("Action '%s':\n[CloseProc] must be defined"))
            return;
        applyCheck(true, ACF_PROC_CLOSE, flags, procClose, "%s_Close", name);
    } else {
        if (!(flags & ACF_PROC_CLOSE))
            return;
        if (!confirmed("Action '%s':\n[CloseProc] must be not defined"))
            return;
        applyCheck(false, ACF_PROC_CLOSE, flags, procClose, "%s_Close", name);
    }
}

} // namespace vantrel
