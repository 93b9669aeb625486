#include "platform/mssql/convert.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "platform/access/number_text.h"
#include "platform/mssql/messages.h"
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
      case TypeFamily::kDecimal:
      case TypeFamily::kFloat: return Real();
      case TypeFamily::kMoney: return Money();
      case TypeFamily::kDateTime:
        return Value::Text(FormatDateTime(RoundDateTime(ParseDateTime(text_, order_),
                                                        t_.id == TypeId::kSmalldatetime)));
      case TypeFamily::kBinary:
        return Value::Binary(access::Bytes(text_.begin(), text_.end()));
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
      if (!std::isdigit(static_cast<unsigned char>(s[k]))) throw ConversionSyntax(from_, text_, t_.name);
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
    if (s.empty() && t_.family == TypeFamily::kFloat) return Value::Float(0);
    if (!ParseDouble(s, d) || s.find_first_of("xXnN") != std::string::npos)
      throw ConvertError(from_, t_.family == TypeFamily::kFloat ? "float" : "numeric");
    return Value::Float(d);
  }

  Value Money() {
    std::string s;
    for (char c : text::TrimWhiteSpace(text_))
      if (c != ',' && c != '$') s += c;
    if (s.empty()) return Value::Float(0);
    double d = 0;
    if (!ParseDouble(s, d) || s.find_first_of("xXnNeE") != std::string::npos) throw MoneySyntax();
    return Value::Float(std::round(d * 10000) / 10000);
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
    case access::ValueType::kBoolean: return v.boolean() ? "1" : "0";
    default: return v.ToText();
  }
}

double NumberOf(const Value& v) {
  switch (v.type()) {
    case access::ValueType::kInteger: return static_cast<double>(v.integer());
    case access::ValueType::kFloat: return v.floating();
    case access::ValueType::kCurrency: return static_cast<double>(v.money().ten_thousandths) / 10000;
    case access::ValueType::kBoolean: return v.boolean() ? 1 : 0;
    default: return 0;
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

// A number into a type. To an integer type it is truncated toward zero, as
// CONVERT(int, 2.7) is 2, then checked against the type's range (8115 when
// it is beyond any integer, 220 beyond this type's). Money keeps four
// decimals. To a date it counts days since 1900-01-01, the fraction being
// the time of day, within what datetime holds (1753 to 9999). To text it
// is NumberText's, checked for length.
Value NumberTo(const Value& v, const SqlType& t) {
  double d = NumberOf(v);
  switch (t.family) {
    case TypeFamily::kInteger: {
      if (v.type() == access::ValueType::kInteger) return CheckInteger(v.integer(), t, NumberText(v));
      double truncated = std::trunc(d);
      if (truncated < -9.3e18 || truncated > 9.3e18)
        throw OverflowConverting("expression", t.name);
      return CheckInteger(static_cast<long long>(truncated), t, NumberText(v));
    }
    case TypeFamily::kBit: return Value::Integer(d != 0 ? 1 : 0);
    case TypeFamily::kMoney: return Value::Float(std::round(d * 10000) / 10000);
    case TypeFamily::kDecimal:
    case TypeFamily::kFloat: return Value::Float(d);
    case TypeFamily::kDateTime: {
      if (d < -53690 || d > 2958463)
        throw OverflowConverting("expression", "datetime");
      return Value::Text(FormatDateTime(RoundDateTime(FromDaysSince1900(d), t.id == TypeId::kSmalldatetime)));
    }
    case TypeFamily::kChar: return FitText(NumberText(v), t);
    default: return Value::Text(NumberText(v));
  }
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
    case TypeFamily::kDecimal:
    case TypeFamily::kFloat:
      return stored.type() == access::ValueType::kText ? stored : Value::Float(NumberOf(stored));
    case TypeFamily::kMoney:
      return Value::Money(access::Currency{std::llround(NumberOf(stored) * 10000)});
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

// A client's value in the form SQLite stores: the types SQLite lacks
// (currency, boolean, date) become a float, an integer and date text.
Value PlainStorage(const Value& value) {
  switch (value.type()) {
    case access::ValueType::kCurrency: return Value::Float(NumberOf(value));
    case access::ValueType::kBoolean: return Value::Integer(value.boolean() ? 1 : 0);
    case access::ValueType::kDateTime: return Value::Text(FormatDateTime(value.date()));
    default: return value;
  }
}

}  // namespace court::mssql
