#include "record/RecordFolder.h"

#include "Descriptor.h"
#include "fileutil/TextFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vantrel {
namespace {

constexpr std::string_view MANIFEST_FILE = "manifest.txt";
constexpr std::string_view INPUTS_FOLDER = "inputs";
constexpr std::string_view BASES_FOLDER = "bases";
constexpr std::string_view LOCAL_FILE = "local.txt";
constexpr std::string_view IGNORE_FILE = ".gitignore";
constexpr std::string_view ATTRIBUTES_FILE = ".gitattributes";
// What version control is told: the machine-local files stay out, and two branches' manifests
// and answers join line by line (a reader takes two entries for one path, either proving its
// bytes; the answers keep an action to a line).
constexpr std::string_view IGNORE_TEXT = "local.txt\ntemporaries\n";
constexpr std::string_view ATTRIBUTES_TEXT = "manifest.txt merge=union\nproject.json merge=union\n";
// The names a record folder of this program holds; a folder with any other is not ours.
constexpr std::string_view RECORD_NAMES[] = {"manifest.txt",   "project.json", "inputs",
                                             "bases",          "local.txt",    ".gitignore",
                                             ".gitattributes", "temporaries"};
// A folder of a record being written; one left behind by an interrupted run goes next time.
constexpr std::string_view PARTIAL_PREFIX = ".vantrel-record-";

// Bounds on what a record's files may hold: a record past them is no record of ours.
constexpr std::size_t MAX_MANIFEST = std::size_t{256} << 20;
constexpr std::size_t MAX_TEXT = std::size_t{64} << 20;

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
    if (!readAll(file.get(), text, static_cast<std::size_t>(info.st_size))) {
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

// The names in a folder, or none when it cannot be listed.
std::optional<std::vector<std::string>> namesIn(int folder) {
    const int listed = ::dup(folder);
    DIR* listing = listed >= 0 ? ::fdopendir(listed) : nullptr;
    if (!listing) {
        if (listed >= 0)
            ::close(listed);
        return std::nullopt;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name(entry->d_name);
        if (name != "." && name != "..")
            names.emplace_back(name);
    }
    ::closedir(listing);
    return names;
}

// Whether a folder (no link) holds nothing but names a record folder holds.
bool holdsOnlyRecordNames(const std::string& path) {
    Descriptor folder(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    const std::optional<std::vector<std::string>> names =
        folder ? namesIn(folder.get()) : std::nullopt;
    return names && std::all_of(names->begin(), names->end(), [](const std::string& name) {
               return std::find(std::begin(RECORD_NAMES), std::end(RECORD_NAMES), name) !=
                      std::end(RECORD_NAMES);
           });
}

} // namespace

void removePartialRecords(const std::string& projectFolder) {
    DIR* folder = ::opendir(projectFolder.c_str());
    if (!folder)
        return;
    std::vector<std::string> partial;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string_view name(entry->d_name);
        if (name.starts_with(PARTIAL_PREFIX))
            partial.emplace_back(name);
    }
    ::closedir(folder);
    // A folder that merely bears the name, holding anything a record does not, is someone's.
    for (const std::string& name : partial)
        if (holdsOnlyRecordNames(projectFolder + "/" + name))
            removeTree(std::filesystem::path(projectFolder) / name);
}

namespace {

// Reads the texts of a folder of texts by hash, each checked against its name; the first
// problem goes into why.
void readTexts(int parent, std::string_view folderName,
               const std::function<void(ContentHash, std::string)>& take, std::string& why) {
    Descriptor folder(::openat(parent, std::string(folderName).c_str(),
                               O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder) {
        if (errno != ENOENT && why.empty())
            why = std::string(folderName) + ": " + errorText();
        return;
    }
    const std::optional<std::vector<std::string>> names = namesIn(folder.get());
    for (const std::string& name : names.value_or(std::vector<std::string>{})) {
        const std::optional<ContentHash> hash =
            name.ends_with(".txt") ? parseHash(std::string_view(name).substr(0, name.size() - 4))
                                   : std::nullopt;
        std::string text;
        std::string problem;
        if (!hash)
            continue;
        if (!readAt(folder.get(), name, MAX_TEXT, text, problem)) {
            if (why.empty())
                why = std::string(folderName) + "/" + problem;
            continue;
        }
        if (contentHash(text) != *hash) {
            if (why.empty())
                why = std::string(folderName) + "/" + name + ": not the bytes the run read";
            continue;
        }
        take(*hash, std::move(text));
    }
}

} // namespace

RecordState readRecord(const std::string& projectFolder, Record& record, std::string& why) {
    const std::string place = projectFolder + "/" + std::string(RECORD_FOLDER);
    struct stat info {};
    if (::lstat(place.c_str(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? RecordState::Absent : RecordState::Foreign;
    if (!S_ISDIR(info.st_mode)) {
        why = "no folder";
        return RecordState::Foreign;
    }
    Descriptor folder(::open(place.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    const std::optional<std::vector<std::string>> names =
        folder ? namesIn(folder.get()) : std::nullopt;
    if (!names) {
        why = errorText();
        return RecordState::Foreign;
    }
    for (const std::string& name : *names)
        if (std::find(std::begin(RECORD_NAMES), std::end(RECORD_NAMES), name) ==
            std::end(RECORD_NAMES)) {
            why = "it holds " + name + ", which is no part of a record";
            return RecordState::Foreign;
        }
    // A folder with neither manifest nor answers holds no record yet (only, say, the note of a
    // run's temporary files).
    if (std::find(names->begin(), names->end(), MANIFEST_FILE) == names->end() &&
        std::find(names->begin(), names->end(), RECORD_ANSWERS) == names->end())
        return RecordState::Absent;
    why.clear();
    std::string manifestBytes;
    std::string problem;
    if (readAt(folder.get(), std::string(MANIFEST_FILE), MAX_MANIFEST, manifestBytes, problem)) {
        ReadManifest read = readManifest(manifestBytes);
        record.manifest = std::move(read.manifest);
        record.manifestVersion = read.version;
        if (!read.why.empty())
            why = std::string(MANIFEST_FILE) + ", " + read.why;
    } else {
        why = problem;
    }
    std::string local;
    if (readAt(folder.get(), std::string(LOCAL_FILE), MAX_MANIFEST, local, problem) &&
        record.manifestVersion >= 3)
        applyLocalText(local, record.manifest);
    record.answersRead =
        readAt(folder.get(), std::string(RECORD_ANSWERS), MAX_TEXT, record.answers, problem);
    if (!record.answersRead && why.empty())
        why = problem;
    record.inputTexts.clear();
    readTexts(
        folder.get(), INPUTS_FOLDER,
        [&record](ContentHash hash, std::string text) {
            record.inputTexts.emplace(hash, std::move(text));
        },
        why);
    for (const Manifest::Input& input : record.manifest.inputs)
        if (!record.inputTexts.contains(input.hash) && why.empty())
            why = std::string(INPUTS_FOLDER) + "/" + inputName(input.hash) + ": missing";
    readTexts(
        folder.get(), BASES_FOLDER,
        [&record](ContentHash hash, std::string text) {
            record.baseTexts.emplace(hash, std::move(text));
        },
        why);
    return why.empty() ? RecordState::Read : RecordState::Damaged;
}

namespace {

bool writeTexts(int parent, std::string_view folderName, const auto& texts, std::string& problem) {
    if (texts.empty())
        return true;
    const std::string name(folderName);
    if (::mkdirat(parent, name.c_str(), 0777) != 0) {
        problem = name + ": " + errorText();
        return false;
    }
    Descriptor folder(
        ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder) {
        problem = name + ": " + errorText();
        return false;
    }
    for (const auto& [hash, text] : texts)
        if (!writeAt(folder.get(), inputName(hash), text, problem)) {
            problem = name + "/" + problem;
            return false;
        }
    return true;
}

} // namespace

bool writeRecord(const std::string& projectFolder, const Record& record, const PieceWriter& answers,
                 std::string& why) {
    const std::string place = projectFolder + "/" + std::string(RECORD_FOLDER);
    std::optional<std::string> made = makeFreshFolder(projectFolder);
    if (!made) {
        why = place + ": " + errorText();
        return false;
    }
    const std::string& fresh = *made;
    const auto fail = [&](std::string problem) {
        why = place + ": " + problem;
        removeTree(fresh);
        return false;
    };
    Descriptor folder(::open(fresh.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder)
        return fail(errorText());
    std::string problem;
    if (!writeAt(folder.get(), std::string(RECORD_ANSWERS), answers, problem) ||
        !writeTexts(folder.get(), INPUTS_FOLDER, record.inputTexts, problem) ||
        !writeTexts(folder.get(), BASES_FOLDER, record.baseTexts, problem) ||
        !writeAt(folder.get(), std::string(IGNORE_FILE), IGNORE_TEXT, problem) ||
        !writeAt(folder.get(), std::string(ATTRIBUTES_FILE), ATTRIBUTES_TEXT, problem) ||
        !writeAt(folder.get(), std::string(LOCAL_FILE), localText(record.manifest), problem))
        return fail(problem);
    // The manifest last: a folder without one is no record.
    const auto manifest = [&record](const TextSink& sink) {
        return writeManifest(record.manifest, sink);
    };
    if (!writeAt(folder.get(), std::string(MANIFEST_FILE), manifest, problem))
        return fail(problem);
    struct stat info {};
    const bool replacing = ::lstat(place.c_str(), &info) == 0;
    if (!putInPlace(fresh, place, replacing, problem))
        return fail(problem);
    if (replacing)
        removeTree(fresh); // the old record, now in the new one's former place
    return true;
}

} // namespace vantrel
