#pragma once

#include "engine/Keywords.h"
#include "report/ErrorReporter.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace vantrel {

// The directives of script and template lines; names are matched ignoring case, exactly.
enum class DirectiveId {
    None = 0,    // not a directive
    Assert = 1,  // @ASSERT
    IfDef = 2,   // @IFDEF
    IfNDef = 3,  // @IFNDEF
    EndIf = 4,   // @ENDIF
    For = 5,     // @FOR
    EndFor = 6,  // @ENDFOR
    Include = 7, // @INCLUDE
};

struct DirectiveEntry {
    std::string_view name;
    DirectiveId id;
};

// Every directive by name, as written in script and template lines.
extern const std::array<DirectiveEntry, 7> directiveTable;

DirectiveId lookupDirective(std::string_view word);

// The directive state of one generation run, shared by the script and every section it writes:
// open @IFDEF/@IFNDEF blocks and the one running loop.
struct GeneratorState {
    static constexpr std::size_t MAX_OPEN_BLOCKS = 256;

    std::vector<DirectiveId> blockStack;
    std::int64_t loopStart = -1; // line of the running loop's @FOR, -1: no loop
    KeywordId loopKind = KW_NONE;
    std::int32_t loopFirst = 0;
    std::int32_t loopLimit = 0;
    std::int32_t loopCounter = 0;
    // The reader whose file holds the running loop's @FOR line; loopStart is a line there.
    std::weak_ptr<const void> loopReader; // a TemplateReader::Identity
    // For messages: the running loop's @FOR line, and a @FOR met inside a loop of its own file
    // (loops do not nest), kept past the loop's end since the fault shows only later.
    MessagePlace loopPlace;
    MessagePlace nestedFor;

    bool loopRunning() const { return loopStart != -1 && loopKind != KW_NONE; }
    void endLoop();
    void reset();
};

} // namespace vantrel
