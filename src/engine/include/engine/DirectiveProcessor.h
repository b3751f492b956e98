#pragma once

#include "engine/DirectivePlan.h"
#include "engine/Directives.h"
#include "engine/KeywordValues.h"
#include "engine/TemplateReader.h"
#include "model/ProjectState.h"
#include "report/ErrorReporter.h"

#include <string_view>

namespace vantrel {

// Carries out the directive lines of a run's script and sections: blocks, the one loop over
// the actions and assertions. The run's GeneratorState lives here.
class DirectiveProcessor {
public:
    DirectiveProcessor(ProjectState& project, const KeywordValues& values, MessageSink& sink)
        : m_project(project)
        , m_values(values)
        , m_sink(sink) {}

    // Carries out the reader's current line; false when the line is in error. May move the
    // reader (a skipped block, a loop's next turn or its end); the caller reads on after it.
    bool processDirectiveLine(TemplateReader& reader);
    // From the reader's current line to the matching target line; false at the end of the file.
    bool skipToMatchingDirective(TemplateReader& reader, DirectiveId target);
    bool evaluateConditionList(std::string_view text, bool& result) const;

    GeneratorState& state() { return m_state; }
    // Where the fault of a directive line that failed lies: the @FOR of a loop left open in
    // another file or section, or a @FOR inside a loop; otherwise the line itself.
    MessagePlace faultPlace(const TemplateReader& reader, std::size_t directiveLine) const;

private:
    bool evaluateConditions(const ConditionList& conditions, bool& result) const;
    bool processIf(const DirectivePlan& plan, TemplateReader& reader);
    bool processFor(const DirectivePlan& plan, TemplateReader& reader);
    // A failed assertion is reported with the place of its line.
    bool processAssert(std::string_view rest, const TemplateReader& reader);
    // Ends a skip at the plan's matching line; false when the file has none.
    static bool moveToMatchingEnd(const DirectivePlan& plan, TemplateReader& reader);

    ProjectState& m_project;
    const KeywordValues& m_values;
    MessageSink& m_sink;
    GeneratorState m_state;
};

} // namespace vantrel
