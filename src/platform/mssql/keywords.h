// T-SQL's keywords, in one table: the reserved words, which never serve as
// an alias or a bare name, and the words a statement starts with.

#ifndef COURT_PLATFORM_MSSQL_KEYWORDS_H_
#define COURT_PLATFORM_MSSQL_KEYWORDS_H_

#include <string_view>

namespace court::mssql {

// Whether word (any case) is reserved: quoted as a keyword in 156, and
// never read as a name.
bool IsReservedWord(std::string_view word);

// Whether a statement may start with word (any case): where one statement
// of a batch ends without a separator.
bool IsStatementStart(std::string_view word);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_KEYWORDS_H_
