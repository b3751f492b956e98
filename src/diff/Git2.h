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
    // Recording a conflict's stages in a work tree's index.
    int (*repositoryOpenExt)(git_repository**, const char*, unsigned int, const char*);
    void (*repositoryFree)(git_repository*);
    int (*repositoryIsBare)(const git_repository*);
    const char* (*repositoryWorkdir)(const git_repository*);
    const char* (*repositoryPath)(const git_repository*);
    int (*repositoryIndex)(git_index**, git_repository*);
    void (*indexFree)(git_index*);
    int (*indexRead)(git_index*, int);
    int (*indexWrite)(git_index*);
    int (*indexConflictAdd)(git_index*, const git_index_entry*, const git_index_entry*,
                            const git_index_entry*);
    int (*blobCreateFromBuffer)(git_oid*, git_repository*, const void*, size_t);
    const git_error* (*errorLast)();
};

// Null when the library cannot be loaded.
const Functions* functions();
// Why the library could not be loaded: its name and the system's reason. Empty when it was.
const std::string& problem();
// Loads the library under the first of the names that loads; null, with why, when none does.
const Functions* loadFrom(std::initializer_list<const char*> names, std::string& why);

} // namespace vantrel::git2
