#include "platform/tds/types.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>

#include "platform/access/error.h"
#include "platform/mssql/convert.h"
#include "platform/mssql/datetime_text.h"
#include "platform/mssql/exact_number.h"
#include "platform/text/hex.h"

namespace court::tds {

namespace {

using access::Value;
using access::ValueType;
using mssql::SqlType;
using mssql::TypeFamily;
using mssql::TypeId;

constexpr std::uint32_t kMaxShortLength = 8000;
constexpr std::uint32_t kLargeLength = 0x7FFFFFFF;

bool IsShortText(std::uint8_t code) {
  return code == kBigVarChar || code == kBigChar || code == kNVarChar || code == kNChar;
}
bool IsShortBinary(std::uint8_t code) { return code == kBigVarBinary || code == kBigBinary; }
bool IsLarge(std::uint8_t code) { return code == kText || code == kNText || code == kImage; }
bool IsUnicode(std::uint8_t code) { return code == kNVarChar || code == kNChar || code == kNText; }
bool IsDecimal(std::uint8_t code) {
  return code == kDecimalN || code == kNumericN || code == kDecimalOld || code == kNumericOld;
}

// The length in bytes of a fixed-length type, or -1.
int FixedLength(std::uint8_t code) {
  switch (code) {
    case kNullType: return 0;
    case kInt1: case kBit: return 1;
    case kInt2: return 2;
    case kInt4: case kDateTime4: case kFloat4: case kMoney4: return 4;
    case kInt8: case kMoney: case kDateTime: case kFloat8: return 8;
    default: return -1;
  }
}

std::uint8_t DecimalLength(int precision) {
  return precision <= 9 ? 5 : precision <= 19 ? 9 : precision <= 28 ? 13 : 17;
}

double NumberOf(const Value& v) {
  switch (v.type()) {
    case ValueType::kInteger: return static_cast<double>(v.integer());
    case ValueType::kFloat: return v.floating();
    case ValueType::kCurrency: return static_cast<double>(v.money().ten_thousandths) / 10000.0;
    case ValueType::kDecimal: return mssql::DoubleOfUnits(v.decimal().units, v.decimal().scale);
    case ValueType::kBoolean: return v.boolean() ? 1 : 0;
    case ValueType::kText: return std::strtod(v.text().c_str(), nullptr);
    default: return 0;
  }
}

std::int64_t IntegerOf(const Value& v) {
  if (v.type() == ValueType::kInteger) return v.integer();
  if (v.type() == ValueType::kText) return std::strtoll(v.text().c_str(), nullptr, 10);
  return std::llround(NumberOf(v));
}

std::string TextOf(const Value& v) { return v.type() == ValueType::kText ? v.text() : v.ToText(); }

access::DateTime DateOf(const Value& v) {
  if (v.type() == ValueType::kDateTime) return v.date();
  try {
    return mssql::ParseDateTime(TextOf(v), mssql::DateOrder::kYmd);
  } catch (const access::Error&) {
    return access::DateTime{};
  }
}

// 16 bytes of a GUID's text form, or nothing when it is none.
std::optional<Bytes> GuidBytes(const std::string& text) {
  std::string hex;
  for (char c : text)
    if (c != '-' && c != '{' && c != '}') hex += c;
  std::optional<Bytes> bytes = text::FromHex(hex);
  if (hex.size() != 32 || !bytes) return std::nullopt;
  Bytes& b = *bytes;
  // The first three groups are little-endian numbers.
  std::reverse(b.begin(), b.begin() + 4);
  std::reverse(b.begin() + 4, b.begin() + 6);
  std::reverse(b.begin() + 6, b.begin() + 8);
  return bytes;
}

std::string GuidText(const unsigned char* p) {
  const int order[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  std::string out;
  for (int i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) out += '-';
    text::AppendHex(p[order[i]], out);
  }
  return out;
}

WireType FromSqlType(const SqlType& t) {
  const std::uint32_t length = static_cast<std::uint32_t>(std::max(t.length, 0));
  switch (t.family) {
    case TypeFamily::kInteger: return {kIntN, length ? length : 4};
    case TypeFamily::kBit: return {kBitN, 1};
    case TypeFamily::kFloat: return {kFloatN, t.id == TypeId::kReal ? 4u : 8u};
    case TypeFamily::kMoney: return {kMoneyN, t.id == TypeId::kSmallmoney ? 4u : 8u};
    case TypeFamily::kDateTime: return {kDateTimeN, t.id == TypeId::kSmalldatetime ? 4u : 8u};
    case TypeFamily::kDecimal: {
      const int precision = t.precision > 0 ? std::min(t.precision, 38) : 18;
      return {t.id == TypeId::kNumeric ? kNumericN : kDecimalN, DecimalLength(precision),
              static_cast<std::uint8_t>(precision), static_cast<std::uint8_t>(std::clamp(t.scale, 0, precision))};
    }
    case TypeFamily::kChar:
      if (t.large) return {t.unicode ? kNText : kText, kLargeLength};
      return {t.unicode ? (t.fixed ? kNChar : kNVarChar) : (t.fixed ? kBigChar : kBigVarChar), length};
    case TypeFamily::kBinary:
      if (t.large) return {kImage, kLargeLength};
      return {t.fixed || t.id == TypeId::kTimestamp ? kBigBinary : kBigVarBinary, length};
    default:
      if (t.id == TypeId::kUniqueidentifier) return {kGuid, 16};
      return {kNVarChar, 0};
  }
}

// The largest scale among a column's decimal values.
int ValueScale(const access::ResultSet& result, std::size_t column) {
  int scale = 0;
  for (const access::Row& row : result.rows)
    if (row[column].type() == ValueType::kDecimal) scale = std::max(scale, row[column].decimal().scale);
  return scale;
}

WireType FromValues(const access::ResultSet& result, std::size_t column) {
  switch (result.columns[column].type) {
    case ValueType::kInteger: {
      for (const access::Row& row : result.rows) {
        const Value& v = row[column];
        if (v.type() == ValueType::kInteger &&
            (v.integer() > std::numeric_limits<std::int32_t>::max() ||
             v.integer() < std::numeric_limits<std::int32_t>::min()))
          return {kIntN, 8};
      }
      return {kIntN, 4};
    }
    case ValueType::kFloat: return {kFloatN, 8};
    case ValueType::kCurrency: return {kMoneyN, 8};
    case ValueType::kDecimal: {
      const auto scale = static_cast<std::uint8_t>(std::clamp(ValueScale(result, column), 0, 38));
      return {kDecimalN, DecimalLength(38), 38, scale};
    }
    case ValueType::kDateTime: return {kDateTimeN, 8};
    case ValueType::kBoolean: return {kBitN, 1};
    case ValueType::kBinary: return {kBigVarBinary, 1};
    case ValueType::kText: return {kNVarChar, 2};
    default: return {kIntN, 4};
  }
}

// Bytes the value takes as this text or binary type.
std::size_t EncodedSize(std::uint8_t code, const Value& v, const CodePage& code_page) {
  if (v.is_null()) return 0;
  if (v.type() == ValueType::kBinary) return v.binary().size();
  if (IsUnicode(code)) {
    Bytes units;
    return AppendUtf16(TextOf(v), units) * 2;
  }
  if (code == kBigVarBinary || code == kBigBinary || code == kImage) return TextOf(v).size();
  return code_page.Encode(TextOf(v)).size();
}

// Text and binary columns grow to their longest value; past 8000 bytes
// they become text, ntext or image.
void Widen(WireType& t, const access::ResultSet& result, std::size_t column, const CodePage& code_page) {
  if (!IsShortText(t.code) && !IsShortBinary(t.code)) return;
  std::size_t longest = 0;
  for (const access::Row& row : result.rows) longest = std::max(longest, EncodedSize(t.code, row[column], code_page));
  if (longest > kMaxShortLength) {
    t = {IsShortBinary(t.code) ? kImage : IsUnicode(t.code) ? kNText : kText, kLargeLength};
    return;
  }
  if (longest > t.length) {
    if (t.code == kBigChar) t.code = kBigVarChar;
    if (t.code == kNChar) t.code = kNVarChar;
    if (t.code == kBigBinary) t.code = kBigVarBinary;
    t.length = static_cast<std::uint32_t>(longest);
  }
  if (IsUnicode(t.code)) t.length = std::max<std::uint32_t>(2, (t.length + 1) / 2 * 2);
  t.length = std::clamp<std::uint32_t>(t.length, 1, kMaxShortLength);
}

void WriteInteger(Writer& out, std::int64_t v, std::uint32_t bytes) {
  for (std::uint32_t i = 0; i < bytes; ++i) out.U8(static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) >> (8 * i)));
}

