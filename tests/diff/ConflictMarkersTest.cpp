// A conflict written into a file is found again by any of its labelled marker lines, so that a
// block taken apart only in part is still open; lines that merely look like markers are not.
#include "diff/ConflictStages.h"

#include <gtest/gtest.h>

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

} // namespace
} // namespace vantrel
