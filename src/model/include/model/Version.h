#pragma once

namespace vantrel {

// The program version: shown in the about box and the value of %VANTRELVERSION%.
inline constexpr const char* VANTREL_VERSION = "1.4";

} // namespace vantrel
