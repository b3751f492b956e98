#include "record/RecordSession.h"

#include "config/Configuration.h"
#include "engine/CreateProject.h"
#include "engine/Engine.h"
#include "fileutil/DiskOutput.h"
#include "fileutil/FileReplace.h"
#include "fileutil/FileSystem.h"
#include "fileutil/TextFile.h"
#include "project/ProjectFile.h"
#include "project/ProjectWriter.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>
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
    if (!record.answersRead)
        return std::nullopt;
    ProjectState project;
    for (const Manifest::Input& input : record.manifest.inputs) {
        if (input.role != Manifest::Role::Configuration)
            continue;
        if (const auto text = record.inputTexts.find(input.hash); text != record.inputTexts.end())
            readConfigurationBytes(project, text->second);
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
    Engine generator(project, sink, collector);
    generator.script().setInputReader([&record](const std::string& path) {
        std::optional<std::string> bytes;
        if (const Manifest::Input* input = record.manifest.findInput(path))
            if (const auto text = record.inputTexts.find(input->hash);
                text != record.inputTexts.end())
                bytes = text->second;
        return bytes;
    });
    // A run that stops on an error still gives the texts it wrote before.
    commitAndRunScript(project, -1, generator);
    // Below the recorded project's own folder, as the record names its files.
    const std::optional<std::string> root = RecordingOutput::keyOf(
        nativePath(location), nativePath(joinPath(location, project.nameText)));
    std::map<std::string, std::string> below;
    if (!root || root->empty())
        return below;
    const std::string prefix = *root + "/";
    for (auto& [key, text] : texts)
        if (key.starts_with(prefix))
            below.emplace(key.substr(prefix.size()), std::move(text));
    return below;
}

RecordSession::RecordSession(const ProjectState& project, ProjectOutput& inner, DiskView* disk)
    : m_project(project)
    , m_location(nativePath(project.locationBase))
    , m_projectFolder(nativePath(joinPath(project.locationBase, project.nameText)))
    , m_output(inner, disk) {
    // A project without a folder of its own below the location keeps no record: it would lie
    // in the location itself.
    std::optional<std::string> root = RecordingOutput::keyOf(m_location, m_projectFolder);
    if (root && !root->empty() && !project.nameText.empty())
        m_root = std::move(root);
    m_output.setRecordRoot(m_root);
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
    if (!m_root || !folderInside())
        return m_state = RecordState::Absent;
    Record record;
    m_state = vantrel::readRecord(m_projectFolder, record, m_why);
    if (m_state != RecordState::Read && m_state != RecordState::Damaged)
        return m_state;
    if (record.manifestVersion > 0 && record.manifestVersion < 3) {
        // Older records name paths below the location.
        const std::string prefix = *m_root + "/";
        std::vector<Manifest::Entry> below;
        for (Manifest::Entry& entry : record.manifest.entries)
            if (entry.path.starts_with(prefix)) {
                entry.path.erase(0, prefix.size());
                below.push_back(std::move(entry));
            }
        record.manifest.entries = std::move(below);
        record.manifest.sortForLookup();
    }
    m_previous = std::move(record);
    answersUpdated();
    if (m_previous->answersRead && !m_sameAnswersFor) {
        ProjectState answers;
        if (const std::optional<ProjectFileError> error =
                ProjectFile(std::string(RECORD_ANSWERS)).apply(m_previous->answers, answers)) {
            m_previous->answersRead = false;
            if (m_why.empty())
                m_why = error->message;
            m_state = RecordState::Damaged;
        } else {
            m_recordedAnswers = std::move(answers);
        }
    }
    m_output.setPrevious(&m_previous->manifest, [this](const std::string& path, ContentHash hash) {
        return baseText(path, hash);
    });
    if (m_state == RecordState::Read)
        m_output.setSameInputs([this] { return sameInputs(); });
    return m_state;
}

void RecordSession::answersUpdated() {
    // A run changes none of the answers but the DLL flags a dialog commits as it starts.
    const bool sameAnswers = m_previous && m_previous->answersRead &&
                             m_previous->answers == projectFileText(m_project, WithLocation::No,
                                                                    ActionLayout::OnePerLine);
    m_sameAnswersFor = sameAnswers ? std::optional(m_project.dllFlags) : std::nullopt;
    // A record written before actions had ids differs by them alone until the next run writes
    // it: no answer changed for that.
    m_differInIdsOnly = false;
    if (!sameAnswers && m_previous && m_previous->answersRead &&
        m_previous->answers.find("\"id\":") == std::string::npos) {
        ProjectState withoutIds = m_project;
        for (ActionDefinition& action : withoutIds.actions)
            action.id = 0;
        m_differInIdsOnly = m_previous->answers ==
                            projectFileText(withoutIds, WithLocation::No, ActionLayout::OnePerLine);
    }
}

