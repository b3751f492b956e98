#include "record/Manifest.h"
#include "record/RecordFolder.h"
#include "record/RecordingOutput.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>
#include <xxhash.h>

#include <filesystem>
#include <string>
#include <vector>

namespace vantrel {
namespace {

using Kind = Manifest::Kind;
using State = Manifest::State;

Manifest::Entry entry(Kind kind, std::string path, std::uint64_t size = 0, ContentHash hash = 0,
                      State state = State::Generated, ContentHash pending = 0) {
    return {kind, state, std::move(path), size, hash, pending, false};
}

TEST(Manifest, ReadsBackWhatItWritesSortedAndWithoutTimes) {
    Manifest manifest;
    manifest.addInput({Manifest::Role::Script, "scripts\\kel.vts", 1});
    manifest.addInput({Manifest::Role::Configuration, "/etc/x/vantrel.cfg", 0x0123456789abcdefu});
    manifest.entries.push_back(entry(Kind::Folder, "res"));
    manifest.entries.push_back(
        entry(Kind::File, "a name with spaces.cpp", 12, 0xffffffffffffffffu));
    manifest.entries.push_back(entry(Kind::Copy, "odd\\name\nwith\rbreaks", 0, 7));
    manifest.entries.push_back(entry(Kind::File, "a name with spaces.cpp", 13, 8)); // twice
    manifest.entries.push_back(entry(Kind::File, "Gone.cpp", 5, 9, State::Gone));
    manifest.entries.push_back(entry(Kind::Copy, "kit.h", 5, 10, State::Conflict, 11));
    for (const State state : {State::Generated, State::Gone, State::Conflict}) {
        Manifest::Entry mine =
            entry(Kind::File, "mine" + std::to_string(int(state)), 3, 4, state, 5);
        mine.pending = state == State::Conflict ? 5 : 0;
        mine.yours = true;
        manifest.entries.push_back(mine);
    }
    // Each escaped byte alone in a path, at its ends, and all of them in a row.
    for (const char* path : {"line\nend", "\nfirst", "last\r", "back\\", "\\\\\r\n\\"})
        manifest.entries.push_back(entry(Kind::File, path, 1, 2));
    manifest.writtenAt = 1'796'748'907'194'421'618;
    manifest.templates = {"plugin templates", "2.1.0"};
    manifest.finish();
    ASSERT_EQ(manifest.entries.size(), 13u);
    EXPECT_EQ(manifest.at("a name with spaces.cpp")[0].hash, 8u); // the last one written
    const std::string text = manifestText(manifest);
    EXPECT_EQ(text.find("written"), std::string::npos);
    EXPECT_TRUE(text.starts_with(
        "vantrel-manifest 3\ntemplate-set plugin templates\ntemplate-version 2.1.0\n"));
    EXPECT_NE(text.find("\ngone file 5 0000000000000009 Gone.cpp\n"), std::string::npos);
    EXPECT_NE(text.find("\nconflict copy 5 000000000000000a 000000000000000b kit.h\n"),
              std::string::npos);
    const ReadManifest read = readManifest(text);
    EXPECT_EQ(read.version, 3);
    EXPECT_EQ(read.why, "");
    EXPECT_EQ(manifestText(read.manifest), text);
    EXPECT_TRUE(read.manifest.sameAs(manifest));
    EXPECT_EQ(read.manifest.at("kit.h")[0].state, State::Conflict);
    EXPECT_NE(text.find("\nyours gone file 3 0000000000000004 mine1\n"), std::string::npos);
    EXPECT_TRUE(read.manifest.at("mine2")[0].yours);
    EXPECT_FALSE(read.manifest.at("kit.h")[0].yours);
    EXPECT_EQ(read.manifest.findInput("scripts\\kel.vts")->role, Manifest::Role::Script);

    // What is machine-local goes apart: the time and the files that were not held.
    manifest.entries[2].held = true;
    Manifest local = read.manifest;
    ASSERT_TRUE(applyLocalText(localText(manifest), local));
    EXPECT_EQ(local.writtenAt, manifest.writtenAt);
    EXPECT_TRUE(local.sameAs(manifest));
    EXPECT_FALSE(applyLocalText("vantrel-local 1\nwritten x\n", local));
}

// A large manifest goes to its file in pieces: together they are the text, and the last entry
// made for a path stands however many there are; a sink that fails stops the writing.
TEST(Manifest, WritesALargeManifestInPieces) {
    Manifest manifest;
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < 4000; ++i)
            manifest.entries.push_back(entry(Kind::File, "Action" + std::to_string(i) + ".cpp",
                                             round, static_cast<ContentHash>(round)));
    manifest.finish();
    ASSERT_EQ(manifest.entries.size(), 4000u);
    EXPECT_EQ(manifest.at("Action3999.cpp")[0].size, 1u);
    std::vector<std::string> pieces;
    EXPECT_TRUE(writeManifest(manifest, [&pieces](std::string_view piece) {
        pieces.emplace_back(piece);
        return true;
    }));
    EXPECT_GT(pieces.size(), 1u);
    std::string joined;
    for (const std::string& piece : pieces)
        joined += piece;
    EXPECT_EQ(joined, manifestText(manifest));
    EXPECT_TRUE(readManifest(joined).manifest.sameAs(manifest));
    EXPECT_FALSE(writeManifest(manifest, [](std::string_view) { return false; }));
}

// Version control may join two records line by line: every entry of a path stays, each one
// proving its bytes, and the same line twice counts once.
TEST(Manifest, KeepsTwoEntriesOfOnePathFromJoinedRecords) {
    const ReadManifest read = readManifest("vantrel-manifest 3\n"
                                           "file 1 0000000000000001 a.cpp\n"
                                           "file 1 0000000000000001 b.cpp\n"
                                           "file 2 0000000000000002 a.cpp\n"
                                           "file 1 0000000000000001 a.cpp\n"
                                           "template-version 2.3.0\n"
                                           "template-version 2.10.0\n"
                                           "template-version 2.10.0\n");
    EXPECT_EQ(read.why, "");
    // Each branch's version: the older one's notes cover the newer's.
    EXPECT_EQ(read.manifest.templates.version, "2.3.0");
    ASSERT_EQ(read.manifest.at("a.cpp").size(), 2u);
    EXPECT_EQ(read.manifest.at("b.cpp").size(), 1u);
    EXPECT_TRUE(read.manifest.at("c.cpp").empty());
}

struct Damaged {
    const char* name;
    const char* text;
    const char* why;
    std::size_t entries; // those that still read
};

class DamagedManifest : public testing::TestWithParam<Damaged> {};

// A damaged line is passed over and named; the lines that read still count.
TEST_P(DamagedManifest, KeepsTheLinesThatReadAndNamesTheFirstFault) {
    const ReadManifest read = readManifest(GetParam().text);
    EXPECT_EQ(read.why, GetParam().why);
    EXPECT_EQ(read.manifest.entries.size(), GetParam().entries);
}

#define GOOD "file 1 0123456789abcdef good\n"
INSTANTIATE_TEST_SUITE_P(
    Faults, DamagedManifest,
    testing::Values(
        Damaged{"Empty", "", "line 0: the manifest is empty", 0},
        Damaged{"OtherVersion", "vantrel-manifest 4\n" GOOD, "line 1: no manifest of this version",
                0},
        Damaged{"Truncated", "vantrel-manifest 3\n" GOOD "file 1 0123",
                "line 3: the last line has no end", 1},
        Damaged{"UnknownEntry", "vantrel-manifest 3\nlink a b\n" GOOD,
                "line 2: unknown entry \"link\"", 1},
        Damaged{"ShortHash", "vantrel-manifest 3\nfile 1 abc a\n" GOOD, "line 2: no size and hash",
                1},
        Damaged{"UpperHash", "vantrel-manifest 3\nfile 1 0123456789ABCDEF a\n" GOOD,
                "line 2: no size and hash", 1},
        Damaged{"NegativeSize", "vantrel-manifest 3\n" GOOD "file -1 0123456789abcdef a\n",
                "line 3: no size and hash", 1},
        Damaged{"UpTheTree", "vantrel-manifest 3\nfile 1 0123456789abcdef ../../etc/passwd\n",
                "line 2: a path that leads out of the project folder", 0},
        Damaged{"Absolute", "vantrel-manifest 3\nfolder /etc\n",
                "line 2: a path that leads out of the project folder", 0},
        Damaged{"DotInside", "vantrel-manifest 3\ncopy 1 0123456789abcdef Demo/./x\n",
                "line 2: a path that leads out of the project folder", 0},
        Damaged{"BadEscape", "vantrel-manifest 3\nfolder a\\tb\n", "line 2: no path", 0},
        Damaged{"GoneFolder", "vantrel-manifest 3\ngone folder a\n",
                "line 2: unknown entry \"gone\"", 0},
        Damaged{"ConflictWithoutPending", "vantrel-manifest 3\nconflict " GOOD,
                "line 2: no hash of the new text", 0},
        Damaged{"GoneInOldVersion", "vantrel-manifest 2\ngone " GOOD,
                "line 2: unknown entry \"gone\"", 0},
        Damaged{"NegativeTime", "vantrel-manifest 2\nwritten -1\n" GOOD, "line 2: no time", 1},
        // A line of a file of the user's, as a reader of version 2 or a damaged one meets it.
        Damaged{"YoursInOldVersion", "vantrel-manifest 2\nyours " GOOD,
                "line 2: unknown entry \"yours\"", 0},
        Damaged{"YoursFolder", "vantrel-manifest 3\nyours folder a\n" GOOD,
                "line 2: unknown entry \"yours\"", 1},
        Damaged{"YoursAlone", "vantrel-manifest 3\nyours\n" GOOD, "line 2: a word is missing", 1},
        Damaged{"TemplateSetWithoutName", "vantrel-manifest 3\ntemplate-set \n" GOOD,
                "line 2: no template set", 1},
        Damaged{"InputRole", "vantrel-manifest 3\ninput library 0123456789abcdef x\n" GOOD,
                "line 2: no input line", 1}),
    [](const testing::TestParamInfo<Damaged>& info) { return info.param.name; });
#undef GOOD

// Records of the versions before: their files taken as held unless edited, when they were
// written known from the second on.
TEST(Manifest, ReadsTheEarlierVersions) {
    const ReadManifest first = readManifest("vantrel-manifest 1\nfile 1 0123456789abcdef Demo/a\n");
    EXPECT_EQ(first.version, 1);
    ASSERT_EQ(first.manifest.entries.size(), 1u);
    EXPECT_TRUE(first.manifest.entries[0].held);
    const ReadManifest second =
        readManifest("vantrel-manifest 2\nwritten 12\nedited 1 0123456789abcdef Demo/a\n");
    EXPECT_EQ(second.version, 2);
    EXPECT_EQ(second.manifest.writtenAt, 12);
    ASSERT_EQ(second.manifest.entries.size(), 1u);
    EXPECT_FALSE(second.manifest.entries[0].held);
    EXPECT_EQ(second.manifest.entries[0].kind, Kind::File);
}

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

// A hash is the library's own, for lengths its algorithm treats apart (to 16, 128 and 240 bytes,
// then in stripes), whole or in pieces.
TEST(ContentHash, IsTheLibrarysHashWholeOrInPieces) {
    std::string text;
    for (std::size_t i = 0; i < 5000; ++i)
        text += static_cast<char>(i * 7919 % 251);
    ContentHasher hasher;
    for (const std::size_t size :
         {0, 1, 3, 4, 8, 9, 16, 17, 128, 129, 240, 241, 1024, 1025, 5000}) {
        const std::string_view bytes(text.data(), size);
        const ContentHash whole = contentHash(bytes);
        EXPECT_EQ(whole, XXH3_64bits(bytes.data(), bytes.size())) << size;
        hasher.reset();
        for (std::size_t at = 0; at < size; at += 100)
            hasher.add(bytes.substr(at, 100));
        EXPECT_EQ(hasher.hash(), whole) << size;
        EXPECT_EQ(parseHash(hashText(whole)), whole);
    }
}

// The sweep after an interrupted run takes a half-written record away, and only that: a folder
// that merely bears the name and holds anything else is the user's.
TEST(RecordFolder, SweepRemovesOnlyRecordsBeingWritten) {
    TempFolder tmp;
    tmp.write("p/.vantrel-record-a1/manifest.txt", "vantrel-manifest 3\n");
    tmp.write("p/.vantrel-record-a1/inputs/0123456789abcdef.txt", "script\n");
    std::filesystem::create_directories(tmp.path() / "p/.vantrel-record-a2");
    tmp.write("p/.vantrel-record-b1/notes.txt", "mine\n");
    tmp.write("p/.vantrel-record-b2/manifest.txt", "mine too\n");
    tmp.write("p/.vantrel-record-b2/draft.txt", "and this\n");
    tmp.write("p/.vantrel-record-b3", "a file of that name\n");
    removePartialRecords(tmp / "p");
    for (const char* gone : {".vantrel-record-a1", ".vantrel-record-a2"})
        EXPECT_FALSE(std::filesystem::exists(tmp.path() / "p" / gone)) << gone;
    for (const char* kept :
         {".vantrel-record-b1/notes.txt", ".vantrel-record-b2/draft.txt", ".vantrel-record-b3"})
        EXPECT_TRUE(std::filesystem::exists(tmp.path() / "p" / kept)) << kept;
}

} // namespace
} // namespace vantrel
