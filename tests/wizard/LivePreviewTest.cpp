// The live preview promises that it is the run and that it writes nothing: its listing and
// diffs are the dry run's, every file ends as it says once the run is made, and no file,
// folder, lock or record changes while it works.
#include "wizard/LivePreview.h"
#include "support/Installation.h"

#include <gtest/gtest.h>

#include <sys/inotify.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <future>
#include <random>
#include <thread>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

// A copy of the sample installation, the working folder while it lives. Projects go into out/.
class SampleCopy : public InstallationCopy {
public:
    SampleCopy()
        : InstallationCopy(fs::path(VANTREL_SOURCE_DIR) / "data/sample") {
        std::string project = readFile(path() / "demo.json");
        project.replace(project.find("../../demo-out"), 14, "out");
        folder().write("demo.json", project);
    }
    fs::path project() const { return path() / "out/Demo"; }
};

// The answers of a project file with the configuration of the working folder.
PreviewRequest requestFor(const std::string& projectFile) {
    PreviewRequest request;
    EXPECT_TRUE(readProject(projectFile, request.project, request.configuration));
    return request;
}

void replaceIn(const fs::path& file, const std::string& from, const std::string& to) {
    std::string text = readFile(file);
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from << " in " << file;
    text.replace(at, from.size(), to);
    std::ofstream(file, std::ios::binary) << text;
}

void expectTheDryRun(const std::string& projectFile, const std::string& when) {
    const ProcessResult dryRun =
        runGeneratorIn(fs::current_path(), {"--dry-run", "--diff", projectFile});
    const Preview preview = computePreview(requestFor(projectFile));
    EXPECT_EQ(preview.listing(), dryRun.out) << when;
    EXPECT_TRUE(preview.ended) << when;
}

TEST(LivePreview, ListsWhatTheDryRunLists) {
    const SampleCopy sample;
    expectTheDryRun("demo.json", "a new project");
    ASSERT_EQ(runGeneratorIn(sample.path(), {"demo.json"}).status, 0);
    // One edit the new templates merge with, one they overlap, a file deleted, and an action
    // renamed: merged, conflict, deleted by you and a move.
    replaceIn(sample.project() / "Line.cpp", "#include", "// mine\n#include");
    replaceIn(sample.project() / "Demo.h", "#define", "#define MINE\n#define");
    fs::remove(sample.project() / "Sketch.cpp");
    replaceIn(sample.path() / "templates/plugin.tpl", "filesection: header\n",
              "filesection: header\n// new in the header\n");
    replaceIn(sample.path() / "templates/plugin.tpl", "#include \"%PROJECTNAME%.h\"",
              "#include \"%PROJECTNAME%.h\" // the plug-in");
    replaceIn(sample.path() / "demo.json", "\"Measure\"", "\"Gauge\"");
    replaceIn(sample.path() / "vantrel.cfg", "\"1.1.0\"", "\"1.2.0\"");
    expectTheDryRun("demo.json", "an edited project under new templates");
    EXPECT_EQ(computePreview(requestFor("demo.json")).templates, "sample-templates 1.1.0 -> 1.2.0");

    // The bench's workload, written by its own script.
    const TempFolder workload;
    ASSERT_TRUE(writeBenchWorkload(100, workload.path()));
    fs::current_path(workload.path());
    for (const fs::directory_entry& entry : fs::directory_iterator(workload.path()))
        if (entry.path().extension() == ".json")
            expectTheDryRun(entry.path().filename().string(), "the bench workload");
}

