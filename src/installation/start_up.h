// What the splash screen's load does before any window is shown, and the
// texts the main screen fills in before the installation run.

#ifndef COURT_INSTALLATION_START_UP_H_
#define COURT_INSTALLATION_START_UP_H_

#include <string>
#include <string_view>

#include "provisioning/run_state.h"

namespace court::installation {

// Checks that the server answers and makes sure the service login exists
// with its roles; starts the run with the court-updated flag cleared.
void StartUp(provisioning::RunState& run);

// The main screen's fixed texts, set on every run whatever path it takes.
inline constexpr char kClientNotice[] =
    "数据建立后，请记住本服务器。在第一次运行软件时要求输入服务器名称，请输入本服务器名称，或输入本服务器的TC"
    "P/IP的地址。";

// Label4: five lines joined by CR LF.
std::string SupportInformation();

// The computer's name as shown in Texfwq: blanks removed at both ends, upper case.
std::string ServerName(std::string_view computer_name);

}  // namespace court::installation

#endif  // COURT_INSTALLATION_START_UP_H_
