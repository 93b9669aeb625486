// Tables as a flat byte string, exact for every value, so that tables read in
// one process can be handed to another through a pipe.

#ifndef COURT_PLATFORM_JET_TABLE_STREAM_H_
#define COURT_PLATFORM_JET_TABLE_STREAM_H_

#include <string>
#include <string_view>
#include <vector>

#include "platform/jet/table.h"

namespace court::jet {

void AppendTables(const std::vector<Table>& tables, std::string& out);

// Throws std::invalid_argument when the bytes were not written by AppendTables.
std::vector<Table> TablesFromBytes(std::string_view bytes);

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_TABLE_STREAM_H_
