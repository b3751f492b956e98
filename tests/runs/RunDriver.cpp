#include "RunDriver.h"

#include "support/TempFolder.h"

#include <fstream>
#include <set>

namespace vantrel::runs {
namespace {

const std::set<std::string> CONTROL_NAMES = {
    "args", "disk-only", "expected", "expected.stdout", "expected.stderr", "expected.status"};
constexpr const char* KEEP = ".keep";

// Drops every folder that has an entry below it.
Tree withoutImpliedFolders(Tree tree) {
    std::set<std::string> parents;
    for (const auto& [path, entry] : tree)
        for (auto slash = path.rfind('/'); slash != std::string::npos && slash > 0;
             slash = path.rfind('/', slash - 1))
            parents.insert(path.substr(0, slash));
    std::erase_if(tree, [&](const auto& item) {
        return item.second.kind == Entry::Kind::Folder && parents.contains(item.first);
    });
    return tree;
}

} // namespace

Tree readTree(const fs::path& folder, bool caseFolder) {
    Tree tree;
    if (!fs::exists(folder))
        return tree;
    for (auto it = fs::recursive_directory_iterator(folder);
         it != fs::recursive_directory_iterator(); ++it) {
        const std::string path = it->path().lexically_relative(folder).generic_string();
        if (caseFolder && it.depth() == 0 && CONTROL_NAMES.contains(path)) {
            it.disable_recursion_pending();
            continue;
        }
        if (it->path().filename() == KEEP)
            continue;
        if (it->is_symlink())
            tree[path] = {Entry::Kind::Link, fs::read_symlink(it->path()).string()};
        else if (it->is_directory())
            tree[path] = {Entry::Kind::Folder, {}};
        else
            tree[path] = {Entry::Kind::File, readFile(it->path())};
    }
    return withoutImpliedFolders(std::move(tree));
}

void copyInputs(const fs::path& caseFolder, const fs::path& workFolder) {
    for (const auto& [path, entry] : readTree(caseFolder, true)) {
        const fs::path target = workFolder / path;
        if (entry.kind == Entry::Kind::Folder) {
            fs::create_directories(target);
        } else if (entry.kind == Entry::Kind::Link) {
            fs::create_directories(target.parent_path());
            fs::create_symlink(entry.content, target);
        } else {
            fs::create_directories(target.parent_path());
            writeFile(target, entry.content);
        }
    }
}

std::vector<std::string> caseArguments(const fs::path& caseFolder) {
    std::ifstream in(caseFolder / "args");
    if (!in)
        return {"project.json"};
    std::vector<std::string> arguments;
    for (std::string line; std::getline(in, line);)
        arguments.push_back(line);
    return arguments;
}

Tree changes(const Tree& before, const Tree& after) {
    Tree changed;
    for (const auto& [path, entry] : after) {
        const auto was = before.find(path);
        if (was == before.end() || !(was->second == entry))
            changed[path] = entry;
    }
    for (const auto& [path, entry] : before) {
        // A folder of the inputs that now holds something new shows in after only through it.
        const auto below = after.lower_bound(path + "/");
        const bool holdsNew = entry.kind == Entry::Kind::Folder && below != after.end() &&
                              below->first.starts_with(path + "/");
        if (!after.contains(path) && !holdsNew)
            changed[path] = {Entry::Kind::Removed, {}};
    }
    return withoutImpliedFolders(std::move(changed));
}

} // namespace vantrel::runs
