#include "engine/Keywords.h"

#include "engine/TextScan.h"

namespace vantrel {

const std::array<KeywordEntry, KEYWORD_COUNT> keywordTable = {{
    {"0", KW_ZERO},
    {"%VANTRELVERSION%", KW_VANTRELVERSION},
    {"ALL_ACTIONS", KW_ALL_ACTIONS},
    {"%APPINTERFACEPTR%", KW_APPINTERFACEPTR},
    {"%GLOBALAPPINTERFACEPTR%", KW_GLOBALAPPINTERFACEPTR},
    {"%APPINTERFACECLASSNAME%", KW_APPINTERFACECLASSNAME},
    {"%workdir%", KW_WORKDIR},
    {"%dovinterface%", KW_DOVINTERFACE},
    {"%piinc%", KW_PIINC},
    {"%threadinc%", KW_THREADINC},
    {"%dovpiinc%", KW_DOVPIINC},
    {"%dovpilib_r%", KW_DOVPILIB_R},
    {"%dovpilib_d%", KW_DOVPILIB_D},
    {"%vectorinc%", KW_VECTORINC},
    {"%matrixinc%", KW_MATRIXINC},
    {"%viewinc%", KW_VIEWINC},
    {"%kelinterface%", KW_KELINTERFACE},
    {"%kelpiinc%", KW_KELPIINC},
    {"%kelpilib_r%", KW_KELPILIB_R},
    {"%kelpilib_d%", KW_KELPILIB_D},
    {"%dovexport%", KW_DOVEXPORT},
    {"%kelexport%", KW_KELEXPORT},
    {"%APPPI_H%", KW_APPPI_H},
    {"%PROJECTNAME%", KW_PROJECTNAME},
    {"%DLLFLAGS%", KW_DLLFLAGS},
    {"%ACTIONNAME%", KW_ACTIONNAME},
    {"%ACDF_FLAGS%", KW_ACDF_FLAGS},
    {"%ACDF_TYP%", KW_ACDF_TYP},
    {"%ACDF_VIRTUALID%", KW_ACDF_VIRTUALID},
    {"%ACDF_NAME%", KW_ACDF_NAME},
    {"%ACDF_MENU%", KW_ACDF_MENU},
    {"%ACDF_TB_NAME%", KW_ACDF_TB_NAME},
    {"%ACDF_TOOLTIPS%", KW_ACDF_TOOLTIPS},
    {"%ACDF_TB_PIC%", KW_ACDF_TB_PIC},
    {"%ACDF_IDX%", KW_ACDF_IDX},
    {"%ACDF_IDXDEF%", KW_ACDF_IDXDEF},
    {"%ACDF_PROC_EXECUTE%", KW_ACDF_PROC_EXECUTE},
    {"%ACDF_PROC_CLOSE%", KW_ACDF_PROC_CLOSE},
    {"%ACDF_PROC_FIRSTTIME%", KW_ACDF_PROC_FIRSTTIME},
    {"ACDF_SET_CBPROCS", KW_ACDF_SET_CBPROCS},
    {"%ACDF_CBPROC_STATUS%", KW_ACDF_CBPROC_STATUS},
    {"%ACDF_CBPROC_KEYBRD%", KW_ACDF_CBPROC_KEYBRD},
    {"%ACDF_CBPROC_MS_LBDOWN%", KW_ACDF_CBPROC_MS_LBDOWN},
    {"%ACDF_CBPROC_MS_LBUP%", KW_ACDF_CBPROC_MS_LBUP},
    {"%ACDF_CBPROC_MS_RBDOWN%", KW_ACDF_CBPROC_MS_RBDOWN},
    {"%ACDF_CBPROC_MS_RBUP%", KW_ACDF_CBPROC_MS_RBUP},
    {"%ACDF_CBPROC_MS_MOVE%", KW_ACDF_CBPROC_MS_MOVE},
    {"ACDF_CBPROC_MOUSE", KW_ACDF_CBPROC_MOUSE},
    {"CREATE_PANEL", KW_CREATE_PANEL},
    {"%PANELCLASSNAME%", KW_PANELCLASSNAME},
    {"CREATE_DIALOG", KW_CREATE_DIALOG},
    {"CREATE_MODDIALOG", KW_CREATE_MODDIALOG},
    {"CREATE_WINDOW", KW_CREATE_WINDOW},
    {"CREATE_THREAD", KW_CREATE_THREAD},
    {"USING_INDIV_INT_OBJ", KW_USING_INDIV_INT_OBJ},
    {"USING_STATIC_MEMORY_BUF", KW_USING_STATIC_MEMORY_BUF},
    {"TOPMOSTWINDOW", KW_TOPMOSTWINDOW},
    {"KEL", KW_KEL},
    {"DOV", KW_DOV},
}};

namespace {

bool matchesEntry(std::string_view text, std::string_view name) {
    if (name.size() < 2) {
        // The one-character entry strips to a comparison of unlimited length: only the empty
        // text matches it by the prefix rule.
        return text.empty() || equalsIgnoringCase(text, name);
    }
    // Cheap first-character filter before either full comparison.
    const char first = text.empty() ? '\0' : foldAscii(text.front());
    if (first == foldAscii(name.front()) && equalsIgnoringCase(text, name))
        return true;
    const std::string_view inner = name.substr(1, name.size() - 2);
    return text.size() >= inner.size() && (inner.empty() || first == foldAscii(inner.front())) &&
           equalsIgnoringCase(text.substr(0, inner.size()), inner);
}

} // namespace

KeywordId lookupKeyword(std::string_view text, std::string* entryName) {
    for (const KeywordEntry& entry : keywordTable) {
        if (matchesEntry(text, entry.name)) {
            if (entryName)
                entryName->assign(entry.name);
            return entry.id;
        }
    }
    if (entryName)
        entryName->clear();
    return KW_NONE;
}

} // namespace vantrel
