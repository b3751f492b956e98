#include "engine/Generator.h"

#include "engine/Keywords.h"
#include "engine/TextScan.h"
#include "model/FlagNames.h"
#include "model/Version.h"

#include <algorithm>
#include <bitset>
#include <charconv>
#include <iterator>
#include <utility>

namespace vantrel {

namespace {

// With no action selected the per-action keywords read as for an empty action.
const ActionDefinition& actionOrEmpty(const ProjectState& project) {
    static const ActionDefinition emptyAction;
    const ActionDefinition* action = project.currentAction();
    return action ? *action : emptyAction;
}

bool hasFlag(const ActionDefinition& action, std::uint32_t bit) {
    return (action.flags & bit) != 0;
}

bool flagWithText(const ActionDefinition& action, std::uint32_t bit, const std::string& text) {
    return hasFlag(action, bit) && !text.empty();
}

void appendNumber(std::string& out, std::int32_t number) {
    char digits[16];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), number);
    out.append(digits, result.ptr);
}

std::string trimPercent(std::string_view text) {
    const std::size_t first = text.find_first_not_of('%');
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of('%');
    return std::string(text.substr(first, last - first + 1));
}

// The setting behind a development-kit keyword and the file name a copy gives it.
struct KitFile {
    KeywordId id;
    std::string ProjectState::*setting;
    const char* fileName;
};

constexpr KitFile kitFiles[] = {
    {KW_DOVINTERFACE, &ProjectState::dovinerfaceinc, "dov_i.h"},
    {KW_PIINC, &ProjectState::piinc, "pi.h"},
    {KW_THREADINC, &ProjectState::threadinc, "thread.h"},
    {KW_DOVPIINC, &ProjectState::dovpiinc, "dovpi.h"},
    {KW_DOVPILIB_R, &ProjectState::dovpilib_r, "dovpi.lib"},
    {KW_DOVPILIB_D, &ProjectState::dovpilib_d, "dovpi.lib"},
    {KW_VECTORINC, &ProjectState::vectorinc, "vector.h"},
    {KW_MATRIXINC, &ProjectState::matrixinc, "matrix.h"},
    {KW_VIEWINC, &ProjectState::viewinc, "viewinfo.h"},
    {KW_KELINTERFACE, &ProjectState::kelinerfaceinc, "kel_i.h"},
    {KW_KELPIINC, &ProjectState::kelpiinc, "kelpi.h"},
    {KW_KELPILIB_R, &ProjectState::kelpilib_r, "kelpi.lib"},
    {KW_KELPILIB_D, &ProjectState::kelpilib_d, "kelpi.lib"},
    {KW_DOVEXPORT, &ProjectState::dovexportinc, "dovexport.h"},
    {KW_KELEXPORT, &ProjectState::kelexportinc, "kelexport.h"},
};

} // namespace

Generator::Generator(ProjectState& project, MessageSink& sink)
    : m_project(project)
    , m_sink(sink) {}

void Generator::setOutputListener(OutputListener listener) {
    m_listener = std::move(listener);
}

std::optional<std::string> Generator::placeholderValue(std::string_view text,
                                                       std::string* secondValue) const {
    if (secondValue)
        secondValue->clear();
    const KeywordId id = cachedKeyword(text);
    if (id != KW_NONE)
        return keywordValue(id, secondValue);
    const std::string key = trimPercent(text);
    for (const ExtraSetting& setting : m_project.extraSettings) {
        if (setting.key == key) {
            if (secondValue)
                *secondValue = setting.secondValue;
            return setting.value;
        }
    }
    return std::nullopt;
}

KeywordId Generator::cachedKeyword(std::string_view text) const {
    if (const auto found = m_keywordOf.find(text); found != m_keywordOf.end())
        return found->second;
    if (m_keywordOf.size() >= MAX_CACHED_NAMES)
        m_keywordOf.clear(); // a template of endless distinct names only loses the cache
    const KeywordId id = lookupKeyword(text);
    m_keywordOf.emplace(text, id);
    return id;
}

