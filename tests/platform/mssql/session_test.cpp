// Sessions of the embedded server through the driver interface: several
// connections at once, record-set writes, batch error rules and the state a
// connection keeps between batches.

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>

#include "platform/access/error.h"
#include "platform/mssql/collation.h"
#include "platform/mssql/embedded_driver.h"
#include "platform/mssql/parser.h"
#include "tests/platform/mssql/court_database_fixture.h"

namespace court::mssql {
namespace {

using access::Value;

using SessionTest = CourtDatabaseTest;

TEST_F(SessionTest, MissingDatabaseRefusesTheLogin) {
  try {
    driver_->Connect("没有");
    FAIL();
  } catch (const access::Error& e) {
    EXPECT_EQ(e.number(), 4060);
    EXPECT_EQ(e.description(), "Cannot open database requested in login '没有'. Login fails.");
  }
}

TEST_F(SessionTest, ConnectionsOnOneDatabaseSeeEachOthersWork) {
  auto other = driver_->Connect("法院");
  // The second connection has read the catalog before the table exists.
  EXPECT_EQ(other->Query("SELECT name FROM sysobjects WHERE name = 'T'").rows.size(), 0u);
  court_->Execute("CREATE TABLE T (a int NOT NULL, b varchar(10) NULL)");
  court_->Execute("insert into T (a, b) values (1, 'x')");
  access::ResultSet seen = other->Query("SELECT a, b FROM T");
  ASSERT_EQ(seen.rows.size(), 1u);
  other->Execute("alter table T\r\n add c [int]  null");
  court_->Execute("insert into T (a, c) values (2, 5)");
  EXPECT_EQ(other->Query("SELECT c FROM T WHERE a = 2").rows.at(0).at(0), Value::Integer(5));
  // A third connection from another driver instance (another process, in effect).
  EmbeddedDriver second(root_);
  EXPECT_EQ(second.Connect("法院")->Query("SELECT a FROM T").rows.size(), 2u);
}

TEST_F(SessionTest, RecordSetWritesApplyTypesIdentityAndDefaults) {
  court_->Execute(
      "CREATE TABLE [dbo].[运行库文件] (\r\n[id] [int]  IDENTITY (1, 1) NOT NULL  , \r\n[文件名] "
      "[nvarchar]  (20 )   COLLATE Chinese_PRC_CI_AS  not  null , \r\n[日期] [datetime]  null , \r\n"
      "[内容] [image]  null , \r\n[运行] [bit]  null , \r\n) ON [PRIMARY]");
  court_->Execute("ALTER TABLE [dbo].[运行库文件] WITH NOCHECK ADD \r\nCONSTRAINT [DF_运行库文件_运行] DEFAULT (1) FOR [运行]");
  access::Bytes bytes = {0, 1, 2, 0xFF, 0};
  std::int64_t first = court_->InsertRow("运行库文件", {"文件名", "内容"}, {Value::Text("a.dll"), Value::Binary(bytes)});
  std::int64_t second = court_->InsertRow("运行库文件", {"文件名", "日期"},
                                          {Value::Text("b.dll"), Value::Text("2006-10-30 08:00:00")});
  EXPECT_NE(first, second);
  access::ResultSet set = court_->Query("SELECT id, 文件名, 日期, 内容, 运行 FROM 运行库文件 ORDER BY id");
  ASSERT_EQ(set.rows.size(), 2u);
  EXPECT_EQ(set.rows[0][0], Value::Integer(1));
  EXPECT_EQ(set.rows[1][0], Value::Integer(2));
  EXPECT_EQ(set.rows[0][3], Value::Binary(bytes));
  EXPECT_EQ(set.rows[0][4], Value::Boolean(true));
  EXPECT_EQ(set.rows[1][2], Value::Date({2006, 10, 30, 8, 0, 0, 0}));
  EXPECT_EQ(set.columns[2].type, access::ValueType::kDateTime);
  ASSERT_TRUE(set.base_table.has_value());
  EXPECT_EQ(*set.base_table, "运行库文件");

  court_->UpdateRow("运行库文件", set.row_ids[1], {"内容"}, {Value::Binary({7, 8})});
  EXPECT_EQ(court_->Query("SELECT 内容 FROM 运行库文件 WHERE id = 2").rows[0][0], Value::Binary({7, 8}));
  EXPECT_EQ(court_->Query("SELECT 内容 FROM 运行库文件 WHERE id = 1").rows[0][0], Value::Binary(bytes));

  try {
    court_->InsertRow("运行库文件", {"日期"}, {Value::Text("2006-01-01")});
    FAIL();
  } catch (const access::Error& e) {
    EXPECT_EQ(e.number(), 515);
  }
  try {
    court_->UpdateRow("运行库文件", set.row_ids[0], {"文件名"}, {Value::Text(std::string(21, 'x'))});
    FAIL();
  } catch (const access::Error& e) {
    EXPECT_EQ(e.number(), 8152);
  }
}

TEST_F(SessionTest, StatementsDifferingOnlyInTheirConstantsEachFindTheirOwnRows) {
  court_->Execute("CREATE TABLE 值 (id int NOT NULL, name varchar(10) NULL, d datetime NULL, m money NULL)");
  court_->Execute("INSERT INTO 值 VALUES (1, 'a', '20061030 12:00:00', 1.5) "
                  "INSERT INTO 值 VALUES (2, 'B', '2006-10-31', 2.25) "
                  "INSERT INTO 值 VALUES (3, NULL, NULL, NULL)");
  for (int id = 1; id <= 3; ++id)
    EXPECT_EQ(court_->Query("SELECT id FROM 值 WHERE id = " + std::to_string(id)).rows.at(0).at(0), Value::Integer(id));
  EXPECT_TRUE(court_->Query("SELECT id FROM 值 WHERE id = 4").rows.empty());
  // Text compares without case and trailing blanks; quoted dates and numbers convert first.
  EXPECT_EQ(court_->Query("SELECT id FROM 值 WHERE name = 'b  '").rows.at(0).at(0), Value::Integer(2));
  EXPECT_EQ(court_->Query("SELECT id FROM 值 WHERE name = 'A'").rows.at(0).at(0), Value::Integer(1));
  EXPECT_EQ(court_->Query("SELECT id FROM 值 WHERE d = '2006-10-30 12:00'").rows.at(0).at(0), Value::Integer(1));
  EXPECT_EQ(court_->Query("SELECT id FROM 值 WHERE d > '20061030 12:00'").rows.at(0).at(0), Value::Integer(2));
  EXPECT_EQ(court_->Query("SELECT id FROM 值 WHERE m = 2.25").rows.at(0).at(0), Value::Integer(2));
  EXPECT_EQ(court_->Query("SELECT id FROM 值 WHERE id = '3'").rows.at(0).at(0), Value::Integer(3));
  EXPECT_TRUE(court_->Query("SELECT id FROM 值 WHERE name = NULL").rows.empty());
  // Stored texts keep their constants: a view and a CHECK constraint.
  court_->Execute("CREATE VIEW 二 AS SELECT id FROM 值 WHERE id = 2");
  EXPECT_EQ(court_->Query("SELECT id FROM 二").rows.size(), 1u);
  court_->Execute("ALTER TABLE 值 ADD CONSTRAINT CK_值 CHECK (id < 10)");
  EXPECT_EQ(ErrorOf(*court_, "INSERT INTO 值 (id) VALUES (11)"), 547);
  EXPECT_EQ(court_->Query("SELECT text FROM syscomments WHERE id = OBJECT_ID('CK_值')").rows.at(0).at(0),
            Value::Text("([id] < 10)"));
}

TEST_F(SessionTest, JoinsAndAggregatesAreNotWritable) {
  court_->Execute("CREATE TABLE T (a int NULL)");
  EXPECT_FALSE(court_->Query("SELECT count(*) AS n FROM T").base_table.has_value());
  EXPECT_FALSE(court_->Query("SELECT x.a FROM T x INNER JOIN T y ON x.a = y.a").base_table.has_value());
  EXPECT_TRUE(court_->Query("SELECT  *  FROM T WHERE a = 1").base_table.has_value());
}

TEST_F(SessionTest, ConstraintErrorsEndTheStatementAndConversionErrorsTheBatch) {
  court_->Execute("CREATE TABLE T (a int NOT NULL, b int NULL)");
  EXPECT_EQ(ErrorOf(*court_, "insert into T (b) values (1)\r\ninsert into T (a) values (2)"), 515);
  EXPECT_EQ(court_->Query("SELECT a FROM T").rows.size(), 1u);
  EXPECT_EQ(ErrorOf(*court_, "insert into T (a) values ('x')\r\ninsert into T (a) values (3)"), 245);
  EXPECT_EQ(court_->Query("SELECT a FROM T").rows.size(), 1u);
  // A syntax error anywhere stops the whole batch before it runs.
  EXPECT_EQ(ErrorOf(*court_, "insert into T (a) values (4)\r\nselect from"), 156);
  EXPECT_EQ(court_->Query("SELECT a FROM T").rows.size(), 1u);
  // So does a batch over SQL Server's size limit, whatever it holds.
  std::string huge = "insert into T (a) values (5)\r\n";
  huge.resize(kMaxBatchBytes + 1, ' ');
  EXPECT_EQ(ErrorOf(*court_, huge), 50000);
  EXPECT_EQ(court_->Query("SELECT a FROM T").rows.size(), 1u);
}

TEST_F(SessionTest, DuplicateKeyIsRefusedWithTheConstraintName) {
  court_->Execute("CREATE TABLE [dbo].[K] (\r\n[id] [int]  IDENTITY (1, 1) NOT NULL  , \r\n[v] [varchar]  (5 )  null , \r\n) ON [PRIMARY]");
  EXPECT_EQ(ErrorOf(*court_, "ALTER TABLE [dbo].[K] WITH NOCHECK ADD \r\nCONSTRAINT [K1] PRIMARY KEY  CLUSTERED ( [v]) ON [PRIMARY] "),
            8111);
  court_->Execute("alter table K\r\nalter column v [varchar]  (5 )  not  null");
  court_->Execute("ALTER TABLE [dbo].[K] WITH NOCHECK ADD \r\nCONSTRAINT [K1] PRIMARY KEY  CLUSTERED ( [v]) ON [PRIMARY] ");
  court_->Execute("insert into K (v) values ('a')");
  try {
    court_->Execute("insert into K (v) values ('A ')");
    FAIL();
  } catch (const access::Error& e) {
    EXPECT_EQ(e.number(), 2627);
    EXPECT_EQ(e.description(), "Violation of PRIMARY KEY constraint 'K1'. Cannot insert duplicate key in object 'K'.");
  }
  // The failed insert used up its identity value, as on the server.
  court_->Execute("insert into K (v) values ('b')");
  EXPECT_EQ(court_->Query("SELECT id FROM K WHERE v = 'B'").rows.at(0).at(0), Value::Integer(3));
}

// An UPDATE that a later row refuses changes none of its rows, alone or
// inside a transaction that goes on: whether it ran under a savepoint of its
// own (a NOT NULL column assigned) or as one SQLite statement.
TEST_F(SessionTest, UpdateRefusedOnALaterRowChangesNoRow) {
  court_->Execute("CREATE TABLE U (k int NOT NULL, v int NULL, w int NOT NULL, CONSTRAINT U1 PRIMARY KEY (k))");
  for (int k = 1; k <= 5; ++k)
    court_->Execute("insert into U (k, v, w) values (" + std::to_string(k) + ", " + std::to_string(k) + ", 0)");
  const auto total = [&] { return court_->Query("SELECT SUM(k * 10 + v) FROM U").rows.at(0).at(0); };
  const Value before = total();
  // Rows 1 to 3 move out of the way; row 4 then takes 5, which is held.
  for (const char* set : {"k = CASE WHEN k = 4 THEN 5 ELSE k + 10 END, v = 0",
                          "k = CASE WHEN k = 4 THEN 5 ELSE k + 10 END, w = 1"}) {
    EXPECT_EQ(ErrorOf(*court_, std::string("UPDATE U SET ") + set), 2627) << set;
    EXPECT_EQ(total(), before) << set;
    court_->Execute("BEGIN TRANSACTION");
    court_->Execute("UPDATE U SET v = 9 WHERE k = 5");
    EXPECT_EQ(ErrorOf(*court_, std::string("UPDATE U SET ") + set), 2627) << set;
    court_->Execute("COMMIT TRANSACTION");
    EXPECT_EQ(court_->Query("SELECT v FROM U WHERE k = 5").rows.at(0).at(0), Value::Integer(9)) << set;
    court_->Execute("UPDATE U SET v = 5 WHERE k = 5");
    EXPECT_EQ(total(), before) << set;
  }
}

// A duplicate names the key it would have made, primary or unique, whether
// an INSERT or an UPDATE brought it, and whatever key the table's rowid is.
TEST_F(SessionTest, DuplicateKeyNamesTheKeyItBreaks) {
  court_->Execute("CREATE TABLE [dbo].[D] (\r\n[id] [int]  IDENTITY (1, 1) NOT NULL  , \r\n[code] [varchar]  (5 )  "
                  "not null , \r\n[no] [int]  not null , \r\n) ON [PRIMARY]");
  court_->Execute("ALTER TABLE [dbo].[D] WITH NOCHECK ADD \r\nCONSTRAINT [D_id] PRIMARY KEY  CLUSTERED ( [id]) ON [PRIMARY] ");
  court_->Execute("ALTER TABLE D ADD CONSTRAINT D_code UNIQUE (code)");
  court_->Execute("ALTER TABLE D ADD CONSTRAINT D_no_code UNIQUE (no, code)");
  court_->Execute("insert into D (code, no) values ('a', 1)");
  court_->Execute("insert into D (code, no) values ('b', 2)");
  const auto failure = [&](const std::string& sql) {
    try {
      court_->Execute(sql);
    } catch (const access::Error& e) {
      return std::to_string(e.number()) + " " + e.description();
    }
    return std::string("no error");
  };
  EXPECT_EQ(failure("insert into D (code, no) values ('A', 3)"),
            "2627 Violation of UNIQUE KEY constraint 'D_code'. Cannot insert duplicate key in object 'D'.");
  EXPECT_EQ(failure("update D set code = 'a' where code = 'b'"),
            "2627 Violation of UNIQUE KEY constraint 'D_code'. Cannot insert duplicate key in object 'D'.");
  court_->Execute("SET IDENTITY_INSERT D ON");
  EXPECT_EQ(failure("insert into D (id, code, no) values (1, 'c', 3)"),
            "2627 Violation of PRIMARY KEY constraint 'D_id'. Cannot insert duplicate key in object 'D'.");
}

// Keys follow the collation (width does not count), and a file whose
// indexes another collator version ordered is reindexed when it is opened.
TEST_F(SessionTest, KeysFollowTheCollationAcrossCollatorVersions) {
  court_->Execute("CREATE TABLE W (v nvarchar(5) NOT NULL, CONSTRAINT W1 PRIMARY KEY (v))");
  court_->Execute("insert into W (v) values (N'a')");
  court_->Execute("insert into W (v) values (N'中')");
  EXPECT_EQ(ErrorOf(*court_, "insert into W (v) values (N'Ａ')"), 2627);
  court_.reset();
  driver_.reset();
  const std::filesystem::path file = root_ / "drives/D/法院_Data.MDF";
  ASSERT_TRUE(std::filesystem::exists(file));
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &raw), SQLITE_OK);
  sqlite3_exec(raw, "PRAGMA application_id = 7", nullptr, nullptr, nullptr);
  sqlite3_close(raw);

