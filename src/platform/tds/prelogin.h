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

// What the server answers to the encryption a client offers: ON (the whole
// session) when it asks for it, OFF (the login alone) when it merely can,
// and when encryption is required REQ to anyone who would not encrypt all.
std::uint8_t AgreedEncryption(std::uint8_t client, bool required);

// Throws ProtocolError when the option table is malformed.
Prelogin ParsePrelogin(const Bytes& payload);

// The server's answer: version 8.0.2039 (SQL Server 2000 SP4) and the
// encryption the server settled on.
Bytes PreloginReply(std::uint8_t encryption);

}  // namespace court::tds

#endif  // COURT_PLATFORM_TDS_PRELOGIN_H_
