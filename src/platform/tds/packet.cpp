#include "platform/tds/packet.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

namespace court::tds {

namespace {

// Packets are never longer than the largest size a client may negotiate.
constexpr std::size_t kMaxPacket = 32767;

}  // namespace

Channel::Channel(int fd, int stop_fd, std::uint16_t spid) : fd_(fd), stop_fd_(stop_fd), spid_(spid) {
  sockaddr_storage address{};
  socklen_t length = sizeof address;
  if (getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    char host[INET6_ADDRSTRLEN] = "?";
    int port = 0;
    if (address.ss_family == AF_INET) {
      auto* in = reinterpret_cast<sockaddr_in*>(&address);
      inet_ntop(AF_INET, &in->sin_addr, host, sizeof host);
      port = ntohs(in->sin_port);
    } else if (address.ss_family == AF_INET6) {
      auto* in = reinterpret_cast<sockaddr_in6*>(&address);
      inet_ntop(AF_INET6, &in->sin6_addr, host, sizeof host);
      port = ntohs(in->sin6_port);
    }
    std::snprintf(peer_, sizeof peer_, "%s:%d", host, port);
  }
}

Channel::~Channel() { ::close(fd_); }

bool Channel::ReadFully(unsigned char* out, std::size_t n, bool first) {
  std::size_t got = 0;
  while (got < n) {
    // Most pieces are there already: wait only when they are not.
    ssize_t r = ::recv(fd_, out + got, n - got, MSG_DONTWAIT);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, io_timeout_ms_) == 0)
        throw ProtocolError("the client sent nothing for too long in the middle of a message");
      continue;
    }
    if (r <= 0 && first && got == 0) return false;  // closed or reset between messages
    if (r <= 0) throw ProtocolError("the client closed the connection in the middle of a message");
    got += static_cast<std::size_t>(r);
  }
  return true;
}

Channel::Wait Channel::Read(Message& message, std::size_t max_message, int wait_ms) {
  for (;;) {
    pollfd p[2] = {{fd_, POLLIN, 0}, {stop_fd_, POLLIN, 0}};
    int ready = ::poll(p, 2, wait_ms);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) throw ProtocolError("cannot wait for the client");
    if (ready == 0) throw ProtocolError("the client did not log in in time");
    if (p[0].revents != 0) break;
    if (p[1].revents != 0) return Wait::kStopping;
  }
  message.payload.clear();
  bool too_large = false;
  for (bool first = true;; first = false) {
    unsigned char header[kHeaderSize];
    if (!ReadFully(header, kHeaderSize, first)) return Wait::kClosed;
    const std::size_t length = static_cast<std::size_t>(header[2] << 8 | header[3]);
    if (length < kHeaderSize || length > kMaxPacket)
      throw ProtocolError("packet length " + std::to_string(length) + " is out of range");
    if (first) message.type = header[0];
    else if (header[0] != message.type) throw ProtocolError("packet type changed inside a message");
    const std::size_t body = length - kHeaderSize;
    const std::size_t at = message.payload.size();
    if (!too_large && at + body > max_message) {
      too_large = true;
      message.payload.clear();
      message.payload.shrink_to_fit();
    }
    if (too_large) {
      unsigned char discard[kMaxPacket];
      ReadFully(discard, body, false);
    } else {
      message.payload.resize(at + body);
      ReadFully(message.payload.data() + at, body, false);
    }
    if (header[1] & kEndOfMessage) break;
  }
  return too_large ? Wait::kTooLarge : Wait::kMessage;
}

void Channel::WriteFully(const unsigned char* data, std::size_t n) {
  while (n > 0) {
    ssize_t w = ::send(fd_, data, n, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (w < 0 && errno == EINTR) continue;
    if (w < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd p{fd_, POLLOUT, 0};
      if (::poll(&p, 1, io_timeout_ms_) == 0) throw ProtocolError("the client stopped reading the server's reply");
      continue;
    }
    if (w <= 0) throw ProtocolError("the client went away while the server replied");
    data += w;
    n -= static_cast<std::size_t>(w);
  }
}

void Channel::Send(std::uint8_t type, const Bytes& payload) {
  const std::size_t chunk = packet_size_ - kHeaderSize;
  Bytes& packet = outgoing_;
  std::uint8_t sequence = 1;
  std::size_t at = 0;
  do {
    const std::size_t body = std::min(chunk, payload.size() - at);
    const bool last = at + body == payload.size();
    const std::size_t length = body + kHeaderSize;
    packet.assign({type, static_cast<unsigned char>(last ? kEndOfMessage : 0),
                   static_cast<unsigned char>(length >> 8), static_cast<unsigned char>(length),
                   static_cast<unsigned char>(spid_ >> 8), static_cast<unsigned char>(spid_), sequence++, 0});
    packet.insert(packet.end(), payload.begin() + static_cast<std::ptrdiff_t>(at),
                  payload.begin() + static_cast<std::ptrdiff_t>(at + body));
    WriteFully(packet.data(), packet.size());
    at += body;
  } while (at < payload.size());
}

bool Channel::CancelRequested() {
  pollfd p{fd_, POLLIN, 0};
  if (::poll(&p, 1, 0) <= 0) return false;
  unsigned char header[kHeaderSize];
  ssize_t r = ::recv(fd_, header, sizeof header, MSG_PEEK | MSG_DONTWAIT);
  if (r == 0) return true;  // the client is gone: nobody waits for the rest
  if (r < static_cast<ssize_t>(kHeaderSize) || header[0] != kAttention) return false;
  const std::size_t length = static_cast<std::size_t>(header[2] << 8 | header[3]);
  unsigned char discard[kMaxPacket];
  if (length < kHeaderSize || length > kMaxPacket) return true;
  ReadFully(discard, length, false);
  return true;
}

}  // namespace court::tds
