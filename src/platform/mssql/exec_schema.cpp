// CREATE TABLE, ALTER TABLE, CREATE VIEW, CREATE DEFAULT and DROP.

#include <set>
#include <utility>

#include "platform/mssql/collation.h"
#include "platform/mssql/constraints.h"
#include "platform/mssql/convert.h"
#include "platform/mssql/statement_handlers.h"
#include "platform/mssql/messages.h"
#include "platform/mssql/security.h"
#include "platform/mssql/sqlite_sql.h"
#include "platform/mssql/row_writer.h"
#include "platform/mssql/text.h"

namespace court::mssql {

namespace {

using access::Value;


// A schema change: one savepoint that also marks the catalog changed.
class SchemaChange {
 public:
  explicit SchemaChange(SessionState& session) : session_(session), savepoint_(session.db(), "court_schema") {}
  void Commit() {
    session_.catalog().Changed();
    savepoint_.Commit();
  }

 private:
  SessionState& session_;
  Savepoint savepoint_;
};

ColumnMeta MetaFor(const ColumnDef& def, int colid) {
  ColumnMeta c;
  c.name = def.name;
  c.type = ResolveType(def.type, colid);
  c.identity = def.identity;
  c.nullable = def.identity ? false : def.nullable.value_or(true);
  c.colid = colid;
  if (c.identity && (c.type.family != TypeFamily::kInteger &&
                     !(c.type.family == TypeFamily::kDecimal && c.type.scale == 0)))
    throw Message(Msg::kIdentityType, {def.name});
  return c;
}

std::shared_ptr<const TableMeta> ExistingTable(StatementContext& x, const MultiName& name) {
  std::shared_ptr<const TableMeta> table = x.session().catalog().FindTable(name.back());
  if (!table || table->xtype != "U")
    throw Message(Msg::kAlterMissingTable, {name.back(), x.session().database()});
  return table;
}

std::shared_ptr<const TableMeta> Reload(StatementContext& x, const std::string& name) {
  x.session().catalog().Changed();
  return x.session().catalog().FindTable(name);
}

bool HasRows(StatementContext& x, const TableMeta& table) {
  return !x.session().db().Scalar(AnyRowSql(table, "", "")).is_null();
}

// SQLite's ADD COLUMN reads the whole schema of the file again, which in a
// database of hundreds of tables costs more than all the rest of the
// statement. An empty table is made again instead, with its indexes: DROP
// reads no schema and CREATE only what it creates. A table with rows keeps
// ADD COLUMN, which writes none of them. Either way the table ends as one
// created with the column, and ALTER TABLE changes only the session's own
// database, the connection's main, where the indexes' stored texts create them.
void AddSqliteColumn(StatementContext& x, const TableMeta& table, const std::string& column, bool has_rows) {
  SqliteDb& db = x.session().db();
  if (has_rows) return db.Exec(AddColumnSql(table, column));
  std::vector<std::string> columns;
  int rowid_column = -1;
  for (const auto& row : db.Rows("SELECT name, pk FROM pragma_table_info(?1, ?2) ORDER BY cid",
                                 {Value::Text(table.name), Value::Text(table.schema)})) {
    if (row[1].integer() == 1) rowid_column = static_cast<int>(columns.size());
    columns.push_back(row[0].text());
  }
  columns.push_back(column);
  auto indexes = db.Rows("SELECT sql FROM " + QuoteIdentifier(table.schema) +
                             ".sqlite_schema WHERE type = 'index' AND tbl_name = ?1 AND sql IS NOT NULL ORDER BY rowid",
                         {Value::Text(table.name)});
  db.Exec("DROP TABLE " + table.SqliteName());
  db.Exec(CreateTableSql(table.SqliteName(), columns, rowid_column));
  for (const auto& index : indexes) db.Exec(index[0].text());
}

void AddColumn(StatementContext& x, const TableMeta& table, const ColumnDef& def) {
  if (table.Find(def.name) >= 0)
    throw Message(Msg::kDuplicateColumn, {def.name, table.name});
  int colid = 0;
  for (const ColumnMeta& c : table.columns) colid = std::max(colid, c.colid);
  ColumnMeta column = MetaFor(def, colid + 1);
  const bool has_rows = HasRows(x, table);
  if (!column.nullable && !column.identity && !def.default_value && has_rows)
    throw Message(Msg::kAddNotNullColumn, {def.name, table.name});
  if (column.identity && table.IdentityIndex() >= 0)
    throw Message(Msg::kMultipleIdentity, {table.name});
  Catalog& catalog = x.session().catalog();
  AddSqliteColumn(x, table, def.name, has_rows);
  catalog.AddColumn(table.id, column);
  if (column.identity) {
    long long last = 0;
    auto rows = x.session().db().Rows("SELECT rowid FROM " + table.SqliteName() + " ORDER BY rowid");
    for (const auto& row : rows) {
      last = last == 0 ? def.identity_seed : last + def.identity_increment;
      x.session().db().Rows(SetColumnSql(table, def.name, true), {Value::Integer(last), row[0]});
    }
    catalog.SetIdentity(table.id, def.identity_seed, def.identity_increment,
                        rows.empty() ? std::nullopt : std::optional<long long>(last));
  }
  if (def.default_value) {
    auto widened = std::make_shared<TableMeta>(*Reload(x, table.name));
    AddColumnDefault(x, *widened, def);
    if (!column.nullable) {
      const ColumnMeta& meta = widened->columns[static_cast<std::size_t>(widened->Find(def.name))];
      Value v = RowWriter(x.session(), x.Env(), widened).DefaultValue(meta);
      x.session().db().Rows(SetColumnSql(table, def.name, false), {v});
    }
  }
}

// Objects that keep a column from changing type: its default, its key, its checks.
std::vector<std::string> Dependents(StatementContext& x, const TableMeta& table, const ColumnMeta& column,
                                    bool type_changes) {
  std::vector<std::string> names;
  Catalog& catalog = x.session().catalog();
  if (column.cdefault != 0 && type_changes) {
    if (auto d = catalog.ObjectById(column.cdefault)) names.push_back(d->name);
  }
  for (const ObjectRow& child : catalog.ObjectsOfParent(table.id)) {
    if (child.xtype == "C" &&
        Lower(catalog.Comment(child.id)).find("[" + Lower(column.name) + "]") != std::string::npos)
      names.push_back(child.name);
  }
  return names;
}

void AlterColumn(StatementContext& x, const TableMeta& table, const ColumnDef& def) {
  int index = table.Find(def.name);
  if (index < 0)
    throw Message(Msg::kAlterMissingColumn, {"ALTER TABLE ALTER COLUMN", def.name, table.name});
  const ColumnMeta& old = table.columns[static_cast<std::size_t>(index)];
  if (old.type.large || old.type.id == TypeId::kTimestamp)
    throw Message(Msg::kCannotAlterColumn, {old.name, old.type.name});
  ColumnMeta column = MetaFor(def, old.colid);
  column.name = old.name;
  column.identity = old.identity;
  column.nullable = def.nullable.value_or(true);
  column.cdefault = old.cdefault;
  std::vector<std::string> dependents = Dependents(x, table, old, column.type.name != old.type.name);
  if (!dependents.empty()) {
    for (const std::string& name : dependents)
      x.Raise(Message(Msg::kDependentObject, {name, old.name}));
    throw Message(Msg::kColumnInUse, {"ALTER TABLE ALTER COLUMN", old.name});
  }
  // Existing values are converted; a value that does not fit refuses the change.
  auto rows = x.session().db().Rows("SELECT rowid, " + QuoteIdentifier(old.name) + " FROM " + table.SqliteName());
  for (const auto& row : rows) {
    Value converted = ToStorage(FromStorage(row[1], old.type), column.type, x.session().date_order);
    if (converted.is_null() && !column.nullable)
      throw NullNotAllowed(old.name, x.session().database() + ".dbo." + table.name, "UPDATE");
    x.session().db().Rows(SetColumnSql(table, old.name, true), {converted, row[0]});
  }
  x.session().catalog().RemoveColumn(table.id, old.colid);
  x.session().catalog().AddColumn(table.id, column);
}

void DropColumn(StatementContext& x, const TableMeta& table, const std::string& name) {
  int index = table.Find(name);
  if (index < 0)
    throw Message(Msg::kAlterMissingColumn, {"ALTER TABLE DROP COLUMN", name, table.name});
  const ColumnMeta& column = table.columns[static_cast<std::size_t>(index)];
  std::vector<std::string> dependents = Dependents(x, table, column, true);
  if (!dependents.empty()) {
    for (const std::string& d : dependents)
      x.Raise(Message(Msg::kDependentObject, {d, column.name}));
    throw Message(Msg::kColumnInUse, {"ALTER TABLE DROP COLUMN", column.name});
  }
  x.session().db().Exec(DropColumnSql(table, column.name));
  x.session().catalog().RemoveColumn(table.id, column.colid);
}

// The column that becomes the SQLite table's rowid: an integer identity
// column that is on its own the table's primary key, or -1. Its key then
// needs no index of its own, and an insert writes one page, not two.
int RowidKeyColumn(const CreateTableStmt& s, const std::vector<ColumnMeta>& columns) {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (!columns[i].identity || columns[i].type.family != TypeFamily::kInteger) continue;
    if (s.columns[i].primary_key) return static_cast<int>(i);
    for (const ConstraintDef& c : s.constraints)
      if (c.kind == ConstraintKind::kPrimaryKey && c.columns.size() == 1 && EqualCi(c.columns[0], columns[i].name))
        return static_cast<int>(i);
  }
  return -1;
}

void CheckNameFree(StatementContext& x, const std::string& name) {
  if (x.session().catalog().FindObject(name) || x.session().catalog().FindTable(name))
    throw ObjectExists(name);
}

}  // namespace

