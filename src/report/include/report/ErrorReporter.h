#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantrel {

enum class ErrorKind {
    ERR_CONFIG_OPEN = 1,       // silent: running without a configuration file is normal
    ERR_NO_ACTIONS = 2,        // "No actions defined:\n..."
    ERR_ACTION_UNNAMED = 3,    // "Action name missing:\n..."
    ERR_ACTION_NAME_TWICE = 4, // "Action name used twice:\n%s"
    ERR_SCRIPT_OPEN = 5,       // "Open file error:\n%s"
    ERR_TEMPLATE = 6,          // "Error in Template File:\n%s\n%s"
    ERR_SECTION_NOT_FOUND = 7, // "Section not found:\n%s\n%s"
    ERR_OPEN_FILE = 8,         // "Open file error:\n%s"
    ERR_ASSERT = 9,            // "ASSERT:\nObject must be defined:\n%s"
};

// The script or template line a message of a run comes from.
struct MessagePlace {
    std::string file;     // the native path the run read the file from
    std::size_t line = 0; // counted from 1; 0: the message has no place
    // What the run was doing there: "writing out/Demo/Line.cpp, action Line"; may be empty.
    std::string context = {};

    bool known() const { return line != 0; }
};

// Where finished messages go: a modal message box in the GUI, standard error in the headless
// generator, a recorder in tests.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void showMessage(ErrorKind kind, const std::string& message) = 0;
    // A message with the line it comes from. The text is the same as without the place; a sink
    // that has nowhere to show the place shows the message alone.
    virtual void showMessageAt(ErrorKind kind, const std::string& message,
                               const MessagePlace& place) {
        (void)place;
        showMessage(kind, message);
    }
};

// A sink that shows nothing: for runs whose messages another run gives (a preview, a run repeated
// from its record).
class SilentSink : public MessageSink {
public:
    void showMessage(ErrorKind, const std::string&) override {}
};

// The message text of a kind, or an empty text for the kinds that show nothing.
std::string formatErrorMessage(ErrorKind kind, std::string_view first, std::string_view second);

// The program's one error reporter: formats the message and hands it to the sink unless it is
// empty. Keeps no state.
void reportError(MessageSink& sink, ErrorKind kind, std::string_view first = {},
                 std::string_view second = {});
// The same message, handed over with the line it comes from when that is known.
void reportError(MessageSink& sink, const MessagePlace& place, ErrorKind kind,
                 std::string_view first = {}, std::string_view second = {});

} // namespace vantrel
