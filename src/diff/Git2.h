#pragma once

#include <git2.h>

#include <initializer_list>
#include <string>

namespace vantrel::git2 {

// The few functions of the version-control library that comparing and merging texts need. The
// library is loaded the first time they are asked for, not when the program starts: loading it
// and what it links costs a run of vantrel-gen several times its whole start-up.
struct Functions {
    int (*patchFromBuffers)(git_patch**, const void*, size_t, const char*, const void*, size_t,
                            const char*, const git_diff_options*);
    int (*patchToBuf)(git_buf*, git_patch*);
    void (*patchFree)(git_patch*);
    void (*bufDispose)(git_buf*);
    int (*mergeFile)(git_merge_file_result*, const git_merge_file_input*,
                     const git_merge_file_input*, const git_merge_file_input*,
                     const git_merge_file_options*);
    void (*mergeFileResultFree)(git_merge_file_result*);
};

// Null when the library cannot be loaded.
const Functions* functions();
// Why the library could not be loaded: its name and the system's reason. Empty when it was.
const std::string& problem();
// Loads the library under the first of the names that loads; null, with why, when none does.
const Functions* loadFrom(std::initializer_list<const char*> names, std::string& why);

} // namespace vantrel::git2
