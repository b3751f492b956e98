// Whether texts can be merged is known, and why not is said with the library's name.
#include "Git2.h"
#include "diff/TextMerge.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

TEST(MergeLibrary, SaysWhichLibraryCouldNotBeLoaded) {
    std::string why;
    EXPECT_EQ(git2::loadFrom({"libvantrel-missing.so.9"}, why), nullptr);
    EXPECT_NE(why.find("libvantrel-missing.so.9"), std::string::npos) << why;

    // The machine's own library loads, and merges.
    EXPECT_EQ(mergeUnavailable(), "");
    const std::optional<MergedText> merged =
        mergeTexts("a\nb\nc\n", "A\nb\nc\n", "a\nb\nC\n", "yours", "generated");
    ASSERT_TRUE(merged);
    EXPECT_TRUE(merged->clean);
    EXPECT_EQ(merged->text, "A\nb\nC\n");
}

} // namespace
} // namespace vantrel