// The value as units of the type's scale: exact from currency and
// decimals, by its decimal text from anything else.
void WriteDecimal(Writer& out, const WireType& t, const Value& v) {
  std::optional<std::int64_t> units;
  if (v.type() == ValueType::kDecimal) units = mssql::Rescale(v.decimal().units, v.decimal().scale, t.scale);
  if (v.type() == ValueType::kCurrency) units = mssql::Rescale(v.money().ten_thousandths, 4, t.scale);
  bool negative = false;
  unsigned __int128 magnitude = 0;
  if (units) {
    negative = *units < 0;
    magnitude = negative ? 0 - static_cast<unsigned __int128>(*units) : static_cast<unsigned __int128>(*units);
  } else {
    char buffer[512];
    if (v.type() == ValueType::kText)
      std::snprintf(buffer, sizeof buffer, "%.*Lf", t.scale, std::strtold(v.text().c_str(), nullptr));
    else
      std::snprintf(buffer, sizeof buffer, "%.*f", t.scale, NumberOf(v));
    const std::string text = buffer;
    negative = text.starts_with('-');
    for (char c : text)
      if (c >= '0' && c <= '9') magnitude = magnitude * 10 + static_cast<unsigned>(c - '0');
  }
  out.U8(static_cast<std::uint8_t>(t.length));
  out.U8(negative && magnitude != 0 ? 0 : 1);
  for (std::uint32_t i = 0; i + 1 < t.length; ++i) out.U8(static_cast<std::uint8_t>(magnitude >> (8 * i)));
}

