#include "platform/mssql/convert.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "platform/access/number_text.h"
#include "platform/mssql/exact_number.h"
#include "platform/mssql/messages.h"
#include "platform/text/ascii.h"
#include "platform/text/trim.h"
#include "platform/text/utf8.h"

namespace court::mssql {

namespace {

using access::Value;

struct Range {
  long long low, high;
};

// The values an integer type holds; bigint takes all of a long long.
Range IntegerRange(const SqlType& t) {
  if (t.id == TypeId::kTinyint) return {0, 255};
  if (t.id == TypeId::kSmallint) return {-32768, 32767};
  if (t.id == TypeId::kInt) return {std::numeric_limits<int>::min(), std::numeric_limits<int>::max()};
  return {std::numeric_limits<long long>::min(), std::numeric_limits<long long>::max()};
}

Value CheckInteger(long long v, const SqlType& t, std::string_view text) {
  Range r = IntegerRange(t);
  if (v < r.low || v > r.high) throw ArithmeticOverflow(t.name, std::string(text));
  return Value::Integer(v);
}

// Ten-thousandths into money or smallmoney, which holds +-214,748.3647.
Value FittedMoney(std::optional<std::int64_t> units, const SqlType& t, std::string_view from) {
  const std::int64_t small_limit = 2147483647;
  if (!units || (t.id == TypeId::kSmallmoney && (*units > small_limit || *units < -small_limit - 1)))
    throw OverflowConverting(from, t.name);
  return Value::Integer(*units);
}

bool ParseDouble(const std::string& text, double& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  out = std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size() && errno == 0 && std::isfinite(out);
}

// Text into a number, date or binary: the conversion of CONVERT, CAST and
// of assigning a string to a column. Blanks around the text are ignored,
// and an empty text is zero for the types that allow it. Each type family
// refuses text the way SQL Server does, with that family's error: 245 for
// integers and bit, 248 or 220 for an integer out of range, 8114 for
// decimal and float, 235 for money, 241 and 242 for dates. Hexadecimal
// numbers and the words strtod knows (nan, inf) are refused though strtod
// would read them, since the server reads neither.
class TextConverter {
 public:
  TextConverter(const std::string& text, const SqlType& t, DateOrder order, bool unicode)
      : text_(text), t_(t), order_(order), from_(unicode ? "nvarchar" : "varchar") {}

  Value Run() {
    switch (t_.family) {
      case TypeFamily::kInteger: return Integer();
      case TypeFamily::kBit: return Bit();
      case TypeFamily::kDecimal: return Exact();
      case TypeFamily::kFloat: return Real();
      case TypeFamily::kMoney: return Money();
      case TypeFamily::kDateTime:
        return Value::Text(FormatDateTime(RoundDateTime(ParseDateTime(text_, order_),
                                                        t_.id == TypeId::kSmalldatetime)));
      case TypeFamily::kBinary:
        return Value::Binary(access::BytesOf(text_));
      default: return Value::Text(text_);
    }
  }

 private:
  Value Integer() {
    std::string s(text::TrimWhiteSpace(text_));
    if (s.empty()) return Value::Integer(0);
    std::size_t i = (s[0] == '-' || s[0] == '+') ? 1 : 0;
    if (i == s.size()) throw ConversionSyntax(from_, text_, t_.name);
    for (std::size_t k = i; k < s.size(); ++k)
      if (!text::IsAsciiDigit(s[k])) throw ConversionSyntax(from_, text_, t_.name);
    errno = 0;
    long long v = std::strtoll(s.c_str(), nullptr, 10);
    Range r = IntegerRange(t_);
    if (errno == ERANGE || v < r.low || v > r.high) {
      if (t_.id == TypeId::kInt) throw ConversionOverflowInt(from_, text_);
      throw ArithmeticOverflow(t_.name, s);
    }
    return Value::Integer(v);
  }

  Value Bit() {
    std::string s(text::TrimWhiteSpace(text_));
    if (s.empty()) return Value::Integer(0);
    double d = 0;
    if (!ParseDouble(s, d)) throw ConversionSyntax(from_, text_, "bit");
    return Value::Integer(d != 0 ? 1 : 0);
  }

