#include "fileutil/SectionStream.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace vantrel {
namespace {

// 200 bytes; the window of size 10 at offset 100 holds "ABCD\nFGHIJ".
std::string sampleContent() {
    std::string content(200, '.');
    content.replace(100, 10, "ABCD\nFGHIJ");
    return content;
}

class SectionStreamTest : public testing::Test {
protected:
    void SetUp() override {
        writeFile(m_temp / "data.bin", sampleContent());
        ASSERT_TRUE(m_owner.openRead(m_temp / "data.bin"));
        m_section = m_owner.openSection("window", 10, 100);
        ASSERT_NE(m_section, nullptr);
    }

    TempFolder m_temp;
    FileStream m_owner;
    std::unique_ptr<SectionStream> m_section;
};

struct SeekCase {
    const char* name;
    std::int32_t start;
    std::int32_t offset;
    int origin;
    int result;
    std::int32_t positionAfter;
};

void PrintTo(const SeekCase& c, std::ostream* os) {
    *os << "from " << c.start << " seek(" << c.offset << ", " << c.origin << ")";
}

class SectionSeek : public SectionStreamTest, public testing::WithParamInterface<SeekCase> {};

TEST_P(SectionSeek, StaysInsideTheWindow) {
    const SeekCase& c = GetParam();
    ASSERT_EQ(m_section->seek(c.start, 0), 0);
    EXPECT_EQ(m_section->seek(c.offset, c.origin), c.result);
    EXPECT_EQ(m_section->tell(), c.positionAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SectionSeek,
    testing::Values(
        SeekCase{"StartBeyondSize", 4, 11, 0, -1, 4}, SeekCase{"StartAtSize", 4, 10, 0, 0, 10},
        SeekCase{"StartNegative", 4, -1, 0, -1, 4}, SeekCase{"CurrentForward", 4, 6, 1, 0, 10},
        SeekCase{"CurrentPastEnd", 4, 7, 1, -1, 4}, SeekCase{"CurrentBack", 4, -4, 1, 0, 0},
        SeekCase{"CurrentBeforeStart", 4, -5, 1, -1, 4},
        SeekCase{"EndWholeWindowBack", 4, -10, 2, 0, 0}, SeekCase{"EndAtEnd", 4, 0, 2, 0, 10},
        SeekCase{"EndTooFarBack", 4, -11, 2, -1, 4}, SeekCase{"EndPositive", 4, 1, 2, -1, 4},
        SeekCase{"UnknownOrigin", 4, 0, 3, -1, 4}),
    [](const testing::TestParamInfo<SeekCase>& info) { return std::string(info.param.name); });

TEST_F(SectionStreamTest, GetStringNeverReadsPastTheWindow) {
    char buffer[64];
    ASSERT_EQ(m_section->seek(5, 0), 0);
    ASSERT_NE(m_section->getString(buffer, 64), nullptr);
    EXPECT_STREQ(buffer, "FGHIJ");
    EXPECT_EQ(m_section->tell(), 10);
    EXPECT_NE(m_section->atEnd(), 0);
    EXPECT_EQ(m_section->getString(buffer, 64), nullptr);

    ASSERT_EQ(m_section->seek(4, 0), 0);
    ASSERT_NE(m_section->getString(buffer, 64), nullptr);
    EXPECT_STREQ(buffer, "\n") << "stops after the line feed";
    EXPECT_EQ(m_section->tell(), 5);

    ASSERT_EQ(m_section->seek(0, 0), 0);
    ASSERT_NE(m_section->getString(buffer, 3), nullptr);
    EXPECT_STREQ(buffer, "AB") << "at most n - 1 characters";
    EXPECT_EQ(m_section->tell(), 2);
}

TEST_F(SectionStreamTest, GetCharWalksTheWindowOnly) {
    std::string seen;
    for (int c = m_section->getChar(); c != -1; c = m_section->getChar()) {
        seen += static_cast<char>(c);
    }
    EXPECT_EQ(seen, "ABCD\nFGHIJ");
    EXPECT_EQ(m_section->tell(), 10);
    EXPECT_NE(m_section->atEnd(), 0);
}

TEST_F(SectionStreamTest, ReadPastTheWindowReturnsWholeElementsOfTheRest) {
    char buffer[16] = {};
    ASSERT_EQ(m_section->seek(2, 0), 0);
    EXPECT_EQ(m_section->read(buffer, 4, 3), 2) << "8 bytes remain: two elements of 4";
    EXPECT_EQ(std::string(buffer, 8), "CD\nFGHIJ");
    EXPECT_EQ(m_section->tell(), 10);
    EXPECT_EQ(m_section->read(buffer, 1, 1), 0);

    ASSERT_EQ(m_section->seek(0, 0), 0);
    EXPECT_EQ(m_section->read(buffer, 2, 2), 2);
    EXPECT_EQ(std::string(buffer, 4), "ABCD");
    EXPECT_EQ(m_section->tell(), 4);
}

TEST_F(SectionStreamTest, IsReadOnlyAndLeavesTheOwnersFileOpen) {
    EXPECT_EQ(m_section->write("xx", 1, 2), 0);
    EXPECT_EQ(m_section->putChar('x'), 0);
    EXPECT_TRUE(m_section->isClosed());
    EXPECT_EQ(m_section->size(), 10);
    EXPECT_EQ(m_section->offset(), 100);
    EXPECT_EQ(m_section->path(), "window");

    m_section.reset();
    ASSERT_FALSE(m_owner.isClosed());
    ASSERT_EQ(m_owner.seek(100, 0), 0);
    EXPECT_EQ(m_owner.getChar(), 'A') << "the borrowed file is still usable";
    EXPECT_EQ(readFile(m_temp / "data.bin"), sampleContent());
}

TEST_F(SectionStreamTest, WindowSizesAndNames) {
    auto whole = m_owner.openSection(std::string(300, 'n'), -1, 0);
    EXPECT_EQ(whole->size(), 200) << "-1 takes the owner's size";
    EXPECT_EQ(whole->path(), std::string(255, 'n'));

    auto empty = m_owner.openSection("empty", 0, 50);
    EXPECT_NE(empty->atEnd(), 0);
    EXPECT_EQ(empty->getChar(), -1);
    char buffer[8];
    EXPECT_EQ(empty->getString(buffer, 8), nullptr);

    auto beyond = m_owner.openSection("beyond", 10, 195);
    std::string seen;
    for (int c = beyond->getChar(); c != -1; c = beyond->getChar()) {
        seen += static_cast<char>(c);
    }
    EXPECT_EQ(seen, ".....") << "a window past the file's end stops at the end";
    EXPECT_EQ(beyond->tell(), 5);
}

TEST_F(SectionStreamTest, FileOpenedThroughTheWindowIsClosedByIt) {
    const std::string target = m_temp / "own.txt";
    {
        SectionStream own(nullptr, "unused", 0, 0);
        ASSERT_TRUE(own.openWrite(target));
        EXPECT_EQ(own.putString("written"), 1);
    }
    EXPECT_EQ(readFile(target), "written");
}

} // namespace
} // namespace vantrel
