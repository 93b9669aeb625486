// The pre-login exchange: the client's first message and the server's
// answer (its version and whether the session is encrypted).

#ifndef COURT_PLATFORM_TDS_PRELOGIN_H_
#define COURT_PLATFORM_TDS_PRELOGIN_H_

#include <cstdint>

#include "platform/tds/wire.h"

namespace court::tds {

// Encryption values of the exchange.
enum Encryption : std::uint8_t { kEncryptOff = 0, kEncryptOn = 1, kEncryptNotSupported = 2, kEncryptRequired = 3 };

struct Prelogin {
  std::uint8_t encryption = kEncryptOff;  // what the client offers or asks for
};

// Throws ProtocolError when the option table is malformed.
Prelogin ParsePrelogin(const Bytes& payload);

// The server's answer: version 8.0.2039 (SQL Server 2000 SP4) and the
// encryption the server settled on.
Bytes PreloginReply(std::uint8_t encryption);

}  // namespace court::tds

#endif  // COURT_PLATFORM_TDS_PRELOGIN_H_