  driver_ = std::make_unique<EmbeddedDriver>(root_);
  court_ = driver_->Connect("法院");
  EXPECT_EQ(court_->Query("SELECT v FROM W WHERE v = N'Ａ'").rows.size(), 1u);
  ASSERT_EQ(sqlite3_open(file.c_str(), &raw), SQLITE_OK);
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(raw, "PRAGMA application_id", -1, &stmt, nullptr);
  ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_int(stmt, 0), CollationVersion());
  sqlite3_finalize(stmt);
  sqlite3_close(raw);
}

TEST_F(SessionTest, ConnectionKeepsItsDatabaseAndOptions) {
  auto session = driver_->Connect("master");
  session->Execute("use 法院");
  EXPECT_EQ(session->Query("SELECT db_name() AS db").rows[0][0], Value::Text("法院"));
  session->Execute("SET QUOTED_IDENTIFIER OFF ");
  EXPECT_EQ(session->Query("SELECT \"text\" AS t").rows[0][0], Value::Text("text"));
  // A view keeps the options that were in force when it was made.
  session->Execute("CREATE VIEW v AS SELECT 1 AS one");
  session->Execute("SET QUOTED_IDENTIFIER ON ");
  EXPECT_EQ(ErrorOf(*session, "SELECT \"text\" AS t"), 207);
  session->Execute("CREATE VIEW w AS SELECT 1 AS one");
  access::ResultSet options = session->Query(
      "SELECT OBJECTPROPERTY(object_id('v'), 'ExecIsQuotedIdentOn') AS v, "
      "OBJECTPROPERTY(object_id('w'), 'ExecIsQuotedIdentOn') AS w, "
      "OBJECTPROPERTY(object_id('w'), 'ExecIsAnsiNullsOn') AS nulls");
  EXPECT_EQ(options.rows.at(0), (access::Row{Value::Integer(0), Value::Integer(1), Value::Integer(1)}));
  // Variables last one batch only.
  session->Execute("declare @a int set @a = 1");
  EXPECT_EQ(ErrorOf(*session, "select @a"), 137);
}

}  // namespace
}  // namespace court::mssql
