#include "engine/Keywords.h"
#include "model/ActionDefinition.h"

#include <gtest/gtest.h>

#include <vector>

namespace vantrel {
namespace {

// The matching rules applied entry by entry in table order, as the lookup must behave however
// it finds its candidates.
KeywordId firstMatchingEntry(std::string_view text) {
    const std::string lowerText = lowerAscii(text);
    for (const KeywordEntry& entry : keywordTable) {
        const std::string name = lowerAscii(entry.name);
        if (lowerText == name)
            return entry.id;
        if (name.size() < 2) {
            if (text.empty())
                return entry.id;
            continue;
        }
        const std::string inner = name.substr(1, name.size() - 2);
        if (lowerText.starts_with(inner))
            return entry.id;
    }
    return KW_NONE;
}

// Every name in its written forms, cut short, run on, and with stray delimiters: texts where
// an earlier entry's prefix wins over a later entry's exact name are among them.
std::vector<std::string> candidateTexts() {
    std::vector<std::string> texts = {"", "0", "%", "%%", "x", "%x%", "% of %", "ALL_ACTIONS%"};
    for (const KeywordEntry& entry : keywordTable) {
        const std::string name(entry.name);
        const std::string inner = name.size() > 2 ? name.substr(1, name.size() - 2) : "";
        for (const std::string& form :
             {name, lowerAscii(name), upperAscii(name), inner, lowerAscii(inner), inner + "S",
              inner + "_EXTRA", "%" + inner, inner + "%", "%" + inner + "%", "%%" + inner + "%%"}) {
            texts.push_back(form);
            if (form.size() > 1)
                texts.push_back(form.substr(0, form.size() - 1));
        }
    }
    return texts;
}

TEST(KeywordLookup, FindsTheFirstEntryThatTheRulesMatch) {
    for (const std::string& text : candidateTexts()) {
        std::string entryName = "stale";
        const KeywordId id = lookupKeyword(text, &entryName);
        EXPECT_EQ(id, firstMatchingEntry(text)) << "text \"" << text << "\"";
        std::string_view expectedName;
        for (const KeywordEntry& entry : keywordTable)
            if (entry.id == id)
                expectedName = entry.name;
        EXPECT_EQ(entryName, expectedName) << "text \"" << text << "\"";
    }
}

} // namespace
} // namespace vantrel
