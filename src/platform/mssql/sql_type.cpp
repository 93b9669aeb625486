#include "platform/mssql/sql_type.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "platform/access/number_text.h"
#include "platform/mssql/messages.h"
#include "platform/text/ascii.h"

namespace court::mssql {

namespace {

struct TypeRow {
  TypeId id;
  const char* name;
  TypeFamily family;
  int xtype;
  int length;     // fixed length, or 0 when declared
  int precision;
  int scale;
};

// The server's types as systypes lists them. length is the fixed size in
// bytes, 0 for the types declared with a size (char(n), decimal(p,s), ...);
// precision and scale are those of the numeric types. sysname is
// nvarchar(128) under its own name, with nvarchar's xtype.
constexpr TypeRow kTypes[] = {
    {TypeId::kImage, "image", TypeFamily::kBinary, 34, 16, 0, 0},
    {TypeId::kText, "text", TypeFamily::kChar, 35, 16, 0, 0},
    {TypeId::kUniqueidentifier, "uniqueidentifier", TypeFamily::kOther, 36, 16, 0, 0},
    {TypeId::kTinyint, "tinyint", TypeFamily::kInteger, 48, 1, 3, 0},
    {TypeId::kSmallint, "smallint", TypeFamily::kInteger, 52, 2, 5, 0},
    {TypeId::kInt, "int", TypeFamily::kInteger, 56, 4, 10, 0},
    {TypeId::kSmalldatetime, "smalldatetime", TypeFamily::kDateTime, 58, 4, 16, 0},
    {TypeId::kReal, "real", TypeFamily::kFloat, 59, 4, 24, 0},
    {TypeId::kMoney, "money", TypeFamily::kMoney, 60, 8, 19, 4},
    {TypeId::kDatetime, "datetime", TypeFamily::kDateTime, 61, 8, 23, 3},
    {TypeId::kFloat, "float", TypeFamily::kFloat, 62, 8, 53, 0},
    {TypeId::kSqlVariant, "sql_variant", TypeFamily::kOther, 98, 8016, 0, 0},
    {TypeId::kNtext, "ntext", TypeFamily::kChar, 99, 16, 0, 0},
    {TypeId::kBit, "bit", TypeFamily::kBit, 104, 1, 1, 0},
    {TypeId::kDecimal, "decimal", TypeFamily::kDecimal, 106, 0, 18, 0},
    {TypeId::kNumeric, "numeric", TypeFamily::kDecimal, 108, 0, 18, 0},
    {TypeId::kSmallmoney, "smallmoney", TypeFamily::kMoney, 122, 4, 10, 4},
    {TypeId::kBigint, "bigint", TypeFamily::kInteger, 127, 8, 19, 0},
    {TypeId::kVarbinary, "varbinary", TypeFamily::kBinary, 165, 0, 0, 0},
    {TypeId::kVarchar, "varchar", TypeFamily::kChar, 167, 0, 0, 0},
    {TypeId::kBinary, "binary", TypeFamily::kBinary, 173, 0, 0, 0},
    {TypeId::kChar, "char", TypeFamily::kChar, 175, 0, 0, 0},
    {TypeId::kTimestamp, "timestamp", TypeFamily::kBinary, 189, 8, 0, 0},
    {TypeId::kNvarchar, "nvarchar", TypeFamily::kChar, 231, 0, 0, 0},
    {TypeId::kNchar, "nchar", TypeFamily::kChar, 239, 0, 0, 0},
    {TypeId::kSysname, "sysname", TypeFamily::kChar, 231, 256, 128, 0},
};

// kTypes is in TypeId's order, so a type's row is found by its id.
constexpr bool InIdOrder() {
  for (std::size_t i = 0; i < std::size(kTypes); ++i)
    if (static_cast<std::size_t>(kTypes[i].id) != i) return false;
  return std::size(kTypes) == static_cast<std::size_t>(TypeId::kSysname) + 1;
}
static_assert(InIdOrder());

// The bytes a decimal of this precision takes in a row, which
// syscolumns.length reports: SQL Server stores 5, 9, 13 or 17 by precision.
int DecimalLength(int precision) {
  if (precision <= 9) return 5;
  if (precision <= 19) return 9;
  if (precision <= 28) return 13;
  return 17;
}

const TypeRow* Find(const std::string& name) {
  for (const TypeRow& row : kTypes)
    if (name == row.name) return &row;
  return nullptr;
}

// A type as its row describes it, with what the row leaves implicit:
// whether text counts in UTF-16 (two bytes a character), whether values are
// padded to the full length (char, nchar, binary), and whether the type is
// one of the large ones (text, ntext, image) that take no size and that no
// length check applies to.
SqlType FromRow(const TypeRow& row) {
  SqlType t;
  t.id = row.id;
  t.name = row.name;
  t.family = row.family;
  t.xtype = row.xtype;
  t.length = row.length;
  t.precision = row.precision;
  t.scale = row.scale;
  t.unicode = t.id == TypeId::kNchar || t.id == TypeId::kNvarchar || t.id == TypeId::kNtext || t.id == TypeId::kSysname;
  t.fixed = t.id == TypeId::kChar || t.id == TypeId::kNchar || t.id == TypeId::kBinary;
  t.large = t.id == TypeId::kText || t.id == TypeId::kNtext || t.id == TypeId::kImage;
  return t;
}

// A length, precision or scale as written. Digits too many for an int stand
// as the largest int, which every size check then refuses.
int TypeArgument(const std::string& text) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) throw SyntaxNear(text);
  return static_cast<int>(std::min<long long>(access::ParseWhole(text).value_or(INT_MAX), INT_MAX));
}

