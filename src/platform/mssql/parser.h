// Parser of T-SQL batches into syntax trees.
//
// A batch is a sequence of statements without required separators: a new
// statement starts wherever a statement keyword can start, as on the real
// server. The whole batch is parsed before any of it runs, so a syntax error
// anywhere stops all of it; a long batch is then parsed a second time,
// statement by statement as it runs, so that it is never held whole as
// tokens or syntax trees.

#ifndef COURT_PLATFORM_MSSQL_PARSER_H_
#define COURT_PLATFORM_MSSQL_PARSER_H_

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/mssql/ast.h"

namespace court::mssql {

// SQL Server's largest batch: 65,536 network packets of 4 KiB.
inline constexpr std::size_t kMaxBatchBytes = std::size_t{65536} * 4096;

// Throws access::Error (170, 156, 105, 111) when the batch is not valid T-SQL,
// and 50000 when it is longer than kMaxBatchBytes.
std::vector<StatementPtr> ParseBatch(std::string_view text, bool quoted_identifier);

class Parser;

// A batch to run, its syntax checked whole.
class BatchStatements {
 public:
  // Throws as ParseBatch.
  BatchStatements(std::string_view text, bool quoted_identifier);
  ~BatchStatements();
  BatchStatements(const BatchStatements&) = delete;
  BatchStatements& operator=(const BatchStatements&) = delete;

  // The next statement, or null after the last.
  StatementPtr Next();
  // The databases its USE statements name (in blocks too): they must exist
  // before any of the batch runs.
  const std::vector<std::string>& used_databases() const { return used_databases_; }

 private:
  std::vector<StatementPtr> kept_;  // a short batch's statements, from the check
  std::size_t next_ = 0;            // in kept_
  std::unique_ptr<Parser> again_;   // a long batch's second reading
  std::vector<std::string> used_databases_;
};

// Parses a lone expression, such as the stored text of a default.
ExprPtr ParseExpression(std::string_view text);

// Parses a data type as written: "nvarchar(50)".
TypeName ParseTypeName(std::string_view text);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_PARSER_H_
