// ODBC handles and their diagnostics as the data-access layer's errors.
//
// A server's error keeps its own number and text (the driver's "[vendor]
// [driver][server]" prefixes removed), so a failure reads as it does on the
// embedded server. Failures of the connection itself (SQLSTATE class 08: no
// server at that address) get number 17 and name the
// server, as "SQL Server does not exist or access denied" does; a link that
// broke under a running session gets 11, "General network error".

#ifndef COURT_PLATFORM_ODBC_DIAGNOSTICS_H_
#define COURT_PLATFORM_ODBC_DIAGNOSTICS_H_

#include <sql.h>
#include <sqlext.h>

#include <string>
#include <vector>

#include "platform/access/error.h"

namespace court::odbc {

// The client library's numbers when no server answers, and when the link to
// one broke off.
inline constexpr int kServerNotFound = 17;
inline constexpr int kNetworkError = 11;
// ADO's "Unspecified error", for driver failures that carry no server number.
inline constexpr int kUnspecifiedError = -2147467259;

// Every diagnostic record of a handle after a call that returned rc, as
// errors (severity above 10) and informational messages (10 and below).
std::vector<access::Error> Diagnostics(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle,
                                       const std::string& server);

// Throws the first error of the handle when rc is a failure.
void Check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const std::string& server);

// Whether the connection is gone (the server stopped or the network broke).
bool ConnectionLost(SQLHDBC connection);
// The error a statement on a lost connection gets, whatever the driver said.
access::Error LostConnection(const std::string& server);

// An owned ODBC handle of one type, freed on destruction.
class Handle {
 public:
  Handle(SQLSMALLINT type, SQLHANDLE parent);
  ~Handle();
  Handle(Handle&& other) noexcept : type_(other.type_), handle_(other.handle_) { other.handle_ = SQL_NULL_HANDLE; }
  Handle& operator=(Handle&&) = delete;
  Handle(const Handle&) = delete;

  SQLHANDLE get() const { return handle_; }
  SQLSMALLINT type() const { return type_; }

 private:
  SQLSMALLINT type_;
  SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

}  // namespace court::odbc

#endif  // COURT_PLATFORM_ODBC_DIAGNOSTICS_H_
