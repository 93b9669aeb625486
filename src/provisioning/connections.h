// The installer's connections: fixed names, the four connection strings, and
// the operations that open a connection. Record sets are opened with
// access::OpenRecordset.

#ifndef COURT_PROVISIONING_CONNECTIONS_H_
#define COURT_PROVISIONING_CONNECTIONS_H_

#include <string>
#include <string_view>

#include "platform/access/connection.h"
#include "provisioning/module2.h"

namespace court::provisioning {

inline constexpr std::string_view kCourtDatabase = "法院";
inline constexpr std::string_view kMailDatabase = "内部邮件";
inline constexpr std::string_view kLoginName = "vek";

// "Provider=SQLOLEDB.1;...;Initial Catalog=" + database + ";Data Source=(local)"
std::string ServerConnectionString(std::string_view database);
inline std::string MasterConnectionString() { return ServerConnectionString("master"); }
std::string CatalogueConnectionString();

// Each puts a new connection object into target and opens it.
void OpenMasterConnection(const Module2& run, access::Connection& target);
void OpenCourtConnection(const Module2& run, access::Connection& target);
void OpenMailConnection(const Module2& run, access::Connection& target);
void OpenCatalogueConnection(const Module2& run, access::Connection& target);

}  // namespace court::provisioning

#endif  // COURT_PROVISIONING_CONNECTIONS_H_
