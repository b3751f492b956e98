#include "config/ConfigurationSearch.h"

#include "config/Configuration.h"

#include <cstdlib>
#include <filesystem>

namespace vantrel {
namespace {

namespace fs = std::filesystem;

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

// The folder of the running program, as the system resolved it; empty where it cannot tell.
std::string programFolder() {
    std::error_code error;
    const fs::path program = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : program.parent_path().string();
}

bool exists(const std::string& path) {
    std::error_code error;
    return fs::exists(path, error);
}

} // namespace

ConfigurationPlaces configurationPlaces(std::string option) {
    ConfigurationPlaces places;
    places.option = std::move(option);
    places.xdgConfigHome = environmentValue("XDG_CONFIG_HOME");
    places.home = environmentValue("HOME");
    if (const std::string folder = programFolder(); !folder.empty())
        places.sample = installedSampleConfiguration(folder);
    return places;
}

std::string installedSampleConfiguration(std::string_view programFolder) {
    // The build gives the sample's folder relative to the program's, so that an installation
    // finds its sample wherever it was put.
    const fs::path path = fs::path(programFolder) / VANTREL_SAMPLE_FROM_PROGRAM / CONFIG_FILE_NAME;
    return path.lexically_normal().string();
}

std::vector<ConfigurationChoice> configurationCandidates(const ConfigurationPlaces& places) {
    if (!places.option.empty())
        return {{ConfigurationOrigin::Option, places.option}};
    std::vector<ConfigurationChoice> candidates{
        {ConfigurationOrigin::WorkingFolder, std::string(CONFIG_FILE_NAME)}};
    // A relative $XDG_CONFIG_HOME is to be ignored, as if it were unset.
    fs::path userFolder;
    if (fs::path(places.xdgConfigHome).is_absolute())
        userFolder = places.xdgConfigHome;
    else if (!places.home.empty())
        userFolder = fs::path(places.home) / ".config";
    if (!userFolder.empty())
        candidates.push_back(
            {ConfigurationOrigin::User, (userFolder / "vantrel" / CONFIG_FILE_NAME).string()});
    if (!places.sample.empty())
        candidates.push_back({ConfigurationOrigin::Sample, places.sample});
    return candidates;
}

ConfigurationChoice findConfiguration(const ConfigurationPlaces& places) {
    for (ConfigurationChoice& candidate : configurationCandidates(places)) {
        if (candidate.origin == ConfigurationOrigin::Option || exists(candidate.path))
            return std::move(candidate);
    }
    return {};
}

} // namespace vantrel
