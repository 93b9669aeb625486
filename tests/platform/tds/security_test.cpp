// Logins, rights and encryption of a real court-server, seen through clients
// that no one here wrote (FreeTDS's tsql, node's tedious, jTDS): refused logins
// say nothing but 18456; after a real court-setup installation the service
// login vek may do exactly what the installer granted; DENY wins over
// GRANT; passwords never stand in the server's files; TLS as clients ask
// for it, and refused when a client will not encrypt and the server
// requires it.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/text/fnv.h"
#include "tests/platform/tds/client_tools.h"
#include "tests/support/child_process.h"
#include "tests/support/court_setup_process.h"
#include "tests/support/server_process.h"
#include "tests/support/temp_dir.h"

namespace court::testing {
namespace {

namespace fs = std::filesystem;

const std::string kClients = COURT_SOURCE_DIR "/tests/platform/tds/clients";
const std::string kVekPassword = "pobtrew47";  // the installer's fixed password for vek

struct Outcome {
  nlohmann::json login;        // "ok", or the error number
  std::string message;         // the login's error text
  std::vector<int> errors;     // per batch: 0, or the first error's number
  std::string output;
};

// Runs batches one after another on one tedious connection.
Outcome Tedious(int port, const std::string& login, const std::string& password,
                const std::vector<std::string>& batches, bool encrypt = false, const std::string& database = "") {
  TempDir folder;
  const fs::path file = folder.path() / "batches.json";
  std::ofstream(file) << nlohmann::json(batches).dump();
  Outcome outcome;
  outcome.output = RunProgram({.argv = {"node", kClients + "/statements.mjs", TediousModules(), std::to_string(port),
                                        login, password, encrypt ? "true" : "false", database, file.string()},
                               .timeout = std::chrono::seconds(120),
                               .err_into_out = true})
                       .out;
  std::istringstream lines(outcome.output);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] != '{') continue;
    const nlohmann::json j = nlohmann::json::parse(line);
    if (j.contains("login")) outcome.login = j["login"];
    if (j.contains("message")) outcome.message = j["message"];
    if (j.contains("error")) outcome.errors.push_back(j["error"].get<int>());
  }
  return outcome;
}

// Runs batches as sa through tsql; fails the test when one reports an
// error (a message of severity above 10).
void AsSa(int port, const std::string& batches) {
  int status = 0;
  const std::string out = Tsql(port, batches + "exit\n", kSaPassword, &status);
  for (std::size_t at = out.find("(severity "); at != std::string::npos; at = out.find("(severity ", at + 1))
    EXPECT_LE(std::stoi(out.substr(at + 10)), 10) << out;
}

// A statement and the error it must end with (0: none).
using Expectation = std::pair<std::string, int>;

void ExpectOutcomes(int port, const std::string& login, const std::string& password,
                    const std::vector<Expectation>& expectations) {
  std::vector<std::string> batches;
  for (const auto& [sql, error] : expectations) batches.push_back(sql);
  const Outcome got = Tedious(port, login, password, batches);
  ASSERT_EQ(got.login, "ok") << got.output;
  ASSERT_EQ(got.errors.size(), expectations.size()) << got.output;
  for (std::size_t i = 0; i < expectations.size(); ++i)
    EXPECT_EQ(got.errors[i], expectations[i].second) << login << ": " << expectations[i].first;
}

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

fs::path ServerRoot(const TempDir& folder) { return folder.path() / "server"; }

std::string Utf16(const std::string& ascii) {
  std::string wide;
  for (char c : ascii) wide += std::string(1, c) + '\0';
  return wide;
}

// Installs the sample release with the real court-setup into folder/server.
void Install(const TempDir& folder) {
  const SetupOutcome installed =
      RunCourtSetup(folder.path(), "install",
                    {"embedded:" + ServerRoot(folder).string(), {"--catalogue", COURT_BUILD_DIR "/table.mdb", "--drive", "D:"}});
  ASSERT_EQ(installed.exit_code, 0) << installed.err;
}

