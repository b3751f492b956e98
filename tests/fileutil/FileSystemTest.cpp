#include "fileutil/FileSystem.h"

#include "support/TempFolder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <vector>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

// Every case runs in a fresh working folder holding the folder "dir" and the file "file.txt".
struct CreateCase {
    const char* name;
    const char* path;
    std::vector<const char*> foldersAfter;
    std::vector<const char*> absentAfter;
};

void PrintTo(const CreateCase& c, std::ostream* os) {
    *os << '\'' << c.path << '\'';
}

class CreateDirectoryPath : public testing::TestWithParam<CreateCase> {};

TEST_P(CreateDirectoryPath, CreatesTheFolderWithEveryMissingParent) {
    TempFolder temp;
    WorkingFolder cwd(temp.path());
    fs::create_directory("dir");
    writeFile("dir/keep.txt", "kept");
    writeFile("file.txt", "plain");

    createDirectoryPath(GetParam().path);

    for (const char* folder : GetParam().foldersAfter) {
        EXPECT_TRUE(fs::is_directory(folder)) << folder;
    }
    for (const char* absent : GetParam().absentAfter) {
        EXPECT_FALSE(fs::exists(absent)) << absent;
    }
    EXPECT_EQ(readFile("dir/keep.txt"), "kept");
    EXPECT_TRUE(fs::is_regular_file("file.txt"));
    EXPECT_EQ(readFile("file.txt"), "plain");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CreateDirectoryPath,
    testing::Values(
        CreateCase{"ParentsInOrder", "out/a/b/c", {"out", "out/a", "out/a/b", "out/a/b/c"}, {}},
        CreateCase{"BackslashesAreSeparators", "out\\src", {"out", "out/src"}, {"out\\src"}},
        CreateCase{"TrailingSeparator", "out\\a\\b\\", {"out/a", "out/a/b"}, {}},
        CreateCase{"BelowAnExistingFolder", "dir/new/deep", {"dir", "dir/new", "dir/new/deep"}, {}},
        CreateCase{"ExistingFolderUntouched", "dir", {"dir"}, {}},
        CreateCase{"ThroughARegularFileFailsQuietly", "file.txt/sub/deeper", {}, {"file.txt/sub"}},
        CreateCase{"LastElementIsARegularFile", "file.txt", {}, {}},
        CreateCase{"DriveWithoutSeparatorCreatesNothing", "D:tmp", {}, {"D:tmp", "D:"}},
        CreateCase{"DriveItselfIsNeverCreated", "C:\\Projects\\Demo", {}, {"C:", "C:/Projects"}},
        CreateCase{"EmptyPathCreatesNothing", "", {}, {}}),
    [](const testing::TestParamInfo<CreateCase>& info) { return std::string(info.param.name); });

TEST(CreateDirectoryPathAbsolute, CreatesBelowAnAbsoluteLocation) {
    TempFolder temp;
    const std::string target = temp / "Demo" + "\\res\\icons";
    createDirectoryPath(target);
    EXPECT_TRUE(fs::is_directory(temp.path() / "Demo" / "res" / "icons"));
}

struct ExistsCase {
    const char* name;
    const char* path;
    bool expected;
};

void PrintTo(const ExistsCase& c, std::ostream* os) {
    *os << '\'' << c.path << '\'';
}

class DirectoryExists : public testing::TestWithParam<ExistsCase> {};

