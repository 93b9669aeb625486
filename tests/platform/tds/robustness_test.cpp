// court-server under bad input: random and mutated packets, clients that
// vanish mid-message, bad command lines, a port already taken, a stop signal.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tests/platform/tds/client_tools.h"
#include "tests/support/child_process.h"
#include "tests/support/server_process.h"
#include "tests/support/temp_dir.h"

namespace court::testing {
namespace {

const std::string kServer = COURT_BUILD_DIR "/court-server";

int Connect(int port) {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  timeval timeout{0, 200000};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  return fd;
}

// A well-formed pre-login packet: version, encryption off, terminator.
std::vector<unsigned char> Prelogin() {
  return {0x12, 0x01, 0x00, 0x1A, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x0B, 0x00, 0x06,
          0x01, 0x00, 0x11, 0x00, 0x01, 0xFF, 0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
}

bool Answers(int port) {
  int status = 0;
  return Tsql(port, "SELECT 40 + 2\ngo\nexit\n", kSaPassword, &status).find("\n42\n") != std::string::npos;
}

TEST(Robustness, RandomAndMutatedPacketsLeaveTheServerAnswering) {
  TempDir root;
  ServerProcess server(root.path());
  std::mt19937 random(12345);
  for (int round = 0; round < 300; ++round) {
    int fd = Connect(server.port());
    ASSERT_GE(fd, 0);
    std::vector<unsigned char> bytes = Prelogin();
    switch (round % 4) {
      case 0:  // random bytes
        bytes.resize(random() % 200);
        for (unsigned char& b : bytes) b = static_cast<unsigned char>(random());
        break;
      case 1:  // a pre-login with some bytes changed
        for (int k = 0; k < 3; ++k) bytes[random() % bytes.size()] = static_cast<unsigned char>(random());
        break;
      case 2:  // a header promising more than comes, then silence
        bytes = {static_cast<unsigned char>(random() % 20), 0, 0x7F, 0xFF, 0, 0, 1, 0, 1, 2, 3};
        break;
      case 3:  // a login message of random contents after a good pre-login
        bytes.insert(bytes.end(), {0x10, 0x01, 0x00, 0x60, 0x00, 0x00, 0x01, 0x00});
        for (int k = 0; k < 0x58; ++k) bytes.push_back(static_cast<unsigned char>(random()));
        break;
    }
    [[maybe_unused]] ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    unsigned char reply[512];
    [[maybe_unused]] ssize_t got = ::recv(fd, reply, sizeof reply, 0);
    ::close(fd);
    if (round % 50 == 49) {
      ASSERT_TRUE(Answers(server.port())) << "after round " << round;
    }
  }
  EXPECT_TRUE(server.running());
  EXPECT_TRUE(Answers(server.port()));
}

// court-server's exit code and what it printed, run with arguments and sa's
// password set to password (or unset).
ProgramResult RunServer(const std::vector<std::string>& arguments,
                        std::optional<std::string> password = std::string(kSaPassword)) {
  std::vector<std::string> argv = {kServer};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return RunProgram({.argv = argv, .env = {{"COURT_SERVER_SA_PASSWORD", password}}, .err_into_out = true});
}

TEST(Robustness, CommandLineMistakesExitWithAMessage) {
  TempDir root;
  const std::string folder = root.path().string();
  ProgramResult run = RunServer({});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.out.find("-S DIR is required"), std::string::npos) << run.out;
  run = RunServer({"-S", folder, "--listen", "nowhere"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.out.find("--listen wants ADDR:PORT"), std::string::npos) << run.out;
  run = RunServer({"-S", folder}, std::nullopt);
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.out.find("COURT_SERVER_SA_PASSWORD"), std::string::npos) << run.out;
  run = RunServer({"-S", folder}, "short");
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.out.find("at least 8 characters"), std::string::npos) << run.out;

  const std::string file = (root.path() / "a-file").string();
  std::ofstream(file) << "not a folder";
  run = RunServer({"-S", file + "/root", "--listen", "127.0.0.1:0"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.out.find("cannot use"), std::string::npos) << run.out;

  // A port another program holds.
  int holder = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(holder, 1), 0);
  socklen_t length = sizeof address;
  ::getsockname(holder, reinterpret_cast<sockaddr*>(&address), &length);
  const std::string taken = std::to_string(ntohs(address.sin_port));
  run = RunServer({"-S", folder, "--listen", "127.0.0.1:" + taken});
  ::close(holder);
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.out.find("cannot listen on 127.0.0.1:" + taken), std::string::npos) << run.out;
}

TEST(Robustness, StopSignalEndsCleanlyAndKeepsData) {
  TempDir root;
  {
    ServerProcess server(root.path());
    int status = 0;
    Tsql(server.port(), "CREATE DATABASE kept\ngo\nUSE kept\ngo\nCREATE TABLE t (a int)\ngo\n"
                        "INSERT INTO t VALUES (7)\ngo\nexit\n", kSaPassword, &status);
    EXPECT_EQ(server.Stop(), 0);
  }
  const ProgramResult read = RunProgram(
      {.argv = {COURT_BUILD_DIR "/court-sqlcmd", "-S", root.path().string(), "-d", "kept", "-Q", "SELECT a FROM t"},
       .err_into_out = true});
  EXPECT_EQ(read.exit_code, 0) << read.out;
  EXPECT_NE(read.out.find('7'), std::string::npos) << read.out;
}

}  // namespace
}  // namespace court::testing
