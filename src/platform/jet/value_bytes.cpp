#include "platform/jet/value_bytes.h"

#include <cstring>

#include "platform/jet/ole_date.h"
#include "platform/text/utf8.h"

namespace court::jet {
namespace {

template <typename T>
ByteString LittleEndian(T value) {
  ByteString bytes(sizeof value);
  std::memcpy(bytes.data(), &value, sizeof value);  // this host is little-endian, like Jet
  return bytes;
}

}  // namespace

ByteString FixedBytes(ColumnType type, const access::Value& value) {
  switch (type) {
    case ColumnType::kByte: return LittleEndian(static_cast<std::uint8_t>(value.integer()));
    case ColumnType::kInteger: return LittleEndian(static_cast<std::int16_t>(value.integer()));
    case ColumnType::kLong: return LittleEndian(static_cast<std::int32_t>(value.integer()));
    case ColumnType::kCurrency: return LittleEndian(value.money().ten_thousandths);
    case ColumnType::kSingle: return LittleEndian(static_cast<float>(value.floating()));
    case ColumnType::kDouble: return LittleEndian(value.floating());
    case ColumnType::kDateTime: return LittleEndian(ToOleDate(value.date()));
    default: return {};
  }
}

ByteString Ucs2Bytes(std::string_view utf8) {
  ByteString bytes;
  for (char32_t c : text::DecodeUtf8(utf8)) AppendU16(bytes, c);  // checked to be in the BMP beforehand
  return bytes;
}

}  // namespace court::jet
