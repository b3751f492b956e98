#pragma once

#include "model/ActionDefinition.h"
#include "model/ProjectState.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// A quick one-pass reader for the project document as it is usually written: the root's known
// keys once each, actions as flat objects of known keys, plain strings, small non-negative
// integers, true and false. It words no refusal: a fault, any less usual form (even one the
// library's reader takes) and a read error all answer NotPlain and leave the project alone, so
// the library's reader can read the document from its start and say what it says.
class PlainProjectReader {
public:
    enum class Result {
        Applied,
        NotPlain,
    };

    // Reads the file from its current position, 64 KB at a time; never holds the whole text.
    explicit PlainProjectReader(std::FILE* file);
    explicit PlainProjectReader(std::string_view text);

    // Once per reader. On Applied the project holds what the document gives, exactly as the
    // library's reader would have left it.
    Result read(ProjectState& project);

private:
    // Actions in blocks of a fixed size while their count is unknown: no doubling, no copies,
    // and a block is freed as soon as the project's list has taken it over.
    class ReadActions {
    public:
        ActionDefinition& emplaceBack();
        void moveInto(std::vector<ActionDefinition>& list);

    private:
        std::vector<std::vector<ActionDefinition>> m_blocks;
        std::size_t m_count = 0;
    };

    struct Root {
        std::uint32_t seen = 0; // a bit per root key
        std::string host;
        std::string name;
        std::string location;
        std::uint32_t dllFlags = 0;
        ReadActions actions;
    };

    bool refill();
    char nextToken();
    char skipSpace();
    void expect(char token);
    bool listEnds(char close);
    bool atEnd();
    unsigned char take();
    int peekByte();

    void readRoot(Root& root);
    void readActions(ReadActions& actions);
    void readAction(ActionDefinition& action);
    void readField(std::size_t fieldIndex, ActionDefinition& action);
    std::uint32_t readFlagNames();
    std::int32_t readCheckBox();
    void readText(std::string& text);
    std::string_view readKey();
    std::string_view readKeyAfterQuote();
    std::size_t readActionKey();
    void readString(std::string& text);
    void readEscape(std::string& text);
    std::uint32_t readHex4();
    void readMultiByte(unsigned char lead, std::string& text);
    std::uint32_t readWord();
    bool readBool();

    std::FILE* m_file = nullptr;
    std::unique_ptr<char[]> m_buffer;
    const char* m_pos = nullptr;
    const char* m_end = nullptr;
    std::string m_key;  // the member name being matched, reused for every key
    std::string m_text; // a value that is not kept as it is (names of flags and types)
    // Keys mostly come in the same order in every action: the one expected is tried first.
    std::size_t m_firstField = 0;
    std::size_t m_nextField = 0;
};

} // namespace vantrel
