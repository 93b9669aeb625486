#include "value_match.h"

#include <cmath>
#include <cstdio>

#include "platform/access/calendar.h"
#include "platform/jet/ole_date.h"

namespace court::jet::testing {
namespace {

using access::Value;
using access::ValueType;

std::string Hex(const access::Bytes& bytes, const char* digits) {
  std::string hex;
  for (unsigned char b : bytes) {
    hex += digits[b >> 4];
    hex += digits[b & 15];
  }
  return hex;
}

std::string FourDecimals(access::Currency money) {
  const std::int64_t v = money.ten_thousandths;
  char text[40];
  std::snprintf(text, sizeof text, "%s%lld.%04lld", v < 0 ? "-" : "", std::llabs(v) / 10000LL,
                std::llabs(v) % 10000LL);
  return text;
}

bool CloseTo(double a, double b, double relative) {
  return std::fabs(a - b) <= relative * std::max(1.0, std::fabs(b));
}

::testing::AssertionResult Verdict(bool same, const std::string& shown, const Value& value) {
  if (same) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "shown " << shown << ", expected " << access::TypeName(value.type())
                                       << " " << (value.type() == ValueType::kBinary ? "<bytes>" : value.ToText());
}

}  // namespace

bool ExportCanShow(const Value& value) {
  return value.type() != ValueType::kDateTime || (value.date().year >= 1900 && value.date().year < 4000);
}

::testing::AssertionResult ExportShows(const std::string& exported, const Value& value) {
  switch (value.type()) {
    case ValueType::kNull: return Verdict(exported.empty(), exported, value);
    case ValueType::kInteger: return Verdict(exported == std::to_string(value.integer()), exported, value);
    case ValueType::kFloat:
      return Verdict(!exported.empty() && CloseTo(std::stod(exported), value.floating(), 1e-7), exported, value);
    case ValueType::kCurrency: return Verdict(exported == FourDecimals(value.money()), exported, value);
    case ValueType::kText: return Verdict(exported == value.text(), exported, value);
    case ValueType::kDateTime: return Verdict(exported == access::DateTimeText(value.date(), access::Milliseconds::kWhenAny), exported, value);
    case ValueType::kBoolean: return Verdict(exported == (value.boolean() ? "1" : "0"), exported, value);
    case ValueType::kBinary: return Verdict(exported == Hex(value.binary(), "0123456789ABCDEF"), exported, value);
    case ValueType::kDecimal: break;  // Jet files hold no decimal values
  }
  return ::testing::AssertionFailure();
}

::testing::AssertionResult MdbReaderShows(const nlohmann::json& read, const Value& value) {
  const std::string shown = read.dump();
  switch (value.type()) {
    case ValueType::kNull: return Verdict(read.is_null(), shown, value);
    case ValueType::kInteger:
      return Verdict(read.is_number() && read.get<double>() == static_cast<double>(value.integer()), shown, value);
    case ValueType::kFloat: {
      // mdb-reader shows a single widened (0.15000000596046448); this project
      // holds it as its shortest decimal (0.15). Both are the same single.
      const double got = read.is_number() ? read.get<double>() : std::nan("");
      const bool widened_single = static_cast<double>(static_cast<float>(got)) == got &&
                                  static_cast<float>(got) == static_cast<float>(value.floating());
      return Verdict(got == value.floating() || widened_single, shown, value);
    }
    case ValueType::kCurrency:
      return Verdict(read.is_string() && read.get<std::string>() == FourDecimals(value.money()), shown, value);
    case ValueType::kText: return Verdict(read.is_string() && read.get<std::string>() == value.text(), shown, value);
    case ValueType::kDateTime:
      // mdb-reader keeps milliseconds of the raw day number.
      return Verdict(read.contains("ole") && CloseTo(read["ole"].get<double>(), ToOleDate(value.date()), 1e-8),
                     shown, value);
    case ValueType::kBoolean: return Verdict(read.is_boolean() && read.get<bool>() == value.boolean(), shown, value);
    case ValueType::kBinary:
      return Verdict(read.contains("hex") && read["hex"] == Hex(value.binary(), "0123456789abcdef"), shown, value);
    case ValueType::kDecimal: break;
  }
  return ::testing::AssertionFailure();
}

std::string SchemaTypeText(const Column& column) {
  switch (column.type) {
    case ColumnType::kBoolean: return "Boolean";
    case ColumnType::kByte: return "Byte";
    case ColumnType::kInteger: return "Integer";
    case ColumnType::kLong: return "Long Integer";
    case ColumnType::kCurrency: return "Currency";
    case ColumnType::kSingle: return "Single";
    case ColumnType::kDouble: return "Double";
    case ColumnType::kDateTime: return "DateTime";
    case ColumnType::kText: return "Text (" + std::to_string(column.size) + ")";
    case ColumnType::kMemo: return "Memo/Hyperlink (255)";
    case ColumnType::kOle: return "OLE (255)";
  }
  return "";
}

std::string MdbReaderTypeName(ColumnType type) {
  return type == ColumnType::kSingle ? "float" : std::string(TypeName(type));
}

}  // namespace court::jet::testing
