// --impact promises that it says, file by file, what regenerating with the new set will do, and
// changes nothing.
#include "cli/GenCommand.h"
#include "cli/RecordedProject.h"
#include "config/Configuration.h"
#include "run/PreviewListing.h"
#include "support/Installation.h"

#include <gtest/gtest.h>
#include <simdjson.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

struct GenRun {
    int status = -1;
    std::string out;
    std::string err;
};

GenRun gen(const std::vector<std::string>& arguments) {
    const std::vector<std::string_view> views(arguments.begin(), arguments.end());
    std::ostringstream out;
    std::ostringstream err;
    GenRun run;
    run.status = runVantrelGen(views, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

void writeAt(const fs::path& file, const std::string& bytes) {
    if (file.has_parent_path())
        fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

// Every entry below the folder: its kind, and a file's bytes and change time.
std::map<std::string, std::string> snapshot(const fs::path& folder) {
    std::map<std::string, std::string> tree;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(entry.path(), folder).string();
        if (entry.is_symlink())
            tree[name] = "link " + fs::read_symlink(entry.path()).string();
        else if (entry.is_directory())
            tree[name] = "folder";
        else
            tree[name] = std::to_string(entry.last_write_time().time_since_epoch().count()) + " " +
                         readFile(entry.path());
    }
    return tree;
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + '\n';
    return text;
}

// The new set: changed template lines (the generated files' second line among them), one file
// no longer made, one new file, and a configuration naming them.
void writeNewSet(std::mt19937& random) {
    fs::copy("templates", "templates2", fs::copy_options::recursive);
    fs::copy("scripts", "scripts2", fs::copy_options::recursive);
    std::vector<std::string> lines = linesOf(readFile("templates2/plugin.tpl"));
    bool inSection = false;
    std::vector<std::size_t> plain;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        if (lines[n].starts_with("filesection"))
            inSection = !lines[n].starts_with("filesectionend:");
        else if (inSection && !lines[n].starts_with("@") && !lines[n].empty())
            plain.push_back(n);
    }
    for (int change = 0; change < 12; ++change)
        lines[plain[std::uniform_int_distribution<std::size_t>(0, plain.size() - 1)(random)]] +=
            " // v2";
    std::string text = joined(lines);
    replaceAll(text, "for %COMPANY%.\n", "for %COMPANY%, from set 2.\n");
    text += "filesection: notes\nNotes of %PROJECTNAME%.\nfilesectionend:\n";
    writeAt("templates2/plugin.tpl", text);
    for (const char* script : {"scripts2/kel.vts", "scripts2/dov.vts"}) {
        std::string steps = readFile(script);
        replaceAll(steps, "create_file: \"resource.h\" \"resource\" \"plugin.tpl\"\n", "");
        replaceAll(steps, "create_done:",
                   "create_file: \"NOTES.txt\" \"notes\" \"plugin.tpl\"\ncreate_done:");
        writeAt(script, steps);
    }
    std::string configuration = readFile("vantrel.cfg");
    replaceAll(configuration, "\"scripts\\", "\"scripts2\\");
    replaceAll(configuration, "\"templates\"", "\"templates2\"");
    writeAt("new.cfg", configuration);
}

// What a user does to a generated project between two sets.
void editProject(const fs::path& folder, std::mt19937& random) {
    const auto pick = [&random](std::size_t count) {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
    };
    for (std::size_t edit = pick(4); edit > 0; --edit) {
        std::vector<fs::path> files;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder))
            if (entry.is_regular_file() &&
                entry.path().string().find("/.vantrel") == std::string::npos)
                files.push_back(entry.path());
        std::sort(files.begin(), files.end());
        const fs::path file = files[pick(files.size())];
        std::vector<std::string> lines = linesOf(readFile(file));
        switch (pick(6)) {
        case 0: // the top line, next to the line the new set changes
            lines.front() = "// mine: " + lines.front();
            break;
        case 1: // the line the new set also changes in every source
            lines[std::min<std::size_t>(1, lines.size() - 1)] += " // and mine";
            break;
        case 2:
            lines[lines.size() / 2] += " // mine";
            break;
        case 3:
            fs::remove(file);
            continue;
        case 4:
            lines.push_back("void mine() {}");
            break;
        default:
            writeAt(folder / ("Mine" + std::to_string(pick(9)) + ".cpp"), "int x;\n");
            continue;
        }
        writeAt(file, joined(lines));
    }
}

