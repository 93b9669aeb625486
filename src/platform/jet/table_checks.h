// What tables must satisfy before they can be written as a Jet 4 file that
// every reader, Access included, takes as it was meant:
//   - table and column names: 1..64 characters, no leading blank, none of
//     . ! [ ] ` or control characters or characters beyond U+FFFF, unique without regard to case
//     (readers look names up that way), no table named like MSys*;
//   - 1..255 columns per table; text sizes 1..255;
//   - every row as many values as columns, each null or of its column's
//     kind, within the type's range (a yes/no value cannot be null);
//   - text within its size and within the Basic Multilingual Plane (mdbtools
//     reads text as UCS-2), not starting with U+FEFF (it would read as a
//     compression mark); memo and OLE values below 16 MiB.

#ifndef COURT_PLATFORM_JET_TABLE_CHECKS_H_
#define COURT_PLATFORM_JET_TABLE_CHECKS_H_

#include <vector>

#include "platform/jet/table.h"

namespace court::jet {

// Throws std::invalid_argument naming the table, column and row at fault.
void CheckTables(const std::vector<Table>& tables);

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_TABLE_CHECKS_H_
