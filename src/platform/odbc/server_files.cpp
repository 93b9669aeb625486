#include "platform/odbc/server_files.h"

#include <algorithm>

#include "platform/text/ascii.h"

namespace court::odbc {
namespace {

constexpr int kPathFileAccessError = 75;

std::string Literal(std::string_view text) {
  std::string quoted = "N'";
  for (char c : text) quoted += c == '\'' ? std::string("''") : std::string(1, c);
  return quoted + "'";
}

bool IsOne(const access::Value& v) { return !v.is_null() && v.ToText() == "1"; }

}  // namespace

access::ResultSet ServerFiles::Call(const std::string& sql, const std::string& step) const {
  try {
    return driver_.Open("master")->Query(sql);
  } catch (const access::Error& e) {
    if (e.number() == kServerNotFound) throw;
    throw access::Error(kPathFileAccessError, "Path/File access error: " + step + " through the server (" +
                                                  sql + ") failed: " + e.description());
  }
}

access::Row ServerFiles::Probe(std::string_view windows_path) const {
  access::ResultSet result = Call("EXEC master.dbo.xp_fileexist " + Literal(windows_path),
                                  "looking for '" + std::string(windows_path) + "' on the server");
  if (result.rows.empty() || result.rows.front().size() < 2)
    throw access::Error(kPathFileAccessError, "Path/File access error: xp_fileexist gave no answer for '" +
                                                  std::string(windows_path) + "'");
  return result.rows.front();
}

bool ServerFiles::FileExists(std::string_view windows_path) const { return IsOne(Probe(windows_path)[0]); }

bool ServerFiles::DirectoryExists(std::string_view windows_path) const { return IsOne(Probe(windows_path)[1]); }

void ServerFiles::DeleteFile(std::string_view windows_path) const {
  throw access::Error(kPathFileAccessError,
                      "Path/File access error: the leftover data file '" + std::string(windows_path) +
                          "' is on the server, and SQL Server offers no way to delete a file over a "
                          "connection; remove it on the server and run the installer again.");
}

void ServerFiles::MakeDirectory(std::string_view windows_path) const {
  Call("EXEC master.dbo.xp_create_subdir " + Literal(windows_path),
       "creating the data directory '" + std::string(windows_path) +
           "' (create it on the server and run the installer again)");
}

std::vector<std::string> ServerFiles::Drives() const {
  access::ResultSet result = Call("EXEC master.dbo.xp_fixeddrives", "listing the server's drives");
  std::vector<std::string> drives;
  for (const access::Row& row : result.rows)
    if (!row.empty() && !row[0].is_null()) drives.push_back(row[0].ToText().substr(0, 1) + ":");
  for (std::string& d : drives) d[0] = text::UpperChar(d[0]);
  std::sort(drives.begin(), drives.end());
  return drives;
}

}  // namespace court::odbc