void WriteFloat(Writer& out, const WireType& t, const Value& v) {
  out.U8(static_cast<std::uint8_t>(t.length));
  if (t.length == 4) {
    float f = static_cast<float>(NumberOf(v));
    out.Raw(&f, 4);
  } else {
    double d = NumberOf(v);
    out.Raw(&d, 8);
  }
}

// Ten-thousandths; the 8-byte form sends its high half first.
void WriteMoney(Writer& out, const WireType& t, const Value& v) {
  const std::int64_t units =
      v.type() == ValueType::kCurrency ? v.money().ten_thousandths : std::llround(NumberOf(v) * 10000.0);
  out.U8(static_cast<std::uint8_t>(t.length));
  if (t.length == 4) {
    out.U32(static_cast<std::uint32_t>(static_cast<std::int32_t>(units)));
  } else {
    out.U32(static_cast<std::uint32_t>(static_cast<std::uint64_t>(units) >> 32));
    out.U32(static_cast<std::uint32_t>(units));
  }
}

void WriteDate(Writer& out, const WireType& t, const Value& v) {
  const access::DateTime d = DateOf(v);
  const std::int64_t days = mssql::DaysSince1900(d);
  const std::int64_t ms = ((d.hour * 60LL + d.minute) * 60 + d.second) * 1000 + d.millisecond;
  out.U8(static_cast<std::uint8_t>(t.length));
  if (t.length == 4) {
    out.U16(static_cast<std::uint16_t>(days));
    out.U16(static_cast<std::uint16_t>(ms / 60000));
  } else {
    out.U32(static_cast<std::uint32_t>(static_cast<std::int32_t>(days)));
    out.U32(static_cast<std::uint32_t>(std::llround(static_cast<double>(ms) * 0.3)));
  }
}

// Text, ntext and image values carry a text pointer and timestamp first.
void WriteLarge(Writer& out, const std::string& data) {
  static constexpr unsigned char kTextPointer[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  out.U8(16);
  out.Raw(kTextPointer, sizeof kTextPointer);
  out.U64(0);
  out.U32(static_cast<std::uint32_t>(data.size()));
  out.Raw(data);
}

std::string BinaryOf(const Value& v) {
  if (v.type() != ValueType::kBinary) return TextOf(v);
  return std::string(v.binary().begin(), v.binary().end());
}

std::string Utf16Of(const Value& v) {
  Bytes units;
  AppendUtf16(TextOf(v), units);
  return std::string(units.begin(), units.end());
}

// The bytes of a text or binary value as the type carries them.
std::string Payload(const WireType& t, const Value& v, const CodePage& code_page) {
  std::string data;
  if (t.code == kImage || IsShortBinary(t.code)) data = BinaryOf(v);
  else if (IsUnicode(t.code)) data = Utf16Of(v);
  else data = code_page.Encode(TextOf(v));
  if (t.code == kBigChar || t.code == kNChar || t.code == kBigBinary) {
    const char pad = t.code == kBigBinary ? '\0' : ' ';
    while (data.size() < t.length) {
      data += pad;
      if (t.code == kNChar) data += '\0';
    }
  }
  return data;
}

}  // namespace

