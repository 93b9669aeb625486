#include "tests/support/court_server_process.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <fstream>
#include <iterator>
#include <regex>
#include <thread>

#include "platform/mssql/embedded_driver.h"
#include "platform/mssql/result_text.h"

namespace court::testing {
namespace fs = std::filesystem;

CourtServerProcess::CourtServerProcess(fs::path root) : root_(std::move(root)) {
  log_ = root_;
  log_ += ".court-server.log";
  Start();
}

CourtServerProcess::~CourtServerProcess() {
  if (running()) Stop();
}

void CourtServerProcess::Start() {
  fs::remove(log_);
  std::fflush(nullptr);  // the child must not write out what this process buffered
  pid_ = fork();
  if (pid_ == 0) {
    const std::string server = std::string(COURT_BUILD_DIR) + "/court-server";
    if (!freopen(log_.c_str(), "w", stdout) || !freopen(log_.c_str(), "a", stderr)) _exit(127);
    setenv("COURT_SERVER_SA_PASSWORD", kPassword, 1);
    execl(server.c_str(), server.c_str(), "-S", root_.c_str(), "--listen", "127.0.0.1:0", nullptr);
    _exit(127);
  }
  ASSERT_GT(pid_, 0);
  const std::regex listening("listening on 127\\.0\\.0\\.1:([0-9]+)");
  for (int waited = 0; waited < 1000; ++waited) {
    std::ifstream in(log_);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    std::smatch match;
    if (std::regex_search(text, match, listening)) {
      port_ = static_cast<std::uint16_t>(std::stoi(match[1]));
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  FAIL() << "court-server did not start";
}

void CourtServerProcess::Wait() {
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
}

void CourtServerProcess::Stop() {
  kill(pid_, SIGTERM);
  Wait();
}

void CourtServerProcess::Kill() {
  kill(pid_, SIGKILL);
  Wait();
}

std::string CourtServerProcess::Connection() const {
  return "Driver=FreeTDS;Server=127.0.0.1;Port=" + std::to_string(port_) + ";TDS_Version=7.1;UID=sa";
}

namespace {

class Dumper {
 public:
  explicit Dumper(const fs::path& root) : driver_(root) {}

  std::vector<std::string> Lines(const std::string& database, const std::string& label, const std::string& sql) {
    std::vector<std::string> lines;
    for (const access::Row& row : driver_.Connect(database)->Query(sql).rows) {
      std::string line = label;
      for (const access::Value& v : row) line += "\t" + Text(v);
      lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
  }

  void Add(std::string& dump, const std::string& database, const std::string& label, const std::string& sql) {
    for (const std::string& line : Lines(database, label, sql)) dump += database + "\t" + line + "\n";
  }

 private:
  static std::string Text(const access::Value& v) {
    if (v.type() == access::ValueType::kDateTime) {
      const access::DateTime d = v.date();
      std::tm t{};
      t.tm_year = d.year - 1900, t.tm_mon = d.month - 1, t.tm_mday = d.day;
      t.tm_hour = d.hour, t.tm_min = d.minute, t.tm_sec = d.second;
      if (std::llabs(static_cast<long long>(timegm(&t) - std::time(nullptr))) < 2 * 86400) return "<now>";
    }
    return mssql::FieldText(v);
  }

  mssql::EmbeddedDriver driver_;
};

}  // namespace

std::string CanonicalDump(const fs::path& server_root) {
  Dumper dumper(server_root);
  std::string dump;
  dumper.Add(dump, "master", "database", "SELECT name FROM sysdatabases");
  dumper.Add(dump, "master", "login", "SELECT name, dbname FROM syslogins");
  for (const std::string database : {"法院", "内部邮件"}) {
    dumper.Add(dump, database, "object", "SELECT name, xtype FROM sysobjects WHERE xtype <> 'S'");
    dumper.Add(dump, database, "column",
               "SELECT o.name, c.name, c.xtype, c.length, c.isnullable, c.colid FROM syscolumns c "
               "JOIN sysobjects o ON o.id = c.id WHERE o.xtype = 'U'");
    dumper.Add(dump, database, "text",
               "SELECT o.name, c.text FROM syscomments c JOIN sysobjects o ON o.id = c.id");
    dumper.Add(dump, database, "user", "SELECT name FROM sysusers");
    for (const std::string& table : dumper.Lines(database, "", "SELECT name FROM sysobjects WHERE xtype = 'U'")) {
      const std::string name = table.substr(1);
      dumper.Add(dump, database, "row " + name, "SELECT * FROM [" + name + "]");
    }
  }
  return dump;
}

}  // namespace court::testing
