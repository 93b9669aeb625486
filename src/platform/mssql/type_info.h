// The server's catalogue of data types as ODBC and OLE DB clients ask for it
// (sp_datatype_info): one row per type, ordered by ODBC type code, the
// closest match first. Drivers read from it the longest value each type
// takes and how many fractions of a second datetime keeps, and bind their
// parameters accordingly.

#ifndef COURT_PLATFORM_MSSQL_TYPE_INFO_H_
#define COURT_PLATFORM_MSSQL_TYPE_INFO_H_

#include "platform/mssql/statement_context.h"

namespace court::mssql {

// Adds the result set of sp_datatype_info: the types of ODBC code data_type
// (0: all). odbc_version 3 gives datetime types code 93, older versions 11.
void DataTypeInfo(StatementContext& x, int data_type, int odbc_version);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_TYPE_INFO_H_
