#include "platform/odbc/odbc_driver.h"

#include "platform/access/sql_text.h"
#include "platform/odbc/parameters.h"
#include "platform/odbc/updatable_query.h"
#include "platform/text/ascii.h"
#include "platform/text/utf8.h"

namespace court::odbc {
namespace {

using access::Bracketed;
using access::Value;

access::Error RowNotLocated() {
  return access::Error(kRowNotLocated,
                       "Row cannot be located for updating. Some values may have been changed since it was "
                       "last read.");
}

std::string Assignments(const std::vector<std::string>& columns) {
  std::string text;
  for (const std::string& c : columns) text += (text.empty() ? "" : ", ") + Bracketed(c) + " = ?";
  return text;
}

}  // namespace

const access::Error* BatchOutcome::FirstError() const {
  for (const access::Error& e : messages)
    if (e.severity() > 10) return &e;
  return nullptr;
}

OdbcSession::OdbcSession(Handle connection, std::string server)
    : connection_(std::move(connection)), server_(std::move(server)) {}

BatchOutcome OdbcSession::Send(std::string_view sql, const std::vector<Value>& parameters,
                               const std::vector<const ColumnShape*>& shapes) {
  BatchOutcome outcome;
  try {
    // One statement handle serves the session's statements one after another.
    if (!statement_) statement_.emplace(SQL_HANDLE_STMT, connection_.get());
    SQLHSTMT st = statement_->get();
    SQLFreeStmt(st, SQL_CLOSE);
    SQLFreeStmt(st, SQL_RESET_PARAMS);
    BoundValues bound;
    bound.Bind(st, parameters, shapes, server_);
    std::u16string wide = text::ToUtf16(sql);
    SQLRETURN rc = SQLExecDirectW(st, reinterpret_cast<SQLWCHAR*>(wide.data()), static_cast<SQLINTEGER>(wide.size()));
    // Each pass looks at one result of the batch, as SQL Server goes on after most errors.
    for (;;) {
      if (rc == SQL_ERROR || rc == SQL_SUCCESS_WITH_INFO) {
        std::vector<access::Error> messages = Diagnostics(rc, SQL_HANDLE_STMT, st, server_);
        outcome.messages.insert(outcome.messages.end(), messages.begin(), messages.end());
        // Nothing more comes from a batch the driver gave up on or a link that broke.
        if (rc == SQL_ERROR && (messages.empty() || messages.front().number() == kServerNotFound ||
                                messages.front().number() == kNetworkError || ConnectionLost(connection_.get())))
          break;
      }
      if (SQL_SUCCEEDED(rc)) {
        std::vector<ColumnShape> columns = DescribeColumns(st, server_);
        if (!columns.empty()) {
          access::ResultSet result;
          for (const ColumnShape& c : columns) result.columns.push_back(c.info);
          result.rows = ReadRows(st, columns, server_);
          outcome.results.push_back(std::move(result));
          outcome.shapes.push_back(std::move(columns));
        } else {
          SQLLEN count = -1;
          if (SQL_SUCCEEDED(SQLRowCount(st, &count)) && count > 0) outcome.rows_affected += count;
        }
      }
      rc = SQLMoreResults(st);
      if (rc == SQL_NO_DATA || rc == SQL_INVALID_HANDLE) break;
    }
  } catch (const access::Error& e) {
    outcome.messages.push_back(e);  // a result that broke off half-read
  }
  return outcome;
}

BatchOutcome OdbcSession::SendOrThrow(std::string_view sql, const std::vector<Value>& parameters,
                                      const std::vector<const ColumnShape*>& shapes) {
  BatchOutcome outcome = Send(sql, parameters, shapes);
  if (const access::Error* error = outcome.FirstError()) {
    if (error->number() == kUnspecifiedError && ConnectionLost(connection_.get())) throw LostConnection(server_);
    throw *error;
  }
  return outcome;
}

BatchOutcome OdbcSession::Run(std::string_view batch) {
  BatchOutcome outcome = Send(batch, {}, {});
  if (const access::Error* error = outcome.FirstError();
      error && error->number() == kUnspecifiedError && ConnectionLost(connection_.get()))
    outcome.messages.push_back(LostConnection(server_));
  return outcome;
}

void OdbcSession::Execute(std::string_view sql) { SendOrThrow(sql); }

access::ResultSet OdbcSession::Query(std::string_view sql) {
  BatchOutcome outcome = SendOrThrow(sql);
  if (outcome.results.empty()) return {};
  access::ResultSet result = std::move(outcome.results.front());
  const std::optional<std::string> table = UpdatableTable(sql);
  if (!table) return result;
  result.base_table = *table;
  TableShape& shape = tables_[text::Lower(*table)] = std::move(outcome.shapes.front());
  std::vector<std::string> keys;
  std::vector<std::size_t> positions;
  for (std::size_t i = 0; i < shape.size(); ++i) {
    if (shape[i].IsLong()) continue;
    keys.push_back(shape[i].info.base_column);
    positions.push_back(i);
  }
  for (const access::Row& row : result.rows) {
    std::vector<Value> values;
    for (std::size_t i : positions) values.push_back(row[i]);
    result.row_ids.push_back(Remember(keys, values));
  }
  return result;
}

std::int64_t OdbcSession::InsertRow(const std::string& table, const std::vector<std::string>& columns,
                                    const std::vector<Value>& values) {
  std::string placeholders;
  for (std::size_t i = 0; i < columns.size(); ++i) placeholders += i == 0 ? "?" : ", ?";
  std::string names;
  for (const std::string& c : columns) names += (names.empty() ? "" : ", ") + Bracketed(c);
  const std::vector<const ColumnShape*> shapes = Shapes(table, columns);
  SendOrThrow("INSERT INTO " + Bracketed(table) + " (" + names + ") VALUES (" + placeholders + ")", values, shapes);
  std::vector<std::string> keys;
  std::vector<Value> key_values;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const bool comparable = shapes[i] ? !shapes[i]->IsLong() : values[i].type() != access::ValueType::kBinary;
    if (!comparable) continue;
    keys.push_back(columns[i]);
    key_values.push_back(values[i]);
  }
  return Remember(keys, key_values);
}

