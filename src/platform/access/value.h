// Values as the data-access layer hands them out: one field of one row.
//
// A Value is null or holds exactly one of the kinds a database column can
// carry. Text is UTF-8. Currency and decimal numbers are kept exact, as whole
// units of a power of ten. The text form (ToText) is the one the installer
// puts into generated statements.

#ifndef COURT_PLATFORM_ACCESS_VALUE_H_
#define COURT_PLATFORM_ACCESS_VALUE_H_

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/text/trim.h"

namespace court::access {

enum class ValueType { kNull, kInteger, kFloat, kCurrency, kText, kDateTime, kBoolean, kBinary, kDecimal };

using Bytes = std::vector<unsigned char>;

// The bytes of a text buffer, copied in one move (an element-wise copy from
// char converts each byte on its own, which a document pays for in full).
inline Bytes BytesOf(std::string_view text) {
  const auto* first = reinterpret_cast<const unsigned char*>(text.data());
  return Bytes(first, first + text.size());
}

// A calendar date and time of day, to the millisecond, with no time zone.
struct DateTime {
  int year = 1900, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
  auto operator<=>(const DateTime&) const = default;
};

// Ten-thousandths of a currency unit (the storage of Jet and SQL Server money).
struct Currency {
  std::int64_t ten_thousandths = 0;
  auto operator<=>(const Currency&) const = default;
};

// An exact decimal number, units x 10^-scale: SQL Server's decimal and
// numeric (2.50 of a decimal(9,2) is 250 at scale 2). Equal values of
// different scales are different Decimals.
struct Decimal {
  std::int64_t units = 0;
  int scale = 0;
  auto operator<=>(const Decimal&) const = default;
};

class Value {
 public:
  Value() = default;  // null
  static Value Integer(std::int64_t v) { return Make<1>(v); }
  static Value Float(double v) { return Make<2>(v); }
  static Value Money(Currency v) { return Make<3>(v); }
  static Value Text(std::string v) { return Make<4>(std::move(v)); }
  static Value Date(DateTime v) { return Make<5>(v); }
  static Value Boolean(bool v) { return Make<6>(v); }
  static Value Binary(Bytes v) { return Make<7>(std::move(v)); }
  static Value Exact(Decimal v) { return Make<8>(v); }

  ValueType type() const { return static_cast<ValueType>(storage_.index()); }
  bool is_null() const { return storage_.index() == 0; }

  // Accessors of the held kind; asking for another kind is a programming error.
  std::int64_t integer() const { return std::get<1>(storage_); }
  double floating() const { return std::get<2>(storage_); }
  Currency money() const { return std::get<3>(storage_); }
  const std::string& text() const { return std::get<4>(storage_); }
  DateTime date() const { return std::get<5>(storage_); }
  bool boolean() const { return std::get<6>(storage_); }
  const Bytes& binary() const { return std::get<7>(storage_); }
  Decimal decimal() const { return std::get<8>(storage_); }

  // The value as text: integers in decimal; floating, currency and decimal
  // values in the shortest text that reads back equal, with '.'; dates as
  // "YYYYMMDD HH:MM:SS"; booleans "1"/"0"; binary as its raw bytes; null "".
  std::string ToText() const;

  bool operator==(const Value&) const = default;

 private:
  using Storage = std::variant<std::monostate, std::int64_t, double, Currency, std::string,
                               DateTime, bool, Bytes, Decimal>;
  template <std::size_t kKind, typename T>
  static Value Make(T&& held) {
    Value value;
    value.storage_.template emplace<kKind>(std::forward<T>(held));
    return value;
  }
  Storage storage_;
};

// Removes trailing blanks; leading blanks stay.
inline std::string RightTrim(std::string_view text) { return std::string(text::TrimRight(text)); }

// The installer's reading of a field: its text with trailing blanks removed;
// a null adds nothing and so reads as "".
inline std::string Trimmed(const Value& v) { return RightTrim(v.ToText()); }

// Human-readable name of a value type ("text", "datetime", ...), for messages.
std::string_view TypeName(ValueType type);

}  // namespace court::access

#endif  // COURT_PLATFORM_ACCESS_VALUE_H_
