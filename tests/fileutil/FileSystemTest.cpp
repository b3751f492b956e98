#include "fileutil/FileSystem.h"
#include "fileutil/ExistingFile.h"
#include "fileutil/FileReplace.h"
#include "fileutil/TextFile.h"

#include "support/TempFolder.h"

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
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

// What stands in a generated file's place is looked at without following a link, and only a
// new file is created: a link, a folder and a file that is there are left as they are.
// A caller that expects something there looks first, with the same outcome.
class CreateOrInspect : public testing::TestWithParam<bool> {};

TEST_P(CreateOrInspect, CreatesOnlyWhereNothingIsAndLooksAtTheRest) {
    TempFolder temp;
    ExistingFile existing;
    std::FILE* fresh = createOrInspect(temp / "fresh.txt", existing, GetParam());
    ASSERT_NE(fresh, nullptr);
    std::fclose(fresh);

    const std::string plain = temp / "plain.txt";
    writeFile(plain, "old bytes");
    ::chmod(plain.c_str(), 0640);
    EXPECT_EQ(createOrInspect(plain, existing, GetParam()), nullptr);
    EXPECT_EQ(existing.kind, ExistingFile::Kind::Regular);
    EXPECT_EQ(existing.bytes, "old bytes");
    EXPECT_EQ(existing.permissions, 0640u);

    const std::string aim = temp / "aim.txt";
    writeFile(aim, "kept");
    fs::create_symlink(aim, temp.path() / "link.txt");
    EXPECT_EQ(createOrInspect(temp / "link.txt", existing, GetParam()), nullptr);
    EXPECT_EQ(existing.kind, ExistingFile::Kind::Link);
    EXPECT_EQ(existing.bytes, "kept");
    fs::create_symlink(temp.path() / "nowhere.txt", temp.path() / "dangling.txt");
    EXPECT_EQ(createOrInspect(temp / "dangling.txt", existing, GetParam()), nullptr);
    EXPECT_EQ(existing.kind, ExistingFile::Kind::Link);
    EXPECT_FALSE(existing.bytes.has_value());
    EXPECT_FALSE(fs::exists(temp.path() / "nowhere.txt"));

    fs::create_directory(temp.path() / "folder");
    EXPECT_EQ(createOrInspect(temp / "folder", existing, GetParam()), nullptr);
    EXPECT_EQ(existing.kind, ExistingFile::Kind::None);
    EXPECT_EQ(readFile(aim), "kept");

    // A replacement keeps the permission bits and leaves no temporary file; one that cannot
    // be made leaves nothing either.
    ASSERT_TRUE(replaceFile(plain, "new", 0640));
    EXPECT_EQ(readFile(plain), "new");
    EXPECT_EQ(fs::status(plain).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_FALSE(replaceFile(temp / "missing/plain.txt", "new", 0644));
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(temp.path()))
        ++entries;
    EXPECT_EQ(entries, 6u) << "fresh, plain, aim, link, dangling, folder";
}

INSTANTIATE_TEST_SUITE_P(CreatedOrLookedAtFirst, CreateOrInspect, testing::Bool());