TEST(Security, RefusedLoginsTellNothingButLoginFailed) {
  TempDir root;
  ServerProcess server(root.path());
  AsSa(server.port(),
       "EXEC sp_addlogin 'gone', 'Gone#Word1'\ngo\nEXEC sp_addlogin 'off', 'Off#Word1'\ngo\n"
       "EXEC sp_droplogin 'gone'\ngo\nEXEC sp_denylogin 'off'\ngo\n");
  const std::vector<std::pair<std::string, std::string>> refused = {
      {"sa", "wrong password"}, {"nosuch", "Any#Word1"}, {"gone", "Gone#Word1"}, {"off", "Off#Word1"}};
  for (const auto& [login, password] : refused) {
    int status = 0;
    const std::string out = TsqlAs(server.port(), login, password, "SELECT 1\ngo\nexit\n", &status);
    EXPECT_NE(out.find("Msg 18456 (severity 14"), std::string::npos) << login << "\n" << out;
    EXPECT_NE(out.find("Login failed for user '" + login + "'."), std::string::npos) << out;
    if (login == "nosuch" || login == "off") continue;  // each failure slows the next login down
    const Outcome tedious = Tedious(server.port(), login, password, {});
    EXPECT_EQ(tedious.login, 18456) << tedious.output;
    EXPECT_EQ(tedious.message, "Login failed for user '" + login + "'.") << tedious.output;
  }
  // Let in again, it logs in; the right password still works after the failures.
  AsSa(server.port(), "EXEC sp_grantlogin 'off'\ngo\n");
  EXPECT_EQ(Tedious(server.port(), "off", "Off#Word1", {"SELECT 1"}).login, "ok");
  EXPECT_EQ(Tedious(server.port(), "sa", kSaPassword, {"SELECT 1"}).login, "ok");
}

// The first network start of a root sets sa's password (here from a file,
// which wins over the environment); later starts keep the stored one.
TEST(Security, FirstStartSetsTheAdministratorPasswordForGood) {
  TempDir folder;
  const fs::path root = folder.path() / "server", file = folder.path() / "sa-password";
  std::ofstream(file) << "From#File1\n";
  int status = 0;
  {
    ServerProcess server(root, {"--sa-password-file", file.string()});
    EXPECT_NE(TsqlAs(server.port(), "sa", "From#File1", "SELECT 'in'\ngo\nexit\n", &status).find("\nin\n"),
              std::string::npos);
  }
  ServerProcess server(root);  // COURT_SERVER_SA_PASSWORD is set, and ignored now
  EXPECT_NE(TsqlAs(server.port(), "sa", kSaPassword, "SELECT 1\ngo\nexit\n", &status).find("Msg 18456"),
            std::string::npos);
  EXPECT_NE(TsqlAs(server.port(), "sa", "From#File1", "SELECT 'in'\ngo\nexit\n", &status).find("\nin\n"),
            std::string::npos);
}

// Servers made before passwords were hashed kept a 64-bit FNV-1a digest:
// the right password still logs in, once, and leaves a proper hash behind.
TEST(Security, DigestsFromBeforeHashingAreReplacedAtTheFirstLogin) {
  TempDir root;
  ASSERT_EQ(RunProgram({.argv = {COURT_BUILD_DIR "/court-sqlcmd", "-S", root.path().string(), "-Q",
                                 "EXEC sp_addlogin 'old', 'Old#Word1'"}})
                .exit_code,
            0);
  const std::uint64_t digest = court::text::Fnv1a("Old#Word1", court::text::kShortFnvOffsetBasis);
  const std::string master = (root.path() / "master.mdf").string();
  ASSERT_EQ(RunProgram({.argv = {"sqlite3", master, "UPDATE syslogins SET password = '" + std::to_string(digest) +
                                                        "' WHERE hex(name) = hex('old')"}})
                .exit_code,
            0);
  ServerProcess server(root.path());
  EXPECT_EQ(Tedious(server.port(), "old", "Old#Word2", {}).login, 18456);
  EXPECT_EQ(Tedious(server.port(), "old", "Old#Word1", {}).login, "ok");
  const std::string stored =
      RunProgram({.argv = {"sqlite3", master, "SELECT password FROM syslogins WHERE hex(name) = hex('old')"}}).out;
  EXPECT_EQ(stored.rfind("$argon2id$", 0), 0u) << stored;
  EXPECT_EQ(Tedious(server.port(), "old", "Old#Word1", {}).login, "ok");
}

