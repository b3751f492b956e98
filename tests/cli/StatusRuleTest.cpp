// vantrel-gen --status names what a regeneration would do to each file, and writes nothing.
#include "support/GeneratorProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

// What --dry-run may list for a file of each --status label.
const std::map<std::string, std::set<std::string>> AGREES = {
    {"current", {"same"}},
    {"outdated", {"new", "replaced"}},
    {"edited", {"kept"}},
    {"edited+outdated", {"merged", "conflict"}},
    // An open conflict whose file already holds the new text is listed as the same.
    {"conflict", {"conflict", "same"}},
    {"deleted", {"deleted by you"}},
    {"no longer generated", {"no longer generated"}},
};
const std::vector<std::string> PREVIEW_LABELS = {
    "same",    "new",     "replaced",           "merged", "kept", "conflict", "deleted by you",
    "blocked", "refused", "no longer generated"};

// "LABEL PATH" lines by path; labels are taken from the known ones, as some hold blanks.
std::map<std::string, std::string> labelsByPath(const std::string& listing,
                                                const std::vector<std::string>& labels) {
    std::map<std::string, std::string> byPath;
    std::size_t at = 0;
    while (at < listing.size()) {
        const std::size_t end = listing.find('\n', at);
        const std::string line = listing.substr(at, end - at);
        at = end == std::string::npos ? listing.size() : end + 1;
        for (const std::string& label : labels)
            if (line.starts_with(label + " ")) {
                byPath[line.substr(label.size() + 1)] = label;
                break;
            }
    }
    return byPath;
}

std::string project(const std::vector<std::string>& actions) {
    std::string text = R"({"host": "KEL", "name": "Demo", "location": "out", "actions": [)";
    for (std::size_t i = 0; i < actions.size(); ++i)
        text += (i > 0 ? ", " : "") + std::string(R"({"name": ")") + actions[i] + "\"}";
    return text + "]}\n";
}

TEST(ProjectStatus, NamesWhatARegenerationWouldDoAndWritesNothing) {
    const std::vector<std::string> names = {"Line", "Arc", "Bow", "Dot", "Fill"};
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        const auto pick = [&random](std::size_t count) {
            return std::uniform_int_distribution<std::size_t>(0, count - 1)(random);
        };
        TempFolder work;
        work.write("vantrel.cfg", "templatedirectory = \"tpl\"\n");
        work.write("kelpi.tpl", "create_directory: \"%PROJECTNAME%\"\n"
                                "create_file: \"%PROJECTNAME%.cpp\" \"main\" \"plugin.tpl\"\n"
                                "@FOR 0 TO ALL_ACTIONS\n"
                                "create_file: \"%ACTIONNAME%.cpp\" \"action\" \"plugin.tpl\"\n"
                                "@ENDFOR\ncreate_done:\n");
        std::string action = "// action %ACDF_NAME%\nvoid run()\n{\n}\n";
        const auto writeTemplate = [&] {
            work.write("tpl/plugin.tpl", "filesection: main\n// %PROJECTNAME%\nfilesectionend:\n"
                                         "filesection: action\n" +
                                             action + "filesectionend:\n");
        };
        writeTemplate();
        std::vector<std::string> actions(names.begin(), names.begin() + 3);
        work.write("project.json", project(actions));
        ASSERT_EQ(runGeneratorIn(work.path(), {"project.json"}).status, 0);

        for (int step = 0; step < 6; ++step) {
            const std::string file = "out/Demo/" + names[pick(names.size())] + ".cpp";
            switch (pick(6)) {
            case 0: // the user's code in the body, or a line of the template's changed
                if (fs::exists(work.path() / file))
                    work.write(file, readFile(work.path() / file) +
                                         (pick(2) ? "// mine\n" : "void more() {}\n"));
                break;
            case 1:
                fs::remove(work.path() / file);
                break;
            case 2:
                action += "// v" + std::to_string(step) + "\n";
                writeTemplate();
                break;
            case 3:
                if (pick(2) && actions.size() > 1)
                    actions.erase(actions.begin() +
                                  static_cast<std::ptrdiff_t>(pick(actions.size())));
                else if (actions.size() < names.size())
                    actions.push_back(names[actions.size()]);
                work.write("project.json", project(actions));
                break;
            default: // a regeneration, which may leave a conflict open
                runGeneratorIn(work.path(), {"project.json"});
                break;
            }

            const auto before = treeWithTimes(work.path());
            const ProcessResult status = runGeneratorIn(work.path(), {"--status", "project.json"});
            EXPECT_EQ(treeWithTimes(work.path()), before) << "--status changed the tree";
            const ProcessResult preview =
                runGeneratorIn(work.path(), {"--dry-run", "project.json"});
            ASSERT_TRUE(status.status == 0 || (status.status >= 3 && status.status <= 6))
                << status.err;

            std::vector<std::string> statusLabels;
            for (const auto& [label, allowed] : AGREES)
                statusLabels.push_back(label);
            // "edited+outdated" before "edited": the longer label first.
            std::sort(statusLabels.begin(), statusLabels.end(),
                      [](const auto& a, const auto& b) { return a.size() > b.size(); });
            const auto states = labelsByPath(status.out, statusLabels);
            auto previewed = labelsByPath(preview.out, PREVIEW_LABELS);
            // The preview names files no longer generated below the location.
            std::map<std::string, std::string> byTarget;
            for (const auto& [path, label] : previewed)
                byTarget[label == "no longer generated" ? "out/" + path : path] = label;
            for (const auto& [path, label] : states) {
                const auto found = byTarget.find(path);
                if (label == "conflict" && found == byTarget.end())
                    continue; // a file no longer made whose conflict is still open
                ASSERT_NE(found, byTarget.end()) << path << " is not in\n" << preview.out;
                EXPECT_TRUE(AGREES.at(label).contains(found->second))
                    << path << ": --status says " << label << ", --dry-run " << found->second;
            }
            for (const auto& [path, label] : byTarget) {
                EXPECT_TRUE(states.contains(path) || path == "out/Demo")
                    << path << " (" << label << ") is missing from\n"
                    << status.out;
            }
            if (status.status == 0) {
                EXPECT_EQ(preview.status, 0);
            }
        }
    }
}

} // namespace
} // namespace vantrel
