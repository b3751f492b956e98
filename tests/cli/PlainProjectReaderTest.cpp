#include "cli/PlainProjectReader.h"
#include "cli/ConfiguredProject.h"
#include "cli/LibraryProjectReader.h"
#include "cli/ProjectFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <ostream>
#include <random>
#include <sstream>
#include <string>
#include <thread>

namespace vantrel {
namespace {

using namespace std::string_literals;

// The configured project with an action list already present, so keeping or replacing it shows.
ProjectState startingProject() {
    ProjectState project = configuredProject();
    ActionDefinition kept;
    kept.setActionDefaults("Kept");
    project.appendAction(kept);
    return project;
}

// Every field the project file can reach, one per line, so a difference reads as a diff.
std::string describe(const ProjectState& project) {
    std::ostringstream out;
    out << "kel=" << project.kelHost << " dov=" << project.dovHost << " dll=" << project.dllFlags
        << "\nname=" << project.nameText << "\nbase=" << project.locationBase
        << "\nlocation=" << project.locationText << "\nactions=" << project.actions.size() << '\n';
    for (const ActionDefinition& a : project.actions) {
        out << "- " << a.name << " type=" << a.type << " flags=" << a.flags
            << " indiv=" << a.indivInterface << " static=" << a.staticMemBuf
            << " edited=" << a.defEdited << a.panelEdited << a.msgEdited
            << " reserved=" << a.reserved1 << ',' << a.reserved2 << ',' << a.reserved3 << '\n';
        for (const std::string* text :
             {&a.menu, &a.tbName, &a.tooltips, &a.tbButton, &a.procExecute, &a.procClose,
              &a.procFirstTime, &a.panelClass, &a.cbStatus, &a.cbKeybrd, &a.cbMsLbDown, &a.cbMsLbUp,
              &a.cbMsRbDown, &a.cbMsRbUp, &a.cbMsMove})
            out << "  [" << *text << "]\n";
    }
    return out.str();
}

struct Outcome {
    bool ok = false;
    std::string error;
    std::string project;
};

bool operator==(const Outcome& a, const Outcome& b) {
    return a.ok == b.ok && a.error == b.error && a.project == b.project;
}

std::ostream& operator<<(std::ostream& os, const Outcome& o) {
    return os << (o.ok ? "ok" : "refused") << " [" << o.error << "]\n" << o.project;
}

Outcome libraryApply(const std::string& text) {
    ProjectState project = startingProject();
    const std::string problem = applyProjectWithLibrary(text, project);
    return {problem.empty(), problem.empty() ? "" : "p.json: " + problem, describe(project)};
}

Outcome projectFileApply(const std::string& text) {
    ProjectState project = startingProject();
    ProjectFile file("p.json");
    const bool ok = file.apply(text, project);
    return {ok, file.error(), describe(project)};
}

Outcome libraryLoad(const std::string& path) {
    ProjectState project = startingProject();
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    const std::string problem =
        file ? readProjectWithLibrary(file.get(), project) : std::string("cannot be read");
    return {problem.empty(), problem.empty() ? "" : path + ": " + problem, describe(project)};
}

Outcome projectFileLoad(const std::string& path) {
    ProjectState project = startingProject();
    ProjectFile file(path);
    const bool ok = file.load(project);
    return {ok, file.error(), describe(project)};
}

bool takenPlainly(const std::string& text) {
    ProjectState project = startingProject();
    return PlainProjectReader(text).read(project) == PlainProjectReader::Result::Applied;
}

const std::string USUAL = R"({
 "host": "KEL",
 "name": "Demo",
 "location": "out\\here",
 "dllFlags": "PIDLLFL_AUTO",
 "actions": [
  {
   "name": "Line",
   "type": 1,
   "flags": 150470775,
   "indivInterface": true,
   "staticMemBuf": false,
   "menu": "Draw\\Line",
   "tbName": "Line tool",
   "tooltips": "Draws a line"
  },
  {"name": "Arc", "type": "pipd_loadproc", "flags": ["ACF_MENU", "ACF_TOOLBAR"], "menu": ""}
 ]
}
)";

struct DocumentCase {
    const char* name;
    std::string json;
    bool plain; // the plain reader takes it; otherwise the library's reader decides alone
};

void PrintTo(const DocumentCase& c, std::ostream* os) {
    *os << c.name << (c.plain ? " (plain): " : " (not plain): ") << c.json;
}

std::string withAction(const std::string& members) {
    return R"({"host": "DOV", "actions": [{)" + members + "}]}";
}

class PlainProjectDocument : public testing::TestWithParam<DocumentCase> {};

