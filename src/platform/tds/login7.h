// The login message (LOGIN7): who the client is, what it asks for.

#ifndef COURT_PLATFORM_TDS_LOGIN7_H_
#define COURT_PLATFORM_TDS_LOGIN7_H_

#include <cstdint>
#include <string>

#include "platform/tds/wire.h"

namespace court::tds {

// TDS versions as LOGIN7 and LOGINACK carry them.
inline constexpr std::uint32_t kTds70 = 0x70000000;
inline constexpr std::uint32_t kTds71 = 0x71000001;
inline constexpr std::uint32_t kTds72 = 0x72090002;

struct Login7 {
  std::uint32_t tds_version = 0;
  std::uint32_t packet_size = 0;  // 0: the server's default
  std::string host, user, password, application, server, library, language, database;
  bool integrated_security = false;
};

// Throws ProtocolError for a message that is not a well-formed login.
Login7 ParseLogin7(const Bytes& payload);

// The version the server speaks with a client that asked for `requested`:
// 7.1 (SQL Server 2000), or 7.0 for a client that knows no later one.
// Zero for a version outside 7.0 to 7.4.
std::uint32_t AgreedVersion(std::uint32_t requested);

}  // namespace court::tds

#endif  // COURT_PLATFORM_TDS_LOGIN7_H_