// One installation serves the rights cases: what the grant pass gave vek,
// what its server roles allow, a database it was never given, DENY and
// REVOKE, passwords at rest.
class InstalledServer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    root_ = new TempDir;
    Install(*root_);
    server_ = new ServerProcess(ServerRoot(*root_));
    AsSa(server_->port(),
         "USE 法院\ngo\nCREATE TABLE 未授权 (a int)\ngo\nINSERT INTO 未授权 VALUES (1)\ngo\n"
         "CREATE DATABASE 无权库\ngo\nEXEC sp_addlogin 'nobody', 'Nobody#1'\ngo\n"
         "EXEC sp_addlogin 'keeper', 'Keeper#1'\ngo\nEXEC sp_addsrvrolemember 'keeper', 'securityadmin'\ngo\n"
         "EXEC sp_addlogin 'builder', 'Builder#1'\ngo\nEXEC sp_addsrvrolemember 'builder', 'dbcreator'\ngo\n"
         "EXEC sp_addlogin 'reader', 'Reader#1'\ngo\nEXEC sp_addlogin 'owner', 'Owner#12'\ngo\n"
         "USE 法院\ngo\nEXEC sp_grantdbaccess 'reader'\ngo\nEXEC sp_addrolemember 'db_datareader', 'reader'\ngo\n"
         "EXEC sp_grantdbaccess 'owner'\ngo\nEXEC sp_addrolemember 'db_owner', 'owner'\ngo\n");
  }
  static void TearDownTestSuite() {
    delete server_;
    delete root_;
  }
  static int port() { return server_->port(); }

  static TempDir* root_;
  static ServerProcess* server_;
};

TempDir* InstalledServer::root_ = nullptr;
ServerProcess* InstalledServer::server_ = nullptr;

