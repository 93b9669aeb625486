#include "platform/tds/listener.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <thread>

#include "platform/mssql/messages.h"
#include "platform/tds/session.h"

namespace court::tds {

namespace {

// Connections past the limit still get their refusal, up to this many more.
constexpr std::size_t kRefusalRoom = 16;

}  // namespace

Listener::Listener(ServerContext& context, const std::string& host, std::uint16_t port) : context_(context) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE | AI_NUMERICSERV;
  addrinfo* found = nullptr;
  const std::string where = host + ":" + std::to_string(port);
  int rc = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
  if (rc != 0) throw ListenError("cannot listen on " + where + ": " + gai_strerror(rc));
  std::string why = "no address";
  for (addrinfo* a = found; a != nullptr && fd_ < 0; a = a->ai_next) {
    int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) continue;
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(fd, a->ai_addr, a->ai_addrlen) == 0 && ::listen(fd, 128) == 0) {
      fd_ = fd;
    } else {
      why = std::strerror(errno);
      ::close(fd);
    }
  }
  freeaddrinfo(found);
  if (fd_ < 0) throw ListenError("cannot listen on " + where + ": " + why);
  sockaddr_storage bound{};
  socklen_t length = sizeof bound;
  getsockname(fd_, reinterpret_cast<sockaddr*>(&bound), &length);
  port_ = ntohs(bound.ss_family == AF_INET6 ? reinterpret_cast<sockaddr_in6*>(&bound)->sin6_port
                                             : reinterpret_cast<sockaddr_in*>(&bound)->sin_port);
}

Listener::~Listener() {
  if (fd_ >= 0) ::close(fd_);
}

void Listener::Run() {
  for (;;) {
    pollfd p[2] = {{fd_, POLLIN, 0}, {context_.stop_fd, POLLIN, 0}};
    if (::poll(p, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (p[1].revents != 0) break;
    if (p[0].revents == 0) continue;
    int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;  // the client gave up already, or descriptors ran out for now
    Start(client);
  }
  ::close(fd_);
  fd_ = -1;
  std::unique_lock<std::mutex> lock(mutex_);
  finished_.wait(lock, [this] { return active_ == 0; });
}

void Listener::Start(int fd) {
  int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  std::optional<access::Error> refusal;
  std::uint16_t spid;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (active_ >= context_.limits.max_connections + kRefusalRoom) {
      ::close(fd);
      return;
    }
    if (active_ >= context_.limits.max_connections)
      refusal = mssql::Message(mssql::Msg::kConnectionLimit, {std::to_string(context_.limits.max_connections)});
    ++active_;
    spid = next_spid_++;
    if (next_spid_ == 0) next_spid_ = 51;
  }
  std::thread([this, fd, spid, refusal] {
    {
      Session session(context_, fd, spid, refusal);
      session.Serve();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    --active_;
    finished_.notify_all();
  }).detach();
}

}  // namespace court::tds
