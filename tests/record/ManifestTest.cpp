#include "record/Manifest.h"
#include "record/RecordingOutput.h"

#include <gtest/gtest.h>
#include <xxhash.h>

#if defined(__x86_64__)
#include <cpuid.h>
#endif

namespace vantrel {
namespace {

TEST(Manifest, ReadsBackWhatItWrites) {
    Manifest manifest;
    manifest.addInput({Manifest::Role::Configuration, "/etc/x/vantrel.cfg", 0x0123456789abcdefu});
    manifest.addInput({Manifest::Role::Script, "scripts\\kel.vts", 1});
    manifest.add({Manifest::Kind::Folder, "Demo", 0, 0});
    manifest.addNew({Manifest::Kind::File, "Demo/a name with spaces.cpp", 12, 0xffffffffffffffffu});
    EXPECT_EQ(manifest.find("Demo/a name with spaces.cpp")->size, 12u);
    manifest.add({Manifest::Kind::Copy, "Demo/odd\\name\nwith\rbreaks", 0, 7});
    manifest.add({Manifest::Kind::File, "Demo/a name with spaces.cpp", 13, 8, true}); // twice
    manifest.writtenAt = 1'796'748'907'194'421'618;
    // Each escaped byte alone in a path, at its ends, and all of them in a row.
    for (const char* path :
         {"Demo/line\nend", "Demo/\nfirst", "Demo/last\r", "Demo/back\\", "Demo/\\\\\r\n\\"})
        manifest.addNew({Manifest::Kind::File, path, 1, 2});
    ASSERT_EQ(manifest.entries.size(), 8u);
    const std::string text = manifestText(manifest);
    std::string why;
    const std::optional<Manifest> read = readManifest(text, why);
    ASSERT_TRUE(read) << why;
    EXPECT_EQ(manifestText(*read), text);
    ASSERT_TRUE(read->sameAs(manifest));
    EXPECT_EQ(read->find("Demo/a name with spaces.cpp")->hash, 8u);
    EXPECT_TRUE(read->find("Demo/a name with spaces.cpp")->held);
    EXPECT_FALSE(read->find("Demo/line\nend")->held); // "edited"
    EXPECT_EQ(read->writtenAt, manifest.writtenAt);
    EXPECT_EQ(read->find("Demo/odd\\name\nwith\rbreaks")->kind, Manifest::Kind::Copy);
    EXPECT_EQ(read->findInput("scripts\\kel.vts")->role, Manifest::Role::Script);
    EXPECT_EQ(read->find("Demo"), nullptr); // folders are no files

    // Written in several pieces, read back whole.
    Manifest many;
    for (std::uint64_t i = 0; i < 3000; ++i)
        many.addNew({Manifest::Kind::File, "Demo/file" + std::to_string(i) + ".cpp", i, i});
    const std::optional<Manifest> back = readManifest(manifestText(many), why);
    ASSERT_TRUE(back) << why;
    EXPECT_TRUE(back->sameAs(many));

    // A record of the first version: its files taken as held, when it was written not known.
    const std::optional<Manifest> first =
        readManifest("vantrel-manifest 1\nfile 1 0123456789abcdef Demo/a\n", why);
    ASSERT_TRUE(first) << why;
    EXPECT_TRUE(first->entries[0].held);
    EXPECT_EQ(first->writtenAt, 0);
}

struct Damaged {
    const char* name;
    const char* text;
    const char* why;
};

class DamagedManifest : public testing::TestWithParam<Damaged> {};

TEST_P(DamagedManifest, IsRefusedWithTheLine) {
    std::string why;
    EXPECT_FALSE(readManifest(GetParam().text, why));
    EXPECT_EQ(why, GetParam().why);
}

const std::string HEAD = "vantrel-manifest 1\n";

INSTANTIATE_TEST_SUITE_P(
    Faults, DamagedManifest,
    testing::Values(
        Damaged{"Empty", "", "line 0: the manifest is empty"},
        Damaged{"OtherVersion", "vantrel-manifest 3\n", "line 1: no manifest of this version"},
        Damaged{"NoLineEnd", "vantrel-manifest 1", "line 1: the last line has no end"},
        Damaged{"UnknownEntry", "vantrel-manifest 1\nlink a b\n", "line 2: unknown entry \"link\""},
        Damaged{"ShortHash", "vantrel-manifest 1\nfile 1 abc a\n", "line 2: no size and hash"},
        Damaged{"UpperHash", "vantrel-manifest 1\nfile 1 0123456789ABCDEF a\n",
                "line 2: no size and hash"},
        Damaged{"NegativeSize", "vantrel-manifest 1\nfile -1 0123456789abcdef a\n",
                "line 2: no size and hash"},
        Damaged{"HugeSize", "vantrel-manifest 1\nfile 99999999999999999999 0123456789abcdef a\n",
                "line 2: no size and hash"},
        Damaged{"UpTheTree", "vantrel-manifest 1\nfile 1 0123456789abcdef ../../etc/passwd\n",
                "line 2: a path that leads out of the location"},
        Damaged{"Absolute", "vantrel-manifest 1\nfolder /etc\n",
                "line 2: a path that leads out of the location"},
        Damaged{"DotInside", "vantrel-manifest 1\ncopy 1 0123456789abcdef Demo/./x\n",
                "line 2: a path that leads out of the location"},
        Damaged{"TrailingSlash", "vantrel-manifest 1\nfolder Demo/\n",
                "line 2: a path that leads out of the location"},
        Damaged{"BadEscape", "vantrel-manifest 1\nfolder a\\tb\n", "line 2: no path"},
        Damaged{"EscapeAtTheEnd", "vantrel-manifest 1\nfolder a\\\n", "line 2: no path"},
        Damaged{"EmptyPath", "vantrel-manifest 1\nfolder \n", "line 2: no path"},
        Damaged{"NegativeTime", "vantrel-manifest 2\nwritten -1\n", "line 2: no time"},
        Damaged{"NoTime", "vantrel-manifest 2\nwritten \n", "line 2: no time"},
        Damaged{"InputRole", "vantrel-manifest 1\ninput library 0123456789abcdef x\n",
                "line 2: no input line"}),
    [](const testing::TestParamInfo<Damaged>& info) { return info.param.name; });

} // namespace
} // namespace vantrel