std::optional<std::string> Generator::keywordValue(KeywordId id, std::string* secondValue) const {
    std::string value;
    if (!appendKeywordValue(id, value, secondValue, actionOrEmpty(m_project)))
        return std::nullopt;
    return value;
}

bool Generator::appendKeywordValue(KeywordId id, std::string& out, std::string* secondValue,
                                   const ActionDefinition& a) const {
    const ProjectState& p = m_project;
    const auto conditional = [&](KeywordId condition, const std::string& text) {
        out.append(conditionTrue(condition, a) ? std::string_view(text) : std::string_view("NULL"));
        return true;
    };
    const auto quotedIf = [&](const std::string& text) {
        if (conditionTrue(id, a))
            out.append(1, '"').append(text).append(1, '"');
        else
            out.append("NULL");
        return true;
    };
    const auto byHost = [&](const char* dov, const char* kel) {
        out.append(p.dovHost ? dov : p.kelHost ? kel : "0");
        return true;
    };

    if (id >= KW_DOVINTERFACE && id <= KW_KELEXPORT) {
        for (const KitFile& kit : kitFiles) {
            if (kit.id == id) {
                if (secondValue)
                    *secondValue = kit.fileName;
                out.append(p.*kit.setting);
                return true;
            }
        }
    }
    switch (id) {
    case KW_VANTRELVERSION:
        out.append(VANTREL_VERSION);
        return true;
    case KW_APPINTERFACEPTR:
        if (a.indivInterface) {
            out.append("gp_IIO");
            appendNumber(out, p.currentActionIndex);
            return true;
        }
        return appendKeywordValue(KW_GLOBALAPPINTERFACEPTR, out, secondValue, a);
    case KW_GLOBALAPPINTERFACEPTR:
        return byHost("gp_DovInterface", "gp_KelInterface");
    case KW_APPINTERFACECLASSNAME:
        return byHost("CDovInterface", "CKelInterface");
    case KW_WORKDIR:
        out.append(p.workdirectory);
        return true;
    case KW_APPPI_H:
        return byHost("dovpi.h", "kelpi.h");
    case KW_PROJECTNAME:
        out.append(p.projectName);
        return true;
    case KW_DLLFLAGS:
        out.append(dllFlagsValue());
        return true;
    case KW_ACTIONNAME:
        out.append(a.name);
        return true;
    case KW_ACDF_FLAGS:
        out.append(a.indivInterface ? "PIFL_INDIVIDUALINTERFACE" : "0");
        return true;
    case KW_ACDF_TYP:
        if (!appendFlagNames(out, a.type, procTypeTable))
            out.append("PIPD_COMMONTOOL");
        return true;
    case KW_ACDF_VIRTUALID:
        out.append(1, '0');
        return true;
    case KW_ACDF_NAME:
        out.append(1, '"').append(a.name).append(1, '"');
        return true;
    case KW_ACDF_MENU: {
        if (!conditionTrue(id, a)) {
            out.append("NULL");
            return true;
        }
        // Quoted, with every backslash doubled: the text between backslashes goes in whole.
        out.append(1, '"');
        const std::string_view menu = a.menu;
        std::size_t from = 0;
        for (std::size_t slash = menu.find('\\'); slash != std::string_view::npos;
             slash = menu.find('\\', from)) {
            out.append(menu.substr(from, slash + 1 - from)).append(1, '\\');
            from = slash + 1;
        }
        out.append(menu.substr(from)).append(1, '"');
        return true;
    }
    case KW_ACDF_TB_NAME:
        return quotedIf(a.tbName);
    case KW_ACDF_TOOLTIPS:
        return quotedIf(a.tooltips);
    case KW_ACDF_TB_PIC:
        return quotedIf(a.tbButton);
    case KW_ACDF_IDX:
        // The same index is asked for again and again: its digits are kept.
        if (p.currentActionIndex != m_lastIndex.number) {
            m_lastIndex.number = p.currentActionIndex;
            m_lastIndex.digits.clear();
            appendNumber(m_lastIndex.digits, p.currentActionIndex);
        }
        out.append(m_lastIndex.digits);
        return true;
    case KW_ACDF_IDXDEF:
        // An action's lines name its define again and again: the last one made is kept.
        if (a.name != m_lastDefine.name) {
            m_lastDefine.name = a.name;
            m_lastDefine.define.assign("IDA_").append(a.name);
            for (char& c : m_lastDefine.define) {
                if (c >= 'a' && c <= 'z')
                    c = static_cast<char>(c - 'a' + 'A');
            }
        }
        out.append(m_lastDefine.define);
        return true;
    case KW_ACDF_PROC_EXECUTE:
        return conditional(id, a.procExecute);
    case KW_ACDF_PROC_CLOSE:
        return conditional(id, a.procClose);
    case KW_ACDF_PROC_FIRSTTIME:
        return conditional(id, a.procFirstTime);
    case KW_ACDF_CBPROC_STATUS:
        return conditional(id, a.cbStatus);
    case KW_ACDF_CBPROC_KEYBRD:
        return conditional(id, a.cbKeybrd);
    case KW_ACDF_CBPROC_MS_LBDOWN:
        return conditional(id, a.cbMsLbDown);
    case KW_ACDF_CBPROC_MS_LBUP:
        return conditional(id, a.cbMsLbUp);
    case KW_ACDF_CBPROC_MS_RBDOWN:
        return conditional(id, a.cbMsRbDown);
    case KW_ACDF_CBPROC_MS_RBUP:
        return conditional(id, a.cbMsRbUp);
    case KW_ACDF_CBPROC_MS_MOVE:
        return conditional(id, a.cbMsMove);
    case KW_PANELCLASSNAME:
        out.append(a.panelClass);
        return true;
    default:
        // "0", ALL_ACTIONS and the condition-only keywords have no value.
        return false;
    }
}