WireType ColumnWireType(const std::optional<SqlType>& declared, const access::ResultSet& result,
                        std::size_t column, const CodePage& code_page) {
  WireType t = declared ? FromSqlType(*declared) : FromValues(result, column);
  if (t.code == kGuid) {
    for (const access::Row& row : result.rows)
      if (!row[column].is_null() && !GuidBytes(TextOf(row[column]))) t = {kNVarChar, 72};
  }
  Widen(t, result, column, code_page);
  return t;
}

void WriteTypeInfo(Writer& out, const WireType& t, bool with_collation, bool column) {
  out.U8(t.code);
  if (IsDecimal(t.code)) {
    out.U8(static_cast<std::uint8_t>(t.length));
    out.U8(t.precision);
    out.U8(t.scale);
  } else if (IsShortText(t.code) || IsShortBinary(t.code)) {
    out.U16(static_cast<std::uint16_t>(t.length));
    if (with_collation && IsShortText(t.code)) out.Raw(kCollation, sizeof kCollation);
  } else if (IsLarge(t.code)) {
    out.U32(t.length);
    if (with_collation && t.code != kImage) out.Raw(kCollation, sizeof kCollation);
    if (column) out.U16(0);  // no table name
  } else if (FixedLength(t.code) < 0) {
    out.U8(static_cast<std::uint8_t>(t.length));
  }
}

void WriteValue(Writer& out, const WireType& t, const Value& v, const CodePage& code_page) {
  if (v.is_null()) {
    if (IsShortText(t.code) || IsShortBinary(t.code)) out.U16(0xFFFF);
    else out.U8(0);
    return;
  }
  switch (t.code) {
    case kIntN:
      out.U8(static_cast<std::uint8_t>(t.length));
      WriteInteger(out, IntegerOf(v), t.length);
      return;
    case kBitN:
      out.U8(1);
      out.U8(v.type() == ValueType::kBoolean ? v.boolean() : NumberOf(v) != 0);
      return;
    case kFloatN: WriteFloat(out, t, v); return;
    case kMoneyN: WriteMoney(out, t, v); return;
    case kDateTimeN: WriteDate(out, t, v); return;
    case kDecimalN:
    case kNumericN: WriteDecimal(out, t, v); return;
    case kGuid: {
      Bytes b = GuidBytes(TextOf(v)).value_or(Bytes(16));
      out.U8(16);
      out.Raw(b.data(), b.size());
      return;
    }
    default: break;
  }
  const std::string data = Payload(t, v, code_page);
  if (IsLarge(t.code)) {
    WriteLarge(out, data);
    return;
  }
  out.U16(static_cast<std::uint16_t>(std::min<std::size_t>(data.size(), kMaxShortLength)));
  out.Raw(data.data(), std::min<std::size_t>(data.size(), kMaxShortLength));
}

WireType ReadTypeInfo(Reader& in, bool with_collation) {
  WireType t;
  t.code = in.U8();
  const int fixed = FixedLength(t.code);
  if (fixed >= 0) {
    t.length = static_cast<std::uint32_t>(fixed);
  } else if (IsDecimal(t.code)) {
    t.length = in.U8();
    t.precision = in.U8();
    t.scale = in.U8();
    if (t.length < 1 || t.length > 17 || t.precision > 38 || t.scale > t.precision)
      throw ProtocolError("decimal parameter with an impossible precision or scale");
  } else if (IsShortText(t.code) || IsShortBinary(t.code)) {
    t.length = in.U16();
    if (t.length == 0xFFFF) throw ProtocolError("(max) parameter types need TDS 7.2, and this server speaks 7.1");
    if (with_collation && IsShortText(t.code)) in.Take(sizeof kCollation);
  } else if (IsLarge(t.code)) {
    t.length = in.U32();
    if (with_collation && t.code != kImage) in.Take(sizeof kCollation);
  } else if (t.code == kIntN || t.code == kBitN || t.code == kFloatN || t.code == kMoneyN ||
             t.code == kDateTimeN || t.code == kGuid || t.code == kVarCharOld || t.code == kCharOld ||
             t.code == kBinaryOld || t.code == kVarBinaryOld) {
    t.length = in.U8();
  } else {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", t.code);
    throw ProtocolError(std::string("unknown parameter data type ") + hex);
  }
  return t;
}

