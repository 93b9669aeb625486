#include "platform/system/files.h"

#include <unistd.h>

#include "platform/access/error.h"

namespace court::system {

bool Files::FileExists(std::string_view windows_path) const {
  return std::filesystem::is_regular_file(drives_.Map(windows_path));
}

bool Files::DirectoryExists(std::string_view windows_path) const {
  return std::filesystem::is_directory(drives_.Map(windows_path));
}

void Files::DeleteFile(std::string_view windows_path) const {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(drives_.Map(windows_path)) ||
      !std::filesystem::remove(drives_.Map(windows_path), ec))
    throw access::Error(53, "File not found: '" + std::string(windows_path) + "'");
}

void Files::MakeDirectory(std::string_view windows_path) const {
  std::filesystem::path local = drives_.Map(windows_path);
  std::error_code ec;
  // Like MkDir, the parent (the drive) must exist already.
  if (!std::filesystem::is_directory(local.parent_path()) || !std::filesystem::create_directory(local, ec))
    throw access::Error(75, "Path/File access error: '" + std::string(windows_path) + "'");
}

std::string ComputerName() {
  char buffer[256] = {};
  if (gethostname(buffer, sizeof buffer - 1) != 0) throw access::Error(5, "Cannot read the computer name.");
  return buffer;
}

}  // namespace court::system
