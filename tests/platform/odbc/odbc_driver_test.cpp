// The ODBC driver against court-server through FreeTDS's driver: values of
// every kind both ways (bound parameters out, long values read in pieces),
// the server's errors word for word as the embedded driver reports them,
// rows found again for an update, the server's files through its extended
// procedures, where the password may come from, and court-sqlcmd's network
// forms.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "platform/access/error.h"
#include "platform/mssql/embedded_driver.h"
#include "platform/odbc/odbc_driver.h"
#include "platform/odbc/server_files.h"
#include "tests/support/child_process.h"
#include "tests/support/court_server_process.h"
#include "tests/support/temp_dir.h"

namespace court::odbc {
namespace {

namespace fs = std::filesystem;
using access::Value;
using testing::CourtServerProcess;

class OdbcDriverTest : public ::testing::Test {
 protected:
  OdbcDriverTest() {
    mssql::EmbeddedDriver(root()).Connect("master")->Execute("CREATE DATABASE 测试");
    server_.emplace(root());
    driver_.emplace(ConnectionSettings(server_->Connection(), CourtServerProcess::kPassword));
  }
  fs::path root() const { return temp_.path() / "server"; }
  std::unique_ptr<OdbcSession> Open(const std::string& database = "测试") { return driver_->Open(database); }

