#include "platform/system/drive_map.h"

#include <algorithm>

#include "platform/access/error.h"
#include "platform/text/ascii.h"

namespace court::system {

std::filesystem::path DriveMap::Map(std::string_view windows_path) const {
  if (windows_path.starts_with('/')) return std::filesystem::path(windows_path).lexically_normal();
  if (windows_path.size() < 2 || !text::IsAsciiLetter(windows_path[0]) ||
      windows_path[1] != ':') {
    throw access::Error(access::ado::kInvalidArgument,
                        "Not a drive path: '" + std::string(windows_path) + "'");
  }
  std::filesystem::path local = root_ / std::string(1, text::UpperChar(windows_path[0]));
  std::string rest(windows_path.substr(2));
  std::replace(rest.begin(), rest.end(), '\\', '/');
  std::size_t start = 0;
  while (start < rest.size()) {
    std::size_t end = rest.find('/', start);
    if (end == std::string::npos) end = rest.size();
    if (end > start) local /= rest.substr(start, end - start);
    start = end + 1;
  }
  return local;
}

std::vector<std::string> DriveMap::Drives() const {
  std::vector<std::string> drives;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(root_, ec)) {
    std::string name = entry.path().filename().string();
    if (entry.is_directory() && name.size() == 1 && text::IsAsciiUpper(name[0]))
      drives.push_back(name + ":");
  }
  std::sort(drives.begin(), drives.end());
  return drives;
}

}  // namespace court::system