// A replacement leaves a file what it was: one its owner may not write is not replaced, and one
// that is more than a name with permission bits (other names, another owner, attributes) gets
// the new bytes in place; a plain one is renamed over, through a temporary the note is told of.
TEST(ReplaceFile, KeepsWhatTheFileWas) {
    const TempFolder temp;
    const auto inode = [](const std::string& path) {
        struct stat info {};
        ::lstat(path.c_str(), &info);
        return info.st_ino;
    };
    struct Row {
        const char* name;
        std::function<bool(const std::string& path)> prepare; // false: not possible here
        bool replaced;
        bool sameInode;
    };
    const Row rows[] = {
        {"plain", [](const std::string&) { return true; }, true, false},
        {"read-only", [](const std::string& path) { return ::chmod(path.c_str(), 0444) == 0; },
         false, true},
        {"hard-linked",
         [&](const std::string& path) { return ::link(path.c_str(), (path + ".2").c_str()) == 0; },
         true, true},
        {"owned by another",
         [](const std::string& path) {
             return ::geteuid() == 0 && ::chown(path.c_str(), 12345, 12345) == 0;
         },
         true, true},
        {"with an attribute",
         [](const std::string& path) {
             return ::setxattr(path.c_str(), "user.mine", "1", 1, 0) == 0;
         },
         true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = temp / (std::string(row.name) + ".txt");
        writeFile(path, "old");
        if (!row.prepare(path))
            continue;
        const auto before = inode(path);
        std::vector<std::string> noted;
        const bool replaced = replaceFile(path, "new", 0644, [&](const std::string& temporary) {
            noted.push_back(temporary);
            return true;
        });
        EXPECT_EQ(replaced, row.replaced);
        EXPECT_EQ(readFile(path), row.replaced ? "new" : "old");
        EXPECT_EQ(inode(path) == before, row.sameInode);
        EXPECT_EQ(noted.size(), row.sameInode ? 0u : 1u);
        if (std::string(row.name) == "hard-linked") {
            EXPECT_EQ(readFile(path + ".2"), "new");
        }
    }
    // What the note refuses is not made.
    EXPECT_FALSE(
        replaceFile(temp / "plain.txt", "newer", 0644, [](const std::string&) { return false; }));
    EXPECT_EQ(readFile(temp / "plain.txt"), "new");
}

// The sweep removes exactly what a journal names and is there as a plain file.
TEST(ReplaceFile, SweepRemovesOnlyNotedTemporaries) {
    const TempFolder temp;
    const std::string journal = temp / "record/temporaries";
    const TemporaryNote note = journalOfTemporaries(journal);
    ASSERT_TRUE(note(temp / ".a.vantrel-aaaaaa"));
    ASSERT_TRUE(note(temp / "gone"));
    writeFile(temp / ".a.vantrel-aaaaaa", "half");
    writeFile(temp / ".b.vantrel-bbbbbb", "mine");
    removeNotedTemporaries(journal);
    EXPECT_FALSE(fs::exists(temp / ".a.vantrel-aaaaaa"));
    EXPECT_TRUE(fs::exists(temp / ".b.vantrel-bbbbbb"));
    EXPECT_FALSE(fs::exists(journal));
}

// A size told ahead that is wrong (the file changed since it was asked) still gives every byte.
TEST(ReadAll, GivesEveryByteWhateverSizeWasExpected) {
    TempFolder temp;
    const std::string text(70000, 'v');
    const std::string path = temp / "f.txt";
    writeFile(path, text);
    for (const std::size_t expected : {0ul, 1ul, 69999ul, 70000ul, 70001ul, 200000ul}) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        ASSERT_GE(fd, 0);
        std::string bytes = "kept:";
        EXPECT_TRUE(readAll(fd, bytes, expected));
        ::close(fd);
        EXPECT_EQ(bytes, "kept:" + text) << expected;
    }
}

// After a write failed: what stands in the way, or nothing when nothing is found.
TEST(WhyNotWritable, NamesWhatStandsInTheWay) {
    TempFolder tmp;
    tmp.write("a/file", "x");
    std::filesystem::create_directories(tmp.path() / "a/folder");
    const std::pair<const char*, std::string> rows[] = {
        {"a/new.txt", ""},                     // nothing in the way
        {"a/missing/deeper/new.txt", ""},      // folders that can be made
        {"a/folder", "a folder stands there"}, // a folder in the file's place
        {"a/file/new.txt",
         tmp / "a/file" + " is a file, not a folder"}, // a file where a folder goes
        {"a/file/x/new.txt", tmp / "a/file" + " is a file, not a folder"},
    };
    for (const auto& [path, reason] : rows)
        EXPECT_EQ(whyNotWritable(tmp / path), reason) << path;
}

TEST(NativePath, BackslashesBecomeSlashes) {
    EXPECT_EQ(nativePath("out\\Demo\\res\\"), "out/Demo/res/");
    EXPECT_EQ(nativePath("/already/native"), "/already/native");
}

} // namespace
} // namespace vantrel
