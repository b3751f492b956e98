#include "model/FlagNames.h"

#include "model/AsciiCase.h"

namespace vantrel {

FlagNameRow procTypeTable[4] = {
    {3, 0x00000000, 0xFFFFFFFF, "PIPD_LOADPROC", -1},
    {4, 0x00000000, 0xFFFFFFFF, "PIPD_SAVEPROC", -1},
    {5, 0x00000000, 0xFFFFFFFF, "PIPD_COMMONTOOL", -1},
    {0, 0, 0, "", -1},
};

FlagNameRow dllFlagTable[3] = {
    {0x00000002, 0xFFFFFFFE, 0x00000002, "PIDLLFL_AUTO", -1},
    {0x00000001, 0xFFFFFFFD, 0x00000001, "PIDLLFL_RESIDENT", -1},
    {0, 0, 0, "", -1},
};

namespace {

bool isSeparator(char c) {
    return c == ' ' || c == '\t' || c == '|';
}

} // namespace

bool appendFlagNames(std::string& text, std::uint32_t word, FlagNameTable table) {
    int count = 0;
    for (const FlagNameRow& row : table) {
        if (row.value == 0)
            break;
        if ((word & row.testMask) == row.value) {
            if (count > 0)
                text += " | ";
            text += row.name;
            ++count;
        }
    }
    return count > 0;
}

std::string joinFlagNames(std::uint32_t word, FlagNameTable table) {
    std::string text;
    appendFlagNames(text, word, table);
    return text;
}

void parseFlagNames(std::string_view text, std::uint32_t& word, FlagNameTable table) {
    std::size_t pos = 0;
    while (true) {
        while (pos < text.size() && isSeparator(text[pos]))
            ++pos;
        if (pos >= text.size())
            return;
        // A row name matches only when it runs exactly to the end of the text.
        if (const FlagNameRow* row = findFlagName(text.substr(pos), table))
            word = (word & row->keepMask) | row->value;
        while (pos < text.size() && !isSeparator(text[pos]))
            ++pos;
    }
}

const FlagNameRow* findFlagName(std::string_view text, FlagNameTable table) {
    for (const FlagNameRow& row : table) {
        if (row.value == 0)
            break;
        if (equalsIgnoringCase(row.name, text))
            return &row;
    }
    return nullptr;
}

std::uint32_t actionFlagOfName(std::string_view text) {
    for (const ActionFlagName& entry : ACTION_FLAG_NAMES) {
        if (equalsIgnoringCase(entry.name, text))
            return entry.bit;
    }
    return 0;
}

std::int32_t dllFlagsToIndex(std::uint32_t word) {
    for (const FlagNameRow& row : dllFlagTable) {
        if (row.value == 0)
            break;
        if (row.value & word)
            return row.comboIndex;
    }
    return -1;
}

std::int32_t setDllFlagsFromIndex(std::int32_t k, std::uint32_t& word) {
    // -1 means that nothing is selected; it must not match rows that were never placed.
    if (k < 0)
        return dllFlagsToIndex(word);
    for (const FlagNameRow& row : dllFlagTable) {
        if (row.value == 0)
            break;
        if (row.comboIndex == k)
            word = row.value;
    }
    return dllFlagsToIndex(word);
}

void assignComboPositions(FlagNameTable table) {
    std::int32_t position = 0;
    for (FlagNameRow& row : table) {
        if (row.value == 0)
            break;
        row.comboIndex = position++;
    }
}

} // namespace vantrel
