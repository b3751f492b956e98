// A second run into a project that holds the first run's output: identical files are not
// touched (their times stay, so the plug-in's build does not recompile them), a file whose
// bytes change is replaced with its permission bits kept, and the listing names every target.
#include "support/GeneratorProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <sys/stat.h>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

TEST(Regeneration, LeavesIdenticalFilesAloneAndReplacesChangedOnes) {
    TempFolder work;
    work.write("vantrel.cfg", "templatedirectory = \"tpl\"\npiinc = \"kit\\pi.h\"\n");
    work.write("kit/pi.h", "// pi\n");
    work.write("tpl/plugin.tpl", "filesection: main\n// %PROJECTNAME%\n"
                                 "filesection: action\n// %ACTIONNAME%\n");
    work.write("kelpi.tpl", "create_directory: \"%PROJECTNAME%\"\n"
                            "copy_file: %piinc% \"%PROJECTNAME%\"\n"
                            "create_file: \"main.cpp\" \"main\" \"plugin.tpl\"\n"
                            "@FOR 0 TO ALL_ACTIONS\n"
                            "create_file: \"%ACTIONNAME%.cpp\" \"action\" \"plugin.tpl\"\n"
                            "@ENDFOR\n");
    work.write("project.json", R"({"host": "KEL", "name": "Demo", "location": "out",
                                   "actions": [{"name": "Line"}, {"name": "Arc"}]})");
    const ProcessResult first = runGeneratorIn(work.path(), {"project.json"});
    ASSERT_EQ(first.status, 0) << first.err;

    const fs::path demo = work.path() / "out/Demo";
    const auto past = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const char* name : {"pi.h", "main.cpp", "Line.cpp", "Arc.cpp"})
        fs::last_write_time(demo / name, past);
    writeAt(demo / "Line.cpp", "// edited\n");
    writeAt(demo / "pi.h", "// old kit\n");
    ::chmod((demo / "Line.cpp").c_str(), 0600);
    const auto inode = [](const fs::path& path) {
        struct stat info {};
        ::stat(path.c_str(), &info);
        return info.st_ino;
    };
    const auto arcInode = inode(demo / "Arc.cpp");

    const ProcessResult second =
        runGeneratorIn(work.path(), {"--overwrite-edited", "project.json"});
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(second.err, "");
    EXPECT_EQ(second.out, "out/Demo/pi.h\nout/Demo/Line.cpp\n"); // what was written
    EXPECT_EQ(fs::last_write_time(demo / "main.cpp"), past);
    EXPECT_EQ(fs::last_write_time(demo / "Arc.cpp"), past);
    EXPECT_EQ(inode(demo / "Arc.cpp"), arcInode);
    EXPECT_EQ(readFile(demo / "Line.cpp"), "// Line\n");
    EXPECT_EQ(readFile(demo / "pi.h"), "// pi\n");
    EXPECT_EQ(fs::status(demo / "Line.cpp").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

} // namespace
} // namespace vantrel

