#include "tests/support/shared_setup.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace court::testing {
namespace fs = std::filesystem;
namespace {

// flock(2) on a file, released when it goes out of scope (or the process ends).
class FolderLock {
 public:
  explicit FolderLock(const fs::path& file) : fd_(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
    if (fd_ < 0 || ::flock(fd_, LOCK_EX) != 0) throw std::runtime_error("cannot lock " + file.string());
  }
  ~FolderLock() { ::close(fd_); }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_;
};

}  // namespace

void RunOnce(const fs::path& folder, const fs::path& done, const Command& command, const std::string& what) {
  fs::create_directories(folder);
  FolderLock lock(folder / ".lock");
  if (fs::exists(done)) return;
  const ProgramResult result = RunProgram(command);
  if (result.exit_code != 0) throw std::runtime_error(what + " failed: " + result.out + result.err);
}

std::string NpmModules(const fs::path& prefix, const std::string& package) {
  const fs::path modules = prefix / "node_modules";
  const std::string name = package.substr(0, package.rfind('@'));
  const char* certificates = std::getenv("NODE_EXTRA_CA_CERTS");
  RunOnce(prefix, modules / name,
          {.argv = {"npm", "install", "--silent", "--no-audit", "--no-fund", "--prefix", prefix.string(), package},
           .env = {{"NODE_EXTRA_CA_CERTS", certificates ? certificates : "/etc/ssl/certs/ca-certificates.crt"}},
           .timeout = std::chrono::seconds(300)},
          "npm install of " + package);
  return modules.string();
}

}  // namespace court::testing
