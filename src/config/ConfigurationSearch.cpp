#include "config/ConfigurationSearch.h"

#include "config/Configuration.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include <sys/stat.h>
#include <unistd.h>

namespace vantrel {
namespace {

// The search runs at every start, mostly to find vantrel.cfg in the working folder at once:
// plain strings and system calls keep it to a few microseconds.
std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

// The folder of the running program, as the system resolved it; empty where it cannot tell.
std::string programFolder() {
    char buffer[4096];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof buffer)
        return {};
    std::string path(buffer, static_cast<std::size_t>(length));
    path.erase(path.rfind('/'));
    return path;
}

bool exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// Hands the candidates in order to taken(), each made only when the one before it was not
// taken, and gives the first that is.
template <typename Taken>
ConfigurationChoice visitCandidates(const ConfigurationPlaces& places, Taken taken) {
    ConfigurationChoice candidate{ConfigurationOrigin::Option, places.option};
    if (!places.option.empty())
        return taken(candidate) ? candidate : ConfigurationChoice{};
    candidate = {ConfigurationOrigin::WorkingFolder, std::string(CONFIG_FILE_NAME)};
    if (taken(candidate))
        return candidate;
    // A relative $XDG_CONFIG_HOME is to be ignored, as if it were unset.
    std::string userFolder;
    if (places.xdgConfigHome.starts_with('/'))
        userFolder = places.xdgConfigHome;
    else if (!places.home.empty())
        userFolder = places.home + "/.config";
    if (!userFolder.empty()) {
        candidate = {ConfigurationOrigin::User,
                     userFolder.append("/vantrel/").append(CONFIG_FILE_NAME)};
        if (taken(candidate))
            return candidate;
    }
    candidate = {ConfigurationOrigin::Sample, places.sample ? places.sample() : std::string()};
    if (!candidate.path.empty() && taken(candidate))
        return candidate;
    return {};
}

} // namespace

ConfigurationPlaces configurationPlaces(std::string option) {
    ConfigurationPlaces places;
    places.option = std::move(option);
    places.xdgConfigHome = environmentValue("XDG_CONFIG_HOME");
    places.home = environmentValue("HOME");
    places.sample = [] {
        const std::string folder = programFolder();
        return folder.empty() ? folder : installedSampleConfiguration(folder);
    };
    return places;
}

std::string installedSampleConfiguration(std::string_view programFolder) {
    // The build gives the sample's folder relative to the program's, so that an installation
    // finds its sample wherever it was put. Its ".." steps are taken here, so the path shown is
    // the plain one.
    std::string path(programFolder);
    std::string_view steps = VANTREL_SAMPLE_FROM_PROGRAM;
    while (!steps.empty()) {
        const std::size_t slash = steps.find('/');
        const std::string_view step = steps.substr(0, slash);
        steps.remove_prefix(slash == std::string_view::npos ? steps.size() : slash + 1);
        if (step == "..")
            path.erase(std::min(path.size(), path.rfind('/')));
        else if (!step.empty() && step != ".")
            path.append("/").append(step);
    }
    return path.append("/").append(CONFIG_FILE_NAME);
}

std::vector<ConfigurationChoice> configurationCandidates(const ConfigurationPlaces& places) {
    std::vector<ConfigurationChoice> candidates;
    visitCandidates(places, [&candidates](const ConfigurationChoice& candidate) {
        candidates.push_back(candidate);
        return false;
    });
    return candidates;
}

ConfigurationChoice findConfiguration(const ConfigurationPlaces& places) {
    return visitCandidates(places, [](const ConfigurationChoice& candidate) {
        return candidate.origin == ConfigurationOrigin::Option || exists(candidate.path);
    });
}

} // namespace vantrel
