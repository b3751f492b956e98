#pragma once

#include "report/ErrorReporter.h"

#include <string>
#include <vector>

namespace vantrel {

// A message sink for tests: keeps every message that would have been shown, in order.
class RecordingSink : public MessageSink {
public:
    struct Message {
        ErrorKind kind;
        std::string text;
        MessagePlace place = {}; // unknown for a message without one
    };

    void showMessage(ErrorKind kind, const std::string& message) override {
        messages.push_back({kind, message});
    }
    void showMessageAt(ErrorKind kind, const std::string& message,
                       const MessagePlace& place) override {
        messages.push_back({kind, message, place});
    }

    std::vector<std::string> texts() const {
        std::vector<std::string> result;
        for (const Message& message : messages)
            result.push_back(message.text);
        return result;
    }

    std::vector<Message> messages;
};

} // namespace vantrel
