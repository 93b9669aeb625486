// The record-set contract the installer relies on, run on every real driver:
// the catalogue driver (table.mdb), the embedded server (法院) and the same
// server through ODBC and FreeTDS's driver, served by court-server.

#include <gtest/gtest.h>

#include <optional>

#include "platform/access/error.h"
#include "platform/access/recordset.h"
#include "platform/odbc/odbc_driver.h"
#include "provisioning/connections.h"
#include "tests/support/court_server_process.h"
#include "tests/support/installation.h"

namespace court::access {
namespace {

using testing::Installation;

nlohmann::json Catalogue() {
  return {{"tables",
           {{{"name", "案由"},
             {"columns",
              {{{"name", "案由编号"}, {"type", "long"}},
               {{"name", "案由"}, {"type", "text"}, {"size", 50}},
               {{"name", "内容"}, {"type", "ole"}}}},
             {"rows", {{1, "借款合同纠纷", nullptr}, {2, "离婚纠纷", nullptr}, {3, "离婚纠纷", nullptr}}}},
            {{"name", "空表"}, {"columns", {{{"name", "id"}, {"type", "long"}}}}, {"rows", nlohmann::json::array()}}}}};
}

enum class Source { kCatalogue, kServer, kOdbc };

class RecordsetContract : public ::testing::TestWithParam<Source> {
 protected:
  RecordsetContract() : installation_(Catalogue()), sources_(installation_.sources()) {
    if (GetParam() != Source::kCatalogue) {
      installation_.CreateDatabase("法院");
      installation_.Execute("法院", "CREATE TABLE [dbo].[案由] (\r\n[案由编号] [int] null , \r\n"
                                    "[案由] [varchar]  (50 )   COLLATE Chinese_PRC_CI_AS  null , \r\n"
                                    "[内容] [image]  null , \r\n) ON [PRIMARY]");
      installation_.Execute("法院", "CREATE TABLE [dbo].[空表] (\r\n[id] [int]  null , \r\n) ON [PRIMARY]");
      for (const char* row : {"1, '借款合同纠纷'", "2, '离婚纠纷'", "3, '离婚纠纷'"})
        installation_.Execute("法院", std::string("insert into 案由 (案由编号, 案由) values (") + row + ")");
      if (GetParam() == Source::kOdbc) ServeOverTds();
      connection_.Open(provisioning::ServerConnectionString("法院"));
    } else {
      provisioning::OpenCatalogueConnection(installation_.run(), connection_);
    }
  }

  // From here on the server's connection strings lead to court-server.
  void ServeOverTds() {
    server_.emplace(installation_.server_root());
    odbc_ = std::make_unique<odbc::OdbcDriver>(
        odbc::ConnectionSettings(server_->Connection(), testing::CourtServerProcess::kPassword));
    sources_.server = odbc_.get();
  }

  Installation installation_;
  std::optional<testing::CourtServerProcess> server_;
  std::unique_ptr<odbc::OdbcDriver> odbc_;
  DataSources sources_;
  Connection connection_{sources_};
};

// Every row from the current one on, as "案由编号:案由".
std::vector<std::string> ReadToEnd(Recordset& set) {
  std::vector<std::string> seen;
  for (; !set.Eof(); set.MoveNext())
    seen.push_back(Trimmed(set.Fields(0).value()) + ":" + Trimmed(set.Fields("案由").value()));
  return seen;
}

TEST_P(RecordsetContract, CountsMovesAndReadsFields) {
  Recordset set;
  OpenRecordset(connection_, set, "SELECT 案由编号, 案由 FROM 案由 ORDER BY 案由编号");
  EXPECT_EQ(set.RecordCount(), 3);
  ASSERT_EQ(set.FieldCount(), 2);
  EXPECT_EQ(set.Fields(0).name(), "案由编号");
  EXPECT_EQ(set.Fields(1).type(), ValueType::kText);
  EXPECT_EQ(ReadToEnd(set), (std::vector<std::string>{"1:借款合同纠纷", "2:离婚纠纷", "3:离婚纠纷"}));
  EXPECT_THROW(set.Fields(0).value(), Error);
  set.MoveFirst();
  EXPECT_EQ(set.Fields(0).value().ToText(), "1");
  try {
    set.Fields("没有");
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), ado::kItemNotFound);
  }
  set.Close();
  EXPECT_THROW(set.RecordCount(), Error);
}

