// Values bound as the parameters of one statement.
//
// Text travels as Unicode (the server converts it to the column's code
// page), binary as varbinary or, above 8,000 bytes, as image; a null takes
// the target column's type when it is known, so that a null reaches an image
// column as an image. The buffers live as long as the BoundValues object.

#ifndef COURT_PLATFORM_ODBC_PARAMETERS_H_
#define COURT_PLATFORM_ODBC_PARAMETERS_H_

#include <sql.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/access/value.h"
#include "platform/odbc/result_reader.h"

namespace court::odbc {

class BoundValues {
 public:
  // columns[i] is the shape of the column values[i] goes to, or null.
  void Bind(SQLHSTMT statement, const std::vector<access::Value>& values,
            const std::vector<const ColumnShape*>& columns, const std::string& server);

 private:
  struct Slot {
    std::string bytes;  // the value in its C form
    SQL_TIMESTAMP_STRUCT timestamp{};
    SQLLEN indicator = 0;
  };
  std::deque<Slot> slots_;  // a deque: bound addresses must not move
};

}  // namespace court::odbc

#endif  // COURT_PLATFORM_ODBC_PARAMETERS_H_