TEST_F(InstalledServer, VekDoesWhatTheGrantPassGaveAndNothingElse) {
  ExpectOutcomes(port(), "vek", kVekPassword,
                 {
                     // Its default database is master, where it is guest.
                     {"SELECT name FROM master.dbo.sysdatabases", 0},
                     {"SELECT name FROM syslogins WHERE name = 'vek'", 0},
                     {"USE 法院", 0},
                     // Granted tables: every right the grant pass gave.
                     {"SELECT count(*) FROM 案件", 0},
                     {"INSERT INTO 交接 (aj_id, 接收人) VALUES (1, 'vek')", 0},
                     {"UPDATE 交接 SET 接收人 = 'vek2' WHERE 接收人 = 'vek'", 0},
                     {"DELETE FROM 交接 WHERE 接收人 = 'vek2'", 0},
                     {"SELECT count(*) FROM 法律条文", 0},
                     // Granted views, and system tables (read only, whatever was granted).
                     {"SELECT count(*) FROM 最后次交接", 0},
                     {"SELECT count(*) FROM 计算交接", 0},
                     {"SELECT count(*) FROM sysobjects", 0},
                     {"UPDATE sysobjects SET crdate = crdate WHERE 1 = 0", 259},
                     // A table made after the grant pass.
                     {"SELECT a FROM 未授权", 229},
                     {"INSERT INTO 未授权 VALUES (2)", 229},
                     {"UPDATE 未授权 SET a = 3", 229},
                     {"DELETE FROM 未授权", 229},
                     {"SELECT count(*) FROM 交接 WHERE EXISTS (SELECT a FROM 未授权)", 229},
                     {"CREATE VIEW 偷看 AS SELECT a FROM 未授权", 229},
                     // Only the owner alters, drops, truncates and grants.
                     {"DROP TABLE 案件", 3704},
                     {"ALTER TABLE 案件 ADD 新列 int NULL", 3704},
                     {"TRUNCATE TABLE 交接", 3704},
                     {"GRANT SELECT ON 未授权 TO vek", 4613},
                     {"EXEC sp_grantdbaccess 'nobody'", 15247},
                     // The server's disks are sysadmin's alone.
                     {"EXEC master..xp_fixeddrives", 229},
                     {"EXEC master..xp_fileexist 'C:\\x'", 229},
                     {"EXEC master..xp_create_subdir 'D:\\x'", 229},
                     // GRANT all to vek: statement permissions; what vek makes is its own.
                     {"CREATE TABLE vek自己的 (a int)", 0},
                     {"INSERT INTO vek自己的 VALUES (1)", 0},
                     {"SELECT a FROM vek自己的", 0},
                     {"DROP TABLE vek自己的", 0},
                     // The mail database: granted too.
                     {"USE 内部邮件", 0},
                     {"SELECT count(*) FROM 邮箱", 0},
                     // A database it was never given.
                     {"USE 无权库", 916},
                     // Server roles: serveradmin, setupadmin, processadmin, diskadmin, dbcreator, bulkadmin.
                     {"USE master", 0},
                     {"EXEC sp_addlogin 'intruder', 'Intruder#1'", 15247},
                     {"EXEC sp_droplogin 'nobody'", 15247},
                     {"EXEC sp_addsrvrolemember 'vek', 'sysadmin'", 15247},
                     {"EXEC sp_addsrvrolemember 'vek', 'securityadmin'", 15247},
                     {"EXEC sp_addsrvrolemember 'nobody', 'bulkadmin'", 0},
                     {"EXEC sp_password NULL, 'Other#Pw1', 'sa'", 15247},
                     {"CREATE DATABASE vek库", 0},
                     {"USE vek库", 0},
                     {"CREATE TABLE t (a int)", 0},
                     {"SELECT a FROM t", 0},
                 });
  // Still not sysadmin: what it was refused did not happen.
  int status = 0;
  const std::string out = Tsql(port(), "SELECT count(*) FROM master.dbo.syslogins WHERE name = 'intruder' OR (name = 'vek' AND sysadmin = 1)\ngo\nexit\n", kSaPassword, &status);
  EXPECT_NE(out.find("\n0\n"), std::string::npos) << out;
}

TEST_F(InstalledServer, FreeTdsSeesTheSameRefusals) {
  int status = 0;
  const std::string out = TsqlAs(port(), "vek", kVekPassword,
                                 "USE 法院\ngo\nSELECT count(*) FROM 未授权\ngo\nSELECT count(*) FROM 交接\ngo\n"
                                 "USE 无权库\ngo\nexit\n",
                                 &status);
  EXPECT_NE(out.find("SELECT permission denied on object '未授权', database '法院', owner 'dbo'."),
            std::string::npos) << out;
  EXPECT_NE(out.find("Server user 'vek' is not a valid user in database '无权库'."), std::string::npos) << out;
  EXPECT_NE(out.find("Msg 229 (severity 14"), std::string::npos) << out;
}

