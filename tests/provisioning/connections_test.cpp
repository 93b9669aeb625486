// Connection strings lead to the right driver, and a missing driver is a
// clear error rather than a crash.

#include "provisioning/connections.h"

#include <gtest/gtest.h>

#include "platform/access/error.h"
#include "platform/access/connection.h"

namespace court::access {
namespace {

// Records what it was asked to connect to; sessions are never used here.
class RecordingDriver : public Driver {
 public:
  std::unique_ptr<Session> Connect(const std::string& database) override {
    connected.push_back(database);
    throw Error(4060, "stop here");
  }
  std::vector<std::string> connected;
};

TEST(ConnectionStrings, ServerStringsNameTheirDatabase) {
  RecordingDriver server, catalogue;
  DataSources sources{&server, &catalogue, "/srv/release/table.mdb", nullptr};
  for (const char* database : {"master", "法院", "内部邮件"}) {
    ConnectionTarget target = Resolve(sources, provisioning::ServerConnectionString(database));
    EXPECT_EQ(target.driver, &server);
    EXPECT_EQ(target.database, database);
    EXPECT_EQ(target.label, database);
  }
}

TEST(ConnectionStrings, CatalogueStringFindsTableMdb) {
  RecordingDriver server, catalogue;
  DataSources explicit_file{&server, &catalogue, "/srv/release/table.mdb", nullptr};
  ConnectionTarget target = Resolve(explicit_file, provisioning::CatalogueConnectionString());
  EXPECT_EQ(target.driver, &catalogue);
  EXPECT_EQ(target.database, "/srv/release/table.mdb");
  EXPECT_EQ(target.label, "catalogue");

  DataSources working_directory{&server, &catalogue, {}, nullptr};
  target = Resolve(working_directory, provisioning::CatalogueConnectionString());
  EXPECT_EQ(target.database, (std::filesystem::current_path() / "table.mdb").string());
}

TEST(ConnectionStrings, MissingDriverOrProviderIsAClearError) {
  DataSources nothing;
  Connection connection(nothing);
  try {
    connection.Open(provisioning::MasterConnectionString());
    FAIL() << "opened without a server driver";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), ado::kProviderNotFound);
    EXPECT_NE(e.description().find("SQLOLEDB.1"), std::string::npos);
  }
  EXPECT_FALSE(connection.is_open());
  EXPECT_THROW(Resolve(nothing, "Provider=MSDASQL;DSN=x"), Error);
}

TEST(Connection, DriverFailureOnOpenPassesUpUnchanged) {
  RecordingDriver server;
  DataSources sources{&server, nullptr, {}, nullptr};
  Connection connection(sources);
  try {
    connection.Open(provisioning::ServerConnectionString("法院"));
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), 4060);
  }
  EXPECT_FALSE(connection.is_open());
  EXPECT_THROW(connection.Execute("select 1"), Error);
}

}  // namespace
}  // namespace court::access
