#pragma once

// Whether this build runs under AddressSanitizer, where a frame costs several
// times as much: the grids that play every speed play on a smaller screen
// there, every speed still playing its whole figure.
namespace testrig {

#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif
#else
inline constexpr bool kSanitized = false;
#endif

} // namespace testrig