void OdbcSession::UpdateRow(const std::string& table, std::int64_t row_id, const std::vector<std::string>& columns,
                            const std::vector<Value>& values) {
  auto found = rows_.find(row_id);
  if (found == rows_.end() || found->second.columns.empty()) throw RowNotLocated();
  RowKey& key = found->second;
  std::vector<Value> parameters = values;
  std::vector<const ColumnShape*> shapes = Shapes(table, columns);
  std::string condition;
  for (std::size_t i = 0; i < key.columns.size(); ++i) {
    condition += (condition.empty() ? "" : " AND ") + Bracketed(key.columns[i]);
    if (key.values[i].is_null()) {
      condition += " IS NULL";
      continue;
    }
    condition += " = ?";
    parameters.push_back(key.values[i]);
    shapes.push_back(Shape(table, key.columns[i]));
  }
  BatchOutcome outcome =
      SendOrThrow("UPDATE " + Bracketed(table) + " SET " + Assignments(columns) + " WHERE " + condition, parameters,
                  shapes);
  if (outcome.rows_affected == 0) throw RowNotLocated();
  // The row now reads with its new values.
  for (std::size_t i = 0; i < columns.size(); ++i)
    for (std::size_t k = 0; k < key.columns.size(); ++k)
      if (text::Lower(key.columns[k]) == text::Lower(columns[i])) key.values[k] = values[i];
}

const ColumnShape* OdbcSession::Shape(const std::string& table, const std::string& column) const {
  auto shape = tables_.find(text::Lower(table));
  if (shape == tables_.end()) return nullptr;
  for (const ColumnShape& c : shape->second)
    if (text::Lower(c.info.base_column) == text::Lower(column)) return &c;
  return nullptr;
}

std::vector<const ColumnShape*> OdbcSession::Shapes(const std::string& table,
                                                    const std::vector<std::string>& columns) const {
  std::vector<const ColumnShape*> shapes;
  for (const std::string& c : columns) shapes.push_back(Shape(table, c));
  return shapes;
}

std::int64_t OdbcSession::Remember(const std::vector<std::string>& columns, const std::vector<Value>& values) {
  rows_[next_row_] = RowKey{columns, values};
  return next_row_++;
}

}  // namespace court::odbc
