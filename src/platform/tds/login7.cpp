#include "platform/tds/login7.h"

namespace court::tds {

namespace {

// Passwords travel with each byte's halves swapped and then XORed with 0xA5.
std::string Unscramble(const unsigned char* data, std::size_t bytes) {
  Bytes plain(data, data + bytes);
  for (unsigned char& b : plain) {
    b ^= 0xA5;
    b = static_cast<unsigned char>(b << 4 | b >> 4);
  }
  return Utf16ToUtf8(plain.data(), plain.size());
}

}  // namespace

std::uint32_t AgreedVersion(std::uint32_t requested) {
  const std::uint32_t major = requested >> 24;
  if (major < 0x70 || major > 0x74) return 0;
  return major == 0x70 ? kTds70 : kTds71;
}

Login7 ParseLogin7(const Bytes& payload) {
  Reader in(payload);
  Login7 login;
  const std::uint32_t length = in.U32();
  if (length > payload.size() || length < 36 + 4 * 9)
    throw ProtocolError("login message length does not match its contents");
  login.tds_version = in.U32();
  login.packet_size = in.U32();
  in.Take(4 + 4 + 4);  // client version, process id, connection id
  in.U8();             // option flags 1
  const std::uint8_t flags2 = in.U8();
  login.integrated_security = (flags2 & 0x80) != 0;
  in.Take(1 + 1 + 4 + 4);  // type flags, option flags 3, time zone, locale
  // Each text is an (offset, length in characters) pair into the message.
  auto field = [&](bool password = false) {
    std::size_t offset = in.U16();
    std::size_t units = in.U16();
    if (offset + units * 2 > length) throw ProtocolError("login field lies beyond the message");
    const unsigned char* data = payload.data() + offset;
    return password ? Unscramble(data, units * 2) : Utf16ToUtf8(data, units * 2);
  };
  login.host = field();
  login.user = field();
  login.password = field(true);
  login.application = field();
  login.server = field();
  field();  // unused or extension
  login.library = field();
  login.language = field();
  login.database = field();
  return login;
}

}  // namespace court::tds
