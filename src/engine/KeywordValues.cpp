#include "engine/KeywordValues.h"

#include "model/FlagNames.h"
#include "model/Version.h"

#include <charconv>
#include <iterator>

namespace vantrel {

namespace {

using Context = KeywordContext;

void appendNumber(std::string& out, std::int32_t number) {
    char digits[16];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), number);
    out.append(digits, result.ptr);
}

// The keywords whose value is one of the project's settings, unchanged.
template <std::string ProjectState::*Setting>
void appendSetting(const Context& c, std::string& out) {
    out.append(c.project.*Setting);
}

// An action's defined name: its flag is set and its text is not empty.
template <std::uint32_t Bit, std::string ActionDefinition::*Field>
bool defined(const Context& c) {
    return (c.action.flags & Bit) != 0 && !(c.action.*Field).empty();
}

template <std::uint32_t Bit>
bool flagSet(const Context& c) {
    return (c.action.flags & Bit) != 0;
}

// The name when it is defined, "NULL" otherwise; quoted names go between double quotes.
template <std::uint32_t Bit, std::string ActionDefinition::*Field, bool Quoted = false>
void appendDefined(const Context& c, std::string& out) {
    if (!defined<Bit, Field>(c)) {
        out.append("NULL");
    } else if (Quoted) {
        out.append(1, '"').append(c.action.*Field).append(1, '"');
    } else {
        out.append(c.action.*Field);
    }
}

template <const char* Dov, const char* Kel>
void appendByHost(const Context& c, std::string& out) {
    out.append(c.project.dovHost ? Dov : c.project.kelHost ? Kel : "0");
}

constexpr char GP_DOV[] = "gp_DovInterface";
constexpr char GP_KEL[] = "gp_KelInterface";
constexpr char CLASS_DOV[] = "CDovInterface";
constexpr char CLASS_KEL[] = "CKelInterface";
constexpr char PI_H_DOV[] = "dovpi.h";
constexpr char PI_H_KEL[] = "kelpi.h";

void appendInterfacePointer(const Context& c, std::string& out) {
    if (!c.action.indivInterface) {
        appendByHost<GP_DOV, GP_KEL>(c, out);
        return;
    }
    out.append("gp_IIO");
    appendNumber(out, c.project.currentActionIndex);
}

void appendMenu(const Context& c, std::string& out) {
    if (!defined<ACF_MENU, &ActionDefinition::menu>(c)) {
        out.append("NULL");
        return;
    }
    // Quoted, with every backslash doubled: the text between backslashes goes in whole.
    out.append(1, '"');
    const std::string_view menu = c.action.menu;
    std::size_t from = 0;
    for (std::size_t slash = menu.find('\\'); slash != std::string_view::npos;
         slash = menu.find('\\', from)) {
        out.append(menu.substr(from, slash + 1 - from)).append(1, '\\');
        from = slash + 1;
    }
    out.append(menu.substr(from)).append(1, '"');
}

void appendDefine(const Context& c, std::string& out) {
    out.append("IDA_").append(upperAscii(c.action.name));
}

bool mouseCallback(const Context& c) {
    return defined<ACF_CB_MS_LBDOWN, &ActionDefinition::cbMsLbDown>(c) ||
           defined<ACF_CB_MS_LBUP, &ActionDefinition::cbMsLbUp>(c) ||
           defined<ACF_CB_MS_RBDOWN, &ActionDefinition::cbMsRbDown>(c) ||
           defined<ACF_CB_MS_RBUP, &ActionDefinition::cbMsRbUp>(c) ||
           defined<ACF_CB_MS_MOVE, &ActionDefinition::cbMsMove>(c);
}

bool anyCallback(const Context& c) {
    return defined<ACF_CB_STATUS, &ActionDefinition::cbStatus>(c) ||
           defined<ACF_CB_KEYBRD, &ActionDefinition::cbKeybrd>(c) || mouseCallback(c);
}

using A = ActionDefinition;

