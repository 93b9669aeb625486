// BACKUP DATABASE: one database to one disk file, with its WITH options.

#include "platform/mssql/parser_state.h"
#include "platform/mssql/text.h"

namespace court::mssql {

StatementPtr Parser::Backup() {
  const int line = Peek().line;
  ExpectKeyword("DATABASE");
  BackupStmt backup;
  backup.database = Name();
  ExpectKeyword("TO");
  ExpectKeyword("DISK");
  ExpectSymbol("=");
  backup.disk = Expression();
  if (AcceptKeyword("WITH")) {
    do {
      if (Peek().kind != TokenKind::kWord) throw ErrorHere();
      backup.options.push_back(Upper(Next().text));
      // NAME = 'set name', STATS = 10 and the like: the value changes nothing kept here.
      if (AcceptSymbol("=")) Expression();
    } while (AcceptSymbol(","));
  }
  auto statement = std::make_unique<mssql::Statement>();
  statement->node = std::move(backup);
  statement->line = line;
  return statement;
}

}  // namespace court::mssql
