// Money and decimal values are exact. They are kept as integer units of
// their scale, so values beyond a double's fifteen digits come back as
// written, sums of cents do not drift, and a constant is compared with a
// column as written, not first rounded to the column's scale. A file from
// before, holding floats, has them turned into units when it is opened,
// with the other upgrades an older file needs.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdint>
#include <limits>
#include <string>

#include "platform/access/value.h"
#include "tests/platform/mssql/court_database_fixture.h"

namespace court::mssql {
namespace {

using access::Value;

using ExactNumbersTest = CourtDatabaseTest;

access::Row Row(access::Session& session, const std::string& sql) { return session.Query(sql).rows.at(0); }

TEST_F(ExactNumbersTest, ValuesToTheLastDigitAndOverflowAtTheTypesLimits) {
  court_->Execute("CREATE TABLE 账 (id int NOT NULL PRIMARY KEY, m money, d decimal(18, 2), s smallmoney)");
  court_->Execute("INSERT INTO 账 VALUES (1, 922337203685477.5807, 9999999999999999.99, 214748.3647)");
  court_->Execute("INSERT INTO 账 VALUES (2, -922337203685477.5808, '-0.01', '-$214,748.3648')");
  court_->Execute("INSERT INTO 账 VALUES (3, 0.00005, 1.005, 1.23456)");
  const std::int64_t most = std::numeric_limits<std::int64_t>::max();
  EXPECT_EQ(Row(*court_, "SELECT m, d, s FROM 账 WHERE id = 1"),
            (access::Row{Value::Money({most}), Value::Exact({999999999999999999, 2}), Value::Money({2147483647})}));
  EXPECT_EQ(Row(*court_, "SELECT m, d, s FROM 账 WHERE id = 2"),
            (access::Row{Value::Money({-most - 1}), Value::Exact({-1, 2}), Value::Money({-2147483648})}));
  // Past the scale a value is rounded half away from zero.
  EXPECT_EQ(Row(*court_, "SELECT m, d, s FROM 账 WHERE id = 3"),
            (access::Row{Value::Money({1}), Value::Exact({101, 2}), Value::Money({12346})}));

  EXPECT_EQ(ErrorOf(*court_, "INSERT INTO 账 (id, m) VALUES (4, 922337203685477.5808)"), 8115);
  EXPECT_EQ(ErrorOf(*court_, "INSERT INTO 账 (id, d) VALUES (4, 10000000000000000)"), 8115);
  EXPECT_EQ(ErrorOf(*court_, "INSERT INTO 账 (id, s) VALUES (4, 214748.3648)"), 8115);
  EXPECT_EQ(ErrorOf(*court_, "INSERT INTO 账 (id, d) VALUES (4, '1e3')"), 8114);
  EXPECT_EQ(ErrorOf(*court_, "INSERT INTO 账 (id, m) VALUES (4, 'ten')"), 235);
  // Arithmetic beyond 64 bits of units overflows rather than going float.
  EXPECT_EQ(ErrorOf(*court_, "SELECT m * 2 FROM 账 WHERE id = 1"), 8115);
  EXPECT_EQ(ErrorOf(*court_, "SELECT sum(m) FROM 账 WHERE id IN (1, 3)"), 8115);
  EXPECT_EQ(ErrorOf(*court_, "SELECT d / 0 FROM 账"), 8134);
}

TEST_F(ExactNumbersTest, SumsProductsQuotientsAndComparisonsAreExact) {
  court_->Execute("CREATE TABLE 费 (n int NOT NULL, m money, d decimal(9, 2))");
  court_->Execute("DECLARE @i int SET @i = 0 WHILE @i < 1000 BEGIN "
                  "INSERT INTO 费 VALUES (@i, 0.1, 0.01) SET @i = @i + 1 END");
  EXPECT_EQ(Row(*court_, "SELECT sum(m), sum(d), avg(d), avg(m) FROM 费"),
            (access::Row{Value::Money({1000000}), Value::Exact({1000, 2}), Value::Exact({10000, 6}),
                         Value::Money({1000})}));
  EXPECT_EQ(Row(*court_, "SELECT 0.1 + 0.2, 1.0 / 3, 2.50 * 1.1, 7.5 % 2"),
            (access::Row{Value::Exact({3, 1}), Value::Exact({333333, 6}), Value::Exact({2750, 3}),
                         Value::Exact({15, 1})}));
  // A constant meets the column at the finer of the two scales.
  EXPECT_EQ(Row(*court_, "SELECT count(*) FROM 费 WHERE d = 0.010"), access::Row{Value::Integer(1000)});
  EXPECT_EQ(Row(*court_, "SELECT count(*) FROM 费 WHERE d = 0.014"), access::Row{Value::Integer(0)});
  EXPECT_EQ(Row(*court_, "SELECT count(*) FROM 费 WHERE m > 0 AND m BETWEEN 0.1 AND '0.1' AND d IN (1, 0.01)"),
            access::Row{Value::Integer(1000)});
  // Money into an integer rounds, a decimal is cut; both into text keep
  // their digits; a float meets them as a plain number.
  EXPECT_EQ(Row(*court_, "SELECT CONVERT(int, CAST(2.5 AS money)), CONVERT(int, 2.5), "
                         "CONVERT(varchar(30), CAST(1234567890123.4567 AS money)), "
                         "CASE WHEN CAST(0.1 AS float) = 0.1 THEN 1 ELSE 0 END"),
            (access::Row{Value::Integer(3), Value::Integer(2), Value::Text("1234567890123.4567"),
                         Value::Integer(1)}));
  // UPDATE and INSERT ... SELECT carry units from one scale to another.
  court_->Execute("UPDATE 费 SET m = m * 3 + d WHERE n = 0");
  court_->Execute("INSERT INTO 费 SELECT n + 1000, d, m FROM 费 WHERE n = 0");
  EXPECT_EQ(Row(*court_, "SELECT m, d FROM 费 WHERE n = 1000"), (access::Row{Value::Money({100}), Value::Exact({31, 2})}));
}

// The float an older engine left in an exact column is the number itself;
// the system indexes it lacked are made. (The file is changed behind the
// engine's back by rowid: its columns compare under a collation only the
// engine registers.)
TEST_F(ExactNumbersTest, AnOlderFileIsBroughtUpToDateWhenItIsOpened) {
  court_->Execute("CREATE TABLE 旧 (id int NOT NULL, m money, d decimal(9, 3))");
  court_->Execute("INSERT INTO 旧 VALUES (1, 0, 0) INSERT INTO 旧 VALUES (2, NULL, 7.125)");
  court_.reset();
  driver_.reset();

  const std::filesystem::path file = root_ / "drives" / "D" / "法院_Data.MDF";
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "UPDATE \"旧\" SET m = 1.5, d = 2.25 WHERE rowid = 1; DELETE FROM court_upgrades; "
                         "DROP INDEX syscolumns_id",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);

  driver_ = std::make_unique<EmbeddedDriver>(root_);
  court_ = driver_->Connect("法院");
  EXPECT_EQ(Row(*court_, "SELECT m * 2, d + 1, m FROM 旧 WHERE m = 1.5 AND d = 2.250"),
            (access::Row{Value::Money({30000}), Value::Exact({3250, 3}), Value::Money({15000})}));
  EXPECT_EQ(Row(*court_, "SELECT d FROM 旧 WHERE id = 2"), access::Row{Value::Exact({7125, 3})});

  ASSERT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT typeof(m), typeof(d) FROM \"旧\" WHERE rowid = 1", -1, &stmt, nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "integer");
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)), "integer");
  sqlite3_finalize(stmt);
  ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_schema WHERE name = 'syscolumns_id'", -1, &stmt,
                               nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_int(stmt, 0), 1);
  sqlite3_finalize(stmt);
  sqlite3_close(db);
}

}  // namespace
}  // namespace court::mssql
