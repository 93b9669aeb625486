#include "tests/support/court_server_process.h"

#include <signal.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "platform/mssql/embedded_driver.h"
#include "platform/mssql/result_text.h"

namespace court::testing {
namespace fs = std::filesystem;

void CourtServerProcess::Stop() {
  port_of_last_ = port();
  process_.reset();
}

void CourtServerProcess::Kill() {
  kill(process_->pid(), SIGKILL);
  Stop();  // reaps it
}

std::string CourtServerProcess::Connection() const {
  return "Driver=FreeTDS;Server=127.0.0.1;Port=" + std::to_string(port()) + ";TDS_Version=7.1;UID=sa";
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
