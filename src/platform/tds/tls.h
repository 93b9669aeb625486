// The server's TLS identity: its certificate and key, loaded once and shared
// by every connection. Without a certificate of the administrator's own the
// server makes a self-signed one (ECDSA P-256, ten years) in its root on
// first start and keeps using it.
//
// TLS 1.2 is the newest version offered: TDS 7 carries the handshake inside
// pre-login messages, and clients expect it to end with the server's
// Finished message, which TLS 1.3's session tickets would follow.

#ifndef COURT_PLATFORM_TDS_TLS_H_
#define COURT_PLATFORM_TDS_TLS_H_

#include <filesystem>
#include <stdexcept>
#include <string>

struct ssl_ctx_st;
struct bio_method_st;

namespace court::tds {

struct TlsError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// What carries handshake records while TLS starts: the connection's
// pre-login messages. The BIO of prelogin_transport() calls these; each
// returns false (after noting why) when the connection fails.
class HandshakeCarrier {
 public:
  virtual ~HandshakeCarrier() = default;
  // Up to size bytes of the client's records; 0 bytes only on failure.
  virtual std::size_t Receive(unsigned char* out, std::size_t size) = 0;
  virtual void Queue(const unsigned char* data, std::size_t size) = 0;
  virtual bool Flush() = 0;  // sends what was queued as one pre-login message
};

class TlsContext {
 public:
  // Loads a PEM certificate (chain) and its private key; throws TlsError
  // naming the file that is wrong.
  TlsContext(const std::filesystem::path& certificate, const std::filesystem::path& key);
  ~TlsContext();
  TlsContext(const TlsContext&) = delete;
  TlsContext& operator=(const TlsContext&) = delete;

  // The self-signed certificate and key in folder, made (key readable by
  // the owner only) unless both are there; true when they were made now.
  static bool EnsureSelfSigned(const std::filesystem::path& certificate, const std::filesystem::path& key,
                               const std::string& host_name);

  ssl_ctx_st* context() const { return context_; }
  // A BIO method whose BIO's data is a HandshakeCarrier*.
  bio_method_st* prelogin_transport() const { return transport_; }

 private:
  void Release();

  ssl_ctx_st* context_ = nullptr;
  bio_method_st* transport_ = nullptr;
};

}  // namespace court::tds

#endif  // COURT_PLATFORM_TDS_TLS_H_
