// Values placed between single quotes in generated statements.

#ifndef COURT_DATA_QUOTED_VALUE_H_
#define COURT_DATA_QUOTED_VALUE_H_

#include <string>
#include <string_view>

namespace court::data {

// Appends "'" + value + "'" to text, with every single quote inside the
// value doubled so that a name like O'Brien reaches the server as the value
// it is.
void AppendQuoted(std::string& text, std::string_view value);

// The same, as a text of its own.
std::string QuotedValue(std::string_view value);

}  // namespace court::data

#endif  // COURT_DATA_QUOTED_VALUE_H_
