#include "platform/mssql/constraints.h"

#include <cstdio>

#include "platform/mssql/check_text.h"
#include "platform/mssql/messages.h"
#include "platform/mssql/parser.h"
#include "platform/mssql/text.h"

namespace court::mssql {

namespace {

using access::Value;

access::Error CouldNotCreate() { return Message(Msg::kCouldNotCreateConstraint); }

int ColumnIndex(StatementContext& x, const TableMeta& table, const std::string& column) {
  int i = table.Find(column);
  if (i < 0)
    x.Fail(Message(Msg::kNoTargetColumn, {column}), CouldNotCreate());
  return i;
}

// Claims a name for a new constraint object, generated when none was given.
int CreateObject(StatementContext& x, const TableMeta& table, const ConstraintDef& c, const std::string& xtype,
                 const std::string& prefix, std::string& name) {
  Catalog& catalog = x.session().catalog();
  if (!c.name.empty() && catalog.FindObject(c.name))
    x.Fail(ObjectExists(c.name), CouldNotCreate());
  int id = catalog.AddObject(c.name.empty() ? "" : c.name, xtype, table.id);
  name = c.name;
  if (name.empty()) {
    name = GeneratedName(prefix, table.name, c.columns.empty() ? "" : c.columns[0], id);
    catalog.RenameObject(id, name);
  }
  return id;
}

void AddKey(StatementContext& x, TableMeta& table, const ConstraintDef& c) {
  bool primary = c.kind == ConstraintKind::kPrimaryKey;
  if (primary && !table.key_name.empty() && x.session().catalog().FindObject(table.key_name) &&
      x.session().catalog().FindObject(table.key_name)->xtype == "PK")
    x.Fail(Message(Msg::kPrimaryKeyExists, {table.name}), CouldNotCreate());
  std::string columns;
  std::vector<int> colids;
  std::string first_column;  // as the table spells it
  for (const std::string& column : c.columns) {
    const ColumnMeta& meta = table.columns[static_cast<std::size_t>(ColumnIndex(x, table, column))];
    colids.push_back(meta.colid);
    if (first_column.empty()) first_column = meta.name;
    if (primary && meta.nullable)
      x.Fail(Message(Msg::kNullablePrimaryKey, {table.name}), CouldNotCreate());
    columns += (columns.empty() ? "" : ", ") + QuoteIdentifier(meta.name) + " COLLATE CI";
  }
  std::string name;
  CreateObject(x, table, c, primary ? "PK" : "UQ", primary ? "PK" : "UQ", name);
  // A key on the table's rowid (see RunCreateTable) is kept by SQLite itself.
  const bool on_rowid = primary && colids.size() == 1 && IsRowidColumn(x.session().db(), table, first_column);
  try {
    if (!on_rowid)
      x.session().db().Exec("CREATE UNIQUE INDEX " + QuoteIdentifier(x.session().catalog().schema()) + "." +
                            QuoteIdentifier(KeyIndexName(name)) + " ON " + QuoteIdentifier(table.name) + " (" +
                            columns + ")");
  } catch (const access::Error&) {
    x.Fail(Message(Msg::kDuplicateKeyFound, {c.columns[0]}), CouldNotCreate());
  }
  x.session().catalog().AddKeyIndex(table.id, name, colids);
  // As the catalog describes it: the primary key, else the first unique one.
  if (primary || table.key_name.empty()) table.key_name = name;
}

std::string Parenthesized(const Expr& e, const std::string& text) {
  bool wrapped = !text.empty() && text.front() == '(' && text.back() == ')' &&
                 e.kind != ExprKind::kSubquery;
  return wrapped ? text : "(" + text + ")";
}

void AddDefault(StatementContext& x, TableMeta& table, const ConstraintDef& c) {
  int index = ColumnIndex(x, table, c.columns[0]);
  ColumnMeta& column = table.columns[static_cast<std::size_t>(index)];
  if (column.cdefault != 0)
    x.Fail(Message(Msg::kDefaultExists), CouldNotCreate());
  if (column.identity)
    x.Fail(Message(Msg::kIdentityDefault, {table.name, column.name}), CouldNotCreate());
  std::string name;
  int id = CreateObject(x, table, c, "D", "DF", name);
  const std::string expression = Parenthesized(*c.expr, c.expr_text);
  x.session().catalog().AddComment(id, expression);
  x.session().catalog().SetDefault(table.id, column.colid, id);
  column.cdefault = id;
  column.default_expression = expression;
}

void AddCheck(StatementContext& x, TableMeta& table, const ConstraintDef& c, bool check_existing) {
  std::string text = CheckText(*c.expr);
  // The condition must compile against the table before it is kept.
  CompileEnv env = x.Env();
  Compiler compiler(env);
  Scope scope = compiler.TargetScope({table.name});
  std::string condition = compiler.Condition(*c.expr, scope);
  std::string name;
  ConstraintDef named = {c.kind, c.name, {}, nullptr, "", true};
  int id = CreateObject(x, table, named, "C", "CK", name);
  x.session().catalog().AddComment(id, text);
  if (check_existing &&
      !x.session().db().Scalar("SELECT 1 FROM " + table.SqliteName() + " AS " +
                                   scope.tables[0].sql_alias + " WHERE NOT " + condition + " LIMIT 1",
                               compiler.params()).is_null())
    // This follower goes at class 0, below the 10 the executor's carries.
    x.Fail(CheckConflict("ALTER TABLE", name, x.session().database(), table.name, CheckedColumn(*c.expr)),
           WithSeverity(Message(Msg::kStatementTerminated), 0));
  table.checks.push_back({name, text});
}

}  // namespace

std::string KeyIndexName(const std::string& constraint) { return "court_key " + constraint; }

std::string GeneratedName(const std::string& prefix, const std::string& table,
                          const std::string& column, int id) {
  std::string table_part(text::FirstChars(table, 9));
  char hex[16];
  std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(id));
  std::string name = prefix + "__" + table_part + "__";
  if (!column.empty()) name += std::string(text::FirstChars(column, 14 - CharCount(table_part))) + "__";
  return name + hex;
}