TEST_P(DirectoryExists, TellsFoldersFromEverythingElse) {
    TempFolder temp;
    WorkingFolder cwd(temp.path());
    fs::create_directories("dir/sub");
    writeFile("file.txt", "plain");

    EXPECT_EQ(directoryExists(GetParam().path), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DirectoryExists,
    testing::Values(ExistsCase{"Folder", "dir", true}, ExistsCase{"TrailingSlash", "dir/", true},
                    ExistsCase{"TrailingBackslash", "dir\\", true},
                    ExistsCase{"NestedWithBackslash", "dir\\sub", true},
                    ExistsCase{"RegularFile", "file.txt", false},
                    ExistsCase{"RegularFileWithSeparator", "file.txt\\", false},
                    ExistsCase{"EndsInDot", "dir/.", false},
                    ExistsCase{"EndsInBackslashDot", "dir\\sub\\.", false},
                    ExistsCase{"Missing", "missing", false}, ExistsCase{"Empty", "", false},
                    ExistsCase{"DriveRootWithoutDrives", "C:\\", false},
                    ExistsCase{"DriveWithoutDrives", "C:", false}, ExistsCase{"Root", "/", true}),
    [](const testing::TestParamInfo<ExistsCase>& info) { return std::string(info.param.name); });

TEST(QueryFileTime, DeliversTheLastWriteTimeOfAFile) {
    TempFolder temp;
    const std::string file = temp / "a.txt";
    writeFile(file, "x");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    const std::uint64_t expected =
        (static_cast<std::uint64_t>(info.st_mtim.tv_sec) + 11644473600ULL) * 10000000ULL +
        static_cast<std::uint64_t>(info.st_mtim.tv_nsec) / 100U;

    FileTime time;
    ASSERT_TRUE(queryFileTime(file, &time));
    EXPECT_EQ((static_cast<std::uint64_t>(time.high) << 32) | time.low, expected);
    EXPECT_TRUE(queryFileTime(file, nullptr));
}

TEST(QueryFileTime, MissingFileOrFolderLeavesTheTimeUntouched) {
    TempFolder temp;
    FileTime time{7, 9};
    EXPECT_FALSE(queryFileTime(temp / "missing.txt", &time));
    EXPECT_FALSE(queryFileTime(temp.path().string(), &time));
    EXPECT_EQ(time.low, 7u);
    EXPECT_EQ(time.high, 9u);
}

// Opening for writing: what it reports, and that a link in the file's place is left alone
// along with whatever it leads to.
TEST(OpenForWriting, CreatesEmptiesAndStopsAtALink) {
    TempFolder temp;
    const auto openAndWrite = [](const std::string& path, WriteOpen& how) {
        std::FILE* file = openForWriting(path, how);
        if (file == nullptr)
            return false;
        std::fputs("new", file);
        return std::fclose(file) == 0;
    };
    WriteOpen how = WriteOpen::Failed;

    const std::string fresh = temp / "fresh.txt";
    ASSERT_TRUE(openAndWrite(fresh, how));
    EXPECT_EQ(how, WriteOpen::Created);
    EXPECT_EQ(readFile(fresh), "new");

    const std::string longer = temp / "longer.txt";
    writeFile(longer, "a longer text than the new one");
    ASSERT_TRUE(openAndWrite(longer, how));
    EXPECT_EQ(how, WriteOpen::Emptied);
    EXPECT_EQ(readFile(longer), "new");

    const std::string aim = temp / "aim.txt";
    writeFile(aim, "kept");
    const std::string link = temp / "link.txt";
    fs::create_symlink(aim, link);
    EXPECT_EQ(openForWriting(link, how), nullptr);
    EXPECT_EQ(how, WriteOpen::LinkInPlace);
    EXPECT_EQ(readFile(aim), "kept");

    const std::string dangling = temp / "dangling.txt";
    fs::create_symlink(temp / "nowhere.txt", dangling);
    EXPECT_EQ(openForWriting(dangling, how), nullptr);
    EXPECT_EQ(how, WriteOpen::LinkInPlace);
    EXPECT_FALSE(fs::exists(temp / "nowhere.txt"));

    fs::create_directory(temp.path() / "folder");
    EXPECT_EQ(openForWriting(temp / "folder", how), nullptr);
    EXPECT_EQ(how, WriteOpen::Failed);
    EXPECT_EQ(openForWriting(temp / "missing/x.txt", how), nullptr);
    EXPECT_EQ(how, WriteOpen::Failed);
}

TEST(NativePath, BackslashesBecomeSlashes) {
    EXPECT_EQ(nativePath("out\\Demo\\res\\"), "out/Demo/res/");
    EXPECT_EQ(nativePath("/already/native"), "/already/native");
}

} // namespace
} // namespace vantrel