TEST_P(PlainProjectDocument, SameOutcomeAsTheLibraryAlone) {
    const DocumentCase& c = GetParam();
    EXPECT_EQ(takenPlainly(c.json), c.plain);
    EXPECT_EQ(projectFileApply(c.json), libraryApply(c.json));

    TempFolder folder;
    const std::string path = folder.write("p.json", c.json).string();
    EXPECT_EQ(projectFileLoad(path), libraryLoad(path));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PlainProjectDocument,
    testing::Values(
        DocumentCase{"Usual", USUAL, true},
        DocumentCase{"EveryActionKey",
                     withAction(R"("type": 4, "flags": 0, "indivInterface": 1, "staticMemBuf": 0,
            "menu": "m", "tbName": "tn", "tooltips": "tt", "tbButton": "tb", "procExecute": "pe",
            "procClose": "pc", "procFirstTime": "pf", "panelClass": "PC", "cbStatus": "s",
            "cbKeybrd": "k", "cbMsLbDown": "ld", "cbMsLbUp": "lu", "cbMsRbDown": "rd",
            "cbMsRbUp": "ru", "cbMsMove": "mv", "name": "Last")"),
                     true},
        DocumentCase{"NameInTheMiddle",
                     withAction(R"("menu": "M", "indivInterface": true, "name": "Mid",
                                   "procExecute": "")"),
                     true},
        DocumentCase{"KeysInAnotherOrderPerAction",
                     R"({"host": "KEL", "actions": [{"name": "a", "menu": "1"},
                        {"menu": "2", "name": "b"}, {"tbName": "3", "name": "c", "type": 2}]})",
                     true},
        DocumentCase{"EmptyActionList", R"({"host": "KEL", "actions": []})", true},
        DocumentCase{"NoActionsKeyKeepsTheList", R"({"host": "kel", "name": ""})", true},
        DocumentCase{"LastKeyCanBeActions", R"({"actions": [{"name": "x"}], "host": "Dov"})", true},
        DocumentCase{"WhiteSpaceEverywhere",
                     " \t\r\n{ \"host\"\t:\r\n\"KEL\" ,\n\"actions\" : [ { \"name\" : \"a\" ,"
                     "\"flags\" : [ \"ACF_MENU\" , \"ACF_MENU\" ] } ] } \r\n\t ",
                     true},
        DocumentCase{"Escapes",
                     withAction(R"("name": "q\"b\\s\/b\bf\fn\nr\rt\t", "menu": "\u0041\u00e9\u20ac",
                                   "tbName": "\ud83d\ude00", "tooltips": "\u0000x")"),
                     true},
        DocumentCase{"EscapedKey", withAction(R"("na\u006de": "k", "\u006denu": "m")"), true},
        DocumentCase{"RawUtf8",
                     withAction("\"name\": \"Gr\xC3\xB6\xC3\x9F\x65 \xE2\x82\xAC "
                                "\xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF\""),
                     true},
        DocumentCase{"DeleteCharacter", withAction("\"name\": \"a\x7F\""), true},
        DocumentCase{"TypeNames",
                     R"({"host": "KEL", "actions": [{"name": "a", "type": "PIPD_X | Pipd_LoadProc"},
                        {"name": "b", "type": "pipd_"}]})",
                     false},
        DocumentCase{"TypeNameAfterJunk", withAction(R"("name": "a", "type": "x | pipd_loadproc")"),
                     true},
        DocumentCase{"BoundaryNumbers",
                     R"({"host": "KEL", "dllFlags": 4294967295, "actions": [{"name": "a",
                        "type": 0, "flags": 0, "staticMemBuf": 1}]})",
                     true},
        DocumentCase{"DllFlagsResident", R"({"host": "KEL", "dllFlags": "PIDLLFL_RESIDENT"})",
                     true},
        // What the plain reader leaves to the library's reader.
        DocumentCase{"LoneHighSurrogate", withAction(R"("name": "\ud800x")"), false},
        DocumentCase{"LoneLowSurrogate", withAction(R"("name": "\udc00")"), false},
        DocumentCase{"SurrogateThenNonSurrogate", withAction(R"("name": "\ud800\u0041")"), false},
        DocumentCase{"ShortUnicodeEscape", withAction(R"("name": "\u00g1")"), false},
        DocumentCase{"UnknownEscape", withAction(R"("name": "\x")"), false},
        DocumentCase{"OverlongUtf8", withAction("\"name\": \"\xC0\x80\""), false},
        DocumentCase{"EncodedSurrogate", withAction("\"name\": \"\xED\xA0\x80\""), false},
        DocumentCase{"BeyondUnicode", withAction("\"name\": \"\xF4\x90\x80\x80\""), false},
        DocumentCase{"TruncatedUtf8", withAction("\"name\": \"\xE2\x82\""), false},
        DocumentCase{"StrayContinuation", withAction("\"name\": \"\x80\""), false},
        DocumentCase{"RawTabInString", withAction("\"name\": \"a\tb\""), false},
        DocumentCase{"NulInString", withAction(std::string("\"name\": \"a\0b\"", 12)), false},
        DocumentCase{"NulAfterDocument", std::string("{\"host\": \"KEL\"}\0", 16), false},
        DocumentCase{"RepeatedRootKey", R"({"host": "KEL", "name": "a", "name": "b"})", false},
        DocumentCase{"RepeatedActionsKey",
                     R"({"host": "KEL", "actions": [{"name": "a"}], "actions": []})", false},
        DocumentCase{"RepeatedActionKey", withAction(R"("name": "a", "menu": "1", "menu": "2")"),
                     false},
        DocumentCase{"RepeatedNameKey", withAction(R"("name": "a", "name": "b")"), false},
        DocumentCase{"UnknownRootKey", R"({"host": "KEL", "colour": "red"})", false},
        DocumentCase{"UnknownActionKey", withAction(R"("name": "a", "Menu": "m")"), false},
        DocumentCase{"NullValue", withAction(R"("name": "a", "menu": null)"), false},
        DocumentCase{"Float", withAction(R"("name": "a", "type": 1.0)"), false},
        DocumentCase{"Exponent", withAction(R"("name": "a", "type": 1e2)"), false},
        DocumentCase{"Negative", withAction(R"("name": "a", "type": -1)"), false},
        DocumentCase{"NegativeZero", withAction(R"("name": "a", "type": -0)"), false},
        DocumentCase{"LeadingZero", withAction(R"("name": "a", "type": 01)"), false},
        DocumentCase{"BeyondAWord", R"({"host": "KEL", "dllFlags": 4294967296})", false},
        DocumentCase{"HugeNumber", R"({"host": "KEL", "dllFlags": 123456789012345678901234})",
                     false},
        DocumentCase{"CheckBoxTwo", withAction(R"("name": "a", "indivInterface": 2)"), false},
        DocumentCase{"CheckBoxString", withAction(R"("name": "a", "staticMemBuf": "1")"), false},
        DocumentCase{"FlagsNoAcfBit", withAction(R"("name": "a", "flags": 8)"), false},
        DocumentCase{"FlagsUnknownName", withAction(R"("name": "a", "flags": ["ACF_MENUS"])"),
                     false},
        DocumentCase{"FlagsNameInLowerCase", withAction(R"("name": "a", "flags": ["acf_menu"])"),
                     false},
        DocumentCase{"FlagsNested", withAction(R"("name": "a", "flags": [["ACF_MENU"]])"), false},
        DocumentCase{"FlagsTrailingComma", withAction(R"("name": "a", "flags": ["ACF_MENU",])"),
                     false},
        DocumentCase{"NestedObject", withAction(R"("name": "a", "menu": {"x": 1})"), false},
        DocumentCase{"EmptyAction", R"({"host": "KEL", "actions": [{}]})", false},
        DocumentCase{"ActionNotObject", R"({"host": "KEL", "actions": ["a"]})", false},
        DocumentCase{"UnnamedAction", withAction(R"("menu": "m")"), false},
        DocumentCase{"HostMissing", R"({"name": "a"})", false},
        DocumentCase{"HostUnknown", R"({"host": "KELL"})", false},
        DocumentCase{"EmptyRoot", "{}", false}, DocumentCase{"RootArray", "[]", false},
        DocumentCase{"EmptyDocument", "", false}, DocumentCase{"OnlyWhiteSpace", " \n", false},
        DocumentCase{"ByteOrderMark", "\xEF\xBB\xBF{\"host\": \"KEL\"}", false},
        DocumentCase{"Comment", "{\"host\": \"KEL\" /* c */}", false},
        DocumentCase{"TrailingText", R"({"host": "KEL"} x)", false},
        DocumentCase{"SecondDocument", R"({"host": "KEL"}{"host": "DOV"})", false},
        DocumentCase{"TrueMisspelt", withAction(R"("name": "a", "indivInterface": tru)"), false},
        DocumentCase{"TrueRunOn", withAction(R"("name": "a", "indivInterface": truex)"), false},
        DocumentCase{"SingleQuotes", "{'host': 'KEL'}", false},
        DocumentCase{"DllFlagsLowerCaseName", R"({"host": "KEL", "dllFlags": "pidllfl_auto"})",
                     false},
        DocumentCase{"TruncatedInString", USUAL.substr(0, 150), false},
        DocumentCase{"TruncatedInNumber", USUAL.substr(0, USUAL.find("150470775") + 4), false},
        DocumentCase{"TruncatedInLiteral", USUAL.substr(0, USUAL.find("true") + 2), false},
        DocumentCase{"TruncatedAtLastBrace", USUAL.substr(0, USUAL.rfind('}')), false}),
    [](const testing::TestParamInfo<DocumentCase>& info) { return std::string(info.param.name); });

