#include "MemoryDriver.h"

#include "cli/GenCommand.h"
#include "fileutil/MemoryOutput.h"

#include <sstream>
#include <unistd.h>

namespace vantrel::runs {

namespace {

// Runs with the working folder as the process's own, as vantrel-gen runs in it.
class WorkingFolder {
public:
    explicit WorkingFolder(const fs::path& folder)
        : m_before(fs::current_path()) {
        fs::current_path(folder);
    }
    ~WorkingFolder() { fs::current_path(m_before); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    fs::path m_before;
};

// A folder stands in a tree only when nothing below it does.
void dropFoldersWithEntries(Tree& tree) {
    for (auto it = tree.begin(); it != tree.end();) {
        const auto next = std::next(it);
        const bool hasChild = next != tree.end() && next->first.starts_with(it->first + "/");
        it = it->second.kind == Entry::Kind::Folder && hasChild ? tree.erase(it) : next;
    }
}

} // namespace

RunOutcome MemoryDriver::run(const fs::path& caseFolder, const fs::path& workFolder) const {
    layOut(caseInputs(caseFolder), workFolder);
    const Tree before = readTree(workFolder);
    const std::vector<std::string> arguments = caseArguments(caseFolder);
    const std::vector<std::string_view> views(arguments.begin(), arguments.end());
    MemoryOutput output;
    std::ostringstream out;
    std::ostringstream err;
    RunOutcome outcome;
    {
        const WorkingFolder inWork(workFolder);
        outcome.status = runVantrelGen(views, out, err, output);
    }
    outcome.out = out.str();
    outcome.err = err.str();
    if (!(readTree(workFolder) == before))
        outcome.err += "the run into memory changed the working folder\n";

    Tree after = before;
    for (const MemoryOutput::Target& target : output.targets()) {
        if (target.state == MemoryOutput::State::Blocked)
            continue;
        const std::string path = fs::absolute(workFolder / target.nativePath)
                                     .lexically_normal()
                                     .lexically_relative(workFolder)
                                     .generic_string();
        const auto entry = output.tree().find(target.key);
        if (entry == output.tree().end())
            continue;
        after[path] = entry->second.folder ? Entry{Entry::Kind::Folder, {}}
                                           : Entry{Entry::Kind::File, entry->second.bytes};
    }
    dropFoldersWithEntries(after);
    outcome.tree = changes(before, after);
    return outcome;
}

} // namespace vantrel::runs
