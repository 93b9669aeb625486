// Which queries give rows that can be written back.
//
// A server over ODBC does not say which base table a result comes from, so
// the driver reads it from the query, as a client-side cursor must: a
// SELECT from exactly one table, optionally filtered and ordered, is
// updatable; joins, aliases, unions and grouping are not.

#ifndef COURT_PLATFORM_ODBC_UPDATABLE_QUERY_H_
#define COURT_PLATFORM_ODBC_UPDATABLE_QUERY_H_

#include <optional>
#include <string>
#include <string_view>

namespace court::odbc {

// The base table's name (without brackets or owner), or nothing.
std::optional<std::string> UpdatableTable(std::string_view sql);

}  // namespace court::odbc

#endif  // COURT_PLATFORM_ODBC_UPDATABLE_QUERY_H_