const ActionDefinition& Generator::currentOrEmptyAction() const {
    return actionOrEmpty(m_project);
}

bool Generator::isConditionTrue(KeywordId id) const {
    return conditionTrue(id, actionOrEmpty(m_project));
}

bool Generator::conditionTrue(KeywordId id, const ActionDefinition& a) const {
    switch (id) {
    case KW_ACDF_MENU:
        return flagWithText(a, ACF_MENU, a.menu);
    case KW_ACDF_TB_NAME:
        return flagWithText(a, ACF_TOOLBAR, a.tbName);
    case KW_ACDF_TOOLTIPS:
        return flagWithText(a, ACF_TOOLTIPS, a.tooltips);
    case KW_ACDF_TB_PIC:
        return flagWithText(a, ACF_TOOLBAR, a.tbButton);
    case KW_ACDF_PROC_EXECUTE:
        return flagWithText(a, ACF_PROC_EXECUTE, a.procExecute);
    case KW_ACDF_PROC_CLOSE:
        return flagWithText(a, ACF_PROC_CLOSE, a.procClose);
    case KW_ACDF_PROC_FIRSTTIME:
        return flagWithText(a, ACF_PROC_FIRSTTIME, a.procFirstTime);
    case KW_ACDF_SET_CBPROCS:
        // A modal dialog gets no message callbacks.
        return !conditionTrue(KW_CREATE_MODDIALOG, a) &&
               (conditionTrue(KW_ACDF_CBPROC_STATUS, a) ||
                conditionTrue(KW_ACDF_CBPROC_KEYBRD, a) || conditionTrue(KW_ACDF_CBPROC_MOUSE, a));
    case KW_ACDF_CBPROC_STATUS:
        return flagWithText(a, ACF_CB_STATUS, a.cbStatus);
    case KW_ACDF_CBPROC_KEYBRD:
        return flagWithText(a, ACF_CB_KEYBRD, a.cbKeybrd);
    case KW_ACDF_CBPROC_MS_LBDOWN:
        return flagWithText(a, ACF_CB_MS_LBDOWN, a.cbMsLbDown);
    case KW_ACDF_CBPROC_MS_LBUP:
        return flagWithText(a, ACF_CB_MS_LBUP, a.cbMsLbUp);
    case KW_ACDF_CBPROC_MS_RBDOWN:
        return flagWithText(a, ACF_CB_MS_RBDOWN, a.cbMsRbDown);
    case KW_ACDF_CBPROC_MS_RBUP:
        return flagWithText(a, ACF_CB_MS_RBUP, a.cbMsRbUp);
    case KW_ACDF_CBPROC_MS_MOVE:
        return flagWithText(a, ACF_CB_MS_MOVE, a.cbMsMove);
    case KW_ACDF_CBPROC_MOUSE:
        return conditionTrue(KW_ACDF_CBPROC_MS_LBDOWN, a) ||
               conditionTrue(KW_ACDF_CBPROC_MS_LBUP, a) ||
               conditionTrue(KW_ACDF_CBPROC_MS_RBDOWN, a) ||
               conditionTrue(KW_ACDF_CBPROC_MS_RBUP, a) || conditionTrue(KW_ACDF_CBPROC_MS_MOVE, a);
    case KW_CREATE_PANEL:
        return conditionTrue(KW_CREATE_DIALOG, a) || conditionTrue(KW_CREATE_MODDIALOG, a) ||
               conditionTrue(KW_CREATE_WINDOW, a);
    case KW_CREATE_DIALOG:
        return hasFlag(a, ACF_PANEL_DIALOG);
    case KW_CREATE_MODDIALOG:
        return hasFlag(a, ACF_PANEL_MODDIALOG);
    case KW_CREATE_WINDOW:
        return hasFlag(a, ACF_PANEL_WINDOW);
    case KW_CREATE_THREAD:
        return hasFlag(a, ACF_CREATE_THREAD);
    case KW_USING_INDIV_INT_OBJ:
        return a.indivInterface != 0;
    case KW_USING_STATIC_MEMORY_BUF:
        return a.staticMemBuf != 0;
    case KW_TOPMOSTWINDOW:
        return hasFlag(a, ACF_TOPMOST);
    case KW_KEL:
        return m_project.kelHost != 0;
    case KW_DOV:
        return m_project.dovHost != 0;
    default:
        return false;
    }
}

