// The text form of results and messages, as court-sqlcmd prints them:
// a header line of column names, then one line per row, fields separated by
// a tab; NULL, 0x-hex binaries, datetimes as YYYY-MM-DD HH:MM:SS.mmm, bits
// as 1/0, numbers in their shortest exact text.

#ifndef COURT_PLATFORM_MSSQL_RESULT_TEXT_H_
#define COURT_PLATFORM_MSSQL_RESULT_TEXT_H_

#include <string>

#include "platform/access/driver.h"
#include "platform/access/error.h"

namespace court::mssql {

std::string FieldText(const access::Value& value);
std::string ResultText(const access::ResultSet& result);
// "Msg 208, Level 16, State 1, Line 1" CR-less line, then the text.
std::string ErrorText(const access::Error& error);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_RESULT_TEXT_H_
