// What the engine keeps per connection and per file stays right when
// sessions take turns on one SQLite connection, another server or another
// process (court-sqlcmd) changes the files meanwhile, a change is rolled
// back, and a long batch is parsed as it runs: identity values and their
// gaps, table descriptions, and the all-or-nothing syntax check of a batch.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/access/error.h"
#include "platform/mssql/embedded_driver.h"
#include "tests/platform/mssql/court_database_fixture.h"
#include "tests/support/child_process.h"

namespace court::mssql {
namespace {

using access::Value;

using SharedConnectionTest = CourtDatabaseTest;

// The error a batch ends with.
access::Error FailureOf(access::Session& session, const std::string& sql) {
  try {
    session.Execute(sql);
  } catch (const access::Error& e) {
    return e;
  }
  return access::Error(0, "no error");
}

Value First(access::Session& session, const std::string& sql) { return session.Query(sql).rows.at(0).at(0); }

// Runs one batch on 法院 in a court-sqlcmd process of its own; its exit code.
int Sqlcmd(const std::filesystem::path& root, const std::string& sql) {
  return testing::RunProgram({.argv = {std::string(COURT_BUILD_DIR) + "/court-sqlcmd", "-S", root.string(), "-d",
                                       "法院", "-Q", sql}})
      .exit_code;
}

TEST_F(SharedConnectionTest, IdentityGapsAndOrderAcrossSessionsAndServers) {
  auto one = driver_->Connect("法院");
  auto two = driver_->Connect("法院");
  EmbeddedDriver other_server(root_);
  auto other = other_server.Connect("法院");
  one->Execute("CREATE TABLE 号 (id int IDENTITY(10, 5) NOT NULL, v varchar(5) NOT NULL, "
               "CONSTRAINT PK_号 PRIMARY KEY (v))");
  one->Execute("INSERT INTO 号 (v) VALUES ('a')");  // 10
  // A NOT NULL violation and a duplicate key each use a value up.
  EXPECT_EQ(ErrorOf(*two, "INSERT INTO 号 (v) VALUES (NULL)"), 515);
  EXPECT_EQ(FailureOf(*other, "INSERT INTO 号 (v) VALUES ('a')").number(), 2627);
  two->Execute("INSERT INTO 号 (v) VALUES ('b')");    // 25
  other->Execute("INSERT INTO 号 (v) VALUES ('c')");  // 30
  one->Execute("INSERT INTO 号 (v) VALUES ('d')");    // 35
  EXPECT_EQ(First(*one, "SELECT id FROM 号 WHERE v = 'b'"), Value::Integer(25));
  EXPECT_EQ(First(*one, "SELECT id FROM 号 WHERE v = 'c'"), Value::Integer(30));
  EXPECT_EQ(First(*one, "SELECT id FROM 号 WHERE v = 'd'"), Value::Integer(35));
  // @@IDENTITY is each session's own last value.
  EXPECT_EQ(First(*two, "SELECT @@IDENTITY"), Value::Integer(25));
  EXPECT_EQ(First(*other, "SELECT @@IDENTITY"), Value::Integer(30));

  // An explicit value moves the counter on for every session.
  other->Execute("SET IDENTITY_INSERT 号 ON INSERT INTO 号 (id, v) VALUES (100, 'e') SET IDENTITY_INSERT 号 OFF");
  two->Execute("INSERT INTO 号 (v) VALUES ('f')");
  EXPECT_EQ(First(*one, "SELECT id FROM 号 WHERE v = 'f'"), Value::Integer(105));
  // A session inside a transaction keeps its connection; the others go on
  // beside it and draw after its values once it commits.
  one->Execute("BEGIN TRANSACTION INSERT INTO 号 (v) VALUES ('g')");
  one->Execute("COMMIT TRANSACTION");
  two->Execute("INSERT INTO 号 (v) VALUES ('h')");
  EXPECT_EQ(First(*other, "SELECT id FROM 号 WHERE v = 'h'"), Value::Integer(115));
  // TRUNCATE starts again at the seed.
  other->Execute("TRUNCATE TABLE 号");
  one->Execute("INSERT INTO 号 (v) VALUES ('i')");
  EXPECT_EQ(First(*two, "SELECT id FROM 号"), Value::Integer(10));
}

TEST_F(SharedConnectionTest, TablesChangedByAnotherServerAreSeen) {
  auto court = driver_->Connect("法院");
  court->Execute("CREATE TABLE 案件 (a int NULL)");
  court->Execute("INSERT INTO 案件 (a) VALUES (1)");
  EXPECT_EQ(court->Query("SELECT * FROM 案件").columns.size(), 1u);

  EmbeddedDriver other_server(root_);
  other_server.Connect("法院")->Execute("ALTER TABLE 案件 ADD b varchar(10) NULL");
  access::ResultSet widened = court->Query("SELECT * FROM 案件");
  ASSERT_EQ(widened.columns.size(), 2u);
  EXPECT_EQ(widened.columns[1].name, "b");
  court->Execute("INSERT INTO 案件 (a, b) VALUES (2, 'x')");

  other_server.Connect("法院")->Execute("DROP TABLE 案件");
  EXPECT_EQ(FailureOf(*court, "SELECT * FROM 案件").number(), 208);
  other_server.Connect("法院")->Execute("CREATE TABLE 案件 (c datetime NULL)");
  EXPECT_EQ(court->Query("SELECT * FROM 案件").columns.at(0).name, "c");

  // Within this server a session sees another's DDL too.
  auto second = driver_->Connect("法院");
  second->Execute("ALTER TABLE 案件 ADD d int NULL");
  EXPECT_EQ(court->Query("SELECT * FROM 案件").columns.size(), 2u);
}

// Inside a transaction a description is not checked again for each
// statement; what another server changed before the transaction began, and
// what a failed statement in it undid, are still seen.
TEST_F(SharedConnectionTest, TablesChangedAroundATransactionAreSeenInIt) {
  auto court = driver_->Connect("法院");
  court->Execute("CREATE TABLE 文书 (a int NULL)");
  court->Execute("BEGIN TRANSACTION INSERT INTO 文书 (a) VALUES (1) SELECT * FROM 文书 COMMIT TRANSACTION");

  EmbeddedDriver other_server(root_);
  other_server.Connect("法院")->Execute("ALTER TABLE 文书 ADD b varchar(10) NULL");
  court->Execute("BEGIN TRANSACTION");
  EXPECT_EQ(court->Query("SELECT * FROM 文书").columns.size(), 2u);
  court->Execute("INSERT INTO 文书 (a, b) VALUES (2, 'x')");
  EXPECT_NE(ErrorOf(*court, "ALTER TABLE 文书 ADD c int NULL, b int NULL"), 0);
  EXPECT_EQ(court->Query("SELECT * FROM 文书").columns.size(), 2u);
  EXPECT_EQ(ErrorOf(*court, "INSERT INTO 文书 (a, c) VALUES (3, 3)"), 207);
  court->Execute("COMMIT TRANSACTION");
  EXPECT_EQ(First(*other_server.Connect("法院"), "SELECT b FROM 文书 WHERE a = 2"), Value::Text("x"));
}

TEST_F(SharedConnectionTest, TablesChangedByAnotherProcessOrRolledBackAreSeen) {
  court_->Execute("CREATE TABLE 卷宗 (a int NULL)");
  court_->Execute("INSERT INTO 卷宗 (a) VALUES (1)");
  EXPECT_EQ(court_->Query("SELECT * FROM 卷宗").columns.size(), 1u);

  // Every part of a table's description that another process changes.
  ASSERT_EQ(Sqlcmd(root_, "ALTER TABLE 卷宗 ADD b varchar(10) NULL"), 0);
  ASSERT_EQ(Sqlcmd(root_, "ALTER TABLE 卷宗 WITH NOCHECK ADD CONSTRAINT [DF_卷宗_b] DEFAULT ('z') FOR [b]"), 0);
  court_->Execute("INSERT INTO 卷宗 (a) VALUES (2)");
  EXPECT_EQ(First(*court_, "SELECT b FROM 卷宗 WHERE a = 2"), Value::Text("z"));
  ASSERT_EQ(Sqlcmd(root_, "ALTER TABLE 卷宗 ADD CONSTRAINT CK_卷宗 CHECK (a < 10)"), 0);
  EXPECT_EQ(ErrorOf(*court_, "INSERT INTO 卷宗 (a) VALUES (11)"), 547);
  ASSERT_EQ(Sqlcmd(root_, "ALTER TABLE 卷宗 DROP CONSTRAINT CK_卷宗"), 0);
  court_->Execute("INSERT INTO 卷宗 (a) VALUES (11)");
  ASSERT_EQ(Sqlcmd(root_, "DROP TABLE 卷宗 CREATE TABLE 卷宗 (id int IDENTITY(7, 1) NOT NULL, c int NOT NULL)"), 0);
  EXPECT_EQ(ErrorOf(*court_, "INSERT INTO 卷宗 (a) VALUES (1)"), 207);
  court_->Execute("INSERT INTO 卷宗 (c) VALUES (1)");
  EXPECT_EQ(First(*court_, "SELECT id FROM 卷宗"), Value::Integer(7));
  // What this process changes, the next process sees.
  court_->Execute("ALTER TABLE 卷宗 ADD d int NULL");
  EXPECT_EQ(Sqlcmd(root_, "INSERT INTO 卷宗 (c, d) VALUES (2, 3)"), 0);
  EXPECT_EQ(First(*court_, "SELECT d FROM 卷宗 WHERE c = 2"), Value::Integer(3));

  // A change rolled back takes its description with it, for this session and
  // for the sessions that take the connection after it.
  court_->Execute("BEGIN TRANSACTION ALTER TABLE 卷宗 ADD e int NULL");
  EXPECT_EQ(court_->Query("SELECT * FROM 卷宗").columns.size(), 4u);
  court_->Execute("ROLLBACK TRANSACTION");
  EXPECT_EQ(court_->Query("SELECT * FROM 卷宗").columns.size(), 3u);
  auto second = driver_->Connect("法院");
  EXPECT_EQ(second->Query("SELECT * FROM 卷宗").columns.size(), 3u);
  EXPECT_EQ(ErrorOf(*second, "INSERT INTO 卷宗 (c, e) VALUES (3, 1)"), 207);
  // The change counter went back with the rollback; the next change made
  // elsewhere counts as the rolled-back one did, and is still seen.
  court_->Execute("BEGIN TRANSACTION ALTER TABLE 卷宗 ADD e int NULL");
  EXPECT_EQ(court_->Query("SELECT * FROM 卷宗").columns.size(), 4u);
  court_->Execute("ROLLBACK TRANSACTION");
  ASSERT_EQ(Sqlcmd(root_, "ALTER TABLE 卷宗 ADD f int NULL"), 0);
  access::ResultSet widened = court_->Query("SELECT * FROM 卷宗");
  ASSERT_EQ(widened.columns.size(), 4u);
  EXPECT_EQ(widened.columns[3].name, "f");
  // So is one made by another server after a statement undid its own.
  EXPECT_NE(ErrorOf(*court_, "ALTER TABLE 卷宗 ADD g int NULL, f int NULL"), 0);
  EmbeddedDriver(root_).Connect("法院")->Execute("ALTER TABLE 卷宗 ADD h int NULL");
  EXPECT_EQ(court_->Query("SELECT * FROM 卷宗").columns.back().name, "h");
}

TEST_F(SharedConnectionTest, IdentityGapsOfFailedInsertsAreSeenByAnotherProcess) {
  court_->Execute("CREATE TABLE 序 (id int IDENTITY(1, 1) NOT NULL, v int NOT NULL)");
  court_->Execute("ALTER TABLE 序 ADD CONSTRAINT CK_序 CHECK (v > 0)");
  court_->Execute("INSERT INTO 序 (v) VALUES (1)");                 // 1
  EXPECT_EQ(ErrorOf(*court_, "INSERT INTO 序 (v) VALUES (-1)"), 547);  // 2, gone
  ASSERT_EQ(Sqlcmd(root_, "INSERT INTO 序 (v) VALUES (2)"), 0);       // 3
  ASSERT_NE(Sqlcmd(root_, "INSERT INTO 序 (v) VALUES (NULL)"), 0);    // 4, gone
  court_->Execute("INSERT INTO 序 (v) VALUES (3)");                 // 5
  EXPECT_EQ(First(*court_, "SELECT @@IDENTITY"), Value::Integer(5));
  access::ResultSet rows = court_->Query("SELECT id FROM 序 ORDER BY id");
  ASSERT_EQ(rows.rows.size(), 3u);
  EXPECT_EQ(rows.rows[1][0], Value::Integer(3));
  EXPECT_EQ(rows.rows[2][0], Value::Integer(5));
}

// A keyed identity column finds its counter at the end of its key (here the
// table's rowid, its key being the identity alone), so the values a row took away — the newest rows deleted, a refused row, the key
// itself dropped — must still never come back, in any process.
TEST_F(SharedConnectionTest, KeyedIdentityNeverGivesBackAValue) {
  court_->Execute("CREATE TABLE 案 (id int IDENTITY(1, 1) NOT NULL, v int NOT NULL, "
                  "CONSTRAINT PK_案 PRIMARY KEY (id))");
  court_->Execute("ALTER TABLE 案 ADD CONSTRAINT CK_案 CHECK (v > 0)");
  court_->Execute("INSERT INTO 案 (v) VALUES (1) INSERT INTO 案 (v) VALUES (2)");  // 1, 2
  court_->Execute("DELETE FROM 案 WHERE id = 2");
  ASSERT_EQ(Sqlcmd(root_, "INSERT INTO 案 (v) VALUES (3)"), 0);          // 3
  EXPECT_EQ(ErrorOf(*court_, "INSERT INTO 案 (v) VALUES (-1)"), 547);    // 4, gone
  ASSERT_NE(Sqlcmd(root_, "INSERT INTO 案 (v) VALUES (NULL)"), 0);       // 5, gone
  court_->Execute("INSERT INTO 案 (v) VALUES (6)");                      // 6
  EXPECT_EQ(First(*court_, "SELECT @@IDENTITY"), Value::Integer(6));
  court_->Execute("SET IDENTITY_INSERT 案 ON INSERT INTO 案 (id, v) VALUES (50, 7)");
  EXPECT_EQ(FailureOf(*court_, "INSERT INTO 案 (id, v) VALUES (50, 8)").number(), 2627);
  court_->Execute("SET IDENTITY_INSERT 案 OFF");
  court_->Execute("DELETE FROM 案 WHERE id >= 6");
  court_->Execute("ALTER TABLE 案 DROP CONSTRAINT PK_案");
  ASSERT_EQ(Sqlcmd(root_, "INSERT INTO 案 (v) VALUES (8)"), 0);          // 51
  EXPECT_EQ(First(*court_, "SELECT max(id) FROM 案"), Value::Integer(51));
  court_->Execute("TRUNCATE TABLE 案 INSERT INTO 案 (v) VALUES (9)");
  EXPECT_EQ(First(*court_, "SELECT id FROM 案"), Value::Integer(1));
}

// Inside one transaction a keyed identity's values follow each other
// without its counter being read again for each row; what else moves the
// counter (a refused row, an explicit value, a DELETE, TRUNCATE) still
// counts, and after the commit another process goes on from there.
TEST_F(SharedConnectionTest, KeyedIdentityInsideATransaction) {
  court_->Execute("CREATE TABLE 卷 (id int IDENTITY(1, 1) NOT NULL, v int NOT NULL, "
                  "CONSTRAINT PK_卷 PRIMARY KEY (id))");
  court_->Execute("ALTER TABLE 卷 ADD CONSTRAINT CK_卷 CHECK (v > 0)");
  court_->Execute("BEGIN TRANSACTION");
  court_->Execute("INSERT INTO 卷 (v) VALUES (1) INSERT INTO 卷 (v) VALUES (2)");  // 1, 2
  EXPECT_EQ(ErrorOf(*court_, "INSERT INTO 卷 (v) VALUES (-1)"), 547);           // 3, gone
  court_->Execute("INSERT INTO 卷 (v) VALUES (4)");                             // 4
  court_->Execute("SET IDENTITY_INSERT 卷 ON INSERT INTO 卷 (id, v) VALUES (20, 5) SET IDENTITY_INSERT 卷 OFF");
  court_->Execute("INSERT INTO 卷 (v) VALUES (6)");  // 21
  court_->Execute("DELETE FROM 卷 WHERE id = 21");
  court_->Execute("INSERT INTO 卷 (v) VALUES (7)");  // 22
  EXPECT_EQ(First(*court_, "SELECT @@IDENTITY"), Value::Integer(22));
  court_->Execute("COMMIT TRANSACTION");
  ASSERT_EQ(Sqlcmd(root_, "INSERT INTO 卷 (v) VALUES (8)"), 0);  // 23
  access::ResultSet rows = court_->Query("SELECT id FROM 卷 ORDER BY id");
  std::vector<Value> ids;
  for (const auto& row : rows.rows) ids.push_back(row[0]);
  EXPECT_EQ(ids, (std::vector<Value>{Value::Integer(1), Value::Integer(2), Value::Integer(4), Value::Integer(20),
                                     Value::Integer(22), Value::Integer(23)}));
  court_->Execute("BEGIN TRANSACTION INSERT INTO 卷 (v) VALUES (9) TRUNCATE TABLE 卷 "
                  "INSERT INTO 卷 (v) VALUES (10) INSERT INTO 卷 (v) VALUES (11) COMMIT TRANSACTION");
  EXPECT_EQ(First(*court_, "SELECT max(id) FROM 卷"), Value::Integer(2));
}

TEST_F(SharedConnectionTest, LongBatchesKeepTheirErrorRules) {
  auto court = driver_->Connect("法院");
  court->Execute("CREATE TABLE T (a int NOT NULL, b varchar(3) NULL)");
  // Well past the length up to which a batch's statements are kept whole.
  constexpr int kStatements = 20000;
  std::string batch;
  for (int i = 1; i <= kStatements; ++i) {
    batch += "insert into T (a, b) values (" + std::to_string(i) + ", 'x')\r\n";
    // A constraint error in the middle ends only its statement.
    if (i == kStatements / 2) batch += "insert into T (b) values ('y')\r\n";
  }
  auto& session = dynamic_cast<EmbeddedSession&>(*court);
  BatchResult result = session.Run(batch);
  ASSERT_NE(result.FirstError(), nullptr);
  EXPECT_EQ(result.FirstError()->number(), 515);
  EXPECT_EQ(result.statements.size(), static_cast<std::size_t>(kStatements + 1));
  EXPECT_EQ(First(*court, "SELECT COUNT(*) FROM T"), Value::Integer(kStatements));

  // A syntax error on the last line stops all of it.
  access::Error syntax = FailureOf(*court, batch + "insert into T (a) values (0\r\n");
  EXPECT_EQ(syntax.number(), 170);
  EXPECT_EQ(syntax.description(), "Line 1: Incorrect syntax near '0'.");
  EXPECT_EQ(First(*court, "SELECT COUNT(*) FROM T"), Value::Integer(kStatements));
  // So does a USE of a database that does not exist.
  EXPECT_EQ(FailureOf(*court, batch + "use 没有\r\n").number(), 911);
  EXPECT_EQ(First(*court, "SELECT COUNT(*) FROM T"), Value::Integer(kStatements));
  // An error that ends the batch leaves what ran before it.
  result = session.Run(batch + "insert into T (a) values ('z')\r\n" + batch);
  ASSERT_FALSE(result.messages.empty());
  EXPECT_EQ(result.messages.back().number(), 245);
  EXPECT_EQ(First(*court, "SELECT COUNT(*) FROM T"), Value::Integer(2 * kStatements));
}

}  // namespace
}  // namespace court::mssql