// Refuses a declared size beyond what the type can hold.
void CheckSize(const SqlType& t, int size, const std::string& position) {
  const int most = t.family == TypeFamily::kDecimal ? 38 : t.unicode ? 4000 : 8000;
  if (size > most && t.family == TypeFamily::kDecimal)
    throw Message(Msg::kPrecisionTooLarge, {position, std::to_string(size)});
  if (size > most)
    throw Message(Msg::kSizeTooLarge, {std::to_string(size), t.name, std::to_string(most)});
}

// Sets the declared size of a sized type: characters for text, bytes else.
void ApplySize(SqlType& t, int size) {
  if (t.family == TypeFamily::kDecimal) {
    t.precision = size;
    t.length = DecimalLength(size);
  } else if (t.family == TypeFamily::kChar || t.family == TypeFamily::kBinary) {
    t.precision = size;
    t.length = t.unicode ? 2 * size : size;
  }
}

}  // namespace

// What a value of the type may hold, in characters for text and bytes for
// binary; 0 where nothing is checked: numbers, dates and the large types.
int SqlType::Capacity() const {
  if (large || (family != TypeFamily::kChar && family != TypeFamily::kBinary)) return 0;
  return unicode ? length / 2 : length;
}

bool SqlType::IsNumeric() const {
  return family == TypeFamily::kInteger || family == TypeFamily::kBit ||
         family == TypeFamily::kDecimal || family == TypeFamily::kFloat ||
         family == TypeFamily::kMoney;
}

access::ValueType SqlType::ValueKind() const {
  switch (family) {
    case TypeFamily::kInteger: return access::ValueType::kInteger;
    case TypeFamily::kBit: return access::ValueType::kBoolean;
    case TypeFamily::kDecimal: return access::ValueType::kDecimal;
    case TypeFamily::kFloat: return access::ValueType::kFloat;
    case TypeFamily::kMoney: return access::ValueType::kCurrency;
    case TypeFamily::kDateTime: return access::ValueType::kDateTime;
    case TypeFamily::kBinary: return access::ValueType::kBinary;
    default: return access::ValueType::kText;
  }
}

// A declared type as the server resolves it. Names match in any case;
// float(n) with n of 24 or fewer bits is real; only the types declared with
// a size take one (2716 names the others); a size left out is 1, or 18 for
// decimal and numeric. Errors start with the column's or parameter's
// position, as SQL Server's do.
SqlType ResolveType(const TypeName& declared, int ordinal) {
  std::string name = text::Lower(declared.name);
  std::string position = "Column or parameter #" + std::to_string(ordinal) + ": ";
  const TypeRow* row = Find(name);
  if (row == nullptr) throw Message(Msg::kUnknownType, {position, declared.name});
  SqlType t = FromRow(*row);
  if (t.id == TypeId::kFloat && !declared.args.empty() && TypeArgument(declared.args[0]) <= 24)
    return BuiltinType(TypeId::kReal);
  bool sized = t.length == 0;
  if (!sized && !declared.args.empty() && t.id != TypeId::kFloat)
    throw Message(Msg::kNoColumnWidth, {position, name});
  if (sized) {
    int size = declared.args.empty() ? (t.family == TypeFamily::kDecimal ? 18 : 1)
                                     : TypeArgument(declared.args[0]);
    CheckSize(t, size, position);
    ApplySize(t, size);
    if (t.family == TypeFamily::kDecimal && declared.args.size() > 1)
      t.scale = TypeArgument(declared.args[1]);
  }
  return t;
}

// A type the engine itself names, for literals and the results of
// functions and operators.
SqlType BuiltinType(TypeId id, int length) {
  SqlType t = FromRow(kTypes[static_cast<std::size_t>(id)]);
  if (t.length == 0) ApplySize(t, length);
  return t;
}