namespace {

// The size of a value on the wire by how its type states it (fixed, or a
// 1-, 2- or 4-byte length before it); nothing for a null.
std::optional<std::size_t> ValueSize(Reader& in, const WireType& t) {
  const int fixed = FixedLength(t.code);
  if (fixed >= 0) {
    if (t.code == kNullType) return std::nullopt;
    return static_cast<std::size_t>(fixed);
  }
  if (IsShortText(t.code) || IsShortBinary(t.code)) {
    const std::size_t size = in.U16();
    return size == 0xFFFF ? std::nullopt : std::optional<std::size_t>(size);
  }
  if (IsLarge(t.code)) {
    const std::uint32_t size = in.U32();
    return size == 0xFFFFFFFF ? std::nullopt : std::optional<std::size_t>(size);
  }
  const std::size_t size = in.U8();
  return size == 0 ? std::nullopt : std::optional<std::size_t>(size);
}

// The first n bytes as a little-endian number.
std::uint64_t Little(const unsigned char* p, std::size_t n) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < n; ++i) v |= static_cast<std::uint64_t>(p[i]) << (8 * i);
  return v;
}

std::optional<Value> IntegerValue(const unsigned char* p, std::size_t size) {
  switch (size) {
    case 1: return Value::Integer(p[0]);
    case 2: return Value::Integer(static_cast<std::int16_t>(Little(p, 2)));
    case 4: return Value::Integer(static_cast<std::int32_t>(Little(p, 4)));
    case 8: return Value::Integer(static_cast<std::int64_t>(Little(p, 8)));
    default: return std::nullopt;
  }
}

std::optional<Value> FloatValue(const unsigned char* p, std::size_t size) {
  if (size == 4) {
    float f;
    std::memcpy(&f, p, 4);
    return Value::Float(f);
  }
  if (size == 8) {
    double d;
    std::memcpy(&d, p, 8);
    return Value::Float(d);
  }
  return std::nullopt;
}

// Money is a count of ten-thousandths; the 8-byte form sends its high half first.
std::optional<Value> MoneyValue(const unsigned char* p, std::size_t size) {
  if (size == 4) return Value::Money({static_cast<std::int32_t>(Little(p, 4))});
  if (size == 8) return Value::Money({static_cast<std::int64_t>(Little(p, 4) << 32 | (Little(p, 8) >> 32))});
  return std::nullopt;
}

// smalldatetime: days since 1900 and minutes; datetime: days and 300ths of a second.
std::optional<Value> DateTimeValue(const unsigned char* p, std::size_t size) {
  if (size == 4) {
    access::DateTime d = mssql::FromDaysSince1900(static_cast<double>(Little(p, 2)));
    const std::uint64_t minutes = Little(p, 4) >> 16;
    d.hour = static_cast<int>(minutes / 60);
    d.minute = static_cast<int>(minutes % 60);
    return Value::Date(d);
  }
  if (size == 8) {
    access::DateTime d = mssql::FromDaysSince1900(static_cast<double>(static_cast<std::int32_t>(Little(p, 4))));
    const std::int64_t ms = (static_cast<std::int64_t>(Little(p, 8) >> 32) * 10 + 1) / 3;
    d.hour = static_cast<int>(ms / 3600000);
    d.minute = static_cast<int>(ms / 60000 % 60);
    d.second = static_cast<int>(ms / 1000 % 60);
    d.millisecond = static_cast<int>(ms % 1000);
    return Value::Date(d);
  }
  return std::nullopt;
}

// A sign byte, then the magnitude little-endian, scaled by the type's
// scale: an exact decimal when it fits 64 bits, else the nearest float.
Value DecimalValue(const unsigned char* p, std::size_t size, int scale) {
  unsigned __int128 magnitude = 0;
  for (std::size_t i = size; i > 1; --i) magnitude = magnitude << 8 | p[i - 1];
  if (magnitude <= static_cast<unsigned __int128>(std::numeric_limits<std::int64_t>::max())) {
    const auto units = static_cast<std::int64_t>(magnitude);
    return Value::Exact({p[0] ? units : -units, scale});
  }
  long double v = static_cast<long double>(magnitude) / std::pow(10.0L, scale);
  return Value::Float(static_cast<double>(p[0] ? v : -v));
}

}  // namespace

