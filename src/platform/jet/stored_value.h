// How catalogue values live in the driver's SQLite copy of the file.
//
// Each column is declared with a type name that keeps its Jet type (so a
// result column can be given back its Value kind) and gives SQLite the
// matching affinity. Dates are stored as ISO text, which sorts and compares
// like the dates; currency as a REAL, read back rounded to the ten-thousandth.

#ifndef COURT_PLATFORM_JET_STORED_VALUE_H_
#define COURT_PLATFORM_JET_STORED_VALUE_H_

#include <optional>
#include <string>
#include <string_view>

#include "platform/access/value.h"
#include "platform/jet/table.h"
#include "platform/sqlite/statement.h"

namespace court::jet {

// The SQLite collation that compares text as Jet does (registered per connection).
inline constexpr std::string_view kJetCollation = "JET_TEXT";

// "[name] TYPE [COLLATE ...]" for a CREATE TABLE of the copy.
std::string ColumnDefinition(const Column& column);

// The Jet type a result column was declared with; none for expressions.
std::optional<ColumnType> DeclaredColumnType(const sqlite::Statement& statement, int column);

void BindValue(sqlite::Statement& statement, int index, const access::Value& value);

access::Value ReadValue(const sqlite::Statement& statement, int column, std::optional<ColumnType> declared);

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_STORED_VALUE_H_
