#include "RandomSession.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace vantrel::session {

// A template line that no other line equals: "// t<N>" and what follows.
std::string Session::line(const std::string& rest) {
    return "// t" + std::to_string(m_nextLine++) + rest;
}

std::string Session::freshLine(const std::vector<std::string>* section) {
    const bool perAction = section == &m_templates.loop || section == &m_templates.action;
    static const std::vector<std::string> RESTS = {"", " x", " %PROJECTNAME%"};
    static const std::vector<std::string> ACTION_RESTS = {"", " y", " %ACTIONNAME%"};
    return line(m_random.pick(perAction ? ACTION_RESTS : RESTS));
}

// Files of the project the user may touch: everything but the record and the new texts.
std::vector<std::string> Session::userFiles(bool besideToo) const {
    std::vector<std::string> files;
    for (const auto& [path, state] : filesBelow(project(), false))
        if (!inRecord(path) && (besideToo || !path.ends_with(BESIDE)))
            files.push_back(path);
    return files;
}

std::string Session::insertTyped(const std::string& path) {
    const fs::path file = project() / path;
    std::vector<std::string> lines = linesOf(readFile(file));
    const std::size_t position = m_random.chance(20) ? 0 : m_random.below(lines.size() + 1);
    const std::string typed = userLine();
    lines.insert(lines.begin() + std::ptrdiff_t(position), typed);
    writeFile(file, joinLines(lines));
    m_typed[path].push_back(typed);
    return typed + " into " + path + " at line " + std::to_string(position + 1);
}

// A generated line typed over with one of the same length: the file keeps its size, so
// only its bytes tell the edit, however soon after the run it comes.
std::optional<std::string> Session::overwriteTyped(const std::string& path) {
    const fs::path file = project() / path;
    std::vector<std::string> lines = linesOf(readFile(file));
    const std::string tag = "// USER-" + std::to_string(m_nextUser);
    std::vector<std::size_t> longEnough;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].size() >= tag.size() && !lines[i].starts_with("// USER-"))
            longEnough.push_back(i);
    if (longEnough.empty())
        return std::nullopt;
    const std::size_t at = m_random.pick(longEnough);
    const std::string typed = userLine() + std::string(lines[at].size() - tag.size(), '.');
    lines[at] = typed;
    writeFile(file, joinLines(lines));
    m_typed[path].push_back(typed);
    return typed + " over line " + std::to_string(at + 1) + " of " + path;
}

std::vector<std::string> Session::freeNames() const {
    std::vector<std::string> free;
    for (const std::string& name : ACTION_POOL)
        if (std::find(m_answers.actions.begin(), m_answers.actions.end(), name) ==
            m_answers.actions.end())
            free.push_back(name);
    return free;
}

std::string Session::operate() {
    struct Kind {
        int weight;
        std::optional<std::string> (Session::*apply)();
    };
    static const std::vector<Kind> KINDS = {
        {7, &Session::editFile},        {6, &Session::changeTemplate}, {3, &Session::addAction},
        {2, &Session::removeAction},    {3, &Session::renameAction},   {2, &Session::switchHost},
        {2, &Session::ownFileThenAdd},  {1, &Session::renameProject},  {2, &Session::takeSnapshot},
        {2, &Session::restoreSnapshot}, {2, &Session::damageRecord},   {1, &Session::withoutRecord},
        {4, &Session::resolveConflict}, {1, &Session::deleteFile},     {2, &Session::detachFile},
        {2, &Session::attachFile},
    };
    int total = 0;
    for (const Kind& kind : KINDS)
        total += kind.weight;
    int roll = int(m_random.below(std::size_t(total)));
    for (const Kind& kind : KINDS) {
        roll -= kind.weight;
        if (roll < 0) {
            if (std::optional<std::string> done = (this->*kind.apply)())
                return *done;
            break;
        }
    }
    // Not possible now (no conflict to resolve, no snapshot): an edit instead.
    if (std::optional<std::string> done = editFile())
        return *done;
    return "nothing";
}

std::optional<std::string> Session::editFile() {
    const std::vector<std::string> files = userFiles();
    if (files.empty())
        return std::nullopt;
    const std::string& path = m_random.pick(files);
    if (m_random.chance(20))
        if (std::optional<std::string> done = overwriteTyped(path))
            return "edit: " + *done;
    return "edit: " + insertTyped(path);
}

