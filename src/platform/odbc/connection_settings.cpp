#include "platform/odbc/connection_settings.h"

#include <odbcinst.h>

#include "platform/text/ascii.h"

namespace court::odbc {
namespace {

// Splits "k1=v1;k2={v;2}" into its attributes; braced values keep their braces.
std::vector<std::pair<std::string, std::string>> Split(const std::string& text) {
  std::vector<std::pair<std::string, std::string>> attributes;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t equals = text.find('=', i);
    if (equals == std::string::npos) break;
    std::string key = text.substr(i, equals - i);
    key.erase(0, key.find_first_not_of(' '));
    std::size_t end = equals + 1;
    if (end < text.size() && text[end] == '{') {
      for (++end; end < text.size(); ++end) {
        if (text[end] != '}') continue;
        if (end + 1 < text.size() && text[end + 1] == '}') ++end;  // "}}" is a brace
        else break;
      }
    }
    end = text.find(';', end);
    if (end == std::string::npos) end = text.size();
    if (!key.empty()) attributes.emplace_back(key, text.substr(equals + 1, end - equals - 1));
    i = end + 1;
  }
  return attributes;
}

// A key of the DSN's section in odbc.ini (user's, then the system's), or "".
std::string FromOdbcIni(const std::string& dsn, const char* key) {
  char value[512] = {};
  SQLGetPrivateProfileString(dsn.c_str(), key, "", value, sizeof value, "odbc.ini");
  return value;
}

}  // namespace

std::string QuotedAttribute(const std::string& value) {
  const bool plain = value.find_first_of(";{}") == std::string::npos &&
                     (value.empty() || (value.front() != ' ' && value.back() != ' '));
  if (plain) return value;
  std::string quoted = "{";
  for (char c : value) quoted += c == '}' ? std::string("}}") : std::string(1, c);
  return quoted + "}";
}

ConnectionSettings::ConnectionSettings(const std::string& connection, const std::string& password)
    : attributes_(Split(connection)) {
  if (Find("PWD") != nullptr) return;
  std::string pwd = password;
  const std::string* dsn = Find("DSN");
  if (pwd.empty() && dsn != nullptr) {
    pwd = FromOdbcIni(*dsn, "PWD");
    if (pwd.empty()) pwd = FromOdbcIni(*dsn, "Password");
  }
  if (!pwd.empty()) attributes_.emplace_back("PWD", QuotedAttribute(pwd));
}

const std::string* ConnectionSettings::Find(const std::string& key) const {
  for (const Attribute& a : attributes_)
    if (text::EqualIgnoringCase(a.first, key)) return &a.second;
  return nullptr;
}

std::string ConnectionSettings::Join(const std::vector<Attribute>& attributes) {
  std::string text;
  for (const Attribute& a : attributes) text += (text.empty() ? "" : ";") + a.first + "=" + a.second;
  return text;
}

std::string ConnectionSettings::Setting(const char* key) const {
  if (const std::string* value = Find(key)) {
    const bool braced = value->size() >= 2 && value->front() == '{' && value->back() == '}';
    return braced ? value->substr(1, value->size() - 2) : *value;
  }
  const std::string* dsn = Find("DSN");
  return dsn ? FromOdbcIni(*dsn, key) : "";
}

std::string ConnectionSettings::Host() const {
  std::string host = Setting("Server");
  if (host.empty()) host = Setting("Servername");
  if (host.empty()) host = Setting("Address");
  if (host.starts_with("tcp:")) host.erase(0, 4);
  host = host.substr(0, host.find(','));
  const std::string machine = host.substr(0, host.find('\\'));
  for (const char* local : {"localhost", "127.0.0.1", "::1", ".", "(local)"})
    if (text::EqualIgnoringCase(machine, local)) return "";
  return host;
}

std::string ConnectionSettings::ForDatabase(const std::string& database) const {
  std::vector<Attribute> attributes;
  for (const Attribute& a : attributes_)
    if (!text::EqualIgnoringCase(a.first, "Database")) attributes.push_back(a);
  attributes.emplace_back("Database", QuotedAttribute(database));
  return Join(attributes);
}

std::string ConnectionSettings::Description() const {
  std::vector<Attribute> attributes;
  for (const Attribute& a : attributes_)
    if (!text::EqualIgnoringCase(a.first, "PWD") && !text::EqualIgnoringCase(a.first, "Password")) attributes.push_back(a);
  return Join(attributes);
}

}  // namespace court::odbc
