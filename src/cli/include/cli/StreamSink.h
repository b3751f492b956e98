#pragma once

#include "report/ErrorReporter.h"

#include <cstddef>
#include <ostream>

namespace vantrel {

// The headless generator's message box: each message goes to the stream as it is, followed by
// one line break, and, when places are shown, by a "FILE:LINE:" line for a message that has
// one. Remembers whether anything worse than a failed assertion was reported.
class StreamSink : public MessageSink {
public:
    explicit StreamSink(std::ostream& out, bool showPlaces = false)
        : m_out(out)
        , m_showPlaces(showPlaces) {}

    void showMessage(ErrorKind kind, const std::string& message) override;
    void showMessageAt(ErrorKind kind, const std::string& message,
                       const MessagePlace& place) override;

    std::size_t errorCount() const { return m_errors; }

private:
    std::ostream& m_out;
    bool m_showPlaces;
    std::size_t m_errors = 0; // messages worse than a failed assertion
};

// A place as the headless generator prints it: "FILE:LINE:".
std::string placeText(const MessagePlace& place);

} // namespace vantrel
