// Statements and batches.

#include <algorithm>
#include <cctype>

#include "platform/access/number_text.h"
#include "platform/mssql/keywords.h"
#include "platform/mssql/messages.h"
#include "platform/mssql/parser_state.h"
#include "platform/mssql/text.h"

namespace court::mssql {

namespace {

template <typename Node>
StatementPtr Make(Node node, int line) {
  auto s = std::make_unique<Statement>();
  s->node = std::move(node);
  s->line = line;
  return s;
}


}  // namespace

std::vector<StatementPtr> Parser::Batch() {
  std::vector<StatementPtr> statements;
  while (StatementPtr s = NextStatement()) statements.push_back(std::move(s));
  return statements;
}

StatementPtr Parser::NextStatement() {
  while (AcceptSymbol(";")) {
  }
  // What came before is parsed; only the token just before stays, which an
  // error at the end of the text quotes.
  while (first_ + 1 < pos_) {
    tokens_.pop_front();
    ++first_;
  }
  if (AtEnd()) return nullptr;
  return Statement(statements_++ == 0);
}

bool Parser::StartsStatement() const {
  const Token& t = Peek();
  return t.kind == TokenKind::kWord && IsStatementStart(t.text);
}

StatementPtr Parser::Statement(bool first_in_batch) {
  Depth depth(*this);
  depth.Deeper(kNestedLevel);
  int line = Peek().line;
  StatementPtr s = StatementBody(first_in_batch);
  s->line = line;
  return s;
}

StatementPtr Parser::StatementBody(bool first_in_batch) {
  int line = Peek().line;
  std::size_t offset = Peek().offset;
  if (IsKeyword("SELECT")) return Make(SelectStmt{SelectQuery()}, line);
  if (AcceptKeyword("INSERT")) return Insert();
  if (AcceptKeyword("UPDATE")) return Update();
  if (AcceptKeyword("DELETE")) return Delete();
  if (AcceptKeyword("CREATE")) return Create(first_in_batch, offset);
  if (AcceptKeyword("ALTER")) return Alter();
  if (AcceptKeyword("DROP")) return Drop();
  if (AcceptKeyword("IF")) return If();
  if (AcceptKeyword("WHILE")) return While();
  if (AcceptKeyword("BEGIN")) return Begin();
  if (AcceptKeyword("DECLARE")) return Declare();
  if (AcceptKeyword("SET")) return Set();
  if (AcceptKeyword("EXEC") || AcceptKeyword("EXECUTE")) {
    std::string status;
    if (Peek().kind == TokenKind::kVariable && IsSymbol("=", 1)) {
      status = Next().text;
      Next();
    }
    return Exec(DottedName(), std::move(status));
  }
  if (AcceptKeyword("GRANT")) return Grant(GrantVerb::kGrant);
  if (AcceptKeyword("REVOKE")) return Grant(GrantVerb::kRevoke);
  if (AcceptKeyword("DENY")) return Grant(GrantVerb::kDeny);
  if (AcceptKeyword("USE")) return Make(UseStmt{Name()}, line);
  if (AcceptKeyword("PRINT")) return Make(PrintStmt{Expression()}, line);
  if (AcceptKeyword("RETURN")) return Make(ReturnStmt{}, line);
  if (AcceptKeyword("TRUNCATE")) {
    ExpectKeyword("TABLE");
    return Make(TruncateStmt{DottedName()}, line);
  }
  if (AcceptKeyword("BACKUP")) return Backup();
  if (AcceptKeyword("CHECKPOINT")) return Make(TransactionStmt{"CHECKPOINT"}, line);
  if (AcceptKeyword("COMMIT") || AcceptKeyword("ROLLBACK")) {
    std::string verb = Upper(Previous().text);
    if (!AcceptKeyword("TRANSACTION")) AcceptKeyword("TRAN");
    return Make(TransactionStmt{verb}, line);
  }
  // A procedure may be called without EXEC only at the start of a batch.
  if (first_in_batch && IsName()) return Exec(DottedName());
  throw ErrorHere();
}

StatementPtr Parser::Insert() {
  int line = Peek().line;
  AcceptKeyword("INTO");
  InsertStmt insert;
  insert.table = DottedName();
  if (IsSymbol("(") ) {
    Next();
    do insert.columns.push_back(Name());
    while (AcceptSymbol(","));
    ExpectSymbol(")");
  }
  if (AcceptKeyword("VALUES")) {
    do {
      ExpectSymbol("(");
      std::vector<ExprPtr> row;
      do row.push_back(IsKeyword("DEFAULT") ? (Next(), nullptr) : Expression());
      while (AcceptSymbol(","));
      ExpectSymbol(")");
      insert.rows.push_back(std::move(row));
    } while (AcceptSymbol(","));
  } else if (IsKeyword("SELECT")) {
    insert.select = SelectQuery();
  } else if (AcceptKeyword("DEFAULT")) {
    ExpectKeyword("VALUES");
    insert.default_values = true;
  } else {
    throw ErrorHere();
  }
  return Make(std::move(insert), line);
}

StatementPtr Parser::Update() {
  int line = Peek().line;
  UpdateStmt update;
  update.table = DottedName();
  ExpectKeyword("SET");
  do {
    Assignment a;
    a.column = DottedName();
    ExpectSymbol("=");
    a.value = IsKeyword("DEFAULT") ? (Next(), nullptr) : Expression();
    update.assignments.push_back(std::move(a));
  } while (AcceptSymbol(","));
  if (AcceptKeyword("FROM")) update.from = FromList();
  if (AcceptKeyword("WHERE")) update.where = Expression();
  return Make(std::move(update), line);
}

StatementPtr Parser::Delete() {
  int line = Peek().line;
  DeleteStmt del;
  AcceptKeyword("FROM");
  del.table = DottedName();
  if (AcceptKeyword("FROM")) del.from = FromList();
  if (AcceptKeyword("WHERE")) del.where = Expression();
  return Make(std::move(del), line);
}

StatementPtr Parser::Create(bool first_in_batch, std::size_t offset) {
  int line = Peek().line;
  if (AcceptKeyword("DATABASE")) return CreateDatabase();
  if (AcceptKeyword("TABLE")) return CreateTable();
  if (IsKeyword("VIEW") || IsKeyword("DEFAULT")) {
    bool view = IsKeyword("VIEW");
    if (!first_in_batch) throw MustBeFirstInBatch(view ? "CREATE VIEW" : "CREATE DEFAULT");
    Next();
    MultiName name = DottedName();
    if (view) {
      CreateViewStmt v;
      v.name = std::move(name);
      if (AcceptSymbol("(")) {
        do v.column_names.push_back(Name());
        while (AcceptSymbol(","));
        ExpectSymbol(")");
      }
      ExpectKeyword("AS");
      v.select = SelectQuery();
      v.text = TextFrom(offset);
      if (!AtEnd() && !IsSymbol(";")) throw ErrorHere();
      return Make(std::move(v), line);
    }
    ExpectKeyword("AS");
    CreateDefaultStmt d;
    d.name = std::move(name);
    d.value = Expression();
    d.text = TextFrom(offset);
    if (!AtEnd() && !IsSymbol(";")) throw ErrorHere();
    return Make(std::move(d), line);
  }
  throw ErrorHere();
}

FileSpec Parser::DatabaseFileClause() {
  FileSpec spec;
  ExpectSymbol("(");
  do {
    std::string option = Upper(Name());
    ExpectSymbol("=");
    const Token& value = Next();
    std::string text = value.text;
    // Sizes may carry a unit or a percent sign: 10%, 5MB.
    while (IsSymbol("%") || IsKeyword("KB") || IsKeyword("MB") || IsKeyword("GB") || IsKeyword("TB"))
      text += Next().text;
    const bool size = option == "SIZE" || option == "MAXSIZE" || option == "FILEGROWTH";
    if (size && value.kind != TokenKind::kInteger && value.kind != TokenKind::kDecimal &&
        !(option == "MAXSIZE" && EqualsKeyword(text, "UNLIMITED")))
      throw SyntaxNear(value.text);
    if (option == "NAME") spec.name = text;
    else if (option == "FILENAME") spec.filename = text;
    else if (option == "SIZE") spec.size = text;
    else if (option == "MAXSIZE") spec.maxsize = text;
    else if (option == "FILEGROWTH") spec.filegrowth = text;
    else throw ErrorHere();
  } while (AcceptSymbol(","));
  ExpectSymbol(")");
  return spec;
}

StatementPtr Parser::CreateDatabase() {
  int line = Peek().line;
  CreateDatabaseStmt db;
  db.name = Name();
  if (AcceptKeyword("ON")) {
    AcceptKeyword("PRIMARY");
    do db.data_files.push_back(DatabaseFileClause());
    while (AcceptSymbol(","));
  }
  if (AcceptKeyword("LOG")) {
    ExpectKeyword("ON");
    do db.log_files.push_back(DatabaseFileClause());
    while (AcceptSymbol(","));
  }
  if (AcceptKeyword("COLLATE")) Name();
  return Make(std::move(db), line);
}

void Parser::SkipFilegroup() {
  if (AcceptKeyword("ON")) Name();
  if (IsKeyword("TEXTIMAGE_ON")) {
    Next();
    Name();
  }
}

bool Parser::StartsConstraint() const {
  return IsKeyword("CONSTRAINT") || IsKeyword("PRIMARY") || IsKeyword("UNIQUE") ||
         IsKeyword("CHECK") || IsKeyword("FOREIGN") || IsKeyword("DEFAULT");
}

std::vector<std::string> Parser::ColumnList() {
  std::vector<std::string> columns;
  ExpectSymbol("(");
  do {
    columns.push_back(Name());
    if (!AcceptKeyword("ASC")) AcceptKeyword("DESC");
  } while (AcceptSymbol(","));
  ExpectSymbol(")");
  return columns;
}

ConstraintDef Parser::Constraint() {
  ConstraintDef c;
  if (AcceptKeyword("CONSTRAINT")) c.name = Name();
  if (IsKeyword("PRIMARY") || IsKeyword("UNIQUE")) {
    if (AcceptKeyword("UNIQUE")) {
      c.kind = ConstraintKind::kUnique;
    } else {
      Next();
      ExpectKeyword("KEY");
      c.kind = ConstraintKind::kPrimaryKey;
    }
    if (AcceptKeyword("NONCLUSTERED")) c.clustered = false;
    else AcceptKeyword("CLUSTERED");
    c.columns = ColumnList();
    if (AcceptKeyword("WITH")) {  // WITH FILLFACTOR = n
      Name();
      ExpectSymbol("=");
      Next();
    }
    SkipFilegroup();
    return c;
  }
  if (AcceptKeyword("DEFAULT")) {
    c.kind = ConstraintKind::kDefault;
    std::size_t offset = Peek().offset;
    c.expr = Expression();
    c.expr_text = std::string(text_.substr(offset, c.expr->end - offset));
    ExpectKeyword("FOR");
    c.columns.push_back(Name());
    return c;
  }
  if (AcceptKeyword("CHECK")) {
    c.kind = ConstraintKind::kCheck;
    AcceptKeyword("NOT");  // NOT FOR REPLICATION comes after; tolerate the word order
    ExpectSymbol("(");
    std::size_t offset = Peek().offset;
    c.expr = Expression();
    c.expr_text = std::string(text_.substr(offset, c.expr->end - offset));
    ExpectSymbol(")");
    return c;
  }
  throw ErrorHere();
}

long long Parser::IdentityNumber() {
  const bool negative = AcceptSymbol("-");
  if (Peek().kind != TokenKind::kInteger) throw ErrorHere();
  auto number = access::ParseWhole((negative ? "-" : "") + Next().text);
  if (!number) throw OverflowConverting("expression", "bigint");
  return *number;
}

ColumnDef Parser::ColumnDefinition(bool in_alter_column) {
  ColumnDef col;
  col.name = Name();
  col.type = Type();
  for (;;) {
    if (AcceptKeyword("COLLATE")) {
      col.collation = Name();
    } else if (AcceptKeyword("IDENTITY")) {
      col.identity = true;
      if (AcceptSymbol("(")) {
        col.identity_seed = IdentityNumber();
        ExpectSymbol(",");
        col.identity_increment = IdentityNumber();
        ExpectSymbol(")");
      }
    } else if (AcceptKeyword("NULL")) {
      col.nullable = true;
    } else if (IsKeyword("NOT") && IsKeyword("NULL", 1)) {
      Next();
      Next();
      col.nullable = false;
    } else if (in_alter_column) {
      return col;
    } else if (IsKeyword("CONSTRAINT") || IsKeyword("DEFAULT") || IsKeyword("PRIMARY") ||
               IsKeyword("UNIQUE") || IsKeyword("CHECK")) {
      std::string name;
      if (AcceptKeyword("CONSTRAINT")) name = Name();
      if (AcceptKeyword("DEFAULT")) {
        std::size_t offset = Peek().offset;
        col.default_value = Expression();
        col.default_text = std::string(text_.substr(offset, col.default_value->end - offset));
        col.default_name = name;
      } else if (AcceptKeyword("PRIMARY")) {
        ExpectKeyword("KEY");
        if (!AcceptKeyword("CLUSTERED")) AcceptKeyword("NONCLUSTERED");
        col.primary_key = true;
        col.primary_key_name = name;
      } else {
        throw ErrorHere();
      }
    } else {
      return col;
    }
  }
}

StatementPtr Parser::CreateTable() {
  int line = Peek().line;
  CreateTableStmt table;
  table.table = DottedName();
  ExpectSymbol("(");
  for (;;) {
    if (IsSymbol(")")) break;  // the server accepts a comma after the last column
    if (StartsConstraint()) table.constraints.push_back(Constraint());
    else table.columns.push_back(ColumnDefinition(false));
    if (!AcceptSymbol(",")) break;
  }
  ExpectSymbol(")");
  SkipFilegroup();
  return Make(std::move(table), line);
}

StatementPtr Parser::Alter() {
  int line = Peek().line;
  ExpectKeyword("TABLE");
  AlterTableStmt alter;
  alter.table = DottedName();
  if (AcceptKeyword("WITH")) {
    if (AcceptKeyword("NOCHECK")) alter.nocheck = true;
    else ExpectKeyword("CHECK");
  }
  if (AcceptKeyword("ADD")) {
    alter.action = StartsConstraint() ? AlterAction::kAddConstraints : AlterAction::kAddColumns;
    do {
      if (alter.action == AlterAction::kAddConstraints) alter.constraints.push_back(Constraint());
      else alter.columns.push_back(ColumnDefinition(false));
    } while (AcceptSymbol(","));
  } else if (AcceptKeyword("ALTER")) {
    if (!AcceptKeyword("COLUMN")) throw ErrorHere();
    alter.action = AlterAction::kAlterColumn;
    alter.columns.push_back(ColumnDefinition(true));
  } else if (AcceptKeyword("DROP")) {
    alter.action = AlterAction::kDropConstraint;
    if (AcceptKeyword("COLUMN")) alter.action = AlterAction::kDropColumn;
    else AcceptKeyword("CONSTRAINT");
    do alter.drop_names.push_back(Name());
    while (AcceptSymbol(","));
  } else {
    throw ErrorHere();
  }
  return Make(std::move(alter), line);
}

StatementPtr Parser::Drop() {
  int line = Peek().line;
  DropStmt drop;
  if (AcceptKeyword("TABLE")) drop.kind = DropKind::kTable;
  else if (AcceptKeyword("VIEW")) drop.kind = DropKind::kView;
  else if (AcceptKeyword("DEFAULT")) drop.kind = DropKind::kDefault;
  else if (AcceptKeyword("DATABASE")) drop.kind = DropKind::kDatabase;
  else if (AcceptKeyword("PROCEDURE") || AcceptKeyword("PROC")) drop.kind = DropKind::kProcedure;
  else throw ErrorHere();
  do drop.names.push_back(DottedName());
  while (AcceptSymbol(","));
  return Make(std::move(drop), line);
}

StatementPtr Parser::If() {
  int line = Peek().line;
  IfStmt s;
  s.condition = Expression();
  s.then_branch = Statement(false);
  while (AcceptSymbol(";")) {
  }
  if (AcceptKeyword("ELSE")) s.else_branch = Statement(false);
  return Make(std::move(s), line);
}

StatementPtr Parser::While() {
  int line = Peek().line;
  WhileStmt s;
  s.condition = Expression();
  s.body = Statement(false);
  return Make(std::move(s), line);
}

StatementPtr Parser::Begin() {
  int line = Peek().line;
  if (AcceptKeyword("TRANSACTION") || AcceptKeyword("TRAN")) {
    if (IsName()) Next();
    return Make(TransactionStmt{"BEGIN"}, line);
  }
  BlockStmt block;
  while (!IsKeyword("END")) {
    if (AtEnd()) throw ErrorHere();
    block.statements.push_back(Statement(false));
    while (AcceptSymbol(";")) {
    }
  }
  ExpectKeyword("END");
  return Make(std::move(block), line);
}

StatementPtr Parser::Declare() {
  int line = Peek().line;
  DeclareStmt declare;
  do {
    if (Peek().kind != TokenKind::kVariable) throw ErrorHere();
    VariableDecl v;
    v.name = Next().text;
    AcceptKeyword("AS");
    v.type = Type();
    if (AcceptSymbol("=")) v.initial = Expression();
    declare.variables.push_back(std::move(v));
  } while (AcceptSymbol(","));
  return Make(std::move(declare), line);
}

StatementPtr Parser::Set() {
  int line = Peek().line;
  if (Peek().kind == TokenKind::kVariable) {
    SetVariableStmt s;
    s.name = Next().text;
    ExpectSymbol("=");
    s.value = Expression();
    return Make(std::move(s), line);
  }
  SetOptionStmt s;
  if (AcceptKeyword("TRANSACTION")) {
    // Every level reads committed rows here; the statement is accepted.
    ExpectKeyword("ISOLATION");
    ExpectKeyword("LEVEL");
    s.options.push_back("TRANSACTION ISOLATION LEVEL");
    s.value = Upper(Next().text);
    if (s.value == "READ" || s.value == "REPEATABLE") s.value += " " + Upper(Next().text);
    return Make(std::move(s), line);
  }
  if (IsKeyword("IDENTITY_INSERT")) {
    s.options.push_back(Upper(Next().text));
    s.table = DottedName();
    s.value = Upper(Next().text);
    return Make(std::move(s), line);
  }
  do s.options.push_back(Upper(Next().text));
  while (AcceptSymbol(","));
  const Token& value = Next();
  if (value.kind == TokenKind::kEnd) throw ErrorHere();
  s.value = value.kind == TokenKind::kWord ? Upper(value.text) : value.text;
  return Make(std::move(s), line);
}

StatementPtr Parser::Exec(MultiName procedure, std::string status_variable) {
  int line = Peek().line;
  ExecStmt exec;
  exec.status_variable = std::move(status_variable);
  exec.procedure = std::move(procedure);
  bool more = !AtEnd() && !IsSymbol(";") && !StartsStatement();
  while (more) {
    ExecArg arg;
    if (Peek().kind == TokenKind::kVariable && IsSymbol("=", 1)) {
      arg.parameter = Next().text;
      Next();
    }
    // A bare word or [name] argument is taken as a string.
    if (Peek().kind == TokenKind::kWord && !IsKeyword("NULL") && !IsKeyword("DEFAULT")) {
      auto e = std::make_unique<Expr>();
      e->literal.kind = LiteralKind::kString;
      e->literal.text = Next().text;
      arg.value = std::move(e);
    } else if (Peek().kind == TokenKind::kQuotedName) {
      auto e = std::make_unique<Expr>();
      e->literal.kind = LiteralKind::kString;
      e->literal.unicode = true;
      e->literal.text = Next().text;
      arg.value = std::move(e);
    } else if (AcceptKeyword("DEFAULT")) {
      arg.value = nullptr;
    } else {
      arg.value = Expression();
    }
    exec.args.push_back(std::move(arg));
    more = AcceptSymbol(",");
  }
  return Make(std::move(exec), line);
}

StatementPtr Parser::Grant(GrantVerb verb) {
  int line = Peek().line;
  GrantStmt grant;
  grant.verb = verb;
  do {
    std::string privilege = Upper(Next().text);
    // CREATE TABLE, BACKUP DATABASE: two-word statement permissions.
    if ((privilege == "CREATE" || privilege == "BACKUP") && !IsSymbol(",") && !IsKeyword("ON") &&
        !IsKeyword("TO"))
      privilege += " " + Upper(Next().text);
    if (privilege == "ALL") AcceptKeyword("PRIVILEGES");
    grant.privileges.push_back(privilege);
  } while (AcceptSymbol(","));
  if (AcceptKeyword("ON")) {
    grant.object = DottedName();
    if (IsSymbol("(")) grant.columns = ColumnList();
  }
  if (!AcceptKeyword("TO")) ExpectKeyword("FROM");
  do grant.grantees.push_back(NameOrString());
  while (AcceptSymbol(","));
  if (AcceptKeyword("WITH")) {
    ExpectKeyword("GRANT");
    ExpectKeyword("OPTION");
    grant.with_grant_option = true;
  }
  AcceptKeyword("CASCADE");
  return Make(std::move(grant), line);
}

}  // namespace court::mssql
