#include "provisioning/run_folder.h"

#include <ctime>

namespace court::provisioning {

std::string RunStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return text;
}

std::string UnusedFolderName(const std::string& stamp, const std::function<bool(const std::string&)>& taken) {
  std::string name = stamp;
  for (int n = 2; taken(name); ++n) name = stamp + "-" + std::to_string(n);
  return name;
}

}  // namespace court::provisioning
