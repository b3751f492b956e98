#pragma once

#include "check/Diagnostic.h"
#include "engine/CompiledTemplate.h"

#include <cstddef>
#include <string>
#include <vector>

namespace vantrel {

// The directive lines of one script or one template section, checked in order from their
// compiled plans: each directive's argument, and that @IFDEF/@IFNDEF and @ENDIF, @FOR and @ENDFOR
// pair up and nest within the unit. The run keeps its blocks across the script and the sections
// it writes; a unit that closes what another opened is a fault an author means to hear about.
class BlockCheck {
public:
    static constexpr std::size_t NO_LINE = CompiledTemplate::NO_LINE;

    // unit names what the blocks must close within in messages: "section 'main'", say.
    BlockCheck(const CompiledTemplate& file, std::string unit, DiagnosticList& found)
        : m_file(file)
        , m_unit(std::move(unit))
        , m_found(found) {}

    // Checks the directive line with this index.
    void directive(std::size_t index);
    // Reports what is still open at the end of the unit.
    void finish();

    // The @FOR line of the loop the unit is in at this point; NO_LINE outside loops.
    std::size_t openLoop() const;
    // The first @FOR line of the unit; NO_LINE when it has none.
    std::size_t firstLoop() const { return m_firstLoop; }

private:
    struct Open {
        DirectiveId id;
        std::size_t line;
    };
    void error(std::size_t index, std::size_t column, std::string text);
    void warning(std::size_t index, std::size_t column, std::string text);
    void checkConditions(std::size_t index, std::size_t from);
    void checkLoop(std::size_t index, const DirectivePlan& plan);
    void checkAssert(std::size_t index, std::size_t from);
    void closeIf(std::size_t index);
    void closeLoop(std::size_t index);
    // The innermost open block of the kind, from the top; m_open.size() when there is none.
    std::size_t innermost(bool loop) const;

    const CompiledTemplate& m_file;
    std::string m_unit;
    DiagnosticList& m_found;
    std::vector<Open> m_open;
    std::size_t m_openIfs = 0;
    bool m_tooManyReported = false;
    std::size_t m_firstLoop = NO_LINE;
};

// The name of a directive as authors write it: "@IFDEF".
std::string directiveName(DirectiveId id);

} // namespace vantrel