  testing::TempDir temp_;
  std::optional<CourtServerProcess> server_;
  std::optional<OdbcDriver> driver_;
};

TEST_F(OdbcDriverTest, ValuesOfEveryKindTravelBothWays) {
  auto session = Open();
  session->Execute("CREATE TABLE 值 (id int, 文本 varchar(50), 长文本 text, 数据 image, 金额 money, "
                   "时间 datetime, 是否 bit, 小数 float)");
  std::string long_text;
  for (int i = 0; i < 9000; ++i) long_text += i % 2 ? "案" : "x";
  access::Bytes blob(100000);
  for (std::size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<unsigned char>(i * 7);
  const std::vector<Value> row = {Value::Integer(1), Value::Text("借款合同纠纷"), Value::Text(long_text),
                                  Value::Binary(blob), Value::Money({-123456789}),
                                  Value::Date({2003, 4, 5, 6, 7, 8, 997}), Value::Boolean(true),
                                  Value::Float(0.1)};
  session->Query("select * from 值");  // what an updatable record set asks first
  session->InsertRow("值", {"id", "文本", "长文本", "数据", "金额", "时间", "是否", "小数"}, row);
  session->InsertRow("值", {"id", "数据", "长文本"}, {Value::Integer(2), Value(), Value()});

  access::ResultSet read = session->Query("SELECT * FROM 值 ORDER BY id");
  ASSERT_EQ(read.rows.size(), 2u);
  EXPECT_EQ(read.rows[0], row);
  EXPECT_TRUE(read.rows[1][3].is_null());
  EXPECT_TRUE(read.rows[1][2].is_null());
  EXPECT_EQ(read.columns[4].type, access::ValueType::kCurrency);
  EXPECT_EQ(read.base_table, std::optional<std::string>("值"));
  // The same rows as the embedded engine reads them from its own file.
  EXPECT_EQ(mssql::EmbeddedDriver(root()).Connect("测试")->Query("SELECT * FROM 值 ORDER BY id").rows, read.rows);
}

TEST_F(OdbcDriverTest, ErrorsReadAsTheEmbeddedServersErrors) {
  mssql::EmbeddedDriver embedded(root());
  for (const char* sql : {"select * from 没有的表", "select 没有的列 from sysobjects", "selec 1",
                          "exec sp_addlogin 'sa', 'x'", "insert into sysobjects (name) values ('x')"}) {
    SCOPED_TRACE(sql);
    try {
      embedded.Connect("测试")->Execute(sql);
      ADD_FAILURE() << "the embedded server accepted it";
    } catch (const access::Error& expected) {
      try {
        Open()->Execute(sql);
        ADD_FAILURE() << "accepted over ODBC";
      } catch (const access::Error& actual) {
        EXPECT_EQ(actual.number(), expected.number());
        EXPECT_EQ(actual.description(), expected.description());
      }
    }
  }
  try {
    Open("没有的库");
    FAIL();
  } catch (const access::Error& e) {
    EXPECT_EQ(e.number(), 4060) << e.description();
  }
}

TEST_F(OdbcDriverTest, UpdatesFindTheirRowByItsValuesAndFailWhenItIsGone) {
  auto session = Open();
  session->Execute("CREATE TABLE 行 (名称 varchar(10), 序号 int, 内容 image)");
  session->Execute("insert into 行 values ('甲', 1, null) insert into 行 values ('甲', 2, null)");
  access::ResultSet rows = session->Query("select * from 行 where 名称 = '甲' order by 序号");
  ASSERT_EQ(rows.row_ids.size(), 2u);
  session->UpdateRow("行", rows.row_ids[1], {"内容"}, {Value::Binary({1, 2})});
  session->UpdateRow("行", rows.row_ids[1], {"序号"}, {Value::Integer(3)});  // found by its new values
  EXPECT_EQ(session->Query("select 序号, 内容 from 行 order by 序号").rows,
            (std::vector<access::Row>{{Value::Integer(1), Value()}, {Value::Integer(3), Value::Binary({1, 2})}}));

  Open()->Execute("delete from 行 where 序号 = 1");
  try {
    session->UpdateRow("行", rows.row_ids[0], {"内容"}, {Value::Binary({9})});
    FAIL();
  } catch (const access::Error& e) {
    EXPECT_EQ(e.number(), kRowNotLocated);
  }
  EXPECT_FALSE(session->Query("select a.name from sysobjects a, syscolumns b where a.id = b.id").base_table);
}

TEST_F(OdbcDriverTest, ServerFilesGoThroughTheServer) {
  ServerFiles files(*driver_);
  EXPECT_EQ(files.Drives(), (std::vector<std::string>{"C:", "D:"}));
  EXPECT_FALSE(files.DirectoryExists("D:\\法院_SQL数据"));
  files.MakeDirectory("D:\\法院_SQL数据");
  EXPECT_TRUE(fs::is_directory(root() / "drives" / "D" / "法院_SQL数据"));
  EXPECT_TRUE(files.DirectoryExists("D:\\法院_SQL数据"));
  EXPECT_FALSE(files.FileExists("D:\\法院_SQL数据"));
  std::ofstream(root() / "drives" / "D" / "法院_SQL数据" / "内部邮件_Data.MDF") << "left over";
  EXPECT_TRUE(files.FileExists("D:\\法院_SQL数据\\内部邮件_Data.MDF"));
  try {
    files.DeleteFile("D:\\法院_SQL数据\\内部邮件_Data.MDF");
    FAIL();
  } catch (const access::Error& e) {
    EXPECT_EQ(e.number(), 75);
    EXPECT_NE(e.description().find("leftover data file 'D:\\法院_SQL数据\\内部邮件_Data.MDF'"), std::string::npos);
  }
  try {
    files.MakeDirectory("Q:\\没有的盘");
    FAIL();
  } catch (const access::Error& e) {
    EXPECT_EQ(e.number(), 75);
    EXPECT_NE(e.description().find("creating the data directory 'Q:\\没有的盘'"), std::string::npos) << e.description();
  }
}

TEST_F(OdbcDriverTest, PasswordComesFromTheStringTheCallerOrOdbcIni) {
  const std::string connection = server_->Connection();
  EXPECT_THROW(OdbcDriver(ConnectionSettings(connection, "wrong")).Open("master"), access::Error);
  OdbcDriver(ConnectionSettings(connection + ";PWD=" + CourtServerProcess::kPassword, "wrong")).Open("master");
  const ConnectionSettings with_password(connection + ";PWD={a;b}", "");
  EXPECT_EQ(with_password.Description(), connection);
  EXPECT_EQ(with_password.ForDatabase("法院"), connection + ";PWD={a;b};Database=法院");
  EXPECT_EQ(with_password.Host(), "");  // 127.0.0.1: this machine
  EXPECT_EQ(ConnectionSettings("Driver=FreeTDS;Server=tcp:法院服务器,1433", "").Host(), "法院服务器");

  const fs::path ini = temp_.path() / "odbc.ini";
  std::ofstream(ini) << "[court]\nDriver=FreeTDS\nServer=127.0.0.1\nPort=" << server_->port()
                     << "\nTDS_Version=7.1\nUID=sa\nPWD=" << CourtServerProcess::kPassword << "\n";
  setenv("ODBCINI", ini.c_str(), 1);
  OdbcDriver(ConnectionSettings("DSN=court;UID=sa", "")).Open("master");
  unsetenv("ODBCINI");
}

TEST_F(OdbcDriverTest, SqlcmdReachesTheServerByAddressAndLogin) {
  auto run = [&](std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), COURT_BUILD_DIR "/court-sqlcmd");
    return testing::RunProgram({.argv = arguments, .env = {{"SQLCMDPASSWORD", CourtServerProcess::kPassword}}});
  };
  const std::string address = "127.0.0.1," + std::to_string(server_->port());
  const testing::ProgramResult named =
      run({"-S", address, "-U", "sa", "-d", "测试", "-Q", "SELECT N'法院' AS 名称, 0x0A0B AS b, null AS n"});
  EXPECT_EQ(named.exit_code, 0);
  EXPECT_EQ(named.out, "名称\tb\tn\n法院\t0x0A0B\tNULL\n");
  const testing::ProgramResult missing = run({"-S", address, "-U", "sa", "-Q", "select * from 没有"});
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_EQ(missing.err, "Msg 208, Level 16, State 1, Line 1\nInvalid object name '没有'.\n");
  const testing::ProgramResult refused =
      run({"-S", "odbc:" + server_->Connection(), "-P", "wrong", "-Q", "select 1"});
  EXPECT_EQ(refused.exit_code, 1);
  EXPECT_NE(refused.err.find("Msg 18456,"), std::string::npos) << refused.err;
}

}  // namespace
}  // namespace court::odbc
