// How values of each SQL Server type travel: the type description that
// precedes result columns and parameters, and the bytes of each value.
//
// Results use the nullable forms (INTN, FLTN, MONEYN, DATETIMN, ...) so
// that every column can carry NULL. Non-Unicode text travels in the code
// page of the collation, Unicode text as UTF-16LE.

#ifndef COURT_PLATFORM_TDS_TYPES_H_
#define COURT_PLATFORM_TDS_TYPES_H_

#include <cstdint>
#include <optional>
#include <string>

#include "platform/access/driver.h"
#include "platform/access/value.h"
#include "platform/mssql/sql_type.h"
#include "platform/tds/code_page.h"
#include "platform/tds/wire.h"

namespace court::tds {

enum TypeCode : std::uint8_t {
  kNullType = 0x1F,
  kImage = 0x22,
  kText = 0x23,
  kGuid = 0x24,
  kVarBinaryOld = 0x25,
  kIntN = 0x26,
  kVarCharOld = 0x27,
  kBinaryOld = 0x2D,
  kCharOld = 0x2F,
  kInt1 = 0x30,
  kBit = 0x32,
  kInt2 = 0x34,
  kDecimalOld = 0x37,
  kInt4 = 0x38,
  kDateTime4 = 0x3A,
  kFloat4 = 0x3B,
  kMoney = 0x3C,
  kDateTime = 0x3D,
  kFloat8 = 0x3E,
  kNumericOld = 0x3F,
  kNText = 0x63,
  kBitN = 0x68,
  kDecimalN = 0x6A,
  kNumericN = 0x6C,
  kFloatN = 0x6D,
  kMoneyN = 0x6E,
  kDateTimeN = 0x6F,
  kMoney4 = 0x7A,
  kInt8 = 0x7F,
  kBigVarBinary = 0xA5,
  kBigVarChar = 0xA7,
  kBigBinary = 0xAD,
  kBigChar = 0xAF,
  kNVarChar = 0xE7,
  kNChar = 0xEF,
};

// Chinese_PRC_CI_AS: locale 0x0804, case-insensitive, kana- and width-insensitive.
inline constexpr unsigned char kCollation[5] = {0x04, 0x08, 0xD0, 0x00, 0x00};

struct WireType {
  std::uint8_t code = kIntN;
  std::uint32_t length = 4;  // largest value in bytes
  std::uint8_t precision = 0;
  std::uint8_t scale = 0;
};

// The wire type of a result column: its SQL type when the query knows it,
// widened where a value would not fit; otherwise one fitting its values.
WireType ColumnWireType(const std::optional<mssql::SqlType>& declared, const access::ResultSet& result,
                        std::size_t column, const CodePage& code_page);

// with_collation: TDS 7.1 and later describe text types with their collation.
// column: result columns of text, ntext and image name their table (none here).
void WriteTypeInfo(Writer& out, const WireType& type, bool with_collation, bool column);
void WriteValue(Writer& out, const WireType& type, const access::Value& value, const CodePage& code_page);

// Parameters of remote procedure calls.
WireType ReadTypeInfo(Reader& in, bool with_collation);
// The value as the engine's client side holds it (text as UTF-8).
access::Value ReadValue(Reader& in, const WireType& type, const CodePage& code_page);
// The SQL type a parameter of this wire type declares.
mssql::SqlType SqlTypeOf(const WireType& type);

}  // namespace court::tds

#endif  // COURT_PLATFORM_TDS_TYPES_H_
