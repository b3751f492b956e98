#include "cli/CheckRun.h"
#include "cli/CommandLine.h"
#include "cli/GenCommand.h"

#include <csignal>
#include <iostream>
#include <string_view>
#include <vector>

int main(int argc, char* argv[]) {
    using namespace vantrel;
#ifdef SIGXFSZ
    // Past a file-size limit a write fails and is reported, instead of the signal ending the run.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    return runVantrelGen(arguments, std::cout, std::cerr);
}
