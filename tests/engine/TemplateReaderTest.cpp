#include "engine/TemplateReader.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace vantrel {
namespace {

std::vector<std::string> allLines(TemplateReader& reader) {
    std::vector<std::string> lines;
    while (reader.readLine())
        lines.emplace_back(reader.line());
    return lines;
}

struct ReadCase {
    const char* name;
    std::string content;
    std::vector<std::string> lines;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

class ReadLines : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadLines, WholeLinesWithTheirBreak) {
    TemplateReader reader;
    reader.openText(GetParam().content);
    EXPECT_EQ(allLines(reader), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadLines,
    testing::Values(ReadCase{"PlainLines", "a\nb\n", {"a\n", "b\n"}},
                    ReadCase{"CrLfIsOneBreak", "a\r\nb\r\n", {"a\n", "b\n"}},
                    ReadCase{"LoneCarriageReturnStays", "a\rb\n", {"a\rb\n"}},
                    ReadCase{"LastLineWithoutBreak", "a\nb", {"a\n", "b"}},
                    ReadCase{"ByteOrderMarkDropped", "\xEF\xBB\xBF@IFDEF KEL\n", {"@IFDEF KEL\n"}},
                    ReadCase{"MarkOnlyAtStart", "a\n\xEF\xBB\xBF\n", {"a\n", "\xEF\xBB\xBF\n"}},
                    ReadCase{"EmptyLinesKept", "\n\nx\n", {"\n", "\n", "x\n"}},
                    ReadCase{"EmptyFile", "", {}},
                    ReadCase{"LongLineWhole",
                             std::string(3000, 'x') + "%PROJECTNAME%\n",
                             {std::string(3000, 'x') + "%PROJECTNAME%\n"}}),
    [](const testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

TEST(TemplateReader, MovesBackToARecordedLineStart) {
    TemplateReader reader;
    reader.openText("one\r\ntwo\r\nthree\r\n");
    ASSERT_TRUE(reader.readLine());
    ASSERT_TRUE(reader.readLine());
    const std::int64_t start = reader.lineStart();
    ASSERT_TRUE(reader.readLine());
    EXPECT_EQ(reader.line(), "three\n");
    ASSERT_TRUE(reader.seek(start));
    ASSERT_TRUE(reader.readLine());
    EXPECT_EQ(reader.line(), "two\n");
    EXPECT_FALSE(reader.seek(1000));
    reader.rewind();
    ASSERT_TRUE(reader.readLine());
    EXPECT_EQ(reader.line(), "one\n");
}

TEST(TemplateReader, EachOpenIsANewIdentity) {
    TemplateReader first;
    TemplateReader second;
    first.openText("a\n");
    second.openText("a\n");
    const TemplateReader::Identity before = first.identity();
    EXPECT_TRUE(first.hasIdentity(before));
    EXPECT_FALSE(second.hasIdentity(before));
    first.openText("b\n");
    EXPECT_FALSE(first.hasIdentity(before));
    EXPECT_FALSE(first.hasIdentity(TemplateReader::Identity()));
}

TEST(TemplateReader, OpensFilesAndRefusesMissingOnes) {
    TempFolder folder;
    const std::filesystem::path path = folder.write("plugin.tpl", "\xEF\xBB\xBF"
                                                                  "filesection: main\r\n// x\r\n");
    TemplateReader reader;
    ASSERT_TRUE(reader.open(path.string()));
    EXPECT_EQ(allLines(reader), (std::vector<std::string>{"filesection: main\n", "// x\n"}));
    std::filesystem::remove(path);
    EXPECT_FALSE(reader.open(path.string()));
    EXPECT_FALSE(reader.isOpen());
}

} // namespace
} // namespace vantrel