namespace {

std::string replacedAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    for (std::size_t at = 0;;) {
        const std::size_t found = text.find(from, at);
        out.append(text.substr(at, found - at));
        if (found == std::string_view::npos)
            return out;
        out.append(to);
        at = found + from.size();
    }
}

} // namespace

bool RecordSession::findMoves(const std::vector<DeclaredMove>& declared) {
    m_output.setMoves({});
    if (!m_previous)
        return false;
    std::vector<std::pair<std::string, std::string>> renames;
    const bool unknown = m_recordedAnswers && findRenames(renames);
    if (declared.empty() && renames.empty())
        return unknown;
    std::map<std::string, std::string> moves;
    std::set<std::string> ambiguous;
    for (const Manifest::Entry& entry : m_previous->manifest.entries) {
        // A file of the user's stays where it is, whatever its action is called now.
        if (entry.kind != Manifest::Kind::File || entry.state == Manifest::State::Gone ||
            entry.yours)
            continue;
        // The template set's moves, oldest first, then the action's new name.
        std::string path = entry.path;
        for (const DeclaredMove& move : declared)
            path = movedPath(path, move);
        const auto add = [&](std::string moved) {
            if (moved == entry.path)
                return;
            const auto [at, added] = moves.try_emplace(moved, entry.path);
            if (!added && at->second != entry.path)
                ambiguous.insert(moved);
        };
        add(path);
        for (const auto& [before, after] : renames)
            add(replacedAll(path, before, after));
    }
    for (const std::string& path : ambiguous)
        moves.erase(path);
    m_output.setMoves(std::move(moves), std::move(renames));
    return unknown;
}

const TemplateSetVersion* RecordSession::recordedTemplates() const {
    return m_previous ? &m_previous->manifest.templates : nullptr;
}

bool RecordSession::findRenames(std::vector<std::pair<std::string, std::string>>& renames) const {
    std::map<std::uint32_t, const std::string*> recordedNames;
    std::set<std::string> namesBefore;
    for (const ActionDefinition& action : m_recordedAnswers->actions) {
        namesBefore.insert(lowerAscii(action.name));
        if (action.id != 0)
            recordedNames.emplace(action.id, &action.name);
    }
    std::set<std::string> namesNow;
    for (const ActionDefinition& action : m_project.actions)
        namesNow.insert(lowerAscii(action.name));
    bool gone = false;
    for (const ActionDefinition& action : m_recordedAnswers->actions)
        gone = gone || (action.id == 0 && !namesNow.contains(lowerAscii(action.name)));
    bool added = false;
    for (const ActionDefinition& action : m_project.actions)
        added = added || !namesBefore.contains(lowerAscii(action.name));
    const bool unknown = gone && added;
    // A name still in use or one another action had keeps its files where they are: those
    // paths are targets of their own (two actions swapping names, a name taken over).
    for (const ActionDefinition& action : m_project.actions) {
        const auto found = recordedNames.find(action.id);
        if (action.id == 0 || found == recordedNames.end() || *found->second == action.name ||
            namesNow.contains(lowerAscii(*found->second)) ||
            namesBefore.contains(lowerAscii(action.name)) || found->second->empty() ||
            action.name.empty())
            continue;
        // As the templates may spell the name: as it is, in lower and in upper case.
        renames.emplace_back(*found->second, action.name);
        renames.emplace_back(lowerAscii(*found->second), lowerAscii(action.name));
        renames.emplace_back(upperAscii(*found->second), upperAscii(action.name));
    }
    return unknown;
}

std::optional<ProjectState> readRecordedAnswers(const std::string& projectFolder) {
    Record record;
    std::string why;
    const RecordState state = readRecord(projectFolder, record, why);
    ProjectState answers;
    if ((state != RecordState::Read && state != RecordState::Damaged) || !record.answersRead ||
        ProjectFile(std::string(RECORD_ANSWERS)).apply(record.answers, answers))
        return std::nullopt;
    return answers;
}

bool RecordSession::sameInputs() const {
    // The answers as recorded (a dialog commits its DLL flags as the run starts), and every
    // file read so far as the recorded run read it.
    if (!m_previous || !m_scriptRead || m_sameAnswersFor != m_project.dllFlags)
        return false;
    return std::all_of(m_inputs.begin(), m_inputs.end(), [this](const Manifest::Input& input) {
        const Manifest::Input* recorded = m_previous->manifest.findInput(input.path);
        return recorded && *recorded == input;
    });
}

