#include "record/RecordSession.h"

#include "config/Configuration.h"
#include "engine/CreateProject.h"
#include "engine/Generator.h"
#include "fileutil/ExistingFile.h"
#include "fileutil/FileSystem.h"
#include "fileutil/TextFile.h"
#include "project/ProjectFile.h"
#include "project/ProjectWriter.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <utility>

namespace vantrel {
namespace {

// The texts a repeated run writes, kept by key; nothing reaches the disk, and copies are not
// read: their sources are named by hash only.
class TextCollector : public ProjectOutput {
public:
    explicit TextCollector(std::map<std::string, std::string>& texts)
        : m_texts(texts) {}

    void setLocation(const std::string& nativeLocation) override { m_location = nativeLocation; }
    bool createFolder(const std::string&, std::vector<std::string>& made, std::string&) override {
        made.clear();
        return true;
    }
    FileOpen openFile(const std::string& nativePath) override {
        std::optional<std::string> key = RecordingOutput::keyOf(m_location, nativePath);
        if (!key)
            return FileOpen::Failed;
        m_key = std::move(*key);
        m_text.clear();
        return FileOpen::Created;
    }
    std::string& pending() override { return m_text; }
    bool writePending() override { return true; }
    Closed closeFile() override {
        m_texts[m_key] = std::move(m_text);
        m_text.clear();
        return Closed::Written;
    }
    Closed keepOpenFile() override {
        m_text.clear();
        return Closed::Kept;
    }
    Copy copyFile(const std::string&, const std::string&) override { return Copy::Done; }

private:
    std::map<std::string, std::string>& m_texts;
    std::string m_location;
    std::string m_key;
    std::string m_text;
};

} // namespace

std::optional<std::map<std::string, std::string>> repeatRecordedRun(const Record& record,
                                                                    const std::string& location) {
    ProjectState project;
    for (const Manifest::Input& input : record.manifest.inputs) {
        if (input.role != Manifest::Role::Configuration)
            continue;
        readConfigurationBytes(project, record.inputTexts.at(input.hash));
        break;
    }
    project.setDefaultDllFlags();
    if (ProjectFile(std::string(RECORD_ANSWERS)).apply(record.answers, project))
        return std::nullopt;
    project.locationBase = location;
    project.locationText = location;
    std::map<std::string, std::string> texts;
    TextCollector collector(texts);
    SilentSink sink;
    Generator generator(project, sink, collector);
    generator.script().setInputReader([&record](const std::string& path) {
        std::optional<std::string> bytes;
        if (const Manifest::Input* input = record.manifest.findInput(path))
            bytes = record.inputTexts.at(input->hash);
        return bytes;
    });
    // A run that stops on an error still gives the texts it wrote before.
    commitAndGenerate(project, -1, generator);
    return texts;
}

RecordSession::RecordSession(const ProjectState& project, ProjectOutput& inner)
    : m_project(project)
    , m_location(nativePath(project.locationBase))
    , m_projectFolder(nativePath(joinPath(project.locationBase, project.nameText)))
    , m_output(inner) {}

RecordSession::~RecordSession() {
    takeAnswersAhead();
    discardBegun();
}

void RecordSession::prepareAnswersAhead() {
    m_answersDllFlags = m_project.dllFlags;
    // A project without a record gets its first one after a run that goes well: the answers go
    // into the new record's folder as soon as the project folder stands, while the run goes on.
    struct stat info {};
    const bool first = ::lstat(recordFolder().c_str(), &info) != 0 && errno == ENOENT;
    const std::optional<std::string> projectKey =
        RecordingOutput::keyOf(m_location, m_projectFolder);
    if (first && projectKey)
        m_output.setFolderListener([this, key = *projectKey](const std::string& folder) {
            if (m_folderSeen || (folder != key && !folder.starts_with(key + "/")))
                return;
            m_folderSeen = true;
            const std::lock_guard lock(m_aheadMutex);
            m_folderStands = true;
            m_aheadChanged.notify_all();
        });
    m_answersAhead = std::async(std::launch::async, [this, first = first && projectKey] {
        if (first) {
            std::unique_lock lock(m_aheadMutex);
            m_aheadChanged.wait(lock, [this] { return m_folderStands || m_runOver; });
            const bool folderStands = !m_runOver;
            lock.unlock();
            // Written as they are made, never held whole. Should this fail, the record is
            // written whole after the run, which says why.
            std::string why;
            const auto answers = [this](const TextSink& put) {
                return writeProjectFile(m_project, WithLocation::No, put);
            };
            if (folderStands && folderInside())
                if (std::optional<std::string> fresh = beginRecord(m_projectFolder, answers, why))
                    return AnswersAhead{{}, std::move(*fresh)};
        }
        return AnswersAhead{projectFileText(m_project, WithLocation::No), {}};
    });
}

void RecordSession::takeAnswersAhead() {
    if (!m_answersAhead.valid())
        return;
    {
        const std::lock_guard lock(m_aheadMutex);
        m_runOver = true;
        m_aheadChanged.notify_all();
    }
    AnswersAhead ahead = m_answersAhead.get();
    m_begun = std::move(ahead.begun);
    if (m_begun.empty())
        m_answers = std::move(ahead.text);
}

void RecordSession::discardBegun() {
    if (!m_begun.empty())
        discardRecord(std::exchange(m_begun, std::string()));
}

const std::string& RecordSession::answersText() {
    takeAnswersAhead();
    // Made once: a run changes none of the answers but the DLL flags a dialog commits.
    if (!m_answers || m_answersDllFlags != m_project.dllFlags) {
        m_answers = projectFileText(m_project, WithLocation::No);
        m_answersDllFlags = m_project.dllFlags;
    }
    return *m_answers;
}

std::string RecordSession::recordFolder() const {
    return m_projectFolder + "/" + std::string(RECORD_FOLDER);
}

bool RecordSession::folderInside() const {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path location = fs::canonical(m_location.empty() ? "." : m_location, error);
    if (error)
        return false;
    const fs::path folder = fs::canonical(m_projectFolder, error);
    if (error || !fs::is_directory(folder, error))
        return false;
    const fs::path relative = folder.lexically_relative(location);
    return !relative.empty() && *relative.begin() != "..";
}

RecordState RecordSession::readPrevious() {
    // A project folder outside the location, through a link or a "..", is never looked into.
    if (!folderInside())
        return RecordState::Absent;
    Record record;
    const RecordState state = vantrel::readRecord(m_projectFolder, record, m_why);
    if (state != RecordState::Read)
        return state;
    // Answers the same as this run's were written from answers that read, and read again; only
    // others are read to see whether they do.
    const bool sameAnswers = record.answers == answersText();
    m_sameAnswersFor = sameAnswers ? std::optional(m_project.dllFlags) : std::nullopt;
    if (!sameAnswers) {
        ProjectState answers;
        if (const std::optional<ProjectFileError> error =
                ProjectFile(std::string(RECORD_ANSWERS)).apply(record.answers, answers)) {
            m_why = error->message;
            return RecordState::Damaged;
        }
    }
    m_previous = std::move(record);
    m_output.setPrevious(&m_previous->manifest,
                         [this](const std::string& key) { return baseText(key); });
    m_output.setSameInputs([this] { return sameInputs(); });
    return state;
}

bool RecordSession::sameInputs() const {
    // The answers as recorded (a dialog commits its DLL flags as the run starts), and every
    // file read so far, the script first, the one the recorded run read in its turn.
    if (!m_previous || !m_scriptRead || m_sameAnswersFor != m_project.dllFlags)
        return false;
    const std::vector<Manifest::Input>& recorded = m_previous->manifest.inputs;
    return m_inputs.size() <= recorded.size() &&
           std::equal(m_inputs.begin(), m_inputs.end(), recorded.begin());
}

const std::string* RecordSession::baseText(const std::string& key) {
    if (!m_base) {
        m_base = repeatRecordedRun(*m_previous, m_location);
        if (!m_base)
            m_base.emplace();
    }
    const auto found = m_base->find(key);
    return found == m_base->end() ? nullptr : &found->second;
}

void RecordSession::noteInput(Manifest::Role role, const std::string& path, std::string bytes) {
    for (const Manifest::Input& input : m_inputs)
        if (input.path == path)
            return;
    const ContentHash hash = contentHash(bytes);
    m_inputs.push_back({role, path, hash});
    m_inputTexts.try_emplace(hash, std::move(bytes));
}

TemplateReader::InputReader RecordSession::inputReader() {
    return [this](const std::string& path) {
        std::optional<std::string> bytes = readFileBytes(path);
        if (bytes) {
            // The script is the first file a run reads; the templates follow.
            noteInput(m_scriptRead ? Manifest::Role::Template : Manifest::Role::Script, path,
                      *bytes);
            m_scriptRead = true;
        }
        return bytes;
    };
}

void RecordSession::noteConfiguration(const std::string& nativePath) {
    if (std::optional<std::string> bytes = readFileBytes(nativePath))
        noteConfiguration(nativePath, std::move(*bytes));
}

void RecordSession::noteConfiguration(const std::string& nativePath, std::string bytes) {
    noteInput(Manifest::Role::Configuration, nativePath, std::move(bytes));
}

void RecordSession::removeLeftovers() {
    const std::optional<std::string> project = RecordingOutput::keyOf(m_location, m_projectFolder);
    // A project folder this run made holds nothing an earlier run left, nor does any below it.
    const bool projectMade = project && m_output.made(*project);
    const std::string madeProject =
        projectMade && !project->empty() ? *project + "/" : std::string();
    // Keys into the manifest, which stays as it is here; a folder's files follow one another,
    // so a parent is looked up once for all of them.
    std::set<std::string_view> folders;
    std::optional<std::string_view> lastParent;
    for (const Manifest::Entry& entry : m_output.manifest().entries) {
        const std::string_view path = entry.path;
        if (!madeProject.empty() && path.starts_with(madeProject))
            continue;
        const std::size_t slash = path.rfind('/');
        if (entry.kind == Manifest::Kind::Folder)
            folders.insert(path);
        const std::string_view parent =
            slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
        if (parent != lastParent)
            folders.insert(parent);
        lastParent = parent;
    }
    for (const std::string_view key : folders) {
        if (m_output.made(key))
            continue; // new: nothing an earlier run left can be in it
        std::string folder = m_location.empty() ? std::string(".") : m_location;
        if (!key.empty())
            folder.append("/").append(key);
        removeStaleReplacements(folder);
    }
    if (!projectMade && folderInside()) {
        takeAnswersAhead(); // the record begun by this run stays
        removePartialRecords(m_projectFolder, m_begun);
    }
}

bool RecordSession::writeRecord(const ProjectState& project) {
    takeAnswersAhead();
    // The record lives in the project folder; a script that makes none keeps no record, and
    // one that leads out of the location gets none written there.
    if (!folderInside()) {
        discardBegun();
        return true;
    }
    // A record begun while the run went on holds the run's answers, unless they changed since.
    if (m_previous || &project != &m_project || m_answersDllFlags != project.dllFlags)
        discardBegun();
    Record record;
    // The session's answers, inputs and manifest move into the record: nothing is asked of
    // them after it.
    if (m_begun.empty() && &project == &m_project) {
        answersText();
        record.answers = std::move(*m_answers);
        m_answers.reset();
    } else if (m_begun.empty()) {
        record.answers = projectFileText(project, WithLocation::No);
    }
    record.manifest = m_output.takeManifest();
    for (Manifest::Input& input : m_inputs)
        record.manifest.addInput(std::move(input));
    m_inputs.clear();
    record.inputTexts = std::move(m_inputTexts);
    // A record that says what the disk's one says already stays as it is; one that differs is
    // written even after a run that wrote nothing, as after a run that was interrupted.
    if (m_previous && m_previous->manifest.sameAs(record.manifest) &&
        m_previous->answers == record.answers)
        return true;
    // Taken once the run's last file is written: a file changed since shows a later time.
    record.manifest.writtenAt = fileClockNow();
    if (!m_begun.empty())
        return completeRecord(m_projectFolder, std::exchange(m_begun, std::string()), record,
                              m_why);
    return vantrel::writeRecord(m_projectFolder, record, m_why);
}

} // namespace vantrel
