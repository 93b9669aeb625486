#include "platform/mssql/database_records.h"

#include <vector>

#include "platform/mssql/datetime_text.h"

namespace court::mssql {

using access::Value;

long long AddDatabase(SqliteDb& db, const std::string& master, const std::string& name, const Value& owner,
                      const std::string& primary_file) {
  const std::string table = QualifiedName(master, "sysdatabases");
  const long long dbid = db.Scalar("SELECT max(dbid) + 1 FROM " + table).integer();
  db.Rows("INSERT INTO " + table +
              " (name, dbid, sid, mode, status, status2, crdate, reserved, category, cmptlevel, filename, "
              "version) VALUES (?1, ?2, ?3, 0, 16, 1090519040, ?4, '1900-01-01 00:00:00.000', 0, 80, ?5, 539)",
          {Value::Text(name), Value::Integer(dbid), owner, Value::Text(FormatDateTime(Now())),
           Value::Text(primary_file)});
  return dbid;
}

void AddDatabaseFile(SqliteDb& db, const std::string& schema, const DatabaseFile& file,
                     std::optional<long long> dbid) {
  std::vector<Value> row = {Value::Integer(file.fileid), Value::Integer(file.groupid), Value::Integer(file.size),
                            Value::Integer(file.maxsize), Value::Integer(file.growth), Value::Integer(file.status),
                            Value::Text(file.name), Value::Text(file.filename)};
  const std::string columns = "fileid, groupid, size, maxsize, growth, status, perf, name, filename";
  const std::string values = "?1, ?2, ?3, ?4, ?5, ?6, 0, ?7, ?8";
  if (!dbid) {
    db.Rows("INSERT INTO " + QualifiedName(schema, "sysfiles") + " (" + columns + ") VALUES (" + values + ")", row);
    return;
  }
  row.push_back(Value::Integer(*dbid));
  db.Rows("INSERT INTO " + QualifiedName(schema, "sysaltfiles") + " (" + columns + ", dbid) VALUES (" + values + ", ?9)",
          row);
}

void SetDatabaseOption(SqliteDb& db, const std::string& master, const std::string& database,
                       const std::string& column, long long bit, bool on) {
  const std::string quoted = QuoteIdentifier(column);
  db.Rows("UPDATE " + QualifiedName(master, "sysdatabases") + " SET " + quoted + " = " +
              (on ? quoted + " | ?2" : quoted + " & ~?2") + " WHERE name = ?1",
          {Value::Text(database), Value::Integer(bit)});
}

}  // namespace court::mssql
