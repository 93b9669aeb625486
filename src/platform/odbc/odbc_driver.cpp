#include "platform/odbc/odbc_driver.h"

#include "platform/text/utf8.h"

namespace court::odbc {
namespace {

// Seconds a login waits for a server that does not answer at all.
constexpr SQLULEN kLoginTimeout = 15;

}  // namespace

OdbcDriver::OdbcDriver(ConnectionSettings settings)
    : environment_(SQL_HANDLE_ENV, SQL_NULL_HANDLE),
      settings_(std::move(settings)),
      server_(settings_.Description()) {
  Check(SQLSetEnvAttr(environment_.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
        SQL_HANDLE_ENV, environment_.get(), server_);
}

std::unique_ptr<access::Session> OdbcDriver::Connect(const std::string& database) { return Open(database); }

std::unique_ptr<OdbcSession> OdbcDriver::Open(const std::string& database) {
  Handle connection(SQL_HANDLE_DBC, environment_.get());
  SQLSetConnectAttr(connection.get(), SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(kLoginTimeout), 0);
  std::u16string text = text::ToUtf16(settings_.ForDatabase(database));
  SQLRETURN rc = SQLDriverConnectW(connection.get(), nullptr, reinterpret_cast<SQLWCHAR*>(text.data()),
                                   static_cast<SQLSMALLINT>(text.size()), nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
  Check(rc, SQL_HANDLE_DBC, connection.get(), server_);
  return std::make_unique<OdbcSession>(std::move(connection), server_);
}

}  // namespace court::odbc
