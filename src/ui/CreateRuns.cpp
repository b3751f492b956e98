#include "ui/CreateRuns.h"

#include "engine/CreateProject.h"
#include "engine/Generator.h"
#include "fileutil/DiskOutput.h"
#include "fileutil/MemoryOutput.h"

namespace vantrel {
namespace {

class SilentSink : public MessageSink {
public:
    void showMessage(ErrorKind, const std::string&) override {}
};

class GatheringSink : public MessageSink {
public:
    explicit GatheringSink(std::vector<RunOutcome::Message>& messages)
        : m_messages(messages) {}
    void showMessage(ErrorKind kind, const std::string& message) override {
        m_messages.push_back({kind, message});
    }

private:
    std::vector<RunOutcome::Message>& m_messages;
};

} // namespace

std::vector<ReviewModel::Entry> previewRun(ProjectState& project, std::int32_t dllComboIndex) {
    SilentSink sink;
    MemoryOutput memory;
    Generator generator(project, sink, memory);
    commitAndGenerate(project, dllComboIndex, generator);
    return ReviewModel::entriesOf(memory);
}

RunOutcome diskRun(ProjectState& project, std::int32_t dllComboIndex,
                   const std::vector<std::string>& kept) {
    RunOutcome outcome;
    GatheringSink sink(outcome.messages);
    DiskOutput disk;
    disk.keepAsTheyAre(kept);
    Generator generator(project, sink, disk);
    outcome.ended = commitAndGenerate(project, dllComboIndex, generator);
    outcome.counts = generator.script().summary();
    return outcome;
}

} // namespace vantrel