TEST(LivePreview, MarksThePlaceholdersLinesAndTheActionsFiles) {
    const TempFolder work;
    work.write("vantrel.cfg", "templatedirectory = \"tpl\"\n");
    work.write("tpl/plugin.tpl", "filesection: main\n// %PROJECTNAME%\nplain\nfilesectionend:\n"
                                 "filesection: action\nplain\n@IFDEF ACDF_MENU\n"
                                 "a %ACTIONNAME% b\n@ENDIF\n%ACTIONNAME%%PROJECTNAME%\n"
                                 "filesectionend:\n");
    work.write("kelpi.tpl", "create_directory: \"%PROJECTNAME%\"\n"
                            "create_file: \"main.cpp\" \"main\" \"plugin.tpl\"\n"
                            "@FOR 0 TO ALL_ACTIONS\n"
                            "create_file: \"%ACTIONNAME%.cpp\" \"action\" \"plugin.tpl\"\n"
                            "@ENDFOR\n");
    work.write("project.json", R"({"host": "KEL", "name": "Demo", "location": "out",
        "actions": [{"name": "Line", "flags": ["ACF_MENU"]}, {"name": "Box", "flags": []}]})");
    const fs::path previous = fs::current_path();
    fs::current_path(work.path());
    Preview preview = computePreview(requestFor("project.json"));
    fs::current_path(previous);

    // Each target's line, the lines placeholders went into, and the action it was made for.
    std::vector<std::string> rows;
    for (const PreviewTarget& target : preview.targets)
        rows.push_back(target.line + " " + testing::PrintToString(target.placeholderLines()) +
                       (target.action ? " " + std::to_string(*target.action) : ""));
    EXPECT_EQ(rows, (std::vector<std::string>{"new out/Demo {}", "new out/Demo/main.cpp { 0 }",
                                              "new out/Demo/Line.cpp { 1, 2 } 0",
                                              "new out/Demo/Box.cpp { 1 } 1"}));
    EXPECT_EQ(preview.firstTargetOf(1), std::optional<std::size_t>(3));
    EXPECT_EQ(preview.firstTargetOf(2), std::nullopt);
    EXPECT_EQ(preview.inputs.size(), std::size_t(3)) << "the configuration, script and template";
}

TEST(PreviewWorker, WorksOnTheNewestAnswersOnly) {
    std::atomic<int> started = 0;
    std::atomic<bool> firstStopped = false;
    std::promise<std::pair<std::uint64_t, std::string>> delivered;
    PreviewWorker worker(
        [&delivered](std::uint64_t serial, Preview preview) {
            delivered.set_value({serial, preview.messages.at(0)});
        },
        [&](PreviewRequest request, std::stop_token stop) {
            if (++started == 1) {
                // The first computation lasts until a newer request stops it.
                const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
                while (!stop.stop_requested() && std::chrono::steady_clock::now() < limit)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                firstStopped = stop.stop_requested();
            }
            Preview preview;
            preview.messages.push_back(request.project.nameText);
            return preview;
        });
    const auto named = [](const char* name) {
        PreviewRequest request;
        request.project.nameText = name;
        return request;
    };
    EXPECT_EQ(worker.request(named("first")), 1u);
    while (started == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    worker.request(named("second"));
    EXPECT_EQ(worker.request(named("third")), 3u);
    auto result = delivered.get_future();
    ASSERT_EQ(result.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_EQ(result.get(), (std::pair<std::uint64_t, std::string>{3, "third"}));
    EXPECT_TRUE(firstStopped);
    EXPECT_EQ(started, 2) << "the second request was replaced before it was begun";
}

// Changes to what stands below a folder, by inotify, for every folder there.
class ChangeWatch {
public:
    explicit ChangeWatch(const fs::path& root)
        : m_root(root)
        , m_fd(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        watchFolders();
    }
    ~ChangeWatch() { ::close(m_fd); }

    // Watches the folders made since, and forgets what was seen.
    void restart() {
        watchFolders();
        static_cast<void>(changes());
    }
    // How many changes were seen since the last call.
    std::size_t changes() {
        alignas(inotify_event) char buffer[4096];
        std::size_t count = 0;
        for (ssize_t got; (got = ::read(m_fd, buffer, sizeof buffer)) > 0;)
            for (char* at = buffer; at < buffer + got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(at);
                ++count;
                at += sizeof(inotify_event) + event->len;
            }
        return count;
    }

private:
    void watchFolders() {
        constexpr std::uint32_t CHANGES = IN_CREATE | IN_DELETE | IN_MODIFY | IN_MOVED_FROM |
                                          IN_MOVED_TO | IN_ATTRIB | IN_CLOSE_WRITE;
        inotify_add_watch(m_fd, m_root.c_str(), CHANGES);
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(m_root))
            if (entry.is_directory() && !entry.is_symlink())
                inotify_add_watch(m_fd, entry.path().c_str(), CHANGES);
    }

    fs::path m_root;
    int m_fd;
};

// What the disk holds at a native path: its bytes, none when nothing readable is there.
std::optional<std::string> bytesAt(const std::string& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error))
        return std::nullopt;
    return readFile(path);
}