// One row per keyword id, in id order (checked below). Columns: id, value, second value,
// condition, loop count.
constexpr std::array<KeywordMeaning, KEYWORD_COUNT> MEANINGS = {{
    {KW_ZERO, nullptr, nullptr, nullptr, false},
    {KW_VANTRELVERSION, [](const Context&, std::string& out) { out.append(VANTREL_VERSION); },
     nullptr, nullptr, false},
    {KW_ALL_ACTIONS, nullptr, nullptr, nullptr, true},
    {KW_APPINTERFACEPTR, appendInterfacePointer, nullptr, nullptr, false},
    {KW_GLOBALAPPINTERFACEPTR, appendByHost<GP_DOV, GP_KEL>, nullptr, nullptr, false},
    {KW_APPINTERFACECLASSNAME, appendByHost<CLASS_DOV, CLASS_KEL>, nullptr, nullptr, false},
    {KW_WORKDIR, appendSetting<&ProjectState::workdirectory>, nullptr, nullptr, false},
    {KW_DOVINTERFACE, appendSetting<&ProjectState::dovinerfaceinc>, "dov_i.h", nullptr, false},
    {KW_PIINC, appendSetting<&ProjectState::piinc>, "pi.h", nullptr, false},
    {KW_THREADINC, appendSetting<&ProjectState::threadinc>, "thread.h", nullptr, false},
    {KW_DOVPIINC, appendSetting<&ProjectState::dovpiinc>, "dovpi.h", nullptr, false},
    {KW_DOVPILIB_R, appendSetting<&ProjectState::dovpilib_r>, "dovpi.lib", nullptr, false},
    {KW_DOVPILIB_D, appendSetting<&ProjectState::dovpilib_d>, "dovpi.lib", nullptr, false},
    {KW_VECTORINC, appendSetting<&ProjectState::vectorinc>, "vector.h", nullptr, false},
    {KW_VIEWINC, appendSetting<&ProjectState::viewinc>, "viewinfo.h", nullptr, false},
    {KW_KELINTERFACE, appendSetting<&ProjectState::kelinerfaceinc>, "kel_i.h", nullptr, false},
    {KW_KELPIINC, appendSetting<&ProjectState::kelpiinc>, "kelpi.h", nullptr, false},
    {KW_KELPILIB_R, appendSetting<&ProjectState::kelpilib_r>, "kelpi.lib", nullptr, false},
    {KW_KELPILIB_D, appendSetting<&ProjectState::kelpilib_d>, "kelpi.lib", nullptr, false},
    {KW_MATRIXINC, appendSetting<&ProjectState::matrixinc>, "matrix.h", nullptr, false},
    {KW_DOVEXPORT, appendSetting<&ProjectState::dovexportinc>, "dovexport.h", nullptr, false},
    {KW_KELEXPORT, appendSetting<&ProjectState::kelexportinc>, "kelexport.h", nullptr, false},
    {KW_APPPI_H, appendByHost<PI_H_DOV, PI_H_KEL>, nullptr, nullptr, false},
    {KW_PROJECTNAME, appendSetting<&ProjectState::projectName>, nullptr, nullptr, false},
    {KW_DLLFLAGS, [](const Context& c, std::string& out) { out.append(dllFlagsValue(c.project)); },
     nullptr, nullptr, false},
    {KW_ACTIONNAME, [](const Context& c, std::string& out) { out.append(c.action.name); }, nullptr,
     nullptr, false},
    {KW_ACDF_FLAGS,
     [](const Context& c, std::string& out) {
         out.append(c.action.indivInterface ? "PIFL_INDIVIDUALINTERFACE" : "0");
     },
     nullptr, nullptr, false},
    {KW_ACDF_TYP,
     [](const Context& c, std::string& out) {
         if (!appendFlagNames(out, c.action.type, procTypeTable))
             out.append("PIPD_COMMONTOOL");
     },
     nullptr, nullptr, false},
    {KW_ACDF_VIRTUALID, [](const Context&, std::string& out) { out.append(1, '0'); }, nullptr,
     nullptr, false},
    {KW_ACDF_NAME,
     [](const Context& c, std::string& out) {
         out.append(1, '"').append(c.action.name).append(1, '"');
     },
     nullptr, nullptr, false},
    {KW_ACDF_MENU, appendMenu, nullptr, defined<ACF_MENU, &A::menu>, false},
    {KW_ACDF_TB_NAME, appendDefined<ACF_TOOLBAR, &A::tbName, true>, nullptr,
     defined<ACF_TOOLBAR, &A::tbName>, false},
    {KW_ACDF_TOOLTIPS, appendDefined<ACF_TOOLTIPS, &A::tooltips, true>, nullptr,
     defined<ACF_TOOLTIPS, &A::tooltips>, false},
    {KW_ACDF_TB_PIC, appendDefined<ACF_TOOLBAR, &A::tbButton, true>, nullptr,
     defined<ACF_TOOLBAR, &A::tbButton>, false},
    {KW_ACDF_IDX,
     [](const Context& c, std::string& out) { appendNumber(out, c.project.currentActionIndex); },
     nullptr, nullptr, false},
    {KW_ACDF_IDXDEF, appendDefine, nullptr, nullptr, false},
    {KW_ACDF_PROC_EXECUTE, appendDefined<ACF_PROC_EXECUTE, &A::procExecute>, nullptr,
     defined<ACF_PROC_EXECUTE, &A::procExecute>, false},
    {KW_ACDF_PROC_CLOSE, appendDefined<ACF_PROC_CLOSE, &A::procClose>, nullptr,
     defined<ACF_PROC_CLOSE, &A::procClose>, false},
    {KW_ACDF_PROC_FIRSTTIME, appendDefined<ACF_PROC_FIRSTTIME, &A::procFirstTime>, nullptr,
     defined<ACF_PROC_FIRSTTIME, &A::procFirstTime>, false},
    // A modal dialog gets no message callbacks.
    {KW_ACDF_SET_CBPROCS, nullptr, nullptr,
     [](const Context& c) { return !flagSet<ACF_PANEL_MODDIALOG>(c) && anyCallback(c); }, false},
    {KW_ACDF_CBPROC_STATUS, appendDefined<ACF_CB_STATUS, &A::cbStatus>, nullptr,
     defined<ACF_CB_STATUS, &A::cbStatus>, false},
    {KW_ACDF_CBPROC_KEYBRD, appendDefined<ACF_CB_KEYBRD, &A::cbKeybrd>, nullptr,
     defined<ACF_CB_KEYBRD, &A::cbKeybrd>, false},
    {KW_ACDF_CBPROC_MS_LBDOWN, appendDefined<ACF_CB_MS_LBDOWN, &A::cbMsLbDown>, nullptr,
     defined<ACF_CB_MS_LBDOWN, &A::cbMsLbDown>, false},
    {KW_ACDF_CBPROC_MS_LBUP, appendDefined<ACF_CB_MS_LBUP, &A::cbMsLbUp>, nullptr,
     defined<ACF_CB_MS_LBUP, &A::cbMsLbUp>, false},
    {KW_ACDF_CBPROC_MS_RBDOWN, appendDefined<ACF_CB_MS_RBDOWN, &A::cbMsRbDown>, nullptr,
     defined<ACF_CB_MS_RBDOWN, &A::cbMsRbDown>, false},
    {KW_ACDF_CBPROC_MS_RBUP, appendDefined<ACF_CB_MS_RBUP, &A::cbMsRbUp>, nullptr,
     defined<ACF_CB_MS_RBUP, &A::cbMsRbUp>, false},
    {KW_ACDF_CBPROC_MS_MOVE, appendDefined<ACF_CB_MS_MOVE, &A::cbMsMove>, nullptr,
     defined<ACF_CB_MS_MOVE, &A::cbMsMove>, false},
    {KW_ACDF_CBPROC_MOUSE, nullptr, nullptr, mouseCallback, false},
    {KW_CREATE_PANEL, nullptr, nullptr,
     [](const Context& c) { return (c.action.flags & ACF_PANEL_MASK) != 0; }, false},
    {KW_PANELCLASSNAME, [](const Context& c, std::string& out) { out.append(c.action.panelClass); },
     nullptr, nullptr, false},
    {KW_CREATE_DIALOG, nullptr, nullptr, flagSet<ACF_PANEL_DIALOG>, false},
    {KW_CREATE_MODDIALOG, nullptr, nullptr, flagSet<ACF_PANEL_MODDIALOG>, false},
    {KW_CREATE_WINDOW, nullptr, nullptr, flagSet<ACF_PANEL_WINDOW>, false},
    {KW_CREATE_THREAD, nullptr, nullptr, flagSet<ACF_CREATE_THREAD>, false},
    {KW_USING_INDIV_INT_OBJ, nullptr, nullptr,
     [](const Context& c) { return c.action.indivInterface != 0; }, false},
    {KW_USING_STATIC_MEMORY_BUF, nullptr, nullptr,
     [](const Context& c) { return c.action.staticMemBuf != 0; }, false},
    {KW_TOPMOSTWINDOW, nullptr, nullptr, flagSet<ACF_TOPMOST>, false},
    {KW_KEL, nullptr, nullptr, [](const Context& c) { return c.project.kelHost != 0; }, false},
    {KW_DOV, nullptr, nullptr, [](const Context& c) { return c.project.dovHost != 0; }, false},
}};