// Every token of an action once across the boundary between two 64 KB reads of the file.
TEST(PlainProjectChunks, TokensAcrossTheReadBoundary) {
    const std::string action =
        R"({"name": "Chunk\"\u00e9", "type": 1234567, "flags": ["ACF_MENU", "ACF_TOOLBAR"], )"
        "\"indivInterface\": true, \"staticMemBuf\": false, \"menu\": \"\xE2\x82\xAC\\\\m\"}";
    const std::string head = R"({"host": "KEL", "actions": [)";
    constexpr std::size_t CHUNK = 64 * 1024;
    TempFolder folder;
    for (std::size_t offset = 0; offset <= action.size(); ++offset) {
        const std::string document =
            head + std::string(CHUNK - head.size() - offset, ' ') + action + "]}";
        ASSERT_TRUE(takenPlainly(document)) << offset;
        const std::string path = folder.write("p.json", document).string();
        const Outcome loaded = projectFileLoad(path);
        ASSERT_TRUE(loaded.ok) << offset << ": " << loaded.error;
        ASSERT_EQ(loaded, libraryLoad(path)) << "boundary " << offset << " bytes into the action";
    }
}

// A pipe cannot be read twice: the library's reader alone reads it, with the same result.
TEST(PlainProjectChunks, PipeIsReadOnceByTheLibrary) {
    TempFolder folder;
    const std::string fifo = folder / "p.json";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& document : {USUAL, std::string(R"({"host": "KEL", "colour": 1})")}) {
        std::thread writer([&] { std::ofstream(fifo, std::ios::binary) << document; });
        const Outcome piped = projectFileLoad(fifo);
        writer.join();
        const std::string path = folder.write("copy.json", document).string();
        Outcome expected = libraryLoad(path);
        if (!expected.ok)
            expected.error.replace(0, path.size(), fifo);
        EXPECT_EQ(piped, expected);
    }
}

