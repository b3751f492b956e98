#include "model/ProjectSchema.h"

#include "model/AsciiCase.h"

namespace vantrel {

const ProjectField* findProjectField(std::string_view key) {
    for (const ProjectField& field : PROJECT_FIELDS) {
        if (field.key == key)
            return &field;
    }
    return nullptr;
}

const ActionField* findActionField(std::string_view key) {
    for (const ActionField& field : ACTION_FIELDS) {
        if (field.key == key)
            return &field;
    }
    return nullptr;
}

const HostName* findHost(std::string_view name) {
    for (const HostName& host : HOST_NAMES) {
        if (equalsIgnoringCase(host.name, name))
            return &host;
    }
    return nullptr;
}

} // namespace vantrel
