#pragma once

#include "report/ErrorReporter.h"

#include <ostream>

namespace vantrel {

// The headless generator's message box: each message goes to the stream as it is, followed by
// one line break. Remembers whether anything worse than a failed assertion was reported.
class StreamSink : public MessageSink {
public:
    explicit StreamSink(std::ostream& out)
        : m_out(out) {}

    void showMessage(ErrorKind kind, const std::string& message) override;

    bool errorReported() const { return m_errorReported; }

private:
    std::ostream& m_out;
    bool m_errorReported = false;
};

} // namespace vantrel
