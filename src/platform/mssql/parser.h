// Parser of T-SQL batches into syntax trees.
//
// A batch is a sequence of statements without required separators: a new
// statement starts wherever a statement keyword can start, as on the real
// server. The whole batch is parsed before any of it runs, so a syntax error
// anywhere stops all of it.

#ifndef COURT_PLATFORM_MSSQL_PARSER_H_
#define COURT_PLATFORM_MSSQL_PARSER_H_

#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/mssql/ast.h"

namespace court::mssql {

// SQL Server's largest batch: 65,536 network packets of 4 KiB.
inline constexpr std::size_t kMaxBatchBytes = std::size_t{65536} * 4096;

// Throws access::Error (170, 156, 105, 111) when the batch is not valid T-SQL,
// and 50000 when it is longer than kMaxBatchBytes.
std::vector<StatementPtr> ParseBatch(std::string_view text, bool quoted_identifier);

// Parses a lone expression, such as the stored text of a default.
ExprPtr ParseExpression(std::string_view text);

// Parses a data type as written: "nvarchar(50)".
TypeName ParseTypeName(std::string_view text);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_PARSER_H_
