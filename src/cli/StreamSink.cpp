#include "cli/StreamSink.h"

namespace vantrel {

void StreamSink::showMessage(ErrorKind kind, const std::string& message) {
    m_out << message << '\n';
    m_out.flush();
    if (kind != ErrorKind::ERR_ASSERT)
        ++m_errors;
}

void StreamSink::showMessageAt(ErrorKind kind, const std::string& message,
                               const MessagePlace& place) {
    showMessage(kind, message);
    if (m_showPlaces && place.known()) {
        m_out << placeText(place) << '\n';
        m_out.flush();
    }
}

std::string placeText(const MessagePlace& place) {
    return place.file + ':' + std::to_string(place.line) + ':' +
           (place.context.empty() ? std::string() : ' ' + place.context);
}

} // namespace vantrel
