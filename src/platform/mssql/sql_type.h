// SQL Server data types: what a column or variable declares, and what the
// system tables say about it (xtype code, length in bytes, precision).

#ifndef COURT_PLATFORM_MSSQL_SQL_TYPE_H_
#define COURT_PLATFORM_MSSQL_SQL_TYPE_H_

#include <string>
#include <string_view>

#include "platform/access/value.h"
#include "platform/mssql/ast.h"

namespace court::mssql {

enum class TypeFamily {
  kInteger,   // tinyint, smallint, int, bigint
  kBit,
  kDecimal,   // decimal, numeric
  kFloat,     // float, real
  kMoney,     // money, smallmoney
  kDateTime,  // datetime, smalldatetime
  kChar,      // char, varchar, nchar, nvarchar, text, ntext
  kBinary,    // binary, varbinary, image, timestamp
  kOther,     // uniqueidentifier, sql_variant
};

// Each of the server's types, as systypes lists them; sysname is one of its
// own (nvarchar(128) under another name).
enum class TypeId {
  kImage, kText, kUniqueidentifier, kTinyint, kSmallint, kInt, kSmalldatetime, kReal, kMoney,
  kDatetime, kFloat, kSqlVariant, kNtext, kBit, kDecimal, kNumeric, kSmallmoney, kBigint,
  kVarbinary, kVarchar, kBinary, kChar, kTimestamp, kNvarchar, kNchar, kSysname,
};

struct SqlType {
  TypeId id = TypeId::kSqlVariant;
  std::string name;  // lower case, as declarations and messages spell it: "nvarchar"
  TypeFamily family = TypeFamily::kOther;
  int xtype = 0;
  int length = 0;     // bytes, as syscolumns.length shows it
  int precision = 0;  // syscolumns.prec: digits, or characters for text types
  int scale = 0;
  bool unicode = false;      // nchar, nvarchar, ntext
  bool fixed = false;        // char, nchar, binary: padded to their length
  bool large = false;        // text, ntext, image: no length check

  // Characters (or bytes) a value may hold; 0 when unchecked.
  int Capacity() const;
  // The client-side kind of value a column of this type yields.
  access::ValueType ValueKind() const;
  bool IsText() const { return family == TypeFamily::kChar; }
  bool IsNumeric() const;
  // As a column declaration names it: "varchar(20)", "nvarchar(10)",
  // "decimal(18,2)", "int".
  std::string Declaration() const;
};

// The type a declaration names; ordinal is the column's or parameter's
// position, for messages. Throws 2715 for an unknown type name and 2716 for
// a width on a type that has none.
SqlType ResolveType(const TypeName& declared, int ordinal = 1);

// Known types without a declaration: int, bit, datetime, nvarchar(n), ...
SqlType BuiltinType(TypeId id, int length = 0);

// The type of a decimal literal as written: 2.5 is numeric(2,1), 0.25 numeric(2,2).
SqlType DecimalLiteralType(std::string_view text);

// The numeric(p,s) an arithmetic operator (+ - * / % & | ^) gives when either
// operand is decimal; integer operands count as decimal(10,0) and their kin.
SqlType DecimalResultType(BinaryOp op, const SqlType& left, const SqlType& right);

// The type of a syscolumns row (xtype, length, prec, scale).
SqlType TypeFromCatalog(int xtype, int length, int precision, int scale);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_SQL_TYPE_H_
