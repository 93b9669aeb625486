// Binding, then emitting.

#include "platform/mssql/compiler.h"

namespace court::mssql {

CompiledQuery Compiler::CompileSelect(const Select& select) {
  BoundSelect bound = binder_.BindSelect(select, nullptr);
  CompiledQuery q;
  q.sql = emitter_.Select(bound);
  q.params = emitter_.params();
  q.columns = std::move(bound.columns);
  q.base_table = std::move(bound.base_table);
  q.assignments = std::move(bound.assignments);
  return q;
}

CompiledQuery Compiler::CompileScalar(const Expr& e) {
  BoundExprPtr value = binder_.Bind(e, Scope{});
  CompiledQuery q;
  q.sql = "SELECT " + emitter_.Expression(*value);
  q.columns.push_back({"", value->type, ""});
  q.params = emitter_.params();
  return q;
}

std::string Compiler::Condition(const Expr& e, const Scope& scope) {
  return emitter_.Expression(*binder_.Bind(e, scope));
}

std::string Compiler::ColumnValue(const Expr& e, const Scope& scope, const ColumnMeta& column) {
  return emitter_.Expression(*binder_.BindColumnValue(e, scope, column));
}

}  // namespace court::mssql
