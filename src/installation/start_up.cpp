#include "installation/start_up.h"

#include <algorithm>
#include <cctype>

#include "provisioning/service_login.h"

namespace court::installation {

void StartUp(provisioning::RunState& run) {
  provisioning::EnsureServiceLogin(run);
  run.court_updated = false;
}

std::string SupportInformation() {
  return "有关软件使用及升级信息，请查阅：\r\n"
         "    https://support.court-office.example\r\n"
         "或发电子邮件：\r\n"
         "    support@court-office.example\r\n"
         "    service@court-office.example";
}

std::string ServerName(std::string_view computer_name) {
  const auto first = computer_name.find_first_not_of(' ');
  if (first == std::string_view::npos) return "";
  std::string name(computer_name.substr(first, computer_name.find_last_not_of(' ') - first + 1));
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return name;
}

}  // namespace court::installation
