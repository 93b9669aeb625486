#include "platform/odbc/diagnostics.h"

#include "platform/text/utf8.h"

namespace court::odbc {
namespace {

// The server's severity and state of a message, where the driver tells them
// (Microsoft's driver and FreeTDS both answer these two fields).
constexpr SQLSMALLINT kDiagMessageState = -1150;
constexpr SQLSMALLINT kDiagSeverity = -1151;

constexpr int kLoginFailed = 18456;

std::string WithoutPrefixes(std::string text) {
  while (!text.empty() && text.front() == '[') {
    std::size_t close = text.find(']');
    if (close == std::string::npos) break;
    text.erase(0, close + 1);
  }
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

int IntegerField(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLSMALLINT field, int fallback) {
  SQLINTEGER value = 0;
  SQLRETURN rc = SQLGetDiagField(type, handle, record, field, &value, SQL_IS_INTEGER, nullptr);
  return SQL_SUCCEEDED(rc) ? static_cast<int>(value) : fallback;
}

// type tells a login (a connection handle) from a statement: a link that
// fails during a login is a server that cannot be reached.
access::Error Describe(SQLSMALLINT type, const std::u16string& sqlstate, SQLINTEGER native, std::string text,
                       int severity, int state, const std::string& server) {
  const std::string code = text::FromUtf16(sqlstate);
  // The driver's own numbers for a failed connection (FreeTDS's 20009, ...)
  // mean nothing to an administrator; the server's login errors keep theirs.
  if (code == "08S01" && type == SQL_HANDLE_STMT) return access::Error(kNetworkError, "General network error: " + text + " (server: " + server + ")");
  if (code.starts_with("08") && (native == 0 || native >= 20000))
    return access::Error(kServerNotFound, "SQL Server does not exist or access denied: " + text +
                                              " (server: " + server + ")");
  if (native != 0) return access::Error(native, std::move(text), severity, state);
  return access::Error(kUnspecifiedError, text + " (SQLSTATE " + code + ")");
}

}  // namespace

std::vector<access::Error> Diagnostics(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle,
                                       const std::string& server) {
  std::vector<access::Error> messages;
  const int default_severity = rc == SQL_ERROR ? 16 : 10;
  for (SQLSMALLINT record = 1;; ++record) {
    std::u16string sqlstate(6, u'\0');
    SQLINTEGER native = 0;
    std::u16string text(1024, u'\0');
    SQLSMALLINT length = 0;
    SQLRETURN got = SQLGetDiagRecW(type, handle, record, reinterpret_cast<SQLWCHAR*>(sqlstate.data()),
                                   &native, reinterpret_cast<SQLWCHAR*>(text.data()),
                                   static_cast<SQLSMALLINT>(text.size()), &length);
    if (got == SQL_NO_DATA || !SQL_SUCCEEDED(got)) break;
    if (length >= static_cast<SQLSMALLINT>(text.size())) {
      text.assign(static_cast<std::size_t>(length) + 1, u'\0');
      SQLGetDiagRecW(type, handle, record, reinterpret_cast<SQLWCHAR*>(sqlstate.data()), &native,
                     reinterpret_cast<SQLWCHAR*>(text.data()), static_cast<SQLSMALLINT>(text.size()), &length);
    }
    text.resize(static_cast<std::size_t>(length));
    sqlstate.resize(5);
    int severity = IntegerField(type, handle, record, kDiagSeverity, 0);
    // A driver that does not know the severity: errors of a failed call are errors.
    if (severity == 0) severity = sqlstate.starts_with(u"01") ? 10 : default_severity;
    messages.push_back(Describe(type, sqlstate, native, WithoutPrefixes(text::FromUtf16(text)), severity,
                                IntegerField(type, handle, record, kDiagMessageState, 1), server));
  }
  return messages;
}

void Check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const std::string& server) {
  if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA) return;
  const std::vector<access::Error> messages = Diagnostics(rc, type, handle, server);
  // The server's own reason before the summaries of it: the driver's "unable
  // to connect", and the server's "login failed" when a reason (a missing
  // database, say) came with it.
  for (int number : {0, kLoginFailed})
    for (const access::Error& e : messages)
      if (e.severity() > 10 && e.number() != kServerNotFound && e.number() != kNetworkError &&
          e.number() != kUnspecifiedError && (number == kLoginFailed || e.number() != kLoginFailed))
        throw e;
  for (const access::Error& e : messages)
    if (e.severity() > 10) throw e;
  throw access::Error(kUnspecifiedError, "The ODBC driver failed without a message (server: " + server + ")");
}

bool ConnectionLost(SQLHDBC connection) {
  SQLUINTEGER dead = SQL_CD_FALSE;
  SQLRETURN rc = SQLGetConnectAttr(connection, SQL_ATTR_CONNECTION_DEAD, &dead, SQL_IS_UINTEGER, nullptr);
  return SQL_SUCCEEDED(rc) && dead == SQL_CD_TRUE;
}

access::Error LostConnection(const std::string& server) {
  return access::Error(kNetworkError, "General network error: the connection to the server was lost (server: " +
                                          server + ")");
}

Handle::Handle(SQLSMALLINT type, SQLHANDLE parent) : type_(type) {
  SQLRETURN rc = SQLAllocHandle(type, parent, &handle_);
  if (!SQL_SUCCEEDED(rc)) {
    handle_ = SQL_NULL_HANDLE;
    throw access::Error(kUnspecifiedError, "Cannot allocate an ODBC handle (is unixODBC installed?)");
  }
}

Handle::~Handle() {
  if (handle_ == SQL_NULL_HANDLE) return;
  if (type_ == SQL_HANDLE_DBC) SQLDisconnect(handle_);
  SQLFreeHandle(type_, handle_);
}

}  // namespace court::odbc
