#include "platform/mssql/row_writer.h"

#include <algorithm>

#include "platform/mssql/check_text.h"
#include "platform/mssql/collation.h"
#include "platform/mssql/convert.h"
#include "platform/mssql/messages.h"
#include "platform/mssql/parser.h"
#include "platform/mssql/sqlite_sql.h"

namespace court::mssql {

namespace {

using access::Value;

// SQLite's errors for a duplicate key, which the writer reports as SQL
// Server's 2627.
bool IsKeyViolation(const access::Error& e) {
  return e.number() == SQLITE_CONSTRAINT_UNIQUE || e.number() == SQLITE_CONSTRAINT_PRIMARYKEY;
}


}  // namespace

// Defaults and CHECK conditions are compiled outside any batch: they see
// the session's databases, no variables, and of the system variables only
// @@LANGUAGE; any other reads as null.
CompileEnv SessionEnv(SessionState& session) {
  CompileEnv env;
  env.current = &session.catalog();
  env.master = &session.master();
  env.database = session.database();
  env.variable = [](const std::string&) -> Variable* { return nullptr; };
  env.system_variable = [&session](const std::string& name) {
    if (name == "language") return Value::Text(session.language);
    return Value();
  };
  env.date_order = session.date_order;
  return env;
}

RowWriter::RowWriter(SessionState& session, CompileEnv env, std::shared_ptr<const TableMeta> table)
    : session_(session), env_(std::move(env)), table_(std::move(table)) {}

// A default is kept as the text of its expression, compiled and evaluated
// for each row that needs it, so that getdate() and the like give each row
// its own value; the result is converted to the column's type as an
// inserted value would be.
Value RowWriter::DefaultValue(const ColumnMeta& column) {
  ExprPtr e = ParseExpression(column.default_expression);
  Compiler compiler(env_);
  CompiledQuery q = compiler.CompileScalar(*e);
  Value v = FromStorage(session_.db().Scalar(q.sql, q.params), q.columns[0].type);
  return ToStorage(v, column.type, session_.date_order);
}

// SQL Server's 2627, naming the key the row would have duplicated. SQLite
// tells it by the key's columns: "UNIQUE constraint failed: T.a, T.b".
// When the columns match no key, the table's own key is named.
void RowWriter::ThrowKeyViolation(const std::string& failure) {
  const std::vector<KeyConstraint> keys = session_.catalog().KeyConstraints(table_->id);
  auto key = std::find_if(keys.begin(), keys.end(), [&](const KeyConstraint& k) {
    std::string columns;
    for (const std::string& column : k.columns) columns += (columns.empty() ? "" : ", ") + table_->name + "." + column;
    return failure.ends_with(": " + columns);
  });
  if (key == keys.end())
    key = std::find_if(keys.begin(), keys.end(), [&](const KeyConstraint& k) { return k.name == table_->key_name; });
  const bool primary = key == keys.end() || key->primary;
  throw Message(Msg::kDuplicateKey,
                {primary ? "PRIMARY KEY" : "UNIQUE KEY", key == keys.end() ? table_->key_name : key->name, table_->name});
}

void RowWriter::Step(SqliteStatement& stmt) {
  try {
    stmt.Step();
  } catch (const access::Error& e) {
    if (IsKeyViolation(e)) ThrowKeyViolation(e.description());
    throw;
  }
}

// One row, checked in SQL Server's order: an explicit identity needs
// IDENTITY_INSERT on for this table (544); columns the statement left out
// take their defaults, or null; a null in a NOT NULL column fails (515);
// then the key and the CHECK constraints. An explicit identity beyond the
// table's counter moves the counter up, and @@IDENTITY is the row's
// identity either way. A drawn identity stays used when the row is refused:
// the next row leaves a gap, as on SQL Server.
std::int64_t RowWriter::Insert(std::vector<std::optional<Value>> values) {
  const TableMeta& t = *table_;
  const int identity = t.IdentityIndex();
  if (identity < 0) return InsertRow(values);
  std::optional<Value>& id = values[static_cast<std::size_t>(identity)];
  const bool explicit_identity = id.has_value();
  if (explicit_identity && CompareCi(session_.identity_insert_table, t.name) != 0)
    throw Message(Msg::kIdentityInsertOff, {t.name});
  if (!explicit_identity) id = Value::Integer(session_.catalog().NextIdentity(t));
  const long long value = id->integer();
  std::int64_t rowid = 0;
  try {
    rowid = InsertRow(values);
  } catch (const access::Error&) {
    if (!explicit_identity && t.identity_keyed) session_.catalog().RaiseIdentity(t.id, value);
    throw;
  }
  if (explicit_identity) {
    if (t.identity_keyed) session_.catalog().ForgetDrawnIdentity(t.id);
    else session_.catalog().RaiseIdentity(t.id, value);
  }
  session_.last_identity = value;
  return rowid;
}

// The row itself, its identity decided. A table with CHECK constraints
// inserts under a savepoint, so a refused row is taken back.
std::int64_t RowWriter::InsertRow(std::vector<std::optional<Value>>& values) {
  const TableMeta& t = *table_;
  std::optional<Savepoint> savepoint;
  if (!t.checks.empty()) savepoint.emplace(session_.db(), "court_statement");
  for (std::size_t i = 0; i < t.columns.size(); ++i) {
    const ColumnMeta& c = t.columns[i];
    if (!values[i]) values[i] = c.cdefault != 0 ? DefaultValue(c) : Value();
    if (values[i]->is_null() && !c.nullable)
      throw NullNotAllowed(c.name, session_.database() + ".dbo." + t.name, "INSERT");
  }
  CachedStatement stmt = session_.db().Prepare(t.insert_sql);
  for (std::size_t i = 0; i < values.size(); ++i) stmt->Bind(static_cast<int>(i + 1), *values[i]);
  Step(*stmt);
  std::int64_t rowid = session_.db().LastRowId();
  if (!t.checks.empty()) CheckRows("t0.rowid = " + std::to_string(rowid), {}, "INSERT");
  if (savepoint) savepoint->Commit();
  return rowid;
}

// One UPDATE statement, which changes all its rows or none. NOT NULL is
// checked after the change, for the assigned columns only, over the whole
// table (515). The CHECK constraints test only the rows the statement
// changed, whose rowids are noted in a temporary table before the change,
// since the change may move them out of the condition that chose them.
// Only such a check after the change needs a savepoint to take it back:
// SQLite's own UPDATE is already all or nothing, and a savepoint would copy
// every page the change touches aside first.
int RowWriter::Update(const std::vector<std::pair<int, std::string>>& assignments,
                      const std::string& where, const std::vector<Value>& params) {
  const TableMeta& t = *table_;
  const bool checked_after =
      !t.checks.empty() || std::any_of(assignments.begin(), assignments.end(), [&t](const auto& assignment) {
        return !t.columns[static_cast<std::size_t>(assignment.first)].nullable;
      });
  std::optional<Savepoint> savepoint;
  if (checked_after) savepoint.emplace(session_.db(), "court_statement");
  std::string condition = where.empty() ? "" : " WHERE " + where;
  if (!t.checks.empty()) {
    session_.db().Exec("CREATE TEMP TABLE IF NOT EXISTS court_rows (id INTEGER PRIMARY KEY); "
                       "DELETE FROM temp.court_rows");
    session_.db().Rows("INSERT INTO temp.court_rows SELECT t0.rowid FROM " + t.SqliteName() +
                           " AS t0" + condition,
                       params);
  }
  std::vector<std::pair<std::string, std::string>> set;
  for (const auto& [index, value] : assignments) set.emplace_back(t.columns[static_cast<std::size_t>(index)].name, value);
  CachedStatement stmt = session_.db().Prepare(UpdateRowsSql(t, set, where));
  stmt->BindAll(params);
  Step(*stmt);
  int changed = session_.db().Changes();
  for (const auto& [index, value] : assignments) {
    const ColumnMeta& c = t.columns[static_cast<std::size_t>(index)];
    if (c.nullable) continue;
    if (!session_.db().Scalar(AnyRowSql(t, "", QuoteIdentifier(c.name) + " IS NULL")).is_null())
      throw NullNotAllowed(c.name, session_.database() + ".dbo." + t.name, "UPDATE");
  }
  if (!t.checks.empty()) CheckRows("t0.rowid IN (SELECT id FROM temp.court_rows)", {}, "UPDATE");
  if (savepoint) savepoint->Commit();
  return changed;
}

// Each CHECK constraint of the table against the rows given (a condition
// over t0): the first row any check refuses fails the statement with 547,
// naming the constraint and, for a column-level check, its column. Checks
// are kept as text and compiled here, as SQL Server keeps them in
// syscomments.
void RowWriter::CheckRows(const std::string& rows, const std::vector<Value>& params,
                          const char* statement) {
  for (const CheckConstraint& check : table_->checks) {
    ExprPtr condition = ParseExpression(check.condition);
    Compiler compiler(env_);
    Scope scope = compiler.TargetScope({table_->name});
    std::string sql = AnyRowSql(*table_, scope.tables[0].sql_alias,
                                "(" + rows + ") AND NOT " + compiler.Condition(*condition, scope));
    std::vector<Value> all = params;
    all.insert(all.end(), compiler.params().begin(), compiler.params().end());
    if (session_.db().Scalar(sql, all).is_null()) continue;
    throw CheckConflict(statement, check.name, session_.database(), table_->name,
                        CheckedColumn(*condition));
  }
}

}  // namespace court::mssql
