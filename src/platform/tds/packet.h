// TDS packets: an 8-byte header (type, status, big-endian length, server
// process id, sequence number, window) before each piece of a message; the
// last piece carries the end-of-message status.

#ifndef COURT_PLATFORM_TDS_PACKET_H_
#define COURT_PLATFORM_TDS_PACKET_H_

#include <cstddef>
#include <cstdint>

#include "platform/tds/tls.h"
#include "platform/tds/wire.h"

struct ssl_st;

namespace court::tds {

enum PacketType : std::uint8_t {
  kSqlBatch = 1,
  kRpc = 3,
  kReply = 4,
  kAttention = 6,
  kTransaction = 14,
  kLogin7 = 16,
  kPrelogin = 18,
};

inline constexpr std::size_t kHeaderSize = 8;
inline constexpr std::uint8_t kEndOfMessage = 0x01;

struct Message {
  std::uint8_t type = 0;
  Bytes payload;
};

// One client's socket as a stream of messages, in the clear or through
// TLS. The socket stays open until the channel is destroyed.
class Channel : private HandshakeCarrier {
 public:
  // stop_fd: becomes readable when the server shuts down.
  Channel(int fd, int stop_fd, std::uint16_t spid);
  ~Channel();
  Channel(const Channel&) = delete;
  Channel& operator=(const Channel&) = delete;

  enum class Wait { kMessage, kClosed, kStopping, kTooLarge };
  // Waits for the next message and reads it whole. Once its first byte has
  // come, each further piece must come within io_timeout_ms. A message over
  // max_message bytes is read to its end and dropped (kTooLarge, with its
  // type in message.type). Throws ProtocolError for a malformed packet, a
  // client that stalls, or no message within wait_ms (-1: no limit).
  Wait Read(Message& message, std::size_t max_message, int wait_ms = -1);
  // Sends a message in packets of the negotiated size.
  void Send(std::uint8_t type, const Bytes& payload);
  // True when the client has asked to cancel (an attention packet is waiting,
  // which this consumes) or has gone away. Never blocks.
  bool CancelRequested();

  // Encrypts the connection: the TLS handshake travels in pre-login
  // messages, everything after it in TLS records. Throws ProtocolError
  // when the handshake fails.
  // first_records: the client's first handshake message, already read.
  void StartTls(const TlsContext& tls, Bytes first_records);
  // Back to the clear (after a login that the client encrypted alone).
  void StopTls();
  bool encrypted() const { return tls_ != nullptr; }

  void set_packet_size(std::size_t size) { packet_size_ = size; }
  std::size_t packet_size() const { return packet_size_; }
  void set_io_timeout_ms(int ms) { io_timeout_ms_ = ms; }
  // The peer's address, for messages.
  const char* peer() const { return peer_; }

 private:
  // Reads exactly n bytes; false when the client closed before the first.
  bool ReadFully(unsigned char* out, std::size_t n, bool first);
  void WriteFully(const unsigned char* data, std::size_t n);
  // Some bytes of the message: from the look-ahead, the TLS session or the
  // socket; 0 when the peer closed, below 0 on failure, kNothingYet when a
  // plain socket has nothing at the moment.
  static constexpr long kNothingYet = -2;
  long ReadSome(unsigned char* out, std::size_t n);
  void WaitReadable();  // throws when the client stays silent too long
  bool Buffered() const;  // bytes are waiting that the socket no longer shows
  bool CancelRequestedInTls();

  std::size_t Receive(unsigned char* out, std::size_t size) override;
  void Queue(const unsigned char* data, std::size_t size) override;
  bool Flush() override;

  int fd_;
  int stop_fd_;
  std::uint16_t spid_;
  std::size_t packet_size_ = 4096;
  int io_timeout_ms_ = 30000;
  char peer_[64] = "?";
  Bytes outgoing_;  // the packet being sent, kept to spare an allocation per reply
  ssl_st* tls_ = nullptr;
  bool handshaking_ = false;
  Bytes handshake_in_, handshake_out_;  // pre-login payloads while TLS starts
  std::size_t handshake_at_ = 0;
  std::string handshake_error_;
  Bytes unread_;  // read ahead of the message reader (looking for an attention)
};

}  // namespace court::tds

#endif  // COURT_PLATFORM_TDS_PACKET_H_