TEST_P(RecordsetContract, EmptyResultIsAtEndAtOnce) {
  Recordset set;
  OpenRecordset(connection_, set, "SELECT id FROM 空表");
  EXPECT_EQ(set.RecordCount(), 0);
  EXPECT_TRUE(set.Eof());
}

TEST_P(RecordsetContract, FieldNamesMatchIgnoringCase) {
  Recordset set;
  OpenRecordset(connection_, set, "select * from 空表");
  EXPECT_EQ(set.Fields("ID").name(), "id");
}

TEST_P(RecordsetContract, ReopeningReleasesTheOldSet) {
  Recordset set;
  OpenRecordset(connection_, set, "SELECT 案由 FROM 案由");
  OpenRecordset(connection_, set, "SELECT id FROM 空表");
  EXPECT_EQ(set.RecordCount(), 0);
}

TEST_P(RecordsetContract, AddNewInsertsTheAssignedFieldsWithBinary) {
  Bytes blob(2 * 1024 * 1024 + 7);
  for (std::size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<unsigned char>(i % 251);
  blob[0] = 0;
  Recordset set;
  OpenRecordset(connection_, set, "select * from 案由");
  set.AddNew();
  set.Fields("案由编号").set_value(Value::Integer(9));
  set.Fields("内容").set_value(Value::Binary(blob));
  set.Update();
  EXPECT_EQ(set.RecordCount(), 4);

  Recordset check;
  OpenRecordset(connection_, check, "SELECT 案由, 内容 FROM 案由 WHERE 案由编号 = 9");
  ASSERT_EQ(check.RecordCount(), 1);
  EXPECT_TRUE(check.Fields(0).value().is_null());
  EXPECT_EQ(check.Fields(1).value().binary(), blob);
}

TEST_P(RecordsetContract, UpdateChangesOnlyTheCurrentRow) {
  Recordset set;
  OpenRecordset(connection_, set, "SELECT * FROM 案由 WHERE 案由 = '离婚纠纷'");
  ASSERT_EQ(set.RecordCount(), 2);
  set.Fields("内容").set_value(Value::Binary({1, 2, 3}));
  set.Update();

  Recordset check;
  OpenRecordset(connection_, check, "SELECT 案由编号, 内容 FROM 案由 WHERE NOT 内容 IS NULL");
  ASSERT_EQ(check.RecordCount(), 1);
  EXPECT_EQ(check.Fields(1).value().binary(), (Bytes{1, 2, 3}));

  auto sent = installation_.Transcript();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent[sent.size() - 2].kind, "update");
}

// A forward-only set reads the same rows as a static one, holds only the
// current one, and can still add rows while another cursor is open on the
// same connection.
TEST_P(RecordsetContract, ForwardOnlyReadsEveryRowOnceAndAdds) {
  Recordset set;
  OpenRecordset(connection_, set, "SELECT 案由编号, 案由 FROM 案由 ORDER BY 案由编号", CursorType::kForwardOnly);
  EXPECT_EQ(set.RecordCount(), -1);
  EXPECT_EQ(set.Fields(1).type(), ValueType::kText);
  EXPECT_EQ(ReadToEnd(set), (std::vector<std::string>{"1:借款合同纠纷", "2:离婚纠纷", "3:离婚纠纷"}));
  EXPECT_THROW(set.Fields(0).value(), Error);
  try {
    set.MoveFirst();
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), ado::kIllegalOperation);
  }

  Recordset reading;
  OpenRecordset(connection_, reading, "SELECT 案由编号 FROM 案由", CursorType::kForwardOnly);
  Recordset adding;
  OpenRecordset(connection_, adding, "select * from 空表", CursorType::kForwardOnly);
  for (int id = 10; id < 13; ++id) {
    adding.AddNew();
    adding.Fields("id").set_value(Value::Integer(id));
    adding.Update();
  }
  EXPECT_FALSE(reading.Eof());
  Recordset check;
  OpenRecordset(connection_, check, "SELECT id FROM 空表 ORDER BY id");
  ASSERT_EQ(check.RecordCount(), 3);
  EXPECT_EQ(check.Fields(0).value().ToText(), "10");
}

INSTANTIATE_TEST_SUITE_P(Drivers, RecordsetContract,
                         ::testing::Values(Source::kCatalogue, Source::kServer, Source::kOdbc),
                         [](const auto& test) {
                           return test.param == Source::kServer ? "Server"
                                  : test.param == Source::kOdbc ? "Odbc"
                                                                : "Catalogue";
                         });

}  // namespace
}  // namespace court::access