std::string projectFile(std::mt19937& random, const std::string& name, const std::string& team) {
    const auto pick = [&random](std::size_t count) {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
    };
    static const std::vector<std::string> actions = {"Line", "Arc",   "Fill", "Rub",
                                                     "Move", "Paint", "Zoom"};
    static const std::vector<std::string> flags = {"ACF_CB_STATUS", "ACF_TOOLBAR", "ACF_CB_KEYBRD",
                                                   "ACF_PROC_CLOSE", "ACF_CREATE_THREAD"};
    std::string text = "{\"host\": \"" + std::string(pick(2) ? "KEL" : "DOV") + "\", \"name\": \"" +
                       name + "\", \"location\": \"" + team + "\", \"actions\": [";
    const std::size_t first = pick(actions.size());
    const std::size_t count = 1 + pick(3);
    for (std::size_t n = 0; n < count; ++n) {
        text += n > 0 ? ", " : "";
        text += "{\"name\": \"" + actions[(first + n) % actions.size()] +
                "\", \"flags\": [\"ACF_PROC_EXECUTE\", \"ACF_MENU\"";
        for (const std::string& flag : flags)
            if (pick(2))
                text += ", \"" + flag + "\"";
        text += "]}";
    }
    return text + "]}\n";
}

std::string text(simdjson::dom::element element) {
    return std::string(std::string_view(element));
}

// The label each file would get, by project folder and path, as --impact --json says.
using Predicted = std::map<std::string, std::map<std::string, std::string>>;

TEST(Impact, SaysWhatEachRegenerationWillDoAndChangesNothing) {
    const char* const seeded = std::getenv("VANTREL_IMPACT_SEED");
    const unsigned seed = seeded ? static_cast<unsigned>(std::atoi(seeded)) : 20261210u;
    std::cout << "VANTREL_IMPACT_SEED=" << seed << '\n';
    std::mt19937 random(seed);
    const InstallationCopy installation(fs::path(VANTREL_SOURCE_DIR) / "data/sample");
    const std::vector<std::string> teams = {"team-a", "team-b", "nested/team-c"};
    constexpr int PROJECTS = 54;
    std::vector<std::string> projectFiles;
    for (int n = 0; n < PROJECTS; ++n) {
        const std::string name =
            "P" + std::to_string(n) + std::string(1, char('a' + random() % 26)) + "x";
        const std::string file = "projects/" + name + ".json";
        writeAt(file, projectFile(random, name, teams[n % teams.size()]));
        const GenRun made = gen({file});
        ASSERT_EQ(made.status, 0) << file << '\n' << made.err;
        projectFiles.push_back(file);
        editProject(fs::path(teams[n % teams.size()]) / name, random);
    }
    writeNewSet(random);

    const std::map<std::string, std::string> before = snapshot(installation.path());
    // The dry runs of the same projects, for the time they take; run first, so that neither
    // pays alone for the files read the first time.
    auto dryRunTime = std::chrono::steady_clock::duration::zero();
    for (const std::string& file : projectFiles) {
        const auto start = std::chrono::steady_clock::now();
        gen({"--dry-run", "--config", "new.cfg", file});
        dryRunTime += std::chrono::steady_clock::now() - start;
    }
    std::vector<std::string> arguments = {"--impact", "--json", "--config", "new.cfg"};
    arguments.insert(arguments.end(), teams.begin(), teams.end());
    arguments.push_back("team-a/"); // found twice, counted once
    const auto started = std::chrono::steady_clock::now();
    const GenRun impact = gen(arguments);
    const auto impactTime = std::chrono::steady_clock::now() - started;
    EXPECT_TRUE(snapshot(installation.path()) == before) << "--impact changed the tree";

    const double ratio = std::chrono::duration<double>(impactTime).count() /
                         std::chrono::duration<double>(dryRunTime).count();
    std::cout << "--impact over " << PROJECTS
              << " projects: " << std::chrono::duration<double, std::milli>(impactTime).count()
              << " ms; their dry runs: "
              << std::chrono::duration<double, std::milli>(dryRunTime).count() << " ms; ratio "
              << ratio << '\n';
    EXPECT_LE(ratio, 2.0);

    simdjson::dom::parser parser;
    const simdjson::padded_string json(impact.out);
    const simdjson::dom::element document = parser.parse(json);
    Predicted predicted;
    std::map<std::string, std::uint64_t> total;
    for (simdjson::dom::object project : document["projects"].get_array()) {
        const std::string folder = text(project["folder"]);
        auto& files = predicted[folder];
        std::map<std::string, std::uint64_t> counted;
        for (simdjson::dom::object file : project["files"].get_array())
            files[text(file["path"])] = text(file["state"]);
        std::uint64_t sum = 0;
        for (const auto field : project["counts"].get_object()) {
            sum += std::uint64_t(field.value);
            total[std::string(field.key)] += std::uint64_t(field.value);
        }
        EXPECT_EQ(sum, files.size()) << folder;
    }
    ASSERT_EQ(predicted.size(), std::size_t(PROJECTS)) << impact.out << impact.err;
    const simdjson::dom::object totals = document["total"];
    EXPECT_EQ(std::uint64_t(totals["projects"]), std::uint64_t(PROJECTS));
    EXPECT_EQ(std::uint64_t(totals["failed"]), 0u) << impact.err;
    for (const auto& [name, count] : total)
        EXPECT_EQ(std::uint64_t(totals[name]), count) << name;
    for (const char* state : {"replaced", "merged", "conflict", "deletedByYou", "noLongerGenerated",
                              "new", "unchanged"})
        EXPECT_GT(total[state], 0u) << state << " never came up: a weak corpus";
    EXPECT_EQ(int64_t(document["exit"]), impact.status);
    EXPECT_EQ(impact.status, total["conflict"] > 0 ? 3 : 0) << impact.err;

    // Each project regenerated for real, as --impact runs it: each file as predicted.
    const std::string configuration = readFile("new.cfg");
    for (const auto& [folder, files] : predicted) {
        SCOPED_TRACE(folder);
        ProjectState project;
        readConfigurationBytes(project, configuration);
        project.setDefaultDllFlags();
        ASSERT_FALSE(loadRecordedAnswers(folder, project));
        RunSettings settings;
        settings.configuration = {"new.cfg", configuration};
        SilentSink sink;
        DiskOutput disk;
        const RunResult result = runProject(project, sink, disk, settings);
        ASSERT_EQ(result.errors, 0u);
        std::map<std::string, std::string> real;
        for (const RecordingOutput::Outcome& outcome : result.outcomes)
            if (!outcome.folder)
                real[outcome.nativePath] = std::string(targetStateLabel(outcome.state));
        for (const std::string& key : result.noLongerGenerated)
            real[key] = "no longer generated";
        EXPECT_EQ(real, files);
    }
}

