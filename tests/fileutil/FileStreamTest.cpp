#include "fileutil/FileStream.h"

#include "support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

std::string patternBytes(std::size_t count) {
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<char>((i * 7 + 3) % 256); // includes NUL and line breaks
    }
    return bytes;
}

// A destination that records every write and accepts at most `capacity` bytes in total.
class RecordingStream : public FileStream {
public:
    explicit RecordingStream(int capacity = 1 << 30)
        : m_capacity(capacity) {}

    int write(const void* data, int elementSize, int count) override {
        const int wanted = elementSize * count;
        const int taken = wanted < m_capacity ? wanted : m_capacity;
        m_capacity -= taken;
        writes.push_back(wanted);
        received.append(static_cast<const char*>(data), static_cast<std::size_t>(taken));
        return taken / elementSize;
    }

    std::vector<int> writes;
    std::string received;

private:
    int m_capacity;
};

TEST(FileStreamCopy, CopiesInBlocksOf1024Bytes) {
    TempFolder temp;
    const std::string content = patternBytes(2500);
    writeFile(temp / "src.bin", content);

    FileStream source;
    ASSERT_TRUE(source.openRead(temp / "src.bin"));
    EXPECT_EQ(source.size(), 2500);
    RecordingStream destination;
    EXPECT_EQ(source.copyTo(destination, -1), 2500);
    EXPECT_EQ(destination.writes, (std::vector<int>{1024, 1024, 452}));
    EXPECT_EQ(destination.received, content);
    EXPECT_EQ(source.copyTo(destination, -1), 0) << "the whole file was consumed";
}

TEST(FileStreamCopy, CountLimitsTheCopy) {
    TempFolder temp;
    writeFile(temp / "src.bin", patternBytes(2500));
    FileStream source;
    ASSERT_TRUE(source.openRead(temp / "src.bin"));
    RecordingStream destination;
    EXPECT_EQ(source.copyTo(destination, 1500), 1500);
    EXPECT_EQ(destination.writes, (std::vector<int>{1024, 476}));
    EXPECT_EQ(source.copyTo(destination, 0), 0);
}

TEST(FileStreamCopy, StopsAtTheFirstShortWrite) {
    TempFolder temp;
    writeFile(temp / "src.bin", patternBytes(2500));
    FileStream source;
    ASSERT_TRUE(source.openRead(temp / "src.bin"));
    RecordingStream destination(1124);
    EXPECT_EQ(source.copyTo(destination, -1), 1124);
    EXPECT_EQ(destination.writes, (std::vector<int>{1024, 1024}));
}

TEST(FileStreamCopy, EmptySourceWritesNothing) {
    TempFolder temp;
    writeFile(temp / "empty.bin", "");
    FileStream source;
    ASSERT_TRUE(source.openRead(temp / "empty.bin"));
    RecordingStream destination;
    EXPECT_EQ(source.copyTo(destination, -1), 0);
    EXPECT_TRUE(destination.writes.empty());
}

TEST(FileStreamCopy, FileToFileIsByteForByte) {
    TempFolder temp;
    const std::string content = patternBytes(5000);
    writeFile(temp / "src.bin", content);
    writeFile(temp / "dst.bin", std::string(9000, 'x'));
    {
        FileStream source;
        FileStream target;
        ASSERT_TRUE(source.openRead(temp / "src.bin"));
        ASSERT_TRUE(target.openWrite(temp / "dst.bin"));
        EXPECT_EQ(source.copyTo(target, -1), 5000);
        EXPECT_EQ(target.close(), 0);
    }
    EXPECT_EQ(readFile(temp / "dst.bin"), content);
}

TEST(FileStreamOpen, MissingFileOrFolderLeavesTheStreamClosed) {
    TempFolder temp;
    FileStream stream;
    EXPECT_FALSE(stream.openRead(temp / "missing.bin"));
    EXPECT_EQ(stream.size(), 0);
    EXPECT_TRUE(stream.isClosed());
    EXPECT_EQ(stream.path(), "");

    EXPECT_FALSE(stream.openRead(temp.path().string())) << "a folder is no file";
    EXPECT_TRUE(stream.isClosed());
    EXPECT_FALSE(stream.openWrite(temp.path().string()));
    EXPECT_TRUE(stream.isClosed());
    EXPECT_FALSE(stream.openWrite(temp / "no/such/folder/x.bin"));
}

TEST(FileStreamOpen, OpenWriteEmptiesAnExistingFile) {
    TempFolder temp;
    writeFile(temp / "a.txt", "old content");
    FileStream stream;
    ASSERT_TRUE(stream.openRead(temp / "a.txt"));
    EXPECT_EQ(stream.size(), 11);
    ASSERT_TRUE(stream.openWrite(temp / "a.txt"));
    EXPECT_EQ(stream.size(), 0);
    EXPECT_FALSE(stream.isClosed());
    stream.close();
    EXPECT_EQ(fs::file_size(temp / "a.txt"), 0u);
}

TEST(FileStreamOpen, BackslashPathsOpenNatively) {
    TempFolder temp;
    fs::create_directory(temp.path() / "sub");
    FileStream stream;
    ASSERT_TRUE(stream.openWrite(temp / "sub" + "\\a.txt"));
    EXPECT_EQ(stream.path(), temp / "sub" + "\\a.txt") << "the path is kept as given";
    EXPECT_EQ(stream.putString("hello"), 1);
    stream.close();
    EXPECT_EQ(readFile(temp / "sub/a.txt"), "hello");
}

