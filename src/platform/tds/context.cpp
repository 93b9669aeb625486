#include "platform/tds/context.h"

#include <unistd.h>

namespace court::tds {

void ServerContext::Log(std::string_view line) {
  std::string text = "court-server: ";
  text += line;
  text += '\n';
  std::lock_guard<std::mutex> lock(log_mutex_);
  [[maybe_unused]] ssize_t written = ::write(STDERR_FILENO, text.data(), text.size());
}

}  // namespace court::tds
