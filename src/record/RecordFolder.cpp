#include "record/RecordFolder.h"

#include "fileutil/ExistingFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vantrel {
namespace {

constexpr std::string_view MANIFEST_FILE = "manifest.txt";
constexpr std::string_view INPUTS_FOLDER = "inputs";
// A folder of a record being written; one left behind by an interrupted run goes next time.
constexpr std::string_view PARTIAL_PREFIX = ".vantrel-record-";

// Bounds on what a record's files may hold: a record past them is no record of ours.
constexpr std::size_t MAX_MANIFEST = std::size_t{256} << 20;
constexpr std::size_t MAX_TEXT = std::size_t{64} << 20;

class Descriptor {
public:
    explicit Descriptor(int fd = -1)
        : m_fd(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    // Closes it, saying whether the close went well (a write may fail only then).
    bool close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

std::string errorText() {
    return std::strerror(errno);
}

// A plain file in a folder, never through a link, of at most limit bytes.
bool readAt(int folder, const std::string& name, std::size_t limit, std::string& text,
            std::string& why) {
    Descriptor file(::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat info {};
    if (!file || ::fstat(file.get(), &info) != 0) {
        why = name + ": " + errorText();
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        why = name + ": no plain file";
        return false;
    }
    if (static_cast<std::uint64_t>(info.st_size) > limit) {
        why = name + ": too large";
        return false;
    }
    text.clear();
    text.reserve(static_cast<std::size_t>(info.st_size));
    if (!readAll(file.get(), text)) {
        why = name + ": " + errorText();
        return false;
    }
    return true;
}

// A new file in a folder, its bytes handed over by a writer in pieces.
bool writeAt(int folder, const std::string& name, const PieceWriter& writer, std::string& why) {
    Descriptor file(
        ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!file) {
        why = name + ": " + errorText();
        return false;
    }
    const auto put = [&file](std::string_view piece) {
        return writeAll(file.get(), piece);
    };
    if (!writer(put) || !file.close()) {
        why = name + ": " + errorText();
        return false;
    }
    return true;
}

bool writeAt(int folder, const std::string& name, std::string_view bytes, std::string& why) {
    return writeAt(
        folder, name, [bytes](const TextSink& put) { return put(bytes); }, why);
}

std::string inputName(ContentHash hash) {
    return hashText(hash) + ".txt";
}

// A new folder of a partial record, named as mkdtemp names its folders but with the usual
// permissions: a record is no secret, and the umask is no business of a thread.
std::optional<std::string> makeFreshFolder(const std::string& projectFolder) {
    static constexpr std::string_view LETTERS =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string fresh = projectFolder + "/" + std::string(PARTIAL_PREFIX);
        for (int i = 0; i < 6; ++i)
            fresh += LETTERS[random() % LETTERS.size()];
        if (::mkdir(fresh.c_str(), 0777) == 0)
            return fresh;
        if (errno != EEXIST)
            return std::nullopt;
    }
    return std::nullopt;
}

void removeTree(const std::filesystem::path& path) {
    // Links inside are removed, never followed.
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

// Puts the new record folder in the old one's place in one step; without an old one, a rename.
bool putInPlace(const std::string& fresh, const std::string& place, bool replacing,
                std::string& why) {
    if (!replacing) {
        if (::rename(fresh.c_str(), place.c_str()) == 0)
            return true;
        why = errorText();
        return false;
    }
#ifdef RENAME_EXCHANGE
    if (::renameat2(AT_FDCWD, fresh.c_str(), AT_FDCWD, place.c_str(), RENAME_EXCHANGE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) {
        why = errorText();
        return false;
    }
#endif
    // A file system that cannot exchange: the old record goes aside for a moment.
    const std::string aside = fresh + "-old";
    if (::rename(place.c_str(), aside.c_str()) != 0 ||
        ::rename(fresh.c_str(), place.c_str()) != 0) {
        why = errorText();
        ::rename(aside.c_str(), place.c_str());
        return false;
    }
    ::rename(aside.c_str(), fresh.c_str());
    return true;
}

} // namespace

void removePartialRecords(const std::string& projectFolder, const std::string& keep) {
    DIR* folder = ::opendir(projectFolder.c_str());
    if (!folder)
        return;
    const std::string_view kept = std::string_view(keep).substr(keep.rfind('/') + 1);
    std::vector<std::string> partial;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string_view name(entry->d_name);
        if (name.starts_with(PARTIAL_PREFIX) && name != kept)
            partial.emplace_back(name);
    }
    ::closedir(folder);
    for (const std::string& name : partial)
        removeTree(std::filesystem::path(projectFolder) / name);
}

RecordState readRecord(const std::string& projectFolder, Record& record, std::string& why) {
    const std::string place = projectFolder + "/" + std::string(RECORD_FOLDER);
    struct stat info {};
    if (::lstat(place.c_str(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? RecordState::Absent : RecordState::Damaged;
    if (!S_ISDIR(info.st_mode)) {
        why = "no folder";
        return RecordState::Damaged;
    }
    Descriptor folder(::open(place.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder) {
        why = errorText();
        return RecordState::Damaged;
    }
    std::string manifestBytes;
    if (!readAt(folder.get(), std::string(MANIFEST_FILE), MAX_MANIFEST, manifestBytes, why) ||
        !readAt(folder.get(), std::string(RECORD_ANSWERS), MAX_TEXT, record.answers, why))
        return RecordState::Damaged;
    std::string manifestWhy;
    std::optional<Manifest> manifest = readManifest(manifestBytes, manifestWhy);
    if (!manifest) {
        why = std::string(MANIFEST_FILE) + ", " + manifestWhy;
        return RecordState::Damaged;
    }
    record.manifest = std::move(*manifest);
    record.inputTexts.clear();
    if (!record.manifest.inputs.empty()) {
        Descriptor inputs(::openat(folder.get(), std::string(INPUTS_FOLDER).c_str(),
                                   O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!inputs) {
            why = std::string(INPUTS_FOLDER) + ": " + errorText();
            return RecordState::Damaged;
        }
        for (const Manifest::Input& input : record.manifest.inputs) {
            if (record.inputTexts.contains(input.hash))
                continue;
            std::string text;
            const std::string name = inputName(input.hash);
            if (!readAt(inputs.get(), name, MAX_TEXT, text, why)) {
                why = std::string(INPUTS_FOLDER) + "/" + why;
                return RecordState::Damaged;
            }
            if (contentHash(text) != input.hash) {
                why = std::string(INPUTS_FOLDER) + "/" + name + ": not the bytes the run read";
                return RecordState::Damaged;
            }
            record.inputTexts.emplace(input.hash, std::move(text));
        }
    }
    return RecordState::Read;
}

std::optional<std::string> beginRecord(const std::string& projectFolder, const PieceWriter& answers,
                                       std::string& why) {
    std::optional<std::string> made = makeFreshFolder(projectFolder);
    if (!made) {
        why = projectFolder + "/" + std::string(RECORD_FOLDER) + ": " + errorText();
        return std::nullopt;
    }
    const std::string& fresh = *made;
    Descriptor folder(::open(fresh.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    std::string problem = folder ? std::string() : errorText();
    if (folder && writeAt(folder.get(), std::string(RECORD_ANSWERS), answers, problem))
        return fresh;
    why = projectFolder + "/" + std::string(RECORD_FOLDER) + ": " + problem;
    removeTree(fresh);
    return std::nullopt;
}

bool completeRecord(const std::string& projectFolder, const std::string& fresh,
                    const Record& record, std::string& why) {
    const std::string place = projectFolder + "/" + std::string(RECORD_FOLDER);
    const auto fail = [&](std::string problem) {
        why = place + ": " + problem;
        removeTree(fresh);
        return false;
    };
    Descriptor folder(::open(fresh.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder)
        return fail(errorText());
    std::string problem;
    if (!record.manifest.inputs.empty()) {
        const std::string inputs(INPUTS_FOLDER);
        if (::mkdirat(folder.get(), inputs.c_str(), 0777) != 0)
            return fail(inputs + ": " + errorText());
        Descriptor inputFolder(::openat(folder.get(), inputs.c_str(),
                                        O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!inputFolder)
            return fail(inputs + ": " + errorText());
        for (const auto& [hash, text] : record.inputTexts) {
            if (!writeAt(inputFolder.get(), inputName(hash), text, problem))
                return fail(inputs + "/" + problem);
        }
    }
    // The manifest last: a folder without one is no record.
    const auto manifest = [&record](const TextSink& put) {
        return writeManifestText(record.manifest, put);
    };
    if (!writeAt(folder.get(), std::string(MANIFEST_FILE), manifest, problem))
        return fail(problem);
    // Whatever stands in the record's place, a link or a file too, is replaced; a link is
    // removed, never followed.
    struct stat info {};
    const bool replacing = ::lstat(place.c_str(), &info) == 0;
    if (!putInPlace(fresh, place, replacing, problem))
        return fail(problem);
    if (replacing)
        removeTree(fresh); // the old record, now in the new one's former place
    return true;
}

void discardRecord(const std::string& fresh) {
    removeTree(fresh);
}

bool writeRecord(const std::string& projectFolder, const Record& record, std::string& why) {
    const std::optional<std::string> fresh = beginRecord(
        projectFolder, [&record](const TextSink& put) { return put(record.answers); }, why);
    return fresh && completeRecord(projectFolder, *fresh, record, why);
}

} // namespace vantrel
