#include "engine/TemplateCache.h"
#include "engine/Engine.h"
#include "support/RecordingSink.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

TEST(TemplateCache, KeepsEachReadableFileOnce) {
    TempFolder tmp;
    const std::string path = tmp.write("plugin.tpl", "a\r\nb\n").string();
    TemplateCache cache;
    const TemplateReader::Content first = cache.load(path);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->text(), "a\nb\n");
    tmp.write("plugin.tpl", "changed behind the run's back\n");
    EXPECT_EQ(cache.load(path), first) << "a kept file is not read again";

    const std::string absent = (tmp.path() / "later.tpl").string();
    EXPECT_EQ(cache.load(absent), nullptr);
    tmp.write("later.tpl", "now here\n");
    ASSERT_NE(cache.load(absent), nullptr) << "a file that could not be read is tried again";
    EXPECT_EQ(cache.load(absent)->text(), "now here\n");
}

TEST(TemplateCache, ForgetsAFileWrittenUnderAnyName) {
    TempFolder tmp;
    const std::string path = tmp.write("tpl/plugin.tpl", "old\n").string();
    const std::string other = tmp.write("tpl/other.tpl", "other\n").string();
    fs::create_symlink(path, tmp.path() / "link.tpl");
    fs::create_hard_link(path, tmp.path() / "hard.tpl");
    TemplateCache cache;

    for (const fs::path& written :
         {fs::path(path), tmp.path() / "link.tpl", tmp.path() / "hard.tpl",
          tmp.path() / "tpl/../tpl/plugin.tpl"}) {
        SCOPED_TRACE(written.string());
        const TemplateReader::Content kept = cache.load(path);
        const TemplateReader::Content keptOther = cache.load(other);
        cache.forget(tmp.path() / "new-file.cpp"); // not there yet: nothing goes
        cache.forget(other + ".bak");
        EXPECT_EQ(cache.load(path), kept);
        cache.forget(written.string());
        EXPECT_NE(cache.load(path), kept) << "the written file is read afresh";
        EXPECT_EQ(cache.load(other), keptOther) << "other files stay kept";
    }
}

// A script may write over a template that it goes on to use: each create_file: sees the file as
// it is at that moment, as if every command opened it anew.
TEST(TemplateCache, RunReadsATemplateAgainAfterWritingOverIt) {
    TempFolder tmp;
    ProjectState project;
    project.projectName = "Demo";
    project.kelHost = 1;
    project.projectLocation = (tmp.path() / "out").string();
    project.templatedirectory = (tmp.path() / "out" / "Demo").string();
    // The copy source is saved under the second value, gen.tpl: over the template once more.
    project.extraSettings.push_back(
        {"GENTPL", tmp.write("kit/gen.tpl", "filesection: main\nthird\n").string(), "gen.tpl"});
    project.keltemplate =
        tmp.write("kel.script", "create_directory: \"%PROJECTNAME%\"\n"
                                "create_file: \"first.txt\" \"main\" \"gen.tpl\"\n"
                                "create_file: \"gen.tpl\" \"next\" \"seed.tpl\"\n"
                                "create_file: \"second.txt\" \"main\" \"gen.tpl\"\n"
                                "copy_file: %GENTPL% \"%PROJECTNAME%\"\n"
                                "create_file: \"third.txt\" \"main\" \"gen.tpl\"\n")
            .string();
    ActionDefinition action;
    action.name = "Line";
    project.actions = {action};
    tmp.write("out/Demo/gen.tpl", "filesection: main\nfirst %PROJECTNAME%\n");
    tmp.write("out/Demo/seed.tpl", "filesection: next\nfilesection: main\nsecond\n");
    RecordingSink sink;
    Engine generator(project, sink);

    EXPECT_TRUE(generator.runScript());
    EXPECT_TRUE(sink.texts().empty());
    EXPECT_EQ(readFile(tmp.path() / "out/Demo/first.txt"), "first Demo\n");
    EXPECT_EQ(readFile(tmp.path() / "out/Demo/second.txt"), "second\n");
    EXPECT_EQ(readFile(tmp.path() / "out/Demo/third.txt"), "third\n");
}

} // namespace
} // namespace vantrel