// Random damage to a document that uses every form: whatever the plain reader takes must be
// what the library's reader makes of it, and whatever it leaves must read as before.
TEST(PlainProjectMutations, SameOutcomeAsTheLibraryAlone) {
    const std::string base =
        USUAL.substr(0, USUAL.rfind(']')) +
        R"(, {"tbButton": "b\t\u00e9\ud83d\ude00", "name": "N\u00e9", "staticMemBuf": 1,
        "type": "PIPD_LOADPROC", "flags": [], "indivInterface": 0}])" +
        "\n}\n";
    ASSERT_TRUE(takenPlainly(base));
    const std::string alphabet =
        "{}[]\":,\\/ \n\t0123456789.-+eEtrufalsn\x7F\x80\xC3\xE2\xFF\0uabcXYZ   "s;
    std::mt19937 random(20240607);
    TempFolder folder;
    int plain = 0;
    for (int round = 0; round < 5000; ++round) {
        std::string document = base;
        const int edits = round % 2 == 0 ? 1 : 2 + static_cast<int>(random() % 2);
        for (int e = 0; e < edits && !document.empty(); ++e) {
            const std::size_t at = random() % document.size();
            const char byte = alphabet[random() % alphabet.size()];
            switch (random() % 3) {
            case 0:
                document.erase(at, 1 + random() % 3);
                break;
            case 1:
                document.insert(at, 1, byte);
                break;
            default:
                document[at] = byte;
                break;
            }
        }
        plain += takenPlainly(document) ? 1 : 0;
        ASSERT_EQ(projectFileApply(document), libraryApply(document)) << "round " << round << ":\n"
                                                                      << document;
        if (round % 25 == 0) {
            const std::string path = folder.write("p.json", document).string();
            ASSERT_EQ(projectFileLoad(path), libraryLoad(path)) << "round " << round;
        }
    }
    // The damage must leave enough documents plain for the comparison to mean something.
    EXPECT_GT(plain, 250) << plain;
}

} // namespace
} // namespace vantrel
