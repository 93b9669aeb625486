#include "screens/plan_recorder.h"

#include <cstdlib>

#include "platform/mssql/sql_type.h"
#include "screens/plan_statements.h"

namespace court::screens {
namespace {

long long Number(const access::Value& value) { return std::atoll(value.ToText().c_str()); }

// A column as the server holds it, in the words of a declaration: type,
// length in characters or precision where the type has one, nullability.
// Plans are made on the embedded server, whose own type catalogue reads
// syscolumns' codes.
std::string DefinitionOf(access::Session& session, const ColumnStatement& statement) {
  const access::ResultSet found =
      session.Query("SELECT xtype, length, prec, scale, isnullable FROM syscolumns WHERE id = object_id(N'" +
                    statement.table + "') AND name = N'" + statement.column + "'");
  if (found.rows.empty()) return "";
  const access::Row& column = found.rows[0];
  const mssql::SqlType type =
      mssql::TypeFromCatalog(static_cast<int>(Number(column[0])), static_cast<int>(Number(column[1])),
                             static_cast<int>(Number(column[2])), static_cast<int>(Number(column[3])));
  std::string definition = type.name;
  if (type.family == mssql::TypeFamily::kDecimal)
    definition += "(" + std::to_string(type.precision) + "," + std::to_string(type.scale) + ")";
  else if ((type.family == mssql::TypeFamily::kChar || type.family == mssql::TypeFamily::kBinary) && !type.large &&
           type.Capacity() > 0)
    definition += "(" + std::to_string(type.Capacity()) + ")";
  return definition + (Number(column[4]) == 0 ? " not null" : " null");
}

long long RowCount(access::Session& session) {
  const access::ResultSet count = session.Query("SELECT @@ROWCOUNT");
  return count.rows.empty() ? 0 : Number(count.rows[0][0]);
}

class RecordingSession : public access::Session {
 public:
  RecordingSession(std::unique_ptr<access::Session> server, std::string database, std::vector<Write>& writes)
      : server_(std::move(server)), database_(std::move(database)), writes_(writes) {}

  void Execute(std::string_view sql) override {
    Write write{.database = database_, .sql = std::string(sql)};
    if (auto column = ColumnStatementOf(sql); column && column->alter)
      write.before = DefinitionOf(*server_, *column);
    server_->Execute(sql);
    if (DeletedFrom(sql)) write.rows = RowCount(*server_);
    writes_.push_back(std::move(write));
  }

  access::ResultSet Query(std::string_view sql) override { return server_->Query(sql); }
  std::unique_ptr<access::RowCursor> OpenCursor(std::string_view sql) override { return server_->OpenCursor(sql); }

  std::int64_t InsertRow(const std::string& table, const std::vector<std::string>& columns,
                         const std::vector<access::Value>& values) override {
    const std::int64_t id = server_->InsertRow(table, columns, values);
    writes_.push_back(Write{.database = database_, .table = table});
    return id;
  }

  // An image value stored into a row the run has just added: no row of its own.
  void UpdateRow(const std::string& table, std::int64_t row_id, const std::vector<std::string>& columns,
                 const std::vector<access::Value>& values) override {
    server_->UpdateRow(table, row_id, columns, values);
  }

 private:
  std::unique_ptr<access::Session> server_;
  std::string database_;
  std::vector<Write>& writes_;
};

}  // namespace

std::unique_ptr<access::Session> PlanRecorder::Connect(const std::string& database) {
  return std::make_unique<RecordingSession>(server_.Connect(database), database, writes_);
}

}  // namespace court::screens
