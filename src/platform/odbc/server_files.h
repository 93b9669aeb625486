// The server's files as seen through the server itself.
//
// Over ODBC the installer may run on another machine than the server, so it
// never looks at its own disk for the server's files: it asks the server's
// extended procedures in master (xp_fileexist, xp_create_subdir,
// xp_fixeddrives), which work the same wherever the installer runs. A step
// the server offers no procedure for fails with a clear error naming the
// step and what the administrator can do instead.

#ifndef COURT_PLATFORM_ODBC_SERVER_FILES_H_
#define COURT_PLATFORM_ODBC_SERVER_FILES_H_

#include <string>
#include <string_view>
#include <vector>

#include "platform/access/driver.h"
#include "platform/odbc/odbc_driver.h"
#include "platform/system/server_files.h"

namespace court::odbc {

class ServerFiles : public system::ServerFiles {
 public:
  explicit ServerFiles(OdbcDriver& driver) : driver_(driver) {}

  bool FileExists(std::string_view windows_path) const override;
  bool DirectoryExists(std::string_view windows_path) const override;
  // No SQL Server procedure deletes an arbitrary file: always fails (75).
  void DeleteFile(std::string_view windows_path) const override;
  void MakeDirectory(std::string_view windows_path) const override;
  std::vector<std::string> Drives() const override;

 private:
  // Runs a procedure call on master; a failure becomes error 75 naming step.
  access::ResultSet Call(const std::string& sql, const std::string& step) const;
  access::Row Probe(std::string_view windows_path) const;

  OdbcDriver& driver_;
};

}  // namespace court::odbc

#endif  // COURT_PLATFORM_ODBC_SERVER_FILES_H_