namespace vantrel {
namespace {

void replaceIn(const fs::path& file, std::string_view from, std::string_view to) {
    std::string text = readFile(file);
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from << " not in " << file;
    text.replace(at, from.size(), to);
    writeAt(file, text);
}

// The sample generated, three of its files edited, then an action added and a template changed:
// the regeneration keeps every edit and differs from a fresh generation only where it must.
TEST(Regeneration, KeepsTheUsersEditsAndMergesTheNewText) {
    TempFolder work;
    const fs::path sample = fs::path(std::getenv("VANTREL_SOURCE_DIR")) / "data/sample";
    fs::copy(sample, work.path() / "in", fs::copy_options::recursive);
    const fs::path in = work.path() / "in";
    replaceIn(in / "demo.json", "\"../../demo-out\"", "\"../out\"");
    ASSERT_EQ(runGeneratorIn(in, {"demo.json"}).status, 0);

    const fs::path demo = work.path() / "out/Demo";
    // Line.cpp: the template will change another part; Demo.h: the same line; Export.cpp:
    // nothing the new run changes.
    replaceIn(demo / "Line.cpp", "    (void)argument;\n", "    (void)argument; // mine\n");
    replaceIn(demo / "Demo.h", "// The services of the host", "// Host services (mine)");
    replaceIn(demo / "Export.cpp", "#include \"Demo.h\"\n", "#include \"Demo.h\"\n// mine\n");
    const std::string lineEdited = readFile(demo / "Line.cpp");
    const std::string headerEdited = readFile(demo / "Demo.h");
    const std::string exportEdited = readFile(demo / "Export.cpp");

    replaceIn(in / "templates/plugin.tpl", "// Status messages: the host's status text",
              "// Status messages: the status bar's text");
    replaceIn(in / "templates/plugin.tpl", "// The services of the host, handed over",
              "// The host's services, handed over");
    replaceIn(in / "demo.json", "\n    ]\n}", ",\n        {\"name\": \"Zoom\"}\n    ]\n}");
    const ProcessResult second = runGeneratorIn(in, {"demo.json"});
    EXPECT_EQ(second.status, 3) << second.err;
    EXPECT_EQ(second.err,
              "vantrel-gen: kept ../out/Demo/Demo.h: your edits and the new text overlap; the "
              "new text is in ../out/Demo/Demo.h.vantrel-new\n"
              "vantrel-gen: merged the new text into your edits of ../out/Demo/Line.cpp\n"
              "vantrel-gen: kept ../out/Demo/Export.cpp: edited by you, and its generated text "
              "did not change\n");

    // A fresh generation of the same answers, for comparison.
    replaceIn(in / "demo.json", "\"../out\"", "\"../fresh\"");
    ASSERT_EQ(runGeneratorIn(in, {"demo.json"}).status, 0);
    const fs::path fresh = work.path() / "fresh/Demo";
    const std::string lineFresh = readFile(fresh / "Line.cpp");
    std::string lineMerged = lineFresh;
    lineMerged.replace(lineMerged.find("    (void)argument;"), 19, "    (void)argument; // mine");
    EXPECT_EQ(readFile(demo / "Line.cpp"), lineMerged);
    EXPECT_NE(lineFresh, lineEdited);
    EXPECT_EQ(readFile(demo / "Demo.h"), headerEdited);
    EXPECT_EQ(readFile(demo / "Demo.h.vantrel-new"), readFile(fresh / "Demo.h"));
    EXPECT_EQ(readFile(demo / "Export.cpp"), exportEdited);
    EXPECT_TRUE(fs::exists(demo / "Zoom.cpp"));
    for (const auto& entry : fs::recursive_directory_iterator(fresh)) {
        const fs::path relative = fs::relative(entry.path(), fresh);
        if (*relative.begin() == ".vantrel" || !entry.is_regular_file())
            continue;
        if (relative == "Line.cpp" || relative == "Demo.h" || relative == "Export.cpp")
            continue;
        EXPECT_EQ(readFile(demo / relative), readFile(entry.path())) << relative;
    }
}

// Turned off by the option or the setting, a run keeps no record; one an earlier run kept still
// keeps the user's edits, and stays as it was.
TEST(Regeneration, TurnedOffKeepsNoRecordButKeepsToOne) {
    for (const bool bySetting : {false, true}) {
        SCOPED_TRACE(bySetting ? "generationrecord = \"off\"" : "--no-record");
        TempFolder work;
        const std::string settings = "templatedirectory = \"tpl\"\n";
        work.write("vantrel.cfg", settings);
        work.write("off.cfg", settings + "generationrecord = \"off\"\n");
        work.write("tpl/plugin.tpl", "filesection: action\n// %ACTIONNAME% v1\n");
        work.write("kelpi.tpl", "create_directory: \"%PROJECTNAME%\"\n@FOR 0 TO ALL_ACTIONS\n"
                                "create_file: \"%ACTIONNAME%.cpp\" \"action\" \"plugin.tpl\"\n"
                                "@ENDFOR\n");
        work.write("project.json", projectOfActions(2));
        const std::vector<std::string> off =
            bySetting ? std::vector<std::string>{"--config", "off.cfg", "project.json"}
                      : std::vector<std::string>{"--no-record", "project.json"};
        const fs::path demo = work.path() / "out/Demo";
        ASSERT_EQ(runGeneratorIn(work.path(), off).status, 0);
        EXPECT_TRUE(fs::exists(demo / "Action1.cpp"));
        EXPECT_FALSE(fs::exists(demo / ".vantrel"));

        ASSERT_EQ(runGeneratorIn(work.path(), {"project.json"}).status, 0);
        const auto record = recordIn(treeBelow(work.path() / "out"));
        ASSERT_FALSE(record.empty());
        writeAt(demo / "Action0.cpp", "// mine\n");
        work.write("tpl/plugin.tpl", "filesection: action\n// %ACTIONNAME% v2\n");
        const ProcessResult kept = runGeneratorIn(work.path(), off);
        EXPECT_EQ(kept.status, 3) << kept.err;
        EXPECT_EQ(readFile(demo / "Action0.cpp"), "// mine\n");
        EXPECT_EQ(readFile(demo / "Action0.cpp.vantrel-new"), "// Action0 v2\n");
        EXPECT_EQ(readFile(demo / "Action1.cpp"), "// Action1 v2\n");
        EXPECT_EQ(recordIn(treeBelow(work.path() / "out")), record);
    }
}

// A project without a name has no folder of its own: no record goes into the location (which
// may be the home folder), and the next run still keeps what nothing proves it wrote.
TEST(Regeneration, ProjectWithoutANameKeepsNoRecordInTheLocation) {
    TempFolder work;
    work.write("vantrel.cfg", "templatedirectory = \"tpl\"\n");
    work.write("tpl/plugin.tpl", "filesection: action\n// %ACTIONNAME% v1\n");
    work.write("kelpi.tpl", "create_directory: \"%PROJECTNAME%\"\n@FOR 0 TO ALL_ACTIONS\n"
                            "create_file: \"%ACTIONNAME%.cpp\" \"action\" \"plugin.tpl\"\n"
                            "@ENDFOR\n");
    work.write("project.json",
               R"({"host": "KEL", "name": "", "location": "out", "actions": [{"name": "Line"}]})");
    const fs::path out = work.path() / "out";
    ASSERT_EQ(runGeneratorIn(work.path(), {"project.json"}).status, 0);
    EXPECT_TRUE(fs::exists(out / "Line.cpp"));
    EXPECT_FALSE(fs::exists(out / ".vantrel"));
    writeAt(out / "Line.cpp", "// mine\n");
    work.write("tpl/plugin.tpl", "filesection: action\n// %ACTIONNAME% v2\n");
    EXPECT_EQ(runGeneratorIn(work.path(), {"project.json"}).status, 3);
    EXPECT_EQ(readFile(out / "Line.cpp"), "// mine\n");
    EXPECT_FALSE(fs::exists(out / ".vantrel"));
}

} // namespace
} // namespace vantrel