const std::string* RecordSession::baseText(const std::string& path, ContentHash hash) {
    if (!m_previous)
        return nullptr;
    // A stored text, checked against its hash as the record was read, spares running the
    // recorded run again (the base of an edited file of the user's is asked on every run).
    if (const auto stored = m_previous->baseTexts.find(hash); stored != m_previous->baseTexts.end())
        return &stored->second;
    if (!m_repeated) {
        m_repeated = repeatRecordedRun(*m_previous, m_location);
        if (!m_repeated)
            m_repeated.emplace();
    }
    // Whatever version control or damage made of the record, only a text this program is
    // known to have written there serves as a base.
    if (const auto found = m_repeated->find(path);
        found != m_repeated->end() && contentHash(found->second) == hash)
        return &found->second;
    return nullptr;
}

std::vector<InputChange> RecordSession::changedInputs() const {
    std::vector<InputChange> changed;
    if (!m_previous)
        return changed;
    for (const Manifest::Input& input : m_inputs) {
        const Manifest::Input* recorded = m_previous->manifest.findInput(input.path);
        if (!recorded || recorded->hash != input.hash)
            changed.push_back({input.role, input.path, true});
    }
    for (const Manifest::Input& recorded : m_previous->manifest.inputs)
        if (std::none_of(m_inputs.begin(), m_inputs.end(),
                         [&](const Manifest::Input& input) { return input.path == recorded.path; }))
            changed.push_back({recorded.role, recorded.path, false});
    return changed;
}

bool RecordSession::answersChanged() const {
    return m_previous && m_previous->answersRead && m_sameAnswersFor != m_project.dllFlags &&
           !m_differInIdsOnly;
}

const std::string* RecordSession::recordedText(std::string_view key) {
    const std::optional<std::string> path = m_output.recordPath(key);
    if (!m_previous || !path)
        return nullptr;
    // What was last written in place: a generated entry, else a conflict's or a gone one's.
    const std::span<const Manifest::Entry> entries = m_previous->manifest.at(*path);
    for (const Manifest::State state :
         {Manifest::State::Generated, Manifest::State::Conflict, Manifest::State::Gone})
        for (const Manifest::Entry& entry : entries)
            if (entry.state == state && entry.kind == Manifest::Kind::File)
                return baseText(*path, entry.hash);
    return nullptr;
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

void RecordSession::noteConfiguration(const std::string& nativePath, std::string bytes) {
    noteInput(Manifest::Role::Configuration, nativePath, std::move(bytes));
}

void RecordSession::noteTemporaries(DiskOutput& disk) {
    if (mayRecord())
        disk.noteTemporaries(
            journalOfTemporaries(recordFolder() + "/" + std::string(RECORD_TEMPORARIES)));
}

void RecordSession::removeLeftovers() {
    if (!mayRecord() || !folderInside())
        return;
    removeNotedTemporaries(recordFolder() + "/" + std::string(RECORD_TEMPORARIES));
    removePartialRecords(m_projectFolder);
}

bool RecordSession::writeRecord() {
    // The record lives in the project folder; a script that makes none keeps no record, and
    // one that leads out of the location gets none written there.
    if (!mayRecord() || !folderInside())
        return true;
    Record record;
    m_output.finishManifest();
    record.manifest = m_output.takeManifest();
    for (Manifest::Input& input : m_inputs)
        record.manifest.addInput(std::move(input));
    m_inputs.clear();
    record.manifest.templates = {m_project.templateset, m_project.templateversion};
    record.manifest.finish();
    record.inputTexts = std::move(m_inputTexts);
    record.baseTexts = m_output.baseTexts();
    // A record that says what the disk's one says already stays as it is.
    if (m_previous && m_state == RecordState::Read && m_previous->manifestVersion == 3 &&
        m_previous->manifest.sameAs(record.manifest) && m_previous->baseTexts == record.baseTexts &&
        m_sameAnswersFor == m_project.dllFlags)
        return true;
    // Taken once the run's last file is written: a file changed since shows a later time.
    record.manifest.writtenAt = fileClockNow();
    // One action to a line: two branches that each add one join line by line.
    const auto answers = [this](const TextSink& sink) {
        return writeProjectFile(m_project, WithLocation::No, ActionLayout::OnePerLine, sink);
    };
    return vantrel::writeRecord(m_projectFolder, record, answers, m_why);
}

} // namespace vantrel
