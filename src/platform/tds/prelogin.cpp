#include "platform/tds/prelogin.h"

#include <vector>

namespace court::tds {

namespace {

enum Option : std::uint8_t { kVersion = 0, kEncryption = 1, kInstance = 2, kThreadId = 3, kMars = 4, kTerminator = 0xFF };

}  // namespace

std::uint8_t AgreedEncryption(std::uint8_t client, bool required) {
  if (client == kEncryptOn || client == kEncryptRequired) return kEncryptOn;
  if (required) return kEncryptRequired;
  return client == kEncryptOff ? kEncryptOff : kEncryptNotSupported;
}

Prelogin ParsePrelogin(const Bytes& payload) {
  Prelogin result;
  Reader in(payload);
  for (;;) {
    std::uint8_t option = in.U8();
    if (option == kTerminator) break;
    std::uint16_t offset = in.U16Be();
    std::uint16_t length = in.U16Be();
    if (static_cast<std::size_t>(offset) + length > payload.size())
      throw ProtocolError("pre-login option lies beyond the message");
    if (option == kEncryption && length >= 1) result.encryption = payload[offset];
  }
  return result;
}

Bytes PreloginReply(std::uint8_t encryption) {
  struct Entry {
    std::uint8_t option;
    std::vector<unsigned char> data;
  };
  const std::vector<Entry> entries = {
      {kVersion, {8, 0, 0x07, 0xF7, 0, 0}},  // 8.0.2039
      {kEncryption, {encryption}},
      {kInstance, {0}},
      {kThreadId, {}},
      {kMars, {0}},
  };
  Bytes out;
  Writer w(out);
  std::uint16_t offset = static_cast<std::uint16_t>(entries.size() * 5 + 1);
  for (const Entry& e : entries) {
    w.U8(e.option);
    w.U16Be(offset);
    w.U16Be(static_cast<std::uint16_t>(e.data.size()));
    offset = static_cast<std::uint16_t>(offset + e.data.size());
  }
  w.U8(kTerminator);
  for (const Entry& e : entries) w.Raw(e.data.data(), e.data.size());
  return out;
}

}  // namespace court::tds
