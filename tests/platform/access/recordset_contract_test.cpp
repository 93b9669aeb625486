// The record-set contract the installer relies on, run on both real drivers:
// the catalogue driver (table.mdb) and the embedded server (法院).

#include <gtest/gtest.h>

#include "platform/access/error.h"
#include "platform/access/recordset.h"
#include "provisioning/connections.h"
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

enum class Source { kCatalogue, kServer };

class RecordsetContract : public ::testing::TestWithParam<Source> {
 protected:
  RecordsetContract() : installation_(Catalogue()) {
    if (GetParam() == Source::kServer) {
      installation_.CreateDatabase("法院");
      installation_.Execute("法院", "CREATE TABLE [dbo].[案由] (\r\n[案由编号] [int] null , \r\n"
                                    "[案由] [varchar]  (50 )   COLLATE Chinese_PRC_CI_AS  null , \r\n"
                                    "[内容] [image]  null , \r\n) ON [PRIMARY]");
      installation_.Execute("法院", "CREATE TABLE [dbo].[空表] (\r\n[id] [int]  null , \r\n) ON [PRIMARY]");
      for (const char* row : {"1, '借款合同纠纷'", "2, '离婚纠纷'", "3, '离婚纠纷'"})
        installation_.Execute("法院", std::string("insert into 案由 (案由编号, 案由) values (") + row + ")");
      provisioning::OpenCourtConnection(installation_.run(), connection_);
    } else {
      provisioning::OpenCatalogueConnection(installation_.run(), connection_);
    }
  }

  Installation installation_;
  Connection connection_{installation_.sources()};
};

TEST_P(RecordsetContract, CountsMovesAndReadsFields) {
  Recordset set;
  OpenRecordset(connection_, set, "SELECT 案由编号, 案由 FROM 案由 ORDER BY 案由编号");
  EXPECT_EQ(set.RecordCount(), 3);
  ASSERT_EQ(set.FieldCount(), 2);
  EXPECT_EQ(set.Fields(0).name(), "案由编号");
  EXPECT_EQ(set.Fields(1).type(), ValueType::kText);
  std::vector<std::string> seen;
  for (; !set.Eof(); set.MoveNext())
    seen.push_back(Trimmed(set.Fields(0).value()) + ":" + Trimmed(set.Fields("案由").value()));
  EXPECT_EQ(seen, (std::vector<std::string>{"1:借款合同纠纷", "2:离婚纠纷", "3:离婚纠纷"}));
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

INSTANTIATE_TEST_SUITE_P(Drivers, RecordsetContract, ::testing::Values(Source::kCatalogue, Source::kServer),
                         [](const auto& info) { return info.param == Source::kServer ? "Server" : "Catalogue"; });

}  // namespace
}  // namespace court::access
