// court-server -S DIR [--listen ADDR:PORT] [--max-connections N]
//
// Serves the embedded server rooted at DIR to SQL Server clients over TCP
// (TDS 7.1, answering as SQL Server 2000). The administrator login sa takes
// its password from the environment variable COURT_SERVER_SA_PASSWORD.
// SIGTERM or SIGINT stops it: no new clients, running requests finish.
// Exit status: 0 stopped, 1 cannot serve (root, address), 2 usage.

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

#include "platform/mssql/server.h"
#include "platform/tds/authenticator.h"
#include "platform/tds/context.h"
#include "platform/tds/listener.h"

namespace {

int stop_pipe[2] = {-1, -1};  // written by the signal handler, read by every connection

void OnStopSignal(int) {
  const char byte = 1;
  [[maybe_unused]] ssize_t written = ::write(stop_pipe[1], &byte, 1);
}

std::string HostName() {
  char name[256] = "localhost";
  gethostname(name, sizeof name - 1);
  return name;
}

int Usage(const std::string& why) {
  std::cerr << "court-server: " << why << "\n"
            << "usage: court-server -S DIR [--listen ADDR:PORT] [--max-connections N]\n"
            << "  the password of the login sa comes from COURT_SERVER_SA_PASSWORD\n";
  return 2;
}

struct Address {
  std::string host;
  std::uint16_t port;
};

// "127.0.0.1:1433", "[::1]:1433", "0.0.0.0:0" (any free port).
std::optional<Address> ParseAddress(const std::string& text) {
  std::size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) return std::nullopt;
  std::string host = text.substr(0, colon);
  if (host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
  const std::string port = text.substr(colon + 1);
  if (port.find_first_not_of("0123456789") != std::string::npos || port.size() > 5) return std::nullopt;
  const long number = std::stol(port);
  if (number > 65535) return std::nullopt;
  return Address{host, static_cast<std::uint16_t>(number)};
}

}  // namespace

int main(int argc, char** argv) {
  std::string root;
  Address address{"127.0.0.1", 1433};
  court::tds::Limits limits;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) return Usage("missing value after " + arg);
    const std::string value = argv[++i];
    if (arg == "-S") {
      root = value;
    } else if (arg == "--listen") {
      std::optional<Address> parsed = ParseAddress(value);
      if (!parsed) return Usage("--listen wants ADDR:PORT, not '" + value + "'");
      address = *parsed;
    } else if (arg == "--max-connections") {
      if (value.find_first_not_of("0123456789") != std::string::npos || value.empty() || value.size() > 6 ||
          std::stol(value) < 1)
        return Usage("--max-connections wants a positive number, not '" + value + "'");
      limits.max_connections = static_cast<std::size_t>(std::stol(value));
    } else {
      return Usage("unknown argument '" + arg + "'");
    }
  }
  if (root.empty()) return Usage("-S DIR is required");
  const char* password = std::getenv("COURT_SERVER_SA_PASSWORD");
  if (password == nullptr || *password == '\0')
    return Usage("COURT_SERVER_SA_PASSWORD is not set: the login sa needs a password");

  std::optional<court::mssql::Server> engine;
  try {
    engine.emplace(root);
  } catch (const std::exception& e) {
    std::cerr << "court-server: cannot use " << root << " as the server root: " << e.what() << "\n";
    return 1;
  }
  if (::pipe2(stop_pipe, O_CLOEXEC) != 0) {
    std::cerr << "court-server: cannot create the stop signal pipe\n";
    return 1;
  }
  court::tds::AdministratorAuthenticator authenticator(password);
  court::tds::ServerContext context(*engine, authenticator, limits, stop_pipe[0], HostName());
  try {
    court::tds::Listener listener(context, address.host, address.port);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
    std::cout << "court-server: listening on " << address.host << ":" << listener.port() << ", serving "
              << root << std::endl;
    listener.Run();
  } catch (const court::tds::ListenError& e) {
    std::cerr << "court-server: " << e.what() << "\n";
    return 1;
  }
  std::cout << "court-server: stopped" << std::endl;
  return 0;
}
