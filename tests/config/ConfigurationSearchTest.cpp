#include "config/ConfigurationSearch.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace vantrel {
namespace {

// The places as text, the sample's too.
struct PlacesText {
    std::string option;
    std::string xdgConfigHome;
    std::string home;
    std::string sample;
};

// Every case runs in a temporary folder with the working folder "work" in it; "$T" in a place
// or a path stands for that folder, so the real home folder and installation stay out of it.
struct SearchCase {
    const char* name;
    std::vector<const char*> files; // below the temporary folder
    PlacesText places;
    ConfigurationOrigin origin;
    std::string path;
    std::vector<std::string> candidates;
};

void PrintTo(const SearchCase& c, std::ostream* os) {
    *os << c.name;
}

std::string expand(std::string text, const std::string& root) {
    for (std::size_t at = text.find("$T"); at != std::string::npos; at = text.find("$T"))
        text.replace(at, 2, root);
    return text;
}

class ConfigurationSearch : public testing::TestWithParam<SearchCase> {};

TEST_P(ConfigurationSearch, TakesTheFirstPlaceThatHoldsAFile) {
    const SearchCase& c = GetParam();
    const TempFolder tmp;
    const std::string root = tmp.path().string();
    tmp.write("work/.keep", "");
    for (const char* file : c.files)
        tmp.write(file, "defaultprojectname = \"Found\"\n");
    ConfigurationPlaces places{expand(c.places.option, root), expand(c.places.xdgConfigHome, root),
                               expand(c.places.home, root), nullptr};
    const std::string sample = expand(c.places.sample, root);
    int sampleLookups = 0;
    places.sample = [&] {
        ++sampleLookups;
        return sample;
    };
    const WorkingFolder cwd(tmp.path() / "work");

    const ConfigurationChoice choice = findConfiguration(places);
    EXPECT_EQ(choice.origin, c.origin);
    EXPECT_EQ(choice.path, expand(c.path, root));
    // Only a search that gets past the user's file looks for the sample.
    const bool pastTheUser =
        c.origin == ConfigurationOrigin::Sample || c.origin == ConfigurationOrigin::None;
    EXPECT_EQ(sampleLookups, pastTheUser ? 1 : 0);
    std::vector<std::string> candidates;
    for (const ConfigurationChoice& candidate : configurationCandidates(places))
        candidates.push_back(candidate.path);
    std::vector<std::string> expected;
    for (const std::string& candidate : c.candidates)
        expected.push_back(expand(candidate, root));
    EXPECT_EQ(candidates, expected);
}

const PlacesText ALL_PLACES{"", "$T/xdg", "$T/home", "$T/share/sample/vantrel.cfg"};
const std::vector<std::string> ALL_CANDIDATES{"vantrel.cfg", "$T/xdg/vantrel/vantrel.cfg",
                                              "$T/share/sample/vantrel.cfg"};
const std::vector<const char*> EVERY_FILE{"work/vantrel.cfg", "xdg/vantrel/vantrel.cfg",
                                          "home/.config/vantrel/vantrel.cfg",
                                          "share/sample/vantrel.cfg"};

INSTANTIATE_TEST_SUITE_P(
    Order, ConfigurationSearch,
    testing::Values(
        SearchCase{"OptionAloneEvenWhenAbsent",
                   EVERY_FILE,
                   {"site.cfg", "$T/xdg", "$T/home", "$T/share/sample/vantrel.cfg"},
                   ConfigurationOrigin::Option,
                   "site.cfg",
                   {"site.cfg"}},
        SearchCase{"WorkingFolderBeforeEverythingElse", EVERY_FILE, ALL_PLACES,
                   ConfigurationOrigin::WorkingFolder, "vantrel.cfg", ALL_CANDIDATES},
        SearchCase{"UserFileBelowXdgConfigHome",
                   {"xdg/vantrel/vantrel.cfg", "home/.config/vantrel/vantrel.cfg",
                    "share/sample/vantrel.cfg"},
                   ALL_PLACES,
                   ConfigurationOrigin::User,
                   "$T/xdg/vantrel/vantrel.cfg",
                   ALL_CANDIDATES},
        SearchCase{"SetXdgConfigHomeHidesTheHomeFolder",
                   {"home/.config/vantrel/vantrel.cfg", "share/sample/vantrel.cfg"},
                   ALL_PLACES,
                   ConfigurationOrigin::Sample,
                   "$T/share/sample/vantrel.cfg",
                   ALL_CANDIDATES},
        SearchCase{
            "HomeConfigWhenXdgConfigHomeIsUnset",
            {"home/.config/vantrel/vantrel.cfg", "share/sample/vantrel.cfg"},
            {"", "", "$T/home", "$T/share/sample/vantrel.cfg"},
            ConfigurationOrigin::User,
            "$T/home/.config/vantrel/vantrel.cfg",
            {"vantrel.cfg", "$T/home/.config/vantrel/vantrel.cfg", "$T/share/sample/vantrel.cfg"}},
        SearchCase{"RelativeXdgConfigHomeCountsAsUnset",
                   {"work/xdg/vantrel/vantrel.cfg", "home/.config/vantrel/vantrel.cfg"},
                   {"", "xdg", "$T/home", ""},
                   ConfigurationOrigin::User,
                   "$T/home/.config/vantrel/vantrel.cfg",
                   {"vantrel.cfg", "$T/home/.config/vantrel/vantrel.cfg"}},
        SearchCase{"InstalledSampleLast",
                   {"share/sample/vantrel.cfg"},
                   ALL_PLACES,
                   ConfigurationOrigin::Sample,
                   "$T/share/sample/vantrel.cfg",
                   ALL_CANDIDATES},
        SearchCase{"NothingFound", {}, ALL_PLACES, ConfigurationOrigin::None, "", ALL_CANDIDATES},
        SearchCase{"NoHomeAndNoSampleLeaveTheWorkingFolder",
                   {"home/.config/vantrel/vantrel.cfg"},
                   {},
                   ConfigurationOrigin::None,
                   "",
                   {"vantrel.cfg"}}),
    [](const testing::TestParamInfo<SearchCase>& info) { return std::string(info.param.name); });

TEST(InstalledSample, LiesBesideTheProgramsFolderNormalised) {
    const std::string sample = installedSampleConfiguration("/opt/v/bin");
    EXPECT_TRUE(sample.starts_with("/opt/v/")) << sample;
    EXPECT_TRUE(sample.ends_with("/vantrel/sample/vantrel.cfg")) << sample;
    EXPECT_EQ(sample.find(".."), std::string::npos) << sample;
}

} // namespace
} // namespace vantrel