constexpr bool inIdOrder() {
    for (std::size_t i = 0; i < MEANINGS.size(); ++i) {
        if (MEANINGS[i].id != static_cast<KeywordId>(i))
            return false;
    }
    return true;
}
static_assert(inIdOrder(), "the keyword meanings are looked up by id");

// Replaces the exact occurrences, left to right without overlap; the inserted value is not
// searched again.
void replaceAll(std::string& text, std::string_view placeholder, std::string_view value) {
    if (placeholder.empty())
        return;
    for (std::size_t pos = text.find(placeholder); pos != std::string::npos;
         pos = text.find(placeholder, pos + value.size()))
        text.replace(pos, placeholder.size(), value);
}

std::string_view trimPercent(std::string_view text) {
    const std::size_t first = text.find_first_not_of('%');
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of('%') - first + 1);
}

} // namespace

const std::array<KeywordMeaning, KEYWORD_COUNT> keywordMeanings = MEANINGS;

std::string dllFlagsValue(const ProjectState& project) {
    std::string value = project.dovHost ? "PIDLLFL_DOV" : project.kelHost ? "PIDLLFL_KEL" : "";
    const std::string names = joinFlagNames(project.dllFlags, dllFlagTable);
    if (!names.empty())
        value.append(" | ").append(names);
    return value;
}

