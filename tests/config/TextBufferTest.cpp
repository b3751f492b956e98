#include "config/TextBuffer.h"
#include "config/TextRange.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel {
namespace {

TEST(TextBufferGrowth, BlocksComeInSteps) {
    TextBuffer buffer;
    buffer.reserve(513);
    EXPECT_EQ(buffer.capacity(), 1024);
    EXPECT_STREQ(buffer.text(), "");

    TextBuffer exact;
    exact.reserve(512);
    EXPECT_EQ(exact.capacity(), 512);

    TextBuffer fresh;
    EXPECT_EQ(fresh.capacity(), 0);
    EXPECT_STREQ(fresh.text(), "");
    EXPECT_EQ(fresh.capacity(), 512) << "text() on a buffer that never held anything";
}

TEST(TextBufferGrowth, ReserveKeepsTextAndZeroReleases) {
    TextBuffer buffer;
    buffer.assign("hello");
    EXPECT_EQ(buffer.capacity(), 6) << "a text is copied into a block of exactly its size";
    buffer.reserve(600);
    EXPECT_EQ(buffer.capacity(), 1024);
    EXPECT_STREQ(buffer.text(), "hello");
    EXPECT_EQ(buffer.length(), 5);
    buffer.reserve(100);
    EXPECT_EQ(buffer.capacity(), 1024) << "reserve never shrinks";
    buffer.reserve(0);
    EXPECT_EQ(buffer.capacity(), 0);
    EXPECT_EQ(buffer.data(), nullptr);
    EXPECT_EQ(buffer.length(), 0);
}

TEST(TextBufferAssign, FromRangeBufferAndText) {
    const std::string source = "abcdef";
    TextRange range(source.c_str());
    range.advance(2);
    range.truncate(3);
    TextBuffer buffer;
    buffer.assign(range);
    EXPECT_STREQ(buffer.text(), "cde");
    EXPECT_EQ(buffer.capacity(), 512);

    TextBuffer copy(buffer);
    EXPECT_STREQ(copy.text(), "cde");
    EXPECT_EQ(copy.capacity(), 512);
    EXPECT_NE(copy.data(), buffer.data());

    buffer.assign("");
    EXPECT_EQ(buffer.capacity(), 0);
    buffer.assign(static_cast<const char*>(nullptr));
    EXPECT_EQ(buffer.length(), 0);
}

TEST(TextBufferAssign, FromAViewOfItsOwnText) {
    // A range over the buffer's own block must survive the buffer giving that block up.
    TextBuffer buffer("%%NAME%");
    TextRange inner(buffer.data(), buffer.length());
    inner.advance(2);
    buffer.assign(inner);
    EXPECT_STREQ(buffer.text(), "NAME%");

    buffer.assign(buffer.data() + 1);
    EXPECT_STREQ(buffer.text(), "AME%");
    buffer.assign(buffer.data());
    EXPECT_STREQ(buffer.text(), "AME%");
}

TEST(TextBufferTrim, LeadingThenTrailing) {
    TextBuffer buffer("%%NAME%");
    EXPECT_EQ(buffer.trimLeadingChar('%'), 2);
    EXPECT_STREQ(buffer.text(), "NAME%");
    EXPECT_EQ(buffer.length(), 5);
    buffer.trimTrailingChar('%');
    EXPECT_STREQ(buffer.text(), "NAME");
    EXPECT_EQ(buffer.trimLeadingChar('%'), 0);

    TextBuffer only("%%%");
    EXPECT_EQ(only.trimLeadingChar('%'), 3);
    EXPECT_STREQ(only.text(), "");

    TextBuffer empty;
    empty.trimTrailingChar('%');
    EXPECT_EQ(empty.capacity(), 0) << "an empty buffer is left untouched";
}

TEST(TextRangeRead, CompareAndFind) {
    EXPECT_LT(TextRange("ab").compare(TextRange("abc")), 0);
    EXPECT_GT(TextRange("abc").compare(TextRange("ab")), 0);
    EXPECT_EQ(TextRange("abc").compare(TextRange("abc")), 0);
    EXPECT_EQ(TextRange("").compare(TextRange(nullptr)), 0);
    EXPECT_LT(TextRange("a\x80").compare(TextRange("ab")), 0) << "bytes compare as signed";

    const TextRange text("a==b=");
    EXPECT_EQ(text.findText("=="), 1);
    EXPECT_EQ(text.findText("=b"), 2);
    EXPECT_EQ(text.findText("==="), -1);
    EXPECT_EQ(text.findText(""), -1);
    EXPECT_EQ(text.findText(nullptr), -1);
    EXPECT_EQ(TextRange("").findChar('a'), -1);
    EXPECT_EQ(text.findChar('b'), 3);
}

TEST(TextRangeMove, OutOfRangeRequestsChangeNothing) {
    TextRange range("abcdef");
    EXPECT_EQ(range.advance(0), 6);
    EXPECT_EQ(range.advance(7), 6);
    EXPECT_EQ(range.advance(2), 4);
    EXPECT_EQ(range.view(), "cdef");
    EXPECT_EQ(range.truncate(4), 4);
    EXPECT_EQ(range.truncate(-1), 4);
    EXPECT_EQ(range.truncate(1), 1);
    EXPECT_EQ(range.view(), "c");

    TextRange quoted("\"\"x\"\"");
    quoted.skipLeading('"');
    quoted.dropTrailing('"');
    EXPECT_EQ(quoted.view(), "x");

    TextRange position("abcdef");
    TextRange token("abcdef");
    token.truncate(3);
    position.advanceTo(token);
    EXPECT_EQ(position.view(), "def");
    position.advanceTo(token);
    EXPECT_EQ(position.view(), "def") << "a token behind the position does not move it";
}

} // namespace
} // namespace vantrel
