// Micro-benchmarks of the engine's hot paths: keyword lookup, text-line expansion and
// directive processing, on the project shape the workload of scripts/bench uses.

#include "engine/Engine.h"
#include "engine/Keywords.h"
#include "engine/TemplateReader.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using namespace vantrel;

class NullSink : public MessageSink {
public:
    void showMessage(ErrorKind, const std::string&) override {}
};

ProjectState benchProject(int actionCount) {
    ProjectState project;
    project.kelHost = 1;
    project.projectName = "BenchWorkloadPlugin";
    project.dllFlags = 2;
    project.extraSettings.push_back({"COMPANY", "Workload Plug-in Works", "(C) Workload"});
    for (int i = 0; i < actionCount; ++i) {
        ActionDefinition action;
        action.setActionDefaults("WorkloadAction" + std::to_string(i));
        action.flags = ACF_PROC_EXECUTE | ACF_MENU | ACF_TOOLBAR | ACF_PANEL_DIALOG | ACF_CB_STATUS;
        action.menu = "Workload\\Group\\Action " + std::to_string(i);
        action.tbName = "Tool " + std::to_string(i);
        project.appendAction(action);
    }
    project.selectAction(0);
    return project;
}

void keywordLookup(benchmark::State& state) {
    // Delimited names as text lines hold them, bare ones as conditions do, and misses.
    const std::vector<std::string> words = {"%PROJECTNAME%", "%ACDF_CBPROC_MS_MOVE%",
                                            "%acdf_idxdef%", "CREATE_PANEL",
                                            "DOV",           "ACDF_PROC_EXECUTE",
                                            "%COMPANY%",     "%not a keyword%",
                                            "% of %",        "ALL_ACTIONS"};
    for (auto _ : state) {
        for (const std::string& word : words)
            benchmark::DoNotOptimize(lookupKeyword(word));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(words.size()));
}
BENCHMARK(keywordLookup);

void lineExpansion(benchmark::State& state) {
    ProjectState project = benchProject(4);
    NullSink sink;
    Engine generator(project, sink);
    const std::vector<std::string> lines = {
        "    /* name */ %ACDF_NAME%, /* index */ %ACDF_IDX%, /* define */ \"%ACDF_IDXDEF%\", "
        "/* project */ \"%PROJECTNAME%\", /* type */ %ACDF_TYP%, /* flags */ %ACDF_FLAGS%\n",
        "// %COMPANY%. Menu entry %ACDF_MENU%, toolbar %ACDF_TB_NAME% with picture "
        "%ACDF_TB_PIC%.\n",
        "50% of %PROJECTNAME% and 100% of nothing\n",
        "int main(void) { return 0; }\n",
    };
    std::int64_t bytes = 0;
    for (auto _ : state) {
        for (const std::string& line : lines) {
            const std::string expanded = generator.expander().expandLine(line);
            bytes += static_cast<std::int64_t>(expanded.size());
            benchmark::DoNotOptimize(expanded.data());
        }
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(lineExpansion);

// A loop over the actions with conditions on both branches, as a header section has it.
void directiveProcessing(benchmark::State& state) {
    const int actionCount = static_cast<int>(state.range(0));
    ProjectState project = benchProject(actionCount);
    NullSink sink;
    Engine generator(project, sink);
    TemplateReader reader;
    reader.openText("@FOR 0 TO ALL_ACTIONS\n"
                    "@IFDEF ACDF_PROC_EXECUTE,ACDF_PROC_CLOSE\n"
                    "text\n"
                    "@ENDIF\n"
                    "@IFNDEF CREATE_PANEL+USING_INDIV_INT_OBJ\n"
                    "@IFDEF KEL\n"
                    "text\n"
                    "@ENDIF\n"
                    "@ENDIF\n"
                    "@ENDFOR\n");
    for (auto _ : state) {
        generator.directives().state().reset();
        reader.rewind();
        while (reader.readLine()) {
            if (reader.line().front() == '@' &&
                !generator.directives().processDirectiveLine(reader)) {
                state.SkipWithError("directive refused");
                return;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * actionCount);
}
BENCHMARK(directiveProcessing)->Arg(100);

} // namespace
