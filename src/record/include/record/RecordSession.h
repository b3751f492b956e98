#pragma once

#include "config/TemplateSet.h"
#include "engine/TemplateReader.h"
#include "fileutil/DiskOutput.h"
#include "model/ProjectState.h"
#include "record/RecordFolder.h"
#include "record/RecordingOutput.h"

#include <map>
#include <optional>
#include <string>

namespace vantrel {

// The record around one generation run of a project: the last run's record is read before it,
// what the run reads and makes is noted during it, and the new record is written after it.
class RecordSession {
public:
    // The project's answers must be final: the record folder lies below locationBase/nameText.
    // disk: what stands under inner when it is the disk or a preview of it (see RecordingOutput).
    RecordSession(const ProjectState& project, ProjectOutput& inner, DiskView* disk);
    RecordSession(const RecordSession&) = delete;
    RecordSession& operator=(const RecordSession&) = delete;

    // Reads the last run's record and hands it to the output. A damaged one is used entry by
    // entry (why() says what is wrong with it); a foreign one is left alone and none is written.
    RecordState readPrevious();
    const std::string& why() const { return m_why; }
    // The last run's answers, read after readPrevious when they differ from the project's; null
    // when they are the same, missing or unreadable.
    const ProjectState* recordedAnswers() const {
        return m_recordedAnswers ? &*m_recordedAnswers : nullptr;
    }
    // Compares the answers with the recorded ones again: the run gave actions their ids.
    void answersUpdated();
    // Hands the output the files that move: those the template set's declared moves (oldest
    // first) take elsewhere, and those of actions renamed since the last run (an action keeps
    // its id, and its targets whose path changed only through the new name). True when the
    // recorded answers name actions without ids that are gone: a rename of one cannot be told
    // from a removal, and its files stay where they are.
    bool findMoves(const std::vector<DeclaredMove>& declared = {});
    // The template set the last run's record names; null without a record.
    const TemplateSetVersion* recordedTemplates() const;
    // The project folder, native, and the record folder in it.
    const std::string& projectFolder() const { return m_projectFolder; }
    std::string recordFolder() const;
    // Whether this run may keep a record at all: the project has a folder of its own below the
    // location and nothing foreign stands in the record's place.
    bool mayRecord() const { return m_root.has_value() && m_state != RecordState::Foreign; }

    // Where the run writes, and where it reads its script and templates from.
    RecordingOutput& output() { return m_output; }
    TemplateReader::InputReader inputReader();
    // The inputs the run read so far, in the order it read them.
    const std::vector<Manifest::Input>& inputs() const { return m_inputs; }
    // The configuration file the run's settings came from, with the bytes they were read from.
    void noteConfiguration(const std::string& nativePath, std::string bytes);

    // Writes the new record of the project, as the run left it, unless the one on the disk
    // says the same already; false, with why(), when it cannot be written. It takes the run's
    // manifest from the output: the last thing asked of a session. A project folder that
    // does not exist, or lies outside the location, gets none.
    bool writeRecord();

    // Has the disk note the temporary file of each replacement in the record folder before it
    // is made.
    void noteTemporaries(DiskOutput& disk);
    // Removes what interrupted runs left behind: the temporary files of replacements they noted
    // and half-written records. Only under the project's lock.
    void removeLeftovers();

    // The inputs the run has read so far compared with the recorded ones; before writeRecord.
    std::vector<InputChange> changedInputs() const;
    // Whether the answers differ from the recorded ones; false without a record of them.
    bool answersChanged() const;
    // The text this program last wrote at a target (its key below the location), as the record
    // proves it; null when the record cannot make it again.
    const std::string* recordedText(std::string_view key);

private:
    // The project folder exists and lies in the location, every link on its way resolved.
    bool folderInside() const;
    const std::string* baseText(const std::string& path, ContentHash hash);
    // Whether the run has read what the recorded one read, as far as it has gone.
    bool sameInputs() const;
    // The renames of actions since the recorded answers (see findMoves); true when unknown.
    bool findRenames(std::vector<std::pair<std::string, std::string>>& renames) const;
    void noteInput(Manifest::Role role, const std::string& path, std::string bytes);

    const ProjectState& m_project;
    // The DLL flags with which the answers are the recorded ones; none when they differ.
    std::optional<std::uint32_t> m_sameAnswersFor;
    std::string m_location;
    std::string m_projectFolder;
    std::optional<std::string> m_root; // the project folder's key below the location
    RecordingOutput m_output;
    RecordState m_state = RecordState::Absent;
    std::optional<Record> m_previous;
    std::optional<ProjectState> m_recordedAnswers;
    bool m_differInIdsOnly = false; // the recorded answers are the project's without its ids
    std::optional<std::map<std::string, std::string>> m_repeated; // made when first needed
    std::string m_why;
    std::vector<Manifest::Input> m_inputs;
    std::unordered_map<ContentHash, std::string> m_inputTexts;
    bool m_scriptRead = false;
};

// The answers the record below a project folder (native) keeps; none without a readable one.
std::optional<ProjectState> readRecordedAnswers(const std::string& projectFolder);

// Runs a recorded run again in memory from its record: the answers, configuration, script and
// templates it kept, in the location given. The texts of the files it wrote, by path below its
// project folder; none when the answers cannot be read.
std::optional<std::map<std::string, std::string>> repeatRecordedRun(const Record& record,
                                                                    const std::string& location);

} // namespace vantrel
