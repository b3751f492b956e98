#include "project/ProjectWriter.h"

#include "fileutil/TextFile.h"
#include "model/ProjectSchema.h"
#include "project/ConfiguredProject.h"
#include "project/ProjectFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <sstream>

namespace vantrel {
namespace {

using namespace std::string_literals;

ActionDefinition action(const std::string& name, std::function<void(ActionDefinition&)> edit = {}) {
    ActionDefinition a;
    a.setActionDefaults(name);
    if (edit)
        edit(a);
    return a;
}

ProjectState project(bool kel, std::string name, std::string location, std::uint32_t dllFlags,
                     ActionDefinitions actions) {
    ProjectState p;
    (kel ? p.kelHost : p.dovHost) = 1;
    p.nameText = std::move(name);
    p.locationBase = p.locationText = std::move(location);
    p.dllFlags = dllFlags;
    p.actions = std::move(actions);
    return p;
}

const std::string ODD =
    "q\"b\\s/\b\f\n\r\t\x01\x1f\x7f"s + '\0' + "\xC3\xA4\xE2\x80\xA8\xF0\x9F\x98\x80";

const ProjectState PROJECTS[] = {
    project(true, "Demo", "out", PIDLLFL_AUTO, {action("Line"), action("Arc")}),
    project(false, "", "", PIDLLFL_RESIDENT, {}),
    project(false, "N" + ODD, "C:\\dir\\" + ODD, 0xFFFF0004, // no name for these DLL flags
            {action("A" + ODD,
                    [](ActionDefinition& a) {
                        a.tbName = a.tooltips = a.procClose = a.cbMsMove = ODD;
                        a.menu.clear(); // empty differs from the default too
                    }),
             action("T0", [](ActionDefinition& a) { a.type = a.flags = 0; }),
             action("T1",
                    [](ActionDefinition& a) {
                        a.type = 0xFFFFFFFF;
                        a.flags = ACTION_FLAG_BITS;
                        a.indivInterface = a.staticMemBuf = 1;
                    }),
             action("T2", [](ActionDefinition& a) { a.type = 4; })}),
    // Every character that is escaped or checked, at every place in a word of eight bytes.
    project(true, "Aligned", "out", PIDLLFL_AUTO,
            {action("Aligned",
                    [](ActionDefinition& a) {
                        for (const std::string& odd :
                             {"\""s, "\\"s, "\b"s, "\n"s, "\x01"s, "\x1f"s, "\x7f"s, "\0"s,
                              "\xC3\xA4"s, "\xE2\x80\xA8"s, "\xF0\x9F\x98\x80"s})
                            for (std::size_t k = 0; k <= 16; ++k)
                                a.tooltips += std::string(k, 'p') + odd;
                    })}),
    // Fields the name gives a default, each near it (case, one byte more or less) or at it.
    project(true, "Near", "out", PIDLLFL_AUTO,
            {action("MiXed",
                    [](ActionDefinition& a) {
                        a.menu = "tools\\MiXed";
                        a.procExecute = "MiXed_Execute";
                        a.panelClass = "CMiXedMainWnd_";
                        a.cbStatus = "cb_mixedStatusMsgProc"; // its default
                    }),
             action("A", [](ActionDefinition& a) { a.procExecute = "a_Execut"; }),
             action("", [](ActionDefinition& a) { a.panelClass = "CMainWnd"; })}),
    // The widest an action's text gets: every text six bytes a byte when written, checkboxes
    // as "false", every flag named; more than a piece on its own.
    project(true, "Wide", "out", PIDLLFL_AUTO,
            {action("Wide",
                    [](ActionDefinition& a) {
                        for (const ActionField& field : ACTION_FIELDS)
                            if (field.text != nullptr)
                                a.*field.text = std::string(2000, '\x01');
                        a.flags = ACTION_FLAG_BITS;
                        a.indivInterface = a.staticMemBuf = 0;
                    }),
             action("Next")}),
    // Long enough to be written in several pieces.
    project(true, "Many", "out", PIDLLFL_AUTO,
            [] {
                ActionDefinitions actions;
                for (int i = 0; i < 2000; ++i)
                    actions.push_back(action("Action" + std::to_string(i)));
                return actions;
            }()),
};

// Everything ProjectFile reads, field by field.
void expectSameAnswers(const ProjectState& read, const ProjectState& written) {
    EXPECT_EQ(read.kelHost, written.kelHost);
    EXPECT_EQ(read.dovHost, written.dovHost);
    EXPECT_EQ(read.nameText, written.nameText);
    EXPECT_EQ(read.locationBase, written.locationBase);
    EXPECT_EQ(read.locationText, written.locationText);
    EXPECT_EQ(read.dllFlags, written.dllFlags);
    EXPECT_EQ(read.actions, written.actions);
}

class ProjectWriterRoundTrip : public testing::TestWithParam<ProjectState> {};

TEST_P(ProjectWriterRoundTrip, ReadsBackEveryFieldAndWritesTheSameBytes) {
    const std::string text = projectFileText(GetParam(), WithLocation::Yes);
    ProjectState read = configuredProject();
    read.actions = {action("Replaced")};
    const std::optional<ProjectFileError> error = ProjectFile("p.json").apply(text, read);
    ASSERT_FALSE(error) << error->message << "\n" << text;
    expectSameAnswers(read, GetParam());
    EXPECT_EQ(projectFileText(read, WithLocation::Yes), text);
    // In pieces, the same bytes in either layout; a sink that fails stops the writer.
    for (const ActionLayout layout : {ActionLayout::Indented, ActionLayout::OnePerLine}) {
        std::string pieces;
        EXPECT_TRUE(writeProjectFile(GetParam(), WithLocation::Yes, layout,
                                     [&pieces](std::string_view piece) {
                                         pieces += piece;
                                         return true;
                                     }));
        EXPECT_EQ(pieces, projectFileText(GetParam(), WithLocation::Yes, layout));
        EXPECT_FALSE(writeProjectFile(GetParam(), WithLocation::Yes, layout,
                                      [](std::string_view) { return false; }));
    }

    // Without the location, the reader keeps the one the project had; an action to a line
    // reads as the same answers, each action's line starting with its comma.
    ProjectState moved = configuredProject();
    ASSERT_FALSE(ProjectFile("p.json").apply(projectFileText(GetParam(), WithLocation::No), moved));
    EXPECT_EQ(moved.locationBase, configuredProject().locationBase);
    const std::string lines =
        projectFileText(GetParam(), WithLocation::No, ActionLayout::OnePerLine);
    ProjectState fromLines = configuredProject();
    ASSERT_FALSE(ProjectFile("p.json").apply(lines, fromLines)) << lines;
    expectSameAnswers(fromLines, moved);
    std::size_t actionLines = 0;
    std::istringstream in(lines);
    for (std::string line; std::getline(in, line);) {
        if (!line.starts_with("        "))
            continue;
        EXPECT_EQ(line.substr(8, 2), actionLines == 0 ? "{\"" : ",{") << line;
        EXPECT_TRUE(line.ends_with("}")) << line;
        ++actionLines;
    }
    EXPECT_EQ(actionLines, GetParam().actions.size()) << lines;
}

INSTANTIATE_TEST_SUITE_P(Projects, ProjectWriterRoundTrip, testing::ValuesIn(PROJECTS));

TEST(ProjectWriter, SamplesReadBackAsRead) {
    for (const char* sample : {"demo.json", "demo-dov.json"}) {
        const std::string path = std::getenv("VANTREL_SOURCE_DIR") + "/data/sample/"s + sample;
        ProjectState first, second;
        ASSERT_FALSE(ProjectFile(path).load(first)) << path;
        const std::string text = projectFileText(first, WithLocation::Yes);
        ASSERT_FALSE(ProjectFile(path).apply(text, second));
        expectSameAnswers(second, first);
        EXPECT_EQ(text.substr(0, 100), readTextFile(path, 0)->substr(0, 100)); // the same form
    }
    ProjectState notUtf8 = project(true, "a\xFF"s + "b\xC3", "", 0, {}), read;
    ASSERT_FALSE(ProjectFile("p.json").apply(projectFileText(notUtf8, WithLocation::Yes), read));
    EXPECT_EQ(read.nameText, "a\xEF\xBF\xBD"s + "b\xEF\xBF\xBD");
}

// Saving: the old file stays whole, no temporary is left, and the message says why.
struct SaveFault {
    const char* name;
    std::function<std::string(const TempFolder&)> prepare; // the path to save to
    const char* reason;
    rlim_t fileSizeLimit = RLIM_INFINITY; // writing past it fails with EFBIG, for any user
};

const SaveFault SAVE_FAULTS[] = {
    {"ReadOnlyFolder",
     [](const TempFolder& t) {
         const std::string path = t.write("ro/p.json", "old").string();
         ::chmod((t / "ro").c_str(), 0555);
         return path;
     },
     "cannot create a file beside it: Permission denied"},
    {"MissingFolder", [](const TempFolder& t) { return t / "none/p.json"; },
     "cannot create a file beside it: No such file or directory"},
    {"FolderInThePlace",
     [](const TempFolder& t) {
         std::filesystem::create_directories(t / "dir.json");
         return t / "dir.json";
     },
     "not a plain file"},
    {"DiskFull", [](const TempFolder& t) { return t.write("p.json", "old").string(); },
     "cannot write it: File too large", 4096},
};

void PrintTo(const SaveFault& fault, std::ostream* os) {
    *os << fault.name;
}

class ProjectSaveFault : public testing::TestWithParam<SaveFault> {};

TEST_P(ProjectSaveFault, KeepsTheOldFileAndSaysWhy) {
    if (GetParam().name == std::string("ReadOnlyFolder") && ::geteuid() == 0)
        GTEST_SKIP() << "a privileged user writes into a read-only folder";
    TempFolder folder;
    const std::string path = GetParam().prepare(folder);
    const ProjectState big = project(true, std::string(64 * 1024, 'n'), "", 0, {});
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit limit = old;
    limit.rlim_cur = GetParam().fileSizeLimit;
    std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const std::optional<std::string> error = saveProjectFile(path, big);
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(error.value_or("saved"), path + ": " + GetParam().reason);
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (std::filesystem::is_regular_file(path)) {
        EXPECT_EQ(readTextFile(path, 0).value_or(""), "old");
    }
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(parent, ignored))
        EXPECT_EQ(entry.path().filename().string().find(".vantrel-"), std::string::npos);
    std::filesystem::permissions(parent, std::filesystem::perms::owner_all, ignored);
}

INSTANTIATE_TEST_SUITE_P(Faults, ProjectSaveFault, testing::ValuesIn(SAVE_FAULTS),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProjectSave, KeepsThePermissionsAndFollowsALink) {
    TempFolder folder;
    const std::string path = folder.write("p.json", "old").string();
    ::chmod(path.c_str(), 0640);
    std::filesystem::create_symlink("p.json", folder / "link.json");
    const ProjectState saved = PROJECTS[0];
    ASSERT_FALSE(saveProjectFile(folder / "link.json", saved));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.json"));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    ProjectState read;
    ASSERT_FALSE(ProjectFile(path).load(read));
    expectSameAnswers(read, saved);
}

} // namespace
} // namespace vantrel
