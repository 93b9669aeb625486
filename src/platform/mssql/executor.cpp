#include "platform/mssql/executor.h"

#include <algorithm>
#include <cctype>

#include "platform/mssql/collation.h"
#include "platform/mssql/convert.h"
#include "platform/mssql/messages.h"
#include "platform/mssql/row_writer.h"
#include "platform/mssql/statement_handlers.h"
#include "platform/mssql/text.h"

namespace court::mssql {

namespace {

using access::Value;


// RETURN ends the batch without an error.
struct ReturnSignal {};

// Errors after which the server goes on with the next statement.
bool EndsOnlyStatement(int number) {
  return number == 515 || number == 547 || number == 2601 || number == 2627 || number == 8152 ||
         number == 544 || number == 8101 || number == 220 || number == 8115 || number == 8134;
}

// Whether any simple statement within statement satisfies test.
template <typename Test>
bool AnyLeaf(const Statement& statement, Test test) {
  if (const auto* s = std::get_if<IfStmt>(&statement.node))
    return AnyLeaf(*s->then_branch, test) || (s->else_branch && AnyLeaf(*s->else_branch, test));
  if (const auto* s = std::get_if<WhileStmt>(&statement.node)) return AnyLeaf(*s->body, test);
  if (const auto* s = std::get_if<BlockStmt>(&statement.node))
    return std::any_of(s->statements.begin(), s->statements.end(),
                       [&](const StatementPtr& inner) { return AnyLeaf(*inner, test); });
  return std::visit(test, statement.node);
}

struct WritingLeaf {
  template <typename T>
  bool operator()(const T&) const {
    return !(std::is_same_v<T, SelectStmt> || std::is_same_v<T, DeclareStmt> ||
             std::is_same_v<T, SetVariableStmt> || std::is_same_v<T, SetOptionStmt> ||
             std::is_same_v<T, UseStmt> || std::is_same_v<T, PrintStmt> ||
             std::is_same_v<T, ReturnStmt> || std::is_same_v<T, TransactionStmt> ||
             std::is_same_v<T, CreateDatabaseStmt> || std::is_same_v<T, BackupStmt>);
  }
  bool operator()(const ExecStmt& s) const { return !RunsOutsideWriteTransaction(s); }
};

struct ProcedureLeaf {
  template <typename T>
  bool operator()(const T&) const { return std::is_same_v<T, ExecStmt>; }
};

struct TransactionLeaf {
  template <typename T>
  bool operator()(const T&) const { return std::is_same_v<T, TransactionStmt>; }
};

// Whether a statement runs as one write transaction when no explicit
// transaction is open: it can change stored data and does not manage
// transactions itself. CREATE DATABASE looks after its own.
bool OwnWriteTransaction(const Statement& statement) {
  return AnyLeaf(statement, WritingLeaf{}) && !AnyLeaf(statement, TransactionLeaf{});
}

// A query outside a transaction reads the catalog and then its rows in one
// read transaction: one snapshot of the file, locked and unlocked once.
class ReadTransaction {
 public:
  explicit ReadTransaction(SqliteDb& db) : db_(db), open_(sqlite3_get_autocommit(db.handle()) != 0) {
    if (open_) db_.Prepare("BEGIN")->Step();
  }
  ~ReadTransaction() {
    if (!open_ || sqlite3_get_autocommit(db_.handle())) return;
    try {
      db_.Prepare("COMMIT")->Step();
    } catch (const access::Error&) {
      // Nothing was written; ending the transaction cannot lose anything.
    }
  }
  ReadTransaction(const ReadTransaction&) = delete;
  ReadTransaction& operator=(const ReadTransaction&) = delete;

 private:
  SqliteDb& db_;
  bool open_;
};

}  // namespace

std::map<std::string, Variable> Executor::Run(BatchStatements& batch, std::map<std::string, Variable> parameters) {
  variables_ = std::move(parameters);
  session_.last_error = 0;
  try {
    CheckDatabases(batch.used_databases());
    while (StatementPtr s = batch.Next()) {
      if (std::holds_alternative<SelectStmt>(s->node)) {
        ReadTransaction transaction(session_.db());
        Execute(*s);
        continue;
      }
      if (!OwnWriteTransaction(*s)) {
        Execute(*s);
        continue;
      }
      // System procedures write master's tables from any database.
      WriteTransaction transaction(session_.db(), !session_.in_master() && AnyLeaf(*s, ProcedureLeaf{}));
      try {
        Execute(*s);
      } catch (const ReturnSignal&) {
        transaction.Commit();
        throw;
      }
      transaction.Commit();
    }
  } catch (const ReturnSignal&) {
  } catch (const BatchAbort&) {
  } catch (const access::Error& e) {
    Raise(e);
  }
  return std::move(variables_);
}

// USE of a missing database fails when the batch is compiled, so nothing runs.
void Executor::CheckDatabases(const std::vector<std::string>& used) {
  for (const std::string& database : used) {
    if (!session_.DatabaseExists(database))
      throw UnknownDatabase(database);
  }
}

// One handler for each kind of statement and no fallback: a kind added to
// Statement without its handler here does not compile.
struct Executor::Runner {
  Executor& x;