std::int32_t Generator::loopCountOf(KeywordId id) const {
    return id == KW_ALL_ACTIONS ? m_project.actionCount() : 0;
}

namespace {

// Replaces the exact occurrences, left to right without overlap; the inserted value is not
// searched again. Returns how many were replaced.
std::size_t replaceAll(std::string& text, std::string_view placeholder, std::string_view value) {
    if (placeholder.empty())
        return 0;
    std::size_t count = 0;
    std::size_t pos = text.find(placeholder);
    while (pos != std::string::npos) {
        text.replace(pos, placeholder.size(), value);
        ++count;
        pos = text.find(placeholder, pos + value.size());
    }
    return count;
}

std::size_t countOccurrences(std::string_view text, std::string_view placeholder) {
    std::size_t count = 0;
    for (std::size_t pos = text.find(placeholder); pos != std::string_view::npos;
         pos = text.find(placeholder, pos + placeholder.size()))
        ++count;
    return count;
}

} // namespace

bool Generator::replacePlaceholder(std::string& text, std::string_view placeholder) const {
    const std::optional<std::string> value = placeholderValue(placeholder);
    if (!value)
        return false;
    replaceAll(text, placeholder, *value);
    return true;
}

std::string Generator::dllFlagsValue() const {
    std::string value = m_project.dovHost ? "PIDLLFL_DOV" : m_project.kelHost ? "PIDLLFL_KEL" : "";
    const std::string names = joinFlagNames(m_project.dllFlags, dllFlagTable);
    if (!names.empty())
        value.append(" | ").append(names);
    return value;
}

