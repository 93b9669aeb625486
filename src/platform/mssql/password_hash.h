// How login passwords are kept: libsodium's Argon2id in its self-describing
// string form ("$argon2id$v=19$m=...,t=...,p=1$salt$hash"), so that each
// stored password carries its own salt and cost and old ones keep verifying
// when the cost changes. The cost (2 passes over 19 MiB) is the lower of the
// usual interactive settings: a login takes tens of milliseconds, not the
// better part of a second, and a stolen master.mdf still costs an attacker
// that much per guess.

#ifndef COURT_PLATFORM_MSSQL_PASSWORD_HASH_H_
#define COURT_PLATFORM_MSSQL_PASSWORD_HASH_H_

#include <string>

namespace court::mssql {

// A fresh salted hash of the password; throws when libsodium cannot work
// (out of memory).
std::string HashPassword(const std::string& password);

// True when the password is the one the stored hash was made from. A stored
// value that is no hash of ours (null, empty, from elsewhere) never matches.
bool VerifyPassword(const std::string& stored, const std::string& password);

// Servers made before passwords were hashed this way kept a 64-bit FNV-1a
// digest in decimal digits. Such a value is unsafe to keep: it verifies the
// password once, so that the caller can store a proper hash in its place.
bool IsLegacyDigest(const std::string& stored);
bool VerifyLegacyDigest(const std::string& stored, const std::string& password);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_PASSWORD_HASH_H_
