// The installer's connections: fixed names, the four connection strings, and
// the operations that open a connection. Record sets are opened with
// access::OpenRecordset.

#ifndef COURT_PROVISIONING_CONNECTIONS_H_
#define COURT_PROVISIONING_CONNECTIONS_H_

#include <string>
#include <string_view>

#include "platform/access/connection.h"
#include "provisioning/run_state.h"

namespace court::provisioning {

inline constexpr std::string_view kCourtDatabase = "法院";
inline constexpr std::string_view kMailDatabase = "内部邮件";
inline constexpr std::string_view kLoginName = "vek";

// "Provider=SQLOLEDB.1;...;Initial Catalog=" + database + ";Data Source=(local)"
std::string ServerConnectionString(std::string_view database);
inline std::string MasterConnectionString() { return ServerConnectionString("master"); }
std::string CatalogueConnectionString();

// Each puts a new connection object into target and opens it.
void OpenMasterConnection(const RunState& run, access::Connection& target);
void OpenCourtConnection(const RunState& run, access::Connection& target);
void OpenMailConnection(const RunState& run, access::Connection& target);
void OpenCatalogueConnection(const RunState& run, access::Connection& target);

}  // namespace court::provisioning

#endif  // COURT_PROVISIONING_CONNECTIONS_H_
