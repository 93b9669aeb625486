// Reading a statement's current result through SQLGetData.
//
// Every value is fetched as the kind the embedded server hands out for the
// column's type (money as exact currency, datetime to the millisecond, text
// as UTF-8); long text and binary values arrive in pieces, so no size limit
// of the driver applies.

#ifndef COURT_PLATFORM_ODBC_RESULT_READER_H_
#define COURT_PLATFORM_ODBC_RESULT_READER_H_

#include <sql.h>

#include <string>
#include <vector>

#include "platform/access/driver.h"

namespace court::odbc {

// One result column and the server type behind it.
struct ColumnShape {
  access::ColumnInfo info;
  SQLSMALLINT sql_type = SQL_VARCHAR;
  SQLULEN size = 0;
  // text, ntext and image: no comparison can find a row by them.
  bool IsLong() const;
};

std::vector<ColumnShape> DescribeColumns(SQLHSTMT statement, const std::string& server);

// Fetches every remaining row of the current result.
std::vector<access::Row> ReadRows(SQLHSTMT statement, const std::vector<ColumnShape>& columns,
                                  const std::string& server);

}  // namespace court::odbc

#endif  // COURT_PLATFORM_ODBC_RESULT_READER_H_