void RunCreateTable(StatementContext& x, const CreateTableStmt& s) {
  const std::string& name = s.table.back();
  RequireStatement(x.session(), kCreateTable);
  CheckNameFree(x, name);
  std::set<std::string> seen;
  int identities = 0;
  std::vector<ColumnMeta> columns;
  for (const ColumnDef& def : s.columns) {
    if (!seen.insert(Lower(def.name)).second)
      throw Message(Msg::kDuplicateColumn, {def.name, name});
    columns.push_back(MetaFor(def, static_cast<int>(columns.size()) + 1));
    if (def.identity && ++identities > 1)
      throw Message(Msg::kMultipleIdentity, {name});
  }
  SchemaChange change(x.session());
  Catalog& catalog = x.session().catalog();
  int id = catalog.AddObject(name, "U", 0);
  TakeOwnership(x.session(), id);
  std::vector<std::string> names;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    catalog.AddColumn(id, columns[i]);
    names.push_back(columns[i].name);
    if (columns[i].identity)
      catalog.SetIdentity(id, s.columns[i].identity_seed, s.columns[i].identity_increment, std::nullopt);
  }
  x.session().db().Exec(CreateTableSql(catalog.Qualified(name), names, RowidKeyColumn(s, columns)));
  TableMeta table = *Reload(x, name);  // each constraint adds to it
  for (const ColumnDef& def : s.columns) {
    if (def.default_value) AddColumnDefault(x, table, def);
    if (def.primary_key) {
      ConstraintDef key;
      key.kind = ConstraintKind::kPrimaryKey;
      key.name = def.primary_key_name;
      key.columns = {def.name};
      AddConstraint(x, table, key, false);
    }
  }
  for (const ConstraintDef& c : s.constraints) AddConstraint(x, table, c, false);
  change.Commit();
}

