// Base64 (RFC 4648, with padding): how OLE values travel in the JSON form.

#ifndef COURT_PLATFORM_JET_BASE64_H_
#define COURT_PLATFORM_JET_BASE64_H_

#include <optional>
#include <string>
#include <string_view>

#include "platform/access/value.h"

namespace court::jet {

std::string EncodeBase64(const access::Bytes& bytes);
// Nothing for text that is not base64.
std::optional<access::Bytes> DecodeBase64(std::string_view text);

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_BASE64_H_
