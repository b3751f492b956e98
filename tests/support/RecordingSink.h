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
    };

    void showMessage(ErrorKind kind, const std::string& message) override {
        messages.push_back({kind, message});
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
