// What a statement handler works with while a batch runs: the session, the
// batch's result, its variables and the message rules.
//
// The Executor (executor.h) is one; the handlers (statement_handlers.h) see
// only this, so the executor calls down into them and never the other way.

#ifndef COURT_PLATFORM_MSSQL_STATEMENT_CONTEXT_H_
#define COURT_PLATFORM_MSSQL_STATEMENT_CONTEXT_H_

#include <map>
#include <optional>
#include <string>

#include "platform/mssql/ast.h"
#include "platform/mssql/compiler.h"
#include "platform/mssql/session_state.h"

namespace court::mssql {

// Thrown after the messages of a failed statement have been recorded
// (an error and its "See previous errors." follower): ends the batch.
struct BatchAbort {};

class StatementContext {
 public:
  StatementContext(SessionState& session, BatchResult& result) : session_(session), result_(result) {}

  // Message helpers for the statement handlers.
  void Inform(const access::Error& message);  // information: the batch goes on, @@ERROR stays
  void Raise(const access::Error& error);  // records an error; the batch goes on
  // Records the error and its follow-up message, then ends the batch.
  [[noreturn]] void Fail(const access::Error& error, const access::Error& follower);

  // Expression evaluation outside queries.
  CompileEnv Env();
  // The value as a client sees it; type, when given, receives its type.
  access::Value Evaluate(const Expr& e, std::optional<SqlType>* type = nullptr);
  bool IsTrue(const Expr& condition);
  std::string EvaluateText(const Expr* e);  // null expression: empty text

  SessionState& session() { return session_; }
  BatchResult& result() { return result_; }
  Variable* FindVariable(const std::string& name);

 protected:
  access::Value SystemVariable(const std::string& name);

  SessionState& session_;
  BatchResult& result_;
  std::map<std::string, Variable> variables_;  // by lower-case name
};

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_STATEMENT_CONTEXT_H_
