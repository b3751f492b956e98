#include "project/ProjectWriter.h"

#include "fileutil/TextFile.h"
#include "model/ProjectSchema.h"
#include "project/ConfiguredProject.h"
#include "project/ProjectFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

namespace vantrel {
namespace {

using namespace std::string_literals;

ActionDefinition defaultAction(const std::string& name) {
    ActionDefinition action;
    action.setActionDefaults(name);
    return action;
}

ProjectState hostProject(std::int32_t ProjectState::*host, std::string name, std::string location) {
    ProjectState project;
    project.*host = 1;
    project.nameText = std::move(name);
    project.locationBase = std::move(location);
    project.locationText = project.locationBase;
    project.setDefaultDllFlags();
    return project;
}

struct WriterCase {
    const char* name;
    std::function<ProjectState()> make;
};

void PrintTo(const WriterCase& c, std::ostream* os) {
    *os << c.name;
}

const WriterCase WRITER_CASES[] = {
    {"KelWithDefaultActions",
     [] {
         ProjectState p = hostProject(&ProjectState::kelHost, "Demo", "out");
         p.actions = {defaultAction("Line"), defaultAction("Arc")};
         return p;
     }},
    {"DovWithNoActions",
     [] {
         ProjectState p = hostProject(&ProjectState::dovHost, "", "");
         p.dllFlags = PIDLLFL_RESIDENT;
         return p;
     }},
    {"OddStringsEverywhere",
     [] {
         const std::string odd =
             "q\"b\\s/ \b\f\n\r\t\x01\x1f\x7f"s + '\0' + "\xC3\xA4\xE2\x80\xA8\xF0\x9F\x98\x80";
         ProjectState p = hostProject(&ProjectState::dovHost, "N" + odd, "C:\\dir\\" + odd);
         ActionDefinition a = defaultAction("A" + odd);
         for (const ActionField& field : ACTION_FIELDS) {
             if (field.kind == ActionKey::Text)
                 a.*field.text = field.key.data() + odd;
         }
         a.menu.clear(); // an empty text differs from the default too
         p.actions = {a};
         return p;
     }},
    {"NumbersWithoutNames",
     [] {
         ProjectState p = hostProject(&ProjectState::kelHost, "Bits", "/tmp/x");
         p.dllFlags = 0xFFFF0004; // no row's value: kept as a number
         ActionDefinition a = defaultAction("T0");
         a.type = 0;
         a.flags = 0;
         ActionDefinition b = defaultAction("T1");
         b.type = 0xFFFFFFFF;
         b.flags = ACTION_FLAG_BITS;
         b.indivInterface = 1;
         b.staticMemBuf = 1;
         ActionDefinition c = defaultAction("T2");
         c.type = 4;
         c.flags = ACF_PANEL_WINDOW | ACF_CB_MS_MOVE;
         p.actions = {a, b, c};
         return p;
     }},
    {"ZeroFlagsAndNoDllName",
     [] {
         ProjectState p = hostProject(&ProjectState::kelHost, "Z", "z");
         p.dllFlags = 0;
         p.actions = {defaultAction("Same"), defaultAction("Same")};
         return p;
     }},
};

// Everything ProjectFile reads, compared field by field.
void expectSameAnswers(const ProjectState& read, const ProjectState& written) {
    EXPECT_EQ(read.kelHost, written.kelHost);
    EXPECT_EQ(read.dovHost, written.dovHost);
    EXPECT_EQ(read.nameText, written.nameText);
    EXPECT_EQ(read.locationBase, written.locationBase);
    EXPECT_EQ(read.locationText, written.locationText);
    EXPECT_EQ(read.dllFlags, written.dllFlags);
    ASSERT_EQ(read.actions.size(), written.actions.size());
    for (std::size_t i = 0; i < read.actions.size(); ++i)
        EXPECT_EQ(read.actions[i], written.actions[i]) << "action " << i;
}

class ProjectWriterRoundTrip : public testing::TestWithParam<WriterCase> {};

TEST_P(ProjectWriterRoundTrip, ReadsBackEveryFieldAndWritesTheSameBytes) {
    const ProjectState written = GetParam().make();
    const std::string text = projectFileText(written, WithLocation::Yes);
    ProjectState read = configuredProject();
    read.actions = {defaultAction("Replaced")};
    const std::optional<ProjectFileError> error = ProjectFile("p.json").apply(text, read);
    ASSERT_FALSE(error) << error->message << "\n" << text;
    expectSameAnswers(read, written);
    EXPECT_EQ(projectFileText(read, WithLocation::Yes), text);

    // Without the location the reader keeps the one the project had.
    ProjectState moved = configuredProject();
    ASSERT_FALSE(ProjectFile("p.json").apply(projectFileText(written, WithLocation::No), moved));
    EXPECT_EQ(moved.locationBase, configuredProject().locationBase);
    EXPECT_EQ(moved.nameText, written.nameText);
}

INSTANTIATE_TEST_SUITE_P(Projects, ProjectWriterRoundTrip, testing::ValuesIn(WRITER_CASES),
                         [](const auto& info) { return std::string(info.param.name); });

std::string sourceDir() {
    const char* dir = std::getenv("VANTREL_SOURCE_DIR");
    return dir ? dir : ".";
}

TEST(ProjectWriter, SamplesKeepTheirAnswersAndForm) {
    for (const char* sample : {"demo.json", "demo-dov.json"}) {
        const std::string path = sourceDir() + "/data/sample/" + sample;
        ProjectState first;
        ASSERT_FALSE(ProjectFile(path).load(first)) << path;
        const std::string text = projectFileText(first, WithLocation::Yes);
        ProjectState second;
        ASSERT_FALSE(ProjectFile(path).apply(text, second));
        expectSameAnswers(second, first);
        // Written as the sample is written by hand, keys in the schema's order aside.
        std::ifstream in(path);
        std::stringstream original;
        original << in.rdbuf();
        if (std::string(sample) == "demo-dov.json") {
            EXPECT_NE(text.find("\"flags\": [\"ACF_PROC_EXECUTE\", \"ACF_PROC_CLOSE\", "
                                "\"ACF_PROC_FIRSTTIME\", \"ACF_MENU\",\n                      "
                                "\"ACF_PANEL_WINDOW\""),
                      std::string::npos)
                << text;
        }
        EXPECT_EQ(text.substr(0, 100), original.str().substr(0, 100));
    }
}

TEST(ProjectWriter, BytesThatAreNoUtf8BecomeReplacementCharacters) {
    ProjectState project = hostProject(&ProjectState::kelHost, "a\xFF"s + "b\xC3", "");
    const std::string text = projectFileText(project, WithLocation::Yes);
    ProjectState read;
    ASSERT_FALSE(ProjectFile("p.json").apply(text, read)) << text;
    EXPECT_EQ(read.nameText, "a\xEF\xBF\xBD"s + "b\xEF\xBF\xBD");
}

// Saving: the old file is whole, no temporary is left, and the message says why.
struct SaveFault {
    const char* name;
    std::function<std::string(const TempFolder&)> prepare; // the path to save to
    const char* reason;
    bool needsUnprivileged = false;
};

void PrintTo(const SaveFault& c, std::ostream* os) {
    *os << c.name;
}

// Writing past this size fails with EFBIG, for any user.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old{};
};

const SaveFault SAVE_FAULTS[] = {
    {"ReadOnlyFolder",
     [](const TempFolder& t) {
         const std::string path = t.write("ro/p.json", "old").string();
         ::chmod((t / "ro").c_str(), 0555);
         return path;
     },
     "cannot create a file beside it: Permission denied", true},
    {"MissingFolder", [](const TempFolder& t) { return t / "none/p.json"; },
     "cannot create a file beside it: No such file or directory"},
    {"FolderInThePlace",
     [](const TempFolder& t) {
         std::filesystem::create_directories(t / "dir.json");
         return t / "dir.json";
     },
     "not a plain file"},
};

class ProjectSaveFault : public testing::TestWithParam<SaveFault> {};

TEST_P(ProjectSaveFault, KeepsTheOldFileAndSaysWhy) {
    if (GetParam().needsUnprivileged && ::geteuid() == 0)
        GTEST_SKIP() << "a privileged user writes into a read-only folder";
    TempFolder folder;
    const std::string path = GetParam().prepare(folder);
    const ProjectState project = hostProject(&ProjectState::kelHost, "New", "");
    const std::optional<std::string> error = saveProjectFile(path, project);
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, path + ": " + GetParam().reason);
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

TEST(ProjectSave, FailedWriteKeepsTheOldFileWhole) {
    TempFolder folder;
    const std::string path = folder.write("p.json", "old").string();
    ProjectState project = hostProject(&ProjectState::kelHost, std::string(64 * 1024, 'n'), "");
    std::optional<std::string> error;
    {
        FileSizeLimit limit(4096);
        error = saveProjectFile(path, project);
    }
    ASSERT_TRUE(error);
    EXPECT_EQ(*error, path + ": cannot write it: File too large");
    EXPECT_EQ(readTextFile(path, 0).value_or(""), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(ProjectSave, ReplacesKeepingPermissionsAndLinks) {
    TempFolder folder;
    const std::string path = folder.write("p.json", "old").string();
    ::chmod(path.c_str(), 0640);
    std::filesystem::create_symlink("p.json", folder / "link.json");
    const ProjectState project = hostProject(&ProjectState::dovHost, "Saved", "out");
    ASSERT_FALSE(saveProjectFile(folder / "link.json", project));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.json"));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    ProjectState read;
    ASSERT_FALSE(ProjectFile(path).load(read));
    expectSameAnswers(read, project);
}

} // namespace
} // namespace vantrel
