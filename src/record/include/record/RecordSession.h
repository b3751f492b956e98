#pragma once

#include "engine/TemplateReader.h"
#include "model/ProjectState.h"
#include "record/RecordFolder.h"
#include "record/RecordingOutput.h"

#include <condition_variable>
#include <cstdint>
#include <future>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace vantrel {

// The record around one generation run of a project: the last run's record is read before it,
// what the run reads and makes is noted during it, and the new record is written after it.
class RecordSession {
public:
    // The project's answers must be final: the record folder lies below locationBase/nameText.
    RecordSession(const ProjectState& project, ProjectOutput& inner);
    // A record begun for the run and not completed goes.
    ~RecordSession();
    RecordSession(const RecordSession&) = delete;
    RecordSession& operator=(const RecordSession&) = delete;

    // Reads the last run's record and hands it to the output; a damaged one is left unused
    // (why() says what is wrong with it) and the run goes on as a first one.
    RecordState readPrevious();
    const std::string& why() const { return m_why; }
    // The project folder, native, and the record folder in it.
    const std::string& projectFolder() const { return m_projectFolder; }
    std::string recordFolder() const;

    // Where the run writes, and where it reads its script and templates from.
    RecordingOutput& output() { return m_output; }
    TemplateReader::InputReader inputReader();
    // The configuration file the run's settings came from.
    void noteConfiguration(const std::string& nativePath);
    // The same, with the bytes the run's settings were read from.
    void noteConfiguration(const std::string& nativePath, std::string bytes);

    // Starts writing the answers as the record keeps them on a thread of their own, while the
    // run goes on: for a project of many actions they take a good part of the record's time.
    // For a project without a record they go on into the new record's folder once the run has
    // made the project folder. Only for a run that changes none of the answers while it goes
    // (the headless one: the dialog commits its DLL flags as the run starts).
    void prepareAnswersAhead();

    // Writes the new record of the project, as the run left it, unless the one on the disk
    // says the same already; false, with why(), when it cannot be written. It takes the run's
    // manifest from the output: the last thing asked of a session. A project folder that
    // does not exist, or lies outside the location, gets none.
    bool writeRecord(const ProjectState& project);

    // Removes what interrupted runs left behind in the folders this run wrote into: temporary
    // files of replacements and half-written records. Only under the project's lock.
    void removeLeftovers();

private:
    // The project folder exists and lies in the location, every link on its way resolved.
    bool folderInside() const;
    const std::string* baseText(const std::string& key);
    // Whether the run has read what the recorded one read, as far as it has gone.
    bool sameInputs() const;
    // The answers as the record keeps them.
    const std::string& answersText();
    // Waits for the answers made ahead, and for the record begun with them.
    void takeAnswersAhead();
    void discardBegun();
    void noteInput(Manifest::Role role, const std::string& path, std::string bytes);

    const ProjectState& m_project;
    std::optional<std::string> m_answers;
    std::uint32_t m_answersDllFlags = 0;
    // The DLL flags with which the answers are the recorded ones; none when they differ.
    std::optional<std::uint32_t> m_sameAnswersFor;
    // The answers made ahead: their text, or the record folder begun with them.
    struct AnswersAhead {
        std::string text;
        std::string begun;
    };
    std::future<AnswersAhead> m_answersAhead;
    std::mutex m_aheadMutex;
    std::condition_variable m_aheadChanged;
    bool m_folderStands = false; // guarded by m_aheadMutex, as m_runOver
    bool m_runOver = false;
    bool m_folderSeen = false; // the run's own
    std::string m_begun;       // the record folder begun ahead, until completed or discarded
    std::string m_location;
    std::string m_projectFolder;
    RecordingOutput m_output;
    std::optional<Record> m_previous;
    std::optional<std::map<std::string, std::string>> m_base; // made when first needed
    std::string m_why;
    std::vector<Manifest::Input> m_inputs;
    std::unordered_map<ContentHash, std::string> m_inputTexts;
    bool m_scriptRead = false;
};

// Runs a recorded run again in memory from its record: the answers, configuration, script and
// templates it kept, in the location given. The texts of the files it wrote, by key; none when
// the answers cannot be read.
std::optional<std::map<std::string, std::string>> repeatRecordedRun(const Record& record,
                                                                    const std::string& location);

} // namespace vantrel
