// Every call that makes, writes, renames or closes something in the project can fail: the
// preloaded shim (WriteFaultShim.cpp) fails the n-th of them, for every n a run makes. Whatever
// fails, the run ends with "Open file error:" and the path (exit status 1) or, when a retry
// absorbed the failure, exactly as a run without one; every file that was there before holds
// its old or its new bytes in full, and no temporary file is left.
#include "support/GeneratorProcess.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

// Entries by path below a folder (see treeBelow).
using Files = std::map<std::string, std::string>;

void copyTree(const fs::path& from, const fs::path& to) {
    fs::remove_all(to);
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
}

const char* const SCRIPT = "create_directory: \"%PROJECTNAME%\"\n"
                           "create_directory: \"%PROJECTNAME%\\res\"\n"
                           "copy_file: %piinc% \"%PROJECTNAME%\"\n"
                           "create_file: \"%PROJECTNAME%.cpp\" \"main\" \"plugin.tpl\"\n"
                           "@FOR 0 TO ALL_ACTIONS\n"
                           "create_file: \"%ACTIONNAME%.cpp\" \"action\" \"plugin.tpl\"\n"
                           "@ENDFOR\n"
                           "create_done:\n";

void writeInputs(const TempFolder& work, const std::string& version) {
    work.write("vantrel.cfg", "templatedirectory = \"tpl\"\npiinc = \"kit\\pi.h\"\n");
    work.write("kelpi.tpl", SCRIPT);
    work.write("kit/pi.h", "// pi " + version + "\n");
    work.write("tpl/plugin.tpl", "filesection: main\n// %PROJECTNAME% " + version +
                                     "\nfilesectionend:\nfilesection: action\n// %ACTIONNAME% " +
                                     version + "\nfilesectionend:\n");
    work.write("project.json", R"({"host": "KEL", "name": "Demo", "location": "out",
                                   "actions": [{"name": "Line"}, {"name": "Arc"}]})");
}

struct Scenario {
    const char* name;
    // Makes the project as it stands before the run and the inputs of the run.
    std::function<void(const TempFolder&)> prepare;
    std::vector<std::string> arguments = {"project.json"};
};

void PrintTo(const Scenario& scenario, std::ostream* out) {
    *out << scenario.name;
}

void generated(const TempFolder& work, const std::string& version) {
    writeInputs(work, version);
    ASSERT_EQ(runGeneratorIn(work.path(), {"project.json"}).status, 0);
}

const Scenario SCENARIOS[] = {
    {"into an empty location",
     [](const TempFolder& work) {
         writeInputs(work, "v1");
     }},
    {"over the files of other templates",
     [](const TempFolder& work) {
         generated(work, "v1");
         writeInputs(work, "v2");
     }},
    // Kept, with the new text written beside it: the run ends with status 3.
    {"over a file the user edited",
     [](const TempFolder& work) {
         generated(work, "v1");
         work.write("out/Demo/Line.cpp", "// the user's own\n");
         writeInputs(work, "v2");
     }},
    // Written through the link, into the file it leads to inside the location.
    {"through links to files of the project",
     [](const TempFolder& work) {
         generated(work, "v1");
         work.write("out/shared/Arc.cpp", "// shared\n");
         work.write("out/shared/pi.h", "// shared kit\n");
         for (const char* name : {"Arc.cpp", "pi.h"}) {
             fs::remove(work.path() / "out/Demo" / name);
             fs::create_symlink(fs::path("../shared") / name, work.path() / "out/Demo" / name);
         }
         writeInputs(work, "v2");
     },
     // The files behind the links are no longer as generated: written over all the same.
     {"--overwrite-edited", "project.json"}},
};

