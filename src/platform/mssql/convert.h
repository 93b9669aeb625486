// Implicit conversion of values into columns and variables, with SQL
// Server's rules and errors, and the stored form of each type.
//
// Stored forms (what the SQLite file holds): integer and bit types as
// integers, money and decimal as integer units of their scale
// (exact_number.h), float and real as reals, datetime as sortable text,
// character types as text, binary types as blobs.

#ifndef COURT_PLATFORM_MSSQL_CONVERT_H_
#define COURT_PLATFORM_MSSQL_CONVERT_H_

#include <optional>

#include "platform/access/value.h"
#include "platform/mssql/datetime_text.h"
#include "platform/mssql/sql_type.h"

namespace court::mssql {

// Converts a value for storage in a column or variable of the target type.
// unicode_source names the source "nvarchar" instead of "varchar" in
// messages. Throws the server's conversion errors (245, 248, 220, 235, 241,
// 242, 8114, 8115) and 8152 when a string or binary value is too long.
access::Value ToStorage(const access::Value& value, const SqlType& target, DateOrder order,
                        bool unicode_source = false);

// The client's view of a stored value of the given type; without a type,
// the value as SQLite holds it.
access::Value FromStorage(const access::Value& stored, const SqlType& type);
access::Value FromStorage(const access::Value& stored, const std::optional<SqlType>& type);

// The storage form of a client value without a declared type (variables
// of unknown type, expression results).
access::Value PlainStorage(const access::Value& value);

// Bytes a text takes in code page 936: one per ASCII character, two for
// every other character.
int Cp936Length(std::string_view utf8);

// Characters (UTF-16 units) of a UTF-8 text.
int Utf16Length(std::string_view utf8);

}  // namespace court::mssql

#endif  // COURT_PLATFORM_MSSQL_CONVERT_H_
