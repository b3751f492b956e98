#include "cli/StreamSink.h"

namespace vantrel {

void StreamSink::showMessage(ErrorKind kind, const std::string& message) {
    m_out << message << '\n';
    m_out.flush();
    if (kind != ErrorKind::ERR_ASSERT)
        ++m_errors;
}

} // namespace vantrel
