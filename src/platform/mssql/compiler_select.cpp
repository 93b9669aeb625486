// SELECT queries: FROM with joins, the select list, grouping and ordering.

#include "platform/mssql/collation.h"
#include "platform/mssql/compiler.h"
#include "platform/mssql/messages.h"

namespace court::mssql {

namespace {

bool ContainsAggregate(const Expr& e) {
  if (e.kind == ExprKind::kFunction && IsAggregateFunction(e.name.back())) return true;
  for (const auto& a : e.args)
    if (a && ContainsAggregate(*a)) return true;
  return false;
}

std::string JoinWord(JoinKind kind) {
  switch (kind) {
    case JoinKind::kLeft: return " LEFT JOIN ";
    case JoinKind::kRight: return " RIGHT JOIN ";
    case JoinKind::kFull: return " FULL JOIN ";
    case JoinKind::kCross: return " CROSS JOIN ";
    case JoinKind::kInner: break;
  }
  return " INNER JOIN ";
}

std::string DisplayName(const MultiName& name) {
  std::string text;
  for (const std::string& part : name) text += (text.empty() ? "" : ".") + part;
  return text;
}

}  // namespace

std::shared_ptr<const TableMeta> Compiler::ResolveTable(const MultiName& name) {
  Catalog* catalog = env_.current;
  if (name.size() >= 3) {
    const std::string& db = name[name.size() - 3];
    if (EqualCi(db, "master")) catalog = env_.master;
    else if (!EqualCi(db, env_.database)) throw InvalidObjectName(DisplayName(name));
  }
  std::shared_ptr<const TableMeta> table = catalog->FindTable(name.back());
  if (!table) throw InvalidObjectName(DisplayName(name));
  return table;
}

Scope Compiler::TargetScope(const MultiName& table) {
  Scope scope;
  ScopeTable t;
  t.meta = ResolveTable(table);
  t.name = t.meta->name;
  t.sql_alias = NewAlias();
  scope.tables.push_back(std::move(t));
  return scope;
}

ScopeTable Compiler::ScopeFor(const TableRef& ref, const Scope& scope, std::string& source) {
  ScopeTable t;
  t.alias = ref.alias;
  t.sql_alias = NewAlias();
  if (ref.derived) {
    CompiledQuery q = SelectQuery(*ref.derived, scope.outer);
    t.derived = q.columns;
    t.name = ref.alias;
    source = "(" + q.sql + ")";
    return t;
  }
  t.meta = ResolveTable(ref.name);
  t.name = t.meta->name;
  source = env_.read_source ? env_.read_source(*t.meta) : t.meta->SqliteName();
  return t;
}

void Compiler::AddFrom(const std::vector<FromItem>& from, Scope& scope, std::string& sql) {
  // Every table is visible to every ON condition; the server is stricter,
  // but no valid statement reads differently.
  struct Pending {
    std::string sql;
    const Expr* on;
  };
  std::vector<Pending> parts;
  auto add = [&](const TableRef& ref, const std::string& joiner, const Expr* on) {
    std::string source;
    ScopeTable t = ScopeFor(ref, scope, source);
    parts.push_back({joiner + source + " AS " + t.sql_alias, on});
    scope.tables.push_back(std::move(t));
  };
  for (std::size_t i = 0; i < from.size(); ++i) {
    add(from[i].first, i == 0 ? "" : ", ", nullptr);
    for (const Join& join : from[i].joins) add(join.table, JoinWord(join.kind), join.on.get());
  }
  for (const Pending& p : parts) {
    sql += p.sql;
    if (p.on != nullptr) sql += " ON " + Condition(*p.on, scope);
  }
}

void Compiler::SelectList(const Select& select, const Scope& scope, CompiledQuery& out,
                          std::string& sql) {
  bool first = true;
  auto add = [&](const std::string& item_sql, OutputColumn column) {
    sql += (first ? "" : ", ") + item_sql + " AS " + QuoteIdentifier(column.name);
    first = false;
    out.columns.push_back(std::move(column));
  };
  for (const SelectItem& item : select.items) {
    if (item.star) {
      bool any = false;
      for (const ScopeTable& t : scope.tables) {
        if (!item.star_qualifier.empty() && !EqualCi(item.star_qualifier[0], t.alias) &&
            !EqualCi(item.star_qualifier[0], t.name))
          continue;
        any = true;
        if (t.meta) {
          for (const ColumnMeta& c : t.meta->columns) {
            if (env_.read_column) env_.read_column(*t.meta, c);
            add(t.sql_alias + "." + QuoteIdentifier(c.name), {c.name, c.type, c.name});
          }
        } else {
          for (const OutputColumn& c : t.derived)
            add(t.sql_alias + "." + QuoteIdentifier(c.name), {c.name, c.type, ""});
        }
      }
      if (!any && !item.star_qualifier.empty()) throw InvalidObjectName(item.star_qualifier[0]);
      if (!any) throw Message(Msg::kNoTableToSelectFrom);
      continue;
    }
    Typed value = Emit(*item.expr, scope);
    OutputColumn column;
    column.type = value.type;
    if (item.expr->kind == ExprKind::kColumn) {
      column.name = item.expr->name.back();
      column.base_column = item.expr->name.back();
    }
    if (!item.alias.empty()) column.name = item.alias;
    if (!item.assign_variable.empty()) out.assignments.push_back(item.assign_variable);
    add(value.sql, std::move(column));
  }
}

CompiledQuery Compiler::SelectQuery(const Select& select, const Scope* outer, bool union_part) {
  CompiledQuery out;
  Scope scope;
  scope.outer = outer;
  std::string from_sql;
  if (!select.from.empty()) AddFrom(select.from, scope, from_sql);

  std::string sql = select.distinct ? "SELECT DISTINCT " : "SELECT ";
  SelectList(select, scope, out, sql);
  bool aggregate = !select.group_by.empty() || select.having != nullptr;
  for (const SelectItem& item : select.items)
    if (item.expr && ContainsAggregate(*item.expr)) aggregate = true;
  bool single_table = select.from.size() == 1 && select.from[0].joins.empty() &&
                      scope.tables.size() == 1 && scope.tables[0].meta &&
                      scope.tables[0].meta->xtype == "U";
  if (single_table && !aggregate && !select.distinct && !select.union_next && !union_part &&
      out.assignments.empty() && outer == nullptr && !env_.inline_only) {
    out.base_table = scope.tables[0].meta;
    sql += ", " + scope.tables[0].sql_alias + ".rowid";
  }
  if (!from_sql.empty()) sql += " FROM " + from_sql;
  if (select.where) sql += " WHERE " + Condition(*select.where, scope);
  if (!select.group_by.empty()) {
    sql += " GROUP BY ";
    for (std::size_t i = 0; i < select.group_by.size(); ++i)
      sql += (i ? ", " : "") + Condition(*select.group_by[i], scope);
  }
  if (select.having) sql += " HAVING " + Condition(*select.having, scope);
  if (select.union_next) {
    CompiledQuery next = SelectQuery(*select.union_next, outer, true);
    sql += (select.union_all ? " UNION ALL " : " UNION ") + next.sql;
  }
  if (!select.order_by.empty()) {
    sql += " ORDER BY ";
    for (std::size_t i = 0; i < select.order_by.size(); ++i) {
      const Expr& e = *select.order_by[i].expr;
      std::string term;
      // A bare name means the select list's alias first, as on the server.
      if (e.kind == ExprKind::kColumn && e.name.size() == 1) {
        for (const SelectItem& item : select.items)
          if (!item.alias.empty() && EqualCi(item.alias, e.name[0])) term = QuoteIdentifier(item.alias);
      }
      if (union_part && e.kind == ExprKind::kColumn) term = QuoteIdentifier(e.name.back());
      if (term.empty()) term = Condition(e, scope);
      sql += (i ? ", " : "") + term + (select.order_by[i].descending ? " DESC" : "");
    }
  }
  if (select.top) {
    Typed n = Emit(*select.top, scope);
    bool all = select.top_percent && n.literal != nullptr && n.literal->literal.text == "100";
    if (select.top_percent && !all) {
      sql += " LIMIT (SELECT (count(*) * " + n.sql + " + 99) / 100 FROM (" + sql + "))";
    } else if (!all) {
      sql += " LIMIT " + n.sql;
    }
  }
  out.sql = std::move(sql);
  return out;
}

std::string Compiler::SubquerySql(const Select& select, const Scope& scope) {
  return SelectQuery(select, &scope).sql;
}

CompiledQuery Compiler::CompileSelect(const Select& select) {
  CompiledQuery q = SelectQuery(select, nullptr);
  q.params = params_;
  return q;
}

CompiledQuery Compiler::CompileScalar(const Expr& e) {
  Scope scope;
  Typed value = Emit(e, scope);
  CompiledQuery q;
  q.sql = "SELECT " + value.sql;
  q.columns.push_back({"", value.type, ""});
  q.params = params_;
  return q;
}

}  // namespace court::mssql
