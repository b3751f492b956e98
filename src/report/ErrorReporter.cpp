#include "report/ErrorReporter.h"

namespace vantrel {

std::string formatErrorMessage(ErrorKind kind, std::string_view first, std::string_view second) {
    std::string message;
    switch (kind) {
    case ErrorKind::ERR_NO_ACTIONS:
        message = "No actions defined:\nAdd at least one action before creating the project.";
        break;
    case ErrorKind::ERR_ACTION_UNNAMED:
        message = "Action name missing:\nEvery action needs a name.";
        break;
    case ErrorKind::ERR_ACTION_NAME_TWICE:
        message.append("Action name used twice:\n").append(first);
        break;
    case ErrorKind::ERR_SCRIPT_OPEN:
    case ErrorKind::ERR_OPEN_FILE:
        message.append("Open file error:\n").append(first);
        break;
    case ErrorKind::ERR_TEMPLATE:
        message.append("Error in Template File:\n").append(first).append("\n").append(second);
        break;
    case ErrorKind::ERR_SECTION_NOT_FOUND:
        message.append("Section not found:\n").append(first).append("\n").append(second);
        break;
    case ErrorKind::ERR_ASSERT:
        message.append("ASSERT:\nObject must be defined:\n").append(first);
        break;
    case ErrorKind::ERR_CONFIG_OPEN:
    default:
        break;
    }
    return message;
}

void reportError(MessageSink& sink, ErrorKind kind, std::string_view first,
                 std::string_view second) {
    const std::string message = formatErrorMessage(kind, first, second);
    if (!message.empty())
        sink.showMessage(kind, message);
}

void reportError(MessageSink& sink, const MessagePlace& place, ErrorKind kind,
                 std::string_view first, std::string_view second) {
    if (!place.known()) {
        reportError(sink, kind, first, second);
        return;
    }
    const std::string message = formatErrorMessage(kind, first, second);
    if (!message.empty())
        sink.showMessageAt(kind, message, place);
}

} // namespace vantrel
