// The token stream of the server's replies: login acknowledgement,
// environment changes, messages, result sets, return values and the DONE
// tokens that close each statement, procedure and request.

#ifndef COURT_PLATFORM_TDS_TOKENS_H_
#define COURT_PLATFORM_TDS_TOKENS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/access/driver.h"
#include "platform/access/error.h"
#include "platform/tds/code_page.h"
#include "platform/tds/types.h"
#include "platform/tds/wire.h"

namespace court::tds {

enum DoneToken : std::uint8_t { kDone = 0xFD, kDoneProc = 0xFE, kDoneInProc = 0xFF };

enum DoneStatus : std::uint16_t {
  kDoneFinal = 0x00,
  kDoneMore = 0x01,
  kDoneError = 0x02,
  kDoneCount = 0x10,
  kDoneAttention = 0x20,
};

enum EnvChange : std::uint8_t { kEnvDatabase = 1, kEnvLanguage = 2, kEnvPacketSize = 4, kEnvCollation = 7 };

// The name the server gives itself in messages.
inline constexpr const char* kServerProgram = "Microsoft SQL Server";

class TokenWriter {
 public:
  TokenWriter(Bytes& out, std::uint32_t tds_version, const CodePage& code_page, std::string server_name);

  void LoginAck();
  void Environment(EnvChange type, const std::string& now, const std::string& before);
  void CollationChange();
  // An INFO token for severity 10 and below, an ERROR token above.
  void Message(const access::Error& message, const std::string& procedure = "", int line = 1);
  // command: what the statement was (0xC1 SELECT, 0xC3 INSERT, ...); clients
  // take only the counts of other statements as update counts.
  void Done(DoneToken token, std::uint16_t status, long long rows = 0, std::uint16_t command = 0);
  void ReturnStatus(std::int32_t status);
  void ReturnValue(std::uint16_t ordinal, const std::string& name, const WireType& type,
                   const access::Value& value);
  // COLMETADATA and one ROW per row.
  void Results(const access::ResultSet& result, const std::vector<std::optional<mssql::SqlType>>& types);

 private:
  bool with_collation() const { return version_ >= 0x71000000; }

  Writer out_;
  std::uint32_t version_;
  const CodePage& code_page_;
  std::string server_name_;
};

}  // namespace court::tds

#endif  // COURT_PLATFORM_TDS_TOKENS_H_