// The type SQL Server gives a constant written with a point: numeric with
// as many digits as are written, leading zeros of the whole part not
// counted, from 1 to 38. So 12.50 is numeric(4,2) and 0.5 numeric(1,1); the
// digits decide the result type of the arithmetic the constant takes part
// in (DecimalResultType).
SqlType DecimalLiteralType(std::string_view text) {
  const std::size_t point = text.find('.');
  const std::string_view whole = text.substr(0, point);
  const int scale = point == std::string_view::npos ? 0 : static_cast<int>(text.size() - point - 1);
  const std::size_t first = whole.find_first_not_of('0');
  const int whole_digits = first == std::string_view::npos ? 0 : static_cast<int>(whole.size() - first);
  SqlType t = BuiltinType(TypeId::kNumeric, std::clamp(whole_digits + scale, 1, 38));
  t.scale = std::min(scale, t.precision);
  return t;
}

namespace {

// An operand as decimal(p,s): integers and money by the digits their type holds.
std::pair<int, int> AsDecimal(const SqlType& t) {
  if (t.family == TypeFamily::kDecimal) return {t.precision > 0 ? t.precision : 18, t.scale};
  if (t.family == TypeFamily::kMoney) return {t.id == TypeId::kSmallmoney ? 10 : 19, 4};
  if (t.id == TypeId::kBigint) return {19, 0};
  if (t.id == TypeId::kSmallint) return {5, 0};
  if (t.id == TypeId::kTinyint || t.family == TypeFamily::kBit) return {3, 0};
  return {10, 0};
}

}  // namespace

// SQL Server's rules for the precision and scale of decimal arithmetic.
// Past 38 digits the scale gives way first, keeping at least 6 digits of
// it for a quotient, so that whole digits are not lost.
SqlType DecimalResultType(BinaryOp op, const SqlType& left, const SqlType& right) {
  const auto [p1, s1] = AsDecimal(left);
  const auto [p2, s2] = AsDecimal(right);
  int p = 0, s = 0;
  switch (op) {
    case BinaryOp::kMultiply: p = p1 + p2 + 1, s = s1 + s2; break;
    case BinaryOp::kDivide: s = std::max(6, s1 + p2 + 1), p = p1 - s1 + s2 + s; break;
    case BinaryOp::kModulo: s = std::max(s1, s2), p = std::min(p1 - s1, p2 - s2) + s; break;
    case BinaryOp::kAdd:
    case BinaryOp::kSubtract:
    case BinaryOp::kBitAnd:
    case BinaryOp::kBitOr:
    case BinaryOp::kBitXor:
    // Comparisons and logic give no number; they are never asked.
    case BinaryOp::kOr:
    case BinaryOp::kAnd:
    case BinaryOp::kEqual:
    case BinaryOp::kNotEqual:
    case BinaryOp::kLess:
    case BinaryOp::kGreater:
    case BinaryOp::kLessEqual:
    case BinaryOp::kGreaterEqual: s = std::max(s1, s2), p = s + std::max(p1 - s1, p2 - s2) + 1; break;
  }
  if (p > 38) {
    s = std::max(std::min(s, op == BinaryOp::kDivide ? 6 : 0), s - (p - 38));
    p = 38;
  }
  SqlType t = BuiltinType(left.family == TypeFamily::kDecimal ? left.id : right.id, p);
  t.scale = s;
  return t;
}

// The type as a column definition writes it: sizes in characters for
// Unicode text, the precision and scale of decimals, nothing for the types
// of fixed size (timestamp's 8 bytes included).
std::string SqlType::Declaration() const {
  if (family == TypeFamily::kDecimal)
    return name + "(" + std::to_string(precision) + "," + std::to_string(scale) + ")";
  bool sized = (family == TypeFamily::kChar || family == TypeFamily::kBinary) && !large && id != TypeId::kTimestamp;
  return sized ? name + "(" + std::to_string(unicode ? length / 2 : length) + ")" : name;
}

// A column's type read back from syscolumns. xtype picks the row, and the
// stored length, precision and scale replace those of a sized type.
// sysname's xtype is nvarchar's, and a column read back is nvarchar; an
// xtype this server does not know reads as sql_variant, which holds any
// value unconverted.
SqlType TypeFromCatalog(int xtype, int length, int precision, int scale) {
  for (const TypeRow& row : kTypes) {
    if (row.xtype != xtype || std::string(row.name) == "sysname") continue;
    SqlType t = FromRow(row);
    if (t.length == 0) {
      t.length = length;
      t.precision = precision;
      t.scale = scale;
    }
    return t;
  }
  return BuiltinType(TypeId::kSqlVariant);
}

}  // namespace court::mssql
