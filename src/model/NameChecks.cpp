#include "model/NameChecks.h"

#include "model/AsciiCase.h"

#include <algorithm>
#include <array>

namespace vantrel {

namespace {

constexpr std::array<std::string_view, 95> KEYWORDS = {
    "alignas",
    "alignof",
    "and",
    "and_eq",
    "asm",
    "auto",
    "bitand",
    "bitor",
    "bool",
    "break",
    "case",
    "catch",
    "char",
    "char8_t",
    "char16_t",
    "char32_t",
    "class",
    "compl",
    "concept",
    "const",
    "consteval",
    "constexpr",
    "constinit",
    "const_cast",
    "continue",
    "co_await",
    "co_return",
    "co_yield",
    "decltype",
    "default",
    "delete",
    "do",
    "double",
    "dynamic_cast",
    "else",
    "enum",
    "explicit",
    "export",
    "extern",
    "false",
    "float",
    "for",
    "friend",
    "goto",
    "if",
    "inline",
    "int",
    "long",
    "mutable",
    "namespace",
    "new",
    "noexcept",
    "not",
    "not_eq",
    "nullptr",
    "operator",
    "or",
    "or_eq",
    "private",
    "protected",
    "public",
    "register",
    "reinterpret_cast",
    "requires",
    "restrict",
    "return",
    "short",
    "signed",
    "sizeof",
    "static",
    "static_assert",
    "static_cast",
    "struct",
    "switch",
    "template",
    "this",
    "thread_local",
    "throw",
    "true",
    "try",
    "typedef",
    "typeid",
    "typename",
    "union",
    "unsigned",
    "using",
    "virtual",
    "void",
    "volatile",
    "wchar_t",
    "while",
    "xor",
    "xor_eq",
    "_Bool",
    "_Generic",
};

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The first reason a name cannot stand in C code as it is, or nothing.
std::string identifierProblem(std::string_view name) {
    if (name.empty() || isDigit(name.front()) ||
        !std::all_of(name.begin(), name.end(), [](char c) { return isLetter(c) || isDigit(c); }))
        return "not a C identifier (letters, digits and _, not starting with a digit)";
    if (std::find(KEYWORDS.begin(), KEYWORDS.end(), name) != KEYWORDS.end())
        return "a C or C++ keyword";
    return {};
}

// Windows gives these names to devices, with or without an extension.
bool isDeviceName(std::string_view name) {
    const std::string_view stem = name.substr(0, name.find('.'));
    for (std::string_view device : {"CON", "PRN", "AUX", "NUL"})
        if (equalsIgnoringCase(stem, device))
            return true;
    return stem.size() == 4 &&
           (equalsIgnoringCase(stem.substr(0, 3), "COM") ||
            equalsIgnoringCase(stem.substr(0, 3), "LPT")) &&
           stem[3] >= '1' && stem[3] <= '9';
}

std::string folderProblem(std::string_view name) {
    const std::size_t first = name.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return "empty as a folder name";
    if (std::any_of(name.begin(), name.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
        return "a control character cannot stand in a folder name";
    // Every character that makes the folder fail, each once: the first alone may not be the
    // one that stops a run here.
    std::string unsafe;
    for (char c : name)
        if (std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos &&
            unsafe.find(c) == std::string::npos)
            unsafe.push_back(c);
    if (!unsafe.empty()) {
        std::string listed;
        for (std::size_t i = 0; i < unsafe.size(); ++i)
            listed += (i == 0                   ? ""
                       : i + 1 == unsafe.size() ? " and "
                                                : ", ") +
                      std::string("'") + unsafe[i] + "'";
        return listed + (unsafe.size() == 1 ? " cannot" : " cannot each") +
               " stand in a folder name on every system";
    }
    if (name.back() == '.' || name.back() == ' ')
        return "a folder name cannot end in a dot or a space on every system";
    if (isDeviceName(name))
        return "a device name on some systems, no folder name";
    return {};
}

// An action's procedure and callback fields: the flag that has it generated, and what the
// user calls it.
struct ProcedureField {
    std::uint32_t bit;
    std::string ActionDefinition::*name;
    std::string_view caption;
};

constexpr ProcedureField PROCEDURE_FIELDS[] = {
    {ACF_PROC_EXECUTE, &ActionDefinition::procExecute, "Execute procedure"},
    {ACF_PROC_CLOSE, &ActionDefinition::procClose, "Close procedure"},
    {ACF_PROC_FIRSTTIME, &ActionDefinition::procFirstTime, "first time init procedure"},
    {ACF_CB_STATUS, &ActionDefinition::cbStatus, "status procedure"},
    {ACF_CB_KEYBRD, &ActionDefinition::cbKeybrd, "keyboard procedure"},
    {ACF_CB_MS_LBDOWN, &ActionDefinition::cbMsLbDown, "mouse LB down procedure"},
    {ACF_CB_MS_LBUP, &ActionDefinition::cbMsLbUp, "mouse LB up procedure"},
    {ACF_CB_MS_RBDOWN, &ActionDefinition::cbMsRbDown, "mouse RB down procedure"},
    {ACF_CB_MS_RBUP, &ActionDefinition::cbMsRbUp, "mouse RB up procedure"},
    {ACF_CB_MS_MOVE, &ActionDefinition::cbMsMove, "mouse move procedure"},
};

// The names an action's generated code defines: its procedures and callbacks, where defined.
std::vector<std::string_view> definedNames(const ActionDefinition& action) {
    std::vector<std::string_view> names;
    for (const ProcedureField& field : PROCEDURE_FIELDS)
        if ((action.flags & field.bit) != 0 && !(action.*field.name).empty())
            names.emplace_back(action.*field.name);
    return names;
}

// Whether a field holds what the action's name gives it by default.
bool heldByName(const ActionDefinition& action, const std::string ActionDefinition::*field) {
    return std::any_of(std::begin(NAMED_DEFAULTS), std::end(NAMED_DEFAULTS),
                       [&](const NamedDefault& named) {
                           return named.field == field && named.heldBy(action.*field, action.name);
                       });
}

} // namespace

std::vector<std::string> projectNameWarnings(std::string_view name) {
    std::vector<std::string> warnings;
    for (std::string problem : {identifierProblem(name), folderProblem(name)})
        if (!problem.empty())
            warnings.push_back(std::move(problem));
    return warnings;
}

std::vector<std::string> actionNameWarnings(const ProjectState& project, std::size_t index) {
    if (index >= project.actions.size())
        return {};
    return actionNameWarnings(project, project.actions[index], index);
}

std::vector<std::string> actionNameWarnings(const ProjectState& project,
                                            const ActionDefinition& action, std::size_t index) {
    std::vector<std::string> warnings;
    const std::string nameProblem = identifierProblem(action.name);
    if (!nameProblem.empty())
        warnings.push_back(nameProblem);
    // The procedures the generated code declares, each as a C name; one the action's name gives
    // by default is wrong for the name's reason, said already.
    for (const ProcedureField& field : PROCEDURE_FIELDS) {
        if ((action.flags & field.bit) == 0 ||
            (!nameProblem.empty() && heldByName(action, field.name)))
            continue;
        if (std::string problem = identifierProblem(action.*field.name); !problem.empty())
            warnings.push_back(std::string(field.caption) + " \"" + action.*field.name +
                               "\": " + problem);
    }
    const std::vector<std::string_view> own = definedNames(action);
    for (std::size_t other = 0; other < project.actions.size(); ++other) {
        if (other == index)
            continue;
        const ActionDefinition& theirs = project.actions[other];
        if (action.name != theirs.name && equalsIgnoringCase(action.name, theirs.name))
            warnings.push_back("the same name as \"" + theirs.name +
                               "\" but for letter case: their defines and files collide");
        for (std::string_view name : definedNames(theirs))
            if (std::find(own.begin(), own.end(), name) != own.end())
                warnings.push_back("\"" + std::string(name) + "\" is also a procedure of \"" +
                                   theirs.name + "\"");
    }
    return warnings;
}

std::vector<std::string> projectWarnings(const ProjectState& project, std::string_view name) {
    std::vector<std::string> warnings;
    for (const std::string& warning : projectNameWarnings(name))
        warnings.push_back("project name \"" + std::string(name) + "\": " + warning);
    for (std::size_t i = 0; i < project.actions.size(); ++i)
        for (const std::string& warning : actionNameWarnings(project, i))
            warnings.push_back("action " + std::to_string(i + 1) + " \"" + project.actions[i].name +
                               "\": " + warning);
    return warnings;
}

} // namespace vantrel