void AddConstraint(StatementContext& x, TableMeta& table, const ConstraintDef& c, bool check_existing) {
  switch (c.kind) {
    case ConstraintKind::kPrimaryKey:
    case ConstraintKind::kUnique: AddKey(x, table, c); break;
    case ConstraintKind::kDefault: AddDefault(x, table, c); break;
    case ConstraintKind::kCheck: AddCheck(x, table, c, check_existing); break;
    case ConstraintKind::kForeignKey:
      throw Message(Msg::kNoForeignKeys);
  }
}

void AddColumnDefault(StatementContext& x, TableMeta& table, const ColumnDef& column) {
  ConstraintDef c;
  c.kind = ConstraintKind::kDefault;
  c.name = column.default_name;
  c.columns = {column.name};
  c.expr = std::make_unique<Expr>(Expr{});
  c.expr_text = column.default_text;
  c.expr->kind = ExprKind::kLiteral;
  AddDefault(x, table, c);
}

void DropConstraint(StatementContext& x, const TableMeta& table, const std::string& name) {
  Catalog& catalog = x.session().catalog();
  std::optional<ObjectRow> object = catalog.FindObject(name);
  if (!object || object->parent != table.id)
    x.Fail(Message(Msg::kNotAConstraint, {name}), Message(Msg::kCouldNotDropConstraint));
  if (object->xtype == "PK" || object->xtype == "UQ") {
    catalog.KeepIdentity(table);
    // A key on the rowid has no index to drop: its values stay unique.
    x.session().db().Exec("DROP INDEX IF EXISTS " + QuoteIdentifier(catalog.schema()) + "." +
                          QuoteIdentifier(KeyIndexName(object->name)));
    catalog.RemoveKeyIndex(table.id, object->name);
  }
  for (const ColumnMeta& column : table.columns)
    if (column.cdefault == object->id) catalog.SetDefault(table.id, column.colid, 0);
  catalog.RemoveObject(object->id);
  catalog.Changed();
}

}  // namespace court::mssql
