#pragma once

#include "report/ErrorReporter.h"

#include <cstddef>
#include <ostream>

namespace vantrel {

// The headless generator's message box: each message goes to the stream as it is, followed by
// one line break. Remembers whether anything worse than a failed assertion was reported.
class StreamSink : public MessageSink {
public:
    explicit StreamSink(std::ostream& out)
        : m_out(out) {}

    void showMessage(ErrorKind kind, const std::string& message) override;

    bool errorReported() const { return m_errors > 0; }
    std::size_t errorCount() const { return m_errors; }

private:
    std::ostream& m_out;
    std::size_t m_errors = 0; // messages worse than a failed assertion
};

} // namespace vantrel
