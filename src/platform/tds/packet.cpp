#include "platform/tds/packet.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/time.h>
#include <sys/socket.h>
#include <unistd.h>

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

namespace court::tds {

namespace {

// Packets are never longer than the largest size a client may negotiate.
constexpr std::size_t kMaxPacket = 32767;
// A client's handshake flight is a few kilobytes at most.
constexpr std::size_t kMaxHandshakeMessage = 64u << 10;

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

Channel::~Channel() {
  StopTls();
  ::close(fd_);
}

bool Channel::Buffered() const {
  return !unread_.empty() || (tls_ != nullptr && !handshaking_ && SSL_pending(tls_) > 0);
}

long Channel::ReadSome(unsigned char* out, std::size_t n) {
  if (!unread_.empty()) {
    const std::size_t k = std::min(n, unread_.size());
    std::copy(unread_.begin(), unread_.begin() + static_cast<std::ptrdiff_t>(k), out);
    unread_.erase(unread_.begin(), unread_.begin() + static_cast<std::ptrdiff_t>(k));
    return static_cast<long>(k);
  }
  if (tls_ != nullptr && !handshaking_) {
    const int r = SSL_read(tls_, out, static_cast<int>(std::min<std::size_t>(n, 1u << 30)));
    if (r > 0) return r;
    const int error = SSL_get_error(tls_, r);
    ERR_clear_error();
    return error == SSL_ERROR_ZERO_RETURN ? 0 : -1;
  }
  for (;;) {
    const ssize_t r = ::recv(fd_, out, n, MSG_DONTWAIT);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return kNothingYet;
    return static_cast<long>(r);
  }
}

void Channel::WaitReadable() {
  pollfd p{fd_, POLLIN, 0};
  int ready;
  do ready = ::poll(&p, 1, io_timeout_ms_);
  while (ready < 0 && errno == EINTR);
  if (ready == 0) throw ProtocolError("the client sent nothing for too long in the middle of a message");
}

bool Channel::ReadFully(unsigned char* out, std::size_t n, bool first) {
  std::size_t got = 0;
  while (got < n) {
    // Most pieces are there already: a plain socket is read without waiting
    // first; a TLS session waits unless its records hold bytes already.
    if (tls_ != nullptr && !handshaking_ && !Buffered()) WaitReadable();
    const long r = ReadSome(out + got, n - got);
    if (r == kNothingYet) {
      WaitReadable();
      continue;
    }
    if (r <= 0 && first && got == 0) return false;  // closed or reset between messages
    if (r <= 0) throw ProtocolError("the client closed the connection in the middle of a message");
    got += static_cast<std::size_t>(r);
  }
  return true;
}

Channel::Wait Channel::Read(Message& message, std::size_t max_message, int wait_ms) {
  while (!Buffered()) {
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
  if (tls_ != nullptr && !handshaking_) {
    if (n > 0 && SSL_write(tls_, data, static_cast<int>(n)) <= 0) {
      ERR_clear_error();
      throw ProtocolError("the client went away while the server replied");
    }
    return;
  }
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
  if (tls_ != nullptr) return CancelRequestedInTls();
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

// Reads ahead (into unread_) far enough to see the next packet's header.
bool Channel::CancelRequestedInTls() {
  while (unread_.size() < kHeaderSize) {
    if (SSL_pending(tls_) == 0) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 0) <= 0) return false;
    }
    unsigned char more[kHeaderSize];
    const int r = SSL_read(tls_, more, static_cast<int>(kHeaderSize - unread_.size()));
    if (r <= 0) {
      ERR_clear_error();
      return true;  // gone or broken: nobody waits for the rest
    }
    unread_.insert(unread_.end(), more, more + r);
  }
  if (unread_[0] != kAttention) return false;
  const std::size_t length = static_cast<std::size_t>(unread_[2] << 8 | unread_[3]);
  unread_.clear();
  if (length < kHeaderSize || length > kMaxPacket) return true;
  unsigned char discard[kMaxPacket];
  ReadFully(discard, length - kHeaderSize, false);
  return true;
}

void Channel::StartTls(const TlsContext& tls, Bytes first_records) {
  tls_ = SSL_new(tls.context());
  BIO* carrier = BIO_new(tls.prelogin_transport());
  if (tls_ == nullptr || carrier == nullptr) {
    if (carrier != nullptr) BIO_free(carrier);
    StopTls();
    throw ProtocolError("cannot start TLS (out of memory)");
  }
  BIO_set_data(carrier, static_cast<HandshakeCarrier*>(this));
  SSL_set_bio(tls_, carrier, carrier);
  handshake_in_ = std::move(first_records);
  handshake_at_ = 0;
  handshaking_ = true;
  const int accepted = SSL_accept(tls_);
  handshaking_ = false;
  if (accepted != 1) {
    char reason[256] = "";
    ERR_error_string_n(ERR_get_error(), reason, sizeof reason);
    ERR_clear_error();
    const std::string why = handshake_error_.empty() ? std::string("TLS handshake failed: ") + reason : handshake_error_;
    StopTls();
    throw ProtocolError(why);
  }
  handshake_in_.clear();
  // OpenSSL reads and writes whole records on the blocking socket; a client
  // that stalls inside one must not hold its connection (or a stopping
  // server) forever.
  timeval limit{io_timeout_ms_ / 1000, (io_timeout_ms_ % 1000) * 1000};
  ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  ::setsockopt(fd_, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  BIO* socket = BIO_new_socket(fd_, BIO_NOCLOSE);
  SSL_set_bio(tls_, socket, socket);
}

void Channel::StopTls() {
  if (tls_ != nullptr) SSL_free(tls_);
  tls_ = nullptr;
  unread_.clear();
}

std::size_t Channel::Receive(unsigned char* out, std::size_t size) {
  while (handshake_at_ == handshake_in_.size()) {
    Message message;
    try {
      if (Read(message, kMaxHandshakeMessage, io_timeout_ms_) != Wait::kMessage) {
        handshake_error_ = "the client left during the TLS handshake";
        return 0;
      }
    } catch (const ProtocolError& e) {
      handshake_error_ = e.what();
      return 0;
    }
    if (message.type != kPrelogin) {
      handshake_error_ = "the client sent another message in the middle of the TLS handshake";
      return 0;
    }
    handshake_in_ = std::move(message.payload);
    handshake_at_ = 0;
  }
  const std::size_t k = std::min(size, handshake_in_.size() - handshake_at_);
  std::copy_n(handshake_in_.begin() + static_cast<std::ptrdiff_t>(handshake_at_), k, out);
  handshake_at_ += k;
  return k;
}

void Channel::Queue(const unsigned char* data, std::size_t size) {
  handshake_out_.insert(handshake_out_.end(), data, data + size);
}

bool Channel::Flush() {
  if (handshake_out_.empty()) return true;
  try {
    Send(kPrelogin, handshake_out_);
  } catch (const ProtocolError& e) {
    handshake_error_ = e.what();
    return false;
  }
  handshake_out_.clear();
  return true;
}

}  // namespace court::tds