// The template line next to a line the user typed, when the line there came from one.
std::optional<std::pair<std::vector<std::string>*, std::size_t>> Session::lineNextToTyped() {
    std::vector<std::pair<std::string, std::string>> candidates;
    for (const auto& [path, lines] : m_typed)
        for (const std::string& typed : lines)
            candidates.emplace_back(path, typed);
    if (candidates.empty())
        return std::nullopt;
    const auto& [path, typed] = m_random.pick(candidates);
    const std::vector<std::string> lines = linesOf(readFile(project() / path));
    const auto at = std::find(lines.begin(), lines.end(), typed);
    if (at == lines.end())
        return std::nullopt;
    std::vector<std::string> neighbours;
    if (at != lines.begin())
        neighbours.push_back(*(at - 1));
    if (at + 1 != lines.end())
        neighbours.push_back(*(at + 1));
    for (const std::string& neighbour : neighbours) {
        if (!neighbour.starts_with("// t"))
            continue;
        const std::string tag = neighbour.substr(0, neighbour.find_first_not_of("0123456789", 4));
        for (std::vector<std::string>* section :
             {&m_templates.head, &m_templates.loop, &m_templates.tail, &m_templates.action,
              &m_templates.once})
            for (std::size_t i = 0; i < section->size(); ++i) {
                const std::string& candidate = (*section)[i];
                if (candidate.starts_with(tag) &&
                    (candidate.size() == tag.size() || candidate[tag.size()] == ' '))
                    return std::pair{section, i};
            }
    }
    return std::nullopt;
}

std::optional<std::string> Session::changeTemplate() {
    if (m_random.chance(8)) {
        m_templates.kit = "// pi kit " + std::to_string(m_nextLine++) + "\n";
        return std::string("kit: a new kit header");
    }
    std::vector<std::string>* section = nullptr;
    std::size_t at = 0;
    std::string where;
    if (m_random.chance(40))
        if (const auto near = lineNextToTyped()) {
            std::tie(section, at) = *near;
            where = " next to a typed line";
        }
    if (!section) {
        std::vector<std::vector<std::string>*> sections = {&m_templates.head,   &m_templates.loop,
                                                           &m_templates.tail,   &m_templates.action,
                                                           &m_templates.action, &m_templates.once};
        section = m_random.pick(sections);
        at = m_random.below(section->size());
    }
    const std::string name = section == &m_templates.head   ? "main section's head"
                             : section == &m_templates.loop ? "main section's loop"
                             : section == &m_templates.tail ? "main section's tail"
                             : section == &m_templates.once ? "write-once section"
                                                            : "action section";
    const std::string old = (*section)[at];
    switch (m_random.below(3)) {
    case 0:
        (*section)[at] = freshLine(section);
        return "template: " + old + " becomes " + (*section)[at] + " in the " + name + where;
    case 1:
        if (section->size() > 1) {
            section->erase(section->begin() + std::ptrdiff_t(at));
            return "template: remove " + old + " from the " + name + where;
        }
        [[fallthrough]];
    default: {
        const std::size_t to = at + m_random.below(2);
        section->insert(section->begin() + std::ptrdiff_t(to), freshLine(section));
        return "template: add " + (*section)[to] + " to the " + name + where;
    }
    }
}

std::optional<std::string> Session::addAction() {
    const std::vector<std::string> free = freeNames();
    if (free.empty())
        return std::nullopt;
    const std::string name = m_random.pick(free);
    m_answers.actions.insert(m_answers.actions.begin() +
                                 std::ptrdiff_t(m_random.below(m_answers.actions.size() + 1)),
                             name);
    m_answers.ids[name] = ++m_lastId;
    return "add action: " + name;
}

std::optional<std::string> Session::removeAction() {
    if (m_answers.actions.size() < 2)
        return std::nullopt;
    const std::size_t at = m_random.below(m_answers.actions.size());
    const std::string name = m_answers.actions[at];
    m_answers.actions.erase(m_answers.actions.begin() + std::ptrdiff_t(at));
    m_answers.ids.erase(name);
    return "remove action: " + name;
}

