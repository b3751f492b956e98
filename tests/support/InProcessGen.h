#pragma once

// vantrel-gen run in the test's own process, as a user's command line runs it.
#include "cli/GenCommand.h"

#include <exception>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// One in-process run of vantrel-gen into the disk; an exception that escapes it ends as
// status -1 with its text in err, so that one bad run does not end the whole test.
struct GenResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline GenResult runGen(const std::vector<std::string>& arguments) {
    const std::vector<std::string_view> views(arguments.begin(), arguments.end());
    std::ostringstream out;
    std::ostringstream err;
    GenResult result;
    try {
        result.status = runVantrelGen(views, out, err);
    } catch (const std::exception& exception) {
        err << "exception: " << exception.what() << '\n';
    } catch (...) {
        err << "exception of an unknown type\n";
    }
    result.out = out.str();
    result.err = err.str();
    return result;
}

} // namespace vantrel
