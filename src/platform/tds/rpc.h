// Remote procedure call requests: the procedure (by name or by the number
// of a well-known system procedure) and its typed parameters.

#ifndef COURT_PLATFORM_TDS_RPC_H_
#define COURT_PLATFORM_TDS_RPC_H_

#include <cstdint>
#include <string>
#include <vector>

#include "platform/access/value.h"
#include "platform/tds/code_page.h"
#include "platform/tds/types.h"
#include "platform/tds/wire.h"

namespace court::tds {

struct RpcParameter {
  std::string name;  // as sent, with '@'; empty when passed by position
  bool output = false;
  WireType type;
  access::Value value;
};

struct RpcCall {
  std::string procedure;  // lower case; well-known numbers are given their names
  std::vector<RpcParameter> parameters;
};

// The calls of one request (a request may hold several). Throws
// ProtocolError for a malformed request.
std::vector<RpcCall> ParseRpc(const Bytes& payload, std::size_t start, bool with_collation,
                              const CodePage& code_page);

// Where the request proper begins: after the ALL_HEADERS block that clients
// speaking TDS 7.2 and later put first, or at 0.
std::size_t RequestStart(const Bytes& payload);

// The parameter names an sp_executesql-style declaration list declares, in
// order: "@a int, @b decimal(10, 2) OUTPUT" gives "@a", "@b".
std::vector<std::string> DeclaredNames(const std::string& declarations);

}  // namespace court::tds

#endif  // COURT_PLATFORM_TDS_RPC_H_
