#include "cli/LibraryProjectReader.h"

#include "cli/ProjectValues.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <deque>
#include <iterator>
#include <limits>
#include <stdexcept>
#include <utility>
#include <vector>

namespace vantrel {
namespace {

using nlohmann::json;
using namespace projectvalues;

constexpr std::size_t NO_FAILURE = std::numeric_limits<std::size_t>::max();

// The actions taken out of the document while it was read, in order, up to the first faulty one.
struct ReadActions {
    std::deque<ActionDefinition> actions;
    std::size_t failedIndex = NO_FAILURE;
    std::string failure;
};

// Everything is read into a copy, so a fault leaves the caller's project as it was.
ProjectState projectOf(const json& root, ReadActions& read, ProjectState project) {
    if (!root.is_object())
        throw std::runtime_error("the project must be a JSON object");
    for (const auto& [key, value] : root.items())
        if (key != "host" && key != "name" && key != "location" && key != "dllFlags" &&
            key != "actions")
            throw ProjectError(key, "unknown key");

    if (!root.contains("host"))
        throw ProjectError("host", "missing");
    const std::string host = upperAscii(textOf(root["host"], "host"));
    if (host != "KEL" && host != "DOV")
        throw ProjectError("host", "must be \"KEL\" or \"DOV\"");
    project.kelHost = host == "KEL" ? 1 : 0;
    project.dovHost = host == "DOV" ? 1 : 0;

    if (root.contains("name"))
        project.nameText = textOf(root["name"], "name");
    if (root.contains("location")) {
        project.locationBase = textOf(root["location"], "location");
        project.locationText = project.locationBase;
    }
    if (root.contains("dllFlags"))
        project.dllFlags = dllFlagsOf(root["dllFlags"]);

    if (root.contains("actions")) {
        const json& actions = root["actions"];
        if (!actions.is_array())
            throw ProjectError("actions", "must be an array of objects");
        project.actions.clear();
        project.actions.reserve(actions.size()); // no doubling: a large project stays small
        for (std::size_t i = 0; i < actions.size(); ++i) {
            if (!actions[i].is_discarded()) {
                project.appendAction(actionOf(actions[i], "actions[" + std::to_string(i) + "]"));
                continue;
            }
            if (read.failedIndex == i)
                throw std::runtime_error(read.failure);
            project.appendAction(read.actions.front());
            read.actions.pop_front(); // frees the read copies as the list fills
        }
    }
    return project;
}

// Builds the document like the library's own reader, except that each object of the root's
// "actions" array becomes an action the moment it closes and leaves only a marker behind: a
// large project never holds its whole JSON tree next to its action list.
class ProjectReader {
public:
    using number_integer_t = json::number_integer_t;
    using number_unsigned_t = json::number_unsigned_t;
    using number_float_t = json::number_float_t;
    using string_t = json::string_t;
    using binary_t = json::binary_t;

    json root;
    ReadActions read;

    bool null() { return add(nullptr); }
    bool boolean(bool value) { return add(value); }
    bool number_integer(number_integer_t value) { return add(value); }
    bool number_unsigned(number_unsigned_t value) { return add(value); }
    bool number_float(number_float_t value, const string_t&) { return add(value); }
    bool string(string_t& value) { return add(std::move(value)); }
    bool binary(binary_t& value) { return add(json::binary(std::move(value))); }

    bool start_object(std::size_t) {
        m_stack.push_back(add(json::value_t::object));
        return true;
    }
    bool key(string_t& name) {
        // A repeated key replaces the earlier value, as the library's reader does.
        m_slot = &(*m_stack.back())[name];
        if (m_stack.size() == 1) {
            m_actionsKey = name == "actions";
            if (m_actionsKey)
                m_actions = nullptr;
        }
        return true;
    }
    bool end_object() {
        json* closed = m_stack.back();
        m_stack.pop_back();
        if (!m_stack.empty() && m_stack.back() == m_actions)
            takeAction(*closed);
        return true;
    }
    bool start_array(std::size_t) {
        const bool actions = m_stack.size() == 1 && m_stack.back()->is_object() && m_actionsKey;
        json* array = add(json::value_t::array);
        if (actions) {
            m_actions = array;
            read = ReadActions{}; // a repeated "actions" key starts over
        }
        m_stack.push_back(array);
        return true;
    }
    bool end_array() {
        m_stack.pop_back();
        return true;
    }

