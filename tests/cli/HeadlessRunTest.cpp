// The command line of the built vantrel-gen. Whole runs are cases of tests/data/runs.
#include "support/GeneratorProcess.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel {
namespace {

class HeadlessInvocation : public testing::Test {
protected:
    TempFolder m_work;
};

TEST_F(HeadlessInvocation, UsageErrorsGoToStandardErrorWithStatusTwo) {
    const std::string usage =
        "usage: vantrel-gen [--config FILE] PROJECT_FILE\n"
        "       vantrel-gen --check [--werror] [--config FILE] [PROJECT_FILE]\n"
        "       vantrel-gen --help | --version\n";
    ProcessResult result = runGeneratorIn(m_work.path(), {});
    EXPECT_EQ(result.err, "vantrel-gen: PROJECT_FILE missing\n" + usage);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.status, 2);

    result = runGeneratorIn(m_work.path(), {"--loud", "p.json"});
    EXPECT_EQ(result.err, "vantrel-gen: unknown option '--loud'\n" + usage);
    EXPECT_EQ(result.status, 2);

    result = runGeneratorIn(m_work.path(), {"absent.json"});
    EXPECT_EQ(result.err, "absent.json: cannot be read\n");
    EXPECT_EQ(result.status, 2);
}

TEST_F(HeadlessInvocation, VersionAndHelp) {
    ProcessResult result = runGeneratorIn(m_work.path(), {"--version"});
    EXPECT_EQ(result.out, "vantrel-gen 1.4\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);

    result = runGeneratorIn(m_work.path(), {"--help"});
    EXPECT_TRUE(result.out.starts_with("usage: vantrel-gen [--config FILE] PROJECT_FILE\n"));
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.status, 0);
}

} // namespace
} // namespace vantrel
