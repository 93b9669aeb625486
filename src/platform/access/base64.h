// Base64 (RFC 4648, with padding): how binary values travel in JSON texts
// (the catalogue's JSON form, the archive of removed rows).

#ifndef COURT_PLATFORM_ACCESS_BASE64_H_
#define COURT_PLATFORM_ACCESS_BASE64_H_

#include <optional>
#include <string>
#include <string_view>

#include "platform/access/value.h"

namespace court::access {

std::string EncodeBase64(const Bytes& bytes);
// Nothing for text that is not base64.
std::optional<Bytes> DecodeBase64(std::string_view text);

}  // namespace court::access

#endif  // COURT_PLATFORM_ACCESS_BASE64_H_