std::string faultPrefix(const fs::path& root, long failAt, const fs::path& countFile) {
    std::string prefix =
        "VANTREL_FAULT_ROOT=" + shellQuoted(root.string()) +
        " VANTREL_FAULT_AT=" + std::to_string(failAt) +
        " LD_PRELOAD=" + shellQuoted(VANTREL_WRITE_FAULT_SHIM) +
        // The sanitizers' runtime wants to come first; the shim comes before it.
        " ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0\"";
    if (!countFile.empty())
        prefix += " VANTREL_FAULT_COUNT=" + shellQuoted(countFile.string());
    return prefix;
}

std::set<std::string> temporaryFiles(const fs::path& folder) {
    std::set<std::string> found;
    for (const auto& [path, bytes] : treeBelow(folder))
        if (const std::string name = fs::path(path).filename().string();
            name.starts_with('.') && name.find(".vantrel-") != std::string::npos)
            found.insert(path); // FILE.vantrel-new beside a kept file is no temporary one
    return found;
}

class WriteFault : public testing::TestWithParam<Scenario> {};

TEST_P(WriteFault, EveryFailingCallKeepsEveryFileWhole) {
    TempFolder work;
    GetParam().prepare(work);
    const fs::path out = work.path() / "out";
    const fs::path before = work.path() / "before";
    if (fs::exists(out))
        copyTree(out, before);
    const Files old = treeBelow(out);

    // The run without a fault: its tree, its listing and how many calls it makes.
    const fs::path countFile = work.path() / "count";
    const std::vector<std::string>& arguments = GetParam().arguments;
    const ProcessResult clean =
        runGeneratorIn(work.path(), arguments, faultPrefix(out, 0, countFile));
    ASSERT_TRUE(clean.status == 0 || clean.status == 3) << clean.err;
    const Files fresh = treeBelow(out);
    const long calls = std::stol(readFile(countFile));
    ASSERT_GT(calls, 5);

    long failed = 0;
    for (long n = 1; n <= calls; ++n) {
        SCOPED_TRACE("failing call " + std::to_string(n) + " of " + std::to_string(calls));
        fs::remove_all(out);
        if (fs::exists(before))
            copyTree(before, out);
        const ProcessResult run = runGeneratorIn(work.path(), arguments, faultPrefix(out, n, {}));
        const Files now = treeBelow(out);
        if (run.status == clean.status) {
            EXPECT_EQ(now, fresh) << "a failure passed as success";
        } else {
            ++failed;
            EXPECT_EQ(run.status, 1);
            // A target that failed is named; a record that could not be written says so, and
            // the one before it stays.
            const std::size_t line = run.err.find('\n') + 1;
            const std::string path = run.err.substr(line, run.err.find('\n', line) - line);
            const bool beside = path.ends_with(".vantrel-new");
            EXPECT_TRUE((run.err.starts_with("Open file error:\nout/") &&
                         (beside || clean.out.find(path) != std::string::npos)) ||
                        run.err.find("vantrel-gen: cannot write the record: out/Demo/.vantrel: ") !=
                            std::string::npos)
                << run.err;
        }
        // The record is one whole record, the old or the new.
        EXPECT_TRUE(recordIn(now) == recordIn(old) || recordIn(now) == recordIn(fresh));
        for (const auto& [path, bytes] : old) {
            if (path.starts_with("Demo/.vantrel/"))
                continue;
            const auto it = now.find(path);
            const bool whole =
                it != now.end() && (it->second == bytes || it->second == fresh.at(path));
            EXPECT_TRUE(whole) << path << " holds neither its old nor its new bytes";
        }
        EXPECT_EQ(temporaryFiles(work.path()), std::set<std::string>{});
    }
    // A folder creation is retried, and so may pass; the rest must fail.
    EXPECT_GT(failed, calls / 2);
    RecordProperty("failing_points", static_cast<int>(calls));
}

INSTANTIATE_TEST_SUITE_P(Run, WriteFault, testing::ValuesIn(SCENARIOS),
                         [](const testing::TestParamInfo<Scenario>& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

} // namespace
} // namespace vantrel
