#pragma once

#include "model/ProjectState.h"
#include "report/ErrorReporter.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

inline constexpr std::string_view CONFIG_FILE_NAME = "vantrel.cfg";

// Reads the configuration file (by default vantrel.cfg in the current working folder) into the
// settings, nameText, locationBase, locationText and extraSettings of the project. A missing
// file is reported as ERR_CONFIG_OPEN, which shows nothing; false then, so that a caller can
// say that the built-in settings hold.
bool readConfiguration(ProjectState& project, MessageSink& sink,
                       std::string_view path = CONFIG_FILE_NAME);

// Reads a configuration file's bytes, held in memory, exactly as readConfiguration reads the
// file (a byte-order mark dropped, "\r\n" taken as "\n").
void readConfigurationBytes(ProjectState& project, std::string bytes);

// What the reader took one line of a configuration for, for tools that check the file.
struct ConfigurationLine {
    enum class Kind {
        Comment,      // neither a setting nor a new extra setting: nothing was read from it
        Setting,      // a setting's key
        ExtraSetting, // a new extra setting
    };
    Kind kind = Kind::Comment;
    std::size_t number = 0;    // counted from 1
    std::string key;           // the first word; empty when the line has none
    std::size_t keyColumn = 0; // counted from 1; 0 without a key
    bool assigns = false;      // "=" follows the key
    bool valueRead = false;    // a setting took a quoted value (otherwise it kept its value)
};

// Reads the text of a configuration into the project as readConfiguration reads a file's, and
// lists what each line was taken for.
std::vector<ConfigurationLine> readConfigurationText(ProjectState& project, std::string_view text);

} // namespace vantrel
