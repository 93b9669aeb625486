// The file operations the installer performs on this machine's drives,
// addressed by Windows paths and mapped through a DriveMap.

#ifndef COURT_PLATFORM_SYSTEM_FILES_H_
#define COURT_PLATFORM_SYSTEM_FILES_H_

#include <filesystem>
#include <string_view>

#include "platform/system/drive_map.h"
#include "platform/system/server_files.h"

namespace court::system {

class Files : public ServerFiles {
 public:
  explicit Files(DriveMap drives) : drives_(std::move(drives)) {}

  bool FileExists(std::string_view windows_path) const override;
  bool DirectoryExists(std::string_view windows_path) const override;
  // Fails (access::Error 53, "File not found") when there is no such file.
  void DeleteFile(std::string_view windows_path) const override;
  // Fails (access::Error 75, "Path/File access error") when it cannot be made.
  void MakeDirectory(std::string_view windows_path) const override;
  std::vector<std::string> Drives() const override { return drives_.Drives(); }

  std::filesystem::path Map(std::string_view windows_path) const { return drives_.Map(windows_path); }
  const DriveMap& drives() const { return drives_; }

 private:
  DriveMap drives_;
};

// This computer's name as the operating system reports it.
std::string ComputerName();

}  // namespace court::system

#endif  // COURT_PLATFORM_SYSTEM_FILES_H_