std::string Generator::expandTemplateLine(std::string_view line) const {
    std::string text;
    expandTemplateLine(line, text);
    return text;
}

void Generator::expandTemplateLine(std::string_view line, std::string& text) const {
    text.clear();
    if (!expandLineInOnePass(line, analyseLine(line), text))
        text = expandTemplateLineRescanning(line);
}

void Generator::expandCurrentLine(const TemplateReader& reader, std::string& text) const {
    const std::size_t start = text.size();
    LinePlan scratch;
    const std::string_view line = reader.line();
    if (!expandLineInOnePass(line, linePlanOf(reader, scratch), text)) {
        text.resize(start);
        text.append(expandTemplateLineRescanning(line));
    }
}

// When every '%' pair of the line is a placeholder whose value holds no '%', the rescanning
// rules replace each pair where it stands, so one pass from left to right gives the same text.
// Not so for a NUL, for a name that could also be found from a pair's closing '%' on (then the
// rescanning rules replace other places than the pairs; such a name begins with the character
// after that '%', which values never replace), nor for a '%' right after a pair (an empty value
// would move the next pair). All of that depends on the text alone.
Generator::LinePlan Generator::analyseLine(std::string_view line) {
    LinePlan plan;
    if (line.find('\0') != std::string_view::npos)
        return plan;
    std::bitset<256> firstChars;      // the first characters of the pairs' names
    std::bitset<256> charsAfterPairs; // right after a closing '%'
    std::size_t search = 0;
    for (;;) {
        const std::size_t open = line.find('%', search);
        const std::size_t close = open == std::string_view::npos ? open : line.find('%', open + 1);
        if (close == std::string_view::npos)
            break;
        if (plan.pairs.size() == MAX_LINE_REPLACEMENTS)
            return {};
        const std::string_view candidate = line.substr(open, close - open + 1);
        plan.pairs.push_back({open, close, lookupKeyword(candidate)});
        if (candidate.size() > 2)
            firstChars.set(static_cast<unsigned char>(candidate[1]));
        if (close + 1 < line.size())
            charsAfterPairs.set(static_cast<unsigned char>(line[close + 1]));
        search = close + 1;
    }
    if ((firstChars & charsAfterPairs).any() || charsAfterPairs.test('%'))
        return {};
    plan.onePass = true;
    return plan;
}

bool Generator::appendPairValue(const LinePair& pair, std::string_view line, std::string& out,
                                const ActionDefinition& action) const {
    if (pair.id != KW_NONE)
        return appendKeywordValue(pair.id, out, nullptr, action);
    const std::string_view key = line.substr(pair.open + 1, pair.close - pair.open - 1);
    for (const ExtraSetting& setting : m_project.extraSettings) {
        if (setting.key == key) {
            out.append(setting.value);
            return true;
        }
    }
    return false;
}

Generator::ContentPlans* Generator::plansOf(const TemplateReader& reader) const {
    const TemplateReader::Content& content = reader.content();
    if (!content)
        return nullptr;
    for (const std::unique_ptr<ContentPlans>& plans : m_contentPlans) {
        if (plans->content == content)
            return plans.get();
    }
    if (m_contentPlans.size() >= MAX_CACHED_CONTENTS)
        m_contentPlans.clear();
    m_contentPlans.push_back(std::make_unique<ContentPlans>());
    m_contentPlans.back()->content = content;
    return m_contentPlans.back().get();
}

const Generator::LinePlan& Generator::linePlanOf(const TemplateReader& reader,
                                                 LinePlan& scratch) const {
    return keptPlan(&ContentPlans::lines, reader, scratch, analyseLine);
}

