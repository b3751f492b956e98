#pragma once

#include "engine/Directives.h"
#include "engine/Keywords.h"
#include "engine/TemplateCache.h"
#include "engine/TemplateReader.h"
#include "model/ProjectState.h"
#include "report/ErrorReporter.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vantrel {

// The generation engine of one main dialog (or one headless run): keyword values, directives,
// line expansion and the script run, all working on the project state it is given.
class Generator {
public:
    Generator(ProjectState& project, MessageSink& sink);

    // Called with the native path of every folder created and every file written or copied.
    using OutputListener = std::function<void(const std::string& nativePath)>;
    void setOutputListener(OutputListener listener);

    // Runs the generation script of the chosen host. True when the script ended normally (at
    // its end or at create_done:), false when it could not be opened or stopped on an error.
    bool runGeneration();

    ProjectState& project() { return m_project; }
    MessageSink& sink() { return m_sink; }
    GeneratorState& state() { return m_state; }

    // A runaway line (a value holding its own placeholder) stops expanding after this many
    // replaced placeholders; the rest of the line stays as it stands.
    static constexpr std::size_t MAX_LINE_REPLACEMENTS = 10000;
    // Nor does a line grow past this length (or its own length, when it is longer already).
    static constexpr std::size_t MAX_EXPANDED_LINE_LENGTH = std::size_t{1} << 20;
    // Every replacement rewrites the line, so a runaway costs the sum of its lengths: it stops
    // once that sum passes this many times the length bound, a tenth of a second at most.
    static constexpr std::size_t MAX_LINE_WORK_FACTOR = 16;
    // The same bound for a target path or a copy source.
    static constexpr std::size_t MAX_PATH_REPLACEMENTS = 64;

    // Keyword values, computed afresh from the project and its current action on every call.
    // None when the text names no keyword with a value and no extra setting; secondValue (when
    // given) receives the file name of a development-kit keyword or extra setting, or is cleared.
    std::optional<std::string> placeholderValue(std::string_view text,
                                                std::string* secondValue = nullptr) const;
    bool isConditionTrue(KeywordId id) const;
    std::int32_t loopCountOf(KeywordId id) const;
    // Replaces every exact occurrence of the placeholder by its value; false (text unchanged)
    // when the placeholder has no value.
    bool replacePlaceholder(std::string& text, std::string_view placeholder) const;
    std::string dllFlagsValue() const;

    // Directives and text lines of the script and the template sections.
    bool processDirectiveLine(TemplateReader& reader);
    bool skipToMatchingDirective(TemplateReader& reader, DirectiveId target);
    bool evaluateConditionList(std::string_view text, bool& result) const;
    std::string expandTemplateLine(std::string_view line) const;
    // The same into text, replacing what it held: a section reuses one buffer for its lines.
    void expandTemplateLine(std::string_view line, std::string& text) const;
    // The general expansion, rescanning after every replacement; expandTemplateLine gives the
    // same text, in one pass for the usual line.
    std::string expandTemplateLineRescanning(std::string_view line) const;

