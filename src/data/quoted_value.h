// Values placed between single quotes in generated statements.

#ifndef COURT_DATA_QUOTED_VALUE_H_
#define COURT_DATA_QUOTED_VALUE_H_

#include <string>
#include <string_view>

namespace court::data {

// "'" + value + "'", with every single quote inside the value doubled so that
// a name like O'Brien reaches the server as the value it is.
std::string QuotedValue(std::string_view value);

}  // namespace court::data

#endif  // COURT_DATA_QUOTED_VALUE_H_
