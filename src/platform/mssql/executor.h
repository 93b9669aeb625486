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

#include "platform/mssql/ast.h"
#include "platform/mssql/compiler.h"
#include "platform/mssql/parser.h"
#include "platform/mssql/session_state.h"

namespace court::mssql {

// Thrown after the messages of a failed statement have been recorded
// (an error and its "See previous errors." follower): ends the batch.
struct BatchAbort {};

class Executor {
 public:
  Executor(SessionState& session, BatchResult& result) : session_(session), result_(result) {}

  // parameters: variables the batch starts with (by lower-case name, without
  // '@'), as a parameterised request passes them. Returns the variables as
  // the batch left them: what output parameters hand back.
  std::map<std::string, Variable> Run(BatchStatements& batch, std::map<std::string, Variable> parameters = {});

  // Message helpers for the statement handlers.
  void Inform(int number, const std::string& text);
  void Raise(const access::Error& error);  // records an error; the batch goes on
  // Records the error and its follow-up message, then ends the batch.
  [[noreturn]] void Fail(const access::Error& error, int follower, const std::string& text);

  // Expression evaluation outside queries.
  CompileEnv Env();
  access::Value Evaluate(const Expr& e, std::optional<SqlType>* type = nullptr);
  bool IsTrue(const Expr& condition);
  std::string EvaluateText(const Expr* e);  // null expression: empty text

  SessionState& session() { return session_; }
  BatchResult& result() { return result_; }
  Variable* FindVariable(const std::string& name);

 private:
  void Execute(const Statement& statement);
  void ExecuteLeaf(const Statement& statement);
  void Checkpoint();
  void CheckDatabases(const std::vector<std::string>& used);
  void Declare(const DeclareStmt& s);
  void SetVariable(const SetVariableStmt& s);
  void SetOption(const SetOptionStmt& s);
  void Use(const UseStmt& s);
  access::Value SystemVariable(const std::string& name);

  SessionState& session_;
  BatchResult& result_;
  std::map<std::string, Variable> variables_;  // by lower-case name
};

// Statement handlers, one file per group.
void RunSelect(Executor& x, const SelectStmt& s);
void RunInsert(Executor& x, const InsertStmt& s);
void RunUpdate(Executor& x, const UpdateStmt& s);
void RunDelete(Executor& x, const DeleteStmt& s);
void RunTruncate(Executor& x, const TruncateStmt& s);
void RunCreateTable(Executor& x, const CreateTableStmt& s);
void RunAlterTable(Executor& x, const AlterTableStmt& s);
void RunCreateView(Executor& x, const CreateViewStmt& s);
void RunCreateDefault(Executor& x, const CreateDefaultStmt& s);
void RunDrop(Executor& x, const DropStmt& s);
void RunCreateDatabase(Executor& x, const CreateDatabaseStmt& s);
void RunExec(Executor& x, const ExecStmt& s);
// sp_getapplock and sp_releaseapplock: they write nothing stored and may wait
// for another session, so they run outside a write transaction, which would
// keep that session from writing meanwhile.
bool IsAppLockProcedure(const ExecStmt& s);
// The server-file procedures (xp_fileexist, ...); false for any other name.
bool RunFileProcedure(Executor& x, const ExecStmt& s);
void RunGrant(Executor& x, const GrantStmt& s);
// Copies a database to a file while it stays in use (exec_backup.cpp).
void RunBackup(Executor& x, const BackupStmt& s);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_EXECUTOR_H_
