#include "platform/mssql/statement_context.h"

#include <memory>
#include <set>

#include "platform/mssql/convert.h"
#include "platform/mssql/messages.h"
#include "platform/mssql/row_writer.h"
#include "platform/mssql/security.h"
#include "platform/mssql/system_variables.h"
#include "platform/mssql/text.h"

namespace court::mssql {

using access::Value;

void StatementContext::Inform(const access::Error& message) { result_.messages.push_back(message); }

void StatementContext::Raise(const access::Error& error) {
  result_.messages.push_back(error);
  session_.last_error = error.number();
}

void StatementContext::Fail(const access::Error& error, const access::Error& follower) {
  Raise(error);
  result_.messages.push_back(follower);
  throw BatchAbort{};
}

Variable* StatementContext::FindVariable(const std::string& name) {
  auto it = variables_.find(Lower(name));
  return it == variables_.end() ? nullptr : &it->second;
}

Value StatementContext::SystemVariable(const std::string& name) {
  std::optional<Value> value = SystemVariableValue(session_, name);
  if (!value) throw MustDeclareVariable("@@" + name);
  return *value;
}

CompileEnv StatementContext::Env() {
  CompileEnv env = SessionEnv(session_);
  env.variable = [this](const std::string& name) { return FindVariable(name); };
  env.system_variable = [this](const std::string& name) { return SystemVariable(name); };
  if (!IsAdministrator(session_)) {
    // Tables read with rights on some of their columns only; their columns are checked one by one.
    auto partial = std::make_shared<std::set<int>>();
    env.read_source = [this, partial](const TableMeta& table) {
      bool whole = true;
      std::string source = ReadSource(session_, table, &whole);
      if (!whole) partial->insert(table.id);
      return source;
    };
    env.read_column = [this, partial](const TableMeta& table, const ColumnMeta& column) {
      if (partial->count(table.id)) RequireColumn(session_, table, column, kSelect);
    };
  }
  return env;
}

Value StatementContext::Evaluate(const Expr& e, std::optional<SqlType>* type) {
  CompileEnv env = Env();
  Compiler compiler(env);
  CompiledQuery q = compiler.CompileScalar(e);
  if (type != nullptr) *type = q.columns[0].type;
  return FromStorage(session_.db().Scalar(q.sql, q.params), q.columns[0].type);
}

bool StatementContext::IsTrue(const Expr& condition) {
  CompileEnv env = Env();
  Compiler compiler(env);
  std::string sql = "SELECT CASE WHEN " + compiler.Condition(condition, Scope{}) + " THEN 1 ELSE 0 END";
  return session_.db().Scalar(sql, compiler.params()).integer() == 1;
}

std::string StatementContext::EvaluateText(const Expr* e) {
  if (e == nullptr) return "";
  if (e->kind == ExprKind::kLiteral) return e->literal.text;
  Value v = Evaluate(*e);
  if (v.type() == access::ValueType::kDateTime) return FormatDateTime(v.date());
  return v.is_null() ? "" : v.ToText();
}

}  // namespace court::mssql
