#include "platform/tds/authenticator.h"

#include <algorithm>
#include <thread>

namespace court::tds {

namespace {

constexpr int kFreeFailures = 3;
constexpr auto kFirstDelay = std::chrono::milliseconds(250);
constexpr auto kLongestDelay = std::chrono::seconds(4);
constexpr auto kForgetAfter = std::chrono::seconds(60);
constexpr int kConcurrentHashes = 2;
constexpr std::size_t kRememberedHosts = 4096;

std::string Host(const std::string& client) {
  const std::size_t colon = client.rfind(':');
  return colon == std::string::npos ? client : client.substr(0, colon);
}

}  // namespace

LoginAuthenticator::Clock::duration LoginAuthenticator::Delay(const std::string& host) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = failures_.find(host);
  if (it == failures_.end()) return Clock::duration::zero();
  if (Clock::now() - it->second.last > kForgetAfter) {
    failures_.erase(it);
    return Clock::duration::zero();
  }
  const int over = it->second.count - kFreeFailures;
  if (over <= 0) return Clock::duration::zero();
  return std::min<Clock::duration>(kFirstDelay * (1 << std::min(over - 1, 8)), kLongestDelay);
}

void LoginAuthenticator::Failed(const std::string& host) {
  std::lock_guard<std::mutex> lock(mutex_);
  // Hosts that have gone quiet are forgotten, so that many hosts cannot fill memory.
  if (failures_.size() >= kRememberedHosts)
    std::erase_if(failures_, [now = Clock::now()](const auto& entry) { return now - entry.second.last > kForgetAfter; });
  Failures& f = failures_[host];
  ++f.count;
  f.last = Clock::now();
}

std::optional<mssql::Principal> LoginAuthenticator::Verify(const Credentials& credentials) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    free_slot_.wait(lock, [this] { return hashing_ < kConcurrentHashes; });
    ++hashing_;
  }
  std::optional<mssql::Principal> principal;
  try {
    const std::uintmax_t id = mssql::Server::FileId(engine_.MasterFile());
    std::unique_ptr<mssql::SqliteDb> master = engine_.Borrow(engine_.MasterFile());
    if (!master) master = std::make_unique<mssql::SqliteDb>(engine_.MasterFile(), false);
    principal = mssql::Authenticate(*master, credentials.login, credentials.password);
    engine_.GiveBack(engine_.MasterFile(), id, std::move(master));
  } catch (...) {
    std::lock_guard<std::mutex> lock(mutex_);
    --hashing_;
    free_slot_.notify_one();
    throw;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  --hashing_;
  free_slot_.notify_one();
  return principal;
}

std::optional<mssql::Principal> LoginAuthenticator::Check(const Credentials& credentials) {
  const std::string host = Host(credentials.client);
  std::this_thread::sleep_for(Delay(host));
  std::optional<mssql::Principal> principal = Verify(credentials);
  if (!principal) Failed(host);
  return principal;
}

}  // namespace court::tds