  void operator()(const IfStmt& s) const {
    if (x.IsTrue(*s.condition)) x.Execute(*s.then_branch);
    else if (s.else_branch) x.Execute(*s.else_branch);
  }
  void operator()(const BlockStmt& s) const {
    for (const StatementPtr& inner : s.statements) x.Execute(*inner);
  }
  void operator()(const WhileStmt& s) const {
    while (x.IsTrue(*s.condition)) x.Execute(*s.body);
  }
  void operator()(const SelectStmt& s) const { RunSelect(x, s); }
  void operator()(const InsertStmt& s) const { RunInsert(x, s); }
  void operator()(const UpdateStmt& s) const { RunUpdate(x, s); }
  void operator()(const DeleteStmt& s) const { RunDelete(x, s); }
  void operator()(const TruncateStmt& s) const { RunTruncate(x, s); }
  void operator()(const CreateDatabaseStmt& s) const { RunCreateDatabase(x, s); }
  void operator()(const CreateTableStmt& s) const { RunCreateTable(x, s); }
  void operator()(const AlterTableStmt& s) const { RunAlterTable(x, s); }
  void operator()(const CreateViewStmt& s) const { RunCreateView(x, s); }
  void operator()(const CreateDefaultStmt& s) const { RunCreateDefault(x, s); }
  void operator()(const DropStmt& s) const { RunDrop(x, s); }
  void operator()(const DeclareStmt& s) const { x.Declare(s); }
  void operator()(const SetVariableStmt& s) const { x.SetVariable(s); }
  void operator()(const SetOptionStmt& s) const { x.SetOption(s); }
  void operator()(const ExecStmt& s) const { RunExec(x, s); }
  void operator()(const UseStmt& s) const { x.Use(s); }
  void operator()(const GrantStmt& s) const { RunGrant(x, s); }
  void operator()(const BackupStmt& s) const { RunBackup(x, s); }
  void operator()(const PrintStmt& s) const { x.Inform(Message(Msg::kPrint, {x.EvaluateText(s.value.get())})); }
  void operator()(const ReturnStmt&) const { throw ReturnSignal{}; }
  void operator()(const TransactionStmt& s) const {
    if (s.verb == "BEGIN") BeginWriteTransaction(x.session_.db(), false);
    else if (s.verb == "CHECKPOINT") x.Checkpoint();
    else x.session_.db().Exec(s.verb == "COMMIT" ? "COMMIT" : "ROLLBACK");
  }
};

// IF, WHILE and blocks run their statements; each simple statement records
// its end (ExecuteLeaf).
void Executor::Execute(const Statement& statement) {
  const bool compound = std::holds_alternative<IfStmt>(statement.node) ||
                        std::holds_alternative<BlockStmt>(statement.node) ||
                        std::holds_alternative<WhileStmt>(statement.node);
  if (compound) std::visit(Runner{*this}, statement.node);
  else ExecuteLeaf(statement);
}

void Executor::ExecuteLeaf(const Statement& statement) {
  // Statements that touch rows report how many, as @@ROWCOUNT does.
  using End = BatchResult::StatementEnd;
  const End::Verb verb = std::holds_alternative<SelectStmt>(statement.node)   ? End::kSelect
                         : std::holds_alternative<InsertStmt>(statement.node) ? End::kInsert
                         : std::holds_alternative<UpdateStmt>(statement.node) ? End::kUpdate
                         : std::holds_alternative<DeleteStmt>(statement.node) ? End::kDelete
                                                                              : End::kOther;
  struct EndRecorder {
    Executor& x;
    End::Verb verb;
    bool ok = false;
    ~EndRecorder() {
      x.result_.statements.push_back({x.result_.results.size(), x.result_.messages.size(),
                                      ok && verb != End::kOther ? x.session_.row_count : -1, verb});
    }
  } end{*this, verb};
  try {
    std::visit(Runner{*this}, statement.node);
    end.ok = true;
  } catch (const access::Error& e) {
    if (!EndsOnlyStatement(e.number())) throw;
    Raise(e);
    Inform(Message(Msg::kStatementTerminated));
  }
}

void Executor::Declare(const DeclareStmt& s) {
  for (const VariableDecl& d : s.variables) {
    Variable v{ResolveType(d.type), Value()};
    variables_[Lower(d.name)] = v;
    if (d.initial) {
      Variable* stored = FindVariable(d.name);
      stored->value = ToStorage(Evaluate(*d.initial), stored->type, session_.date_order);
    }
  }
}

void Executor::SetVariable(const SetVariableStmt& s) {
  Variable* v = FindVariable(s.name);
  if (v == nullptr) throw MustDeclareVariable("@" + s.name);
  v->value = ToStorage(Evaluate(*s.value), v->type, session_.date_order);
}

void Executor::SetOption(const SetOptionStmt& s) {
  bool on = s.value == "ON";
  for (const std::string& option : s.options) {
    if (option == "QUOTED_IDENTIFIER") session_.quoted_identifier = on;
    else if (option == "ANSI_NULLS") session_.ansi_nulls = on;
    else if (option == "IDENTITY_INSERT") session_.identity_insert_table = on ? s.table.back() : "";
    else if (option == "DATEFORMAT") {
      std::string f = Lower(s.value);
      session_.date_order = f == "dmy" ? DateOrder::kDmy : f == "ymd" ? DateOrder::kYmd : DateOrder::kMdy;
      session_.db().functions().date_order = session_.date_order;
    }
    // NOCOUNT, ANSI_WARNINGS, ARITHABORT and the like change nothing here.
  }
}

// CHECKPOINT: what the current database has committed is on disk when it
// returns, as SQL Server writes its dirty pages. Within a transaction there is
// nothing more to make durable yet.
void Executor::Checkpoint() {
  if (sqlite3_get_autocommit(session_.db().handle())) session_.db().Rows("PRAGMA main.wal_checkpoint(FULL)");
}

void Executor::Use(const UseStmt& s) {
  session_.Use(s.database);
  Inform(Message(Msg::kChangedDatabase, {session_.database()}));
}

}  // namespace court::mssql
