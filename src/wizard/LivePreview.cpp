#include "wizard/LivePreview.h"

#include "engine/CreateProject.h"
#include "run/LineOrigins.h"
#include "run/PreviewListing.h"

#include <algorithm>
#include <map>

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace vantrel {
namespace {

class GatheringSink : public MessageSink {
public:
    explicit GatheringSink(std::vector<std::string>& messages)
        : m_messages(messages) {}
    void showMessage(ErrorKind, const std::string& message) override {
        m_messages.push_back(message);
    }

private:
    std::vector<std::string>& m_messages;
};

// The states in which the file is left holding the generated text itself.
bool holdsGeneratedText(TargetState state) {
    return state == TargetState::New || state == TargetState::Same ||
           state == TargetState::Replaced;
}

} // namespace

std::vector<std::size_t> PreviewTarget::placeholderLines() const {
    std::vector<std::size_t> lines;
    if (origin)
        for (std::size_t line = 0; line < origin->lines.size(); ++line)
            if (origin->lines[line].placeholders)
                lines.push_back(line);
    return lines;
}

std::string PreviewTarget::diff() const {
    return madeDiff ? *madeDiff : listingDiff(path, before, after).value_or("");
}

std::optional<std::size_t> Preview::rowToShow(const PreviewRequest::Shown& shown) const {
    const auto rowOf = [this](auto found) -> std::optional<std::size_t> {
        const auto it = std::find_if(targets.begin(), targets.end(), found);
        if (it == targets.end())
            return std::nullopt;
        return static_cast<std::size_t>(it - targets.begin());
    };
    if (shown.action)
        if (const std::optional<std::size_t> row = firstTargetOf(*shown.action))
            return row;
    if (!shown.path.empty())
        if (const auto row =
                rowOf([&shown](const PreviewTarget& t) { return t.path == shown.path; }))
            return row;
    if (shown.row && !targets.empty())
        return std::min(*shown.row, targets.size() - 1);
    return rowOf([](const PreviewTarget& t) { return t.after.has_value(); });
}

std::optional<std::size_t> Preview::firstTargetOf(std::size_t action) const {
    const auto it = std::find_if(targets.begin(), targets.end(),
                                 [action](const auto& target) { return target.action == action; });
    return it == targets.end() ? std::nullopt
                               : std::optional<std::size_t>(
                                     static_cast<std::size_t>(std::distance(targets.begin(), it)));
}

std::string Preview::listing() const {
    std::string text;
    for (const PreviewTarget& target : targets)
        text.append(target.line).append("\n").append(target.diff());
    return text;
}

Preview computePreview(PreviewRequest request, std::stop_token stop) {
    const PreviewRequest::Shown shown = std::move(request.shown);
    Preview preview;
    GatheringSink sink(preview.messages);
    for (const ActionDefinition& action : request.project.actions)
        preview.actionNames.push_back(action.name);
    if (!validateProject(request.project, sink))
        return preview;
    MemoryOutput memory;
    memory.checkWithDisk(true);
    memory.keepDetails(false); // the texts come from the run's outcomes
    LineOrigins origins;
    RunSettings settings;
    settings.dllComboIndex = request.dllComboIndex;
    settings.configuration = std::move(request.configuration);
    settings.keepTexts = true;
    settings.observer = &origins;
    settings.stop = std::move(stop);
    RunResult result = runProject(request.project, sink, memory, settings);
    if (result.refusedByChecks)
        preview.messages.push_back(refusalText(result));
    preview.ended = result.ended;
    if (result.templates.changed())
        preview.templates = result.templates.described();
    preview.inputs = std::move(result.inputsRead);
    const std::vector<ListedTarget> listed = listedTargets(result, memory);
    for (std::size_t i = 0; i < listed.size(); ++i) {
        PreviewTarget target;
        target.state = listed[i].state;
        target.path = listed[i].path;
        target.line = listingLine(listed[i]);
        // The outcomes come first in the listing, one for one; the texts move out of them.
        if (i < result.outcomes.size()) {
            RecordingOutput::Outcome& outcome = result.outcomes[i];
            target.folder = outcome.folder;
            target.copy = outcome.copy;
            if (outcome.texts) {
                target.before = std::move(outcome.texts->before);
                target.after = std::move(outcome.texts->after);
            }
        }
        if (LineOrigins::File* file = origins.find(target.path)) {
            target.action = file->action;
            // Lines count in the generated text, which only these states leave in the file.
            if (holdsGeneratedText(target.state))
                target.origin = std::move(*file);
        }
        preview.targets.push_back(std::move(target));
    }
    if (const std::optional<std::size_t> row = preview.rowToShow(shown)) {
        PreviewTarget& target = preview.targets[*row];
        target.madeDiff = listingDiff(target.path, target.before, target.after).value_or("");
    }
    return preview;
}

PreviewWorker::PreviewWorker(Ready ready, Compute compute)
    : m_ready(std::move(ready))
    , m_compute(std::move(compute))
    , m_thread([this](std::stop_token stop) { work(std::move(stop)); }) {}

PreviewWorker::~PreviewWorker() {
    {
        const std::scoped_lock lock(m_mutex);
        m_current.request_stop();
    }
    m_thread.request_stop();
    m_thread.join();
}

std::uint64_t PreviewWorker::request(PreviewRequest request) {
    const std::scoped_lock lock(m_mutex);
    m_waiting = std::move(request);
    m_current.request_stop();
    m_wake.notify_one();
    return ++m_serial;
}

void PreviewWorker::work(std::stop_token stop) {
#ifdef __linux__
    // Below the dialog's thread, so that the dialog answers at once even where the preview
    // and other programs keep every processor busy.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
#endif
    while (true) {
        std::unique_lock lock(m_mutex);
        if (!m_wake.wait(lock, stop, [this] { return m_waiting.has_value(); }))
            return;
        PreviewRequest request = std::move(*m_waiting);
        m_waiting.reset();
        const std::uint64_t serial = m_serial;
        m_current = std::stop_source();
        const std::stop_token cancelled = m_current.get_token();
        lock.unlock();
        Preview preview = m_compute(std::move(request), cancelled);
        if (!cancelled.stop_requested())
            m_ready(serial, std::move(preview));
    }
}

} // namespace vantrel