    // The script run and its commands.
    bool runScriptLines(TemplateReader& script);
    bool findFileSection(TemplateReader& reader, std::string_view sectionName);
    bool writeFileSection(TemplateReader& reader, std::string_view sectionName,
                          std::string_view targetName);
    // projectLocation, then "\" and each part that is given, placeholders expanded. The path
    // keeps its "\" separators; nativePath turns it into what the file system takes.
    std::string buildTargetPath(std::optional<std::string_view> first,
                                std::optional<std::string_view> second) const;
    // False only when the folder lies outside the project location (reported).
    bool createProjectDirectory(std::string_view folder);
    bool copyProjectFile(std::string_view word, std::string_view folder);

private:
    std::optional<std::string> keywordValue(KeywordId id, std::string* secondValue) const;
    // keywordValue appended to out, with no string of its own; false (out unchanged) for none.
    // The current action (or the empty one) is passed in: a line looks it up once.
    bool appendKeywordValue(KeywordId id, std::string& out, std::string* secondValue,
                            const ActionDefinition& action) const;
    bool conditionTrue(KeywordId id, const ActionDefinition& action) const;
    const ActionDefinition& currentOrEmptyAction() const;
    // lookupKeyword, remembered by text: a run asks for the same few names again and again.
    KeywordId cachedKeyword(std::string_view text) const;
    // What a template line's expansion needs from its text alone: the '%' pairs in one-pass
    // order with the keyword each names, and whether one pass can give the rescanning text.
    struct LinePair {
        std::size_t open;
        std::size_t close;
        KeywordId id; // KW_NONE: an extra setting, looked up by the name between the '%'
    };
    struct LinePlan {
        bool onePass = false;
        std::vector<LinePair> pairs;
    };
    static LinePlan analyseLine(std::string_view line);
    // The plan of a reader's current line, remembered by its place in the file's text: a
    // template's lines come back for every action. A long line is analysed into scratch.
    const LinePlan& linePlanOf(const TemplateReader& reader, LinePlan& scratch) const;
    bool appendPairValue(const LinePair& pair, std::string_view line, std::string& out,
                         const ActionDefinition& action) const;
    // Appends the one-pass expansion to text; false (text then unusable) when the line needs
    // the rescanning rules.
    bool expandLineInOnePass(std::string_view line, const LinePlan& plan, std::string& text) const;
    // expandTemplateLine for the current line of a section being written, appended to text: the
    // lines go straight into the file's pending output.
    void expandCurrentLine(const TemplateReader& reader, std::string& text) const;
    // The keywords of a condition list, each with whether '+' joins it to the ones before.
    using ConditionList = std::vector<std::pair<KeywordId, bool>>;
    static bool readConditionList(std::string_view text, ConditionList& conditions);
    // What a directive line says, from its text alone: the directive word (used == 0: none)
    // and, for @IFDEF and @IFNDEF, its conditions with the operator that joins each one on.
    struct DirectivePlan {
        std::size_t used = 0;
        DirectiveId id = DirectiveId::None;
        ConditionList conditions;
        // @FOR: whether "first TO kind" reads, and the keywords of first and kind.
        bool loopWellFormed = false;
        KeywordId loopFirst = KW_NONE;
        KeywordId loopKind = KW_NONE;
        // @IFDEF and @IFNDEF: where the matching @ENDIF line starts, once a skip has found it
        // (-1: not yet). Which line matches depends on the text alone.
        std::int64_t matchingEnd = -1;
    };
    static DirectivePlan analyseDirective(std::string_view line);
    // The plan of a reader's current directive line, remembered as line plans are.
    const DirectivePlan& directivePlanOf(const TemplateReader& reader,
                                         DirectivePlan& scratch) const;
    // A read condition list on the current values; false when the list was not well formed.
    bool evaluateConditions(const ConditionList& conditions, bool& result) const;
    // start: where the directive's line starts; matchingEnd as its plan knows it.
    bool processIfDirective(DirectiveId id, bool wellFormed, bool result, TemplateReader& reader,
                            std::int64_t start, std::int64_t matchingEnd);
    bool processForDirective(const DirectivePlan& plan, TemplateReader& reader);
    bool processAssertDirective(std::string_view rest);
    // Expands the placeholders of a path, searching again from the start after each one.
    std::string expandPath(std::string path) const;
    // True when the native path lies in or below the project location; reports it otherwise.
    // With nameSeenAtOpen, a plain name in a folder is taken to be no link: the caller opens it
    // without following one and checks again where one is.
    bool confineToLocation(const std::string& nativeTarget, bool nameSeenAtOpen = false);
    // A resolved path's elements: a folder's (kept for the run, or the path's own) and, for a
    // file in a folder that exists, the file's name after them.
    struct PathElements {
        const std::vector<std::string>* folder = nullptr;
        std::string_view name; // none when empty
        std::vector<std::string> own;
        std::string ownName;

