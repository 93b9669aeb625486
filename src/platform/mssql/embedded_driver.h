// The embedded server as a data-access driver.
//
// EmbeddedDriver(root) serves the server rooted at that directory; each
// Connect opens an independent session (several may be open on one
// database at once, also from other processes).

#ifndef COURT_PLATFORM_MSSQL_EMBEDDED_DRIVER_H_
#define COURT_PLATFORM_MSSQL_EMBEDDED_DRIVER_H_

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/access/driver.h"
#include "platform/mssql/compiler.h"
#include "platform/mssql/server.h"
#include "platform/mssql/session_state.h"

namespace court::mssql {

class EmbeddedSession : public access::Session {
 public:
  // principal: the network login it serves; none for the local administrator.
  EmbeddedSession(Server& server, const std::string& database, std::optional<Principal> principal = std::nullopt);

  // Runs a batch and returns everything it produced, errors included;
  // parameters are variables the batch starts with (see Executor::Run).
  // outputs, when given, receives the variables as the batch left them.
  BatchResult Run(std::string_view batch, std::map<std::string, Variable> parameters = {},
                  std::map<std::string, Variable>* outputs = nullptr);
  SessionState& state() { return state_; }

  void Execute(std::string_view sql) override;
  access::ResultSet Query(std::string_view sql) override;
  std::int64_t InsertRow(const std::string& table, const std::vector<std::string>& columns,
                         const std::vector<access::Value>& values) override;
  void UpdateRow(const std::string& table, std::int64_t row_id,
                 const std::vector<std::string>& columns,
                 const std::vector<access::Value>& values) override;

 private:
  BatchResult RunOrThrow(std::string_view batch);

  SessionState state_;
};

class EmbeddedDriver : public access::Driver {
 public:
  explicit EmbeddedDriver(std::filesystem::path root) : server_(std::move(root)) {}

  // Throws 4060 when the database does not exist.
  std::unique_ptr<access::Session> Connect(const std::string& database) override;
  std::unique_ptr<EmbeddedSession> Open(const std::string& database);

 private:
  Server server_;
};

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_EMBEDDED_DRIVER_H_