  Value Real() {
    std::string s(text::TrimWhiteSpace(text_));
    double d = 0;
    if (s.empty()) return Value::Float(0);
    if (!ParseDouble(s, d) || s.find_first_of("xXnN") != std::string::npos) throw ConvertError(from_, "float");
    return Value::Float(d);
  }

  // Digits with a point, no exponent: the server reads "1e3" as no decimal.
  Value Exact() {
    std::optional<WideUnits> units = ParseExact(text::TrimWhiteSpace(text_), t_.scale);
    if (!units) throw ConvertError(from_, "numeric");
    std::optional<std::int64_t> fitted = NarrowUnits(*units);
    if (!fitted || !FitsPrecision(*fitted, t_.precision)) throw OverflowConverting(from_, "numeric");
    return Value::Integer(*fitted);
  }

  Value Money() {
    std::string s;
    for (char c : text::TrimWhiteSpace(text_))
      if (c != ',' && c != '$') s += c;
    if (s.empty()) return Value::Integer(0);
    std::optional<WideUnits> units = ParseExact(s, 4);
    if (!units) throw MoneySyntax();
    return FittedMoney(NarrowUnits(*units), t_, from_);
  }

  const std::string& text_;
  const SqlType& t_;
  DateOrder order_;
  std::string from_;
};

// A number's text as a conversion to a string gives it: integers in full,
// floats in the shortest text that reads back as the same value.
std::string NumberText(const Value& v) {
  switch (v.type()) {
    case access::ValueType::kInteger: return std::to_string(v.integer());
    case access::ValueType::kFloat: return access::ShortestText(v.floating());
    case access::ValueType::kCurrency: return access::CurrencyText(v.money());
    case access::ValueType::kDecimal: return access::DecimalText(v.decimal());
    case access::ValueType::kBoolean: return v.boolean() ? "1" : "0";
    default: return v.ToText();
  }
}

double NumberOf(const Value& v) {
  switch (v.type()) {
    case access::ValueType::kInteger: return static_cast<double>(v.integer());
    case access::ValueType::kFloat: return v.floating();
    case access::ValueType::kCurrency: return DoubleOfUnits(v.money().ten_thousandths, 4);
    case access::ValueType::kDecimal: return DoubleOfUnits(v.decimal().units, v.decimal().scale);
    case access::ValueType::kBoolean: return v.boolean() ? 1 : 0;
    default: return 0;
  }
}

// A number as units at `scale`: exact from integers, currency and decimals,
// rounded from a float; nothing when it does not fit 64 bits.
std::optional<std::int64_t> UnitsOf(const Value& v, int scale) {
  switch (v.type()) {
    case access::ValueType::kInteger: return Rescale(v.integer(), 0, scale);
    case access::ValueType::kCurrency: return Rescale(v.money().ten_thousandths, 4, scale);
    case access::ValueType::kDecimal: return Rescale(v.decimal().units, v.decimal().scale, scale);
    case access::ValueType::kBoolean: return Rescale(v.boolean() ? 1 : 0, 0, scale);
    default: return UnitsOfDouble(NumberOf(v), scale);
  }
}

// The type name a number's overflow message gives as its source.
std::string_view SourceName(const Value& v) {
  switch (v.type()) {
    case access::ValueType::kInteger: return "int";
    case access::ValueType::kFloat: return "float";
    case access::ValueType::kCurrency: return "money";
    case access::ValueType::kDecimal: return "numeric";
    default: return "expression";
  }
}

// A number into an integer type: money rounds to the nearest whole number,
// decimals and floats are cut toward zero, as CONVERT(int, 2.7) is 2.
Value WholeNumber(const Value& v, const SqlType& t) {
  switch (v.type()) {
    case access::ValueType::kInteger: return CheckInteger(v.integer(), t, NumberText(v));
    case access::ValueType::kCurrency:
      return CheckInteger(*Rescale(v.money().ten_thousandths, 4, 0), t, NumberText(v));
    case access::ValueType::kDecimal:
      return CheckInteger(WholePart(v.decimal().units, v.decimal().scale), t, NumberText(v));
    default: {
      double truncated = std::trunc(NumberOf(v));
      if (truncated < -9.3e18 || truncated > 9.3e18) throw OverflowConverting("expression", t.name);
      return CheckInteger(static_cast<long long>(truncated), t, NumberText(v));
    }
  }
}

// Checks a string's or binary's length and pads fixed-length types.
// Text into a char, varchar, nchar or nvarchar. Too long is an error
// (8152), never cut short; char and nchar are padded with blanks to their
// length. Non-Unicode types count bytes of code page 936, Unicode types
// UTF-16 units.
Value FitText(std::string text, const SqlType& t) {
  int capacity = t.Capacity();
  if (capacity > 0) {
    int used = t.unicode ? Utf16Length(text) : Cp936Length(text);
    if (used > capacity) throw Truncated();
    if (t.fixed) text.append(static_cast<std::size_t>(capacity - used), ' ');
  }
  return Value::Text(std::move(text));
}

// Bytes into a binary or varbinary: as FitText, with binary padded with zeros.
Value FitBinary(access::Bytes bytes, const SqlType& t) {
  int capacity = t.Capacity();
  if (capacity > 0) {
    if (static_cast<int>(bytes.size()) > capacity) throw Truncated();
    if (t.fixed) bytes.resize(static_cast<std::size_t>(capacity), 0);
  }
  return Value::Binary(std::move(bytes));
}

// A number into a type. Integer types as WholeNumber says, checked against
// the type's range (8115 when it is beyond any integer, 220 beyond this
// type's). Money and decimal keep the decimals their scale has, rounding
// the rest, and must fit (8115). To a date it counts days since 1900-01-01,
// the fraction being the time of day, within what datetime holds (1753 to
// 9999). To text it is NumberText's, checked for length.
Value NumberTo(const Value& v, const SqlType& t) {
  switch (t.family) {
    case TypeFamily::kInteger: return WholeNumber(v, t);
    case TypeFamily::kBit: return Value::Integer(NumberOf(v) != 0 ? 1 : 0);
    case TypeFamily::kMoney: return FittedMoney(UnitsOf(v, 4), t, "expression");
    case TypeFamily::kDecimal: {
      std::optional<std::int64_t> units = UnitsOf(v, t.scale);
      if (!units || !FitsPrecision(*units, t.precision)) throw OverflowConverting(SourceName(v), "numeric");
      return Value::Integer(*units);
    }
    case TypeFamily::kFloat: return Value::Float(NumberOf(v));
    case TypeFamily::kDateTime: {
      const double d = NumberOf(v);
      if (d < -53690 || d > 2958463)
        throw OverflowConverting("expression", "datetime");
      return Value::Text(FormatDateTime(RoundDateTime(FromDaysSince1900(d), t.id == TypeId::kSmalldatetime)));
    }
    case TypeFamily::kChar: return FitText(NumberText(v), t);
    default: return Value::Text(NumberText(v));
  }
}

// A stored money or decimal value as the client's exact number. Units are
// what this engine stores; a float is what earlier versions stored, read
// as the number it is.
Value ExactFromStorage(const Value& stored, const SqlType& t, int scale) {
  std::optional<std::int64_t> units =
      stored.type() == access::ValueType::kInteger ? stored.integer() : UnitsOf(stored, scale);
  if (!units) return stored;
  if (t.family == TypeFamily::kMoney) return Value::Money({*units});
  return Value::Exact({*units, scale});
}

}  // namespace

// Code page 936 spends one byte on ASCII and two on every other character
// it holds; counted from the UTF-8 the engine keeps text in.
int Cp936Length(std::string_view utf8) {
  int n = 0;
  for (char c : utf8)
    if (static_cast<unsigned char>(c) < 0x80) ++n;
    else if (!text::IsContinuation(c)) n += 2;
  return n;
}

// UTF-16 units, which nvarchar lengths and LEN count: one per character,
// two for a character beyond the Basic Multilingual Plane.
int Utf16Length(std::string_view utf8) { return static_cast<int>(text::Utf16Length(utf8)); }

// A value into the stored form of a column or variable of type t: what an
// assignment, INSERT or CONVERT does to it. Text becomes the type through
// TextConverter, unless the type is text too, when only its length is
// checked. Dates are stored as 'YYYY-MM-DD HH:MM:SS.mmm' text, rounded to
// what the type keeps (datetime to 1/300 second, smalldatetime to the
// minute), which sorts and compares in SQLite as the dates do; a date made
// a number is days since 1900 with the time as the fraction. unicode_source
// says whether text came from a Unicode type, which the errors name.
Value ToStorage(const Value& value, const SqlType& t, DateOrder order, bool unicode_source) {
  switch (value.type()) {
    case access::ValueType::kNull: return Value();
    case access::ValueType::kText: {
      if (t.family == TypeFamily::kChar) return FitText(value.text(), t);
      Value converted = TextConverter(value.text(), t, order, unicode_source).Run();
      if (t.family == TypeFamily::kBinary) return FitBinary(converted.binary(), t);
      return converted;
    }
    case access::ValueType::kDateTime: {
      access::DateTime rounded = RoundDateTime(value.date(), t.id == TypeId::kSmalldatetime);
      if (t.family == TypeFamily::kDateTime || t.family == TypeFamily::kOther)
        return Value::Text(FormatDateTime(rounded));
      if (t.family == TypeFamily::kChar) return FitText(FormatDateTime(rounded), t);
      return NumberTo(Value::Float(static_cast<double>(DaysSince1900(rounded)) +
                                   ((rounded.hour * 60 + rounded.minute) * 60.0 + rounded.second +
                                    rounded.millisecond / 1000.0) / 86400.0),
                      t);
    }
    case access::ValueType::kBinary:
      if (t.family == TypeFamily::kChar)
        return FitText(std::string(value.binary().begin(), value.binary().end()), t);
      return FitBinary(value.binary(), t);
    default: return NumberTo(value, t);
  }
}

// A stored value as a client sees it of type t. SQLite hands back what a
// column holds in its own types, which are fewer than the server's: bit
// becomes a boolean, money a currency value, datetime text a date. Stored
// text that no longer parses as a date comes back as it is rather than
// failing the whole read.
Value FromStorage(const Value& stored, const SqlType& t) {
  if (stored.is_null()) return Value();
  switch (t.family) {
    case TypeFamily::kInteger:
      return stored.type() == access::ValueType::kInteger
                 ? stored
                 : Value::Integer(static_cast<long long>(NumberOf(stored)));
    case TypeFamily::kBit: return Value::Boolean(NumberOf(stored) != 0);
    case TypeFamily::kFloat:
      return stored.type() == access::ValueType::kText ? stored : Value::Float(NumberOf(stored));
    case TypeFamily::kDecimal:
    case TypeFamily::kMoney:
      return stored.type() == access::ValueType::kText ? stored : ExactFromStorage(stored, t, *ExactScale(t));
    case TypeFamily::kDateTime:
      if (stored.type() == access::ValueType::kText) {
        try {
          return Value::Date(ParseDateTime(stored.text(), DateOrder::kYmd));
        } catch (const access::Error&) {
          return stored;
        }
      }
      return stored;
    case TypeFamily::kChar:
      return stored.type() == access::ValueType::kText ? stored : Value::Text(NumberText(stored));
    default: return stored;
  }
}

Value FromStorage(const Value& stored, const std::optional<SqlType>& t) {
  return t ? FromStorage(stored, *t) : stored;
}

// A client's value in the form SQLite stores it without a type: the types
// SQLite lacks (currency and decimal, boolean, date) become a float, an
// integer and date text.
Value PlainStorage(const Value& value) {
  switch (value.type()) {
    case access::ValueType::kCurrency:
    case access::ValueType::kDecimal: return Value::Float(NumberOf(value));
    case access::ValueType::kBoolean: return Value::Integer(value.boolean() ? 1 : 0);
    case access::ValueType::kDateTime: return Value::Text(FormatDateTime(value.date()));
    default: return value;
  }
}

}  // namespace court::mssql
