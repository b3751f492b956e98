#include "wizard/SummaryModel.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

namespace vantrel {

SummaryModel::SummaryModel(RunOutcome outcome, std::vector<std::string> keptKeys,
                           std::string folder)
    : m_outcome(std::move(outcome))
    , m_kept(std::move(keptKeys))
    , m_folder(std::move(folder)) {}

std::string SummaryModel::heading() const {
    if (!succeeded())
        return "The run stopped on an error. This is what it did up to there:";
    if (errorCount() > 0)
        return "The project was written, with errors:";
    return "The project was written:";
}

std::vector<SummaryModel::Row> SummaryModel::rows() const {
    const RunSummary& counts = m_outcome.counts;
    // The run counts every file it left as it was; those the review left unticked are the
    // user's choice, the others the run kept as the user's (each one's note says why).
    const std::size_t chosen = std::min(m_kept.size(), counts.kept);
    return {
        {"Folders created:", counts.foldersCreated},
        {"Files written:", counts.filesWritten},
        {"Files copied:", counts.filesCopied},
        {"Unchanged (nothing to write):", counts.unchanged},
        {"Kept as they are, by your choice:", chosen},
        {"Kept as yours, each named below:", counts.kept - chosen},
        {"Errors:", errorCount()},
    };
}

std::size_t SummaryModel::errorCount() const {
    return static_cast<std::size_t>(std::count_if(
        m_outcome.messages.begin(), m_outcome.messages.end(),
        [](const RunOutcome::Message& m) { return m.kind != ErrorKind::ERR_ASSERT; }));
}

std::vector<std::string> SummaryModel::messages() const {
    std::vector<std::string> texts;
    for (const RunOutcome::Message& message : m_outcome.messages)
        texts.push_back(message.detail.empty() ? message.text
                                               : message.text + "\n(" + message.detail + ")");
    texts.insert(texts.end(), m_outcome.notes.begin(), m_outcome.notes.end());
    return texts;
}

bool SummaryModel::folderExists() const {
    std::error_code error;
    return !m_folder.empty() && std::filesystem::is_directory(m_folder, error);
}

} // namespace vantrel
