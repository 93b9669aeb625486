// The statement handlers, one file per group. Each works through the
// StatementContext it is given; the executor dispatches to them.

#ifndef COURT_PLATFORM_MSSQL_STATEMENT_HANDLERS_H_
#define COURT_PLATFORM_MSSQL_STATEMENT_HANDLERS_H_

#include "platform/mssql/ast.h"
#include "platform/mssql/statement_context.h"

namespace court::mssql {

void RunSelect(StatementContext& x, const SelectStmt& s);
void RunInsert(StatementContext& x, const InsertStmt& s);
void RunUpdate(StatementContext& x, const UpdateStmt& s);
void RunDelete(StatementContext& x, const DeleteStmt& s);
void RunTruncate(StatementContext& x, const TruncateStmt& s);
void RunCreateTable(StatementContext& x, const CreateTableStmt& s);
void RunAlterTable(StatementContext& x, const AlterTableStmt& s);
void RunCreateView(StatementContext& x, const CreateViewStmt& s);
void RunCreateDefault(StatementContext& x, const CreateDefaultStmt& s);
void RunDrop(StatementContext& x, const DropStmt& s);
void RunCreateDatabase(StatementContext& x, const CreateDatabaseStmt& s);
void RunExec(StatementContext& x, const ExecStmt& s);
// sp_getapplock and sp_releaseapplock: they write nothing stored and may wait
// for another session, so they run outside a write transaction, which would
// keep that session from writing meanwhile.
bool IsAppLockProcedure(const ExecStmt& s);
// The server-file procedures (xp_fileexist, ...); false for any other name.
bool RunFileProcedure(StatementContext& x, const ExecStmt& s);
void RunGrant(StatementContext& x, const GrantStmt& s);
// Copies a database to a file while it stays in use (exec_backup.cpp).
void RunBackup(StatementContext& x, const BackupStmt& s);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_STATEMENT_HANDLERS_H_
