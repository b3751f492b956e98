#pragma once

#include "engine/ScriptInterpreter.h"
#include "record/RecordingOutput.h"
#include "report/ErrorReporter.h"
#include "run/ProjectRun.h"

#include <cstddef>
#include <string>
#include <vector>

namespace vantrel {

// What a run to the disk did, as Create reports it.
struct RunOutcome {
    struct Message {
        ErrorKind kind;
        std::string text;
        std::string detail = {}; // the system's reason, where the text cannot say it
    };
    bool ended = false; // the script ran to its end (or to create_done:)
    RunSummary counts;
    std::vector<Message> messages; // reported during the run, in order
    // What became of the files the user edited or deleted, and of the record.
    std::vector<std::string> notes;
};

// The summary shown after a run: the counts of what it did, the files kept by the user's
// choice, the messages it reported and the project folder. No widgets: SummaryDialog shows it.
class SummaryModel {
public:
    struct Row {
        std::string caption;
        std::size_t count;
    };

    // keptKeys: the files the review left as they are; folder: the project folder, absolute.
    SummaryModel(RunOutcome outcome, std::vector<std::string> keptKeys, std::string folder);

    // The run ended normally: the wizard closes once the summary is read.
    bool succeeded() const { return m_outcome.ended; }
    std::string heading() const;
    // Folders created, files written, copied, unchanged, kept by the user's choice, kept as the
    // user's by the run, and the errors, in that order.
    std::vector<Row> rows() const;
    // Messages worse than a failed assertion.
    std::size_t errorCount() const;
    std::vector<std::string> messages() const;
    const std::vector<std::string>& kept() const { return m_kept; }
    const std::string& folder() const { return m_folder; }
    // Whether there is a folder to open (a run can stop before it makes one).
    bool folderExists() const;

private:
    RunOutcome m_outcome;
    std::vector<std::string> m_kept;
    std::string m_folder;
};

} // namespace vantrel
