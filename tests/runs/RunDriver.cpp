#include "RunDriver.h"

#include "support/TempFolder.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <stdexcept>

namespace vantrel::runs {
namespace {

const std::set<std::string> CONTROL_NAMES = {
    "absent",          "args",           "disk-only", "expected", "expected.stdout",
    "expected.stderr", "expected.status"};
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

// Whether the path is the folder or lies below it.
bool within(const std::string& path, const std::string& folder) {
    return path == folder || path.starts_with(folder + "/");
}

std::vector<std::string> lines(const fs::path& file) {
    std::vector<std::string> result;
    std::ifstream in(file, std::ios::binary);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
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

Tree caseInputs(const fs::path& caseFolder) {
    const Tree base = readTree(caseFolder.parent_path() / BASE_FOLDER);
    const Tree own = readTree(caseFolder, true);
    std::vector<std::string> absent;
    for (const std::string& path : lines(caseFolder / "absent")) {
        if (std::none_of(base.begin(), base.end(),
                         [&](const auto& item) { return within(item.first, path); }))
            throw std::runtime_error((caseFolder / "absent").string() + ": the base holds no " +
                                     path);
        absent.push_back(path);
    }
    Tree inputs = own;
    for (const auto& [path, entry] : base) {
        const bool isAbsent =
            std::any_of(absent.begin(), absent.end(),
                        [&](const std::string& gone) { return within(path, gone); });
        const bool crossed = std::any_of(own.begin(), own.end(), [&](const auto& item) {
            return within(path, item.first) || within(item.first, path);
        });
        if (!isAbsent && !crossed)
            inputs.emplace(path, entry);
    }
    return withoutImpliedFolders(std::move(inputs));
}

void layOut(const Tree& tree, const fs::path& folder) {
    for (const auto& [path, entry] : tree) {
        const fs::path target = folder / path;
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
    if (!fs::exists(caseFolder / "args"))
        return {"project.json"};
    return lines(caseFolder / "args");
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