namespace vantrel {
namespace {

TEST(Manifest, KeysAreTakenBelowTheLocationOnly) {
    struct Row {
        const char* location;
        const char* path;
        std::optional<std::string> key;
    };
    const Row rows[] = {
        {"out", "out/Demo/a.cpp", "Demo/a.cpp"},
        {"out", "out/./Demo//a.cpp", "Demo/a.cpp"},
        {"/abs/out/", "/abs/out/x", "x"},
        {"", "Demo/x", "Demo/x"},
        {"out", "out/Demo/../../x", std::nullopt},
        {"out", "outside/x", std::nullopt},
        {"out", "out", std::nullopt},
        {"out", "/etc/passwd", std::nullopt},
    };
    for (const Row& row : rows)
        EXPECT_EQ(RecordingOutput::keyOf(row.location, row.path), row.key)
            << row.location << " " << row.path;
}

// Whichever build of the library hashes here, a hash is the library's own, for lengths its
// algorithm treats apart (to 16, 128 and 240 bytes, then in stripes), whole or in pieces; and
// the code built without AVX that asked for it does not find the upper halves of the vector
// registers set, which slows each of its vector instructions (the processor tells, where it can).
TEST(ContentHash, IsTheLibrarysHashWholeOrInPiecesAndLeavesTheVectorsClear) {
    const auto upperHalvesSet = [] {
        unsigned a = 0, b = 0, c = 0, d = 0;
#if defined(__x86_64__)
        if (__get_cpuid_count(0xD, 1, &a, &b, &c, &d) && (a & 4) != 0) {
            asm volatile("xgetbv" : "=a"(a), "=d"(d) : "c"(1)); // in use: a's bit 2
            return (a & 4) != 0;
        }
#endif
        return false;
    };
    std::string text;
    for (std::size_t i = 0; i < 5000; ++i)
        text += static_cast<char>(i * 7919 % 251);
    ContentHasher hasher;
    for (const std::size_t size :
         {0, 1, 3, 4, 8, 9, 16, 17, 128, 129, 240, 241, 1024, 1025, 5000}) {
        const std::string_view bytes(text.data(), size);
        const ContentHash whole = contentHash(bytes);
        EXPECT_FALSE(upperHalvesSet()) << size;
        EXPECT_EQ(whole, XXH3_64bits(bytes.data(), bytes.size())) << size;
        hasher.reset();
        for (std::size_t at = 0; at < size; at += 100)
            hasher.add(bytes.substr(at, 100));
        const ContentHash pieces = hasher.hash();
        EXPECT_FALSE(upperHalvesSet()) << size;
        EXPECT_EQ(pieces, whole) << size;
    }
}

} // namespace
} // namespace vantrel
