// court-server -S DIR [--listen ADDR:PORT] [--max-connections N]
//              [--sa-password-file FILE] [--certificate FILE --key FILE]
//              [--require-encryption]
//
// Serves the embedded server rooted at DIR to SQL Server clients over TCP
// (TDS 7.1, answering as SQL Server 2000). The first start on a root sets
// the password of the administrator login sa, from the environment variable
// COURT_SERVER_SA_PASSWORD or the file --sa-password-file names (never from
// the command line, which other users of the machine can read); later
// starts use the stored (hashed) one. TLS uses the certificate and key
// given, or a self-signed pair made in DIR on first start.
// SIGTERM or SIGINT stops it: no new clients, running requests finish.
// Exit status: 0 stopped, 1 cannot serve (root, address, certificate),
// 2 usage or no usable password for sa.

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>

#include "platform/mssql/security_store.h"
#include "platform/mssql/server.h"
#include "platform/tds/authenticator.h"
#include "platform/tds/context.h"
#include "platform/tds/listener.h"
#include "platform/text/ascii.h"

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
            << "                    [--sa-password-file FILE] [--certificate FILE --key FILE]\n"
            << "                    [--require-encryption]\n"
            << "  the first start on DIR sets the password of the login sa from\n"
            << "  COURT_SERVER_SA_PASSWORD or the first line of --sa-password-file\n";
  return 2;
}

// SQL Server's rule for sa's password: at least eight characters of at
// least three kinds (upper case, lower case, digits, symbols).
bool StrongEnough(const std::string& password) {
  bool upper = false, lower = false, digit = false, symbol = false;
  for (char c : password) {
    if (court::text::IsAsciiUpper(c)) upper = true;
    else if (court::text::IsAsciiLower(c)) lower = true;
    else if (court::text::IsAsciiDigit(c)) digit = true;
    else symbol = true;
  }
  return password.size() >= 8 && upper + lower + digit + symbol >= 3;
}

// The password offered for sa: the file's first line, else the environment.
std::optional<std::string> OfferedPassword(const std::string& file) {
  if (!file.empty()) {
    std::ifstream in(file);
    std::string line;
    if (!in || !std::getline(in, line)) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
  }
  const char* value = std::getenv("COURT_SERVER_SA_PASSWORD");
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
}

// Sets sa's password on a root used for the first time on the network; 0
// when sa has one, else the exit status.
int SetUpAdministrator(court::mssql::Server& engine, const std::string& password_file) {
  court::mssql::SqliteDb master(engine.MasterFile(), false);
  court::mssql::LoginStore logins(master, "main");
  std::optional<std::string> password = OfferedPassword(password_file);
  if (logins.HasPassword("sa")) {
    if (password)
      std::cerr << "court-server: sa has its password already; the one offered is not used "
                   "(change it with sp_password)" << std::endl;
    return 0;
  }
  if (!password)
    return Usage(password_file.empty()
                     ? "the login sa has no password yet: set COURT_SERVER_SA_PASSWORD or name a file with "
                       "--sa-password-file"
                     : "cannot read a password from " + password_file);
  if (!StrongEnough(*password))
    return Usage("the password for sa must be at least 8 characters long and contain characters of three of "
                 "these kinds: upper-case letters, lower-case letters, digits, symbols");
  logins.SetPassword("sa", *password);
  std::cerr << "court-server: the password of sa is set (stored hashed in master)" << std::endl;
  return 0;
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
  std::string password_file, certificate, key;
  bool require_encryption = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--require-encryption") {
      require_encryption = true;
      continue;
    }
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
    } else if (arg == "--sa-password-file") {
      password_file = value;
    } else if (arg == "--certificate") {
      certificate = value;
    } else if (arg == "--key") {
      key = value;
    } else {
      return Usage("unknown argument '" + arg + "'");
    }
  }
  if (root.empty()) return Usage("-S DIR is required");
  if (certificate.empty() != key.empty()) return Usage("--certificate and --key go together");

  std::optional<court::mssql::Server> engine;
  try {
    engine.emplace(root);
  } catch (const std::exception& e) {
    std::cerr << "court-server: cannot use " << root << " as the server root: " << e.what() << "\n";
    return 1;
  }
  if (int status = SetUpAdministrator(*engine, password_file)) return status;
  std::optional<court::tds::TlsContext> tls;
  try {
    if (certificate.empty()) {
      certificate = (engine->root() / "tls" / "court-server.crt").string();
      key = (engine->root() / "tls" / "court-server.key").string();
      const bool made = court::tds::TlsContext::EnsureSelfSigned(certificate, key, HostName());
      std::cerr << "court-server: TLS with the self-signed certificate " << certificate
                << (made ? " (made now)" : "") << std::endl;
    }
    tls.emplace(certificate, key);
  } catch (const std::exception& e) {
    std::cerr << "court-server: " << e.what() << "\n";
    return 1;
  }
  if (::pipe2(stop_pipe, O_CLOEXEC) != 0) {
    std::cerr << "court-server: cannot create the stop signal pipe\n";
    return 1;
  }
  court::tds::LoginAuthenticator authenticator(*engine);
  court::tds::ServerContext context(*engine, authenticator, *tls, require_encryption, limits, stop_pipe[0],
                                    HostName());
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