void RunAlterTable(StatementContext& x, const AlterTableStmt& s) {
  std::shared_ptr<const TableMeta> table = ExistingTable(x, s.table);
  RequireOwner(x.session(), table->id, table->name);
  SchemaChange change(x.session());
  // Each change sees the table as the one before left it; the first, as just read.
  bool first = true;
  auto current = [&] { return std::exchange(first, false) ? table : Reload(x, table->name); };
  switch (s.action) {
    case AlterAction::kAddColumns:
      for (const ColumnDef& def : s.columns) AddColumn(x, *current(), def);
      break;
    case AlterAction::kAddConstraints: {
      TableMeta constrained = *table;  // each constraint adds to it
      for (const ConstraintDef& c : s.constraints) AddConstraint(x, constrained, c, !s.nocheck);
      break;
    }
    case AlterAction::kAlterColumn: AlterColumn(x, *table, s.columns[0]); break;
    case AlterAction::kDropConstraint:
      for (const std::string& name : s.drop_names) DropConstraint(x, *current(), name);
      break;
    case AlterAction::kDropColumn:
      for (const std::string& name : s.drop_names) DropColumn(x, *current(), name);
      break;
  }
  change.Commit();
}

void RunCreateView(StatementContext& x, const CreateViewStmt& s) {
  const std::string& name = s.name.back();
  RequireStatement(x.session(), kCreateView);
  CheckNameFree(x, name);
  if (!s.select->order_by.empty() && !s.select->top)
    throw Message(Msg::kOrderByInView);
  CompileEnv env = x.Env();
  env.inline_only = true;
  Compiler compiler(env);
  CompiledQuery q = compiler.CompileSelect(*s.select);
  std::set<std::string> seen;
  for (std::size_t i = 0; i < q.columns.size(); ++i) {
    if (i < s.column_names.size()) q.columns[i].name = s.column_names[i];
    if (q.columns[i].name.empty())
      throw Message(Msg::kViewColumnUnnamed, {std::to_string(i + 1)});
    if (!seen.insert(Lower(q.columns[i].name)).second)
      throw Message(Msg::kDuplicateViewColumn, {q.columns[i].name, name});
  }
  SchemaChange change(x.session());
  Catalog& catalog = x.session().catalog();
  int id = catalog.AddObject(name, "V", 0);
  TakeOwnership(x.session(), id);
  // The options in force when the view was made stay with it.
  catalog.SetObjectStatus(id, (x.session().quoted_identifier ? 0x40000000 : 0) |
                                 (x.session().ansi_nulls ? 0x20000000 : 0));
  for (std::size_t i = 0; i < q.columns.size(); ++i) {
    ColumnMeta column;
    column.name = q.columns[i].name;
    column.type = q.columns[i].type.value_or(BuiltinType(TypeId::kSqlVariant));
    column.colid = static_cast<int>(i) + 1;
    catalog.AddColumn(id, column);
  }
  catalog.AddComment(id, s.text);
  std::vector<std::string> names;
  for (const OutputColumn& c : q.columns) names.push_back(c.name);
  x.session().db().Exec(CreateViewSql(catalog.Qualified(name), names, q.sql));
  change.Commit();
}

