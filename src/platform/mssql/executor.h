// Runs the statements of one batch against a session.
//
// Errors follow SQL Server's rules: constraint and truncation errors end
// only their statement ("The statement has been terminated.") and the batch
// goes on; system procedures report their errors and return; every other
// error ends the batch. Variables live for one batch.

#ifndef COURT_PLATFORM_MSSQL_EXECUTOR_H_
#define COURT_PLATFORM_MSSQL_EXECUTOR_H_

#include <map>
#include <string>
#include <vector>

#include "platform/mssql/parser.h"
#include "platform/mssql/statement_context.h"

namespace court::mssql {

class Executor : public StatementContext {
 public:
  using StatementContext::StatementContext;

  // parameters: variables the batch starts with (by lower-case name, without
  // '@'), as a parameterised request passes them. Returns the variables as
  // the batch left them: what output parameters hand back.
  std::map<std::string, Variable> Run(BatchStatements& batch, std::map<std::string, Variable> parameters = {});

 private:
  struct Runner;

  void Execute(const Statement& statement);
  void ExecuteLeaf(const Statement& statement);
  void Checkpoint();
  void CheckDatabases(const std::vector<std::string>& used);
  void Declare(const DeclareStmt& s);
  void SetVariable(const SetVariableStmt& s);
  void SetOption(const SetOptionStmt& s);
  void Use(const UseStmt& s);
};

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_EXECUTOR_H_