// Links, damaged records and paths that are no folders: said on standard error, nothing written.
TEST(Impact, HostileCorpusIsToldAndLeftAsItWas) {
    const InstallationCopy installation(fs::path(VANTREL_SOURCE_DIR) / "data/sample");
    for (const char* name : {"Good", "Linked", "Damaged", "Broken"}) {
        writeAt(std::string("p/") + name + ".json",
                std::string("{\"host\": \"KEL\", \"name\": \"") + name +
                    "\", \"location\": \"corpus\", \"actions\": [{\"name\": "
                    "\"Line\", \"flags\": [\"ACF_PROC_EXECUTE\"]}]}\n");
        ASSERT_EQ(gen({std::string("p/") + name + ".json"}).status, 0) << name;
    }
    // A record folder that is a link to another project's; a manifest cut short; answers that
    // are no JSON; a file among the folders.
    fs::rename("corpus/Linked/.vantrel", "elsewhere");
    fs::create_directory_symlink(fs::absolute("corpus/Good/.vantrel"), "corpus/Linked/.vantrel");
    writeAt("corpus/Damaged/.vantrel/manifest.txt",
            readFile("corpus/Damaged/.vantrel/manifest.txt").substr(0, 40));
    writeAt("corpus/Broken/.vantrel/project.json", "{\"host\": ");
    const std::map<std::string, std::string> before = snapshot(installation.path());

    const GenRun run =
        gen({"--impact", "--config", "vantrel.cfg", "corpus", "vantrel.cfg", "missing"});
    EXPECT_TRUE(snapshot(installation.path()) == before) << "--impact changed the tree";
    EXPECT_EQ(run.status, 1);
    for (const char* said :
         {"corpus/Linked is left out: corpus/Linked/.vantrel is no folder (a link is not "
          "followed)",
          "cannot look for projects in vantrel.cfg: it is no folder",
          "cannot look for projects in missing: there is no such folder",
          "the record corpus/Damaged/.vantrel is damaged"})
        EXPECT_NE(run.err.find(said), std::string::npos) << said << " is not in\n" << run.err;
    EXPECT_EQ(run.err.find("left out"), run.err.rfind("left out")) << run.err;
    EXPECT_NE(run.out.find("corpus/Broken: the run would fail\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("corpus/Good: 16 unchanged,"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("total, 3 projects: "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(", 4 failed\n"), std::string::npos) << run.out;

    // A project folder named from inside it has the folder above as its location.
    const fs::path corpus = fs::absolute("corpus");
    const WorkingFolder inside("corpus/Good");
    for (const char* folder : {".", "./", "../Good", "../Good/."}) {
        ProjectState project;
        ASSERT_FALSE(loadRecordedAnswers(folder, project)) << folder;
        EXPECT_TRUE(fs::equivalent(project.locationBase, corpus)) << folder;
        EXPECT_TRUE(fs::equivalent(fs::path(project.locationBase) / "Good", "."));
    }
}

} // namespace
} // namespace vantrel
