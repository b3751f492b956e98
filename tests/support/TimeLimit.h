#pragma once

namespace vantrel {

// The sanitizers slow a run down many times over, and a loaded machine more: a time limit
// holds only without them, and then only a generous one.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool TIME_LIMITED = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(undefined_behavior_sanitizer)
inline constexpr bool TIME_LIMITED = false;
#else
inline constexpr bool TIME_LIMITED = true;
#endif
#else
inline constexpr bool TIME_LIMITED = true;
#endif

} // namespace vantrel
