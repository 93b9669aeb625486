// court-server under bad input: random and mutated packets, clients that
// vanish mid-message, bad command lines, a port already taken, a stop signal.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tests/platform/tds/client_tools.h"
#include "tests/support/installation.h"
#include "tests/support/server_process.h"

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

TEST(Robustness, CommandLineMistakesExitWithAMessage) {
  TempDir root;
  int status = 0;
  const std::string env = "COURT_SERVER_SA_PASSWORD=" + ShellQuoted(kSaPassword) + " ";
  std::string out = RunCommand(env + kServer + " 2>&1", &status);
  EXPECT_EQ(status, 2);
  EXPECT_NE(out.find("-S DIR is required"), std::string::npos) << out;
  out = RunCommand(env + kServer + " -S " + root.path().string() + " --listen nowhere 2>&1", &status);
  EXPECT_EQ(status, 2);
  EXPECT_NE(out.find("--listen wants ADDR:PORT"), std::string::npos) << out;
  out = RunCommand("env -u COURT_SERVER_SA_PASSWORD " + kServer + " -S " + root.path().string() + " 2>&1", &status);
  EXPECT_EQ(status, 2);
  EXPECT_NE(out.find("COURT_SERVER_SA_PASSWORD"), std::string::npos) << out;
  out = RunCommand("COURT_SERVER_SA_PASSWORD=short " + kServer + " -S " + root.path().string() + " 2>&1", &status);
  EXPECT_EQ(status, 2);
  EXPECT_NE(out.find("at least 8 characters"), std::string::npos) << out;

  const std::string file = (root.path() / "a-file").string();
  std::ofstream(file) << "not a folder";
  out = RunCommand(env + kServer + " -S " + file + "/root --listen 127.0.0.1:0 2>&1", &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(out.find("cannot use"), std::string::npos) << out;

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
  out = RunCommand(env + kServer + " -S " + root.path().string() + " --listen 127.0.0.1:" + taken + " 2>&1", &status);
  ::close(holder);
  EXPECT_EQ(status, 1);
  EXPECT_NE(out.find("cannot listen on 127.0.0.1:" + taken), std::string::npos) << out;
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
  int status = 0;
  const std::string out = RunCommand(std::string(COURT_BUILD_DIR "/court-sqlcmd -S ") + root.path().string() +
                                         " -d kept -Q \"SELECT a FROM t\" 2>&1",
                                     &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find('7'), std::string::npos) << out;
}

}  // namespace
}  // namespace court::testing
