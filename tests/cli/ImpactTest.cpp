// --impact promises that it says, file by file, what regenerating with the new set will do, and
// changes nothing. Hostile corpora are a case of tests/data/runs.
#include "cli/GenCommand.h"
#include "cli/RecordedProject.h"
#include "config/Configuration.h"
#include "support/InProcessGen.h"
#include "support/Installation.h"

#include <gtest/gtest.h>
#include <simdjson.h>

#include <chrono>
#include <iostream>
#include <map>
#include <random>
#include <sstream>

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string text(simdjson::dom::element element) {
    return std::string(std::string_view(element));
}

TEST(Impact, SaysWhatEachRegenerationWillDoAndChangesNothing) {
    const char* const seeded = std::getenv("VANTREL_IMPACT_SEED");
    const unsigned seed = seeded ? static_cast<unsigned>(std::atoi(seeded)) : 20261210u;
    std::cout << "VANTREL_IMPACT_SEED=" << seed << '\n';
    std::mt19937 random(seed);
    const auto pick = [&random](std::size_t count) {
        return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
    };
    const InstallationCopy installation(fs::path(VANTREL_SOURCE_DIR) / "data/sample");
    const TempFolder& work = installation.folder();

    // 54 projects of random names, hosts and actions in three folders, edited as users do.
    const std::vector<std::string> teams = {"team-a", "team-b", "nested/team-c"};
    const std::vector<std::string> actions = {"Line", "Arc", "Fill", "Rub", "Move", "Paint"};
    const std::vector<std::string> flags = {"ACF_CB_STATUS", "ACF_TOOLBAR", "ACF_CB_KEYBRD",
                                            "ACF_PROC_CLOSE", "ACF_CREATE_THREAD"};
    std::vector<std::string> projectFiles;
    std::string firstName;
    for (std::size_t n = 0; n < 54; ++n) {
        const std::string name = "P" + std::to_string(n) + char('a' + pick(26));
        firstName = firstName.empty() ? name : firstName;
        std::string text = "{\"host\": \"" + std::string(pick(2) ? "KEL" : "DOV") +
                           "\", \"name\": \"" + name + "\", \"location\": \"" + teams[n % 3] +
                           "\", \"actions\": [";
        for (std::size_t first = pick(6), end = first + 1 + pick(3), a = first; a < end; ++a) {
            text += (a > first ? ", {\"name\": \"" : "{\"name\": \"") + actions[a % 6] +
                    "\", \"flags\": [\"ACF_PROC_EXECUTE\"";
            for (const std::string& flag : flags)
                text += pick(2) ? ", \"" + flag + "\"" : "";
            text += "]}";
        }
        projectFiles.push_back("projects/" + name + ".json");
        work.write(projectFiles.back(), text + "]}\n");
        ASSERT_EQ(runGen({projectFiles.back()}).status, 0) << text;

        const fs::path folder = fs::path(teams[n % 3]) / name;
        for (std::size_t edit = pick(4); edit > 0; --edit) {
            std::vector<fs::path> files;
            for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder))
                if (entry.is_regular_file() &&
                    entry.path().string().find("/.vantrel/") == std::string::npos)
                    files.push_back(entry.path());
            std::sort(files.begin(), files.end());
            const fs::path file = files[pick(files.size())];
            std::vector<std::string> lines = linesOf(readFile(file));
            lines.resize(std::max<std::size_t>(lines.size(), 1));
            switch (pick(6)) {
            case 0: // next to the second line, which the new set changes in every source
                lines.front() = "// mine: " + lines.front();
                break;
            case 1:
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
                work.write((folder / ("Mine" + std::to_string(pick(9)) + ".cpp")).string(),
                           "int mine;\n");
                continue;
            }
            work.write(file.string(), joinLines(lines));
        }
    }

    // The new set, a new version: changed template lines, a file no longer made, a new one and
    // one its notes move.
    fs::copy("templates", "templates2", fs::copy_options::recursive);
    std::vector<std::string> lines = linesOf(readFile("templates/plugin.tpl"));
    for (std::string& line : lines)
        if (!line.starts_with("@") && !line.starts_with("filesection") && pick(25) == 0)
            line += " // v2";
    work.write("templates2/plugin.tpl",
               replaced(joinLines(lines), "for %COMPANY%.\n", "for %COMPANY%, set 2.\n") +
                   "filesection: notes\nNotes of %PROJECTNAME%.\nfilesectionend:\n");
    for (const std::string& host : std::vector<std::string>{"kel", "dov"})
        work.write(
            "scripts2/" + host + ".vts",
            replaced(
                replaced(replaced(readFile("scripts/" + host + ".vts"),
                                  "create_file: \"resource.h\" \"resource\" \"plugin.tpl\"\n", ""),
                         "create_done:",
                         "create_file: \"NOTES.txt\" \"notes\" \"plugin.tpl\"\ncreate_done:"),
                "%PROJECTNAME%.def\"", "%PROJECTNAME%.exports.def\""));
    work.write("NOTES2.md", readFile("NOTES.md") + "\n## 1.2.0\nmoved *.def *.exports.def\n");
    std::string configuration = readFile("vantrel.cfg");
    for (const auto& [from, to] : {std::pair{"\"scripts\\", "\"scripts2\\"},
                                   {"\"templates\"", "\"templates2\""},
                                   {"\"1.1.0\"", "\"1.2.0\""},
                                   {"\"NOTES.md\"", "\"NOTES2.md\""}})
        configuration = replaced(configuration, from, to);
    work.write("new.cfg", configuration);

    // The dry runs first, so that neither pays alone for what is read the first time.
    const std::map<std::string, std::string> before = treeWithTimes(work.path());
    Clock::duration dryRuns{};
    for (const std::string& file : projectFiles) {
        const Clock::time_point start = Clock::now();
        runGen({"--dry-run", "--config", "new.cfg", file});
        dryRuns += Clock::now() - start;
    }
    const Clock::time_point start = Clock::now();
    const auto [status, output, messages] =
        runGen({"--impact", "--json", "--config", "new.cfg", "team-a", "team-b", "nested/team-c",
                "team-a/"});
    const Clock::duration impact = Clock::now() - start;
    EXPECT_TRUE(treeWithTimes(work.path()) == before) << "the tree changed";
    const double ratio = std::chrono::duration<double>(impact) / dryRuns;
    std::cout << "--impact: " << std::chrono::duration<double, std::milli>(impact).count()
              << " ms, the dry runs: " << std::chrono::duration<double, std::milli>(dryRuns).count()
              << " ms, ratio " << ratio << '\n';
    EXPECT_LE(ratio, 2.0);

    // The counts add up, every state comes up, and each project's real run is as predicted.
    simdjson::dom::parser parser;
    const simdjson::dom::element document = parser.parse(simdjson::padded_string(output));
    std::map<std::string_view, std::uint64_t> total;
    std::size_t projects = 0;
    for (simdjson::dom::object project : document["projects"].get_array()) {
        const std::string folder = text(project["folder"]);
        SCOPED_TRACE(folder);
        ++projects;
        std::map<std::string, std::string> predicted;
        for (simdjson::dom::object file : project["files"].get_array())
            predicted[text(file["path"])] = text(file["state"]);
        std::uint64_t sum = 0;
        for (const auto field : project["counts"].get_object()) {
            sum += std::uint64_t(field.value);
            total[field.key] += std::uint64_t(field.value);
        }
        EXPECT_EQ(sum, predicted.size());

        ProjectState state;
        readConfigurationBytes(state, configuration);
        state.setDefaultDllFlags();
        ASSERT_FALSE(loadRecordedAnswers(folder, state));
        RunSettings settings;
        settings.configuration = {"new.cfg", configuration};
        SilentSink sink;
        DiskOutput disk;
        const RunResult result = runProject(state, sink, disk, settings);
        ASSERT_EQ(result.errors, 0u);
        std::map<std::string, std::string> real;
        for (const RecordingOutput::Outcome& outcome : result.outcomes)
            if (!outcome.folder)
                real[outcome.nativePath] = targetStateLabel(outcome.state);
        for (const std::string& key : result.noLongerGenerated)
            real[key] = "no longer generated";
        EXPECT_EQ(real, predicted);
    }
    EXPECT_EQ(projects, 54u) << output;
    for (const auto& [name, count] : total)
        EXPECT_EQ(std::uint64_t(document["total"][name]), count) << name;
    EXPECT_EQ(std::uint64_t(document["total"]["failed"]), 0u) << output << messages;
    for (const char* state : {"replaced", "merged", "conflict", "deletedByYou", "noLongerGenerated",
                              "new", "unchanged", "moved"})
        EXPECT_GT(total[state], 0u) << state << " never came up";
    EXPECT_EQ(status, total["conflict"] > 0 ? 3 : 0) << output;
    EXPECT_EQ(int64_t(document["exit"]), status);

    // A project folder named from inside it has the folder above as its location.
    const WorkingFolder inside("team-a/" + firstName);
    for (const std::string& folder :
         std::vector<std::string>{".", "./", "../" + firstName + "/."}) {
        ProjectState project;
        ASSERT_FALSE(loadRecordedAnswers(folder, project)) << folder;
        EXPECT_TRUE(fs::equivalent(project.locationBase, work.path() / "team-a")) << folder;
    }
}

} // namespace
} // namespace vantrel
