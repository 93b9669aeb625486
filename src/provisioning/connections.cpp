#include "provisioning/connections.h"

namespace court::provisioning {
namespace {

void OpenNew(const RunState& run, access::Connection& target, const std::string& connection_string) {
  target = access::Connection(run.sources);
  target.Open(connection_string);
}

}  // namespace

std::string ServerConnectionString(std::string_view database) {
  return "Provider=SQLOLEDB.1;Integrated Security=SSPI;Persist Security Info=False;Initial Catalog=" +
         std::string(database) + ";Data Source=(local)";
}

std::string CatalogueConnectionString() {
  return "Provider=Microsoft.Jet.OLEDB.4.0;Data Source= table.mdb;Persist Security Info=False";
}

void OpenMasterConnection(const RunState& run, access::Connection& target) {
  OpenNew(run, target, MasterConnectionString());
}

void OpenCourtConnection(const RunState& run, access::Connection& target) {
  OpenNew(run, target, ServerConnectionString(kCourtDatabase));
}

void OpenMailConnection(const RunState& run, access::Connection& target) {
  OpenNew(run, target, ServerConnectionString(kMailDatabase));
}

void OpenCatalogueConnection(const RunState& run, access::Connection& target) {
  OpenNew(run, target, CatalogueConnectionString());
}

}  // namespace court::provisioning