        PathElements() = default;
        PathElements(const PathElements&) = delete;
        PathElements& operator=(const PathElements&) = delete;

        std::size_t size() const { return folder->size() + (name.empty() ? 0 : 1); }
        std::string_view operator[](std::size_t i) const {
            return i < folder->size() ? std::string_view((*folder)[i]) : name;
        }
        bool liesWithin(const PathElements& base) const {
            if (size() < base.size())
                return false;
            for (std::size_t i = 0; i < base.size(); ++i) {
                if ((*this)[i] != base[i])
                    return false;
            }
            return true;
        }
    };
    void resolvedElements(const std::string& nativePath, PathElements& elements,
                          bool nameSeenAtOpen = false);
    void announce(const std::string& nativePath) const;

    ProjectState& m_project;
    MessageSink& m_sink;
    OutputListener m_listener;
    GeneratorState m_state;
    TemplateCache m_templates; // the template files of the current run
    // Resolved path elements of folders that exist, by native path: most targets of a run share
    // a few folders, which need resolving only once.
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>{}(text);
        }
    };
    std::unordered_map<std::string, std::vector<std::string>, NameHash, std::equal_to<>>
        m_resolvedFolders;
    std::string m_scriptPath;    // native, as named in messages
    std::string m_pendingOutput; // the text of the file being written not yet sent out
    // The last action define and index written, kept: an action's lines repeat them.
    struct DefineName {
        std::string name;
        std::string define = "IDA_"; // "IDA_" and the name in capitals
    };
    mutable DefineName m_lastDefine;
    struct IndexDigits {
        std::int32_t number = 0;
        std::string digits = "0";
    };
    mutable IndexDigits m_lastIndex;

    static constexpr std::size_t MAX_CACHED_NAMES = 4096;
    mutable std::unordered_map<std::string, KeywordId, NameHash, std::equal_to<>> m_keywordOf;
    static constexpr std::size_t MAX_CACHED_LINES = 4096;
    static constexpr std::size_t MAX_CACHED_LINE_LENGTH = 4096;
    // Plans by line start, per file text; the text is kept so that its address names it alone.
    struct ContentPlans {
        TemplateReader::Content content;
        std::unordered_map<std::int64_t, LinePlan> lines;
        std::unordered_map<std::int64_t, DirectivePlan> directives;
        // The "filesection:" lines in file order: line start and name (none: no name to read).
        std::optional<std::vector<std::pair<std::int64_t, std::optional<std::string>>>> sections;
    };
    static constexpr std::size_t MAX_CACHED_CONTENTS = 8;
    mutable std::vector<std::unique_ptr<ContentPlans>> m_contentPlans;
    // Null for a reader without text.
    ContentPlans* plansOf(const TemplateReader& reader) const;
    // The plan of a reader's current line in one of its text's plan maps, worked out by analyse
    // the first time; a long line, or a reader without text, gets it worked out into scratch.
    template <class Plan, class Analyse>
    const Plan& keptPlan(std::unordered_map<std::int64_t, Plan> ContentPlans::*kept,
                         const TemplateReader& reader, Plan& scratch, Analyse analyse) const {
        const std::string_view line = reader.line();
        ContentPlans* plans = line.size() > MAX_CACHED_LINE_LENGTH ? nullptr : plansOf(reader);
        if (!plans) {
            scratch = analyse(line);
            return scratch;
        }
        auto& map = plans->*kept;
        if (const auto found = map.find(reader.lineStart()); found != map.end())
            return found->second;
        if (map.size() >= MAX_CACHED_LINES)
            map.clear();
        return map.emplace(reader.lineStart(), analyse(line)).first->second;
    }
};

} // namespace vantrel
