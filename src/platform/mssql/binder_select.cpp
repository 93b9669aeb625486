// Binding SELECT queries: FROM with joins, the select list, grouping and
// ordering; and the tables statements name.

#include "platform/mssql/binder.h"
#include "platform/mssql/collation.h"
#include "platform/mssql/messages.h"

namespace court::mssql {

namespace {

bool ContainsAggregate(const Expr& e) {
  if (e.kind == ExprKind::kFunction && IsAggregateFunction(e.name.back())) return true;
  for (const auto& a : e.args)
    if (a && ContainsAggregate(*a)) return true;
  return false;
}

std::string DisplayName(const MultiName& name) {
  std::string text;
  for (const std::string& part : name) text += (text.empty() ? "" : ".") + part;
  return text;
}

BoundExprPtr ColumnOf(const ScopeTable& t, const std::string& name, const std::optional<SqlType>& type) {
  auto node = std::make_unique<BoundExpr>();
  node->kind = BoundKind::kColumn;
  node->type = type;
  node->table_alias = t.sql_alias;
  node->name = name;
  return node;
}

}  // namespace

std::shared_ptr<const TableMeta> Binder::ResolveTable(const MultiName& name) {
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

Scope Binder::TargetScope(const MultiName& table) {
  Scope scope;
  ScopeTable t;
  t.meta = ResolveTable(table);
  t.name = t.meta->name;
  t.sql_alias = NewAlias();
  scope.tables.push_back(std::move(t));
  return scope;
}

ScopeTable Binder::ScopeFor(const TableRef& ref, const Scope& scope, BoundSource& source) {
  ScopeTable t;
  t.alias = ref.alias;
  t.sql_alias = NewAlias();
  source.sql_alias = t.sql_alias;
  if (ref.derived) {
    source.derived = std::make_unique<BoundSelect>(BindSelect(*ref.derived, scope.outer));
    t.derived = source.derived->columns;
    t.name = ref.alias;
    return t;
  }
  t.meta = ResolveTable(ref.name);
  t.name = t.meta->name;
  source.sql = env_.read_source ? env_.read_source(*t.meta) : t.meta->SqliteName();
  return t;
}

void Binder::AddFrom(const std::vector<FromItem>& from, Scope& scope, BoundSelect& out) {
  // Every table is visible to every ON condition; the server is stricter,
  // but no valid statement reads differently.
  std::vector<const Expr*> on;
  auto add = [&](const TableRef& ref, std::optional<JoinKind> join, const Expr* condition) {
    BoundSource source;
    source.join = join;
    scope.tables.push_back(ScopeFor(ref, scope, source));
    out.from.push_back(std::move(source));
    on.push_back(condition);
  };
  for (const FromItem& item : from) {
    add(item.first, std::nullopt, nullptr);
    for (const Join& join : item.joins) add(join.table, join.kind, join.on.get());
  }
  for (std::size_t i = 0; i < on.size(); ++i)
    if (on[i] != nullptr) out.from[i].on = Bind(*on[i], scope);
}

void Binder::SelectList(const Select& select, const Scope& scope, BoundSelect& out) {
  auto add = [&](BoundExprPtr value, OutputColumn column) {
    out.items.push_back(std::move(value));
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
            BoundExprPtr column = ColumnOf(t, c.name, c.type);
            column->table = t.meta;
            column->column = &c;
            add(std::move(column), {c.name, c.type, c.name});
          }
        } else {
          for (const OutputColumn& c : t.derived) add(ColumnOf(t, c.name, c.type), {c.name, c.type, ""});
        }
      }
      if (!any && !item.star_qualifier.empty()) throw InvalidObjectName(item.star_qualifier[0]);
      if (!any) throw Message(Msg::kNoTableToSelectFrom);
      continue;
    }
    BoundExprPtr value = Bind(*item.expr, scope);
    OutputColumn column;
    column.type = value->type;
    if (item.expr->kind == ExprKind::kColumn) {
      column.name = item.expr->name.back();
      column.base_column = item.expr->name.back();
    }
    if (!item.alias.empty()) column.name = item.alias;
    if (!item.assign_variable.empty()) out.assignments.push_back(item.assign_variable);
    add(std::move(value), std::move(column));
  }
}

// A bare name means the select list's alias first, as on the server; after
// UNION a name means the result's column.
BoundExprPtr Binder::OrderTerm(const Select& select, const Expr& e, const Scope& scope, bool union_part) {
  std::string name;
  if (e.kind == ExprKind::kColumn && e.name.size() == 1) {
    for (const SelectItem& item : select.items)
      if (!item.alias.empty() && EqualCi(item.alias, e.name[0])) name = item.alias;
  }
  if (union_part && e.kind == ExprKind::kColumn) name = e.name.back();
  if (name.empty()) return Bind(e, scope);
  auto term = std::make_unique<BoundExpr>();
  term->kind = BoundKind::kResultColumn;
  term->name = std::move(name);
  return term;
}

BoundSelect Binder::BindSelect(const Select& select, const Scope* outer, bool union_part) {
  BoundSelect out;
  out.distinct = select.distinct;
  Scope scope;
  scope.outer = outer;
  if (!select.from.empty()) AddFrom(select.from, scope, out);
  SelectList(select, scope, out);
  bool aggregate = !select.group_by.empty() || select.having != nullptr;
  for (const SelectItem& item : select.items)
    if (item.expr && ContainsAggregate(*item.expr)) aggregate = true;
  bool single_table = select.from.size() == 1 && select.from[0].joins.empty() &&
                      scope.tables.size() == 1 && scope.tables[0].meta &&
                      scope.tables[0].meta->xtype == "U";
  if (single_table && !aggregate && !select.distinct && !select.union_next && !union_part &&
      out.assignments.empty() && outer == nullptr && !env_.inline_only) {
    out.base_table = scope.tables[0].meta;
    out.rowid_alias = scope.tables[0].sql_alias;
  }
  if (select.where) out.where = Bind(*select.where, scope);
  for (const ExprPtr& e : select.group_by) out.group_by.push_back(Bind(*e, scope));
  if (select.having) out.having = Bind(*select.having, scope);
  if (select.union_next) {
    out.union_next = std::make_unique<BoundSelect>(BindSelect(*select.union_next, outer, true));
    out.union_all = select.union_all;
  }
  for (const OrderItem& item : select.order_by)
    out.order_by.push_back({OrderTerm(select, *item.expr, scope, union_part), item.descending});
  if (select.top) {
    BoundExprPtr n = Bind(*select.top, scope);
    const bool all = select.top_percent && n->literal != nullptr && n->literal->text == "100";
    if (!all) out.top = std::move(n);
    out.top_percent = select.top_percent;
  }
  return out;
}

}  // namespace court::mssql