TEST(FileStreamOpen, LongPathKeepsItsFirst255CharactersButOpensInFull) {
    TempFolder temp;
    std::string folder = temp.path().string();
    while (folder.size() < 270) {
        folder += "/" + std::string(40, 'd');
        fs::create_directory(folder);
    }
    std::string path = folder + "/";
    path += std::string(300 - path.size(), 'f');
    ASSERT_EQ(path.size(), 300u);

    FileStream stream;
    ASSERT_TRUE(stream.openWrite(path));
    EXPECT_EQ(stream.path(), path.substr(0, 255));
    stream.putString("long");
    stream.close();
    EXPECT_EQ(readFile(path), "long");
    EXPECT_EQ(stream.path(), "");
}

TEST(FileStreamClose, ReportsDataThatCouldNotBeWritten) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no device that refuses writes";
    }
    FileStream stream;
    ASSERT_TRUE(stream.openWrite("/dev/full"));
    EXPECT_EQ(stream.write("0123456789", 1, 10), 10) << "buffered, the failure shows on close";
    EXPECT_EQ(stream.close(), -1);
    EXPECT_TRUE(stream.isClosed());
    EXPECT_EQ(stream.close(), 0);
}

TEST(FileStreamLifetime, DestructorAndMoveCloseExactlyOnce) {
    TempFolder temp;
    {
        FileStream first;
        ASSERT_TRUE(first.openWrite(temp / "a.txt"));
        first.putString("moved ");
        FileStream second(std::move(first));
        EXPECT_TRUE(first.isClosed());
        EXPECT_EQ(first.path(), "");
        EXPECT_FALSE(second.isClosed());
        second.putString("twice");

        FileStream third;
        ASSERT_TRUE(third.openWrite(temp / "b.txt"));
        third.putString("replaced");
        third = std::move(second); // closes b.txt, takes over a.txt
        third.putChar('!');
    }
    EXPECT_EQ(readFile(temp / "a.txt"), "moved twice!");
    EXPECT_EQ(readFile(temp / "b.txt"), "replaced");
}

TEST(FileStreamRead, LinesBytesAndWholeFile) {
    TempFolder temp;
    writeFile(temp / "a.txt", "first\nsecond");
    FileStream stream;
    ASSERT_TRUE(stream.openRead(temp / "a.txt"));

    char line[64];
    ASSERT_NE(stream.getString(line, sizeof line), nullptr);
    EXPECT_STREQ(line, "first\n");
    EXPECT_EQ(stream.tell(), 6);
    EXPECT_EQ(stream.getChar(), 's');
    EXPECT_EQ(stream.seek(-2, 2), 0);
    char tail[2];
    EXPECT_EQ(stream.read(tail, 1, 2), 2);
    EXPECT_EQ(std::string(tail, 2), "nd");
    EXPECT_EQ(stream.atEnd(), 0);
    EXPECT_EQ(stream.getChar(), -1);
    EXPECT_NE(stream.atEnd(), 0);
    EXPECT_EQ(stream.seek(0, 3), -1) << "unknown origin";

    std::unique_ptr<char[]> buffer;
    std::int32_t length = -1;
    stream.readAll(buffer, length);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(length, 12);
    EXPECT_STREQ(buffer.get(), "first\nsecond");
    stream.freeBuffer(std::move(buffer));

    writeFile(temp / "empty.txt", "");
    ASSERT_TRUE(stream.openRead(temp / "empty.txt"));
    stream.readAll(buffer, length);
    EXPECT_EQ(buffer, nullptr);
    EXPECT_EQ(length, 0);
}

TEST(FileStreamRead, ClosedStreamFailsWithoutTouchingAFile) {
    FileStream stream;
    char buffer[8] = "keep";
    EXPECT_EQ(stream.getChar(), -1);
    EXPECT_EQ(stream.getString(buffer, 8), nullptr);
    EXPECT_EQ(stream.read(buffer, 1, 8), 0);
    EXPECT_EQ(stream.write(buffer, 1, 8), 0);
    EXPECT_EQ(stream.putChar('x'), EOF);
    EXPECT_EQ(stream.putString("x"), EOF);
    EXPECT_EQ(stream.seek(0, 0), -1);
    EXPECT_EQ(stream.tell(), -1);
    EXPECT_NE(stream.atEnd(), 0);
    RecordingStream destination;
    EXPECT_EQ(stream.copyTo(destination, 100), 0);
    EXPECT_STREQ(buffer, "keep");
}

TEST(FileStreamOpen, RecordsTheSourceFileTime) {
    TempFolder temp;
    writeFile(temp / "a.txt", "x");
    FileTime expected;
    ASSERT_TRUE(queryFileTime(temp / "a.txt", &expected));
    FileStream stream;
    ASSERT_TRUE(stream.openRead(temp / "a.txt"));
    stream.close();
    EXPECT_EQ(stream.fileTime().low, expected.low) << "kept after close";
    EXPECT_EQ(stream.fileTime().high, expected.high);
}

} // namespace
} // namespace vantrel