    template <class Exception>
    bool parse_error(std::size_t, const std::string&, const Exception& error) {
        throw error;
    }

private:
    // Places a value where the document says: the root, the last key's slot, or an array's end.
    template <class Value>
    json* add(Value&& value) {
        if (m_stack.empty()) {
            root = json(std::forward<Value>(value));
            return &root;
        }
        json& parent = *m_stack.back();
        if (parent.is_array()) {
            parent.push_back(json(std::forward<Value>(value)));
            return &parent.back();
        }
        *m_slot = json(std::forward<Value>(value));
        return m_slot;
    }

    void takeAction(json& object) {
        const std::size_t index = m_actions->size() - 1;
        if (read.failedIndex == NO_FAILURE) {
            try {
                read.actions.push_back(actionOf(object, "actions[" + std::to_string(index) + "]"));
            } catch (const ProjectError& error) {
                read.failedIndex = index;
                read.failure = error.what();
            }
        }
        object = json(json::value_t::discarded);
    }

    std::vector<json*> m_stack;
    json* m_slot = nullptr;
    json* m_actions = nullptr;
    bool m_actionsKey = false;
};

// The parser's own file input takes one character per C-library call; this reads 64 KB at a
// time and hands them out one by one, still without holding the whole file.
class FileChunks {
public:
    explicit FileChunks(std::FILE* file)
        : m_file(file) {}

    class Iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = char;
        using difference_type = std::ptrdiff_t;
        using pointer = const char*;
        using reference = const char&;

        Iterator() = default;
        explicit Iterator(FileChunks* chunks)
            : m_chunks(chunks->fill() ? chunks : nullptr) {}

        reference operator*() const { return m_chunks->m_buffer[m_chunks->m_position]; }
        Iterator& operator++() {
            if (++m_chunks->m_position == m_chunks->m_size && !m_chunks->fill())
                m_chunks = nullptr;
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const Iterator& other) const { return m_chunks == other.m_chunks; }

    private:
        FileChunks* m_chunks = nullptr; // none at the end of the file or at a read error
    };

    Iterator begin() { return Iterator(this); }
    Iterator end() { return Iterator(); }

private:
    bool fill() {
        m_position = 0;
        m_size = std::fread(m_buffer.data(), 1, m_buffer.size(), m_file);
        return m_size > 0;
    }

    std::FILE* m_file;
    std::vector<char> m_buffer = std::vector<char>(64 * 1024);
    std::size_t m_position = 0;
    std::size_t m_size = 0;
};

// nlohmann's text without its "[json.exception.parse_error.101] " tag.
std::string parseErrorText(const json::parse_error& error) {
    std::string text = error.what();
    const std::size_t tagEnd = text.find("] ");
    if (text.starts_with("[json.exception.") && tagEnd != std::string::npos)
        text.erase(0, tagEnd + 2);
    return text;
}

// Reads the whole document and applies it; the problem without the file name, empty when
// it worked. A failed read counts before anything the partial text may seem to say.
template <class Parse, class ReadFailed>
std::string readProject(Parse parse, ReadFailed readFailed, ProjectState& project) {
    std::string problem;
    try {
        ProjectReader reader;
        parse(reader);
        if (readFailed())
            return "cannot be read";
        project = projectOf(reader.root, reader.read, project);
        return {};
    } catch (const json::parse_error& error) {
        problem = parseErrorText(error);
    } catch (const std::exception& error) {
        problem = error.what();
    }
    return readFailed() ? "cannot be read" : problem;
}

} // namespace

std::string readProjectWithLibrary(std::FILE* file, ProjectState& project) {
    return readProject(
        [&](ProjectReader& reader) {
            FileChunks chunks(file);
            json::sax_parse(chunks.begin(), chunks.end(), &reader);
        },
        [&] { return std::ferror(file) != 0; }, project);
}

std::string applyProjectWithLibrary(std::string_view jsonText, ProjectState& project) {
    return readProject([&](ProjectReader& reader) { json::sax_parse(jsonText, &reader); },
                       [] { return false; }, project);
}

} // namespace vantrel