TEST_F(InstalledServer, ServerRolesGiveWhatSqlServerGives) {
  ExpectOutcomes(port(), "nobody", "Nobody#1",
                 {{"CREATE DATABASE 别人的库", 262},
                  {"EXEC sp_addlogin 'x1', 'Xx#12345'", 15247},
                  {"SELECT count(*) FROM sysdatabases", 0}});
  ExpectOutcomes(port(), "keeper", "Keeper#1",
                 {{"EXEC sp_addlogin 'x1', 'Xx#12345'", 0},
                  {"EXEC sp_addsrvrolemember 'x1', 'dbcreator'", 0},
                  {"EXEC sp_addsrvrolemember 'x1', 'sysadmin'", 15247},
                  {"EXEC sp_password NULL, 'Xx#67890', 'x1'", 0},
                  {"EXEC sp_droplogin 'x1'", 0},
                  {"CREATE DATABASE 管钥匙的库", 262},
                  {"USE 法院", 916}});
  ExpectOutcomes(port(), "builder", "Builder#1",
                 {{"CREATE DATABASE 建库者的库", 0},
                  {"EXEC sp_addlogin 'x2', 'Xx#12345'", 15247},
                  {"USE 法院", 916}});
}

// BACKUP DATABASE: sysadmin, the database's owners and backup operators, and
// users granted it (the grant pass's GRANT ALL gives it to vek); the file
// appears at the device's path on the server's drives.
TEST_F(InstalledServer, BackupIsForThoseSqlServerAllowsIt) {
  ExpectOutcomes(port(), "reader", "Reader#1", {{"BACKUP DATABASE [法院] TO DISK = N'D:\\reader.bak'", 262}});
  ExpectOutcomes(port(), "nobody", "Nobody#1", {{"BACKUP DATABASE [法院] TO DISK = N'D:\\nobody.bak'", 916}});
  ExpectOutcomes(port(), "owner", "Owner#12",
                 {{"BACKUP DATABASE [法院] TO DISK = N'D:\\owner.bak' WITH INIT", 0},
                  {"BACKUP DATABASE [法院] TO DISK = N'D:\\owner.bak'", 3201}});
  ExpectOutcomes(port(), "vek", kVekPassword, {{"BACKUP DATABASE 内部邮件 TO DISK = N'D:\\vek.bak'", 0}});
  EXPECT_TRUE(fs::is_regular_file(ServerRoot(*root_) / "drives/D/owner.bak"));
  EXPECT_TRUE(fs::is_regular_file(ServerRoot(*root_) / "drives/D/vek.bak"));
  EXPECT_FALSE(fs::exists(ServerRoot(*root_) / "drives/D/reader.bak"));
  int status = 0;
  const std::string out = TsqlAs(port(), "reader", "Reader#1",
                                 "BACKUP DATABASE [法院] TO DISK = N'D:\\r.bak'\ngo\n"
                                 "USE master\ngo\nexit\n",
                                 &status);
  EXPECT_NE(out.find("BACKUP DATABASE permission denied in database '法院'."), std::string::npos) << out;
  EXPECT_NE(out.find("BACKUP DATABASE is terminating abnormally."), std::string::npos) << out;
  const std::string sa = Tsql(port(), "BACKUP DATABASE [法院] TO DISK = N'D:\\没有\\sa.bak'\ngo\n"
                                      "BACKUP DATABASE [没有的库] TO DISK = N'D:\\sa.bak'\ngo\nexit\n",
                              kSaPassword, &status);
  EXPECT_NE(sa.find("Msg 3201 (severity 16"), std::string::npos) << sa;
  EXPECT_NE(sa.find("Cannot open backup device 'D:\\没有\\sa.bak'. Device error or device off-line."),
            std::string::npos) << sa;
  EXPECT_NE(sa.find("Msg 911 (severity 16"), std::string::npos) << sa;
}