Value ReadValue(Reader& in, const WireType& t, const CodePage& code_page) {
  const std::optional<std::size_t> size = ValueSize(in, t);
  if (!size) return Value();
  const unsigned char* p = in.Take(*size);
  std::optional<Value> value;
  switch (t.code) {
    case kInt1: case kInt2: case kInt4: case kInt8: case kIntN: value = IntegerValue(p, *size); break;
    case kBit: case kBitN: return Value::Boolean(p[0] != 0);
    case kFloat4: case kFloat8: case kFloatN: value = FloatValue(p, *size); break;
    case kMoney4: case kMoney: case kMoneyN: value = MoneyValue(p, *size); break;
    case kDateTime4: case kDateTime: case kDateTimeN: value = DateTimeValue(p, *size); break;
    case kGuid:
      if (*size == 16) return Value::Text(GuidText(p));
      break;
    case kVarCharOld: case kCharOld: case kBigVarChar: case kBigChar: case kText:
      return Value::Text(code_page.Decode(std::string_view(reinterpret_cast<const char*>(p), *size)));
    case kNVarChar: case kNChar: case kNText: return Value::Text(Utf16ToUtf8(p, *size));
    case kBinaryOld: case kVarBinaryOld: case kBigVarBinary: case kBigBinary: case kImage:
      return Value::Binary(Bytes(p, p + *size));
    default:
      if (IsDecimal(t.code)) return DecimalValue(p, *size, t.scale);
  }
  if (value) return *value;
  throw ProtocolError("parameter value of an impossible length");
}

SqlType SqlTypeOf(const WireType& t) {
  const int length = static_cast<int>(std::min<std::uint32_t>(t.length, kMaxShortLength));
  switch (t.code) {
    case kInt1: case kInt2: case kInt4: case kInt8: case kIntN:
      return mssql::BuiltinType(t.length == 1 ? TypeId::kTinyint : t.length == 2 ? TypeId::kSmallint : t.length == 8 ? TypeId::kBigint : TypeId::kInt);
    case kBit: case kBitN: return mssql::BuiltinType(TypeId::kBit);
    case kFloat4: case kFloat8: case kFloatN: return mssql::BuiltinType(t.length == 4 ? TypeId::kReal : TypeId::kFloat);
    case kMoney4: case kMoney: case kMoneyN: return mssql::BuiltinType(t.length == 4 ? TypeId::kSmallmoney : TypeId::kMoney);
    case kDateTime4: case kDateTime: case kDateTimeN:
      return mssql::BuiltinType(t.length == 4 ? TypeId::kSmalldatetime : TypeId::kDatetime);
    case kGuid: return mssql::BuiltinType(TypeId::kUniqueidentifier);
    case kVarCharOld: case kBigVarChar: return mssql::BuiltinType(TypeId::kVarchar, std::max(length, 1));
    case kCharOld: case kBigChar: return mssql::BuiltinType(TypeId::kChar, std::max(length, 1));
    case kNVarChar: return mssql::BuiltinType(TypeId::kNvarchar, std::max(length / 2, 1));
    case kNChar: return mssql::BuiltinType(TypeId::kNchar, std::max(length / 2, 1));
    case kVarBinaryOld: case kBigVarBinary: return mssql::BuiltinType(TypeId::kVarbinary, std::max(length, 1));
    case kBinaryOld: case kBigBinary: return mssql::BuiltinType(TypeId::kBinary, std::max(length, 1));
    case kText: return mssql::BuiltinType(TypeId::kText);
    case kNText: return mssql::BuiltinType(TypeId::kNtext);
    case kImage: return mssql::BuiltinType(TypeId::kImage);
    case kNullType: return mssql::BuiltinType(TypeId::kNvarchar, 4000);
    default: {
      SqlType d = mssql::BuiltinType(t.code == kNumericN || t.code == kNumericOld ? TypeId::kNumeric : TypeId::kDecimal,
                                     t.precision ? t.precision : 18);
      d.scale = t.scale;
      return d;
    }
  }
}

}  // namespace court::tds
