// The installer's statement texts taken apart: which table and column a
// statement works on. The texts are the installer's own and fixed, so a
// few fixed words find their parts.

#ifndef COURT_SCREENS_PLAN_STATEMENTS_H_
#define COURT_SCREENS_PLAN_STATEMENTS_H_

#include <optional>
#include <string>
#include <string_view>

namespace court::screens {

// "alter table T\r\n add C <declaration>" and "alter table T\r\nalter column C <declaration>".
struct ColumnStatement {
  std::string table, column, declaration;
  bool alter = false;  // false: the column is added
};
std::optional<ColumnStatement> ColumnStatementOf(std::string_view sql);

// The table of "delete from T ...".
std::optional<std::string> DeletedFrom(std::string_view sql);

// The table of "insert into T ..." and "insert into  T(...".
std::optional<std::string> InsertedInto(std::string_view sql);

// The text between the first "before" after from and the next "after";
// empty when either is missing.
std::string Between(std::string_view text, std::string_view before, std::string_view after,
                    std::size_t from = 0);

// Blanks and line breaks in a row become one blank; none at either end.
std::string Collapsed(std::string_view text);

}  // namespace court::screens

#endif  // COURT_SCREENS_PLAN_STATEMENTS_H_