// Values are fetched afresh on every call; nothing when one of them stops the single pass: no
// value, a value holding '%', or a cap that the rescanning rules might reach.
bool Generator::expandLineInOnePass(std::string_view line, const LinePlan& plan,
                                    std::string& text) const {
    if (!plan.onePass)
        return false;
    const std::size_t lengthLimit = std::max(line.size(), MAX_EXPANDED_LINE_LENGTH);
    std::size_t longest = line.size(); // no text on the way is longer than this
    std::size_t pos = 0;               // copied up to here
    const ActionDefinition& action = actionOrEmpty(m_project);
    text.reserve(text.size() + line.size() + line.size() / 2);
    for (const LinePair& pair : plan.pairs) {
        const std::size_t candidateSize = pair.close - pair.open + 1;
        text.append(line.substr(pos, pair.open - pos));
        const std::size_t valueStart = text.size();
        if (!appendPairValue(pair, line, text, action))
            return false;
        const std::string_view value = std::string_view(text).substr(valueStart);
        if (value.find('%') != std::string_view::npos)
            return false;
        if (value.size() > candidateSize) {
            longest += value.size() - candidateSize;
            if (longest > lengthLimit)
                return false;
        }
        pos = pair.close + 1;
    }
    // Nor when the rescanning rules might run out of work first (each replacement at most
    // rewrites the longest text).
    if (plan.pairs.size() > MAX_LINE_WORK_FACTOR * lengthLimit / std::max<std::size_t>(longest, 1))
        return false;
    text.append(line.substr(pos));
    return true;
}

std::string Generator::expandTemplateLineRescanning(std::string_view line) const {
    std::string text(line);
    const std::size_t lengthLimit = std::max(text.size(), MAX_EXPANDED_LINE_LENGTH);
    const std::size_t workLimit = MAX_LINE_WORK_FACTOR * lengthLimit;
    std::size_t work = 0;
    std::size_t replaced = 0;
    std::size_t scan = 0;
    std::size_t start = 0;
    std::size_t length = 0;
    std::string candidate; // one buffer for every candidate of the line
    while (scan < text.size() &&
           findDelimitedPair(std::string_view(text).substr(scan), '%', '%', start, length)) {
        start += scan;
        candidate.assign(text, start, length);
        if (const std::optional<std::string> value = placeholderValue(candidate)) {
            // A runaway line stops here and is written as it stands.
            const std::size_t occurrences = countOccurrences(text, candidate);
            if (replaced + occurrences > MAX_LINE_REPLACEMENTS)
                break;
            if (value->size() > candidate.size() &&
                text.size() + occurrences * (value->size() - candidate.size()) > lengthLimit)
                break;
            work += text.size();
            if (work > workLimit)
                break;
            if (occurrences == 1) {
                // The usual case: one replacement, without the general loop.
                text.replace(text.find(candidate), length, *value);
                ++replaced;
            } else {
                replaced += replaceAll(text, candidate, *value);
            }
        }
        // Resuming one character in rescans a value's own placeholders: nested values expand.
        scan = start + 1;
    }
    return text;
}

std::string Generator::expandPath(std::string path) const {
    std::size_t replaced = 0;
    std::size_t searchFrom = 0;
    std::size_t start = 0;
    std::size_t length = 0;
    while (searchFrom < path.size() &&
           findDelimitedPair(std::string_view(path).substr(searchFrom), '%', '%', start, length)) {
        start += searchFrom;
        const std::string candidate = path.substr(start, length);
        const std::optional<std::string> value = placeholderValue(candidate);
        if (!value) {
            // A stray '%' or an unknown name stays; its closing '%' may open a real one.
            searchFrom = start + 1;
            continue;
        }
        const std::size_t occurrences = countOccurrences(path, candidate);
        if (replaced + occurrences > MAX_PATH_REPLACEMENTS)
            break;
        replaced += replaceAll(path, candidate, *value);
        searchFrom = 0;
    }
    return path;
}

} // namespace vantrel