TEST_F(InstalledServer, DatabaseRolesGiveWhatTheyName) {
  ExpectOutcomes(port(), "reader", "Reader#1",
                 {{"USE 法院", 0},
                  {"SELECT count(*) FROM 未授权", 0},
                  {"SELECT count(*) FROM 最后次交接", 0},
                  {"INSERT INTO 未授权 VALUES (5)", 229},
                  {"CREATE TABLE r (a int)", 262},
                  {"EXEC sp_addrolemember 'db_owner', 'reader'", 15247}});
  ExpectOutcomes(port(), "owner", "Owner#12",
                 {{"USE 法院", 0},
                  {"INSERT INTO 未授权 VALUES (6)", 0},
                  {"CREATE TABLE 所有者的 (a int)", 0},
                  {"GRANT SELECT ON 所有者的 TO reader", 0},
                  {"DROP TABLE 所有者的", 0},
                  {"USE 内部邮件", 916}});
}

TEST_F(InstalledServer, LoginWithoutAUserInTheDatabaseGets916) {
  const Outcome at_login = Tedious(port(), "nobody", "Nobody#1", {}, false, "法院");
  EXPECT_EQ(at_login.login, 916) << at_login.output;
  ExpectOutcomes(port(), "nobody", "Nobody#1", {{"USE 法院", 916}, {"SELECT DB_NAME()", 0}, {"USE master", 0}});
}

TEST_F(InstalledServer, DenyWinsOverGrantUntilRevoked) {
  AsSa(port(), "USE 法院\ngo\nDENY SELECT ON 案由 TO vek\ngo\nDENY INSERT ON 日历 TO public\ngo\n");
  ExpectOutcomes(port(), "vek", kVekPassword,
                 {{"USE 法院", 0},
                  {"SELECT count(*) FROM 案由", 229},
                  {"SELECT count(*) FROM 日历", 0},
                  {"INSERT INTO 日历 (日期) VALUES ('2020-01-01')", 229},
                  {"UPDATE 日历 SET 日期 = 日期 WHERE 1 = 0", 0}});
  AsSa(port(), "USE 法院\ngo\nREVOKE SELECT ON 案由 FROM vek\ngo\nREVOKE INSERT ON 日历 FROM public\ngo\n"
               "GRANT SELECT ON 案由 TO vek\ngo\n");
  ExpectOutcomes(port(), "vek", kVekPassword, {{"USE 法院", 0}, {"SELECT count(*) FROM 案由", 0}});
}

TEST_F(InstalledServer, RightsOnSingleColumns) {
  AsSa(port(), "USE 法院\ngo\nCREATE TABLE 列表 (a int, b int)\ngo\nGRANT SELECT ON 列表 (a) TO vek\ngo\n"
               "GRANT UPDATE ON 列表 (b) TO vek\ngo\nDENY SELECT ON 案由 (案由) TO vek\ngo\n");
  ExpectOutcomes(port(), "vek", kVekPassword,
                 {{"USE 法院", 0},
                  {"SELECT a FROM 列表", 0},
                  {"SELECT b FROM 列表", 230},
                  {"SELECT * FROM 列表", 230},
                  {"SELECT count(*) FROM 列表 WHERE b = 1", 230},
                  {"UPDATE 列表 SET b = 1", 0},
                  {"UPDATE 列表 SET a = 1", 230},
                  {"INSERT INTO 列表 VALUES (1, 2)", 229},
                  {"SELECT 案由编号 FROM 案由", 0},
                  {"SELECT 案由 FROM 案由", 230},
                  {"SELECT count(*) FROM 案由", 0}});
  int status = 0;
  const std::string out = TsqlAs(port(), "vek", kVekPassword, "USE 法院\ngo\nSELECT b FROM 列表\ngo\nexit\n", &status);
  EXPECT_NE(out.find("SELECT permission denied on column 'b' of object '列表', database '法院', owner 'dbo'."),
            std::string::npos) << out;
  AsSa(port(), "USE 法院\ngo\nREVOKE SELECT ON 案由 (案由) FROM vek\ngo\n");
  ExpectOutcomes(port(), "vek", kVekPassword, {{"USE 法院", 0}, {"SELECT 案由 FROM 案由", 0}});
}