std::optional<std::string> Session::renameAction() {
    auto& actions = m_answers.actions;
    if (m_lastRename && m_random.chance(50)) {
        const auto [from, to] = *m_lastRename;
        const auto at = std::find(actions.begin(), actions.end(), to);
        if (at != actions.end() &&
            std::find(actions.begin(), actions.end(), from) == actions.end()) {
            *at = from;
            m_answers.ids[from] = m_answers.ids[to];
            m_answers.ids.erase(to);
            m_lastRename.reset();
            return "rename action: " + to + " back to " + from;
        }
    }
    const std::vector<std::string> free = freeNames();
    if (free.empty())
        return std::nullopt;
    std::string& action = actions[m_random.below(actions.size())];
    const std::string from = action;
    action = m_random.pick(free);
    m_answers.ids[action] = m_answers.ids[from];
    m_answers.ids.erase(from);
    m_lastRename = std::pair{from, action};
    return "rename action: " + from + " to " + action;
}

std::optional<std::string> Session::switchHost() {
    m_answers.host = m_answers.host == "KEL" ? "DOV" : "KEL";
    return "switch host: " + m_answers.host;
}

// The user's own file stands where an action about to be added generates one.
std::optional<std::string> Session::ownFileThenAdd() {
    const std::vector<std::string> free = freeNames();
    if (free.empty())
        return std::nullopt;
    const std::string name = m_random.pick(free);
    const std::string path = name + ".cpp";
    const std::string first = userLine();
    const std::string second = userLine();
    writeWithFolders(project() / path, "// " + name + ", written by hand\n" + first + "\nint " +
                                           name + "();\n" + second + "\n");
    m_typed[path] = {first, second};
    m_answers.actions.push_back(name);
    m_answers.ids[name] = ++m_lastId;
    return "own file, then add its action: " + path + " (" + first + ", " + second + ")";
}

// The folder renamed on the disk and in the answers together.
std::optional<std::string> Session::renameProject() {
    const std::string to = m_answers.name == "Demo" ? "Demo2" : "Demo";
    if (fs::exists(m_work.location() / to) || !fs::exists(project()))
        return std::nullopt;
    const std::string from = m_answers.name;
    fs::rename(project(), m_work.location() / to);
    m_answers.name = to;
    return "rename project and folder: " + from + " to " + to;
}

std::optional<std::string> Session::takeSnapshot() {
    m_snapshot = Snapshot{filesBelow(project()), m_typed};
    return std::string("snapshot: the project folder");
}

// An older checkout: the record committed (restored with the rest) or ignored (left as the
// last run made it).
std::optional<std::string> Session::restoreSnapshot() {
    if (!m_snapshot)
        return std::nullopt;
    const bool withRecord = m_random.chance(50);
    const fs::path folder = project();
    fs::create_directories(folder);
    m_detached.clear();
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        if (withRecord || entry.path().filename() != ".vantrel")
            fs::remove_all(entry.path());
    for (const auto& [path, state] : m_snapshot->files)
        if (withRecord || !inRecord(path))
            writeWithFolders(folder / path, state.bytes);
    m_typed = m_snapshot->typed;
    return std::string(withRecord ? "restore snapshot with its record"
                                  : "restore snapshot, the record as it is") +
           ": the project folder";
}

std::optional<std::string> Session::damageRecord() {
    const fs::path record = project() / ".vantrel";
    if (!fs::is_directory(record))
        return std::nullopt;
    m_detached.clear();
    switch (m_random.below(4)) {
    case 0: {
        const std::string manifest = readFile(record / "manifest.txt");
        const std::size_t size = m_random.below(std::max<std::size_t>(manifest.size(), 1));
        writeFile(record / "manifest.txt", manifest.substr(0, size));
        return "damage record: manifest.txt cut to " + std::to_string(size) + " bytes";
    }
    case 1: {
        std::vector<fs::path> inputs;
        if (fs::is_directory(record / "inputs"))
            for (const fs::directory_entry& entry : fs::directory_iterator(record / "inputs"))
                inputs.push_back(entry.path());
        if (inputs.empty())
            break;
        const fs::path gone = m_random.pick(inputs);
        fs::remove(gone);
        return "damage record: inputs/" + gone.filename().string() + " deleted";
    }
    case 2: {
        std::string answers = readFile(record / "project.json");
        static const std::vector<std::string> DAMAGES = {"half", "brace", "host"};
        const std::string damage = m_random.pick(DAMAGES);
        if (damage == "half")
            answers.resize(answers.size() / 2);
        else if (damage == "brace")
            answers = "{" + answers;
        else
            answers = "{\"host\": 7, \"name\": []}\n";
        writeFile(record / "project.json", answers);
        return "damage record: project.json corrupt (" + damage + ")";
    }
    default:
        break;
    }
    fs::remove_all(record);
    return std::string("damage record: .vantrel/ deleted");
}