const ActionDefinition& KeywordValues::currentAction() const {
    static const ActionDefinition emptyAction;
    const ActionDefinition* action = m_project.currentAction();
    return action ? *action : emptyAction;
}

const ExtraSetting* KeywordValues::extraSetting(std::string_view key) const {
    for (const ExtraSetting& setting : m_project.extraSettings) {
        if (setting.key == key)
            return &setting;
    }
    return nullptr;
}

std::optional<std::string> KeywordValues::placeholderValue(std::string_view text,
                                                           std::string* secondValue) const {
    if (secondValue)
        secondValue->clear();
    const KeywordId id = lookupKeyword(text);
    if (id == KW_NONE) {
        const ExtraSetting* setting = extraSetting(trimPercent(text));
        if (!setting)
            return std::nullopt;
        if (secondValue)
            *secondValue = setting->secondValue;
        return setting->value;
    }
    std::string value;
    if (!appendValue(id, {}, currentAction(), value))
        return std::nullopt;
    if (secondValue && MEANINGS[id].secondValue)
        *secondValue = MEANINGS[id].secondValue;
    return value;
}

bool KeywordValues::appendValue(KeywordId id, std::string_view extraKey,
                                const ActionDefinition& action, std::string& out) const {
    if (id == KW_NONE) {
        const ExtraSetting* setting = extraSetting(extraKey);
        if (setting)
            out.append(setting->value);
        return setting != nullptr;
    }
    const KeywordMeaning& meaning = MEANINGS[id];
    if (!meaning.appendValue)
        return false;
    meaning.appendValue(KeywordContext{m_project, action}, out);
    return true;
}

bool KeywordValues::isConditionTrue(KeywordId id, const ActionDefinition& action) const {
    if (id < 0 || id >= KW_NONE || !MEANINGS[id].condition)
        return false;
    return MEANINGS[id].condition(KeywordContext{m_project, action});
}

std::int32_t KeywordValues::loopCountOf(KeywordId id) const {
    return id >= 0 && id < KW_NONE && MEANINGS[id].countsActions ? m_project.actionCount() : 0;
}

bool KeywordValues::replacePlaceholder(std::string& text, std::string_view placeholder) const {
    const std::optional<std::string> value = placeholderValue(placeholder);
    if (!value)
        return false;
    replaceAll(text, placeholder, *value);
    return true;
}

} // namespace vantrel
