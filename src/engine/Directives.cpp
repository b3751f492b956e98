#include "engine/Directives.h"

#include "engine/TextScan.h"

#include <array>

namespace vantrel {

namespace {

struct DirectiveEntry {
    std::string_view name;
    DirectiveId id;
};

constexpr std::array<DirectiveEntry, 7> directiveTable = {{
    {"@ASSERT", DirectiveId::Assert},
    {"@IFDEF", DirectiveId::IfDef},
    {"@IFNDEF", DirectiveId::IfNDef},
    {"@ENDIF", DirectiveId::EndIf},
    {"@FOR", DirectiveId::For},
    {"@ENDFOR", DirectiveId::EndFor},
    {"@INCLUDE", DirectiveId::Include},
}};

} // namespace

DirectiveId lookupDirective(std::string_view word) {
    for (const DirectiveEntry& entry : directiveTable) {
        if (equalsIgnoringCase(word, entry.name))
            return entry.id;
    }
    return DirectiveId::None;
}

void GeneratorState::endLoop() {
    loopStart = -1;
    loopKind = KW_NONE;
    loopReader.reset();
}

void GeneratorState::reset() {
    blockStack.clear();
    endLoop();
    loopFirst = 0;
    loopLimit = 0;
    loopCounter = 0;
}

} // namespace vantrel
