#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// Where a run's configuration comes from, in the order the places are tried.
enum class ConfigurationOrigin {
    Option,        // --config FILE
    WorkingFolder, // vantrel.cfg in the working folder
    User,          // vantrel/vantrel.cfg below the user's configuration folder
    Sample,        // the sample installed with the program
    None,          // nothing found: the built-in settings
};

struct ConfigurationChoice {
    ConfigurationOrigin origin = ConfigurationOrigin::None;
    std::string path; // the file to read; empty for None
};

// What the search looks at, given rather than read here, so that it can be tried without the
// real home folder or an installation.
struct ConfigurationPlaces {
    std::string option;        // --config FILE; empty when not given
    std::string xdgConfigHome; // $XDG_CONFIG_HOME; empty when unset
    std::string home;          // $HOME; empty when unset
    // The installed sample's configuration, empty when not known. Asked for only when the
    // search gets that far: a program finds it through a look at its own file, which costs
    // more than the rest of the search.
    std::function<std::string()> sample;
};

// The places of this process: the option, its environment and the sample beside the program.
ConfigurationPlaces configurationPlaces(std::string option);

// The sample configuration installed with a program that lies in programFolder.
std::string installedSampleConfiguration(std::string_view programFolder);

// The files the search tries, in order: the option alone when it is given; otherwise vantrel.cfg
// in the working folder, the user's file (below $XDG_CONFIG_HOME when that is absolute, else
// below ~/.config) and the installed sample, each that is known.
std::vector<ConfigurationChoice> configurationCandidates(const ConfigurationPlaces& places);

// The first candidate that exists. The option is taken whether or not it does: the reader says
// when it cannot be opened.
ConfigurationChoice findConfiguration(const ConfigurationPlaces& places);

} // namespace vantrel
