// The text SQL Server 2000 keeps for a CHECK constraint: the condition
// re-printed inside one pair of parentheses, with bracketed column names,
// lower-case keywords, blanks around operators, each LIKE in parentheses
// and IN lists turned into OR chains in reverse order.

#ifndef COURT_PLATFORM_MSSQL_CHECK_TEXT_H_
#define COURT_PLATFORM_MSSQL_CHECK_TEXT_H_

#include <string>

#include "platform/mssql/ast.h"

namespace court::mssql {

std::string CheckText(const Expr& condition);

// The one column a check tests (a column-level check), or "" when it tests
// several.
std::string CheckedColumn(const Expr& condition);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_CHECK_TEXT_H_