TEST_F(InstalledServer, PasswordsNeverStandInTheServersFiles) {
  ExpectOutcomes(port(), "vek", kVekPassword, {{"EXEC sp_password 'wrong', 'Changed#1'", 15211}});
  for (const std::string& password : {std::string(kSaPassword), kVekPassword, std::string("Nobody#1")}) {
    for (const auto& entry : fs::recursive_directory_iterator(ServerRoot(*root_))) {
      if (!entry.is_regular_file()) continue;
      const std::string bytes = ReadBytes(entry.path());
      EXPECT_EQ(bytes.find(password), std::string::npos) << entry.path();
      EXPECT_EQ(bytes.find(Utf16(password)), std::string::npos) << entry.path();
    }
  }
  // Only sysadmin sees the hashes.
  int status = 0;
  const std::string out = TsqlAs(port(), "vek", kVekPassword,
                                 "SELECT name, password FROM master.dbo.syslogins WHERE name = 'sa'\ngo\nexit\n", &status);
  EXPECT_NE(out.find("sa\tNULL\n"), std::string::npos) << out;
  // A login changes its own password with the old one.
  ExpectOutcomes(port(), "nobody", "Nobody#1", {{"EXEC sp_password 'Nobody#1', 'Nobody#2'", 0}});
  EXPECT_EQ(Tedious(port(), "nobody", "Nobody#1", {}).login, 18456);
  EXPECT_EQ(Tedious(port(), "nobody", "Nobody#2", {}).login, "ok");
}

// TLS: FreeTDS with encryption required in its freetds.conf, tedious with
// encrypt: true, jTDS with ssl=require; with --require-encryption a client
// that will not encrypt (tedious with encrypt: false, jTDS with ssl=off) is
// turned away.
TEST(Security, TlsSessionsAndRequiredEncryption) {
  TempDir root;
  const fs::path require = root.path() / "freetds.conf";
  std::ofstream(require) << "[127.0.0.1]\n\thost = 127.0.0.1\n\ttds version = 7.1\n\tencryption = require\n";
  ServerProcess server(root.path() / "server", {"--require-encryption"});
  const fs::path key = root.path() / "server" / "tls" / "court-server.key";
  struct stat status_of_key {};
  ASSERT_EQ(::stat(key.c_str(), &status_of_key), 0);
  EXPECT_EQ(status_of_key.st_mode & 077, 0u);

  int status = 0;
  std::string out = TsqlAs(server.port(), "sa", kSaPassword, "SELECT N'加密' + 'ok'\ngo\nexit\n", &status,
                           require.string());
  EXPECT_NE(out.find("加密ok"), std::string::npos) << out;
  const Outcome clear = Tedious(server.port(), "sa", kSaPassword, {"SELECT 1"}, false);
  EXPECT_NE(clear.login, "ok") << clear.output;
  EXPECT_TRUE(clear.errors.empty()) << clear.output;

  // jTDS, a TLS implementation of its own (Java's).
  const auto jtds = [&](const std::string& ssl) {
    return RunProgram({.argv = {"java", "-cp", CompiledJavaScenario() + ":/usr/share/java/jtds.jar", "Connect",
                                std::to_string(server.port()), "sa", kSaPassword, ssl},
                       .timeout = std::chrono::seconds(120),
                       .err_into_out = true})
        .out;
  };
  EXPECT_EQ(jtds("require"), "ok 加密ok\n");
  EXPECT_EQ(jtds("off").rfind("error ", 0), 0u);

  const Outcome tedious = Tedious(server.port(), "sa", kSaPassword,
                                  {"SELECT name FROM master.dbo.sysdatabases", "CREATE DATABASE tls", "USE tls"}, true);
  EXPECT_EQ(tedious.login, "ok") << tedious.output;
  EXPECT_EQ(tedious.errors, (std::vector<int>{0, 0, 0})) << tedious.output;
}

}  // namespace
}  // namespace court::testing
