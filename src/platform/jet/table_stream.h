// Tables as flat bytes, exact for every value, so that tables read in one
// process can be handed to another through a pipe. A table's definition
// (name and columns) and each of its rows travel apart, so that rows can be
// sent as they are read and stored as they arrive.

#ifndef COURT_PLATFORM_JET_TABLE_STREAM_H_
#define COURT_PLATFORM_JET_TABLE_STREAM_H_

#include <string>
#include <string_view>

#include "platform/jet/table.h"

namespace court::jet {

// The table's name and columns; its rows are left out.
void AppendDefinition(const Table& table, std::string& out);
void AppendRow(const access::Row& row, std::string& out);

// Each throws std::invalid_argument when the bytes are not exactly what the
// matching Append wrote (a row must have `columns` values).
Table DefinitionFromBytes(std::string_view bytes);
access::Row RowFromBytes(std::string_view bytes, std::size_t columns);

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_TABLE_STREAM_H_
