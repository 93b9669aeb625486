// Lookup in the engine's constant tables (functions, procedures, system
// variables, keywords): arrays of rows with a name, sorted by that name, in
// which a name is found whatever its case.

#ifndef COURT_PLATFORM_MSSQL_NAME_TABLE_H_
#define COURT_PLATFORM_MSSQL_NAME_TABLE_H_

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/mssql/text.h"

namespace court::mssql {

// Whether the rows' names are strictly ascending: for a static_assert
// beside each table, as FindByName relies on it.
template <typename Row, std::size_t N>
constexpr bool SortedByName(const Row (&rows)[N]) {
  for (std::size_t i = 1; i < N; ++i)
    if (!(rows[i - 1].name < rows[i].name)) return false;
  return true;
}

// The row named name, or null. The table's names are written in the case
// fold says (Lower or Upper).
template <typename Row, std::size_t N>
const Row* FindByName(const Row (&rows)[N], std::string_view name, std::string (*fold)(std::string) = Lower) {
  const std::string folded = fold(std::string(name));
  auto before = [](const Row& row, std::string_view n) { return row.name < n; };
  const Row* it = std::lower_bound(rows, rows + N, std::string_view(folded), before);
  return it != rows + N && it->name == folded ? it : nullptr;
}

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_NAME_TABLE_H_
