#include "engine/Keywords.h"

#include "engine/TextScan.h"

#include <algorithm>
#include <vector>

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

// Where a text can match: by its length for the first rule (the whole name), by its first letter
// (ASCII case folded) for the second (the name less its delimiters as a prefix); each list in
// table order. Built once; a lookup then compares against a handful of names.
class KeywordIndex {
public:
    KeywordIndex() {
        for (std::size_t position = 0; position < keywordTable.size(); ++position) {
            const std::string_view name = keywordTable[position].name;
            if (name.size() < 2) {
                m_shortNames.push_back(position);
                continue;
            }
            if (name.size() >= m_wholeName.size())
                m_wholeName.resize(name.size() + 1);
            m_wholeName[name.size()].push_back(position);
            if (name.size() == 2)
                m_emptyInner.push_back(position); // the prefix rule takes any text
            else
                m_innerName[bucket(name[1])].push_back(position);
        }
    }

    // The table position of the first entry that the text matches, or the table's size.
    std::size_t find(std::string_view text) const {
        std::size_t best = keywordTable.size();
        // The one-character entry strips to a comparison of unlimited length: only the empty
        // text matches it by the prefix rule.
        for (std::size_t position : m_shortNames) {
            const std::string_view name = keywordTable[position].name;
            if (text.empty() || equalsIgnoringCase(text, name)) {
                best = position;
                break;
            }
        }
        if (!m_emptyInner.empty())
            best = std::min(best, m_emptyInner.front());
        if (text.empty())
            return best;
        if (text.size() < m_wholeName.size()) {
            for (std::size_t position : m_wholeName[text.size()]) {
                if (position >= best)
                    break;
                if (equalsIgnoringCase(text, keywordTable[position].name)) {
                    best = position;
                    break;
                }
            }
        }
        for (std::size_t position : m_innerName[bucket(text.front())]) {
            if (position >= best)
                break;
            const std::string_view name = keywordTable[position].name;
            const std::size_t innerLength = name.size() - 2;
            if (text.size() >= innerLength &&
                equalsIgnoringCase(text.substr(0, innerLength), name.substr(1, innerLength)))
                return position;
        }
        return best;
    }

private:
    static unsigned char bucket(char c) { return static_cast<unsigned char>(foldAscii(c)); }

    std::vector<std::size_t> m_shortNames;
    std::vector<std::size_t> m_emptyInner;
    std::vector<std::vector<std::size_t>> m_wholeName; // by name length
    std::array<std::vector<std::size_t>, 256> m_innerName;
};

const KeywordIndex& keywordIndex() {
    static const KeywordIndex index;
    return index;
}

} // namespace

KeywordId lookupKeyword(std::string_view text, std::string* entryName) {
    const std::size_t position = keywordIndex().find(text);
    if (position < keywordTable.size()) {
        if (entryName)
            entryName->assign(keywordTable[position].name);
        return keywordTable[position].id;
    }
    if (entryName)
        entryName->clear();
    return KW_NONE;
}

} // namespace vantrel
