// SELECT, INSERT, UPDATE, DELETE and TRUNCATE TABLE.

#include "platform/mssql/convert.h"
#include "platform/mssql/statement_handlers.h"
#include "platform/mssql/messages.h"
#include "platform/mssql/security.h"
#include "platform/mssql/sqlite_sql.h"
#include "platform/mssql/row_writer.h"

namespace court::mssql {

namespace {

using access::Value;

// The table a statement writes, once the session may do so.
std::shared_ptr<const TableMeta> BaseTable(StatementContext& x, Compiler& compiler, const MultiName& name, Action action) {
  std::shared_ptr<const TableMeta> table = compiler.ResolveTable(name);
  RequireObject(x.session(), *table, action);
  if (table->xtype == "V")
    throw Message(Msg::kDerivedField, {table->name});
  if (table->xtype != "U")
    throw Message(Msg::kAdHocUpdates);
  return table;
}

access::ValueType KindOf(const OutputColumn& column, const std::vector<access::Row>& rows,
                         std::size_t index) {
  if (column.type) return column.type->ValueKind();
  for (const access::Row& row : rows)
    if (!row[index].is_null()) return row[index].type();
  return access::ValueType::kText;
}

std::vector<int> TargetColumns(const TableMeta& table, const std::vector<std::string>& names) {
  std::vector<int> indexes;
  if (names.empty()) {
    for (std::size_t i = 0; i < table.columns.size(); ++i)
      if (!table.columns[i].identity && table.columns[i].type.id != TypeId::kTimestamp)
        indexes.push_back(static_cast<int>(i));
    return indexes;
  }
  for (const std::string& name : names) {
    int i = table.Find(name);
    if (i < 0) throw InvalidColumnName(name);
    indexes.push_back(i);
  }
  return indexes;
}

void CheckCount(std::size_t columns, std::size_t values, bool listed) {
  if (columns == values) return;
  if (!listed)
    throw Message(Msg::kColumnCountMismatch);
  if (columns > values)
    throw Message(Msg::kMoreColumnsThanValues);
  throw Message(Msg::kFewerColumnsThanValues);
}

// UPDATE ... FROM and DELETE ... FROM join other tables into the target's
// rows; the installer never sends them, so they are refused rather than guessed.
void RefuseJoinedTarget(const std::vector<FromItem>& from) {
  if (!from.empty()) throw SyntaxNear("FROM");
}

}  // namespace

void RunSelect(StatementContext& x, const SelectStmt& s) {
  CompileEnv env = x.Env();
  Compiler compiler(env);
  CompiledQuery q = compiler.CompileSelect(*s.select);
  CachedStatement lease = x.session().db().Prepare(q.sql);
  SqliteStatement& stmt = *lease;
  stmt.BindAll(q.params);
  std::size_t width = q.columns.size();
  access::ResultSet result;
  long long count = 0;
  while (stmt.Step()) {
    ++count;
    access::Row row;
    for (std::size_t i = 0; i < width; ++i) {
      Value stored = stmt.Column(static_cast<int>(i));
      row.push_back(FromStorage(stored, q.columns[i].type));
    }
    if (!q.assignments.empty()) {
      for (std::size_t i = 0; i < width; ++i) {
        Variable* v = x.FindVariable(q.assignments[i]);
        if (v == nullptr) throw MustDeclareVariable("@" + q.assignments[i]);
        v->value = ToStorage(row[i], v->type, x.session().date_order);
      }
      continue;
    }
    if (q.base_table) result.row_ids.push_back(stmt.Column(static_cast<int>(width)).integer());
    result.rows.push_back(std::move(row));
  }
  x.session().row_count = count;
  if (!q.assignments.empty()) return;
  for (std::size_t i = 0; i < width; ++i)
    result.columns.push_back({q.columns[i].name, KindOf(q.columns[i], result.rows, i),
                              q.base_table ? q.columns[i].base_column : std::string()});
  if (q.base_table) result.base_table = q.base_table->name;
  x.result().results.push_back(std::move(result));
  std::vector<std::optional<SqlType>>& types = x.result().column_types.emplace_back();
  for (const OutputColumn& column : q.columns) types.push_back(column.type);
}

void RunInsert(StatementContext& x, const InsertStmt& s) {
  CompileEnv env = x.Env();
  Compiler compiler(env);
  std::shared_ptr<const TableMeta> table = BaseTable(x, compiler, s.table, kInsert);
  std::vector<int> targets = TargetColumns(*table, s.columns);
  RowWriter writer(x.session(), env, table);
  auto insert_row = [&](const std::vector<std::optional<Value>>& given) {
    std::vector<std::optional<Value>> values(table->columns.size());
    for (std::size_t i = 0; i < targets.size(); ++i) values[static_cast<std::size_t>(targets[i])] = given[i];
    writer.Insert(std::move(values));
  };
  long long count = 0;
  if (s.select) {
    CompiledQuery q = compiler.CompileSelect(*s.select);
    CheckCount(targets.size(), q.columns.size(), !s.columns.empty());
    auto rows = x.session().db().Rows(q.sql, q.params);
    for (const auto& row : rows) {
      std::vector<std::optional<Value>> given;
      for (std::size_t i = 0; i < targets.size(); ++i)
        given.push_back(ToStorage(FromStorage(row[i], q.columns[i].type),
                                  table->columns[static_cast<std::size_t>(targets[i])].type, x.session().date_order));
      insert_row(given);
      ++count;
    }
  } else if (s.default_values) {
    targets.clear();
    insert_row({});
    count = 1;
  } else {
    for (const auto& exprs : s.rows) {
      CheckCount(targets.size(), exprs.size(), !s.columns.empty());
      std::vector<std::optional<Value>> given;
      for (std::size_t i = 0; i < exprs.size(); ++i) {
        const ColumnMeta& column = table->columns[static_cast<std::size_t>(targets[i])];
        if (!exprs[i]) {
          given.emplace_back();
        } else if (exprs[i]->kind == ExprKind::kLiteral) {
          const Literal& lit = exprs[i]->literal;
          given.push_back(ToStorage(LiteralValue(lit), column.type, x.session().date_order, lit.unicode));
        } else {
          std::optional<SqlType> type;
          Value v = x.Evaluate(*exprs[i], &type);
          given.push_back(ToStorage(v, column.type, x.session().date_order, type && type->unicode));
        }
      }
      insert_row(given);
      ++count;
    }
  }
  x.session().row_count = count;
}

void RunUpdate(StatementContext& x, const UpdateStmt& s) {
  RefuseJoinedTarget(s.from);
  CompileEnv env = x.Env();
  Compiler compiler(env);
  std::shared_ptr<const TableMeta> table = BaseTable(x, compiler, s.table, kUpdate);
  Scope scope = compiler.TargetScope(s.table);
  RowWriter writer(x.session(), env, table);
  std::vector<std::pair<int, std::string>> assignments;
  for (const Assignment& a : s.assignments) {
    int index = table->Find(a.column.back());
    if (index < 0) throw InvalidColumnName(a.column.back());
    const ColumnMeta& column = table->columns[static_cast<std::size_t>(index)];
    RequireColumn(x.session(), *table, column, kUpdate);
    if (column.identity)
      throw Message(Msg::kUpdateIdentity, {column.name});
    std::string value;
    if (a.value) {
      value = compiler.ColumnValue(*a.value, scope, column);
    } else if (column.cdefault != 0) {
      value = SqlLiteral(writer.DefaultValue(column));
    } else {
      value = "NULL";
    }
    assignments.emplace_back(index, value);
  }
  std::string where = s.where ? compiler.Condition(*s.where, scope) : "";
  x.session().row_count = writer.Update(assignments, where, compiler.params());
}

void RunDelete(StatementContext& x, const DeleteStmt& s) {
  RefuseJoinedTarget(s.from);
  CompileEnv env = x.Env();
  Compiler compiler(env);
  std::shared_ptr<const TableMeta> table = BaseTable(x, compiler, s.table, kDelete);
  Scope scope = compiler.TargetScope(s.table);
  std::string sql = DeleteRowsSql(*table, scope.tables[0].sql_alias, s.where ? compiler.Condition(*s.where, scope) : "");
  x.session().catalog().KeepIdentity(*table);
  CachedStatement stmt = x.session().db().Prepare(sql);
  stmt->BindAll(compiler.params());
  stmt->Step();
  x.session().row_count = x.session().db().Changes();
}

void RunTruncate(StatementContext& x, const TruncateStmt& s) {
  CompileEnv env = x.Env();
  Compiler compiler(env);
  std::shared_ptr<const TableMeta> table = compiler.ResolveTable(s.table);
  RequireOwner(x.session(), table->id, table->name);
  table = BaseTable(x, compiler, s.table, kDelete);
  x.session().db().Exec(DeleteRowsSql(*table, "", ""));
  x.session().catalog().ResetIdentity(table->id);
}

}  // namespace court::mssql
