// Where the ODBC driver connects, as the administrator named it.
//
// CONNECTION is an ODBC connection string ("Driver=FreeTDS;Server=...;
// Port=1433;TDS_Version=7.1;UID=sa") or "DSN=name" from odbc.ini. The
// password is never needed on a command line: the string's own PWD wins,
// then the one handed in (court-setup's COURT_SETUP_PASSWORD, sqlcmd's -P
// or SQLCMDPASSWORD), then PWD or Password of the DSN in odbc.ini. Every
// session opens the string with its own Database; messages name the server
// by the string with the password taken out.

#ifndef COURT_PLATFORM_ODBC_CONNECTION_SETTINGS_H_
#define COURT_PLATFORM_ODBC_CONNECTION_SETTINGS_H_

#include <string>
#include <utility>
#include <vector>

namespace court::odbc {

class ConnectionSettings {
 public:
  ConnectionSettings(const std::string& connection, const std::string& password);

  // The string that opens database on the server.
  std::string ForDatabase(const std::string& database) const;
  // The server as messages name it: the string without any password.
  std::string Description() const;
  // The server's machine as clients reach it: the string's (or the DSN's)
  // Server, Servername or Address without port or protocol; "" when the
  // string names none or names this machine (localhost, 127.0.0.1, ".").
  std::string Host() const;

 private:
  using Attribute = std::pair<std::string, std::string>;  // key as given, value as written
  const std::string* Find(const std::string& key) const;
  // The attribute from the string, else from the DSN's section of odbc.ini.
  std::string Setting(const char* key) const;
  static std::string Join(const std::vector<Attribute>& attributes);

  std::vector<Attribute> attributes_;
};

// "{...}" around a value that needs it (';', braces, blanks at the ends).
std::string QuotedAttribute(const std::string& value);

}  // namespace court::odbc

#endif  // COURT_PLATFORM_ODBC_CONNECTION_SETTINGS_H_
