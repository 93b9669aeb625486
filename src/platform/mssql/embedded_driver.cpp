#include "platform/mssql/embedded_driver.h"

#include "platform/mssql/convert.h"
#include "platform/mssql/executor.h"
#include "platform/mssql/messages.h"
#include "platform/mssql/parser.h"
#include "platform/mssql/row_writer.h"

namespace court::mssql {

namespace {

using access::Value;

std::shared_ptr<const TableMeta> WritableTable(SessionState& state, const std::string& name) {
  std::shared_ptr<const TableMeta> table = state.catalog().FindTable(name);
  if (!table || table->xtype != "U") throw InvalidObjectName(name);
  return table;
}

// Lets the session's connection go when a call is over, however it ends.
class IdleAfter {
 public:
  explicit IdleAfter(SessionState& state) : state_(state) {}
  ~IdleAfter() { state_.Idle(); }
  IdleAfter(const IdleAfter&) = delete;
  IdleAfter& operator=(const IdleAfter&) = delete;

 private:
  SessionState& state_;
};

int ColumnIndex(const TableMeta& table, const std::string& column) {
  int i = table.Find(column);
  if (i < 0) throw InvalidColumnName(column);
  return i;
}

}  // namespace

EmbeddedSession::EmbeddedSession(Server& server, const std::string& database, std::optional<Principal> principal)
    : state_(server, database, std::move(principal)) {}

BatchResult EmbeddedSession::Run(std::string_view batch, std::map<std::string, Variable> parameters,
                                 std::map<std::string, Variable>* outputs) {
  IdleAfter idle(state_);
  BatchResult result;
  std::optional<BatchStatements> statements;
  try {
    statements.emplace(batch, state_.quoted_identifier);
  } catch (const access::Error& e) {
    result.messages.push_back(e);
    return result;
  }
  std::map<std::string, Variable> left = Executor(state_, result).Run(*statements, std::move(parameters));
  if (outputs != nullptr) *outputs = std::move(left);
  return result;
}

BatchResult EmbeddedSession::RunOrThrow(std::string_view batch) {
  BatchResult result = Run(batch);
  if (const access::Error* error = result.FirstError()) throw *error;
  return result;
}

void EmbeddedSession::Execute(std::string_view sql) { RunOrThrow(sql); }

access::ResultSet EmbeddedSession::Query(std::string_view sql) {
  BatchResult result = RunOrThrow(sql);
  if (result.results.empty()) return {};
  return std::move(result.results.front());
}

std::int64_t EmbeddedSession::InsertRow(const std::string& table_name,
                                        const std::vector<std::string>& columns,
                                        const std::vector<Value>& values) {
  IdleAfter idle(state_);
  std::shared_ptr<const TableMeta> table = WritableTable(state_, table_name);
  std::vector<std::optional<Value>> row(table->columns.size());
  for (std::size_t i = 0; i < columns.size(); ++i) {
    int index = ColumnIndex(*table, columns[i]);
    row[static_cast<std::size_t>(index)] =
        ToStorage(values[i], table->columns[static_cast<std::size_t>(index)].type, state_.date_order);
  }
  WriteTransaction transaction(state_.db());
  std::int64_t row_id = RowWriter(state_, SessionEnv(state_), table).Insert(std::move(row));
  transaction.Commit();
  return row_id;
}

void EmbeddedSession::UpdateRow(const std::string& table_name, std::int64_t row_id,
                                const std::vector<std::string>& columns,
                                const std::vector<Value>& values) {
  IdleAfter idle(state_);
  std::shared_ptr<const TableMeta> table = WritableTable(state_, table_name);
  std::vector<std::pair<int, std::string>> assignments;
  std::vector<Value> params;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    int index = ColumnIndex(*table, columns[i]);
    params.push_back(ToStorage(values[i], table->columns[static_cast<std::size_t>(index)].type, state_.date_order));
    assignments.emplace_back(index, "?" + std::to_string(params.size()));
  }
  params.push_back(Value::Integer(row_id));
  WriteTransaction transaction(state_.db());
  RowWriter(state_, SessionEnv(state_), table)
      .Update(assignments, "t0.rowid = ?" + std::to_string(params.size()), params);
  transaction.Commit();
}

std::unique_ptr<access::Session> EmbeddedDriver::Connect(const std::string& database) {
  return Open(database);
}

std::unique_ptr<EmbeddedSession> EmbeddedDriver::Open(const std::string& database) {
  return std::make_unique<EmbeddedSession>(server_, database);
}

}  // namespace court::mssql
