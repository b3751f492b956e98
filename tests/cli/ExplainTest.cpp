// --explain promises that every generated line names the template line it comes from: edit
// that template line and exactly the lines it names change.
#include "run/LineOrigins.h"
#include "support/Installation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <set>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

// Every file a run of the project in the working folder makes, with where its lines came from.
struct Generated {
    std::map<std::string, std::string> texts; // by native path
    LineOrigins origins;
};

void generate(const std::string& projectFile, Generated& generated) {
    ProjectState project;
    RunSettings settings;
    ASSERT_TRUE(readProject(projectFile, project, settings.configuration));
    SilentSink sink;
    MemoryOutput memory;
    settings.keepRecord = false;
    settings.observer = &generated.origins;
    const RunResult result = runProject(project, sink, memory, settings);
    for (const RecordingOutput::Outcome& outcome : result.outcomes)
        if (!outcome.folder)
            generated.texts[outcome.nativePath] = memory.tree().at(outcome.key).bytes;
}

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) +
           (!text.empty() && text.back() != '\n');
}

TEST(Explain, EveryLineHasAnOriginAndEditingItChangesExactlyItsLines) {
    const TempFolder workload;
    ASSERT_TRUE(writeBenchWorkload(20, workload.path()));
    for (const auto& [from, projectFile] :
         {std::pair{fs::path(VANTREL_SOURCE_DIR) / "data/sample", std::string("demo.json")},
          std::pair{workload.path(), std::string("project.json")}}) {
        const InstallationCopy installation(from);
        Generated first;
        generate(projectFile, first);
        ASSERT_FALSE(first.texts.empty());
        // Every line of a generated file has its template line; a copy, its source.
        std::vector<std::pair<std::string, std::size_t>> lines;
        for (const auto& [path, text] : first.texts) {
            const LineOrigins::File* file = first.origins.find(path);
            ASSERT_TRUE(file) << path;
            if (file->copied)
                continue;
            ASSERT_EQ(file->lines.size(), lineCount(text)) << path;
            for (std::size_t line = 0; line < file->lines.size(); ++line)
                lines.emplace_back(path, line);
        }
        // --explain says so from outside, for one of them.
        const ProcessResult explained = runGeneratorIn(
            installation.path(),
            {"--explain", lines.front().first + ":" + std::to_string(lines.front().second + 1),
             projectFile});
        EXPECT_EQ(explained.status, 0) << explained.err;
        EXPECT_NE(
            explained.out.find(": made by " + first.origins.find(lines.front().first)->source),
            std::string::npos)
            << explained.out;

        std::mt19937 random(20261209);
        for (int round = 0; round < 8; ++round) {
            const auto [path, line] =
                lines[std::uniform_int_distribution<std::size_t>(0, lines.size() - 1)(random)];
            const LineOrigins::File& file = *first.origins.find(path);
            const std::uint32_t templateLine = file.lines[line].templateLine;
            // The template line gets a mark at its start; every line it made, and no other,
            // shows the mark.
            std::string text = readFile(file.source);
            std::size_t start = 0;
            for (std::uint32_t n = 1; n < templateLine; ++n)
                start = text.find('\n', start) + 1;
            const std::string original = text;
            text.insert(start, "MARK");
            std::ofstream(file.source, std::ios::binary) << text;
            Generated edited;
            generate(projectFile, edited);
            std::ofstream(file.source, std::ios::binary) << original;

            std::set<std::pair<std::string, std::size_t>> changed;
            std::set<std::pair<std::string, std::size_t>> named;
            for (const auto& [target, before] : first.texts) {
                const std::vector<std::string> old = linesOf(before);
                const std::vector<std::string> now = linesOf(edited.texts[target]);
                ASSERT_EQ(old.size(), now.size()) << target;
                const LineOrigins::File* origin = first.origins.find(target);
                for (std::size_t n = 0; n < old.size(); ++n) {
                    if (old[n] != now[n])
                        changed.emplace(target, n);
                    if (!origin->copied && origin->source == file.source &&
                        origin->lines[n].templateLine == templateLine)
                        named.emplace(target, n);
                }
            }
            EXPECT_EQ(changed, named) << file.source << ":" << templateLine;
        }
    }
}

} // namespace
} // namespace vantrel
