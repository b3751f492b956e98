#pragma once

#include "model/ProjectState.h"
#include "run/LineOrigins.h"
#include "run/ProjectRun.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

namespace vantrel {

// The answers as they stand when the preview is asked for, copied away from the dialog so that
// another thread may run them.
struct PreviewRequest {
    ProjectState project;
    std::int32_t dllComboIndex = -1; // as for a run: -1 keeps the flags
    ConfigurationBytes configuration;
    // What the pane shows now, so that the target it will show next has its diff made here
    // rather than on the pane's thread.
    struct Shown {
        std::string path;                  // the selected target
        std::optional<std::size_t> row;    // and its row
        std::optional<std::size_t> action; // the action whose properties are open
    } shown = {};
};

// One target of the run, as the dry run lists it, with its texts.
struct PreviewTarget {
    TargetState state = TargetState::New;
    std::string path; // native; for a file no longer generated, its key
    std::string line; // the dry run's listing line
    bool folder = false;
    bool copy = false;                 // a kit file copied as it is: no texts
    std::optional<std::string> before; // the bytes on the disk
    std::optional<std::string> after;  // the bytes the run would leave there
    // The action a loop over the actions stood on when the file was made.
    std::optional<std::size_t> action;
    // Where each line of the generated text came from, for a file left holding it.
    std::optional<LineOrigins::File> origin;

    // For a file the run leaves holding its generated text: the lines, from 0, that a
    // placeholder's value went into.
    std::vector<std::size_t> placeholderLines() const;
    // The diff the dry run prints after the line; empty when the bytes do not change.
    std::string diff() const;
    // That diff, when it was made with the preview.
    std::optional<std::string> madeDiff;
};

struct Preview {
    std::vector<PreviewTarget> targets;
    std::vector<std::string> messages;    // what the run would report, in order
    bool ended = false;                   // the script ran to its end
    std::vector<std::string> inputs;      // the script, templates and configuration it read
    std::vector<std::string> actionNames; // by index, as the answers named them
    std::string templates; // the template set's change since the project's record, if any

    // The first target made for an action, by its index; none when no file is its own.
    std::optional<std::size_t> firstTargetOf(std::size_t action) const;
    // The row to show after what was shown: the action's first file while its properties are
    // open, else the same target, else the row that took its place; at first, the first file
    // with a text.
    std::optional<std::size_t> rowToShow(const PreviewRequest::Shown& shown) const;
    // The dry run's listing with its diffs, as `--dry-run --diff` prints it.
    std::string listing() const;
};

// Runs the answers into memory over the disk as `--dry-run --diff` does: no file, folder, lock
// or record is written. A stop asked for ends it early with a partial preview.
Preview computePreview(PreviewRequest request, std::stop_token stop = {});

// Computes previews on a thread of its own. Each request cancels the computation under way and
// replaces one still waiting, so only the newest answers are worked on; ready is called on the
// worker's thread with each preview that was not cancelled, and the request's number.
class PreviewWorker {
public:
    using Ready = std::function<void(std::uint64_t serial, Preview preview)>;
    using Compute = std::function<Preview(PreviewRequest, std::stop_token)>;

    explicit PreviewWorker(Ready ready, Compute compute = computePreview);
    ~PreviewWorker();
    PreviewWorker(const PreviewWorker&) = delete;
    PreviewWorker& operator=(const PreviewWorker&) = delete;

    // The request's number: higher for every later request.
    std::uint64_t request(PreviewRequest request);

private:
    void work(std::stop_token stop);

    Ready m_ready;
    Compute m_compute;
    std::mutex m_mutex;
    std::condition_variable_any m_wake;
    std::optional<PreviewRequest> m_waiting;
    std::uint64_t m_serial = 0;
    std::stop_source m_current; // of the computation under way
    std::jthread m_thread;      // last: it starts once the rest is made
};

} // namespace vantrel