void RunCreateDefault(StatementContext& x, const CreateDefaultStmt& s) {
  const std::string& name = s.name.back();
  RequireStatement(x.session(), kCreateDefault);
  CheckNameFree(x, name);
  SchemaChange change(x.session());
  int id = x.session().catalog().AddObject(name, "D", 0);
  TakeOwnership(x.session(), id);
  x.session().catalog().AddComment(id, s.text);
  change.Commit();
}

void RunDrop(StatementContext& x, const DropStmt& s) {
  static const char* kWhat[] = {"table", "view", "default", "database", "procedure"};
  static const char* kXtype[] = {"U", "V", "D", "", "P"};
  int kind = static_cast<int>(s.kind);
  if (s.kind == DropKind::kDatabase)
    throw Message(Msg::kCannotDropDatabase, {s.names[0].back()});
  for (const MultiName& name : s.names) {
    Catalog& catalog = x.session().catalog();
    std::optional<ObjectRow> object = catalog.FindObject(name.back());
    if (!object || object->xtype != kXtype[kind] || (s.kind == DropKind::kDefault && object->parent != 0))
      throw Message(Msg::kDropMissing, {kWhat[kind], name.back()});
    RequireOwner(x.session(), object->id, object->name);
    SchemaChange change(x.session());
    if (s.kind == DropKind::kDefault) {
      if (!x.session().db().Scalar("SELECT 1 FROM syscolumns WHERE cdefault = ?1",
                                   {Value::Integer(object->id)}).is_null())
        throw Message(Msg::kDefaultInUse, {object->name});
    } else if (s.kind == DropKind::kTable) {
      for (const ObjectRow& child : catalog.ObjectsOfParent(object->id)) catalog.RemoveObject(child.id);
      x.session().db().Exec("DROP TABLE " + catalog.Qualified(object->name));
    } else if (s.kind == DropKind::kView) {
      x.session().db().Exec("DROP VIEW " + catalog.Qualified(object->name));
    }
    catalog.RemoveObject(object->id);
    change.Commit();
  }
}

}  // namespace court::mssql
