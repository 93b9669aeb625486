// What the installer does with the server's own files, by Windows path:
// the data directory, leftover data files and the drive list. On the
// server's machine these are plain file operations (Files); from another
// machine a driver answers them through the server itself.

#ifndef COURT_PLATFORM_SYSTEM_SERVER_FILES_H_
#define COURT_PLATFORM_SYSTEM_SERVER_FILES_H_

#include <string>
#include <string_view>
#include <vector>

namespace court::system {

class ServerFiles {
 public:
  virtual ~ServerFiles() = default;
  virtual bool FileExists(std::string_view windows_path) const = 0;
  virtual bool DirectoryExists(std::string_view windows_path) const = 0;
  virtual void DeleteFile(std::string_view windows_path) const = 0;
  virtual void MakeDirectory(std::string_view windows_path) const = 0;
  // The server's drives as "C:", "D:", ... in letter order.
  virtual std::vector<std::string> Drives() const = 0;
};

}  // namespace court::system

#endif  // COURT_PLATFORM_SYSTEM_SERVER_FILES_H_
