#include "RunDriver.h"

#include "support/TempFolder.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <stdexcept>

namespace vantrel::runs {
namespace {

const std::set<std::string> CONTROL_NAMES = {"absent", "args", "disk-only", "expected"};
constexpr const char* KEEP = ".keep";
// Ends a block of "|" lines whose last line has no line break.
constexpr std::string_view NO_NEWLINE = "\\ no newline at end";

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

// Reads the expected file line by line; a failure names the file and the line.
class ExpectedReader {
public:
    ExpectedReader(const fs::path& file, const Tree& inputs)
        : m_file(file)
        , m_inputs(inputs) {}

    Expected read() {
        if (!fs::is_regular_file(m_file))
            fail("the case has no expected file");
        for (const std::string& line : lines(m_file)) {
            ++m_line;
            take(line);
        }
        if (m_linkWithoutTarget)
            fail("a link without its \"-> TARGET\" line");
        if (m_seen != std::set<std::string>{"status", "stdout", "stderr"})
            fail("status, stdout and stderr must each be given once");
        return std::move(m_expected);
    }

private:
    [[noreturn]] void fail(const std::string& what) const {
        throw std::runtime_error(m_file.string() + ":" + std::to_string(m_line) + ": " + what);
    }

    void once(const std::string& header) {
        if (!m_seen.insert(header).second)
            fail(header + " given twice");
    }

    // A path or link target, in double quotes with \n, \" and \\ inside when it holds a line
    // break or starts with a quote.
    std::string unquoted(std::string_view text) const {
        if (!text.starts_with('"'))
            return std::string(text);
        std::string path;
        for (std::size_t at = 1; at < text.size(); ++at) {
            if (text[at] == '"') {
                if (at + 1 != text.size())
                    fail("text after a quoted path");
                return path;
            }
            if (text[at] != '\\') {
                path += text[at];
                continue;
            }
            const char escaped = at + 1 < text.size() ? text[++at] : '\0';
            if (escaped == 'n')
                path += '\n';
            else if (escaped == '"' || escaped == '\\')
                path += escaped;
            else
                fail("an unknown escape in a quoted path");
        }
        fail("a quoted path without its closing quote");
    }

    Entry& entry(std::string_view path, Entry::Kind kind) {
        const auto [it, added] = m_expected.tree.try_emplace(unquoted(path), Entry{kind, {}});
        if (!added)
            fail("the path is given twice");
        return it->second;
    }

    void take(std::string_view line) {
        if (m_linkWithoutTarget) {
            if (!line.starts_with("-> "))
                fail("a link without its \"-> TARGET\" line");
            m_linkWithoutTarget->content = unquoted(line.substr(3));
            m_linkWithoutTarget = nullptr;
            return;
        }
        if (line.starts_with('|') && m_block) {
            m_block->append(line.substr(1)).push_back('\n');
            m_copyAllowed = false;
        } else if (line == NO_NEWLINE && m_block && m_block->ends_with('\n')) {
            m_block->pop_back();
            m_block = nullptr;
        } else if (line.starts_with("= ") && m_copyAllowed) {
            const auto input = m_inputs.find(unquoted(line.substr(2)));
            if (input == m_inputs.end() || input->second.kind != Entry::Kind::File)
                fail("no input file " + std::string(line.substr(2)));
            *m_block = input->second.content;
            m_block = nullptr;
            m_copyAllowed = false;
        } else {
            header(line);
        }
    }

    void header(std::string_view line) {
        m_block = nullptr;
        m_copyAllowed = false;
        if (line.starts_with("status ")) {
            once("status");
            const std::string number(line.substr(7));
            std::size_t end = 0;
            try {
                m_expected.status = std::stoi(number, &end);
            } catch (const std::logic_error&) {
            }
            if (number.empty() || end != number.size())
                fail("a status must be a number");
        } else if (line == "stdout" || line == "stderr") {
            once(std::string(line));
            m_block = line == "stdout" ? &m_expected.out : &m_expected.err;
        } else if (line.starts_with("file ")) {
            m_block = &entry(line.substr(5), Entry::Kind::File).content;
            m_copyAllowed = true;
        } else if (line.starts_with("folder ")) {
            entry(line.substr(7), Entry::Kind::Folder);
        } else if (line.starts_with("link ")) {
            m_linkWithoutTarget = &entry(line.substr(5), Entry::Kind::Link);
        } else if (line.starts_with("removed ")) {
            entry(line.substr(8), Entry::Kind::Removed);
        } else {
            fail("not a line of an expected file");
        }
    }

    fs::path m_file;
    const Tree& m_inputs;
    int m_line = 0;
    Expected m_expected;
    std::set<std::string> m_seen;
    std::string* m_block = nullptr; // where "|" lines go
    bool m_copyAllowed = false;     // a file just named may be given as "= PATH"
    Entry* m_linkWithoutTarget = nullptr;
};

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
        if (path.empty())
            continue;
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

Expected readExpected(const fs::path& caseFolder, const Tree& inputs) {
    return ExpectedReader(caseFolder / "expected", inputs).read();
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
