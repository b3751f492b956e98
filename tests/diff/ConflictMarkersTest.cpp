// A conflict written into a file is found again only by its whole block of markers with their
// labels: lines of the user's that merely look like markers are no open conflict.
#include "diff/ConflictStages.h"
#include "diff/TextMerge.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel {
namespace {

TEST(ConflictMarkers, OnlyAWholeLabelledBlockCounts) {
    const struct {
        const char* text;
        bool holds;
    } rows[] = {
        {"<<<<<<< yours\nmine\n||||||| base\nold\n=======\nnew\n>>>>>>> new\n", true},
        {"a\r\n<<<<<<< yours\r\n||||||| base\r\n=======\r\n>>>>>>> new\r\nb\r\n", true},
        {"<<<<<<< yours\n||||||| base\n=======\n>>>>>>> new", true}, // no last line break
        {"<<<<<<< yours\nmine\n=======\nnew\n>>>>>>> new\n", false}, // no base part
        {"<<<<<<< HEAD\n||||||| base\n=======\n>>>>>>> new\n", false},
        {"s = \"<<<<<<< yours\";\n||||||| base\n=======\n>>>>>>> new\n", false},
        {"=======\n>>>>>>> new\n<<<<<<< yours\n||||||| base\n", false}, // out of order
        {"<<<<<<< yours\n<<<<<<< yours\n||||||| base\n=======\n>>>>>>> new\n", true},
        {"", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(holdsConflictMarkers(row.text), row.holds) << row.text;
}

TEST(ConflictMarkers, AMergeWithTheBaseLabelIsFoundAgain) {
    const std::optional<MergedText> merged =
        mergeTexts("one\ntwo\nthree\n", "one\nmine\nthree\n", "one\nTWO\nthree\n", MARK_YOURS,
                   MARK_NEW, MARK_BASE);
    if (!merged)
        GTEST_SKIP() << mergeUnavailable();
    EXPECT_FALSE(merged->clean);
    EXPECT_EQ(merged->text, "one\n<<<<<<< yours\nmine\n||||||| base\ntwo\n=======\nTWO\n"
                            ">>>>>>> new\nthree\n");
    EXPECT_TRUE(holdsConflictMarkers(merged->text));
}

} // namespace
} // namespace vantrel
