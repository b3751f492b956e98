#include "fileutil/TextFile.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

struct TextCase {
    const char* name;
    std::string bytes;
    std::string text;
};

class ReadTextFile : public testing::TestWithParam<TextCase> {};

TEST_P(ReadTextFile, TakesTheTextAsTextModeWould) {
    TempFolder temp;
    const std::string path = temp.write("file.txt", GetParam().bytes).string();
    const std::optional<std::string> text = readTextFile(path);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ReadTextFile,
    testing::Values(TextCase{"Plain", "a\nb", "a\nb"}, TextCase{"Empty", "", ""},
                    TextCase{"CrLfIsOneBreak", "a\r\nb\r\n", "a\nb\n"},
                    TextCase{"LoneCrStays", "a\rb\r", "a\rb\r"},
                    TextCase{"CrBeforeCrLf", "a\r\r\nb", "a\r\nb"},
                    TextCase{"MarkAtStartDropped", "\xEF\xBB\xBFkey", "key"},
                    TextCase{"MarkElsewhereKept", "a\xEF\xBB\xBF", "a\xEF\xBB\xBF"},
                    TextCase{"NulKept", std::string("a\0b", 3), std::string("a\0b", 3)}),
    [](const auto& info) { return info.param.name; });

// Readers that look ahead take the text without a copy; a file larger than a read block too.
TEST(ReadTextFile, WholeWithTheExtraCapacity) {
    TempFolder temp;
    for (const std::size_t size : {std::size_t{0}, std::size_t{10}, std::size_t{300000}}) {
        const std::string bytes(size, 'x');
        const std::optional<std::string> text =
            readTextFile(temp.write("file.txt", bytes).string(), 67);
        ASSERT_TRUE(text.has_value());
        EXPECT_EQ(*text, bytes);
        EXPECT_GE(text->capacity(), size + 67);
    }
}

TEST(ReadTextFileFailure, MissingFileAndFolderGiveNothing) {
    TempFolder temp;
    EXPECT_FALSE(readTextFile(temp / "missing.txt").has_value());
    EXPECT_FALSE(readTextFile(temp.path().string()).has_value());
}

} // namespace
} // namespace vantrel
