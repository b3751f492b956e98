// A conflict written into a file is found again by any of its labelled marker lines, so that a
// block taken apart only in part is still open; lines that merely look like markers are not.
#include "diff/ConflictStages.h"
#include "diff/TextMerge.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel {
namespace {

TEST(ConflictMarkers, OnlyLabelledMarkerLinesCount) {
    const struct {
        const char* text;
        bool holds;
    } rows[] = {
        {"<<<<<<< yours\nmine\n||||||| base\nold\n=======\nnew\n>>>>>>> new\n", true},
        {"a\r\n<<<<<<< yours\r\n||||||| base\r\n=======\r\n>>>>>>> new\r\nb\r\n", true},
        {"mine\n>>>>>>> new", true},                  // the rest taken away, no last line break
        {"mine\n||||||| base\nold\n=======\n", true}, // half a block
        {"<<<<<<< HEAD\nmine\n=======\nnew\n>>>>>>> theirs\n", false}, // others' labels
        {"s = \"<<<<<<< yours\";\n  >>>>>>> new\n=======\n", false},
        {"<<<<<<< yours2\n>>>>>>> newer\n", false},
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
