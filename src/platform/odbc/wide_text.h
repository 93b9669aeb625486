// UTF-8 <-> UTF-16, the two text forms on either side of ODBC's wide calls.
//
// The data-access layer keeps text as UTF-8; the driver speaks the wide
// (SQLWCHAR, UTF-16) interface so that Chinese names and values reach the
// server unchanged whatever the client's locale or the driver's charset.

#ifndef COURT_PLATFORM_ODBC_WIDE_TEXT_H_
#define COURT_PLATFORM_ODBC_WIDE_TEXT_H_

#include <string>
#include <string_view>

namespace court::odbc {

std::u16string Widen(std::string_view utf8);
std::string Narrow(std::u16string_view utf16);

}  // namespace court::odbc

#endif  // COURT_PLATFORM_ODBC_WIDE_TEXT_H_
