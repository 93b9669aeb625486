// The tables of a Jet database as this project handles them: named, typed
// columns and rows of access::Values, in file order.
//
// Reader, writer and the JSON form of court-catalogue all speak this model,
// so each Jet column type has exactly one kind of Value:
//   boolean -> Boolean; byte, integer, long -> Integer; currency -> Money;
//   single, double -> Float; datetime -> Date; text, memo -> Text; ole -> Binary.

#ifndef COURT_PLATFORM_JET_TABLE_H_
#define COURT_PLATFORM_JET_TABLE_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/access/driver.h"
#include "platform/access/value.h"

namespace court::jet {

enum class ColumnType {
  kBoolean,
  kByte,      // unsigned 8-bit
  kInteger,   // signed 16-bit
  kLong,      // signed 32-bit
  kCurrency,  // exact ten-thousandths
  kSingle,
  kDouble,
  kDateTime,
  kText,  // up to `size` characters
  kMemo,
  kOle,
};

struct Column {
  std::string name;
  ColumnType type = ColumnType::kText;
  int size = 0;  // text only: the most characters a value may hold (1..255)
};

struct Table {
  std::string name;
  std::vector<Column> columns;
  std::vector<access::Row> rows;
};

// The type's name in the JSON form ("long", "text", ...).
std::string_view TypeName(ColumnType type);
std::optional<ColumnType> ParseTypeName(std::string_view name);

// A single as the double its shortest decimal text reads as: 0.1f gives 0.1,
// not 0.100000001490116. Single values are held this way, so that every text
// made of one later is the shortest that reads back as the same single.
double SingleAsDecimal(float value);

// The one kind of Value a column of this type holds.
access::ValueType ValueTypeOf(ColumnType type);

}  // namespace court::jet

#endif  // COURT_PLATFORM_JET_TABLE_H_
