// FNV-1a over a text's bytes: a stable 64-bit hash, the same in every
// program and on every machine.

#ifndef COURT_PLATFORM_TEXT_FNV_H_
#define COURT_PLATFORM_TEXT_FNV_H_

#include <cstdint>
#include <string_view>

namespace court::text {

// Lock files use the standard offset basis; logins' sids and legacy
// password digests were made with a shortened one and keep it, so that what
// is stored still matches.
inline constexpr std::uint64_t kFnvOffsetBasis = 14695981039346656037ull;
inline constexpr std::uint64_t kShortFnvOffsetBasis = 1469598103934665603ull;

inline std::uint64_t Fnv1a(std::string_view text, std::uint64_t basis = kFnvOffsetBasis) {
  std::uint64_t hash = basis;
  for (char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return hash;
}

}  // namespace court::text

#endif  // COURT_PLATFORM_TEXT_FNV_H_
