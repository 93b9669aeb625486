#include "platform/tds/tls.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <sys/stat.h>

#include <cstdio>
#include <memory>

namespace court::tds {

namespace {

std::string OpenSslReason() {
  char text[256] = "unknown reason";
  if (unsigned long code = ERR_get_error()) ERR_error_string_n(code, text, sizeof text);
  ERR_clear_error();
  return text;
}

HandshakeCarrier* Carrier(BIO* bio) { return static_cast<HandshakeCarrier*>(BIO_get_data(bio)); }

int CarrierRead(BIO* bio, char* out, int size) {
  if (size <= 0) return 0;
  const std::size_t got = Carrier(bio)->Receive(reinterpret_cast<unsigned char*>(out), static_cast<std::size_t>(size));
  return got == 0 ? -1 : static_cast<int>(got);
}

int CarrierWrite(BIO* bio, const char* data, int size) {
  Carrier(bio)->Queue(reinterpret_cast<const unsigned char*>(data), static_cast<std::size_t>(size));
  return size;
}

long CarrierControl(BIO* bio, int command, long, void*) {
  if (command == BIO_CTRL_FLUSH) return Carrier(bio)->Flush() ? 1 : 0;
  return command == BIO_CTRL_PUSH || command == BIO_CTRL_POP ? 0 : command == BIO_CTRL_DUP ? 1 : 0;
}

int CarrierCreate(BIO* bio) {
  BIO_set_init(bio, 1);
  return 1;
}

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

}  // namespace

TlsContext::TlsContext(const std::filesystem::path& certificate, const std::filesystem::path& key) {
  context_ = SSL_CTX_new(TLS_server_method());
  transport_ = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "TDS pre-login");
  if (context_ == nullptr || transport_ == nullptr) throw TlsError("cannot set up TLS: " + OpenSslReason());
  BIO_meth_set_read(transport_, CarrierRead);
  BIO_meth_set_write(transport_, CarrierWrite);
  BIO_meth_set_ctrl(transport_, CarrierControl);
  BIO_meth_set_create(transport_, CarrierCreate);
  SSL_CTX_set_min_proto_version(context_, TLS1_2_VERSION);
  SSL_CTX_set_max_proto_version(context_, TLS1_2_VERSION);
  if (SSL_CTX_use_certificate_chain_file(context_, certificate.c_str()) != 1) {
    const std::string why = OpenSslReason();
    Release();
    throw TlsError("cannot use the certificate " + certificate.string() + ": " + why);
  }
  if (SSL_CTX_use_PrivateKey_file(context_, key.c_str(), SSL_FILETYPE_PEM) != 1 ||
      SSL_CTX_check_private_key(context_) != 1) {
    const std::string why = OpenSslReason();
    Release();
    throw TlsError("cannot use the private key " + key.string() + " with that certificate: " + why);
  }
}

TlsContext::~TlsContext() { Release(); }

void TlsContext::Release() {
  if (context_ != nullptr) SSL_CTX_free(context_);
  if (transport_ != nullptr) BIO_meth_free(transport_);
  context_ = nullptr;
  transport_ = nullptr;
}

bool TlsContext::EnsureSelfSigned(const std::filesystem::path& certificate, const std::filesystem::path& key,
                                  const std::string& host_name) {
  if (std::filesystem::exists(certificate) && std::filesystem::exists(key)) return false;
  std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> pkey(EVP_EC_gen("P-256"), EVP_PKEY_free);
  std::unique_ptr<X509, decltype(&X509_free)> x509(X509_new(), X509_free);
  if (!pkey || !x509) throw TlsError("cannot make a key: " + OpenSslReason());
  X509_set_version(x509.get(), 2);
  unsigned char serial[16];
  std::FILE* random = std::fopen("/dev/urandom", "rb");
  if (random == nullptr || std::fread(serial, 1, sizeof serial, random) != sizeof serial)
    throw TlsError("cannot read /dev/urandom");
  std::fclose(random);
  serial[0] &= 0x7F;
  std::unique_ptr<BIGNUM, decltype(&BN_free)> number(BN_bin2bn(serial, sizeof serial, nullptr), BN_free);
  BN_to_ASN1_INTEGER(number.get(), X509_get_serialNumber(x509.get()));
  X509_gmtime_adj(X509_getm_notBefore(x509.get()), -3600);
  X509_gmtime_adj(X509_getm_notAfter(x509.get()), 10L * 365 * 24 * 3600);
  X509_set_pubkey(x509.get(), pkey.get());
  X509_NAME* name = X509_get_subject_name(x509.get());
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(host_name.c_str()),
                             -1, -1, 0);
  X509_set_issuer_name(x509.get(), name);
  if (X509_sign(x509.get(), pkey.get(), EVP_sha256()) == 0) throw TlsError("cannot sign: " + OpenSslReason());
  std::filesystem::create_directories(key.parent_path());
  const std::filesystem::path key_new = key.string() + ".new", certificate_new = certificate.string() + ".new";
  {
    const mode_t old_mask = ::umask(077);
    File out(std::fopen(key_new.c_str(), "wb"));
    ::umask(old_mask);
    if (!out || PEM_write_PrivateKey(out.get(), pkey.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1)
      throw TlsError("cannot write " + key_new.string());
  }
  {
    File out(std::fopen(certificate_new.c_str(), "wb"));
    if (!out || PEM_write_X509(out.get(), x509.get()) != 1) throw TlsError("cannot write " + certificate_new.string());
  }
  std::filesystem::rename(key_new, key);
  std::filesystem::rename(certificate_new, certificate);
  return true;
}

}  // namespace court::tds
