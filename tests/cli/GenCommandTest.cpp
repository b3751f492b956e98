// The command line of the built vantrel-gen. Whole runs are cases of tests/data/runs.
#include "cli/CommandLine.h"
#include "config/ConfigurationSearch.h"
#include "support/GeneratorProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

class HeadlessInvocation : public testing::Test {
protected:
    TempFolder m_work;
};

TEST_F(HeadlessInvocation, UsageErrorsGoToStandardErrorWithStatusTwo) {
    // The usage lines as the built program prints them; their text is pinned by the parser's test.
    const std::string usage = usageText();
    ProcessResult result = runGeneratorIn(m_work.path(), {});
    EXPECT_EQ(result.err, "vantrel-gen: PROJECT_FILE missing\n" + usage);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.status, 2);

    result = runGeneratorIn(m_work.path(), {"--loud", "p.json"});
    EXPECT_EQ(result.err, "vantrel-gen: unknown option '--loud'\n" + usage);
    EXPECT_EQ(result.status, 2);

    m_work.write("vantrel.cfg", ""); // found, so that the project file's fault comes alone
    result = runGeneratorIn(m_work.path(), {"absent.json"});
    EXPECT_EQ(result.err, "absent.json: cannot be read (No such file or directory)\n");
    EXPECT_EQ(result.status, 2);
}

TEST_F(HeadlessInvocation, VersionAndHelp) {
    ProcessResult result = runGeneratorIn(m_work.path(), {"--version"});
    EXPECT_EQ(result.out, "vantrel-gen 1.4\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);

    result = runGeneratorIn(m_work.path(), {"--help"});
    EXPECT_TRUE(result.out.starts_with(
        "usage: vantrel-gen [--config FILE] [--strict] [--conflict=beside|markers|git]\n"));
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
}

TEST_F(HeadlessInvocation, ConfigurationFromTheGivenFileOrDefaults) {
    m_work.write("elsewhere/site.cfg", "keltemplate = \"scripts\\k.tpl\"\n"
                                       "defaultprojectname = \"Named\"\n"
                                       "workdirectory = \"wd\"\n");
    m_work.write("scripts/k.tpl", "create_directory: \"%PROJECTNAME%\"\n");
    m_work.write("p.json", R"({"host": "kel", "actions": [{"name": "A"}]})");
    ProcessResult result =
        runGeneratorIn(m_work.path(), {"--config", "elsewhere/site.cfg", "p.json"});
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, "wd\nwd/Named\n");
    EXPECT_EQ(result.status, 0);

    // Without a configuration the script is kelpi.tpl in the working folder, and it is absent;
    // the run says first that it found none, and where it looked.
    const std::string home = m_work / "home";
    const std::string sample =
        installedSampleConfiguration(fs::canonical(VANTREL_GEN_PATH).parent_path().string());
    result = runGeneratorIn(m_work.path(), {"p.json"},
                            "export HOME=" + shellQuoted(home) + "; unset XDG_CONFIG_HOME;");
    EXPECT_EQ(result.err, "vantrel-gen: no configuration found, running on built-in defaults "
                          "(looked for vantrel.cfg, " +
                              home + "/.config/vantrel/vantrel.cfg, " + sample +
                              ")\nOpen file error:\nkelpi.tpl\n");
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.status, 1);

    result = runGeneratorIn(m_work.path(), {"--config", "absent.cfg", "p.json"});
    EXPECT_EQ(result.err, "vantrel-gen: cannot read the configuration absent.cfg, running on "
                          "built-in defaults\nOpen file error:\nkelpi.tpl\n")
        << "a missing file keeps the defaults";
    EXPECT_EQ(result.status, 1);
}

TEST_F(HeadlessInvocation, UserConfigurationWhereTheWorkingFolderHasNone) {
    const std::string script = m_work.write("k.tpl", "create_directory: \"%PROJECTNAME%\"\n");
    // Its script by absolute path and no work folder: the project goes to the working folder.
    m_work.write("home/.config/vantrel/vantrel.cfg",
                 "keltemplate = \"" + script + "\"\nworkdirectory = \"\"\n");
    m_work.write("run/p.json", R"({"host": "kel", "name": "Demo", "actions": [{"name": "A"}]})");
    const ProcessResult result =
        runGeneratorIn(m_work.path() / "run", {"p.json"},
                       "export HOME=" + shellQuoted(m_work / "home") + "; unset XDG_CONFIG_HOME;");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, "Demo\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_TRUE(fs::is_directory(m_work.path() / "run/Demo"));
}

} // namespace
} // namespace vantrel