std::optional<std::string> Session::withoutRecord() {
    m_noRecord = true;
    return std::string("no record: run with --no-record");
}

// FILE kept with FILE.vantrel-new beside it: the user merges by hand (the new text with
// their lines, the new file deleted) or edits the new file and leaves it.
// A file holding conflict markers is resolved in place.
std::optional<std::string> Session::resolveConflict() {
    std::vector<std::string> besides;
    for (const std::string& path : userFiles(true))
        if (path.ends_with(BESIDE) || holdsMarkers(readFile(project() / path)))
            besides.push_back(path);
    if (besides.empty())
        return std::nullopt;
    const std::string beside = m_random.pick(besides);
    if (!beside.ends_with(BESIDE))
        return resolveMarkers(beside);
    const std::string file = beside.substr(0, beside.size() - BESIDE.size());
    if (m_random.chance(25))
        return "edit the new text: " + insertTyped(beside);
    std::vector<std::string> lines = linesOf(readFile(project() / beside));
    std::vector<std::string>& typed = m_typed[file];
    for (const std::string& moved : m_typed[beside])
        typed.push_back(moved);
    m_typed.erase(beside);
    for (const std::string& mine : typed)
        if (std::find(lines.begin(), lines.end(), mine) == lines.end())
            lines.insert(lines.begin() + std::ptrdiff_t(m_random.below(lines.size() + 1)), mine);
    writeWithFolders(project() / file, joinLines(lines));
    fs::remove(project() / beside);
    if (typed.empty())
        m_typed.erase(file);
    return "resolve by hand: " + file + ", " + beside + " deleted";
}

// Both sides kept, the base's lines and the markers dropped; or, at times, an edit with the
// markers still in.
std::optional<std::string> Session::resolveMarkers(const std::string& file) {
    if (m_random.chance(25))
        return "edit with the markers still in: " + insertTyped(file);
    std::vector<std::string> lines;
    bool inBase = false;
    for (const std::string& line : linesOf(readFile(project() / file))) {
        if (line == "||||||| base")
            inBase = true;
        else if (line == "=======")
            inBase = false;
        else if (!inBase && line != "<<<<<<< yours" && line != ">>>>>>> new")
            lines.push_back(line);
    }
    for (const std::string& mine : m_typed[file])
        if (std::find(lines.begin(), lines.end(), mine) == lines.end())
            lines.push_back(mine);
    if (m_typed[file].empty())
        m_typed.erase(file);
    writeFile(project() / file, joinLines(lines));
    return "resolve the markers by hand: " + file;
}

std::optional<std::string> Session::deleteFile() {
    const std::vector<std::string> files = userFiles();
    if (files.empty())
        return std::nullopt;
    const std::string path = m_random.pick(files);
    fs::remove(project() / path);
    m_typed.erase(path);
    return "delete file: " + path;
}

// A file made the user's: a file the record does not list is refused (2), a record that
// cannot be read whole too (1).
std::optional<std::string> Session::detachFile() {
    const std::vector<std::string> files = userFiles();
    if (files.empty())
        return std::nullopt;
    const std::string path = m_random.pick(files);
    const GenResult result = runGen({"--detach", (project() / path).string()});
    if (result.status == 0)
        m_detached.insert(path);
    else if (result.status != 2 &&
             !(result.status == 1 && result.err.find("cannot be read whole") != std::string::npos))
        m_stepFailure =
            Failure{"detach failed", "--detach " + path + " exited with status " +
                                         std::to_string(result.status) + "\n" + result.err};
    return "detach: " + path + " (status " + std::to_string(result.status) + ")";
}

std::optional<std::string> Session::attachFile() {
    if (m_detached.empty())
        return std::nullopt;
    const std::string path =
        *std::next(m_detached.begin(), std::ptrdiff_t(m_random.below(m_detached.size())));
    m_detached.erase(path);
    const GenResult result = runGen({"--attach", (project() / path).string()});
    if (result.status != 0)
        m_stepFailure =
            Failure{"attach failed", "--attach " + path + " exited with status " +
                                         std::to_string(result.status) + "\n" + result.err};
    return "attach: " + path;
}

} // namespace vantrel::session
