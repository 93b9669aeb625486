#include "installation/start_up.h"

#include "platform/text/ascii.h"
#include "platform/text/trim.h"
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
  return text::Upper(std::string(text::Trim(computer_name)));
}

}  // namespace court::installation