namespace vantrel {
namespace {

// A record that leads out of the location through a link is never read or written through it:
// the run says once that it cannot use it, generates as for the first time, and what lies
// outside stays as it was.
TEST(Regeneration, RecordThroughALinkIsOnlyData) {
    const std::vector<std::pair<std::string, std::function<void(const fs::path&, const fs::path&)>>>
        setups = {
            {"the record folder",
             [](const fs::path& record, const fs::path& outside) {
                 fs::create_directory_symlink(outside, record);
             }},
            {"its inputs",
             [](const fs::path& record, const fs::path& outside) {
                 fs::copy(outside, record, fs::copy_options::recursive);
                 fs::remove_all(record / "inputs");
                 fs::create_directory_symlink(outside / "inputs", record / "inputs");
             }},
            {"its manifest",
             [](const fs::path& record, const fs::path& outside) {
                 fs::copy(outside, record, fs::copy_options::recursive);
                 fs::remove(record / "manifest.txt");
                 fs::create_symlink(outside / "manifest.txt", record / "manifest.txt");
             }},
        };
    for (const auto& [name, setup] : setups) {
        SCOPED_TRACE(name);
        TempFolder work;
        work.write("vantrel.cfg", "templatedirectory = \"tpl\"\n");
        work.write("tpl/plugin.tpl", "filesection: main\n// %PROJECTNAME%\n");
        work.write("kelpi.tpl", "create_directory: \"%PROJECTNAME%\"\n"
                                "create_file: \"main.cpp\" \"main\" \"plugin.tpl\"\n");
        work.write("project.json", R"({"host": "KEL", "name": "Demo", "location": "out",
                                       "actions": [{"name": "Line"}]})");
        ASSERT_EQ(runGeneratorIn(work.path(), {"project.json"}).status, 0);
        // A whole record of this very project, moved out of the location.
        const fs::path outside = work.path() / "outside";
        const fs::path record = work.path() / "out/Demo/.vantrel";
        fs::rename(record, outside);
        writeAt(work.path() / "out/Demo/main.cpp", "// edited\n");
        setup(record, outside);
        const auto before = treeBelow(outside);

        // Read through no link: nothing proves the edited file to be this program's, so it
        // stays, the new text beside it; a linked record folder is not ours to replace.
        // With the manifest read (only the inputs were linked) the edit is known as the user's
        // and nothing new came for it.
        const bool manifestRead = name == "its inputs";
        const ProcessResult run = runGeneratorIn(work.path(), {"project.json"});
        EXPECT_EQ(run.status, manifestRead ? 0 : 3) << run.err;
        EXPECT_EQ(readFile(work.path() / "out/Demo/main.cpp"), "// edited\n");
        EXPECT_EQ(readFile(work.path() / "out/Demo/main.cpp.vantrel-new"),
                  manifestRead ? "<missing>" : "// Demo\n");
        EXPECT_EQ(treeBelow(outside), before);
        EXPECT_EQ(fs::is_symlink(fs::symlink_status(record)), name == "the record folder");
    }
}

// The temporary files a killed run noted before making them are swept by the next run, wherever
// they lie; files of the user's that only look alike stay, whatever their name.
TEST(Regeneration, SweepsOnlyTheTemporariesARunNoted) {
    TempFolder work;
    const fs::path sample = fs::path(std::getenv("VANTREL_SOURCE_DIR")) / "data/sample";
    fs::copy(sample, work.path() / "in", fs::copy_options::recursive);
    replaceIn(work.path() / "in/demo.json", "\"../../demo-out\"", "\"../out\"");
    ASSERT_EQ(runGeneratorIn(work.path() / "in", {"demo.json"}).status, 0);

    const fs::path out = work.path() / "out";
    const char* const swept[] = {"Demo/.Demo.cpp.vantrel-a1B2c3",
                                 "Demo/res/.Demo.rc.vantrel-Zz9y8X"};
    const char* const kept[] = {"Demo/.notes.vantrel-backup", "Demo/.Demo.h.vantrel-000000",
                                "Other/.Demo.cpp.vantrel-a1B2c3"};
    std::string journal;
    for (const char* name : swept) {
        writeAt(out / name, "half a file\n");
        journal += (out / name).string() + "\n";
    }
    journal += (out / "Demo/.never-made.vantrel-qqqqqq").string() + "\n";
    writeAt(out / "Demo/.vantrel/temporaries", journal);
    for (const char* name : kept)
        writeAt(out / name, "mine\n");

    ASSERT_EQ(runGeneratorIn(work.path() / "in", {"demo.json"}).status, 0);
    for (const char* name : swept)
        EXPECT_FALSE(fs::exists(out / name)) << name;
    for (const char* name : kept)
        EXPECT_EQ(readFile(out / name), "mine\n") << name;
    EXPECT_FALSE(fs::exists(out / "Demo/.vantrel/temporaries"));
}

// A run that reads what the recorded run read leaves the files still as generated without
// making them again; whatever changed since, it ends as a run that makes every file (one that
// asks for warnings does): the same listing, messages, status, files and record.
TEST(Regeneration, SameInputsEndAsARunThatMakesEveryFile) {
    // A file and a text replaced in it; no text: the file deleted; no file: nothing changed.
    const struct {
        const char* name;
        const char* file;
        const char* from;
        const char* to;
    } changes[] = {
        {"nothing", "", "", ""},
        // Its text comes from the action the loop of main.cpp's section left current.
        {"a file after a loop edited", "out/Demo/after.txt", "Action1", "Action1, mine"},
        {"a file deleted", "out/Demo/main.cpp", "", ""},
        {"the template", "tpl/plugin.tpl", "// last", "// final"},
        {"the DLL flags", "project.json", "\"host\"",
         "\"dllFlags\": \"PIDLLFL_RESIDENT\", \"host\""},
        {"a setting", "vantrel.cfg", "Acme", "Other"},
    };
    for (const auto& row : changes) {
        SCOPED_TRACE(row.name);
        const auto change = [&row](const fs::path& folder) {
            if (*row.file != '\0' && *row.from == '\0')
                fs::remove(folder / row.file);
            else if (*row.file != '\0')
                replaceIn(folder / row.file, row.from, row.to);
        };
        TempFolder work;
        work.write("vantrel.cfg", "templatedirectory = \"tpl\"\nvendor = \"Acme\", \"acme.h\"\n");
        work.write("tpl/plugin.tpl",
                   "filesection: main\n// %vendor% %DLLFLAGS%\n"
                   "@FOR 0 TO ALL_ACTIONS\n// %ACTIONNAME%\n@ENDFOR\nfilesectionend:\n"
                   "filesection: after\n// last %ACTIONNAME%\nfilesectionend:\n"
                   "filesection: action\n// %ACTIONNAME% of %vendor%\n");
        work.write("kelpi.tpl", "create_directory: \"%PROJECTNAME%\"\n"
                                "create_file: \"main.cpp\" \"main\" \"plugin.tpl\"\n"
                                "create_file: \"after.txt\" \"after\" \"plugin.tpl\"\n"
                                "@FOR 0 TO ALL_ACTIONS\n"
                                "create_file: \"%ACTIONNAME%.cpp\" \"action\" \"plugin.tpl\"\n"
                                "@ENDFOR\n");
        work.write("project.json", projectOfActions(2));
        ASSERT_EQ(runGeneratorIn(work.path(), {"project.json"}).status, 0);
        ASSERT_EQ(readFile(work.path() / "out/Demo/after.txt"), "// last Action1\n");
        TempFolder twin;
        fs::copy(work.path(), twin.path(), fs::copy_options::recursive);
        change(work.path());
        change(twin.path());

        const ProcessResult run = runGeneratorIn(work.path(), {"--summary", "project.json"});
        const ProcessResult full =
            runGeneratorIn(twin.path(), {"--summary", "--warnings", "project.json"});
        EXPECT_EQ(run.status, full.status);
        EXPECT_EQ(run.out, full.out);
        EXPECT_EQ(run.err, full.err);
        EXPECT_EQ(treeBelow(work.path() / "out"), treeBelow(twin.path() / "out"));
    }
}

} // namespace
} // namespace vantrel
