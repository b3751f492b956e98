#include "Git2.h"

#include <dlfcn.h>
#include <initializer_list>

namespace vantrel::git2 {

namespace {

template <class Function>
bool bind(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(::dlsym(library, name));
    return function != nullptr;
}

} // namespace

const Functions* loadFrom(std::initializer_list<const char*> names, std::string& why) {
    static Functions loaded{};
    void* library = nullptr;
    for (const char* name : names) {
        library = ::dlopen(name, RTLD_NOW | RTLD_LOCAL);
        if (library)
            break;
        if (why.empty()) {
            const char* reason = ::dlerror();
            why = reason ? reason : name;
        }
    }
    if (!library)
        return nullptr;
    why.clear();
    int (*init)() = nullptr;
    if (!bind(library, "git_libgit2_init", init) ||
        !bind(library, "git_patch_from_buffers", loaded.patchFromBuffers) ||
        !bind(library, "git_patch_to_buf", loaded.patchToBuf) ||
        !bind(library, "git_patch_free", loaded.patchFree) ||
        !bind(library, "git_buf_dispose", loaded.bufDispose) ||
        !bind(library, "git_merge_file", loaded.mergeFile) ||
        !bind(library, "git_merge_file_result_free", loaded.mergeFileResultFree) ||
        !bind(library, "git_repository_open_ext", loaded.repositoryOpenExt) ||
        !bind(library, "git_repository_free", loaded.repositoryFree) ||
        !bind(library, "git_repository_is_bare", loaded.repositoryIsBare) ||
        !bind(library, "git_repository_workdir", loaded.repositoryWorkdir) ||
        !bind(library, "git_repository_path", loaded.repositoryPath) ||
        !bind(library, "git_repository_index", loaded.repositoryIndex) ||
        !bind(library, "git_index_free", loaded.indexFree) ||
        !bind(library, "git_index_read", loaded.indexRead) ||
        !bind(library, "git_index_write", loaded.indexWrite) ||
        !bind(library, "git_index_conflict_add", loaded.indexConflictAdd) ||
        !bind(library, "git_blob_create_from_buffer", loaded.blobCreateFromBuffer) ||
        !bind(library, "git_error_last", loaded.errorLast) || init() < 0) {
        why = "the version-control library lacks what merging needs";
        return nullptr;
    }
    // Kept loaded for the rest of the run: the functions are used until the program ends.
    return &loaded;
}

namespace {

std::string& loadProblem() {
    static std::string why;
    return why;
}

} // namespace

const Functions* functions() {
    static const Functions* const loaded =
        loadFrom({"libgit2.so.1.5", "libgit2.so"}, loadProblem());
    return loaded;
}

const std::string& problem() {
    functions();
    return loadProblem();
}

} // namespace vantrel::git2
