// The statement handlers, one file per group. Each works through the
// StatementContext it is given; the executor dispatches to them.

#ifndef COURT_PLATFORM_MSSQL_STATEMENT_HANDLERS_H_
#define COURT_PLATFORM_MSSQL_STATEMENT_HANDLERS_H_

#include "platform/mssql/ast.h"
#include "platform/mssql/statement_context.h"
#include "platform/mssql/system_procedures.h"

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
// A system procedure from the table of system_procedures.h; 2812 for any
// other name.
void RunExec(StatementContext& x, const ExecStmt& s);
bool RunsOutsideWriteTransaction(const ExecStmt& s);
// The server-file procedures (file_procedures.cpp).
void FileExists(StatementContext& x, const ExecStmt& s);          // xp_fileexist
void CreateSubdirectory(StatementContext& x, const ExecStmt& s);  // xp_create_subdir
void FixedDrives(StatementContext& x, const ExecStmt& s);         // xp_fixeddrives
void RunGrant(StatementContext& x, const GrantStmt& s);
// Copies a database to a file while it stays in use (exec_backup.cpp).
void RunBackup(StatementContext& x, const BackupStmt& s);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_STATEMENT_HANDLERS_H_
