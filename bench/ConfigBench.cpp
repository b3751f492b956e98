// Micro-benchmark of the configuration tokenizer: a whole file of settings, extra settings and
// comment lines read as the start-up does.

#include "config/Configuration.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace vantrel;

class NullSink : public MessageSink {
public:
    void showMessage(ErrorKind, const std::string&) override {}
};

std::string writeConfiguration(int extraCount) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / "vantrel-config-bench.cfg";
    std::ofstream file(path, std::ios::binary);
    file << "; a configuration as an installation ships it\n"
            "workdirectory = \"..\\projects\"\n"
            "defaultprojectname = \"Demo\"\n"
            "keltemplate = \"scripts\\kel.vts\"\n"
            "dovtemplate = \"scripts\\dov.vts\"\n"
            "templatedirectory = \"templates\"\n"
            "piinc = \"kit\\pi.h\"\n"
            "kelpiinc = \"kit\\kelpi.h\"\n";
    for (int i = 0; i < extraCount; ++i)
        file << "EXTRA" << i << " = \"value number " << i << "\", \"second, " << i << "\"\n"
             << "; comment line " << i << " with = signs, \"quotes\" and ; semicolons\n";
    return path.string();
}

void configurationTokenizer(benchmark::State& state) {
    const int extraCount = static_cast<int>(state.range(0));
    const std::string path = writeConfiguration(extraCount);
    NullSink sink;
    for (auto _ : state) {
        ProjectState project;
        readConfiguration(project, sink, path);
        benchmark::DoNotOptimize(project.extraSettings.data());
    }
    state.SetItemsProcessed(state.iterations() * (8 + 2 * extraCount));
    std::remove(path.c_str());
}
BENCHMARK(configurationTokenizer)->Arg(16)->Arg(256);

} // namespace
