#include "platform/mssql/password_hash.h"

#include <sodium.h>

#include <cstdint>
#include <stdexcept>

#include "platform/text/fnv.h"

namespace court::mssql {

namespace {

constexpr unsigned long long kPasses = 2;
constexpr std::size_t kMemory = 19u << 20;

void Initialize() {
  if (sodium_init() < 0) throw std::runtime_error("libsodium cannot be initialised");
}

}  // namespace

std::string HashPassword(const std::string& password) {
  Initialize();
  char out[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str_alg(out, password.data(), password.size(), kPasses, kMemory,
                            crypto_pwhash_ALG_ARGON2ID13) != 0)
    throw std::runtime_error("not enough memory to hash a password");
  return out;
}

bool VerifyPassword(const std::string& stored, const std::string& password) {
  Initialize();
  if (stored.rfind("$argon2", 0) != 0 || stored.size() >= crypto_pwhash_STRBYTES) return false;
  return crypto_pwhash_str_verify(stored.c_str(), password.data(), password.size()) == 0;
}

bool IsLegacyDigest(const std::string& stored) {
  return !stored.empty() && stored.size() <= 20 && stored.find_first_not_of("0123456789") == std::string::npos;
}

bool VerifyLegacyDigest(const std::string& stored, const std::string& password) {
  const std::string expected = std::to_string(text::Fnv1a(password, text::kShortFnvOffsetBasis));
  return stored.size() == expected.size() && sodium_memcmp(stored.data(), expected.data(), stored.size()) == 0;
}

}  // namespace court::mssql