// A session of what users do between previews: answers changed, generated files edited or
// deleted, templates changed, and runs made. Each preview, computed by the worker as the pane
// has it computed, writes nothing; each run then leaves every file as its preview said.
TEST(LivePreview, IsTheRunAndWritesNothing) {
    const char* const steps = std::getenv("VANTREL_PREVIEW_STEPS");
    const char* const seed = std::getenv("VANTREL_PREVIEW_SEED");
    const int count = steps ? std::atoi(steps) : 40;
    const SampleCopy sample;
    PreviewRequest answers = requestFor("demo.json");
    std::mt19937 random(seed ? static_cast<unsigned>(std::atoi(seed)) : 20261209u);
    const auto pick = [&random](std::size_t size) {
        return std::uniform_int_distribution<std::size_t>(0, size - 1)(random);
    };
    std::promise<Preview>* waiting = nullptr;
    std::mutex mutex;
    PreviewWorker worker([&](std::uint64_t, Preview preview) {
        const std::scoped_lock lock(mutex);
        if (waiting)
            std::exchange(waiting, nullptr)->set_value(std::move(preview));
    });
    ChangeWatch watch(sample.path());
    std::vector<std::string> trail;
    for (int step = 0; step < count; ++step) {
        const std::vector<std::string> files = [&] {
            std::vector<std::string> found;
            if (fs::exists(sample.project()))
                for (const auto& entry : fs::directory_iterator(sample.project()))
                    if (entry.is_regular_file())
                        found.push_back(entry.path().string());
            return found;
        }();
        switch (pick(6)) {
        case 0: { // an action renamed, added or removed
            auto& actions = answers.project.actions;
            const std::size_t choice = pick(3);
            if (choice == 0 && !actions.empty()) {
                actions[pick(actions.size())].name += "X";
                trail.push_back("rename");
            } else if (choice == 1 || actions.empty()) {
                ActionDefinition action;
                action.resetAction();
                action.name = "Added" + std::to_string(step);
                answers.project.appendAction(action);
                trail.push_back("add");
            } else {
                answers.project.removeActionAt(static_cast<std::int32_t>(pick(actions.size())));
                trail.push_back("remove");
            }
            break;
        }
        case 1: // a generated file edited at its top, or deleted
            if (!files.empty()) {
                const std::string file = files[pick(files.size())];
                if (pick(4) == 0) {
                    fs::remove(file);
                    trail.push_back("delete " + file);
                } else {
                    std::ofstream(file, std::ios::binary) << "// mine\n" << readFile(file);
                    trail.push_back("edit " + file);
                }
            }
            break;
        case 2: // the templates change under the project
            replaceIn(sample.path() / "templates/plugin.tpl", "filesection: action\n",
                      "filesection: action\n// step " + std::to_string(step) + "\n");
            trail.push_back("template");
            break;
        default: { // a preview, and the run it promises
            watch.restart();
            std::promise<Preview> promise;
            {
                const std::scoped_lock lock(mutex);
                waiting = &promise;
            }
            worker.request(answers);
            auto future = promise.get_future();
            ASSERT_EQ(future.wait_for(std::chrono::seconds(60)), std::future_status::ready);
            const Preview preview = future.get();
            EXPECT_EQ(watch.changes(), 0u)
                << "the preview wrote; steps: " << testing::PrintToString(trail);
            SilentSink sink;
            DiskOutput disk;
            RunSettings settings;
            settings.configuration = answers.configuration;
            runProject(answers.project, sink, disk, settings);
            for (const PreviewTarget& target : preview.targets) {
                // A copied kit file has no text in the preview: the run copies it as it is.
                if (target.folder || target.copy || target.state == TargetState::NoLongerGenerated)
                    continue;
                const bool written =
                    target.state == TargetState::New || target.state == TargetState::Same ||
                    target.state == TargetState::Replaced || target.state == TargetState::Merged ||
                    target.state == TargetState::Moved;
                EXPECT_EQ(bytesAt(target.path), written ? target.after : target.before)
                    << target.line << "; steps: " << testing::PrintToString(trail);
            }
            trail.push_back("run");
            break;
        }
        }
        if (testing::Test::HasFailure())
            break;
    }
}

} // namespace
} // namespace vantrel
