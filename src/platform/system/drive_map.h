// Windows drive paths on a Linux server.
//
// The installer names files the Windows way ("D:\法院_SQL数据\法院_Data.MDF",
// "c:\temp_sj.temp"). A server keeps one folder per drive letter below its
// drives root; X:\a\b maps to <drives root>/X/a/b, the letter in upper case.

#ifndef COURT_PLATFORM_SYSTEM_DRIVE_MAP_H_
#define COURT_PLATFORM_SYSTEM_DRIVE_MAP_H_

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace court::system {

class DriveMap {
 public:
  explicit DriveMap(std::filesystem::path drives_root) : root_(std::move(drives_root)) {}

  // The local path of a Windows path "X:\..." or "X:" (either slash accepted);
  // a path that starts with '/' is the server's own path already. Throws
  // access::Error for anything else.
  std::filesystem::path Map(std::string_view windows_path) const;

  // The drives that exist, as "C:", "D:", ... in letter order.
  std::vector<std::string> Drives() const;

  const std::filesystem::path& root() const { return root_; }

 private:
  std::filesystem::path root_;
};

}  // namespace court::system

#endif  // COURT_PLATFORM_SYSTEM_DRIVE_MAP_H_
